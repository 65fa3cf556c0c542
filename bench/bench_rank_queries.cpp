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
#include "core/data/DatabaseError.h"
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/SqlDialect.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableDatabase.h"

#include "BenchData.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <time.h>
#include <vector>

namespace corvane {
namespace {

using namespace bench;

constexpr double TargetMs = 50.0;
constexpr double TargetRatio = 1.5;

// ---------------------------------------------------------------- timing

// Wall-clock time by default; the CPU time of this thread on request, which
// other programs on a busy machine disturb much less.
bool g_cpuClock = false;

double nowMs()
{
    timespec ts{};
    clock_gettime(g_cpuClock ? CLOCK_THREAD_CPUTIME_ID : CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1.0e6;
}

double elapsedMs(double start) { return nowMs() - start; }

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
            const std::string name =
                line.substr(start, end == std::string::npos ? std::string::npos : end - start);
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
    QString sql;               // the program's dialect
    QString expectedIndex;     // the index the plan must use on the large table
    bool withProgress = false; // the window's query reports progress
};

struct Result
{
    QString label;
    qint64 rows = 0;
    double layerMs = 0;
    double rawMs = 0;
    double coldMs = -1; // a new dataset for every run: nothing kept from the last open
    std::string plan;
    bool planOk = true;
    bool judged = true; // false: shown for information, no targets
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
    QString only; // run only the rows whose label contains this
    bool cpuClock = false;
};

Options parseOptions(const QStringList& args)
{
    Options options;
    options.folder = defaultFolder();
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
    prepareFolder(options.folder, options.analyze, options.regenerate);
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
        date = project.value(QStringLiteral("LastRun"))
                   .toDateTime()
                   .date()
                   .toString(QStringLiteral("yyyy-MM-dd"));
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
    cases.push_back(
        {QStringLiteral("dashboard top-10 engines"),
         QStringLiteral("select distinct SearchEngine, Popularity from summary su join CVSE3 se3 on "
                        "(su.SearchEngine = se3.Name) where su.xDate = ")
             + dquoted(date) + QStringLiteral(" and su.Type = \"TopSE\" and su.Project = ")
             + dquoted(projectName) + QStringLiteral(" order by Popularity DESC"),
         QStringLiteral("SummaryProjTypeidx")});
    cases.push_back({QStringLiteral("dashboard top-10 slot"),
                     QStringLiteral("select * from summary where Type = \"TopSE\" and Project = ")
                         + dquoted(projectName) + QStringLiteral(" and SearchEngine = ") + dquoted(engine)
                         + QStringLiteral(" and xDate = ") + dquoted(date)
                         + QStringLiteral(" order by SearchTerm nocase"),
                     QStringLiteral("SummaryProjTypeidx"), true});
    cases.push_back(
        {QStringLiteral("dashboard first page"),
         QStringLiteral(
             "select SearchEngine, SearchTerm, Rank from summary where Type = \"PR1\" and Project = ")
             + dquoted(projectName) + QStringLiteral(" order by SearchEngine, SearchTerm, Rank nocase"),
         QStringLiteral("SummaryProjTypeidx")});
    cases.push_back({QStringLiteral("dashboard new arrivals"),
                     QStringLiteral("select * from summary where xDate = ") + dquoted(date)
                         + QStringLiteral(" and Type = \"New\" and Project = ") + dquoted(projectName)
                         + QStringLiteral(" order by SearchEngine, SearchTerm, Rank nocase"),
                     QStringLiteral("SummaryProjTypeidx")});
    cases.push_back(
        {QStringLiteral("dashboard saturation"),
         QStringLiteral("select SearchEngine, Rank from summary where Type = \"SAT\" and Project = ")
             + dquoted(projectName) + QStringLiteral(" order by Rank ASC, SearchEngine ASC nocase"),
         QStringLiteral("SummaryProjTypeidx")});
    // Day at a glance, each grid in its initial order.
    cases.push_back(
        {QStringLiteral("glance position activity"),
         QStringLiteral(
             "SELECT xDate, URL, SearchEngine, SearchTerm, AltYesterday, AltToday, Difference FROM "
             "CVHiLo WHERE Project = ")
             + squoted(projectName) + QStringLiteral(" AND xDate = ") + squoted(date)
             + QStringLiteral(" ORDER BY xDate nocase"),
         QStringLiteral("HiloProjDateidx"), true});
    cases.push_back({QStringLiteral("glance URL activity"),
                     QStringLiteral("SELECT COUNT(URL) AS URLCount, URL FROM CVRank WHERE Project = ")
                         + squoted(projectName) + QStringLiteral(" AND xDate = ") + squoted(date)
                         + QStringLiteral(" GROUP BY URL ORDER BY URLCount ASC nocase"),
                     QStringLiteral("RankProjDateidx"), true});
    cases.push_back(
        {QStringLiteral("glance search term activity"),
         QStringLiteral(
             "SELECT COUNT(SearchTerm) AS SearchTermCount, SearchTerm FROM CVRank WHERE Project = ")
             + squoted(projectName) + QStringLiteral(" AND xDate = ") + squoted(date)
             + QStringLiteral(" GROUP BY SearchTerm ORDER BY SearchTermCount ASC nocase"),
         QStringLiteral("RankProjDateidx"), true});
    cases.push_back(
        {QStringLiteral("glance search engine activity"),
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
                         + QStringLiteral(") AND SearchEngine = ") + squoted(engine)
                         + QStringLiteral(" AND URL = ") + squoted(seriesUrl)
                         + QStringLiteral(" AND SearchTerm = ") + squoted(seriesTerm)
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
            options.reps, [&] { layerRows = runThroughLayer(query, c.sql); },
            [&] { rawRows = runRaw(raw, sqliteSql); }, r.layerMs, r.rawMs);
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
            options.reps,
            [&] { r.rows = runThroughLayer(query, QStringLiteral("SELECT COUNT(*) FROM CVProject")); },
            [&] { runRaw(raw, "SELECT COUNT(*) FROM CVProject"); }, r.layerMs, r.rawMs);
        results.push_back(r);
    }

    std::printf(
        "\nMedian %s time of %d runs after 2 warm-ups; targets: data layer <= %.0f ms and <= %.1fx bare "
        "SQLite, plan uses the expected index.\n\n",
        options.cpuClock ? "CPU" : "wall-clock", options.reps, TargetMs, TargetRatio);
    std::printf(
        "layer ms: the query re-opened on one dataset, as the windows do; cold ms: a new dataset every run\n"
        "(new connection, attachments and prepared statement), for information.\n\n");
    std::printf("%-36s %7s %10s %10s %7s %9s  %-34s %s\n", "query", "rows", "layer ms", "raw ms", "ratio",
                "cold ms", "plan (indexes)", "result");
    std::printf("%s\n", std::string(128, '-').c_str());
    bool allPass = true;
    for (const Result& r : results) {
        const std::string plan = r.judged ? r.plan : std::string("-");
        char cold[16] = "-";
        if (r.coldMs >= 0)
            std::snprintf(cold, sizeof cold, "%.3f", r.coldMs);
        std::printf("%-36s %7lld %10.3f %10.3f %7.2f %9s  %-34s %s\n", qPrintable(r.label),
                    static_cast<long long>(r.rows), r.layerMs, r.rawMs,
                    r.rawMs > 0 ? r.layerMs / r.rawMs : 0.0, cold, plan.c_str(), verdict(r).c_str());
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
