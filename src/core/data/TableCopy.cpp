#include "core/data/TableCopy.h"

#include "core/data/Connection.h"
#include "core/data/DatabaseError.h"
#include "core/data/TableDatabase.h"
#include "core/data/TableFile.h"

#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

    // The first column of the first row of a statement; empty when it has none.
    QString text(const char* sql)
    {
        QString value;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr) == SQLITE_OK
            && sqlite3_step(stmt) == SQLITE_ROW)
            value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
        return value;
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

// The wal-index header of a table file in WAL mode, as SQLite lays it out at
// the start of the "-shm" file (two copies of it, then the checkpoint record).
struct WalIndexHeader
{
    std::uint32_t version;
    std::uint32_t unused;
    std::uint32_t change;
    std::uint8_t isInit;
    std::uint8_t bigEndianChecksum;
    std::uint16_t pageSize; // 1 stands for 65536
    std::uint32_t maxFrame;
    std::uint32_t pageCount;
    std::uint32_t frameChecksum[2];
    std::uint32_t salt[2];
    std::uint32_t checksum[2];
};
static_assert(sizeof(WalIndexHeader) == 48);
constexpr std::uint32_t WalIndexVersion = 3007000;
constexpr int BackfillWord = 24; // the checkpoint record's frame count, after the two headers

// The size in bytes of the snapshot a read transaction holds when its file's
// bytes are exactly that snapshot and stay so until the transaction ends;
// -1 when they are not (or that cannot be told), and the pages must be read
// through the transaction instead.
//
// In rollback mode the reader's shared lock keeps every writer from
// committing: the file is its own snapshot. In WAL mode a checkpoint writes a
// frame of the log into the file only when no reader reads the file alone
// (read lock 0) and no reader's mark lies before that frame, and a reader
// reads the file alone only when every frame was in it as it began. So when
// the wal-index, read after the transaction began, says that every frame of
// the log is in the file (the checkpointed count equals the log's), the
// reader either reads the file alone, or holds a mark at that very frame: in
// both cases no checkpoint can write into the file until it ends.
//
// Nothing here runs a checkpoint, and the file and its wal-index are read
// through SQLite's own handles: opening and closing another descriptor on
// them would drop every POSIX lock this process holds on them, and with it
// the protection of every connection of the process against other programs.
qint64 frozenSnapshotSize(RawFile& reader)
{
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(reader.handle(), "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file
        || !file->pMethods)
        return -1;
    sqlite3_int64 fileSize = 0;
    if (file->pMethods->xFileSize(file, &fileSize) != SQLITE_OK)
        return -1;
    const QString mode = reader.text("PRAGMA journal_mode");
    if (mode.isEmpty())
        return -1;
    if (mode.compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
        return fileSize;
    if (file->pMethods->iVersion < 2 || !file->pMethods->xShmMap)
        return -1;
    void volatile* region = nullptr;
    if (file->pMethods->xShmMap(file, 0, 32 * 1024, 0, &region) != SQLITE_OK || !region)
        return -1;
    const auto* words = static_cast<const volatile std::uint32_t*>(region);
    constexpr int HeaderWords = int(sizeof(WalIndexHeader) / 4);
    // Read as SQLite reads it: the first copy, then the second; a writer
    // writes them the other way round, so two equal copies with a right
    // checksum are a whole header.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::uint32_t first[HeaderWords];
        std::uint32_t second[HeaderWords];
        for (int i = 0; i < HeaderWords; ++i)
            first[i] = words[i];
        std::atomic_thread_fence(std::memory_order_seq_cst);
        for (int i = 0; i < HeaderWords; ++i)
            second[i] = words[HeaderWords + i];
        std::atomic_thread_fence(std::memory_order_seq_cst);
        const std::uint32_t backfilled = words[BackfillWord];
        if (std::memcmp(first, second, sizeof first) != 0) {
            sqlite3_sleep(1);
            continue;
        }
        WalIndexHeader header;
        std::memcpy(&header, first, sizeof header);
        std::uint32_t s1 = 0;
        std::uint32_t s2 = 0;
        for (int i = 0; i < HeaderWords - 2; i += 2) {
            s1 += first[i] + s2;
            s2 += first[i + 1] + s1;
        }
        if (!header.isInit || header.version != WalIndexVersion || s1 != header.checksum[0]
            || s2 != header.checksum[1])
            return -1;
        if (backfilled != header.maxFrame)
            return -1;
        // An empty log (nothing written since it was opened or reset) leaves
        // the whole file as it is.
        if (header.maxFrame == 0)
            return fileSize;
        const qint64 pageSize = header.pageSize == 1 ? 65536 : header.pageSize;
        const qint64 size = qint64(header.pageCount) * pageSize;
        if (size == 0 || size > fileSize)
            return -1;
        return size;
    }
    return -1;
}

