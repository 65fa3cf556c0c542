// Times the day views on the year-of-data folder (see BenchData.h): day at a
// glance for the busiest day of the large project, the Full URL view of that
// day (queried, copied into the report table and shown), the log view with
// "All" over a year of daily session logs, and daily results of that day.
//
//   bench_day_views [--data DIR] [--regenerate]
//
// Exit status: 0 when every target holds (day at a glance at most 100 ms,
// Full URL at most 300 ms, the log at most 200 ms, daily results at most
// 200 ms), 1 when one does not, 2 on an error.
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/datamodule/DM1.h"
#include "core/maintenance/DailyResults.h"
#include "core/platform/Registry.h"
#include "core/settings/ProfileSetup.h"
#include "gui/dayviews/DayGlanceForm.h"
#include "gui/dayviews/FullURLForm.h"
#include "gui/dayviews/LogForm.h"

#include "BenchData.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace corvane {
namespace {

using namespace bench;

// A year of session logs: 40 lines a day.
void fillLog(const QString& folder)
{
    {
        Session session(QStringLiteral("Bench"));
        Database data(QStringLiteral("Bench"), &session);
        data.setDirectory(folder);
        data.connect();
        if (!data.tableExists(QStringLiteral("CVLog")))
            data.createTable(*Schema::table(QStringLiteral("CVLog")));
    }
    RawDb db(utf8(QDir(folder).filePath(QStringLiteral("CVLog.dat"))));
    db.exec("DELETE FROM CVLog");
    db.exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 365 * 40 - 1) "
            "INSERT INTO CVLog (xDate, xTime, Message) "
            "SELECT date('"
            + utf8(firstDay().toString(Qt::ISODate))
            + "', '+' || (i / 40) || ' days'), "
              "printf('%02d:%02d:%02d', 6, (i % 40), (i * 7) % 60), "
              "'Engine ' || (i % 40) || ': term ' || (i % 100) || ' polled, 3 pages, no error' FROM n");
}

double milliseconds(const QElapsedTimer& timer) { return double(timer.nsecsElapsed()) / 1e6; }

int run(const QString& folder, bool regenerate)
{
    prepareFolder(folder, false, regenerate);
    fillLog(folder);

    QTemporaryDir dir;
    qputenv("CORVANE_REGISTRY", dir.filePath(QStringLiteral("registry.reg")).toLocal8Bit());
    const QString home = dir.filePath(QStringLiteral("Home")) + QLatin1Char('/');
    {
        Registry registry;
        ProfileSetup setup(registry, home);
        if (!setup.run())
            throw std::runtime_error("profile setup: " + utf8(setup.error()));
    }
    TDM1 dm;
    DM1 = &dm;
    dm.setMessagePresenter(
        [](MessageButtons, const QString&, const QString&, const QString&) { return MessageAnswer::Ok; });
    dm.WriteSetting(QStringLiteral("File Locations"), QStringLiteral("DataFolder"),
                    folder + QLatin1Char('/'));
    const QString project = QString::fromStdString(BigProject);
    dm.WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Project"), project);
    dm.LoadSettings();
    dm.OpenDatabases();

    // The busiest day of the large project.
    QDate busiest;
    int busiestRows = 0;
    {
        Query days(&dm.General,
                   QStringLiteral("SELECT xDate, COUNT(*) AS N FROM CVRank WHERE Project = '") + project
                       + QStringLiteral("' GROUP BY xDate ORDER BY N DESC"));
        days.open();
        busiest = days.asDate(QStringLiteral("xDate"));
        busiestRows = days.asInteger(QStringLiteral("N"));
    }

    TDayGlanceForm glance(dm);
    glance.resize(1000, 720);
    glance.show();
    QApplication::processEvents();
    double glanceMs = 1e9;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer timer;
        timer.start();
        glance.setDate(busiest);
        glance.BuildGrids(project, busiest);
        glance.repaint();
        glanceMs = std::min(glanceMs, milliseconds(timer));
    }
    glance.close();

    TFullURLForm full(dm);
    full.resize(1200, 800);
    full.show();
    full.setDate(busiest);
    QApplication::processEvents();
    double fullMs = 1e9;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer timer;
        timer.start();
        full.RunQuery();
        full.grid()->repaint();
        QApplication::processEvents();
        fullMs = std::min(fullMs, milliseconds(timer));
    }
    const QString fullRecords = full.recordsText();
    full.close();

    TLogForm log(dm);
    log.resize(820, 560);
    log.show();
    QApplication::processEvents();
    double logMs = 1e9;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer timer;
        timer.start();
        log.ShowPeriod(LogView::Period::All);
        log.repaint();
        logMs = std::min(logMs, milliseconds(timer));
    }
    const int logLines = int(log.text().count(QLatin1Char('\n')));
    log.close();

    DailyResults::Input input;
    input.project = project;
    input.day = busiest;
    input.dateText = busiest.toString(Qt::ISODate);
    input.groupBy = QStringLiteral("Search Engine");
    input.thenBy = QStringLiteral("Search Term");
    input.detailName = QStringLiteral("URL");
    input.showIndex = true;
    input.dataFolder = folder + QLatin1Char('/');
    input.programFolder = home;
    double dailyMs = 1e9;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer timer;
        timer.start();
        const QString error = DailyResults::build(input);
        if (!error.isEmpty())
            throw std::runtime_error("daily results: " + utf8(error));
        dailyMs = std::min(dailyMs, milliseconds(timer));
    }
    dm.CloseDatabases();

    std::printf("busiest day %s, %d rank rows\n", utf8(busiest.toString(Qt::ISODate)).c_str(), busiestRows);
    std::printf("day at a glance %.0f ms (target 100)\n", glanceMs);
    std::printf("full URL, %s: %.0f ms (target 300)\n", utf8(fullRecords).c_str(), fullMs);
    std::printf("log, All, %d lines: %.0f ms (target 200)\n", logLines, logMs);
    std::printf("daily results %.0f ms (target 200)\n", dailyMs);
    return glanceMs <= 100 && fullMs <= 300 && logMs <= 200 && dailyMs <= 200 ? 0 : 1;
}

} // namespace
} // namespace corvane

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const corvane::bench::DataArguments data = corvane::bench::dataArguments(app.arguments());
    try {
        return corvane::run(data.folder, data.regenerate);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_day_views: %s\n", error.what());
        return 2;
    }
}
