#include "core/data/TableCopy.h"

#include "core/data/Connection.h"
#include "core/data/DatabaseError.h"
#include "core/data/TableDatabase.h"
#include "core/data/TableFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace corvane::TableCopy {

namespace {

// Pages copied per step: the progress bar moves every few megabytes.
constexpr int PagesPerStep = 4096;
// A step that finds a file locked is tried again this many times, this far apart.
constexpr int LockedStepRetries = 150;
constexpr int LockedStepWaitMs = 20;

int busyHandler(void* context, int count)
{
    const auto* lock = static_cast<const LockSettings*>(context);
    if (count >= lock->retryCount)
        return 0;
    sqlite3_sleep(qMax(lock->waitMs, 1));
    return 1;
}

// One raw handle on a table file, closed on every way out.
class RawFile
{
public:
    RawFile(const QString& path, int flags, const LockSettings& lock, const QString& tableName)
        : m_lock(lock)
        , m_table(tableName)
    {
        const int rc =
            sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) {
            const QString message = QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc));
            sqlite3_close_v2(m_db);
            m_db = nullptr;
            throw DatabaseError(DatabaseError::General,
                                QStringLiteral("Cannot open the file \"%1\" of table \"%2\": %3")
                                    .arg(path, tableName, message),
                                tableName);
        }
        sqlite3_busy_handler(m_db, &busyHandler, &m_lock);
    }
    ~RawFile() { sqlite3_close_v2(m_db); }
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;

    sqlite3* handle() const { return m_db; }
    // Waits for locks as the session's lock settings say (the default).
    void waitWhenLocked() { sqlite3_busy_handler(m_db, &busyHandler, &m_lock); }

    void exec(const char* sql)
    {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
            const QString message = QString::fromUtf8(error ? error : sqlite3_errmsg(m_db));
            sqlite3_free(error);
            fail(message);
        }
    }

    [[noreturn]] void fail(const QString& message) const
    {
        throw DatabaseError(DatabaseError::General,
                            QStringLiteral("Table \"%1\" cannot be copied: %2").arg(m_table, message),
                            m_table);
    }

private:
    sqlite3* m_db = nullptr;
    LockSettings m_lock;
    QString m_table;
};

void removeFileSet(const QString& path)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
}

// Copies every page of from into to with the online backup; reports progress
// after each step. A step that finds a file locked is tried again.
void backupPages(RawFile& from, RawFile& to, int pagesPerStep, const Progress& progress)
{
    sqlite3_backup* backup = sqlite3_backup_init(to.handle(), "main", from.handle(), "main");
    if (!backup)
        to.fail(QString::fromUtf8(sqlite3_errmsg(to.handle())));
    int rc = SQLITE_OK;
    int lockedSteps = 0;
    while (true) {
        rc = sqlite3_backup_step(backup, pagesPerStep);
        if (rc == SQLITE_OK || rc == SQLITE_DONE) {
            lockedSteps = 0;
            if (progress) {
                const int total = sqlite3_backup_pagecount(backup);
                const int left = sqlite3_backup_remaining(backup);
                progress(total > 0 ? int(qint64(total - left) * 100 / total) : 100);
            }
            if (rc == SQLITE_DONE)
                break;
        } else if ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && ++lockedSteps <= LockedStepRetries) {
            sqlite3_sleep(LockedStepWaitMs);
        } else {
            break;
        }
    }
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        to.fail(QString::fromUtf8(sqlite3_errstr(rc)));
}

// Copies a file's bytes as `cp` does: in the kernel where it can
// (copy_file_range), else through a buffer. Returns the error text, or empty.
QString copyFileBytes(const QString& from, const QString& to)
{
    const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    const int out = ::open(QFile::encodeName(to).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        const QString error = QString::fromLocal8Bit(std::strerror(errno));
        ::close(in);
        return error;
    }
    QString error;
    bool inKernel = true;
    while (true) {
        ssize_t n = -1;
        if (inKernel) {
            n = ::copy_file_range(in, nullptr, out, nullptr, size_t(1) << 30, 0);
            if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
                inKernel = false;
                continue;
            }
        } else {
            char buffer[1 << 16];
            n = ::read(in, buffer, sizeof buffer);
            for (ssize_t done = 0; n > 0 && done < n;) {
                const ssize_t w = ::write(out, buffer + done, size_t(n - done));
                if (w < 0) {
                    n = -1;
                    break;
                }
                done += w;
            }
        }
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = QString::fromLocal8Bit(std::strerror(errno));
            break;
        }
        if (n == 0)
            break;
    }
    if (::close(out) != 0 && error.isEmpty())
        error = QString::fromLocal8Bit(std::strerror(errno));
    ::close(in);
    return error;
}

// Whether the table file holds exactly what a read transaction that has just
// begun on it sees: a checkpoint run now copies the log into the file up to
// that reader's snapshot at most, so when it copies the whole log, the log
// holds nothing newer. (A file in rollback mode is its own snapshot while
// the reader holds its shared lock.)
bool fileIsSnapshot(const QString& path, const LockSettings& lock, const QString& tableName)
{
    RawFile checkpointer(path, SQLITE_OPEN_READWRITE, lock, tableName);
    int logFrames = -1;
    int copiedFrames = -1;
    return sqlite3_wal_checkpoint_v2(checkpointer.handle(), "main", SQLITE_CHECKPOINT_PASSIVE, &logFrames,
                                     &copiedFrames)
        == SQLITE_OK
        && logFrames == copiedFrames;
}

