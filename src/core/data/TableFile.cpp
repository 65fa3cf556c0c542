#include "core/data/TableFile.h"

#include "core/data/Connection.h"
#include "core/data/DatabaseError.h"
#include "core/data/FieldCodec.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QHash>

#include <sqlite3.h>

namespace corvane::TableFile {

namespace {

QString q(const QString& name) { return Connection::quoteName(name); }

QString qualified(const QString& schema, const QString& name)
{
    return schema.isEmpty() ? q(name) : q(schema) + QLatin1Char('.') + q(name);
}

// Runs one statement on a raw handle; throws with the SQLite message.
void execRaw(sqlite3* db, const QString& sql, const QString& tableName)
{
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : sqlite3_errstr(rc));
        sqlite3_free(error);
        throw DatabaseError((rc & 0xff) == SQLITE_BUSY ? DatabaseError::Locked : DatabaseError::General,
                            QStringLiteral("Cannot create table \"%1\": %2").arg(tableName, message),
                            tableName);
    }
}

int lockedBusyHandler(void* context, int count)
{
    const auto* lock = static_cast<const LockSettings*>(context);
    if (count >= lock->retryCount)
        return 0;
    sqlite3_sleep(qMax(lock->waitMs, 1));
    return 1;
}

} // namespace

QString passwordHash(const QString& password)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(password.toUtf8(), QCryptographicHash::Sha256).toHex());
}

QString findFile(const QString& folder, const QString& tableName)
{
    if (folder.isEmpty() || tableName.isEmpty())
        return {};
    const QString wanted = tableName + QLatin1String(FileSuffix);
    const QString exact = QDir(folder).filePath(wanted);
    if (QFile::exists(exact))
        return exact;
    const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0)
            return QDir(folder).filePath(entry);
    }
    return {};
}

QStringList existingFiles(const QString& folder, const QString& tableName)
{
    static const QLatin1String suffixes[] = {QLatin1String(".dat"),     QLatin1String(".dat-wal"),
                                             QLatin1String(".dat-shm"), QLatin1String(".dat-journal"),
                                             QLatin1String(".idx"),     QLatin1String(".blb")};
    QStringList files;
    if (folder.isEmpty() || tableName.isEmpty())
        return files;
    const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries) {
        for (const QLatin1String& suffix : suffixes) {
            if (entry.compare(tableName + suffix, Qt::CaseInsensitive) == 0)
                files << QDir(folder).filePath(entry);
        }
    }
    return files;
}

QString createTableSql(const TableDef& def, const QString& schema)
{
    QStringList columns;
    bool haveKey = false;
    for (const FieldDef& field : def.fields) {
        if (field.name.isEmpty())
            throw DatabaseError(DatabaseError::General,
                                QStringLiteral("Table \"%1\" has a field without a name.").arg(def.name),
                                def.name);
        QString column = q(field.name) + QLatin1Char(' ');
        if (field.type == FieldType::AutoInc) {
            if (haveKey)
                throw DatabaseError(
                    DatabaseError::General,
                    QStringLiteral("Table \"%1\" can have only one AutoInc field.").arg(def.name), def.name);
            haveKey = true;
            column += QLatin1String("INTEGER PRIMARY KEY AUTOINCREMENT");
        } else {
            column += FieldCodec::declaredType(field);
            if (field.required)
                column += QLatin1String(" NOT NULL");
        }
        columns << column;
    }
    return QStringLiteral("CREATE TABLE ") + qualified(schema, def.name) + QStringLiteral(" (")
        + columns.join(QLatin1String(", ")) + QLatin1Char(')');
}

QString createIndexSql(const TableDef& def, const IndexDef& index, const QString& schema)
{
    QStringList keys;
    for (const QString& name : index.fields) {
        QString key = q(name);
        if (index.caseInsensitive)
            key += QLatin1String(" COLLATE NOCASE");
        if (index.descending)
            key += QLatin1String(" DESC");
        keys << key;
    }
    return QStringLiteral("CREATE ") + (index.unique ? QStringLiteral("UNIQUE ") : QString())
        + QStringLiteral("INDEX ") + qualified(schema, index.name) + QStringLiteral(" ON ") + q(def.name)
        + QStringLiteral(" (") + keys.join(QLatin1String(", ")) + QLatin1Char(')');
}

