#include "core/data/Connection.h"

#include "core/data/DatabaseError.h"
#include "core/data/SqlDialect.h"
#include "core/data/TableFile.h"

#include <QByteArray>
#include <QFile>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <thread>
#include <unistd.h>

namespace corvane {

namespace {

// The dialect's "+": text when either side is text (or bytes), a number
// otherwise, NULL when either side is NULL.
void plusFunction(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (argc != 2)
        return;
    const int a = sqlite3_value_type(argv[0]);
    const int b = sqlite3_value_type(argv[1]);
    if (a == SQLITE_NULL || b == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    if (a == SQLITE_TEXT || b == SQLITE_TEXT || a == SQLITE_BLOB || b == SQLITE_BLOB) {
        const auto* left = sqlite3_value_text(argv[0]);
        const int leftSize = sqlite3_value_bytes(argv[0]);
        const auto* right = sqlite3_value_text(argv[1]);
        const int rightSize = sqlite3_value_bytes(argv[1]);
        QByteArray joined;
        joined.reserve(leftSize + rightSize);
        joined.append(reinterpret_cast<const char*>(left), leftSize);
        joined.append(reinterpret_cast<const char*>(right), rightSize);
        sqlite3_result_text(context, joined.constData(), int(joined.size()), SQLITE_TRANSIENT);
        return;
    }
    if (a == SQLITE_INTEGER && b == SQLITE_INTEGER) {
        sqlite3_int64 sum = 0;
        if (!__builtin_add_overflow(sqlite3_value_int64(argv[0]), sqlite3_value_int64(argv[1]), &sum)) {
            sqlite3_result_int64(context, sum);
            return;
        }
    }
    sqlite3_result_double(context, sqlite3_value_double(argv[0]) + sqlite3_value_double(argv[1]));
}

int busyHandler(void* context, int count)
{
    const auto* lock = static_cast<const LockSettings*>(context);
    if (count >= lock->retryCount)
        return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::max(lock->waitMs, 1)));
    return 1;
}

// How a file is attached: read and written, read only, or read only as it
// stands (a folder nobody may write, where no shared-memory file can be made).
enum class FileAccess {
    ReadWrite,
    ReadOnly,
    Immutable,
};

QString uriForFile(const QString& path, FileAccess access)
{
    QByteArray encoded;
    for (const char c : path.toUtf8()) {
        if (c == '%' || c == '?' || c == '#')
            encoded += '%' + QByteArray::number(uchar(c), 16).rightJustified(2, '0');
        else
            encoded += c;
    }
    const char* query = access == FileAccess::ReadWrite ? "?mode=rw"
        : access == FileAccess::ReadOnly                ? "?mode=ro"
                                                        : "?mode=ro&immutable=1";
    return QStringLiteral("file:") + QString::fromUtf8(encoded) + QLatin1String(query);
}

// Whether the disk holding the file has (next to) no room left.
bool diskFull(const QString& filePath)
{
    struct statvfs info
    { };
    const QByteArray folder = QFile::encodeName(filePath.left(filePath.lastIndexOf(QLatin1Char('/')) + 1));
    return ::statvfs(folder.isEmpty() ? "." : folder.constData(), &info) == 0
        && quint64(info.f_bavail) * info.f_frsize < 256 * 1024;
}

// SQLite's "disk I/O error" does not say why; a full disk is named. (Making a
// table's shared-memory file on a full disk fails without an error number.)
QString errorText(sqlite3* db, const QString& filePath)
{
    QString message = QString::fromUtf8(sqlite3_errmsg(db));
    const int primary = sqlite3_extended_errcode(db) & 0xff;
    if (!message.contains(QLatin1String("full"))
        && (sqlite3_system_errno(db) == ENOSPC
            || ((primary == SQLITE_IOERR || primary == SQLITE_CANTOPEN) && diskFull(filePath))))
        message += QStringLiteral(" (the disk is full)");
    return message;
}

bool folderWritable(const QString& filePath)
{
    const QByteArray folder = QFile::encodeName(filePath.left(filePath.lastIndexOf(QLatin1Char('/')) + 1));
    return ::access(folder.isEmpty() ? "." : folder.constData(), W_OK) == 0;
}

bool fileIdentity(const QString& path, quint64& device, quint64& inode)
{
    struct stat info
    { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    device = quint64(info.st_dev);
    inode = quint64(info.st_ino);
    return true;
}

} // namespace

// ---------------------------------------------------------------- Statement

Statement::~Statement() { sqlite3_finalize(m_stmt); }

Statement::Statement(Statement&& other) noexcept
    : m_stmt(other.m_stmt)
{
    other.m_stmt = nullptr;
}

Statement& Statement::operator=(Statement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_stmt = other.m_stmt;
        other.m_stmt = nullptr;
    }
    return *this;
}