// Whether this is the only connection to a live table file; if so, it keeps
// every other connection out until it closes. Leaving WAL mode needs the only
// connection (an idle one elsewhere holds its shared lock), so the file is
// switched to rollback mode and locked exclusively. Otherwise it stays as it was.
bool holdAlone(RawFile& live)
{
    sqlite3* db = live.handle();
    sqlite3_busy_handler(db, nullptr, nullptr);
    const auto run = [db](const char* sql) {
        return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    };
    QString mode;
    sqlite3_stmt* stmt = nullptr;
    // Syncing the file that is about to be replaced would only cost time.
    run("PRAGMA synchronous = OFF");
    if (run("PRAGMA locking_mode = EXCLUSIVE")
        && sqlite3_prepare_v2(db, "PRAGMA journal_mode = DELETE", -1, &stmt, nullptr) == SQLITE_OK
        && sqlite3_step(stmt) == SQLITE_ROW)
        mode = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    const bool alone =
        mode.compare(QLatin1String("delete"), Qt::CaseInsensitive) == 0 && run("BEGIN EXCLUSIVE");
    if (!alone) {
        run("PRAGMA synchronous = NORMAL");
        if (mode.compare(QLatin1String("delete"), Qt::CaseInsensitive) == 0)
            run("PRAGMA journal_mode = WAL");
        run("PRAGMA locking_mode = NORMAL");
    }
    live.waitWhenLocked();
    return alone;
}

} // namespace

void copy(const Database& source, const QString& tableName, const Database& target, Replace replace,
          const Progress& progress)
{
    const LockSettings lock = source.session().lockSettings();
    {
        // The same checks as any opening: a table file, the table, the password.
        Connection check;
        check.setLockSettings(lock);
        check.attach(source, tableName);
    }
    const QString sourcePath = source.tableFilePath(tableName);
    if (target.directory().isEmpty() || !QFileInfo(target.directory()).isDir()) {
        throw DatabaseError(DatabaseError::General,
                            QStringLiteral("Cannot copy table \"%1\": the folder \"%2\" does not exist.")
                                .arg(tableName, target.directory()),
                            tableName);
    }
    const QString existing = target.tableFilePath(tableName);
    if (!existing.isEmpty()
        && QFileInfo(existing).canonicalFilePath() == QFileInfo(sourcePath).canonicalFilePath())
        return;
    const QString finalPath =
        existing.isEmpty() ? target.directory() + QFileInfo(sourcePath).fileName() : existing;
    const QString tempPath = finalPath + QStringLiteral(".copying");
    removeFileSet(tempPath);

    try {
        {
            RawFile from(sourcePath, SQLITE_OPEN_READWRITE, lock, tableName);
            // One read transaction for the whole copy: a writer in another
            // program goes on in the log, the copy keeps its snapshot.
            from.exec("BEGIN");
            from.exec("SELECT count(*) FROM sqlite_schema");
            if (fileIsSnapshot(sourcePath, lock, tableName)) {
                // The file alone is the snapshot, and no checkpoint can change
                // it while the read transaction lasts: its bytes are the copy.
                const QString error = copyFileBytes(sourcePath, tempPath);
                if (!error.isEmpty())
                    from.fail(QStringLiteral("%1 (writing \"%2\")").arg(error, finalPath));
                if (progress)
                    progress(100);
                from.exec("COMMIT");
            } else {
                RawFile to(tempPath, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, lock, tableName);
                // A temporary file nobody else opens: no journal, no syncs; it
                // only takes the target's place once it is complete.
                to.exec("PRAGMA journal_mode = OFF");
                to.exec("PRAGMA synchronous = OFF");
                backupPages(from, to, PagesPerStep, progress);
                from.exec("COMMIT");
            }
        }
        {
            // Table files are kept in WAL mode.
            RawFile copy(tempPath, SQLITE_OPEN_READWRITE, lock, tableName);
            copy.exec("PRAGMA journal_mode = WAL");
        }
        const auto renameIntoPlace = [&] {
            // A log left by an earlier file of that name must not be applied to the new one.
            QFile::remove(finalPath + QStringLiteral("-wal"));
            QFile::remove(finalPath + QStringLiteral("-shm"));
            QFile::remove(tempPath + QStringLiteral("-shm"));
            if (std::rename(QFile::encodeName(tempPath).constData(), QFile::encodeName(finalPath).constData())
                != 0) {
                throw DatabaseError(DatabaseError::General,
                                    QStringLiteral("Table \"%1\" cannot be copied: the file \"%2\" cannot be "
                                                   "replaced.")
                                        .arg(tableName, finalPath),
                                    tableName);
            }
        };
        if (replace == Replace::InPlace && !existing.isEmpty()) {
            RawFile live(finalPath, SQLITE_OPEN_READWRITE, lock, tableName);
            if (holdAlone(live)) {
                // No other connection has the live table open, and none can
                // begin while this one holds its lock: the complete copy takes
                // the file's place.
                renameIntoPlace();
            } else {
                RawFile from(tempPath, SQLITE_OPEN_READWRITE, lock, tableName);
                // As the data layer writes its table files: WAL, synced at checkpoints.
                live.exec("PRAGMA synchronous = NORMAL");
                // All pages in one step: one write transaction on the live file.
                backupPages(from, live, -1, {});
            }
        } else {
            renameIntoPlace();
        }
    } catch (...) {
        removeFileSet(tempPath);
        throw;
    }
    removeFileSet(tempPath);
}

} // namespace corvane::TableCopy
