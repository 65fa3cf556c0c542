#include "core/data/TableDatabase.h"

#include "core/data/Connection.h"
#include "core/data/DatabaseError.h"
#include "core/data/TableFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <sqlite3.h>

namespace corvane {

namespace {

Session& defaultSession()
{
    static Session session(QStringLiteral("Default"));
    return session;
}

void removeFile(const QString& path, const QString& tableName)
{
    if (QFile::exists(path) && !QFile::remove(path)) {
        throw DatabaseError(
            DatabaseError::General,
            QStringLiteral("Cannot delete the file \"%1\" of table \"%2\".").arg(path, tableName), tableName);
    }
}

} // namespace

// ------------------------------------------------------------------ Session

Session::Session(const QString& name, LockSettings lock)
    : m_name(name)
    , m_lock(lock)
{
}

void Session::addPassword(const QString& password)
{
    if (!m_passwords.contains(password))
        m_passwords << password;
}

bool Session::requestPassword()
{
    if (!m_passwordHook)
        return false;
    return m_passwordHook(*this);
}

// ----------------------------------------------------------------- Database

Database::Database(const QString& databaseName, Session* session)
    : m_name(databaseName)
    , m_session(session ? session : &defaultSession())
{
}

void Database::setDirectory(const QString& folder)
{
    m_directory = folder;
    if (!m_directory.isEmpty() && !m_directory.endsWith(QLatin1Char('/')))
        m_directory += QLatin1Char('/');
}

void Database::connect()
{
    if (m_directory.isEmpty() || !QFileInfo(m_directory).isDir()) {
        m_connected = false;
        throw DatabaseError(
            DatabaseError::General,
            QStringLiteral("The folder \"%1\" of database \"%2\" does not exist.").arg(m_directory, m_name));
    }
    m_connected = true;
}

void Database::disconnect() { m_connected = false; }

QString Database::tableFilePath(const QString& tableName) const
{
    return TableFile::findFile(m_directory, tableName);
}

bool Database::tableExists(const QString& tableName) const { return !tableFilePath(tableName).isEmpty(); }

QStringList Database::tableNames() const
{
    QStringList names;
    if (m_directory.isEmpty())
        return names;
    const QLatin1String suffix(TableFile::FileSuffix);
    const QStringList entries = QDir(m_directory).entryList(QDir::Files);
    for (const QString& entry : entries) {
        if (entry.size() > suffix.size() && entry.endsWith(suffix, Qt::CaseInsensitive))
            names << entry.left(entry.size() - suffix.size());
    }
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

TableDef Database::tableDef(const QString& tableName) const
{
    Connection connection;
    connection.setLockSettings(m_session->lockSettings());
    // The definition is no secret: a protected table shows it without its password.
    const QString schema = connection.attach(*this, tableName, false);
    return TableFile::readDef(connection, schema, tableName);
}

void Database::createTable(const TableDef& def, const QString& password)
{
    if (def.name.isEmpty())
        throw DatabaseError(DatabaseError::General, QStringLiteral("A table needs a name."));
    if (m_directory.isEmpty() || !QFileInfo(m_directory).isDir()) {
        throw DatabaseError(DatabaseError::General,
                            QStringLiteral("Cannot create table \"%1\": the folder \"%2\" does not exist.")
                                .arg(def.name, m_directory),
                            def.name);
    }
    if (tableExists(def.name)) {
        throw DatabaseError(
            DatabaseError::General,
            QStringLiteral("Table \"%1\" already exists in folder \"%2\".").arg(def.name, m_directory),
            def.name);
    }
    // Journals left behind by a table file that was deleted by name must not
    // be replayed into the new file.
    for (const QString& path : TableFile::existingFiles(m_directory, def.name))
        removeFile(path, def.name);
    TableFile::create(m_directory + def.name + QLatin1String(TableFile::FileSuffix), def, password,
                      m_session->lockSettings());
}

void Database::deleteTable(const QString& tableName)
{
    for (const QString& path : TableFile::existingFiles(m_directory, tableName))
        removeFile(path, tableName);
}

void Database::copyTable(const QString& tableName, Database& target, const QString& targetName)
{
    Connection connection;
    connection.setLockSettings(m_session->lockSettings());
    const QString schema = connection.attach(*this, tableName);
    const QString sourceName = connection.attachedName(tableName);
    const QString sourcePath = tableFilePath(tableName);
    const QString existing = target.tableFilePath(targetName);
    if (!existing.isEmpty()
        && QFileInfo(existing).canonicalFilePath() == QFileInfo(sourcePath).canonicalFilePath())
        return;
    if (target.directory().isEmpty() || !QFileInfo(target.directory()).isDir()) {
        throw DatabaseError(DatabaseError::General,
                            QStringLiteral("Cannot copy table \"%1\": the folder \"%2\" does not exist.")
                                .arg(tableName, target.directory()),
                            tableName);
    }
    target.deleteTable(targetName);

    // VACUUM INTO writes a consistent copy that includes what is still in the WAL.
    const QString targetPath = target.directory() + targetName + QLatin1String(TableFile::FileSuffix);
    Statement vacuum = connection.prepare(
        QStringLiteral("VACUUM ") + Connection::quoteName(schema) + QStringLiteral(" INTO ?1"), tableName);
    vacuum.bind(1, targetPath);
    connection.run(vacuum, tableName);
    vacuum = Statement();
    connection.detachAll();

    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(targetPath).constData(), &db, SQLITE_OPEN_READWRITE, nullptr)
        == SQLITE_OK) {
        Connection::registerFunctions(db);
        QString sql = QStringLiteral("PRAGMA journal_mode = WAL;");
        if (sourceName != targetName) {
            // Renaming only the case of a name goes through a second name.
            const QString interim = QStringLiteral("corvane_rename_") + targetName;
            sql += QStringLiteral("ALTER TABLE ") + Connection::quoteName(sourceName)
                + QStringLiteral(" RENAME TO ") + Connection::quoteName(interim)
                + QStringLiteral("; ALTER TABLE ") + Connection::quoteName(interim)
                + QStringLiteral(" RENAME TO ") + Connection::quoteName(targetName) + QLatin1Char(';');
        }
        char* error = nullptr;
        const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
        const QString message = QString::fromUtf8(error ? error : "");
        sqlite3_free(error);
        sqlite3_close_v2(db);
        if (rc != SQLITE_OK) {
            target.deleteTable(targetName);
            throw DatabaseError(
                DatabaseError::General,
                QStringLiteral("Cannot copy table \"%1\" to \"%2\": %3").arg(tableName, targetName, message),
                tableName);
        }
    } else {
        sqlite3_close_v2(db);
        throw DatabaseError(DatabaseError::General,
                            QStringLiteral("Cannot copy table \"%1\" to \"%2\".").arg(tableName, targetPath),
                            tableName);
    }
}

