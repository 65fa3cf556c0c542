// Times the project cascades on a copy of the year-of-data folder: deleting
// one search term of the large project (target 0.5 s), renaming the project
// (3 s) and deleting it (3 s), each with its scheduled task in a crontab file.
//   bench_project_cascade [--data DIR]
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
#include <functional>

using namespace corvane;
using namespace corvane::bench;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // --data DIR: the year-of-data folder to copy (generated there when missing)
    QString source = defaultFolder();
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i)
        if (args[i] == QLatin1String("--data"))
            source = args[++i];
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
    ProjectCascade cascade(db);
    bool allMet = true;
    auto time = [&](const char* what, double targetMs, const std::function<void()>& run) {
        QElapsedTimer timer;
        timer.start();
        run();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        const bool met = ms <= targetMs;
        allMet = allMet && met;
        std::printf("%-40s %8.0f ms  (target %5.0f ms)  %s\n", what, ms, targetMs, met ? "PASS" : "FAIL");
    };
    const QString term = QString::fromStdString(bigProjectTerms().front());
    time("delete one term of the large project", 500, [&] { cascade.deleteTerm(project, term); });
    time("rename the large project", 3000,
         [&] { cascade.renameProject(project, QStringLiteral("Renamed")); });
    time("delete the large project", 3000, [&] { cascade.deleteProject(QStringLiteral("Renamed")); });
    std::printf("\n%s\n", allMet ? "All targets met." : "Some targets were missed.");
    return allMet ? 0 : 1;
}
