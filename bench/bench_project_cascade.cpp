// Times the project cascades on a copy of the year-of-data folder: deleting
// one search term of the large project (target 0.5 s), renaming the project
// (3 s) and deleting it (3 s), each with its scheduled task in a crontab file.
// The peer is the same changes written as plain SQL statements, run through
// sqlite3 on a second copy, one transaction a table file.
//   bench_project_cascade [--data DIR] [--clock wall|cpu] [--verbose]
// --clock cpu judges the process's CPU time instead of the wall clock (use it
// on a busy machine); --verbose prints every status text with its time.
// Exit status: 0 when every cascade meets its target, 1 when one does not.
#include "core/data/TableDatabase.h"
#include "core/projects/ProjectCascade.h"
#include "core/schedule/ScheduledTasks.h"

#include "BenchData.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
#include <functional>

using namespace corvane;
using namespace corvane::bench;

namespace {

double cpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Timing
{
    double wallMs = 0;
    double cpuMs = 0;
};

Timing timed(const std::function<void()>& run)
{
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = cpuMs();
    run();
    return {double(timer.nsecsElapsed()) / 1e6, cpuMs() - cpuStart};
}

QString copyOfData(const QString& source, const QString& folder)
{
    QDir().mkpath(folder);
    for (const QString& file : QDir(source).entryList({QStringLiteral("*.dat")}, QDir::Files))
        QFile::copy(QDir(source).filePath(file), folder + file);
    return folder;
}

// One statement on one table file, in a transaction of its own, the way a
// script would run it through sqlite3.
void plainStatement(const QString& folder, const QString& table, const std::string& sql,
                    const std::vector<std::string>& values)
{
    const QString path = folder + table + QStringLiteral(".dat");
    if (!QFile::exists(path))
        return;
    RawDb db(utf8(path));
    db.exec("BEGIN");
    sqlite3_stmt* statement = db.prepare(sql);
    for (size_t i = 0; i < values.size(); ++i)
        sqlite3_bind_text(statement, int(i + 1), values[i].c_str(), int(values[i].size()), SQLITE_TRANSIENT);
    const int rc = sqlite3_step(statement);
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE)
        sqliteFailure(db.handle(), sql);
    db.exec("COMMIT");
}

void plainOnProjectTables(const QString& folder, const char* head, const char* tail,
                          const std::vector<std::string>& values)
{
    for (const QString& table : ProjectCascade::projectTables())
        plainStatement(folder, table, head + utf8(table) + tail, values);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const DataArguments data = dataArguments(app.arguments());
    bool cpuClock = false;
    bool verbose = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--clock") && i + 1 < args.size())
            cpuClock = args[++i] == QLatin1String("cpu");
        else if (args[i] == QLatin1String("--verbose"))
            verbose = true;
    }
    const QString source =
        data.folder.endsWith(QLatin1Char('/')) ? data.folder : data.folder + QLatin1Char('/');
    prepareFolder(source, true, data.regenerate);
    QTemporaryDir work;
    const QString folder = copyOfData(source, work.filePath(QStringLiteral("Data/")));
    const QString plainFolder = copyOfData(source, work.filePath(QStringLiteral("Plain/")));
    const QString crontab = work.filePath(QStringLiteral("crontab"));
    qputenv("CORVANE_CRONTAB", crontab.toUtf8());
    const QString project = QString::fromStdString(BigProject);
    {
        QFile cron(crontab);
        if (cron.open(QIODevice::WriteOnly))
            cron.write(ScheduledTasks::taskLine(QStringLiteral("0 3 * * *"), QStringLiteral("Harvester"),
                                                {project}, QStringLiteral("Nightly"))
                           .toUtf8()
                       + '\n');
    }

    Session session(QStringLiteral("Bench"));
    Database db(QStringLiteral("Bench"), &session);
    db.setDirectory(folder);
    db.connect();
    QElapsedTimer sinceStart;
    CascadeEvents events;
    if (verbose)
        events.status = [&sinceStart](const QString& text, int) {
            std::printf("  %8.0f ms  %s\n", double(sinceStart.nsecsElapsed()) / 1e6, qPrintable(text));
        };
    ProjectCascade cascade(db, events);
    bool allMet = true;
    std::printf("%-38s %8s %8s %8s %6s  %s\n", "cascade", "wall", "cpu", "plain", "ratio",
                cpuClock ? "(judged on cpu)" : "(judged on wall)");
    auto compare = [&](const char* what, double targetMs, const std::function<void()>& ours,
                       const std::function<void()>& plain) {
        sinceStart.start();
        const Timing mine = timed(ours);
        const Timing peer = timed(plain);
        const bool met = (cpuClock ? mine.cpuMs : mine.wallMs) <= targetMs;
        allMet = allMet && met;
        std::printf("%-38s %8.0f %8.0f %8.0f %6.2f  (target %5.0f ms)  %s\n", what, mine.wallMs, mine.cpuMs,
                    peer.wallMs, mine.wallMs / peer.wallMs, targetMs, met ? "PASS" : "FAIL");
        std::fflush(stdout);
    };
    const std::string big = BigProject;
    const std::string term = bigProjectTerms().front();
    compare(
        "delete one term of the large project", 500,
        [&] { cascade.deleteTerm(project, QString::fromStdString(term)); },
        [&] {
            plainStatement(plainFolder, QStringLiteral("CVST"),
                           "DELETE FROM CVST WHERE Project = ?1 AND Virtual = ?2", {big, term});
            plainStatement(plainFolder, QStringLiteral("CVEngine"),
                           "DELETE FROM CVEngine WHERE Project = ?1 AND STName = ?2", {big, term});
            for (const char* table : {"CVHilo", "CVRank", "Summary"})
                plainStatement(plainFolder, QLatin1String(table),
                               std::string("DELETE FROM ") + table
                                   + " WHERE Project = ?1 AND SearchTerm = ?2",
                               {big, term});
        });
    compare(
        "rename the large project", 3000, [&] { cascade.renameProject(project, QStringLiteral("Renamed")); },
        [&] {
            plainStatement(plainFolder, QStringLiteral("CVProject"),
                           "UPDATE CVProject SET Name = ?1 WHERE Name = ?2", {"Renamed", big});
            plainOnProjectTables(plainFolder, "UPDATE ", " SET Project = ?1 WHERE Project = ?2",
                                 {"Renamed", big});
        });
    compare(
        "delete the large project", 3000, [&] { cascade.deleteProject(QStringLiteral("Renamed")); },
        [&] {
            plainStatement(plainFolder, QStringLiteral("CVProject"), "DELETE FROM CVProject WHERE Name = ?1",
                           {"Renamed"});
            plainOnProjectTables(plainFolder, "DELETE FROM ", " WHERE Project = ?1", {"Renamed"});
        });
    std::printf("\nplain: the same changes as plain SQL statements through sqlite3 on a second copy;"
                " ratio = wall / plain wall\n%s\n",
                allMet ? "All targets met." : "Some targets were missed.");
    return allMet ? 0 : 1;
}
