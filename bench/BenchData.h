// The year-of-data folder the benchmarks run on: one large project and three
// small ones, 365 daily sessions, written with plain sqlite3 into table files
// that Database::createTable made, so they carry the schema's indexes.
#pragma once

#include <QDate>
#include <QString>

#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvane::bench {

std::string utf8(const QString& text);
[[noreturn]] void sqliteFailure(sqlite3* db, const std::string& what);

// A bare sqlite3 connection.
class RawDb
{
public:
    RawDb() = default;
    explicit RawDb(const std::string& path) { open(path); }
    ~RawDb() { close(); }
    RawDb(const RawDb&) = delete;
    RawDb& operator=(const RawDb&) = delete;

    void open(const std::string& path)
    {
        close();
        if (sqlite3_open_v2(path.c_str(), &m_db,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr)
            != SQLITE_OK)
            sqliteFailure(m_db, "open " + path);
    }
    void close()
    {
        if (m_db)
            sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    sqlite3* handle() const { return m_db; }

    void exec(const std::string& sql)
    {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string message = error ? error : "unknown error";
            sqlite3_free(error);
            throw std::runtime_error(sql + ": " + message);
        }
    }
    sqlite3_stmt* prepare(const std::string& sql)
    {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.c_str(), int(sql.size()), &statement, nullptr) != SQLITE_OK)
            sqliteFailure(m_db, "prepare " + sql);
        return statement;
    }
    void attach(const std::string& path, const std::string& schema)
    {
        sqlite3_stmt* statement = prepare("ATTACH DATABASE ?1 AS \"" + schema + "\"");
        sqlite3_bind_text(statement, 1, path.c_str(), int(path.size()), SQLITE_TRANSIENT);
        const int rc = sqlite3_step(statement);
        sqlite3_finalize(statement);
        if (rc != SQLITE_DONE)
            sqliteFailure(m_db, "attach " + path);
    }

private:
    sqlite3* m_db = nullptr;
};

constexpr int DayCount = 365;
QDate firstDay();
QDate lastDay();

// The large project, its key URL and the engine of the detail chart's series.
inline const std::string BigProject = "Atlas";
inline const std::string KeyUrl = "Home";
inline const std::string SeriesEngine = "Seeker";

// The large project's 100 terms; the detail chart's series uses the first.
std::vector<std::string> bigProjectTerms();

struct GeneratedCounts
{
    qint64 rank = 0;
    qint64 hilo = 0;
    qint64 summary = 0;
};

// True when the folder holds data of this generator version and schema.
bool folderIsCurrent(const QString& folder, bool analyze);
// Builds the folder anew. Throws std::runtime_error or DatabaseError.
GeneratedCounts generate(const QString& folder, bool analyze);

// The default folder: <build>/bench-data beside the program's bin folder.
QString defaultFolder();

// The folder of the year of data and whether to build it again, read from a
// benchmark's "--data DIR" and "--regenerate" arguments.
struct DataArguments
{
    QString folder;
    bool regenerate = false;
};
DataArguments dataArguments(const QStringList& arguments);
// Generates the folder unless it is current (or `regenerate`), printing
// what it does.
void prepareFolder(const QString& folder, bool analyze, bool regenerate);

} // namespace corvane::bench
