#pragma once

#include "core/data/TableDatabase.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <cstdint>
#include <functional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace corvane {

// One prepared SQLite statement. Values are bound and read in their stored
// form (see FieldCodec): qint64, double, QString, QByteArray or invalid for NULL.
class Statement
{
public:
    Statement() = default;
    Statement(sqlite3_stmt* stmt)
        : m_stmt(stmt)
    {
    }
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool isNull() const { return m_stmt == nullptr; }
    sqlite3_stmt* handle() const { return m_stmt; }

    void bind(int index, const QVariant& stored); // 1-based
    void bindAll(const QVariantList& stored);
    // One step: SQLITE_ROW, SQLITE_DONE or an error code (the caller decides).
    int step();
    void reset();

    int columnCount() const;
    QVariant column(int i) const;
    qint64 columnInt64(int i) const;
    int columnType(int i) const;
    QString columnName(int i) const;
    QString columnDeclType(int i) const;   // empty for expressions
    QString columnOriginName(int i) const; // the table column behind a result column
    QString columnTableName(int i) const;

private:
    sqlite3_stmt* m_stmt = nullptr;
};

// A dataset's own SQLite connection: an in-memory main database to which the
// table files a dataset uses are attached, one schema per table, named after
// the table. The busy handler follows the session's lock settings, and the
// dialect's "+" function is registered on it.
class Connection
{
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens the in-memory main database when not open yet.
    void open();
    void close();
    bool isOpen() const { return m_db != nullptr; }
    sqlite3* handle() const { return m_db; }

    void setLockSettings(const LockSettings& lock) { m_lock = lock; }
    const LockSettings& lockSettings() const { return m_lock; }

    // Attaches the files of the tables (all at once; at most the attachment
    // limit), reusing attachments of the same files and detaching the least
    // recently used others. Checks each file: a table file that holds the
    // table and whose password (if any) the session has. Returns the schemas.
    // Without checkPasswords a protected table is attached for its definition alone.
    QStringList attach(const Database& database, const QStringList& tableNames, bool checkPasswords = true);
    QString attach(const Database& database, const QString& tableName, bool checkPasswords = true);
    // Schema of an attached table; empty when not attached.
    QString schemaOf(const QString& tableName) const;
    // Changes whenever a table is attached or detached or the connection
    // closes: a statement prepared under another generation is prepared anew.
    quint64 generation() const { return m_generation; }
    // The highest row number of an attached table, counted once per
    // attachment: a progress estimate, not an exact count. 0 when not attached.
    qint64 rowEstimate(const QString& tableName);
    // The name of the table as its file spells it.
    QString attachedName(const QString& tableName) const;
    void detach(const QString& tableName);
    void detachAll();

    Statement prepare(const QString& sql, const QString& tableForErrors = {});
    void exec(const QString& sql, const QString& tableForErrors = {});
    // Runs a prepared statement to its end; returns the rows it changed.
    qint64 run(Statement& statement, const QString& tableForErrors = {});
    qint64 changes() const;
    qint64 lastInsertRowId() const;

    // Throws the DatabaseError for an SQLite result code; tableForErrors
    // names the table(s) in the message.
    [[noreturn]] void fail(int rc, const QString& tableForErrors) const;
    [[noreturn]] void fail(int rc, const QString& message, const QString& tableForErrors) const;

    // Called every few thousand virtual machine steps while set.
    void setProgressHandler(std::function<void()> handler);
    // Asked as often as the progress handler while set; true stops the
    // running statement, which then fails with DatabaseError::Cancelled.
    void setCancelCheck(std::function<bool()> cancelled);

    static QString quoteName(const QString& name);
    // Registers the dialect's "+" function (PlusFunctionName) and the key
    // collector's function (KeyCollector::FunctionName) on a connection.
    static void registerFunctions(sqlite3* db);
    static int attachmentLimit();

private:
    struct Attachment
    {
        QString tableName; // as the file holds it
        QString schema;
        QString filePath;
        quint64 device = 0;
        quint64 inode = 0;
        quint64 lastUse = 0;
        bool accessChecked = false;
        bool readOnly = false;
        // Read as the file stands: its folder may only be read, so no program can
        // be writing it, and a write to it is refused naming the folder.
        bool asItStands = false;
        qint64 rowEstimate = -1; // -1: not counted since attaching
    };

    quint64 m_generation = 0;
    int findAttachment(const QString& tableName) const;

    void attachOne(const Database& database, const QString& tableName, const QString& filePath,
                   bool checkPasswords);
    void checkPassword(const Database& database, const Attachment& attachment);
    void detachAt(int index);
    QString freeSchemaName(const QString& tableName) const;

    sqlite3* m_db = nullptr;
    LockSettings m_lock;
    QList<Attachment> m_attachments;
    quint64 m_useCounter = 0;
    std::function<void()> m_progress;
    std::function<bool()> m_cancelled;
    void installProgressHandler();
    static int progressHandler(void* context);
};

// While one lives, every call of cv_collect_key(x) on this thread's
// connections appends x to keys and answers 0 (false). A statement whose
// WHERE ends in it so hands over the rowids it passes inside a single step,
// without returning a row each. Once keys holds pauseAt keys the call answers
// 1 (true) instead: the step then returns that row, and the next step, under
// a collector of its own, goes on where this one stopped.
class KeyCollector
{
public:
    static constexpr const char* FunctionName = "cv_collect_key";
    explicit KeyCollector(std::vector<qint64>& keys, size_t pauseAt = SIZE_MAX);
    ~KeyCollector();
    KeyCollector(const KeyCollector&) = delete;
    KeyCollector& operator=(const KeyCollector&) = delete;

private:
    std::vector<qint64>* m_previous;
    size_t m_previousPause;
};

} // namespace corvane