// A file descriptor of our own, closed on every way out.
class OwnFd
{
public:
    OwnFd() = default;
    explicit OwnFd(int fd)
        : m_fd(fd)
    {
    }
    ~OwnFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    OwnFd(const OwnFd&) = delete;
    OwnFd& operator=(const OwnFd&) = delete;
    int get() const { return m_fd; }
    // Closes it now; returns the error text of a failing close, or empty.
    QString close()
    {
        const int fd = m_fd;
        m_fd = -1;
        if (fd >= 0 && ::close(fd) != 0)
            return QString::fromLocal8Bit(std::strerror(errno));
        return {};
    }

private:
    int m_fd = -1;
};

// The file descriptor through which SQLite reads the table file at path, or
// -1. A descriptor of our own will not do: closing any descriptor of a file
// drops every lock this process holds on it, those of the program's other
// connections too. SQLite's unix file systems keep the descriptor after
// three pointers at the start of their file object; it is used only when it
// is open on the very file at path.
int sqliteDescriptor(RawFile& reader, const QString& path)
{
    sqlite3_vfs* vfs = nullptr;
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(reader.handle(), "main", SQLITE_FCNTL_VFS_POINTER, &vfs) != SQLITE_OK
        || sqlite3_file_control(reader.handle(), "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK
        || !vfs || !file || !vfs->zName || std::strncmp(vfs->zName, "unix", 4) != 0)
        return -1;
    struct UnixFileStart
    {
        const sqlite3_io_methods* methods;
        sqlite3_vfs* vfs;
        void* inode;
        int fd;
    };
    const int fd = reinterpret_cast<const UnixFileStart*>(file)->fd;
    struct stat held = {};
    struct stat named = {};
    if (fd < 0 || ::fstat(fd, &held) != 0 || ::stat(QFile::encodeName(path).constData(), &named) != 0
        || held.st_dev != named.st_dev || held.st_ino != named.st_ino)
        return -1;
    return fd;
}

// Copies the first size bytes of the table file that reader has open (at
// path) into a new file. Where it can, the kernel copies them from SQLite's
// own descriptor, as `cp` copies; otherwise (another file system, another
// kind of SQLite file) they are read through the reader's handle. Returns
// the error text, or empty.
QString copySnapshotBytes(RawFile& reader, const QString& path, qint64 size, const QString& to,
                          const Progress& progress)
{
    const int sourceFd = sqliteDescriptor(reader, path);
    OwnFd out(::open(QFile::encodeName(to).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (out.get() < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    int reported = -1;
    const auto report = [&](qint64 done) {
        const int percent = int(done * 100 / size);
        if (progress && percent / 5 != reported / 5) {
            reported = percent;
            progress(percent);
        }
    };
    constexpr qint64 Chunk = qint64(8) << 20;
    qint64 offset = 0;
    if (sourceFd >= 0) {
        while (offset < size) {
            loff_t in = offset;
            loff_t at = offset;
            const ssize_t n =
                ::copy_file_range(sourceFd, &in, out.get(), &at, size_t(qMin(Chunk, size - offset)), 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && offset == 0
                && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL))
                break; // not here: read it through the handle below
            if (n < 0)
                return QString::fromLocal8Bit(std::strerror(errno));
            if (n == 0)
                return QStringLiteral("the table file ends before its last page");
            offset += n;
            report(offset);
        }
    }
    sqlite3_file* file = nullptr;
    sqlite3_file_control(reader.handle(), "main", SQLITE_FCNTL_FILE_POINTER, &file);
    std::vector<char> buffer(offset < size ? size_t(qMin(Chunk, size)) : 0);
    while (offset < size) {
        const int n = int(qMin(Chunk, size - offset));
        const int rc = file->pMethods->xRead(file, buffer.data(), n, offset);
        if (rc != SQLITE_OK)
            return QString::fromUtf8(sqlite3_errstr(rc));
        for (int done = 0; done < n;) {
            const ssize_t w = ::pwrite(out.get(), buffer.data() + done, size_t(n - done), offset + done);
            if (w < 0 && errno == EINTR)
                continue;
            if (w < 0)
                return QString::fromLocal8Bit(std::strerror(errno));
            done += int(w);
        }
        offset += n;
        report(offset);
    }
    return out.close();
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
        bool inWalMode = false;
        {
            RawFile from(sourcePath, SQLITE_OPEN_READWRITE, lock, tableName);
            // One read transaction for the whole copy: a writer in another
            // program goes on in the log, the copy keeps its snapshot.
            from.exec("BEGIN");
            from.exec("SELECT count(*) FROM sqlite_schema");
            const qint64 snapshotSize = frozenSnapshotSize(from);
            if (snapshotSize >= 0) {
                // The file alone is the snapshot, and no checkpoint can change
                // it while the read transaction lasts: its bytes are the copy.
                const QString error = copySnapshotBytes(from, sourcePath, snapshotSize, tempPath, progress);
                if (!error.isEmpty())
                    from.fail(QStringLiteral("%1 (writing \"%2\")").arg(error, finalPath));
                from.exec("COMMIT");
                // Only a file in WAL mode has a wal-index: so has its copy.
                inWalMode = true;
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
        if (!inWalMode) {
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
