#include "core/repair/RawTableFile.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

namespace corvane::repair {

namespace {
// Another program may hold the file for a moment (Harvester, Corvane).
constexpr int BusyTimeoutMs = 5000;
} // namespace

RawTableFile::RawTableFile(const QString& path, Open mode)
    : m_path(path)
{
    if (mode != Open::Create && !QFile::exists(path)) {
        m_openError = QStringLiteral("The file \"%1\" does not exist.").arg(path);
        return;
    }
    // In a folder that can be written, reads go through an ordinary connection:
    // it only reads, and closing it removes the -wal and -shm files, where a
    // read-only connection would leave them behind in the user's data folder.
    if (mode == Open::ReadOnly && !QFileInfo(QFileInfo(path).absolutePath()).isWritable()) {
        openReadOnly();
        return;
    }
    const int flags =
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (mode == Open::Create ? SQLITE_OPEN_CREATE : 0);
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        m_openError = QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc));
        close();
        return;
    }
    sqlite3_busy_timeout(m_db, BusyTimeoutMs);
    sqlite3_extended_result_codes(m_db, 0);
}

void RawTableFile::openReadOnly()
{
    // A table in WAL mode needs its shared-memory file beside it; in a folder
    // nobody may write, where no other program can be writing either, the file
    // is read as it stands (immutable).
    const QByteArray name = QUrl::fromLocalFile(m_path).toEncoded();
    const auto open = [&](const char* query) {
        const QByteArray uri = name + QByteArray(query);
        const int rc = sqlite3_open_v2(uri.constData(), &m_db,
                                       SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI, nullptr);
        if (rc != SQLITE_OK) {
            m_openError = QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc));
            close();
            return false;
        }
        sqlite3_busy_timeout(m_db, BusyTimeoutMs);
        sqlite3_extended_result_codes(m_db, 0);
        return true;
    };
    if (!open("?mode=ro"))
        return;
    const int probe = sqlite3_exec(m_db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (probe == SQLITE_CANTOPEN || probe == SQLITE_READONLY) {
        close();
        open("?mode=ro&immutable=1");
    }
}

RawTableFile::~RawTableFile() { close(); }

bool RawTableFile::exec(const QString& sql)
{
    return m_db && sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

Statement RawTableFile::prepare(const QString& sql)
{
    if (!m_db)
        return {};
    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return {};
    }
    return Statement(stmt);
}

QString RawTableFile::lastError() const
{
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : m_openError;
}

void RawTableFile::close()
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

} // namespace corvane::repair