void Statement::bind(int index, const QVariant& stored)
{
    if (!stored.isValid() || stored.isNull()) {
        sqlite3_bind_null(m_stmt, index);
        return;
    }
    switch (stored.typeId()) {
    case QMetaType::Bool: sqlite3_bind_int(m_stmt, index, stored.toBool() ? 1 : 0); break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::Char: sqlite3_bind_int64(m_stmt, index, stored.toLongLong()); break;
    case QMetaType::Double:
    case QMetaType::Float: sqlite3_bind_double(m_stmt, index, stored.toDouble()); break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = stored.toByteArray();
        sqlite3_bind_blob64(m_stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
        break;
    }
    case QMetaType::QDate: bind(index, stored.toDate().toString(QStringLiteral("yyyy-MM-dd"))); break;
    case QMetaType::QTime: bind(index, stored.toTime().toString(QStringLiteral("hh:mm:ss"))); break;
    default: {
        const QByteArray text = stored.toString().toUtf8();
        sqlite3_bind_text64(m_stmt, index, text.constData(), sqlite3_uint64(text.size()), SQLITE_TRANSIENT,
                            SQLITE_UTF8);
        break;
    }
    }
}

void Statement::bindAll(const QVariantList& stored)
{
    for (int i = 0; i < stored.size(); ++i)
        bind(i + 1, stored.at(i));
}

int Statement::step() { return sqlite3_step(m_stmt); }

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Statement::columnCount() const { return sqlite3_column_count(m_stmt); }

QVariant Statement::column(int i) const
{
    switch (sqlite3_column_type(m_stmt, i)) {
    case SQLITE_INTEGER: return QVariant(qlonglong(sqlite3_column_int64(m_stmt, i)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(m_stmt, i));
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i));
        return QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, i));
    }
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(m_stmt, i));
        return QByteArray(data, sqlite3_column_bytes(m_stmt, i));
    }
    default: return {};
    }
}

qint64 Statement::columnInt64(int i) const { return sqlite3_column_int64(m_stmt, i); }

int Statement::columnType(int i) const { return sqlite3_column_type(m_stmt, i); }

QString Statement::columnName(int i) const { return QString::fromUtf8(sqlite3_column_name(m_stmt, i)); }

QString Statement::columnDeclType(int i) const
{
    return QString::fromUtf8(sqlite3_column_decltype(m_stmt, i));
}

QString Statement::columnOriginName(int i) const
{
    return QString::fromUtf8(sqlite3_column_origin_name(m_stmt, i));
}

QString Statement::columnTableName(int i) const
{
    return QString::fromUtf8(sqlite3_column_table_name(m_stmt, i));
}

// --------------------------------------------------------------- Connection

Connection::Connection() = default;

Connection::~Connection() { close(); }

void Connection::open()
{
    if (m_db)
        return;
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(
        ":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX,
        nullptr);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        throw DatabaseError(DatabaseError::General,
                            QStringLiteral("Cannot open a database connection: %1").arg(message));
    }
    m_db = db;
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_handler(m_db, &busyHandler, &m_lock);
    registerFunctions(m_db);
    installProgressHandler();
}

void Connection::close()
{
    if (!m_db)
        return;
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_attachments.clear();
    ++m_generation;
}

int Connection::progressHandler(void* context)
{
    const auto* connection = static_cast<const Connection*>(context);
    if (connection->m_progress)
        connection->m_progress();
    // A non-zero answer makes the running statement fail with SQLITE_INTERRUPT.
    return connection->m_cancelled && connection->m_cancelled() ? 1 : 0;
}

