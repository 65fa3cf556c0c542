// Harvesting the local demo engine (run as its own process, so that its work
// is not counted): pages per second and CPU milliseconds per page at 1, 4 and
// 8 connections without delays, and the total time of a run whose engines ask
// for Delay = Delay2 = 50 ms, against the floor that those delays set.
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/harvest/SessionPoller.h"
#include "core/platform/Registry.h"
#include "core/settings/ProfileSetup.h"
#include "core/settings/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

using namespace corvane;

namespace {

double cpuMilliseconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

struct Figures
{
    int pages = 0;
    double wallMs = 0;
    double cpuMs = 0;
    int requestsPerEngine = 0;
};

Figures harvest(const ProjectPlan& plan, const SettingsRecord& settings)
{
    SessionPoller poller(settings, 1);
    const double cpu = cpuMilliseconds();
    QElapsedTimer wall;
    wall.start();
    const QList<TermCheck> checks = poller.run(plan, {}, false);
    Figures figures;
    figures.wallMs = double(wall.nsecsElapsed()) / 1e6;
    figures.cpuMs = cpuMilliseconds() - cpu;
    QHash<QString, int> perEngine;
    for (const TermCheck& check : checks) {
        figures.pages += check.pages;
        perEngine[check.engine] += check.pages;
        if (check.end == EngineEnd::Failed)
            std::fprintf(stderr, "bench_harvest: %s failed: %s\n", qPrintable(check.engine),
                         qPrintable(check.error));
    }
    for (int pages : perEngine)
        figures.requestsPerEngine = std::max(figures.requestsPerEngine, pages);
    return figures;
}

QStringList terms(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QStringLiteral("bench term %1").arg(i);
    return list;
}

} // namespace

int main(int argc, char** argv)
{
    SessionPoller::keepPageMemory(); // as Harvester does
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    qputenv("CORVANE_REGISTRY", QDir(folder.path()).filePath(QStringLiteral("registry.reg")).toLocal8Bit());

    QProcess server;
    server.start(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("demo-engine")),
        {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--day"), QStringLiteral("7")});
    if (!server.waitForReadyRead(10000)) {
        std::fprintf(stderr, "bench_harvest: the demo engine did not start\n");
        return 2;
    }
    const QRegularExpressionMatch port = QRegularExpression(QStringLiteral("127\\.0\\.0\\.1:(\\d+)"))
                                             .match(QString::fromLocal8Bit(server.readAll()));
    if (!port.hasMatch()) {
        std::fprintf(stderr, "bench_harvest: no port from the demo engine\n");
        return 2;
    }

    Registry registry;
    ProfileSetup setup(registry, QDir(folder.path()).filePath(QStringLiteral("Home")));
    if (!setup.run()) {
        std::fprintf(stderr, "bench_harvest: %s\n", qPrintable(setup.error()));
        return 2;
    }
    Session session(QStringLiteral("Bench"));
    session.addPassword(QLatin1String(Schema::SE3Password));
    Database se3(QStringLiteral("Bench"), &session);
    se3.setDirectory(setup.dataFolder());
    se3.connect();
    QList<EngineScript> scripts;
    Table table(&se3, QStringLiteral("SE3"), QStringLiteral("SEName"));
    table.open();
    for (table.first(); !table.eof(); table.next()) {
        EngineScript script = EngineScript::fromRow(table);
        for (QString* text :
             {&script.AString[0], &script.BString[0], &script.ReplaceWith[0], &script.ReplaceWith[1]})
            text->replace(QStringLiteral("127.0.0.1:8765"), QStringLiteral("127.0.0.1:") + port.captured(1));
        scripts << script;
    }

    SettingsRecord settings;
    loadSettings(registry, settings);
    settings.HTTPRetryTimes = 0;

    ProjectPlan plan;
    plan.name = QStringLiteral("Bench");
    plan.depth = 50;
    plan.urls = {{QStringLiteral("Site"), QStringLiteral("site-042.example"), true}};
    plan.terms = terms(6);
    for (int copy = 0; copy < 2; ++copy) {
        for (EngineScript script : scripts) {
            script.Name += QStringLiteral(" #%1").arg(copy + 1);
            plan.engines << script;
        }
    }

    std::printf("Harvesting the demo engine without delays: %lld engines, %lld terms, depth %d\n",
                qlonglong(plan.engines.size()), qlonglong(plan.terms.size()), plan.depth);
    std::printf("%-12s %8s %10s %12s %14s\n", "connections", "pages", "pages/s", "CPU ms/page", "");
    bool met = true;
    harvest(plan, settings); // warm-up: connections, caches
    for (int connections : {1, 4, 8}) {
        settings.Connections = connections;
        const Figures f = harvest(plan, settings);
        const double rate = f.pages / (f.wallMs / 1000.0);
        const double cpuPerPage = f.cpuMs / f.pages;
        const bool ok = cpuPerPage <= 1.0 && (connections != 8 || rate >= 500);
        met = met && ok;
        std::printf("%-12d %8d %10.0f %12.3f %14s\n", connections, f.pages, rate, cpuPerPage,
                    connections == 8 ? (ok ? "goal met" : "GOAL MISSED") : (ok ? "" : "CPU GOAL MISSED"));
    }
    std::printf("Goals: at least 500 pages/s at 8 connections, at most 1 ms of CPU per page.\n"
                "CPU is this process's (user + system, all threads); the demo engine runs as its own\n"
                "process and is not counted.\n\n");

    ProjectPlan paced = plan;
    paced.engines = plan.engines.mid(0, 4);
    paced.terms = terms(5);
    paced.depth = 30;
    for (EngineScript& script : paced.engines)
        script.Delay = script.Delay2 = 50;
    settings.Connections = 4;
    const Figures f = harvest(paced, settings);
    const double floorMs = f.requestsPerEngine * 50.0;
    const double ratio = f.wallMs / floorMs;
    met = met && ratio <= 1.05;
    std::printf("Delay = Delay2 = 50 ms, 4 engines, 4 connections: %d pages, at most %d per engine\n",
                f.pages, f.requestsPerEngine);
    std::printf(
        "total %.0f ms, politeness floor %.0f ms (requests of the busiest engine x 50 ms): %.3fx  %s\n",
        f.wallMs, floorMs, ratio, ratio <= 1.05 ? "goal met" : "GOAL MISSED");
    std::printf(
        "Goal: at most 1.05x the floor. The busiest engine took %.1f ms per request; above 50 ms the\n"
        "engine's answers, not the pacing, set the total.\n",
        f.wallMs / f.requestsPerEngine);

    server.terminate();
    server.waitForFinished();
    return met ? 0 : 1;
}
