// The main window together with the real outside programs: CVRepair ending a
// repair wait, a Harvester session refusing the guarded tools, and the
// dashboard on a profile that corvane-setup --demo has mined.
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableDatabase.h"
#include "core/demo/DemoEngine.h"
#include "core/outside/GuardedTool.h"
#include "core/platform/MutexNames.h"
#include "core/platform/NamedMutex.h"
#include "gui/charts/DesignedChartView.h"
#include "gui/dashboard/TopTenCharts.h"
#include "gui/livecheck/DuvudaDuvedozoForm.h"
#include "gui/mainwindow/MainRankForm.h"

#include "HarvesterFixture.h"
#include "UiTestSupport.h"

#include <QAbstractAxis>
#include <QAction>
#include <QApplication>
#include <QChart>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

using namespace corvane;

namespace {

const QString BinFolder = QStringLiteral(CORVANE_BIN_DIR "/");

QString label(QWidget& form, const char* name)
{
    auto* found = form.findChild<QLabel*>(QLatin1String(name));
    return found ? found->text() : QStringLiteral("<missing>");
}

bool mutexHeld(const char* name) { return NamedMutex::exists(QLatin1String(name)); }

// The visible top-level windows other than the main window.
QList<QWidget*> otherWindows(const QWidget& main)
{
    QList<QWidget*> others;
    const QList<QWidget*> windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window != &main && window->isVisible())
            others << window;
    }
    return others;
}

// Table files kept busy the way another program writing them would: an
// exclusive lock that readers of other processes wait for (CVRepair waits up
// to five seconds per table before it gives up on one).
class BusyTables
{
public:
    ~BusyTables() { release(); }

    bool lock(const QStringList& paths)
    {
        for (const QString& path : paths) {
            sqlite3* db = nullptr;
            if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr)
                != SQLITE_OK) {
                sqlite3_close(db);
                return false;
            }
            m_connections << db;
            if (sqlite3_exec(
                    db,
                    "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; SELECT count(*) FROM sqlite_master",
                    nullptr, nullptr, nullptr)
                != SQLITE_OK)
                return false;
        }
        return true;
    }

    void release()
    {
        for (sqlite3* db : std::as_const(m_connections)) {
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
            sqlite3_close(db);
        }
        m_connections.clear();
    }

private:
    QList<sqlite3*> m_connections;
};

// A binaries folder whose CVRepair runs the real CVRepair headless.
//
// The main window starts "CVRepair" "false" "false": the repair window, which
// waits for the user to press Check and stays open afterwards, so nothing in
// a test would ever end it. The wrapper records the switches it was given and
// then execs the real program with --check on the profile's data folder: the
// process the window watches is the real CVRepair, holding "CVRepair.Mutex"
// from its start to its end, and changes nothing.
class RepairWrapper
{
public:
    explicit RepairWrapper(const QString& dataFolder)
    {
        QDir().mkpath(binFolder());
        QFile script(binFolder() + QStringLiteral("CVRepair"));
        script.open(QIODevice::WriteOnly);
        script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1'\nexec '%2CVRepair' --check "
                                    "--data '%3' > '%4' 2>&1\n")
                         .arg(switchesFile(), BinFolder, dataFolder, outputFile())
                         .toLocal8Bit());
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString binFolder() const { return m_dir.filePath(QStringLiteral("bin/")); }
    QStringList switches() const { return lines(switchesFile()); }
    QStringList output() const { return lines(outputFile()); }

private:
    QString switchesFile() const { return m_dir.filePath(QStringLiteral("switches")); }
    QString outputFile() const { return m_dir.filePath(QStringLiteral("output")); }
    static QStringList lines(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    QTemporaryDir m_dir;
};

// Waits for the first showing's work (project list, dashboard) to be done.
void showAndSettle(TMainRankForm& form, const QString& project)
{
    form.setWindowState(Qt::WindowNoState);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTRY_COMPARE(form.windowTitle(), QStringLiteral("Corvane - Project ") + project);
    QTRY_VERIFY_WITH_TIMEOUT(!form.dashboardBusy(), 30000);
}

} // namespace