void create(const QString& path, const TableDef& def, const QString& password, const LockSettings& lock)
{
    if (def.fields.isEmpty())
        throw DatabaseError(DatabaseError::General,
                            QStringLiteral("Table \"%1\" has no fields.").arg(def.name), def.name);
    for (const IndexDef& index : def.indexes) {
        if (index.name.isEmpty() || index.fields.isEmpty())
            throw DatabaseError(
                DatabaseError::General,
                QStringLiteral("An index of table \"%1\" has no name or no fields.").arg(def.name), def.name);
        for (const QString& name : index.fields) {
            if (!def.field(name))
                throw DatabaseError(
                    DatabaseError::FieldMissing,
                    QStringLiteral("Index \"%1\" of table \"%2\" names the unknown field \"%3\".")
                        .arg(index.name, def.name, name),
                    def.name);
        }
    }

    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    const auto removeFiles = [&] {
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            QFile::remove(path + QLatin1String(suffix));
    };
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        removeFiles();
        throw DatabaseError(
            DatabaseError::General,
            QStringLiteral("Cannot create the file \"%1\" of table \"%2\": %3").arg(path, def.name, message),
            def.name);
    }
    LockSettings settings = lock;
    sqlite3_busy_handler(db, &lockedBusyHandler, &settings);
    Connection::registerFunctions(db);
    try {
        execRaw(db, QStringLiteral("PRAGMA journal_mode = WAL"), def.name);
        execRaw(db, QStringLiteral("BEGIN"), def.name);
        execRaw(db, createTableSql(def), def.name);
        for (const IndexDef& index : def.indexes)
            execRaw(db, createIndexSql(def, index), def.name);
        execRaw(db,
                QStringLiteral("CREATE TABLE ") + QLatin1String(MetaTable)
                    + QStringLiteral(" (key TEXT PRIMARY KEY, value TEXT)"),
                def.name);
        execRaw(db,
                QStringLiteral("INSERT INTO ") + QLatin1String(MetaTable)
                    + QStringLiteral(" VALUES ('format', '1')"),
                def.name);
        if (!password.isEmpty()) {
            execRaw(db,
                    QStringLiteral("INSERT INTO ") + QLatin1String(MetaTable)
                        + QStringLiteral(" VALUES ('password', '") + passwordHash(password)
                        + QStringLiteral("')"),
                    def.name);
        }
        execRaw(db, QStringLiteral("COMMIT"), def.name);
    } catch (...) {
        sqlite3_close_v2(db);
        removeFiles();
        throw;
    }
    sqlite3_close_v2(db);
}

