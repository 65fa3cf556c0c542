#include "core/data/TableCopy.h"

#include "core/data/Connection.h"
#include "core/data/DatabaseError.h"
#include "core/data/TableDatabase.h"
#include "core/data/TableFile.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <filesystem>
#include <sqlite3.h>
#include <system_error>

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
                std::error_code error;
                std::filesystem::copy_file(QFile::encodeName(sourcePath).constData(),
                                           QFile::encodeName(tempPath).constData(),
                                           std::filesystem::copy_options::overwrite_existing, error);
                if (error)
                    from.fail(QString::fromLocal8Bit(error.message().c_str()));
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
        if (replace == Replace::InPlace && !existing.isEmpty()) {
            RawFile from(tempPath, SQLITE_OPEN_READWRITE, lock, tableName);
            RawFile to(finalPath, SQLITE_OPEN_READWRITE, lock, tableName);
            // As the data layer writes its table files: WAL, synced at checkpoints.
            to.exec("PRAGMA synchronous = NORMAL");
            // All pages in one step: one write transaction on the live file.
            backupPages(from, to, -1, {});
        } else {
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
        }
    } catch (...) {
        removeFileSet(tempPath);
        throw;
    }
    removeFileSet(tempPath);
}

} // namespace corvane::TableCopy
