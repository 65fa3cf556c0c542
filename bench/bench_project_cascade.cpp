// Times the project cascades on a copy of the year-of-data folder: deleting
// one search term of the large project (target 0.5 s), renaming the project
// (3 s) and deleting it (3 s), each with its scheduled task in a crontab file.
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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // --data DIR: the year-of-data folder to copy (generated there when missing)
    QString source = defaultFolder();
    bool cpuClock = false;
    bool verbose = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--data") && i + 1 < args.size())
            source = args[++i];
        else if (args[i] == QLatin1String("--clock") && i + 1 < args.size())
            cpuClock = args[++i] == QLatin1String("cpu");
        else if (args[i] == QLatin1String("--verbose"))
            verbose = true;
    }
    if (!source.endsWith(QLatin1Char('/')))
        source += QLatin1Char('/');
    prepareFolder(source, true, false);
    QTemporaryDir work;
    const QString folder = work.filePath(QStringLiteral("Data/"));
    QDir().mkpath(folder);
    for (const QString& file : QDir(source).entryList({QStringLiteral("*.dat")}, QDir::Files))
        QFile::copy(QDir(source).filePath(file), folder + file);
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
    QElapsedTimer timer;
    CascadeEvents events;
    if (verbose)
        events.status = [&timer](const QString& text, int) {
            std::printf("  %8.0f ms  %s\n", double(timer.nsecsElapsed()) / 1e6, qPrintable(text));
        };
    ProjectCascade cascade(db, events);
    bool allMet = true;
    std::printf("%-40s %8s %8s  %s\n", "cascade", "wall", "cpu",
                cpuClock ? "(judged on cpu)" : "(judged on wall)");
    auto time = [&](const char* what, double targetMs, const std::function<void()>& run) {
        timer.start();
        const double cpuStart = cpuMs();
        run();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        const double cpu = cpuMs() - cpuStart;
        const bool met = (cpuClock ? cpu : ms) <= targetMs;
        allMet = allMet && met;
        std::printf("%-40s %8.0f %8.0f ms  (target %5.0f ms)  %s\n", what, ms, cpu, targetMs,
                    met ? "PASS" : "FAIL");
        std::fflush(stdout);
    };
    const QString term = QString::fromStdString(bigProjectTerms().front());
    time("delete one term of the large project", 500, [&] { cascade.deleteTerm(project, term); });
    time("rename the large project", 3000,
         [&] { cascade.renameProject(project, QStringLiteral("Renamed")); });
    time("delete the large project", 3000, [&] { cascade.deleteProject(QStringLiteral("Renamed")); });
    std::printf("\n%s\n", allMet ? "All targets met." : "Some targets were missed.");
    return allMet ? 0 : 1;
}
