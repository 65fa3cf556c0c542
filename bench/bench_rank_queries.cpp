// Times the rank-data queries that the dashboard, the day-at-a-glance window
// and the detail chart run, on a year of data for one large project, through
// the data layer (corvane::Query) and through a bare SQLite connection that
// attaches the same table files and runs the same translated statement.
//
// The data folder (default: <build>/bench-data) is generated on first use and
// reused while the generator version and the schema stay the same.
//
//   bench_rank_queries [--data DIR] [--reps N] [--clock wall|cpu] [--only TEXT]
//                      [--verbose] [--regenerate] [--analyze]
//
// Exit status: 0 when every query meets its targets, 1 when one does not,
// 2 on an error.
#include "data/DatabaseError.h"
#include "data/Dataset.h"
#include "data/FieldCodec.h"
#include "data/Schema.h"
#include "data/SqlDialect.h"
#include "data/SqlQuote.h"
#include "data/TableDatabase.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <time.h>

namespace corvane {
namespace {

// Bump whenever the generated data changes shape.
constexpr int GeneratorVersion = 1;

constexpr double TargetMs = 50.0;
constexpr double TargetRatio = 1.5;

// ------------------------------------------------------------ bare SQLite

std::string utf8(const QString& text)
{
    return text.toStdString();
}

[[noreturn]] void sqliteFailure(sqlite3* db, const std::string& what)
{
    throw std::runtime_error(what + ": " + (db ? sqlite3_errmsg(db) : "no connection"));
}

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
        if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                            nullptr)
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

// An INSERT statement with positional binds; step() runs it and resets.
class Inserter
{
public:
    Inserter(RawDb& db, const std::string& sql) : m_db(db), m_statement(db.prepare(sql)) {}
    ~Inserter() { sqlite3_finalize(m_statement); }
    Inserter(const Inserter&) = delete;
    Inserter& operator=(const Inserter&) = delete;

