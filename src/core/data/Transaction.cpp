#include "core/data/Transaction.h"

#include "core/data/Connection.h"

#include <sqlite3.h>

namespace corvane {

Transaction::Transaction(Connection& connection, const QString& tables)
    : m_connection(connection)
    , m_tables(tables)
{
    m_connection.open();
    m_connection.exec(QStringLiteral("BEGIN IMMEDIATE"), m_tables);
    m_active = true;
}

Transaction::~Transaction() { rollback(); }

void Transaction::commit()
{
    if (!m_active)
        return;
    try {
        m_connection.exec(QStringLiteral("COMMIT"), m_tables);
    } catch (...) {
        rollback();
        throw;
    }
    m_active = false;
}

void Transaction::rollback() noexcept
{
    if (!m_active)
        return;
    m_active = false;
    // A failed statement or commit may already have ended the transaction;
    // then there is nothing left to undo.
    if (m_connection.isOpen() && !sqlite3_get_autocommit(m_connection.handle()))
        sqlite3_exec(m_connection.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

} // namespace corvane
