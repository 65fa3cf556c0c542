#pragma once

// A write transaction on a dataset connection, as a scope guard:
//
//   Connection connection;
//   connection.attach(database, {QStringLiteral("CVRank"), QStringLiteral("CVHilo")});
//   Transaction transaction(connection, QStringLiteral("CVRank, CVHilo"));
//   ... statements on the connection ...
//   transaction.commit();
//
// The constructor begins an immediate transaction, which takes the write lock
// of every attached table file at once (waiting as the connection's lock
// settings say), so that no other writer slips in between the statements.
// Leaving the scope without commit() - by an exception or an early return -
// rolls every statement back. A failed commit throws and rolls back too.

#include <QString>

namespace corvane {

class Connection;

class Transaction
{
public:
    // tables names the tables in error messages. Throws DatabaseError when
    // the transaction cannot begin (a table locked too long, a read-only file).
    explicit Transaction(Connection& connection, const QString& tables = {});
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Makes the changes permanent. Throws DatabaseError; the changes are then
    // rolled back.
    void commit();
    // Undoes the changes now; does nothing when no longer active.
    void rollback() noexcept;
    // True between the constructor and commit() or rollback().
    bool isActive() const { return m_active; }

private:
    Connection& m_connection;
    QString m_tables;
    bool m_active = false;
};

} // namespace corvane