    Inserter& text(int i, const std::string& value)
    {
        sqlite3_bind_text(m_statement, i, value.c_str(), int(value.size()), SQLITE_STATIC);
        return *this;
    }
    Inserter& integer(int i, qint64 value)
    {
        sqlite3_bind_int64(m_statement, i, value);
        return *this;
    }
    Inserter& real(int i, double value)
    {
        sqlite3_bind_double(m_statement, i, value);
        return *this;
    }
    Inserter& null(int i)
    {
        sqlite3_bind_null(m_statement, i);
        return *this;
    }
    void step()
    {
        if (sqlite3_step(m_statement) != SQLITE_DONE)
            sqliteFailure(m_db.handle(), "insert");
        sqlite3_reset(m_statement);
    }

private:
    RawDb& m_db;
    sqlite3_stmt* m_statement;
};

// ----------------------------------------------------------- the data set

struct ProjectData
{
    std::string name;
    std::vector<std::string> engines;
    std::vector<int> popularity;          // per engine
    std::vector<std::string> terms;
    std::vector<std::string> urlNames;
    std::vector<std::string> urlAddresses;
};

const std::vector<std::string>& engineCatalogue()
{
    static const std::vector<std::string> names = {"Seeker", "Findr",   "Lookout", "Trawler", "Scout",
                                                   "Compass", "Beacon", "Harbor",  "Quarry",  "Meridian"};
    return names;
}

int cataloguePopularity(size_t i)
{
    return 100 - int(i) * 9;   // 100, 91, ... 19: distinct, so the Top 10 order is fixed
}

// 100 terms in mixed case, some with quotes, so that NOCASE ordering and the
// quoting of values both take part. The detail chart's series uses term 0.
std::vector<std::string> bigProjectTerms()
{
    static const char* adjectives[] = {"cheap", "Best", "waterproof", "Lightweight", "men's",
                                       "women's", "kids", "Outdoor", "ultralight", "Discount"};
    static const char* nouns[] = {"hiking boots", "tents",        "Sleeping Bags",  "backpacks", "rain jackets",
                                  "trekking poles", "Camp Stoves", "headlamps",     "water filters", "climbing rope"};
    std::vector<std::string> terms;
    for (const char* adjective : adjectives) {
        for (const char* noun : nouns)
            terms.push_back(std::string(adjective) + ' ' + noun);
    }
    terms[0] = "O'Reilly \"books\"";
    return terms;
}

std::vector<ProjectData> projects()
{
    std::vector<ProjectData> result;

    ProjectData big;
    big.name = "Atlas";
    big.engines = engineCatalogue();
    for (size_t i = 0; i < big.engines.size(); ++i)
        big.popularity.push_back(cataloguePopularity(i));
    big.terms = bigProjectTerms();
    big.urlNames = {"Home", "Shop", "Blog", "Docs", "News"};
    big.urlAddresses = {"atlas-outdoor.example", "shop.atlas-outdoor.example", "atlas-outdoor.example/blog",
                        "atlas-outdoor.example/docs", "atlas-outdoor.example/news"};
    result.push_back(big);

    // Small projects that share engine names, URL names and days with the
    // large one, so that every query has to filter on Project.
    const char* smallNames[] = {"Birch", "Cedar", "Dune"};
    for (int p = 0; p < 3; ++p) {
        ProjectData small;
        small.name = smallNames[p];
        for (size_t e = size_t(p); e < size_t(p) + 3; ++e) {
            small.engines.push_back(engineCatalogue().at(e));
            small.popularity.push_back(cataloguePopularity(e));
        }
        for (int t = 0; t < 10; ++t)
            small.terms.push_back(big.terms.at(size_t(t * 10 + p + 1)));
        small.urlNames = {"Home", "Shop"};
        std::string host = small.name;
        std::transform(host.begin(), host.end(), host.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        small.urlAddresses = {host + ".example", "shop." + host + ".example"};
        result.push_back(small);
    }
    return result;
}

constexpr int DayCount = 365;

QDate firstDay()
{
    return QDate(2025, 1, 1);
}

QDate lastDay()
{
    return firstDay().addDays(DayCount - 1);
}

const std::string BigProject = "Atlas";
const std::string KeyUrl = "Home";
const std::string SeriesEngine = "Seeker";

// ---------------------------------------------------------- data folder

QString schemaFingerprint()
{
    QStringList parts;
    for (const TableDef& def : Schema::tables()) {
        parts << def.name;
        for (const FieldDef& field : def.fields)
            parts << field.name + QLatin1Char(':') + QString::number(int(field.type)) + QLatin1Char(':')
                         + QString::number(field.size);
        for (const IndexDef& index : def.indexes)
            parts << index.name + QLatin1Char('=') + index.fields.join(QLatin1Char(','))
                         + (index.unique ? QStringLiteral("/u") : QString())
                         + (index.caseInsensitive ? QStringLiteral("/ci") : QString());
    }
    return QString::fromLatin1(
        QCryptographicHash::hash(parts.join(QLatin1Char(';')).toUtf8(), QCryptographicHash::Sha1).toHex());
}

QString markerText(bool analyze)
{
    return QStringLiteral("generator %1\nschema %2\nanalyze %3\n")
        .arg(GeneratorVersion)
        .arg(schemaFingerprint())
        .arg(analyze ? 1 : 0);
}

QString markerPath(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("bench-data.version"));
}

bool folderIsCurrent(const QString& folder, bool analyze)
{
    QFile marker(markerPath(folder));
    if (!marker.open(QIODevice::ReadOnly))
        return false;
    return QString::fromUtf8(marker.readAll()) == markerText(analyze);
}

// Opens a freshly created table file for bulk filling: no journal, no syncs.
// The file is put back into WAL mode by finishBulk().
void startBulk(RawDb& db, const QString& path)
{
    db.open(utf8(path));
    db.exec("PRAGMA journal_mode = DELETE");
    db.exec("PRAGMA synchronous = OFF");
    db.exec("PRAGMA cache_size = -262144");
    db.exec("BEGIN");
}

void finishBulk(RawDb& db, bool analyze)
{
    db.exec("COMMIT");
    if (analyze)
        db.exec("ANALYZE");
    db.exec("PRAGMA journal_mode = WAL");
    db.close();
}

struct GeneratedCounts
{
    qint64 rank = 0;
    qint64 hilo = 0;
    qint64 summary = 0;
};

GeneratedCounts generate(const QString& folder, bool analyze)
{
    QDir dir(folder);
    if (dir.exists())
        dir.removeRecursively();
    if (!QDir().mkpath(folder))
        throw std::runtime_error("cannot create " + utf8(folder));

    Session session(QStringLiteral("BenchSession"));
    session.addPassword(QLatin1String(Schema::SE3Password));
    Database database(QStringLiteral("General"), &session);
    database.setDirectory(folder);
    database.connect();
    for (const TableDef& def : Schema::tables())
        database.createTable(def, def.passwordProtected ? QLatin1String(Schema::SE3Password) : QString());

    const std::vector<ProjectData> all = projects();
    std::vector<std::string> dates;
    for (int day = 0; day < DayCount; ++day)
        dates.push_back(utf8(firstDay().addDays(day).toString(QStringLiteral("yyyy-MM-dd"))));

    // Small tables: projects, URLs, terms, engines.
    {
        RawDb db;
        startBulk(db, database.tableFilePath(QStringLiteral("CVProject")));
        Inserter insert(db, "INSERT INTO CVProject (Name, Depth, KeyURL, FullURLData, StopOnHit, LastRun, "
                            "Logo_Basic_Chart, Logo_Basic_Rpt, Logo_GandL_Chart, Logo_GandL_Rpt, Logo_Pos_Rpt, "
                            "Logo_Scores_Chart, Logo_Scores_Rpt, Logo_SEPop_Rpt) "
                            "VALUES (?1, ?2, ?3, 0, 0, ?4, 0, 0, 0, 0, 0, 0, 0, 0)");
        const double lastRun = FieldCodec::toDayCount(QDateTime(lastDay(), QTime(6, 30)));
        for (const ProjectData& p : all)
            insert.text(1, p.name).integer(2, 100).text(3, KeyUrl).real(4, lastRun).step();
        finishBulk(db, analyze);
    }
    {
        RawDb db;
        startBulk(db, database.tableFilePath(QStringLiteral("CVURL")));
        Inserter insert(db, "INSERT INTO CVURL (Name, URL, Project, AnyMatch) VALUES (?1, ?2, ?3, 0)");
        for (const ProjectData& p : all) {
            for (size_t u = 0; u < p.urlNames.size(); ++u)
                insert.text(1, p.urlNames[u]).text(2, p.urlAddresses[u]).text(3, p.name).step();
        }
        finishBulk(db, analyze);
    }
    {
        RawDb db;
        startBulk(db, database.tableFilePath(QStringLiteral("CVST")));
        Inserter insert(db, "INSERT INTO CVST (Virtual, Physical, Project) VALUES (?1, ?2, ?3)");
        for (const ProjectData& p : all) {
            for (const std::string& term : p.terms) {
                std::string physical;
                for (char c : term)
                    physical += c == ' ' ? std::string("~~~") : std::string(1, c);
                insert.text(1, term).text(2, physical).text(3, p.name).step();
            }
        }
        finishBulk(db, analyze);
    }
    {
        RawDb db;
        startBulk(db, database.tableFilePath(QStringLiteral("CVSE3")));
        Inserter insert(db, "INSERT INTO CVSE3 (Name, Project, Popularity, Country, Group1, Group2, Group3, Group4, "
                            "Group5, API) VALUES (?1, ?2, ?3, 'US', 'General', 'Web', 'Global', ?1, '', 0)");
        for (const ProjectData& p : all) {
            for (size_t e = 0; e < p.engines.size(); ++e)
                insert.text(1, p.engines[e]).text(2, p.name).integer(3, p.popularity[e]).step();
        }
        finishBulk(db, analyze);
    }

    // The result tables, one mining session per day. Each engine x term x URL
    // combination is ranked on about 55% of the days: a ranked one drops out
    // with 9% and an unranked one comes in with 11% a day, and a rank moves by
    // up to 4 places on about a third of the days.
    GeneratedCounts counts;
    RawDb rankDb;
    RawDb hiloDb;
    RawDb summaryDb;
    startBulk(rankDb, database.tableFilePath(QStringLiteral("CVRank")));
    startBulk(hiloDb, database.tableFilePath(QStringLiteral("CVHilo")));
    startBulk(summaryDb, database.tableFilePath(QStringLiteral("Summary")));
    {
        Inserter rank(rankDb, "INSERT INTO CVRank (Project, SearchEngine, SearchTerm, URL, Rank, Page, xDate, FoundLink) "
                              "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, NULL)");
        Inserter hilo(hiloDb, "INSERT INTO CVHilo (Project, xDate, URL, SearchEngine, SearchTerm, AltYesterday, "
                              "AltToday, Difference, Inc) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, NULL)");
        Inserter summary(summaryDb, "INSERT INTO Summary (Project, xDate, Type, SearchEngine, SearchTerm, URL, Rank, "
                                    "Page) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
        const std::string topSe = "TopSE";
        const std::string newType = "New";
        const std::string pr1 = "PR1";
        const std::string sat = "SAT";
        const std::string none;

        std::mt19937 random(20250101u);
        std::uniform_real_distribution<double> chance(0.0, 1.0);
        std::uniform_int_distribution<int> anyRank(1, 100);
        std::uniform_int_distribution<int> step(-4, 4);
        const auto page = [](int r) { return (r - 1) / 10 + 1; };

        for (const ProjectData& p : all) {
            const size_t engines = p.engines.size();
            const size_t terms = p.terms.size();
            const size_t urls = p.urlNames.size();
            const size_t combos = engines * terms * urls;
            const auto at = [&](size_t e, size_t t, size_t u) { return (e * terms + t) * urls + u; };
            std::vector<int> today(combos, 0);      // 0: not ranked
            std::vector<int> yesterday(combos, 0);

            for (int day = 0; day < DayCount; ++day) {
                const std::string& date = dates[size_t(day)];
                yesterday = today;
                for (size_t c = 0; c < combos; ++c) {
                    int& r = today[c];
                    if (day == 0) {
                        r = chance(random) < 0.55 ? anyRank(random) : 0;
                    } else if (r > 0) {
                        if (chance(random) < 0.09)
                            r = 0;
                        else if (chance(random) < 0.35)
                            r = std::clamp(r + step(random), 1, 100);
                    } else if (chance(random) < 0.11) {
                        r = anyRank(random);
                    }
                }
                for (size_t e = 0; e < engines; ++e) {
                    for (size_t t = 0; t < terms; ++t) {
                        for (size_t u = 0; u < urls; ++u) {
                            const size_t c = at(e, t, u);
                            const int r = today[c];
                            const int before = yesterday[c];
                            if (r > 0) {
                                rank.text(1, p.name).text(2, p.engines[e]).text(3, p.terms[t]).text(4, p.urlNames[u]);
                                rank.integer(5, r).integer(6, page(r)).text(7, date).step();
                                ++counts.rank;
                            }
                            if (day > 0 && r != before) {
                                hilo.text(1, p.name).text(2, date).text(3, p.urlNames[u]).text(4, p.engines[e]);
                                hilo.text(5, p.terms[t]).integer(6, before).integer(7, r).integer(8, before - r).step();
                                ++counts.hilo;
                            }
                        }
                    }
                }

                // The session's summaries for the key URL (URL 0). TopSE: the best
                // ten terms on every engine. New: terms that entered the results.
                const bool lastSession = day == DayCount - 1;
                for (size_t e = 0; e < engines; ++e) {
                    std::vector<std::pair<int, size_t>> ranked;
                    for (size_t t = 0; t < terms; ++t) {
                        const int r = today[at(e, t, 0)];
                        if (r > 0)
                            ranked.emplace_back(r, t);
                        if (r > 0 && day > 0 && yesterday[at(e, t, 0)] == 0) {
                            summary.text(1, p.name).text(2, date).text(3, newType).text(4, p.engines[e]);
                            summary.text(5, p.terms[t]).text(6, KeyUrl).integer(7, r).integer(8, page(r)).step();
                            ++counts.summary;
                        }
                        // The first-page and saturation lists hold only the last
                        // session: the dashboard reads them without a date.
                        if (lastSession && r > 0 && r <= 10) {
                            summary.text(1, p.name).text(2, date).text(3, pr1).text(4, p.engines[e]);
                            summary.text(5, p.terms[t]).text(6, KeyUrl).integer(7, r).integer(8, page(r)).step();
                            ++counts.summary;
                        }
                    }
                    std::sort(ranked.begin(), ranked.end());
                    for (size_t i = 0; i < ranked.size() && i < 10; ++i) {
                        const int r = ranked[i].first;
                        summary.text(1, p.name).text(2, date).text(3, topSe).text(4, p.engines[e]);
                        summary.text(5, p.terms[ranked[i].second]).text(6, KeyUrl).integer(7, r).integer(8, page(r)).step();
                        ++counts.summary;
                    }
                    if (lastSession) {
                        int hits = 0;
                        for (size_t t = 0; t < terms; ++t) {
                            for (size_t u = 0; u < urls; ++u)
                                hits += today[at(e, t, u)] > 0 ? 1 : 0;
                        }
                        summary.text(1, p.name).text(2, date).text(3, sat).text(4, p.engines[e]);
                        summary.text(5, none).text(6, none).integer(7, hits).integer(8, 0).step();
                        ++counts.summary;
                    }
                }
            }
        }
    }
    finishBulk(rankDb, analyze);
    finishBulk(hiloDb, analyze);
    finishBulk(summaryDb, analyze);

    QFile marker(markerPath(folder));
    if (!marker.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write the version marker");
    marker.write(markerText(analyze).toUtf8());
    return counts;
}

// ---------------------------------------------------------------- timing

// Wall-clock time by default; the CPU time of this thread on request, which
// other programs on a busy machine disturb much less.
bool g_cpuClock = false;

double nowMs()
{
    timespec ts {};
    clock_gettime(g_cpuClock ? CLOCK_THREAD_CPUTIME_ID : CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1.0e6;
}

double elapsedMs(double start)
{
    return nowMs() - start;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Keeps the reads of every field from being optimised away.
volatile qint64 g_sink = 0;

// Runs a statement through the data layer the way the windows do: set the
// text, open, walk every row reading every field by name, close.
qint64 runThroughLayer(Query& query, const QString& sql)
{
    query.setSql(sql);
    query.open();
    QStringList names;
    for (const FieldDef& field : query.fields())
        names << field.name;
    qint64 rows = 0;
    qint64 sink = 0;
    for (query.first(); !query.eof(); query.next()) {
        for (const QString& name : names) {
            const QVariant value = query.value(name);
            sink += value.typeId();
        }
        ++rows;
    }
    query.close();
    g_sink = g_sink + sink;
    return rows;
}

// The same statement on a bare connection: prepare, step every row, read
// every column in its stored form.
qint64 runRaw(RawDb& db, const std::string& sql)
{
    sqlite3_stmt* statement = db.prepare(sql);
    const int columns = sqlite3_column_count(statement);
    qint64 rows = 0;
    qint64 sink = 0;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        for (int i = 0; i < columns; ++i) {
            switch (sqlite3_column_type(statement, i)) {
            case SQLITE_INTEGER: sink += sqlite3_column_int64(statement, i); break;
            case SQLITE_FLOAT: sink += qint64(sqlite3_column_double(statement, i)); break;
            case SQLITE_TEXT:
                sink += sqlite3_column_text(statement, i)[0];
                sink += sqlite3_column_bytes(statement, i);
                break;
            case SQLITE_BLOB: sink += sqlite3_column_bytes(statement, i); break;
            default: break;
            }
        }
        ++rows;
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE)
        sqliteFailure(db.handle(), "step " + sql);
    g_sink = g_sink + sink;
    return rows;
}

std::vector<std::string> queryPlan(RawDb& db, const std::string& sql)
{
    sqlite3_stmt* statement = db.prepare("EXPLAIN QUERY PLAN " + sql);
    std::vector<std::string> lines;
    while (sqlite3_step(statement) == SQLITE_ROW)
        lines.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 3)));
    sqlite3_finalize(statement);
    return lines;
}

// The indexes a plan uses, and the tables it reads whole.
std::string planSummary(const std::vector<std::string>& lines)
{
    std::vector<std::string> parts;
    for (const std::string& line : lines) {
        for (const char* marker : {"USING COVERING INDEX ", "USING INDEX "}) {
            const size_t at = line.find(marker);
            if (at == std::string::npos)
                continue;
            const size_t start = at + std::string(marker).size();
            const size_t end = line.find_first_of(" (", start);
            const std::string name = line.substr(start, end == std::string::npos ? std::string::npos : end - start);
            if (std::find(parts.begin(), parts.end(), name) == parts.end())
                parts.push_back(name);
            break;
        }
        if (line.rfind("SCAN ", 0) == 0 && line.find(" USING ") == std::string::npos)
            parts.push_back("scan " + line.substr(5));
    }
    std::string joined;
    for (const std::string& part : parts)
        joined += (joined.empty() ? "" : ", ") + part;
    return joined;
}

struct Case
{
    QString label;
    QString sql;                 // the program's dialect
    QString expectedIndex;       // the index the plan must use on the large table
    bool withProgress = false;   // the window's query reports progress
};

struct Result
{
    QString label;
    qint64 rows = 0;
    double layerMs = 0;
    double rawMs = 0;
    double coldMs = -1;          // a new dataset for every run: nothing kept from the last open
    std::string plan;
    bool planOk = true;
    bool judged = true;          // false: shown for information, no targets
};

bool passes(const Result& r)
{
    if (!r.judged)
        return true;
    return r.layerMs <= TargetMs && r.rawMs > 0 && r.layerMs <= TargetRatio * r.rawMs && r.planOk;
}

std::string verdict(const Result& r)
{
    if (!r.judged)
        return "info";
    std::string why;
    if (r.layerMs > TargetMs)
        why += " >50ms";
    if (r.layerMs > TargetRatio * r.rawMs)
        why += " ratio";
    if (!r.planOk)
        why += " plan";
    return why.empty() ? "PASS" : "FAIL" + why;
}

// Times two variants of the same work, alternating, after a warm-up.
template <typename Layer, typename Raw>
void timePair(int reps, Layer layer, Raw raw, double& layerMs, double& rawMs)
{
    for (int i = 0; i < 2; ++i) {
        layer();
        raw();
    }
    std::vector<double> a;
    std::vector<double> b;
    for (int i = 0; i < reps; ++i) {
        double start = nowMs();
        layer();
        a.push_back(elapsedMs(start));
        start = nowMs();
        raw();
        b.push_back(elapsedMs(start));
    }
    layerMs = median(a);
    rawMs = median(b);
}

struct Options
{
    QString folder;
    int reps = 21;
    bool verbose = false;
    bool regenerate = false;
    bool analyze = false;
    QString only;                // run only the rows whose label contains this
    bool cpuClock = false;
};

Options parseOptions(const QStringList& args)
{
    Options options;
    options.folder = QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../bench-data"));
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--verbose") || arg == QLatin1String("-v"))
            options.verbose = true;
        else if (arg == QLatin1String("--regenerate"))
            options.regenerate = true;
        else if (arg == QLatin1String("--analyze"))
            options.analyze = true;
        else if (arg == QLatin1String("--data") && i + 1 < args.size())
            options.folder = QDir::cleanPath(QDir().absoluteFilePath(args.at(++i)));
        else if (arg == QLatin1String("--clock") && i + 1 < args.size()) {
            const QString clock = args.at(++i);
            if (clock != QLatin1String("cpu") && clock != QLatin1String("wall")) {
                std::printf("--clock takes \"wall\" or \"cpu\"\n");
                std::exit(2);
            }
            options.cpuClock = clock == QLatin1String("cpu");
        } else if (arg == QLatin1String("--only") && i + 1 < args.size())
            options.only = args.at(++i);
        else if (arg == QLatin1String("--reps") && i + 1 < args.size())
            options.reps = std::max(1, args.at(++i).toInt());
        else {
            std::printf("usage: bench_rank_queries [--data DIR] [--reps N] [--clock wall|cpu] [--only TEXT] "
                        "[--verbose] [--regenerate] [--analyze]\n");
            std::exit(arg == QLatin1String("--help") ? 0 : 2);
        }
    }
    return options;
}