void Connection::installProgressHandler()
{
    if (!m_db)
        return;
    if (m_progress || m_cancelled)
        sqlite3_progress_handler(m_db, 1000, &Connection::progressHandler, this);
    else
        sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
}

void Connection::setProgressHandler(std::function<void()> handler)
{
    m_progress = std::move(handler);
    installProgressHandler();
}

void Connection::setCancelCheck(std::function<bool()> cancelled)
{
    m_cancelled = std::move(cancelled);
    installProgressHandler();
}

namespace {

thread_local std::vector<qint64>* t_collectedKeys = nullptr;
thread_local size_t t_pauseAt = SIZE_MAX;

void collectKeyFunction(sqlite3_context* context, int, sqlite3_value** arguments)
{
    if (!t_collectedKeys) {
        sqlite3_result_error(context, "cv_collect_key is not collecting", -1);
        return;
    }
    t_collectedKeys->push_back(sqlite3_value_int64(arguments[0]));
    sqlite3_result_int(context, t_collectedKeys->size() >= t_pauseAt ? 1 : 0);
}

} // namespace

KeyCollector::KeyCollector(std::vector<qint64>& keys, size_t pauseAt)
    : m_previous(t_collectedKeys)
    , m_previousPause(t_pauseAt)
{
    t_collectedKeys = &keys;
    t_pauseAt = pauseAt;
}

KeyCollector::~KeyCollector()
{
    t_collectedKeys = m_previous;
    t_pauseAt = m_previousPause;
}

void Connection::registerFunctions(sqlite3* db)
{
    sqlite3_create_function_v2(db, PlusFunctionName, 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                               nullptr, &plusFunction, nullptr, nullptr, nullptr);
    // Neither deterministic nor innocuous: it is called once per row passed,
    // and only from statements this program writes.
    sqlite3_create_function_v2(db, KeyCollector::FunctionName, 1, SQLITE_UTF8 | SQLITE_DIRECTONLY, nullptr,
                               &collectKeyFunction, nullptr, nullptr, nullptr);
}

