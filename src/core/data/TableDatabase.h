#pragma once

// The table database on SQLite.
//
// Files. A database is a folder; table T is the SQLite file "T.dat" (found
// without regard to case), which holds
//  - the table T, one column per field, declared so that the field type can
//    be read back (String VARCHAR(n) or TEXT, Integer INTEGER, Float REAL,
//    Boolean BOOLEAN 0/1, Date DATE "yyyy-mm-dd", Time TIME "hh:mm:ss",
//    DateTime DATETIME day count since 1899-12-30, Memo "MEMO TEXT",
//    Graphic GRAPHIC bytes, AutoInc INTEGER PRIMARY KEY AUTOINCREMENT;
//    required fields are NOT NULL);
//  - its indexes under their own names: UNIQUE for unique indexes, COLLATE
//    NOCASE on every key field of a case-insensitive one, DESC for descending;
//  - the table corvane_table(key, value): "format", and "password" with the
//    hex SHA-256 of the password of a protected table. That is an access
//    check made when a dataset opens the table, not encryption.
// Files are kept in WAL mode so that the program, Harvester and the other
// tools read while one of them writes. ".idx"/".blb" files are never written;
// deleteTable() removes them (and SQLite's journals) when present.
//
// Sessions. Lock settings become each connection's busy handler: a write
// that finds the file locked retries retryCount times, waitMs apart, then
// fails with DatabaseError::Locked naming the table. The default session
// waits 50 x 100 ms. A protected table opens when one of the session's
// passwords fits; otherwise the session's password hook is asked (again
// while it adds new passwords and answers true).
//
// Datasets (Dataset.h) each own their own connection; see Dataset.cpp.

#include "core/data/FieldDefs.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace corvane {

// How a session waits for a table that another process has locked. SQLite's
// busy handling retries up to retryCount times, waitMs apart.
struct LockSettings
{
    int retryCount = 50;
    int waitMs = 100;
};

// A named session: lock settings and a password hook shared by the databases
// that use it.
class Session
{
public:
    // Called when a password-protected table is opened and none of the
    // session's passwords fits. The hook may addPassword(); it returns true to
    // try again ("continue") and false to give up.
    using PasswordHook = std::function<bool(Session&)>;

    explicit Session(const QString& name, LockSettings lock = {});

    const QString& name() const { return m_name; }
    const LockSettings& lockSettings() const { return m_lock; }
    void setLockSettings(LockSettings lock) { m_lock = lock; }

    void setPasswordHook(PasswordHook hook) { m_passwordHook = std::move(hook); }
    void addPassword(const QString& password);
    const QStringList& passwords() const { return m_passwords; }

    // Asks the hook for a password; false when there is no hook or it gives up.
    bool requestPassword();

private:
    QString m_name;
    LockSettings m_lock;
    QStringList m_passwords;
    PasswordHook m_passwordHook;
};

// A database is a folder; every table is one SQLite file "<Table>.dat" in it,
// looked up without regard to case. The database object only names the
// folder and the session: every dataset opens its own connection.
class Database
{
public:
    Database(const QString& databaseName, Session* session);

    const QString& databaseName() const { return m_name; }
    Session& session() const { return *m_session; }

    // The folder, always kept with a trailing "/".
    void setDirectory(const QString& folder);
    const QString& directory() const { return m_directory; }

    // A read-only database attaches its tables' files for reading only, so a
    // program that only reads never writes, and can read a folder it may not
    // write (then as the files stand). Writes fail with DatabaseError::NotEditable.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool isReadOnly() const { return m_readOnly; }

    // Connecting checks that the folder exists; throws DatabaseError when not.
    void connect();
    void disconnect();
    bool isConnected() const { return m_connected; }

    // Full path of the table's file, found without regard to case; empty when missing.
    QString tableFilePath(const QString& tableName) const;
    bool tableExists(const QString& tableName) const;
    // Table names of every "*.dat" file of the folder, sorted without regard to case.
    QStringList tableNames() const;

    // The definition stored in the table's file. Throws DatabaseError.
    TableDef tableDef(const QString& tableName) const;

    // Creates "<name>.dat" from field and index definitions. Throws DatabaseError
    // when a table of that name exists or the file cannot be written.
    void createTable(const TableDef& def, const QString& password = {});
    // Deletes "<name>.dat" and the ".idx"/".blb" companions that are present.
    void deleteTable(const QString& tableName);
    // Copies a table's file under a new name in this or another database.
    void copyTable(const QString& tableName, Database& target, const QString& targetName);
    // Removes every row, keeping the table.
    void emptyTable(const QString& tableName);

    // Opens the table's file and checks it: a file that is not a table file,
    // a missing table or a missing password throws DatabaseError naming the table.
    void checkTable(const QString& tableName) const;

private:
    QString m_name;
    Session* m_session;
    QString m_directory;
    bool m_connected = false;
    bool m_readOnly = false;
};

} // namespace corvane