std::string tablePath(const Database& database, const QString& table)
{
    return utf8(database.tableFilePath(table));
}

int run(const Options& options)
{
    g_cpuClock = false;   // generation is timed on the wall clock
    if (options.regenerate || !folderIsCurrent(options.folder, options.analyze)) {
        std::printf("Generating the data folder %s ...\n", qPrintable(options.folder));
        std::fflush(stdout);
        const double start = nowMs();
        const GeneratedCounts counts = generate(options.folder, options.analyze);
        std::printf("  CVRank %lld rows, CVHilo %lld rows, Summary %lld rows in %.1f s%s\n",
                    static_cast<long long>(counts.rank), static_cast<long long>(counts.hilo),
                    static_cast<long long>(counts.summary), elapsedMs(start) / 1000.0,
                    options.analyze ? " (with ANALYZE)" : "");
    } else {
        std::printf("Reusing the data folder %s%s\n", qPrintable(options.folder),
                    options.analyze ? " (with ANALYZE)" : "");
    }

    g_cpuClock = options.cpuClock;

    Session session(QStringLiteral("BenchSession"));
    Database database(QStringLiteral("General"), &session);
    database.setDirectory(options.folder);
    database.connect();

    // The dashboard date is the project's last-run date.
    QString date;
    {
        Table project(&database, QStringLiteral("CVProject"), QStringLiteral("Nameidx"));
        project.open();
        if (!project.findKey({QString::fromStdString(BigProject)}))
            throw std::runtime_error("project missing from CVProject");
        date = project.value(QStringLiteral("LastRun")).toDateTime().date().toString(QStringLiteral("yyyy-MM-dd"));
        project.close();
    }

    const QString projectName = QString::fromStdString(BigProject);
    const QString engine = QString::fromStdString(SeriesEngine);
    const QString seriesTerm = QString::fromStdString(bigProjectTerms().front());
    const QString seriesUrl = QString::fromStdString(KeyUrl);
    const QChar dq = QLatin1Char('"');
    const auto dquoted = [&](const QString& v) { return SqlQuote::quoted(v, dq); };
    const auto squoted = [](const QString& v) { return SqlQuote::quoted(v); };

    std::vector<Case> cases;
    // Dashboard: the engines of the Top 10 charts, and one chart's rows.
    cases.push_back({QStringLiteral("dashboard top-10 engines"),
                     QStringLiteral("select distinct SearchEngine, Popularity from summary su join CVSE3 se3 on "
                                    "(su.SearchEngine = se3.Name) where su.xDate = ")
                         + dquoted(date) + QStringLiteral(" and su.Type = \"TopSE\" and su.Project = ")
                         + dquoted(projectName) + QStringLiteral(" order by Popularity DESC"),
                     QStringLiteral("SummaryProjTypeidx")});
    cases.push_back({QStringLiteral("dashboard top-10 slot"),
                     QStringLiteral("select * from summary where Type = \"TopSE\" and Project = ") + dquoted(projectName)
                         + QStringLiteral(" and SearchEngine = ") + dquoted(engine) + QStringLiteral(" and xDate = ")
                         + dquoted(date) + QStringLiteral(" order by SearchTerm nocase"),
                     QStringLiteral("SummaryProjTypeidx"), true});
    cases.push_back({QStringLiteral("dashboard first page"),
                     QStringLiteral("select SearchEngine, SearchTerm, Rank from summary where Type = \"PR1\" and Project = ")
                         + dquoted(projectName) + QStringLiteral(" order by SearchEngine, SearchTerm, Rank nocase"),
                     QStringLiteral("SummaryProjTypeidx")});
    cases.push_back({QStringLiteral("dashboard new arrivals"),
                     QStringLiteral("select * from summary where xDate = ") + dquoted(date)
                         + QStringLiteral(" and Type = \"New\" and Project = ") + dquoted(projectName)
                         + QStringLiteral(" order by SearchEngine, SearchTerm, Rank nocase"),
                     QStringLiteral("SummaryProjTypeidx")});
    cases.push_back({QStringLiteral("dashboard saturation"),
                     QStringLiteral("select SearchEngine, Rank from summary where Type = \"SAT\" and Project = ")
                         + dquoted(projectName) + QStringLiteral(" order by Rank ASC, SearchEngine ASC nocase"),
                     QStringLiteral("SummaryProjTypeidx")});
    // Day at a glance, each grid in its initial order.
    cases.push_back({QStringLiteral("glance position activity"),
                     QStringLiteral("SELECT xDate, URL, SearchEngine, SearchTerm, AltYesterday, AltToday, Difference FROM "
                                    "CVHiLo WHERE Project = ")
                         + squoted(projectName) + QStringLiteral(" AND xDate = ") + squoted(date)
                         + QStringLiteral(" ORDER BY xDate nocase"),
                     QStringLiteral("HiloProjDateidx"), true});
    cases.push_back({QStringLiteral("glance URL activity"),
                     QStringLiteral("SELECT COUNT(URL) AS URLCount, URL FROM CVRank WHERE Project = ") + squoted(projectName)
                         + QStringLiteral(" AND xDate = ") + squoted(date)
                         + QStringLiteral(" GROUP BY URL ORDER BY URLCount ASC nocase"),
                     QStringLiteral("RankProjDateidx"), true});
    cases.push_back({QStringLiteral("glance search term activity"),
                     QStringLiteral("SELECT COUNT(SearchTerm) AS SearchTermCount, SearchTerm FROM CVRank WHERE Project = ")
                         + squoted(projectName) + QStringLiteral(" AND xDate = ") + squoted(date)
                         + QStringLiteral(" GROUP BY SearchTerm ORDER BY SearchTermCount ASC nocase"),
                     QStringLiteral("RankProjDateidx"), true});
    cases.push_back({QStringLiteral("glance search engine activity"),
                     QStringLiteral("SELECT COUNT(SearchEngine) AS SearchEngineCount, SearchEngine FROM CVRANK WHERE "
                                    "Project = ")
                         + squoted(projectName) + QStringLiteral(" AND xDate = ") + squoted(date)
                         + QStringLiteral(" GROUP BY SearchEngine ORDER BY SearchEngineCount ASC nocase"),
                     QStringLiteral("RankProjDateidx"), true});
    // Detail chart: one series (order "UST": URL per series, engine and term
    // fixed) over the whole year.
    cases.push_back({QStringLiteral("detail chart series (1 year)"),
                     QStringLiteral("SELECT xDate, URL, MIN(Rank) AS Rank FROM CVRank WHERE Project = ")
                         + squoted(projectName) + QStringLiteral(" AND (xDate BETWEEN ")
                         + SqlQuote::date(firstDay()) + QStringLiteral(" AND ") + SqlQuote::date(lastDay())
                         + QStringLiteral(") AND SearchEngine = ") + squoted(engine) + QStringLiteral(" AND URL = ")
                         + squoted(seriesUrl) + QStringLiteral(" AND SearchTerm = ") + squoted(seriesTerm)
                         + QStringLiteral(" GROUP BY xDate ORDER BY xDate"),
                     QStringLiteral("RankSeriesidx")});

    // The bare connection: an in-memory main database with the table files
    // attached under their table names, as the data layer does it.
    RawDb raw(":memory:");
    for (const char* table : {"CVProject", "CVSE3", "Summary", "CVHilo", "CVRank"})
        raw.attach(tablePath(database, QLatin1String(table)), table);

    const auto wanted = [&](const QString& label) {
        return options.only.isEmpty() || label.contains(options.only, Qt::CaseInsensitive);
    };
    std::vector<Result> results;
    for (const Case& c : cases) {
        if (!wanted(c.label))
            continue;
        const std::string sqliteSql = utf8(translateSql(c.sql).sql);
        Query query(&database);
        if (c.withProgress)
            query.onProgress = [](int) {};
        Result r;
        r.label = c.label;
        const std::vector<std::string> plan = queryPlan(raw, sqliteSql);
        r.plan = planSummary(plan);
        r.planOk = r.plan.find(utf8(c.expectedIndex)) != std::string::npos;
        qint64 layerRows = 0;
        qint64 rawRows = 0;
        timePair(
            options.reps, [&] { layerRows = runThroughLayer(query, c.sql); }, [&] { rawRows = runRaw(raw, sqliteSql); },
            r.layerMs, r.rawMs);
        // The same through a new dataset each time: its own connection,
        // attachments and prepared statement, as on a window's first open.
        double rawAgainMs = 0;
        timePair(
            options.reps,
            [&] {
                Query fresh(&database);
                if (c.withProgress)
                    fresh.onProgress = [](int) {};
                runThroughLayer(fresh, c.sql);
            },
            [&] { runRaw(raw, sqliteSql); }, r.coldMs, rawAgainMs);
        if (layerRows != rawRows)
            throw std::runtime_error(utf8(c.label) + ": the data layer returned " + std::to_string(layerRows)
                                     + " rows, the bare connection " + std::to_string(rawRows));
        r.rows = layerRows;
        if (options.verbose) {
            std::printf("\n[%s]\n  dialect: %s\n  sqlite:  %s\n", qPrintable(c.label), qPrintable(c.sql),
                        sqliteSql.c_str());
            for (const std::string& line : plan)
                std::printf("  plan:    %s\n", line.c_str());
        }
        results.push_back(r);
    }

    // What opening costs: a new dataset opens its own connection and attaches
    // the file; the bare side opens a connection, attaches and runs the same.
    const std::string projectPath = tablePath(database, QStringLiteral("CVProject"));
    const auto rawFresh = [&](const char* sql) {
        RawDb db(":memory:");
        db.attach(projectPath, "CVProject");
        return runRaw(db, sql);
    };
    if (wanted(QStringLiteral("open: Table::open CVProject (new)"))) {
        Result r;
        r.label = QStringLiteral("open: Table::open CVProject (new)");
        r.judged = false;
        timePair(
            options.reps,
            [&] {
                Table table(&database, QStringLiteral("CVProject"));
                table.open();
                r.rows = table.recordCount();
                table.close();
            },
            [&] { rawFresh("SELECT rowid FROM CVProject"); }, r.layerMs, r.rawMs);
        results.push_back(r);
    }
    if (wanted(QStringLiteral("open: COUNT(*) CVProject (new query)"))) {
        Result r;
        r.label = QStringLiteral("open: COUNT(*) CVProject (new query)");
        r.judged = false;
        timePair(
            options.reps,
            [&] {
                Query query(&database);
                r.rows = runThroughLayer(query, QStringLiteral("SELECT COUNT(*) FROM CVProject"));
            },
            [&] { rawFresh("SELECT COUNT(*) FROM CVProject"); }, r.layerMs, r.rawMs);
        results.push_back(r);
    }
    if (wanted(QStringLiteral("open: COUNT(*) CVProject (reused)"))) {
        Result r;
        r.label = QStringLiteral("open: COUNT(*) CVProject (reused)");
        r.judged = false;
        Query query(&database);
        timePair(
            options.reps, [&] { r.rows = runThroughLayer(query, QStringLiteral("SELECT COUNT(*) FROM CVProject")); },
            [&] { runRaw(raw, "SELECT COUNT(*) FROM CVProject"); }, r.layerMs, r.rawMs);
        results.push_back(r);
    }

    std::printf("\nMedian %s time of %d runs after 2 warm-ups; targets: data layer <= %.0f ms and <= %.1fx bare "
                "SQLite, plan uses the expected index.\n\n",
                options.cpuClock ? "CPU" : "wall-clock", options.reps, TargetMs, TargetRatio);
    std::printf("layer ms: the query re-opened on one dataset, as the windows do; cold ms: a new dataset every run\n"
                "(new connection, attachments and prepared statement), for information.\n\n");
    std::printf("%-36s %7s %10s %10s %7s %9s  %-34s %s\n", "query", "rows", "layer ms", "raw ms", "ratio", "cold ms",
                "plan (indexes)", "result");
    std::printf("%s\n", std::string(128, '-').c_str());
    bool allPass = true;
    for (const Result& r : results) {
        const std::string plan = r.judged ? r.plan : std::string("-");
        char cold[16] = "-";
        if (r.coldMs >= 0)
            std::snprintf(cold, sizeof cold, "%.3f", r.coldMs);
        std::printf("%-36s %7lld %10.3f %10.3f %7.2f %9s  %-34s %s\n", qPrintable(r.label),
                    static_cast<long long>(r.rows), r.layerMs, r.rawMs, r.rawMs > 0 ? r.layerMs / r.rawMs : 0.0, cold,
                    plan.c_str(), verdict(r).c_str());
        allPass = allPass && passes(r);
    }
    std::printf("\n%s\n", allPass ? "All targets met." : "Some targets were missed.");
    return allPass ? 0 : 1;
}

} // namespace
} // namespace corvane

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const corvane::Options options = corvane::parseOptions(QCoreApplication::arguments());
    try {
        return corvane::run(options);
    } catch (const corvane::DatabaseError& error) {
        std::fprintf(stderr, "bench_rank_queries: %s\n", qPrintable(error.message()));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_rank_queries: %s\n", error.what());
    }
    return 2;
}
