// Times the chart windows' work on the year-of-data folder: the Refresh of a
// detail chart of 18 series over 365 days (against the same statements, the
// 18 queries and the cache write, run on a bare SQLite connection), opening that chart from its cache, gains and
// losses of one day and the Overall scores of one day.
//
//   bench_chart_views [--data DIR] [--reps N] [--clock wall|cpu]
//
// --clock cpu times this thread's CPU time instead of wall-clock time (a busy
// machine disturbs it less; the waits for the disk are left out).
//
// Exit status: 0 when every case meets its target, 1 when one does not, 2 on
// an error.
#include "core/charts/ChartBuilder.h"
#include "core/charts/ChartCacheBuilder.h"
#include "core/charts/GainsLosses.h"
#include "core/charts/Scores.h"
#include "core/data/DatabaseError.h"
#include "core/data/Dataset.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableDatabase.h"

#include "BenchData.h"

#include <QCoreApplication>
#include <QDir>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace corvane {
namespace {

using namespace bench;

bool g_cpuClock = false;

double nowMs()
{
    timespec ts{};
    clock_gettime(g_cpuClock ? CLOCK_THREAD_CPUTIME_ID : CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

double medianMs(int reps, const std::function<void()>& run)
{
    std::vector<double> times;
    for (int i = 0; i < reps; ++i) {
        const double start = nowMs();
        run();
        times.push_back(nowMs() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

int run(const QString& folder, int reps)
{
    const QString project = QString::fromStdString(BigProject);
    const QString engine = QString::fromStdString(SeriesEngine);
    const QString keyUrl = QString::fromStdString(KeyUrl);
    QStringList terms;
    for (const std::string& term : bigProjectTerms())
        if (terms.size() < 18)
            terms.append(QString::fromStdString(term));

    Session session(QStringLiteral("Bench"));
    Database db(QStringLiteral("Bench"), &session);
    db.setDirectory(folder);
    db.connect();
    const QString chart = QStringLiteral("Bench: 18 terms, one year");
    ChartBuilder::Definition d;
    d.project = project;
    d.name = chart;
    d.popOrder = QStringLiteral("TSU");
    d.series = terms;
    d.select1 = engine;
    d.select2 = keyUrl;
    d.lastDays = 0;
    d.start = firstDay();
    d.end = lastDay();
    d.fillDates = true;
    ChartBuilder::Definition existing;
    ChartBuilder::save(db, d, ChartBuilder::load(db, project, chart, existing) ? chart : QString());

    ChartCacheBuilder builder(folder);
    const ChartDefinition definition = builder.definition(project, chart, lastDay());
    ChartTable table;
    const double refresh = medianMs(reps, [&] {
        table = builder.buildTable(definition);
        builder.writeCache(definition, table);
    });

    // For information: the first Refresh of a window, whose builder opens its connections.
    const double firstRefresh = medianMs(reps, [&] {
        ChartCacheBuilder fresh(folder);
        table = fresh.buildTable(definition);
        fresh.writeCache(definition, table);
    });
    const double queriesOnly = medianMs(reps, [&] { table = builder.buildTable(definition); });
    const double writeOnly = medianMs(reps, [&] { builder.writeCache(definition, table); });

    // The same statements on a bare connection: the 18 queries, reading the
    // day and the rank of every row, then the cache rows replaced in one
    // transaction. The rows written are the ones the builder made.
    RawDb raw(":memory:");
    raw.attach(utf8(folder + QStringLiteral("CVRank.dat")), "CVRank");
    raw.attach(utf8(folder + QStringLiteral("CVChartCache.dat")), "CVChartCache");
    raw.exec("PRAGMA CVChartCache.synchronous = NORMAL"); // as the data layer runs every table file
    const auto rawQueries = [&] {
        sqlite3_stmt* statement = raw.prepare(
            "SELECT xDate, MIN(Rank) FROM CVRank.CVRank WHERE Project = ?1 AND xDate BETWEEN ?2 AND "
            "?3 AND SearchEngine = ?4 AND SearchTerm = ?5 AND URL = ?6 GROUP BY xDate ORDER BY xDate");
        const std::string p = utf8(project), from = utf8(firstDay().toString(Qt::ISODate)),
                          to = utf8(lastDay().toString(Qt::ISODate)), e = utf8(engine), u = utf8(keyUrl);
        long long sum = 0;
        for (const QString& term : terms) {
            const std::string t = utf8(term);
            sqlite3_reset(statement);
            int i = 1;
            for (const std::string* v : {&p, &from, &to, &e, &t, &u})
                sqlite3_bind_text(statement, i++, v->c_str(), int(v->size()), SQLITE_TRANSIENT);
            while (sqlite3_step(statement) == SQLITE_ROW)
                sum += sqlite3_column_bytes(statement, 0) + sqlite3_column_int(statement, 1);
        }
        sqlite3_finalize(statement);
        return sum;
    };
    const auto rawWrite = [&] {
        raw.exec("BEGIN IMMEDIATE");
        sqlite3_stmt* clear =
            raw.prepare("DELETE FROM CVChartCache.CVChartCache WHERE Project = ?1 AND Chart = ?2");
        const std::string p = utf8(project), c = utf8(chart);
        sqlite3_bind_text(clear, 1, p.c_str(), int(p.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(clear, 2, c.c_str(), int(c.size()), SQLITE_TRANSIENT);
        sqlite3_step(clear);
        sqlite3_finalize(clear);
        sqlite3_stmt* insert = raw.prepare("INSERT INTO CVChartCache.CVChartCache (xDate, Project, Chart, "
                                           "Legend, xValue) VALUES (?, ?, ?, ?, ?)");
        for (auto row = table.rows.cbegin(); row != table.rows.cend(); ++row) {
            const std::string day = utf8(row.key().toString(Qt::ISODate));
            for (int column = 0; column < table.legends.size(); ++column) {
                const std::string legend = utf8(table.legends.at(column));
                sqlite3_reset(insert);
                sqlite3_bind_text(insert, 1, day.c_str(), int(day.size()), SQLITE_TRANSIENT);
                sqlite3_bind_text(insert, 2, p.c_str(), int(p.size()), SQLITE_TRANSIENT);
                sqlite3_bind_text(insert, 3, c.c_str(), int(c.size()), SQLITE_TRANSIENT);
                sqlite3_bind_text(insert, 4, legend.c_str(), int(legend.size()), SQLITE_TRANSIENT);
                const int rank = row.value().at(column);
                if (rank > 0)
                    sqlite3_bind_int(insert, 5, rank);
                else
                    sqlite3_bind_null(insert, 5);
                sqlite3_step(insert);
            }
        }
        sqlite3_finalize(insert);
        raw.exec("COMMIT");
    };
    const double direct = medianMs(reps, [&] {
        rawQueries();
        rawWrite();
    });
    const double directQueries = medianMs(reps, [&] { rawQueries(); });
    const double directWrite = medianMs(reps, rawWrite);
    const double cached = medianMs(reps, [&] { builder.loadCache(project, chart, true); });
    const double gains = medianMs(reps, [&] { GainsLosses::load(db, project, engine, lastDay()); });
    QHash<QString, int> popularity;
    {
        Query engines(&db,
                      QStringLiteral("SELECT Name FROM CVSE3 WHERE Project = ") + SqlQuote::quoted(project));
        engines.open();
        for (engines.first(); !engines.eof(); engines.next())
            popularity.insert(engines.asString(QStringLiteral("Name")), 50);
    }
    const double overall =
        medianMs(reps, [&] { Scores::overallScores(db, popularity, project, lastDay(), 0); });

    bool ok = true;
    const auto report = [&](const char* what, double ms, double target) {
        const bool met = ms <= target;
        ok = ok && met;
        std::printf("%-44s %8.1f ms  (target %5.0f ms) %s\n", what, ms, target, met ? "ok" : "MISSED");
    };
    std::printf("%zu series x %lld days, %d rows; %s time\n", size_t(table.legends.size()),
                qlonglong(table.rows.size()), int(table.rows.size() * table.legends.size()),
                g_cpuClock ? "CPU" : "wall-clock");
    report("detail chart Refresh (build + cache write)", refresh, 200);
    std::printf("%-44s %8.1f ms  ratio %.2f (target 1.5) %s\n", "  the same statements in bare sqlite3",
                direct, refresh / std::max(direct, 0.001), refresh <= 1.5 * direct ? "ok" : "MISSED");
    ok = ok && refresh <= 1.5 * direct;
    std::printf("%-44s %8.1f ms  bare %8.1f ms  ratio %.2f (for information)\n", "  of which the 18 queries",
                queriesOnly, directQueries, queriesOnly / std::max(directQueries, 0.001));
    std::printf("%-44s %8.1f ms  bare %8.1f ms  ratio %.2f (for information)\n", "  of which the cache write",
                writeOnly, directWrite, writeOnly / std::max(directWrite, 0.001));
    std::printf("%-44s %8.1f ms  (for information)\n", "  the first Refresh with a new builder",
                firstRefresh);
    report("detail chart opened from its cache", cached, 50);
    report("gains and losses of one day", gains, 100);
    report("scores, Overall, one day", overall, 100);
    return ok ? 0 : 1;
}

} // namespace
} // namespace corvane

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString folder = corvane::bench::defaultFolder();
    int reps = 5;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--data"))
            folder = args[++i];
        else if (args[i] == QLatin1String("--reps"))
            reps = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--clock")) {
            const QString clock = args[++i];
            if (clock != QLatin1String("wall") && clock != QLatin1String("cpu")) {
                std::fprintf(stderr, "--clock takes \"wall\" or \"cpu\"\n");
                return 2;
            }
            corvane::g_cpuClock = clock == QLatin1String("cpu");
        }
    }
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    try {
        corvane::bench::prepareFolder(folder, false, false);
        return corvane::run(folder, reps);
    } catch (const corvane::DatabaseError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return 2;
}