void Database::emptyTable(const QString& tableName)
{
    Connection connection;
    connection.setLockSettings(m_session->lockSettings());
    const QString schema = connection.attach(*this, tableName);
    connection.exec(QStringLiteral("DELETE FROM ") + Connection::quoteName(schema) + QLatin1Char('.')
                        + Connection::quoteName(connection.attachedName(tableName)),
                    tableName);
}

void Database::checkTable(const QString& tableName) const
{
    Connection connection;
    connection.setLockSettings(m_session->lockSettings());
    const QString schema = connection.attach(*this, tableName);
    Statement check = connection.prepare(QStringLiteral("PRAGMA ") + Connection::quoteName(schema)
                                             + QStringLiteral(".quick_check"),
                                         tableName);
    QStringList problems;
    int rc = SQLITE_ROW;
    while ((rc = check.step()) == SQLITE_ROW) {
        const QString line = check.column(0).toString();
        if (line != QLatin1String("ok"))
            problems << line;
    }
    if (rc != SQLITE_DONE)
        connection.fail(rc, tableName);
    if (!problems.isEmpty()) {
        throw DatabaseError(
            DatabaseError::NotADatabase,
            QStringLiteral("Table \"%1\" is damaged: %2").arg(tableName, problems.join(QLatin1String("; "))),
            tableName);
    }
}

} // namespace corvane