class TestMainWindowPrograms : public QObject
{
    Q_OBJECT

private slots:
    void theWindowComesBackWhenTheRealRepairProgramEnds()
    {
        test::UiProfile profile;
        QVERIFY2(profile.ready(), qPrintable(profile.error()));
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Hints"), QStringLiteral("-1"));
        const QString dataFolder = dm->Settings.DataFolder;
        RepairWrapper wrapper(dataFolder);
        TMainRankForm form(*dm);
        form.setWindowState(Qt::WindowNoState);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_VERIFY(!profile.messages.isEmpty()); // the first showing asks for a project
        profile.messages.clear();
        form.programs().setBinariesFolder(wrapper.binFolder());
        auto* timer = form.findChild<QTimer*>(QStringLiteral("Timer1"));
        QVERIFY(timer);

        // A check of a fresh profile takes milliseconds, less than the watch's
        // first 4000 ms; the first tables are kept busy until the window has
        // been seen waiting, so the real program is still running then.
        QStringList tables =
            QDir(dataFolder).entryList({QStringLiteral("*.dat")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
        QVERIFY(tables.size() > 6);
        const qsizetype tableCount = tables.size();
        tables = tables.mid(0, 6);
        for (QString& table : tables)
            table = dataFolder + table;
        BusyTables busy;
        QVERIFY(busy.lock(tables));

        form.RunTableRepair();
        QVERIFY(form.isMinimized());
        QVERIFY(!form.command(QStringLiteral("TableRepair1"))->isEnabled());
        QVERIFY(!form.command(QStringLiteral("DuvudaDuvedozo1"))->isEnabled());
        QVERIFY(!form.centralWidget()->isEnabled());

        QTRY_VERIFY_WITH_TIMEOUT(mutexHeld(MutexNames::CVRepair), 5000);
        QCOMPARE(wrapper.switches(), (QStringList{QStringLiteral("false"), QStringLiteral("false")}));
        QTRY_COMPARE_WITH_TIMEOUT(timer->interval(), 100, 8000); // past the first tick: now polling
        QVERIFY(mutexHeld(MutexNames::CVRepair));
        QVERIFY(form.isMinimized());
        QVERIFY(form.isWaitingForRepair());
        QVERIFY(!form.command(QStringLiteral("TableRepair1"))->isEnabled());

        busy.release();
        QTRY_VERIFY_WITH_TIMEOUT(!form.isMinimized(), 15000);
        QVERIFY(!mutexHeld(MutexNames::CVRepair));
        QVERIFY(!(form.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)));
        QVERIFY(!form.isWaitingForRepair());
        QVERIFY(form.command(QStringLiteral("TableRepair1"))->isEnabled());
        QVERIFY(form.command(QStringLiteral("DuvudaDuvedozo1"))->isEnabled());
        QVERIFY(form.centralWidget()->isEnabled());
        QCOMPARE(timer->interval(), 4000);
        // The real check ran over every table and found each sound, none given up on.
        QCOMPARE(wrapper.output().value(wrapper.output().size() - 1),
                 QStringLiteral("%1 table(s) checked: %1 sound.").arg(tableCount));
        QVERIFY(profile.messages.isEmpty());
    }

    void guardedToolsRefuseWhileARealSessionRunsAndOpenAfterIt()
    {
        test::UiProfile profile;
        QVERIFY2(profile.ready(), qPrintable(profile.error()));
        DemoEngine engine;
        QVERIFY2(engine.start(), qPrintable(engine.error()));
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        test::addHarvesterProject(dm->Settings.DataFolder, engine.port());
        const auto setting = [&](const char* key, const char* name, const char* value) {
            dm->WriteSetting(QLatin1String(key), QLatin1String(name), QLatin1String(value));
        };
        setting("Startup Settings", "Project", "Garden");
        setting("Startup Settings", "Hints", "-1");
        setting("Startup Settings", "HVRetryTimes", "0");
        setting("Network", "HTTPRetryTimes", "1");
        setting("Network", "HTTPReadTimeout", "20000");
        setting("Network", "Connections", "4");
        // Every engine answers after three seconds, so each engine's six pages
        // keep the session going for some 18 s until the test lets it finish.
        engine.setSlowDelay(3000);
        engine.setFailure(DemoEngine::Failure::Slow);

        TMainRankForm form(*dm);
        showAndSettle(form, QStringLiteral("Garden"));
        profile.messages.clear();

        QProcess harvester;
        harvester.setProcessChannelMode(QProcess::MergedChannels);
        harvester.start(BinFolder + QStringLiteral("Harvester"), {QStringLiteral("\"Garden\"")});
        QVERIFY(harvester.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(mutexHeld(MutexNames::NoCV), 15000);

        const QList<std::pair<const char*, const char*>> tools{
            {"ProjectWizard1", GuardedTool::ProjectWizard},
            {"DuvudaDuvedozo1", GuardedTool::DuvudaDuvedozo},
            {"RurederOrad1", GuardedTool::RurederOrad},
            {"Backup1", GuardedTool::Backup},
            {"RemoteScriptUpdate1", GuardedTool::RemoteScriptUpdate},
            {"TableRepair1", GuardedTool::TableRepair}};
        for (const auto& [command, tool] : tools) {
            profile.messages.clear();
            QAction* action = form.command(QLatin1String(command));
            QVERIFY2(action->isEnabled(), command);
            action->trigger();
            QCOMPARE(
                profile.messages,
                QStringList{QStringLiteral("Warning: <P ALIGN=\"CENTER\">") + QLatin1String(tool)
                            + QStringLiteral(" is unavailable while Harvester is running a session.</P>")});
            QVERIFY2(otherWindows(form).isEmpty(), command);
            QVERIFY(!mutexHeld(MutexNames::NoHV));
        }
        QVERIFY(!form.isMinimized());
        QVERIFY(!form.isWaitingForRepair());
        // The refusals all came while the session was still running.
        QVERIFY(mutexHeld(MutexNames::NoCV));
        QCOMPARE(harvester.state(), QProcess::Running);

        engine.setFailure(DemoEngine::Failure::None);
        QVERIFY(harvester.waitForFinished(60000));
        QCOMPARE(harvester.exitStatus(), QProcess::NormalExit);
        QVERIFY2(harvester.exitCode() == 0, harvester.readAll().constData());
        QVERIFY(!mutexHeld(MutexNames::NoCV));

        // Now Duvuda Duvedozo opens, and holds "NoHV.Mutex" exactly while open.
        profile.messages.clear();
        bool opened = false;
        bool heldWhileOpen = false;
        QTimer closer;
        closer.setInterval(50);
        connect(&closer, &QTimer::timeout, &form, [&] {
            auto* tool = form.findChild<TDuvudaDuvedozoForm*>();
            if (!tool || !tool->isVisible())
                return;
            opened = true;
            heldWhileOpen = mutexHeld(MutexNames::NoHV);
            tool->reject();
        });
        closer.start();
        form.command(QStringLiteral("DuvudaDuvedozo1"))->trigger();
        closer.stop();
        QVERIFY(opened);
        QVERIFY(heldWhileOpen);
        QVERIFY(!mutexHeld(MutexNames::NoHV));
        QVERIFY(profile.messages.isEmpty());
    }

    void theDashboardShowsWhatTheDemoSessionsMined()
    {
        test::UiProfile profile;
        QVERIFY2(profile.ready(), qPrintable(profile.error()));
        // Two days of history: the second session has a previous one to
        // compare with. corvane-setup adds the demo project to the profile.
        QProcess setup;
        setup.setProcessChannelMode(QProcess::MergedChannels);
        setup.start(BinFolder + QStringLiteral("corvane-setup"),
                    {QStringLiteral("--demo"), QStringLiteral("--demo-days"), QStringLiteral("2"),
                     QStringLiteral("--quiet"), QStringLiteral("--profile"), profile.programFolder()});
        QVERIFY(setup.waitForFinished(120000));
        QVERIFY2(setup.exitCode() == 0, setup.readAll().constData());

        auto dm = profile.makeDataModule();
        dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Project"),
                         QStringLiteral("Demo"));
        dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Hints"), QStringLiteral("-1"));
        // The dashboard loads on startup, as a new user of the demo profile sees it.
        dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("SummaryLoad"),
                         QStringLiteral("false"));
        dm->LoadSettings();

        // What the tables hold, read on a connection of the test's own.
        Session session(QStringLiteral("Expected"));
        session.addPassword(QLatin1String(Schema::SE3Password));
        Database data(QStringLiteral("Expected"), &session);
        data.setDirectory(dm->Settings.DataFolder);
        data.connect();
        const auto count = [&](const QString& where) {
            Query query(&data, QStringLiteral("SELECT COUNT(*) AS N FROM ") + where);
            query.open();
            return query.asInteger(QStringLiteral("N"));
        };
        const QDate today = QDate::currentDate();
        const QString onToday = QStringLiteral(" AND xDate = ") + SqlQuote::date(today);
        QStringList titles;
        QList<int> topRows;
        {
            Query engines(&data,
                          QStringLiteral("SELECT Name, Popularity FROM CVSE3 WHERE Project = 'Demo' "
                                         "ORDER BY Popularity DESC"));
            engines.open();
            for (engines.first(); !engines.eof(); engines.next()) {
                const QString name = engines.asString(QStringLiteral("Name"));
                titles << QStringLiteral("%1 - %2 (%3 points)")
                              .arg(titles.size() + 1)
                              .arg(name)
                              .arg(engines.asInteger(QStringLiteral("Popularity")));
                topRows << count(
                    QStringLiteral("Summary WHERE Type = 'TopSE' AND Project = 'Demo' AND SearchEngine = ")
                    + SqlQuote::quoted(name) + onToday);
            }
        }
        QCOMPARE(titles.size(), qsizetype(4));
        const int rankRecords = count(QStringLiteral("CVRank WHERE Project = 'Demo'"));
        QVERIFY(rankRecords > 0);
        QVERIFY(topRows.first() > 0);

        TMainRankForm form(*dm);
        showAndSettle(form, QStringLiteral("Demo"));

        QCOMPARE(label(form, "StatusPanel0"),
                 QStringLiteral("Last Update: ") + QLocale().toString(today, QLocale::ShortFormat));
        QCOMPARE(label(form, "StatusPanel1"), QStringLiteral("Rank Records: %1").arg(rankRecords));
        QCOMPARE(label(form, "StatusPanel2"), QStringLiteral("ST: 20"));
        QCOMPARE(label(form, "StatusPanel3"), QStringLiteral("URL: 4"));
        QCOMPARE(label(form, "StatusPanel4"), QStringLiteral("SE: 4"));
        QCOMPARE(label(form, "KeyURLLabel"), QStringLiteral("Key URL: OurSite"));

        TopTenCharts* charts = form.topTenCharts();
        for (int slot = 0; slot < titles.size(); ++slot) {
            QCOMPARE(charts->chartView(slot)->chart()->title(), titles.at(slot));
            QCOMPARE(charts->recordCount(slot), topRows.at(slot));
        }
        QCOMPARE(charts->chartView(4)->chart()->title(), QStringLiteral("5 - No data"));
        // An empty chart keeps no axis title, which would stand outside its frame.
        const QList<QAbstractAxis*> emptyAxes = charts->chartView(4)->chart()->axes();
        for (const QAbstractAxis* axis : emptyAxes)
            QVERIFY(!axis->isVisible() || !axis->isTitleVisible());
        QCOMPARE(charts->table()->rowCount(), topRows.first());

        const auto rows = [&](const char* list) {
            return form.findChild<QTableWidget*>(QLatin1String(list))->rowCount();
        };
        QCOMPARE(rows("FirstPageList"),
                 count(QStringLiteral("Summary WHERE Type = 'PR1' AND Project = 'Demo'")));
        QCOMPARE(rows("NewArrivalsList"),
                 count(QStringLiteral("Summary WHERE Type = 'New' AND Project = 'Demo'") + onToday));
        QCOMPARE(rows("SaturationList"), 4);
        QVERIFY(rows("FirstPageList") > 0);
        QVERIFY(test::saveScreen(form, QStringLiteral("main_window_demo_profile")));
        QVERIFY(profile.messages.isEmpty());
    }
};

QTEST_MAIN(TestMainWindowPrograms)
#include "test_main_window_programs.moc"