TableDef readDef(Connection& connection, const QString& schema, const QString& tableName)
{
    TableDef def;
    def.name = connection.attachedName(tableName);
    if (def.name.isEmpty())
        def.name = tableName;
    const QString s = q(schema);

    Statement columns = connection.prepare(QStringLiteral("PRAGMA ") + s + QStringLiteral(".table_info(")
                                               + q(def.name) + QLatin1Char(')'),
                                           def.name);
    struct Column
    {
        QString name;
        QString type;
        bool notNull;
        int pk;
    };
    QList<Column> found;
    int keyColumns = 0;
    while (columns.step() == SQLITE_ROW) {
        found << Column{columns.column(1).toString(), columns.column(2).toString(),
                        columns.column(3).toInt() != 0, columns.column(5).toInt()};
        if (found.last().pk > 0)
            ++keyColumns;
    }
    for (const Column& c : found)
        def.fields << FieldCodec::fieldFromDeclared(c.name, c.type, c.notNull, c.pk > 0 && keyColumns == 1);

    QHash<QString, bool> uniqueByName;
    {
        Statement list = connection.prepare(QStringLiteral("PRAGMA ") + s + QStringLiteral(".index_list(")
                                                + q(def.name) + QLatin1Char(')'),
                                            def.name);
        while (list.step() == SQLITE_ROW) {
            if (list.column(3).toString() == QLatin1String("c"))
                uniqueByName.insert(list.column(1).toString(), list.column(2).toInt() != 0);
        }
    }
    Statement names =
        connection.prepare(QStringLiteral("SELECT name FROM ") + s
                               + QStringLiteral(".sqlite_master WHERE type = 'index' AND tbl_name = ?1 "
                                                "COLLATE NOCASE AND sql IS NOT NULL ORDER BY rowid"),
                           def.name);
    names.bind(1, def.name);
    while (names.step() == SQLITE_ROW) {
        IndexDef index;
        index.name = names.column(0).toString();
        if (!uniqueByName.contains(index.name))
            continue;
        index.unique = uniqueByName.value(index.name);
        Statement info = connection.prepare(QStringLiteral("PRAGMA ") + s + QStringLiteral(".index_xinfo(")
                                                + q(index.name) + QLatin1Char(')'),
                                            def.name);
        while (info.step() == SQLITE_ROW) {
            if (info.column(5).toInt() == 0)
                continue;
            index.fields << info.column(2).toString();
            if (info.column(3).toInt() != 0)
                index.descending = true;
            if (info.column(4).toString().compare(QLatin1String("NOCASE"), Qt::CaseInsensitive) == 0)
                index.caseInsensitive = true;
        }
        def.indexes << index;
    }

    sqlite3_stmt* raw = nullptr;
    const QByteArray metaSql = (QStringLiteral("SELECT value FROM ") + s + QLatin1Char('.')
                                + QLatin1String(MetaTable) + QStringLiteral(" WHERE key = 'password'"))
                                   .toUtf8();
    if (sqlite3_prepare_v2(connection.handle(), metaSql.constData(), int(metaSql.size()), &raw, nullptr)
        == SQLITE_OK) {
        Statement meta(raw);
        def.passwordProtected = meta.step() == SQLITE_ROW && !meta.column(0).toString().isEmpty();
    } else {
        sqlite3_finalize(raw);
    }
    return def;
}

QString keyViolationMessage(Connection& connection, const QString& sqliteMessage)
{
    // "UNIQUE constraint failed: T.a, T.b" or "UNIQUE constraint failed: index 'name'"
    const QString detail = sqliteMessage.section(QLatin1String("failed: "), 1).trimmed();
    QString indexName;
    QString tableName;
    if (detail.startsWith(QLatin1String("index '"))) {
        indexName = detail.mid(7).section(QLatin1Char('\''), 0, 0);
    } else {
        QStringList keyColumns;
        const QStringList parts = detail.split(QLatin1String(", "), Qt::SkipEmptyParts);
        for (const QString& part : parts) {
            const int dot = int(part.lastIndexOf(QLatin1Char('.')));
            tableName = part.left(dot);
            keyColumns << part.mid(dot + 1);
        }
        const QString schema = connection.schemaOf(tableName);
        if (!schema.isEmpty()) {
            try {
                const TableDef def = readDef(connection, schema, tableName);
                tableName = def.name;
                for (const IndexDef& index : def.indexes) {
                    if (!index.unique || index.fields.size() != keyColumns.size())
                        continue;
                    bool same = true;
                    for (int i = 0; i < keyColumns.size(); ++i)
                        same = same && index.fields.at(i).compare(keyColumns.at(i), Qt::CaseInsensitive) == 0;
                    if (same) {
                        indexName = index.name;
                        break;
                    }
                }
                if (indexName.isEmpty() && keyColumns.size() == 1) {
                    const FieldDef* field = def.field(keyColumns.first());
                    if (field && field->type == FieldType::AutoInc)
                        indexName = QStringLiteral("primary");
                }
            } catch (const DatabaseError&) {
            }
        }
        if (indexName.isEmpty())
            indexName = keyColumns.join(QLatin1Char(';'));
    }
    if (tableName.isEmpty())
        return QStringLiteral("Key violation. Duplicate key in index \"%1\".").arg(indexName);
    return QStringLiteral("Key violation. Duplicate key in index \"%1\" of table \"%2\".")
        .arg(indexName, tableName);
}

} // namespace corvane::TableFile