QString Connection::quoteName(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

int Connection::attachmentLimit() { return 10; }

int Connection::findAttachment(const QString& tableName) const
{
    for (int i = 0; i < m_attachments.size(); ++i) {
        if (m_attachments.at(i).tableName.compare(tableName, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString Connection::schemaOf(const QString& tableName) const
{
    const int i = findAttachment(tableName);
    return i < 0 ? QString() : m_attachments.at(i).schema;
}

QString Connection::attachedName(const QString& tableName) const
{
    const int i = findAttachment(tableName);
    return i < 0 ? QString() : m_attachments.at(i).tableName;
}

qint64 Connection::rowEstimate(const QString& tableName)
{
    const int i = findAttachment(tableName);
    if (i < 0)
        return 0;
    Attachment& a = m_attachments[i];
    if (a.rowEstimate < 0) {
        Statement rows = prepare(QStringLiteral("SELECT max(rowid) FROM ") + quoteName(a.schema)
                                     + QLatin1Char('.') + quoteName(a.tableName),
                                 tableName);
        a.rowEstimate = rows.step() == SQLITE_ROW ? rows.columnInt64(0) : 0;
    }
    return a.rowEstimate;
}

QString Connection::freeSchemaName(const QString& tableName) const
{
    QString base = tableName;
    if (base.compare(QLatin1String("main"), Qt::CaseInsensitive) == 0
        || base.compare(QLatin1String("temp"), Qt::CaseInsensitive) == 0)
        base += QLatin1String("_table");
    QString schema = base;
    for (int n = 2;; ++n) {
        const bool used = std::any_of(m_attachments.cbegin(), m_attachments.cend(), [&](const Attachment& a) {
            return a.schema.compare(schema, Qt::CaseInsensitive) == 0;
        });
        if (!used)
            return schema;
        schema = base + QString::number(n);
    }
}

void Connection::detachAt(int index)
{
    const QString schema = m_attachments.at(index).schema;
    m_attachments.removeAt(index);
    ++m_generation;
    sqlite3_exec(m_db, (QStringLiteral("DETACH DATABASE ") + quoteName(schema)).toUtf8().constData(), nullptr,
                 nullptr, nullptr);
}

void Connection::detach(const QString& tableName)
{
    const int i = findAttachment(tableName);
    if (i >= 0)
        detachAt(i);
}

void Connection::detachAll()
{
    while (!m_attachments.isEmpty())
        detachAt(int(m_attachments.size()) - 1);
}

QString Connection::attach(const Database& database, const QString& tableName, bool checkPasswords)
{
    return attach(database, QStringList{tableName}, checkPasswords).value(0);
}

QStringList Connection::attach(const Database& database, const QStringList& tableNames, bool checkPasswords)
{
    open();
    QStringList names;
    for (const QString& name : tableNames) {
        const bool seen = std::any_of(names.cbegin(), names.cend(), [&](const QString& n) {
            return n.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (!seen)
            names << name;
    }
    if (names.size() > attachmentLimit()) {
        throw DatabaseError(DatabaseError::General,
                            QStringLiteral("A statement can use at most %1 tables; it names %2.")
                                .arg(attachmentLimit())
                                .arg(names.size()));
    }

    // Which files are needed, and which attachments still show them. A file
    // that was deleted or replaced since it was attached is attached anew.
    QStringList paths;
    QList<bool> present;
    for (const QString& name : names) {
        const int existing = findAttachment(name);
        // An attachment whose file is still the same (same path, device and
        // inode) is reused without looking the name up in the folder again.
        if (existing >= 0) {
            const Attachment& a = m_attachments.at(existing);
            quint64 device = 0;
            quint64 inode = 0;
            if ((a.accessChecked || !checkPasswords) && a.readOnly == database.isReadOnly()
                && a.filePath.startsWith(database.directory()) && fileIdentity(a.filePath, device, inode)
                && device == a.device && inode == a.inode) {
                paths << a.filePath;
                present << true;
                continue;
            }
        }
        const QString path = database.tableFilePath(name);
        if (path.isEmpty()) {
            if (existing >= 0)
                detachAt(existing);
            throw DatabaseError(DatabaseError::TableMissing,
                                QStringLiteral("Table \"%1\" does not exist in folder \"%2\".")
                                    .arg(name, database.directory()),
                                name);
        }
        bool reuse = false;
        if (existing >= 0) {
            quint64 device = 0;
            quint64 inode = 0;
            const Attachment& a = m_attachments.at(existing);
            reuse = a.filePath == path && fileIdentity(path, device, inode) && device == a.device
                && inode == a.inode && (a.accessChecked || !checkPasswords)
                && a.readOnly == database.isReadOnly();
            if (!reuse)
                detachAt(existing);
        }
        paths << path;
        present << reuse;
    }

    const auto needed = [&](const Attachment& a) {
        return std::any_of(names.cbegin(), names.cend(), [&](const QString& n) {
            return n.compare(a.tableName, Qt::CaseInsensitive) == 0;
        });
    };
    const int newCount = int(std::count(present.cbegin(), present.cend(), false));
    while (m_attachments.size() + newCount > attachmentLimit()) {
        int oldest = -1;
        for (int i = 0; i < m_attachments.size(); ++i) {
            if (!needed(m_attachments.at(i))
                && (oldest < 0 || m_attachments.at(i).lastUse < m_attachments.at(oldest).lastUse))
                oldest = i;
        }
        detachAt(oldest);
    }

    QStringList schemas;
    for (int i = 0; i < names.size(); ++i) {
        if (!present.at(i))
            attachOne(database, names.at(i), paths.at(i), checkPasswords);
        const int index = findAttachment(names.at(i));
        m_attachments[index].lastUse = ++m_useCounter;
        schemas << m_attachments.at(index).schema;
    }
    return schemas;
}

void Connection::attachOne(const Database& database, const QString& tableName, const QString& filePath,
                           bool checkPasswords)
{
    Attachment a;
    a.tableName = tableName;
    a.schema = freeSchemaName(tableName);
    a.filePath = filePath;
    a.readOnly = database.isReadOnly();
    fileIdentity(filePath, a.device, a.inode);

    const auto detachSchema = [&] {
        sqlite3_exec(m_db, (QStringLiteral("DETACH DATABASE ") + quoteName(a.schema)).toUtf8().constData(),
                     nullptr, nullptr, nullptr);
    };
    // Attaches the file and looks the table up in it (the file must be an
    // SQLite database that holds the table): SQLITE_ROW and the table's
    // name as the file spells it, or the result code and the message.
    const auto attachAndFind = [&](FileAccess how, QString* found) {
        {
            Statement attach =
                prepare(QStringLiteral("ATTACH DATABASE ?1 AS ") + quoteName(a.schema), tableName);
            attach.bind(1, uriForFile(filePath, how));
            const int rc = attach.step();
            if (rc != SQLITE_DONE) {
                const QString message = errorText(m_db, filePath);
                const int primary = rc & 0xff;
                if ((primary == SQLITE_CANTOPEN || primary == SQLITE_READONLY) && !folderWritable(filePath)) {
                    // The caller reads it as it stands, or says why it cannot be written.
                    *found = message;
                    return rc;
                }
                if (primary == SQLITE_NOTADB) {
                    throw DatabaseError(
                        DatabaseError::NotADatabase,
                        QStringLiteral("The file \"%1\" of table \"%2\" is not a table file (%3).")
                            .arg(filePath, tableName, message),
                        tableName);
                }
                throw DatabaseError((rc & 0xff) == SQLITE_CANTOPEN ? DatabaseError::TableMissing
                                                                   : DatabaseError::General,
                                    QStringLiteral("Cannot open the file \"%1\" of table \"%2\": %3")
                                        .arg(filePath, tableName, message),
                                    tableName);
            }
        }
        sqlite3_stmt* raw = nullptr;
        const QByteArray findSql =
            (QStringLiteral("SELECT name FROM ") + quoteName(a.schema)
             + QStringLiteral(".sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE"))
                .toUtf8();
        int rc = sqlite3_prepare_v2(m_db, findSql.constData(), int(findSql.size()), &raw, nullptr);
        Statement find(raw);
        if (rc == SQLITE_OK) {
            find.bind(1, tableName);
            rc = find.step();
        }
        if (rc == SQLITE_ROW)
            *found = find.column(0).toString();
        else
            *found = errorText(m_db, filePath);
        return rc;
    };

    FileAccess access = a.readOnly ? FileAccess::ReadOnly : FileAccess::ReadWrite;
    QString found;
    int rc = attachAndFind(access, &found);
    // A table in WAL mode needs its shared-memory file; in a folder nobody may
    // write, no program can be writing the table either, so it is read as it
    // stands. A database that would write it reads it so too, and its first
    // write is refused naming the folder: a program shows what such a folder
    // holds.
    if (((rc & 0xff) == SQLITE_CANTOPEN || (rc & 0xff) == SQLITE_READONLY) && !folderWritable(filePath)) {
        detachSchema();
        rc = attachAndFind(FileAccess::Immutable, &found);
        a.asItStands = rc == SQLITE_ROW;
    } else if (rc == SQLITE_ROW && access == FileAccess::ReadWrite && !folderWritable(filePath)) {
        a.asItStands = true; // a file outside WAL mode, which SQLite opened for reading only
    }
    if (rc != SQLITE_ROW) {
        const int primary = rc & 0xff;
        const QString message = found;
        detachSchema();
        if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT) {
            throw DatabaseError(DatabaseError::NotADatabase,
                                QStringLiteral("The file \"%1\" of table \"%2\" is not a table file (%3).")
                                    .arg(filePath, tableName, message),
                                tableName);
        }
        if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
            fail(rc, tableName);
        if (!a.readOnly && (primary == SQLITE_CANTOPEN || primary == SQLITE_READONLY)
            && !folderWritable(filePath)) {
            throw DatabaseError(
                DatabaseError::NotEditable,
                QStringLiteral("Table \"%1\" cannot be opened for writing: the folder of \"%2\" "
                               "may only be read.")
                    .arg(tableName, filePath),
                tableName);
        }
        if (rc == SQLITE_DONE) {
            throw DatabaseError(
                DatabaseError::TableMissing,
                QStringLiteral("The file \"%1\" does not hold table \"%2\".").arg(filePath, tableName),
                tableName);
        }
        throw DatabaseError(
            DatabaseError::General,
            QStringLiteral("Cannot read table \"%1\" from \"%2\": %3").arg(tableName, filePath, message),
            tableName);
    }
    a.tableName = found;
    a.accessChecked = checkPasswords;
    m_attachments << a;
    ++m_generation;

    if (checkPasswords) {
        try {
            checkPassword(database, a);
        } catch (...) {
            detach(a.tableName);
            throw;
        }
    }

    // Every table file runs in WAL mode, so that readers and a writer of
    // different processes do not block each other. In WAL mode a commit
    // needs no sync of its own to stay consistent after a crash (only the
    // last commits before a power cut may be lost), which makes a single
    // post some ten times faster.
    if (a.readOnly || a.asItStands)
        return;
    const QString pragma = QStringLiteral("PRAGMA ") + quoteName(a.schema);
    Statement mode = prepare(pragma + QStringLiteral(".journal_mode"));
    if (mode.step() == SQLITE_ROW
        && mode.column(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        mode = Statement();
        sqlite3_exec(m_db, (pragma + QStringLiteral(".journal_mode = WAL")).toUtf8().constData(), nullptr,
                     nullptr, nullptr);
    }
    mode = Statement();
    sqlite3_exec(m_db, (pragma + QStringLiteral(".synchronous = NORMAL")).toUtf8().constData(), nullptr,
                 nullptr, nullptr);
}

void Connection::checkPassword(const Database& database, const Attachment& attachment)
{
    sqlite3_stmt* raw = nullptr;
    const QByteArray sql =
        (QStringLiteral("SELECT value FROM ") + quoteName(attachment.schema) + QLatin1Char('.')
         + QLatin1String(TableFile::MetaTable) + QStringLiteral(" WHERE key = 'password'"))
            .toUtf8();
    if (sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &raw, nullptr) != SQLITE_OK) {
        sqlite3_finalize(raw);
        return; // a file without our metadata has no password
    }
    Statement statement(raw);
    if (statement.step() != SQLITE_ROW)
        return;
    const QString hash = statement.column(0).toString();
    if (hash.isEmpty())
        return;

    Session& session = database.session();
    for (;;) {
        for (const QString& password : session.passwords()) {
            if (TableFile::passwordHash(password) == hash)
                return;
        }
        const QStringList before = session.passwords();
        if (!session.requestPassword() || session.passwords() == before)
            break;
    }
    throw DatabaseError(
        DatabaseError::PasswordRequired,
        QStringLiteral("Table \"%1\" is password protected and session \"%2\" has no password that fits.")
            .arg(attachment.tableName, session.name()),
        attachment.tableName);
}

Statement Connection::prepare(const QString& sql, const QString& tableForErrors)
{
    open();
    sqlite3_stmt* stmt = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &stmt, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        fail(rc, tableForErrors);
    }
    return Statement(stmt);
}

void Connection::exec(const QString& sql, const QString& tableForErrors)
{
    open();
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        fail(rc, tableForErrors);
}

qint64 Connection::run(Statement& statement, const QString& tableForErrors)
{
    int rc = SQLITE_ROW;
    while (rc == SQLITE_ROW)
        rc = statement.step();
    if (rc != SQLITE_DONE) {
        const int code = sqlite3_extended_errcode(m_db);
        const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
        statement.reset();
        fail(code, message, tableForErrors);
    }
    const qint64 changed = sqlite3_changes64(m_db);
    statement.reset();
    return changed;
}

qint64 Connection::changes() const { return sqlite3_changes64(m_db); }

qint64 Connection::lastInsertRowId() const { return sqlite3_last_insert_rowid(m_db); }

void Connection::fail(int rc, const QString& tableForErrors) const
{
    int code = rc;
    if (m_db && (sqlite3_extended_errcode(m_db) & 0xff) == (rc & 0xff))
        code = sqlite3_extended_errcode(m_db);
    fail(code, m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(rc)),
         tableForErrors);
}

void Connection::fail(int rc, const QString& message, const QString& tableForErrors) const
{
    const int primary = rc & 0xff;
    const QString table = tableForErrors;
    const QString where = table.isEmpty() ? QString() : QStringLiteral(" (table \"%1\")").arg(table);
    if (primary == SQLITE_FULL
        || ((primary == SQLITE_IOERR || primary == SQLITE_CANTOPEN) && m_db
            && sqlite3_system_errno(m_db) == ENOSPC)) {
        // Name the file, so the user knows which disk ran out of room.
        const int index = table.isEmpty() ? -1 : findAttachment(table);
        const QString file = index >= 0 ? m_attachments.at(index).filePath : QString();
        const QString what =
            primary == SQLITE_FULL ? message : message + QStringLiteral(", the disk is full");
        throw DatabaseError(DatabaseError::General,
                            file.isEmpty() ? QStringLiteral("The disk is full: %1%2").arg(what, where)
                                           : QStringLiteral("The disk holding \"%1\" is full: table \"%2\" "
                                                            "was not written (%3).")
                                                 .arg(file, table, what),
                            table);
    }
    switch (primary) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw DatabaseError(
            DatabaseError::Locked,
            QStringLiteral("Table \"%1\" is locked by another program; gave up after %2 tries %3 ms apart.")
                .arg(table)
                .arg(m_lock.retryCount)
                .arg(m_lock.waitMs),
            table);
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        throw DatabaseError(
            DatabaseError::NotADatabase,
            QStringLiteral("The file of table \"%1\" is not a table file (%2).").arg(table, message), table);
    case SQLITE_CONSTRAINT:
        if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY) {
            throw DatabaseError(DatabaseError::KeyViolation,
                                TableFile::keyViolationMessage(const_cast<Connection&>(*this), message),
                                table);
        }
        if (rc == SQLITE_CONSTRAINT_NOTNULL) {
            QString field = message.section(QLatin1String(": "), 1);
            field = field.section(QLatin1Char('.'), -1);
            throw DatabaseError(DatabaseError::General,
                                QStringLiteral("Field \"%1\" must have a value%2.").arg(field, where), table);
        }
        break;
    case SQLITE_READONLY: {
        // a table read as it stands, because its folder may only be read
        const int index = table.isEmpty() ? -1 : findAttachment(table);
        const auto standing = std::find_if(m_attachments.cbegin(), m_attachments.cend(),
                                           [](const Attachment& a) { return a.asItStands; });
        const Attachment* attachment = index >= 0 ? &m_attachments.at(index)
            : standing != m_attachments.cend()    ? &*standing
                                                  : nullptr;
        if (attachment && attachment->asItStands) {
            throw DatabaseError(
                DatabaseError::NotEditable,
                QStringLiteral("Table \"%1\" cannot be written: the folder of \"%2\" may only be "
                               "read.")
                    .arg(attachment->tableName, attachment->filePath),
                table);
        }
        throw DatabaseError(DatabaseError::NotEditable, message + where, table);
    }
    case SQLITE_INTERRUPT:
        throw DatabaseError(DatabaseError::Cancelled, QStringLiteral("The query was cancelled%1.").arg(where),
                            table);
    case SQLITE_ERROR:
        if (message.startsWith(QLatin1String("no such table")))
            throw DatabaseError(DatabaseError::TableMissing, message + where, table);
        if (message.startsWith(QLatin1String("no such column")))
            throw DatabaseError(DatabaseError::FieldMissing, message + where, table);
        if (message.contains(QLatin1String("syntax error"))
            || message.startsWith(QLatin1String("unrecognized token"))
            || message.startsWith(QLatin1String("incomplete input"))
            || message.startsWith(QLatin1String("near ")))
            throw DatabaseError(DatabaseError::SyntaxError, message + where, table);
        break;
    default: break;
    }
    throw DatabaseError(DatabaseError::General, message + where, table);
}

} // namespace corvane
