// Opens every window on demo data, offscreen, and saves a picture of each
// under $CORVANE_SCREENS for a person to look at.
#include "core/charts/ChartBuilder.h"
#include "core/charts/ChartDesignStore.h"
#include "core/demo/DemoEngine.h"
#include "core/discovery/MixSettings.h"
#include "core/help/HelpContexts.h"
#include "core/notify/Notifications.h"
#include "core/outside/OutsidePrograms.h"
#include "core/projects/ProjectStore.h"
#include "core/query/QueryStatement.h"
#include "core/repair/RawTableFile.h"
#include "core/reports/ReportData.h"
#include "core/setup/DemoProject.h"
#include "gui/charts/ChartBuilderForm.h"
#include "gui/charts/ChartDesignerForm.h"
#include "gui/charts/ChartFrame.h"
#include "gui/charts/DesignedChartView.h"
#include "gui/charts/DetailChartForm.h"
#include "gui/charts/GandLForm.h"
#include "gui/charts/ScoresForm.h"
#include "gui/dashboard/TopTenCharts.h"
#include "gui/dayviews/DayGlanceForm.h"
#include "gui/dayviews/FullURLForm.h"
#include "gui/dayviews/LogForm.h"
#include "gui/discovery/STFilterForm.h"
#include "gui/discovery/STMixForm.h"
#include "gui/export/ExportWizardForm.h"
#include "gui/harvest/HarvesterForm.h"
#include "gui/help/HelpForm.h"
#include "gui/livecheck/DuvudaDuvedozoForm.h"
#include "gui/livecheck/DuvudaExportForm.h"
#include "gui/maintenance/BackupForm.h"
#include "gui/maintenance/CVDailyForm.h"
#include "gui/maintenance/DirectoryChangerForm.h"
#include "gui/maintenance/RemoteUpdateForm.h"
#include "gui/mainwindow/MainRankForm.h"
#include "gui/messages/MessageForm.h"
#include "gui/print/PrintForm.h"
#include "gui/projects/AddSTForm.h"
#include "gui/projects/AddURLForm.h"
#include "gui/projects/SetupWizardForm.h"
#include "gui/query/GridForm.h"
#include "gui/query/QBForm.h"
#include "gui/query/SEPopForm.h"
#include "gui/query/ScriptCheckForm.h"
#include "gui/repair/RepairForm.h"
#include "gui/reports/ReportDesignForm.h"
#include "gui/reports/ReportPreview.h"
#include "gui/reports/ReportRenderer.h"
#include "gui/schedule/ScheduleForm.h"
#include "gui/schedule/ScheduleTaskForm.h"
#include "gui/settings/AdvThrottleForm.h"
#include "gui/settings/EngineValuesForm.h"
#include "gui/settings/MiscSettingsForm.h"
#include "gui/settings/NetSetForm.h"
#include "gui/settings/NotificationForm.h"
#include "gui/settings/SEAPIForm.h"
#include "gui/widgets/BrowserPane.h"

#include "../core/UpdateServer.h"
#include "ChartSamples.h"
#include "DBRoutinesLibrary.h"
#include "DashboardFixture.h"
#include "DuvudaTestSupport.h"
#include "HarvesterFixture.h"
#include "PrintSamples.h"
#include "QueryFixture.h"
#include "ReportSamples.h"
#include "SavedChartsFixture.h"
#include "UiTestSupport.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QListWidget>
#include <QMainWindow>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

using namespace corvane;

class ScreenshotTour : public QObject
{
    Q_OBJECT

private:
    // A profile whose current project "Bakery" was mined on ten engines; `more`
    // adds to it while the databases are open.
    static void mineBakery(TDM1& dm, const std::function<void()>& more)
    {
        dm.LoadSettings();
        dm.OpenDatabases();
        test::addMinedProject(dm, QStringLiteral("Bakery"), QDate(2026, 11, 30), 10);
        dm.WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Project"),
                        QStringLiteral("Bakery"));
        dm.WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Hints"), QStringLiteral("-1"));
        more();
        dm.CloseDatabases();
    }

    // Lets corvane-setup --demo mine the demo project for `days` days, the
    // last one today, and makes it the current project.
    static void mineDemo(test::UiProfile& profile, int days)
    {
        QProcess setup;
        setup.setProcessChannelMode(QProcess::MergedChannels);
        setup.start(QStringLiteral(CORVANE_BIN_DIR "/corvane-setup"),
                    {QStringLiteral("--demo"), QStringLiteral("--demo-days"), QString::number(days),
                     QStringLiteral("--quiet"), QStringLiteral("--profile"), profile.programFolder()});
        QVERIFY(setup.waitForFinished(300000));
        QVERIFY2(setup.exitCode() == 0, setup.readAll().constData());
        auto dm = profile.makeDataModule();
        dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Project"),
                         QLatin1String(DemoProject::Name));
        dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Hints"), QStringLiteral("-1"));
    }

    static void showMainWindow(TMainRankForm& form)
    {
        form.setWindowState(Qt::WindowNoState);
        form.resize(1280, 860);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }

private slots:
    void mainRankForm()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        mineBakery(*dm, [&] {
            dm->GroupTable.append();
            dm->GroupTable.setValue(QStringLiteral("Name"), QStringLiteral("Hardware"));
            dm->GroupTable.setValue(QStringLiteral("Depth"), 100);
            dm->GroupTable.post();
        });
        TMainRankForm form(*dm);
        showMainWindow(form);
        QTRY_VERIFY(form.dashboardBusy());
        QTRY_VERIFY_WITH_TIMEOUT(!form.dashboardBusy(), 20000);
        QVERIFY(test::saveScreen(form, QStringLiteral("MainRankForm")));
        const char* panels[] = {"SessionInfo", "FirstPage", "NewArrivals", "Saturation"};
        for (int panel = 1; panel < 4; ++panel) {
            form.showPanel(panel);
            QTest::qWait(50);
            QVERIFY(test::saveScreen(form, QStringLiteral("MainRankForm_") + QLatin1String(panels[panel])));
        }

        form.SelectProject(QStringLiteral("Hardware"));
        QTRY_VERIFY_WITH_TIMEOUT(!form.dashboardBusy(), 20000);
        QVERIFY(test::saveScreen(form, QStringLiteral("MainRankForm_NeverMined")));
    }

    void mainRankFormWithoutDisplayOnStartup()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        mineBakery(*dm, [&] {
            dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("SummaryLoad"),
                             QStringLiteral("true"));
        });
        TMainRankForm form(*dm);
        showMainWindow(form);
        QTRY_VERIFY(form.windowTitle().endsWith(QLatin1String("Bakery")));
        QVERIFY(test::saveScreen(form, QStringLiteral("MainRankForm_NoDisplayOnStartup")));
    }

    void printForm()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        dm->OpenDatabases();
        const QString project = QStringLiteral("Bakery");
        test::addLogoProject(*dm, project, 0);
        QVERIFY(test::writeLogo(profile.programFolder()));
        test::fillWorkingTable(*dm);
        test::fillGainsAndLosses(*dm, project);
        test::fillScores(*dm);
        test::fillRurederOrad(*dm);
        test::fillRanks(*dm, project);
        dm->SE3Table.open();
        dm->GridQuery.setSql(QStringLiteral("SELECT xDate, SearchEngine, SearchTerm, URL, Rank, Page, "
                                            "FoundLink AS MemoFoundLink FROM CVRank ORDER BY Rank"));
        dm->GridQuery.open();
        const QStringList pairs{QStringLiteral("home->fresh bread"), QStringLiteral("home->rye & spelt"),
                                QStringLiteral("rival->fresh bread")};
        for (int kind = PrintPages::FirstKind; kind <= PrintPages::LastKind; ++kind) {
            TPrintForm form(*dm, kind);
            switch (kind) {
            case PrintPages::DetailChart:
                form.ShowDetailChart(project, {QStringLiteral("fresh bread"), QStringLiteral("Demo")},
                                     dm->MergeTable, test::detailChartImage());
                break;
            case PrintPages::QueryResult: form.ShowQueryResult(project, dm->GridQuery); break;
            case PrintPages::EngineList: form.ShowEngineList(project, dm->SE3Table); break;
            case PrintPages::UrlList: form.ShowUrlList(QStringLiteral("fresh bread"), dm->MixTable); break;
            case PrintPages::PageDetail:
                form.ShowPageDetail(QStringLiteral("fresh bread"), dm->MixTable);
                break;
            case PrintPages::MergedPhrases:
                form.ShowMergedPhrases(QStringLiteral("fresh bread"), dm->PhraseTable);
                break;
            case PrintPages::GainsAndLosses:
                form.ShowGainsAndLosses(project,
                                        {QStringLiteral("Gain/Loss for 11/29/26"), QStringLiteral("Demo")},
                                        dm->HiLoTable,
                                        test::barChartImage(QStringLiteral("Gain/Loss for 11/29/26"), pairs,
                                                            {-4, 5, 0}, QStringLiteral("Difference")));
                break;
            case PrintPages::Scores:
                form.ShowScores(project, {QStringLiteral("Overall score for 11/29/26")}, dm->Temp2Table,
                                test::barChartImage(
                                    QStringLiteral("Overall score for 11/29/26"),
                                    {QStringLiteral("home"), QStringLiteral("rival"), QStringLiteral("blog")},
                                    {496, 310, 42}, QStringLiteral("Score")));
                break;
            default: break;
            }
            form.resize(900, 680);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QVERIFY(test::saveScreen(form, QStringLiteral("PrintForm_kind%1").arg(kind)));
        }
    }

    void messageForm()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        TMessageForm form(*dm);
        const struct
        {
            int type;
            const char* title;
            QString text;
            const char* key;
            const char* name;
        } messages[] = {
            {0, "Warning",
             QStringLiteral("<P ALIGN=\"CENTER\">Table Repair is unavailable while Harvester is "
                            "running a session.</P>"),
             "", "MessageForm_OK"},
            {1, "Warning", OutsidePrograms::ServiceStoppedText(), "", "MessageForm_OKCancel"},
            {2, "Error",
             QStringLiteral("<P align=\"center\"><B>The table CVRank is locked.</B><BR>"
                            "Another program is writing to it.</P>"),
             "", "MessageForm_AbortRetryIgnore"},
            {3, "Confirm",
             QStringLiteral("<P align=\"center\">Save the changes to the project <B>Bakery</B>?</P>"), "",
             "MessageForm_YesNoCancel"},
            {4, "Delete",
             QStringLiteral("<P align=\"center\">Delete the search term <B>fresh bread</B> and every "
                            "rank stored for it?</P>"),
             "DeleteST", "MessageForm_YesNo_CheckBox"},
            {5, "Error",
             QStringLiteral("<P align=\"center\"><B>Unable to reach the update server.</B><BR>"
                            "Check the network settings and try again.</P>"),
             "", "MessageForm_RetryCancel"},
            {1, "Project Wizard",
             QStringLiteral("<P align=\"center\">The Key URL is the page whose rank the "
                            "dashboard follows.<BR>Set it now?</P>"),
             "KeyURL", "MessageForm_OKCancel_CheckBox"},
        };
        for (const auto& m : messages) {
            form.Prepare(MessageButtons(m.type), QLatin1String(m.title), m.text, QLatin1String(m.key));
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QVERIFY(test::saveScreen(form, QLatin1String(m.name)));
            form.hide();
        }
    }

    // The chart designer beside a rank chart in each series type, and with a picture.
    void chartDesigner()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        dm->OpenDatabases();
        const struct
        {
            int type;
            const char* name;
            bool threeD;
            bool picture;
        } looks[] = {{ChartDesign::Line, "ChartDesigner_Line", false, false},
                     {ChartDesign::HorizontalLine, "ChartDesigner_HorizontalLine", false, false},
                     {ChartDesign::Bar, "ChartDesigner_Bar", true, false},
                     {ChartDesign::HorizontalBar, "ChartDesigner_HorizontalBar", false, false},
                     {ChartDesign::Line, "ChartDesigner_Picture", true, true}};
        for (const auto& look : looks) {
            QWidget host;
            auto* layout = new QHBoxLayout(&host);
            auto* chart = new DesignedChartView(&host);
            chart->setChartData(test::sampleRankChart(look.type == ChartDesign::Line ? 25 : 12));
            ChartDesign design = ChartDesign::defaultsFor(ChartKind::DetailChart);
            design.seriesType = look.type;
            design.threeD = look.threeD;
            if (look.picture) {
                QImage logo(120, 44, QImage::Format_RGB32);
                QPainter painter(&logo);
                QLinearGradient fill(0, 0, 120, 0);
                fill.setColorAt(0, QColor(0x20, 0x50, 0x90));
                fill.setColorAt(1, QColor(0x40, 0x90, 0xD0));
                painter.fillRect(logo.rect(), fill);
                painter.setPen(Qt::white);
                painter.setFont(QFont(QStringLiteral("Sans Serif"), 13, QFont::Bold));
                painter.drawText(logo.rect(), Qt::AlignCenter, QStringLiteral("Bakery"));
                painter.end();
                QBuffer buffer(&design.image);
                buffer.open(QIODevice::WriteOnly);
                logo.save(&buffer, "BMP");
                design.imageLeft = 8;
                design.imageTop = 8;
                design.pointsPerPage = 10;
                design.palette = 9;
            }
            chart->setDesign(design);
            auto* designer = new TChartDesignerForm(*dm, *chart, QStringLiteral("Bakery"),
                                                    QStringLiteral("Weekly"), ChartKind::DetailChart, &host);
            designer->setWindowFlags(Qt::Widget);
            layout->addWidget(chart, 1);
            layout->addWidget(designer);
            host.resize(1250, 720);
            host.show();
            QVERIFY(QTest::qWaitForWindowExposed(&host));
            QTest::qWait(150);
            QVERIFY(test::saveScreen(host, QLatin1String(look.name)));
        }
    }

    // The chart designer on a dashboard Top 10 card, after a change of series
    // type: the card keeps its terms beside the bars and no axis title.
    void chartDesignerTop10()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        dm->OpenDatabases();
        QWidget host;
        auto* layout = new QHBoxLayout(&host);
        auto* cards = new TopTenCharts(&host);
        QList<SummaryRow> rows;
        const char* terms[] = {"blue widgets", "garden tools",       "O'Brien \"&\" <b>Söhne</b>",
                               "lawn mower",   "watering can",       "organic fertilizer for raised beds",
                               "compost bin",  "1999 hedge trimmer", "flower seeds",
                               "garden hose"};
        for (const char* term : terms)
            rows.append({QStringLiteral("Big"), QString::fromUtf8(term), int(rows.size()) * 3 % 17 + 1, 1});
        cards->setSlot(0, QStringLiteral("1 - Big"), QStringLiteral("Big"), rows);
        cards->revealSlot(0);
        DesignedChartView* card = cards->chartView(0);
        card->setParent(&host);
        card->setMinimumSize(300, 320);
        auto* designer = new TChartDesignerForm(*dm, *card, QStringLiteral("Bakery"), QStringLiteral("Top10"),
                                                ChartKind::Top10, &host);
        designer->setWindowFlags(Qt::Widget);
        designer->SeriesTypeClick(ChartDesign::Bar);
        designer->SeriesTypeClick(ChartDesign::HorizontalBar);
        cards->hide();
        layout->addWidget(card, 1);
        layout->addWidget(designer);
        host.resize(1100, 720);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QTest::qWait(150);
        QVERIFY(test::saveScreen(host, QStringLiteral("ChartDesigner_Top10")));
    }

    // The shared chart frame with a scores chart, its commands in a menu.
    void chartFrame()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        ChartFrame frame(*dm);
        frame.setDesignTarget(QStringLiteral("Bakery"), QStringLiteral("ScoresForm"), ChartKind::Scores);
        frame.chartView()->setChartData(test::sampleScoresChart());
        frame.chartView()->setDesign(ChartDesign::defaultsFor(ChartKind::Scores));
        frame.resize(760, 480);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QTest::qWait(150);
        QVERIFY(test::saveScreen(frame, QStringLiteral("ChartFrame")));
    }

    // The dashboard, the chart windows and the chart tools on the demo
    // project as corvane-setup --demo mines it from the demo engine: days of
    // sessions on four engines that rank each term their own way; the charts
    // shown cover the days mined.
    void demoProjectCharts()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        constexpr int days = 10; // what the tour can mine in good time
        mineDemo(profile, days);
        if (QTest::currentTestFailed())
            return;
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        const QString project = QLatin1String(DemoProject::Name);
        {
            TMainRankForm form(*dm);
            showMainWindow(form);
            QTRY_VERIFY_WITH_TIMEOUT(!form.dashboardBusy(), 20000);
            QTest::qWait(150);
            QVERIFY(test::saveScreen(form, QStringLiteral("MainRankForm_Demo")));
        }
        dm->OpenDatabases();

        TAutoBuildChartForm autoBuild(dm->Settings.DataFolder);
        autoBuild.setProjectName(project);
        autoBuild.show();
        QVERIFY(QTest::qWaitForWindowExposed(&autoBuild));
        QTRY_VERIFY(!autoBuild.added().isEmpty());
        QTest::qWait(100);
        QVERIFY(test::saveScreen(autoBuild, QStringLiteral("AutoBuildChartForm")));

        // The key URL for one term on every engine: where the engines disagree.
        const QStringList engines = ChartBuilder::choices(dm->General, project, QLatin1Char('S'));
        ChartBuilder::Definition everyEngine;
        everyEngine.project = project;
        everyEngine.name = QStringLiteral("OurSite for garden tools on every engine");
        everyEngine.popOrder = QStringLiteral("STU");
        everyEngine.series = engines;
        everyEngine.select1 = QStringLiteral("garden tools");
        everyEngine.select2 = QStringLiteral("OurSite");
        everyEngine.title = everyEngine.name;
        everyEngine.lastDays = days;
        ChartBuilder::save(dm->General, everyEngine);
        TChartBuilderForm builder(dm->Settings.DataFolder);
        builder.setChart(project, everyEngine.name);
        builder.show();
        QVERIFY(QTest::qWaitForWindowExposed(&builder));
        QTest::qWait(100);
        QVERIFY(test::saveScreen(builder, QStringLiteral("ChartBuilderForm")));

        // Each series type, built through Refresh; the data grid opened for the last.
        const char* names[] = {"Line", "HorizontalLine", "Bar", "HorizontalBar"};
        const QStringList charts{everyEngine.name, QStringLiteral("blue widgets on ") + engines.first()};
        for (int type = 0; type < 4; ++type) {
            const QString chart = charts.at(type % 2);
            ChartDesign design = ChartDesign::defaultsFor(ChartKind::DetailChart);
            design.seriesType = type;
            design.showMarks = type >= 2;
            ChartDesignStore(dm->General).save(project, chart, design);
            TDetailChartForm form(*dm);
            form.resize(1100, 720);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.Open(project, chart);
            if (type == 0)
                QVERIFY(test::saveScreen(form, QStringLiteral("DetailChartForm_Refreshing")));
            QTRY_VERIFY_WITH_TIMEOUT(!form.busy(), 20000);
            QVERIFY(form.chartLoaded());
            if (type == 3) {
                form.findChild<QToolButton*>(QStringLiteral("GridToggle"))->setChecked(true);
                form.resize(1100, 880);
            }
            QTest::qWait(150);
            QVERIFY(test::saveScreen(form, QStringLiteral("DetailChartForm_") + QLatin1String(names[type])));
        }
        {
            ChartBuilder::Definition autoBuilt;
            QVERIFY(ChartBuilder::load(dm->General, project, autoBuild.added().first(), autoBuilt));
            autoBuilt.lastDays = days;
            ChartBuilder::save(dm->General, autoBuilt, autoBuilt.name);
            TDetailChartForm form(*dm);
            form.resize(1100, 720);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.Open(project, autoBuilt.name);
            QTRY_VERIFY_WITH_TIMEOUT(!form.busy(), 20000);
            QTest::qWait(150);
            QVERIFY(test::saveScreen(form, QStringLiteral("DetailChartForm_AutoBuilt")));
        }
        {
            TGandLForm form(*dm);
            form.resize(1100, 820);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.Open(project);
            QVERIFY(!form.rows().isEmpty());
            QTest::qWait(150);
            QVERIFY(test::saveScreen(form, QStringLiteral("GandLForm")));
        }
        {
            TScoresForm form(*dm);
            form.resize(1000, 680);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.Open(project);
            QVERIFY(!form.rows().isEmpty());
            QTest::qWait(150);
            QVERIFY(test::saveScreen(form, QStringLiteral("ScoresForm_Overall")));
            form.setEngine(engines.last());
            QTest::qWait(150);
            QVERIFY(test::saveScreen(form, QStringLiteral("ScoresForm_OneEngine")));
        }
    }

    // The seven chart themes side by side, with bands and without.
    void chartThemes()
    {
        QWidget host;
        auto* layout = new QGridLayout(&host);
        int cell = 0;
        for (const QString& theme : ChartDesign::themeNames()) {
            auto* chart = new DesignedChartView(&host);
            ChartData data = test::sampleRankChart(8);
            data.titleLines = QStringList(theme);
            chart->setChartData(data);
            ChartDesign design = ChartDesign::defaultsFor(ChartKind::DetailChart);
            design.theme = theme;
            design.palette = cell;
            design.seriesType = cell % 2 ? ChartDesign::Bar : ChartDesign::Line;
            design.showMarks = cell % 3 != 0;
            chart->setDesign(design);
            layout->addWidget(chart, cell / 4, cell % 4);
            ++cell;
        }
        auto* plain = new DesignedChartView(&host);
        ChartData data = test::sampleRankChart(8);
        data.titleLines = QStringList(QStringLiteral("XP, Remove Background"));
        plain->setChartData(data);
        ChartDesign design = ChartDesign::defaultsFor(ChartKind::DetailChart);
        design.theme = QStringLiteral("XP");
        design.removeBands = true;
        plain->setDesign(design);
        layout->addWidget(plain, 1, 3);
        host.resize(1400, 640);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QTest::qWait(150);
        QVERIFY(test::saveScreen(host, QStringLiteral("ChartThemes")));
    }

    void repairFormAfterCheck()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        const QString data = profile.programFolder() + QStringLiteral("Data/");
        QVERIFY(repair::RawTableFile(data + QStringLiteral("CVURL.dat"))
                    .exec(QStringLiteral("DROP INDEX URLProjidx")));
        QFile log(data + QStringLiteral("CVLog.dat"));
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write(QByteArray(4096, 'x'));
        log.close();

        TRepairForm form(data, false, false);
        form.resize(900, 560);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QSignalSpy finished(&form, &TRepairForm::runFinished);
        form.startRun(repair::RepairRun::Mode::Check);
        QVERIFY(finished.wait(20000));
        QCOMPARE(form.results().size(), 25);
        QVERIFY(test::saveScreen(form, QStringLiteral("RepairForm")));
    }

    void reportPreview()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        Session session(QStringLiteral("Tour"));
        Database database(QStringLiteral("Tour"), &session);
        database.setDirectory(profile.programFolder() + QStringLiteral("Data/"));
        database.connect();
        test::fillSampleReportTable(database, 60);
        const reports::ReportData data = reports::readReportData(database);

        bool saved = false;
        QTimer::singleShot(0, [&saved] {
            auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
            if (!preview)
                return;
            QTest::qWait(300);
            saved = test::saveScreen(*preview, QStringLiteral("ReportPreview"));
            preview->reject();
        });
        const QString title = reports::defaultReportTitle(QStringLiteral("Ranks"), QStringLiteral("Bakery"));
        reports::runReportPreview(reports::ReportRenderer(data, reports::ReportStyle(), title), title,
                                  nullptr);
        QVERIFY(saved);
    }

    void reportDesignForm()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        Session session(QStringLiteral("Tour"));
        Database database(QStringLiteral("Tour"), &session);
        database.setDirectory(profile.programFolder() + QStringLiteral("Data/"));
        database.connect();
        test::fillSampleReportTable(database, 5);
        reports::ReportStyle style;
        style.landscape = true;
        style.hiddenColumns = {QStringLiteral("Page")};
        reports::TReportDesignForm form(reports::readReportData(database), style, QStringLiteral("Ranks"),
                                        QStringLiteral("Bakery"));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(test::saveScreen(form, QStringLiteral("ReportDesignForm")));
    }

private:
    // The maintenance library's windows, shown by the real CVDBRoutines.so
    // over a main window, the way the program calls them.
    void dbRoutinesWindow(const char* exportName, const std::function<void(test::DBRoutinesLibrary&)>& call,
                          const QString& screenName, const QString& project = {})
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        if (!project.isEmpty())
            test::saveTwoCharts(profile.programFolder() + QStringLiteral("Data/"));
        QMainWindow main;
        main.resize(900, 650);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        test::DBRoutinesLibrary library;
        QVERIFY2(library.isLoaded(), qPrintable(library.errorString()));
        bool saved = false;
        const auto watch = test::whenShown(library.windowExport(exportName), [&](QDialog& window) {
            // The chart cache window builds first; the others are ready at once.
            const bool ready = QTest::qWaitFor([&] { return !window.property("building").toBool(); }, 20000);
            saved = ready && test::saveScreen(window, screenName);
        });
        call(library);
        QVERIFY(saved);
    }

private slots:
    void hintForm()
    {
        dbRoutinesWindow(
            "_HintForm",
            [](test::DBRoutinesLibrary& library) { library.entry<entry::Plain>("_RunHints")(qApp); },
            QStringLiteral("HintForm"));
    }

    void chartCacheForm()
    {
        const QString project = QStringLiteral("Bakery");
        dbRoutinesWindow(
            "_ChartCacheForm",
            [&](test::DBRoutinesLibrary& library) {
                library.entry<entry::OneText>("_BuildChartCache")(qApp, test::textArgument(project));
            },
            QStringLiteral("ChartCacheForm"), project);
    }

    // Backup, remote script update and directory changer, each after a run.
    void backupForm()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        const QString root = profile.programFolder() + QStringLiteral("Sicherung");
        QDir().mkpath(root);
        TBackupForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.findChild<QLineEdit*>(QStringLiteral("FolderEdit"))->setText(root);
        form.findChild<QPushButton*>(QStringLiteral("BackupButton"))->click();
        QVERIFY(test::saveScreen(form, QStringLiteral("BackupForm")));
        form.findChild<QLineEdit*>(QStringLiteral("FolderEdit"))->setText(root + QStringLiteral("/missing"));
        form.findChild<QPushButton*>(QStringLiteral("BackupButton"))->click();
        QVERIFY(test::saveScreen(form, QStringLiteral("BackupForm_Errors")));
    }

    void remoteUpdateForm()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        const QString archives = profile.programFolder() + QStringLiteral("Server/");
        QVERIFY(test::buildUpdateArchives(profile.programFolder() + QStringLiteral("Data/SE3.dat"), archives)
                    .isEmpty());
        {
            test::UpdateServer server(archives);
            QVERIFY2(server.port() != 0, qPrintable(server.error()));
            server.configure();
            TRemoteUpdateForm form;
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.findChild<QPushButton*>(QStringLiteral("RunButton"))->click();
            QVERIFY(test::saveScreen(form, QStringLiteral("RemoteUpdateForm")));
        }
        // The server is gone: the failed run's log.
        TRemoteUpdateForm failed;
        failed.show();
        QVERIFY(QTest::qWaitForWindowExposed(&failed));
        failed.findChild<QPushButton*>(QStringLiteral("RunButton"))->click();
        QVERIFY(test::saveScreen(failed, QStringLiteral("RemoteUpdateForm_Failed")));
    }

    void directoryChangerForm()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        TDirectoryChangerForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(test::saveScreen(form, QStringLiteral("DirectoryChangerForm")));
    }

    void netSetForm()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->WriteSetting(QStringLiteral("Network"), QStringLiteral("ProxyAuth"), QStringLiteral("true"));
        dm->WriteSetting(QStringLiteral("Network"), QStringLiteral("ProxyHost"),
                         QStringLiteral("proxy.example.net"));
        dm->LoadSettings();
        TNetSetForm form(*dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (int i = 0; i < form.pages()->count(); ++i) {
            form.pages()->setCurrentIndex(i);
            QVERIFY(test::saveScreen(form, QStringLiteral("NetSetForm-") + form.pages()->tabText(i)));
        }
    }

    void helpForm()
    {
        HelpForm* help = HelpForm::showTopic(HelpContexts::NetworkSettings);
        QVERIFY(QTest::qWaitForWindowExposed(help));
        QVERIFY(test::saveScreen(*help, QStringLiteral("HelpForm-Topic")));
        HelpForm::showContents();
        help->search(QStringLiteral("points"));
        QVERIFY(test::saveScreen(*help, QStringLiteral("HelpForm-Search")));
        HelpForm::showTopic(4711);
        QVERIFY(test::saveScreen(*help, QStringLiteral("HelpForm-UnknownTopic")));
        help->close();
    }

    void duvudaDuvedozoForm()
    {
        test::DuvudaProfile p;
        QVERIFY(p.ready());
        TDuvudaDuvedozoForm form(*p.dm);
        form.resize(1000, 640);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* engines = form.findChild<QListWidget*>(QStringLiteral("EngineList"));
        for (int i = 0; i < engines->count(); ++i)
            engines->item(i)->setSelected(i < 3);
        const QString term = QStringLiteral("garden tools");
        const QString host = QUrl(DemoEngine::ranking(term, p.engine.day()).at(2)).host();
        form.findChild<QComboBox*>(QStringLiteral("TermCombo"))->setCurrentText(term);
        form.findChild<QComboBox*>(QStringLiteral("URLCombo"))->setCurrentText(host);
        form.findChild<QSpinBox*>(QStringLiteral("DepthSpin"))->setValue(30);
        form.GoButtonClick();
        QVERIFY(form.results().hasResults());
        QVERIFY(test::saveScreen(form, QStringLiteral("DuvudaDuvedozoForm")));

        TDuvudaExportForm kind(&form);
        kind.show();
        QVERIFY(QTest::qWaitForWindowExposed(&kind));
        QVERIFY(test::saveScreen(kind, QStringLiteral("DuvudaExportForm")));

        ExportData data;
        data.name = QStringLiteral("PPExport");
        data.columns = {{QStringLiteral("xDate"), ExportColumn::Type::Date},
                        {QStringLiteral("Rank"), ExportColumn::Type::Integer},
                        {QStringLiteral("Page"), ExportColumn::Type::Integer},
                        {QStringLiteral("URL"), ExportColumn::Type::Text},
                        {QStringLiteral("SearchTerm"), ExportColumn::Type::Text},
                        {QStringLiteral("SearchEngine"), ExportColumn::Type::Text}};
        for (const DuvudaResultRow& row : form.results().resultRows())
            data.rows.append({row.date, row.cells[1].toInt(), row.cells[2].toInt(), row.cells[3],
                              row.cells[4], row.cells[5]});
        TExportWizardForm wizard(*p.dm, data, QStringLiteral("Duvuda Duvedozo"),
                                 p.exportFolder + QStringLiteral("DuroViz"), &form);
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        QVERIFY(test::saveScreen(wizard, QStringLiteral("ExportWizardForm")));
    }

    // The project wizard's four pages on the mined profile, the message that
    // keeps it open over an incomplete project, and its status bar while a
    // project is renamed.
    void setupWizardForm()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        mineBakery(*dm, [&] {});
        dm->LoadSwitches();
        QStringList said;
        dm->setMessagePresenter([&said](MessageButtons, const QString&, const QString& text, const QString&) {
            said << text;
            return MessageAnswer::Ok;
        });
        {
            Session session(QStringLiteral("Tour"));
            Database db(QStringLiteral("Tour"), &session);
            db.setDirectory(dm->Settings.DataFolder);
            db.connect();
            ProjectStore bakery(db);
            bakery.addUrl(QStringLiteral("Bakery"), QStringLiteral("Home"),
                          QStringLiteral("bakery.example.com"), false);
            bakery.addUrl(QStringLiteral("Bakery"), QStringLiteral("Rival \"Crumbs\" & <b>"),
                          QStringLiteral("http://www.crumbs.example.com/shop"), true);
            for (const char* term : {"fresh bread", "crème brûlée 'pâtisserie'", "sourdough starter"})
                bakery.addTerm(QStringLiteral("Bakery"), QString::fromUtf8(term));
        }
        TSetupWizardForm wizard(*dm);
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        const char* pages[] = {"Projects", "Engines", "URLs", "Terms"};
        for (int page = 0; page < 4; ++page) {
            wizard.showPage(page);
            if (page == TSetupWizardForm::EnginesPage) {
                wizard.inactiveGrid()->selectRow(0);
                emit wizard.inactiveGrid()->clicked(wizard.inactiveGrid()->model()->index(0, 0));
            }
            QTest::qWait(50);
            QVERIFY(
                test::saveScreen(wizard, QStringLiteral("SetupWizardForm_") + QLatin1String(pages[page])));
        }

        // A project with an engine and a URL but no term keeps the wizard open.
        ProjectStore store(wizard.database());
        store.addProject(QStringLiteral("Draft"), 50, true, false);
        store.addUrl(QStringLiteral("Draft"), QStringLiteral("Home"), QStringLiteral("draft.example.com"),
                     false);
        store.addEngine(QStringLiteral("Draft"), QStringLiteral("Corvane Demo"), false);
        said.clear();
        wizard.close();
        QVERIFY(wizard.isVisible());
        QCOMPARE(said.size(), 1);
        TMessageForm message(*dm);
        message.Prepare(MessageButtons::Ok, QStringLiteral("Warning"), said.at(0), QString());
        message.show();
        QVERIFY(QTest::qWaitForWindowExposed(&message));
        QVERIFY(test::saveScreen(message, QStringLiteral("SetupWizardForm_IncompleteProject")));
        message.hide();

        // The status bar while the mined project gets a new name.
        wizard.showPage(TSetupWizardForm::ProjectsPage);
        wizard.selectProject(QStringLiteral("Bakery"));
        bool shot = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, &wizard, [&] {
            if (!shot && wizard.statusText().startsWith(QLatin1String("Updating CVRank table"))) {
                shot = test::saveScreen(wizard, QStringLiteral("SetupWizardForm_Renaming"));
            }
        });
        watch.start(0);
        QLineEdit* name = wizard.projectNameBox();
        name->setFocus();
        name->end(false);
        QTest::keyClicks(name, QStringLiteral("Shop"));
        QVERIFY(wizard.SaveProjectClick());
        watch.stop();
        QVERIFY(shot);
        QCOMPARE(wizard.selectedProject(), QStringLiteral("BakeryShop"));
    }

    void harvesterForm()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        DemoEngine engine;
        QVERIFY(engine.start());
        test::addHarvesterProject(profile.programFolder() + QStringLiteral("Data/"), engine.port());
        Registry registry;
        SettingsRecord settings;
        loadSettings(registry, settings);
        settings.AutoCloseHV = false;
        THarvesterForm form(settings, {});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QSignalSpy finished(&form, &THarvesterForm::runFinished);
        form.StartButtonClick();
        QVERIFY(finished.wait(60000));
        QVERIFY(test::saveScreen(form, QStringLiteral("HarvesterForm")));

        // The script check over the CVEngine rows this session against the demo engine wrote.
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        dm->OpenDatabases();
        TScriptCheckForm check(*dm);
        check.show();
        QVERIFY(QTest::qWaitForWindowExposed(&check));
        QVERIFY(test::saveScreen(check, QStringLiteral("ScriptCheckForm")));
        dm->CloseDatabases();
    }

    // Each step of the query builder, the query window with a result, and the
    // question before a large result.
    void queryBuilderAndGrid()
    {
        test::QueryProfile p(3001);
        TGridForm grid(*p.dm);
        grid.resize(960, 560);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        TQBForm builder(*p.dm, grid);
        builder.show();
        QVERIFY(QTest::qWaitForWindowExposed(&builder));
        const char* steps[] = {"QBForm_Project", "QBForm_Fields", "QBForm_Conditions", "QBForm_OrderBy",
                               "QBForm_Save"};
        for (int step = 0; step < 5; ++step) {
            if (step == 1) {
                for (const char* field : {"xDate", "SearchEngine", "SearchTerm", "Rank", "FoundLink"})
                    builder.FSelectFields->AvailableList->findItems(QLatin1String(field), Qt::MatchExactly)
                        .first()
                        ->setSelected(true);
                builder.FSelectFields->AddButton->click();
            } else if (step == 2) {
                builder.FConditions->Operators[3]->setCurrentText(QStringLiteral("<="));
                builder.FConditions->RankSpin->setValue(20);
                builder.FConditions->JoinButtons.at(3).at(0)->click();
                builder.FConditions->TermCombo->setCurrentText(QStringLiteral("rye bread"));
                builder.FConditions->Operators[2]->setCurrentText(QStringLiteral("<>"));
                builder.FConditions->JoinButtons.at(2).at(2)->click();
            } else if (step == 3) {
                builder.FOrderBy->AvailableList->findItems(QStringLiteral("Rank"), Qt::MatchExactly)
                    .first()
                    ->setSelected(true);
                builder.FOrderBy->AddButton->click();
            } else if (step == 4) {
                builder.FSave->NameEdit->setText(QStringLiteral("Top 20 \"Bäckerei\" & <b>"));
            }
            builder.showStep(step);
            QTest::qWait(30);
            QVERIFY(test::saveScreen(builder, QLatin1String(steps[step])));
        }
        QVERIFY(builder.Execute());
        builder.hide();
        QTest::qWait(30);
        QVERIFY(test::saveScreen(grid, QStringLiteral("GridForm")));

        p.answer = MessageAnswer::No;
        QVERIFY(
            grid.RunQuery(QStringLiteral("SELECT * FROM CvRank WHERE (Project = \"Große \"\"Menge\"\"\") "),
                          test::QueryProfile::BulkProject));
        QTest::qWait(30);
        QVERIFY(test::saveScreen(grid, QStringLiteral("GridForm_Large")));

        // A query while it runs, in the window and in the builder, then cancelled.
        const QString slow = QStringLiteral(
            "SELECT * FROM CvRank WHERE (Project = \"Große \"\"Menge\"\"\") ORDER BY FoundLink");
        bool runningShot = false;
        QTimer::singleShot(0, &grid, [&] {
            runningShot = test::saveScreen(grid, QStringLiteral("GridForm_Running"));
            grid.CancelQuery();
        });
        QVERIFY(!grid.RunQuery(slow, test::QueryProfile::BulkProject));
        QVERIFY(runningShot);
        builder.show();
        builder.setStatement(slow);
        QTest::qWait(30);
        QTimer::singleShot(0, &grid, [&] {
            runningShot = test::saveScreen(builder, QStringLiteral("QBForm_Running"));
            grid.CancelQuery();
        });
        runningShot = false;
        QVERIFY(!builder.Execute());
        QVERIFY(runningShot);
        builder.hide();

        TMessageForm question(*p.dm);
        question.Prepare(MessageButtons::YesNoCancel, QStringLiteral("Warning"),
                         QueryStatement::limitQuestion(3001), {});
        question.show();
        QVERIFY(QTest::qWaitForWindowExposed(&question));
        QVERIFY(test::saveScreen(question, QStringLiteral("GridForm_LimitQuestion")));
    }

    // Rureder Orad's four pages after a harvest and Detail on the demo
    // engine, the filter window and both add dialogs.
    void rurederOrad()
    {
        test::DuvudaProfile p;
        QVERIFY(p.ready());
        p.dm->Settings.ProxyAuth = true;
        p.dm->Settings.ProxyHost = QStringLiteral("127.0.0.1");
        p.dm->Settings.ProxyPort = p.engine.port();
        p.dm->Settings.Connections = 4;
        p.dm->OpenDatabases();
        ProjectStore(p.dm->General).addProject(QStringLiteral("B\u00e4ckerei"), 50, false, false);
        p.dm->Settings.Project = QStringLiteral("B\u00e4ckerei");
        {
            TSTMixForm form(*p.dm);
            form.resize(900, 680);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.seedEdit()->setText(QStringLiteral("blue widgets"));
            form.CheckEngines({QStringLiteral("Corvane Demo"), QStringLiteral("Corvane Demo Unnumbered"),
                               QStringLiteral("Corvane Demo TagFirst")});
            QVERIFY(test::saveScreen(form, QStringLiteral("STMixForm_Seed")));
            form.VirtualCompetitorsClick();
            QCOMPARE(form.currentPage(), TSTMixForm::UrlPage);
            QVERIFY(test::saveScreen(form, QStringLiteral("STMixForm_URLs")));
            form.DetailClick();
            QCOMPARE(form.currentPage(), TSTMixForm::DetailPage);
            for (int i = 0; i < 2 && i < form.detailTree()->topLevelItemCount(); ++i)
                form.detailTree()->expandItem(form.detailTree()->topLevelItem(i));
            if (QTreeWidgetItem* top = form.detailTree()->topLevelItem(0))
                for (int b = 2; b < top->childCount(); ++b)
                    form.detailTree()->expandItem(top->child(b));
            QVERIFY(test::saveScreen(form, QStringLiteral("STMixForm_Detail")));
            form.showPage(TSTMixForm::MergedPage);
            QTest::qWait(30);
            QVERIFY(test::saveScreen(form, QStringLiteral("STMixForm_Merged")));
            form.reject();
        }
        {
            TermFilters::save(p.dm->Settings.DataFolder,
                              {QStringLiteral("the"), QStringLiteral("and"), QStringLiteral("caf\u00e9")});
            TSTFilterForm filters(*p.dm);
            filters.show();
            QVERIFY(QTest::qWaitForWindowExposed(&filters));
            QVERIFY(test::saveScreen(filters, QStringLiteral("STFilterForm")));
        }
        {
            TAddURLForm add(*p.dm,
                            {QStringLiteral("http://www.site-042.example/"),
                             QStringLiteral("https://www.Caf\u00e9-\"Ol\u00e9\".test/&a"),
                             QStringLiteral("http://www.site-017.example/about/team.html")});
            add.show();
            QVERIFY(QTest::qWaitForWindowExposed(&add));
            QVERIFY(test::saveScreen(add, QStringLiteral("AddURLForm")));
            add.itemsToAdd()->item(0)->setSelected(false);
            add.AddToProjectClick();
            add.itemsToAdd()->item(0)->setSelected(true);
            add.AddToProjectClick();
            QTest::qWait(30);
            QVERIFY(test::saveScreen(add, QStringLiteral("AddURLForm_Added")));
        }
        {
            TAddSTForm term(*p.dm);
            term.TermLabel->setText(QStringLiteral("o'reilly \"caf\u00e9\" & <b>bread</b>"));
            term.show();
            QVERIFY(QTest::qWaitForWindowExposed(&term));
            QVERIFY(test::saveScreen(term, QStringLiteral("AddSTForm")));
        }
        p.dm->CloseDatabases();
    }

    void sePopForm()
    {
        test::QueryProfile p;
        TSEPopForm form(*p.dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.grid()->setCurrentCell(1, 0);
        QVERIFY(test::saveScreen(form, QStringLiteral("SEPopForm")));
        form.SelectProject(QStringLiteral("Bakery"));
        form.SetJoinWithAnd(false);
        form.CheckItem(QStringLiteral("Country"), QStringLiteral("USA"));
        form.CheckItem(QStringLiteral("Country"), QStringLiteral("Deutschland"));
        QTest::qWait(30);
        QVERIFY(test::saveScreen(form, QStringLiteral("SEPopForm_Filtered")));
    }

    // Day at a glance, full URL, the log and daily results on a profile that
    // corvane-setup --demo has mined (two sessions, found links kept).
    void dayViews()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        mineDemo(profile, 2);
        if (QTest::currentTestFailed())
            return;
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        dm->OpenDatabases();
        {
            TDayGlanceForm form(*dm);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QTest::mouseClick(form.grid(DayGlance::Grid::Url)->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
            QVERIFY(test::saveScreen(form, QStringLiteral("DayGlanceForm")));
        }
        {
            TLogForm form(*dm);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QVERIFY(test::saveScreen(form, QStringLiteral("LogForm")));
        }
        {
            DemoEngine engine;
            QVERIFY(engine.start());
            TFullURLForm form(*dm);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.RunQuery();
            form.grid()->expand(form.gridModel()->index(0, 0));
            QSignalSpy loaded(form.browser(), &BrowserPane::loadFinished);
            form.OpenLink(engine.baseUrl() + QStringLiteral("/numbered/search?q=sourdough+bread"));
            QVERIFY(loaded.wait(30000));
            QTest::qWait(300);
            QVERIFY(test::saveScreen(form, QStringLiteral("FullURLForm")));
        }
        dm->CloseDatabases();

        for (const bool index : {true, false}) {
            TCVDailyForm form;
            form.setProjectName(QStringLiteral("Demo"));
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.showIndexBox()->setChecked(index);
            QSignalSpy loaded(form.browser(), &BrowserPane::loadFinished);
            form.RunButtonClick();
            QTRY_VERIFY_WITH_TIMEOUT(!form.building(), 30000);
            QVERIFY(loaded.wait(30000) || !loaded.isEmpty());
            QTest::qWait(300);
            QVERIFY(test::saveScreen(
                form, index ? QStringLiteral("CVDailyForm_Index") : QStringLiteral("CVDailyForm")));
            form.reject();
        }
    }

    void miscSettingsForm()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->WriteSetting(QStringLiteral("Data"), QStringLiteral("ClearLogRecs"), QStringLiteral("true"));
        dm->LoadSettings();
        TMiscSettingsForm form(*dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(test::saveScreen(form, QStringLiteral("MiscSettingsForm")));
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(form.throttleSpin(), &enter);
        form.connectionsSpin()->setValue(8);
        QVERIFY(test::saveScreen(form, QStringLiteral("MiscSettingsForm_Hint")));
    }

    void settingsLibraryWindows()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->WriteSetting(QStringLiteral("Network"), QStringLiteral("AdvThrottle"), QStringLiteral("true"));
        dm->registry().writeString(SettingsKeys::path(QStringLiteral("Network")),
                                   QStringLiteral("AdvThrottleSchedule"),
                                   QStringLiteral("1,1,1,1,1,1,1,2,4,6,6,6,6,6,6,6,6,4,2,1,1,1,1,1"));
        dm->LoadSettings();
        TAdvThrottleForm throttle;
        throttle.show();
        QVERIFY(QTest::qWaitForWindowExposed(&throttle));
        QVERIFY(test::saveScreen(throttle, QStringLiteral("AdvThrottleForm")));

        TEngineValuesForm stunt(TEngineValuesForm::Kind::StuntValues, dm->Settings.DataFolder);
        stunt.show();
        QVERIFY(QTest::qWaitForWindowExposed(&stunt));
        QVERIFY(test::saveScreen(stunt, QStringLiteral("StuntValuesForm")));
        stunt.grid()->item(0, 1)->setText(QStringLiteral("slow"));
        stunt.OkClick();
        QVERIFY(test::saveScreen(stunt, QStringLiteral("StuntValuesForm_Problem")));

        TEngineValuesForm increment(TEngineValuesForm::Kind::EngineIncrement, dm->Settings.DataFolder);
        increment.show();
        QVERIFY(QTest::qWaitForWindowExposed(&increment));
        QVERIFY(test::saveScreen(increment, QStringLiteral("EngIncForm")));

        // Notifications of a project with both quote characters in a term.
        dm->OpenDatabases();
        dm->General.session().addPassword(TDM1::TablePassword());
        const QString project = QStringLiteral("Café\"A&B\"<b>");
        const QString term = QStringLiteral("crème 'brûlée' \"100%\"");
        {
            ProjectStore store(dm->General);
            store.addProject(project, 30, true, false);
            store.addUrl(project, QStringLiteral("Home"), QStringLiteral("example.com"), false);
            store.addUrl(project, QStringLiteral("Shop <b>"), QStringLiteral("shop.example.com"), false);
            store.addTerm(project, term);
            store.addTerm(project, QStringLiteral("wedding cake"));
            store.addEngine(project, QStringLiteral("Corvane Demo"), false);
            store.addEngine(project, QStringLiteral("Corvane Demo PlanB"), false);
            Notification n;
            n.terms = {term};
            n.urls = {QStringLiteral("Home")};
            n.recipients = {{QStringLiteral("jörg@example.org"), true},
                            {QStringLiteral("ann@example.org"), false}};
            NotificationStore(dm->General).save(project, {n});
            SmtpSettings smtp;
            smtp.host = QStringLiteral("mail.example.org");
            smtp.port = 587;
            smtp.security = SmtpSettings::Security::StartTls;
            smtp.user = QStringLiteral("corvane");
            smtp.password = QStringLiteral("secret");
            smtp.sender = QStringLiteral("corvane@example.org");
            smtp.save(dm->registry());
        }
        {
            Table se3(&dm->SE3, QStringLiteral("SE3"));
            se3.open();
            se3.last();
            se3.edit();
            se3.setValue(QStringLiteral("API"), true);
            se3.post();
            se3.close();
        }
        TSEAPIForm api(dm->Settings.DataFolder);
        api.show();
        QVERIFY(QTest::qWaitForWindowExposed(&api));
        api.grid()->item(0, 1)->setText(QStringLiteral("corvane-demo-key"));
        QVERIFY(test::saveScreen(api, QStringLiteral("SEAPIForm")));

        TNotificationForm notification(dm->Settings.DataFolder);
        notification.show();
        QVERIFY(QTest::qWaitForWindowExposed(&notification));
        QVERIFY(test::saveScreen(notification, QStringLiteral("NotificationForm")));
    }

    void scheduleForm()
    {
        QTemporaryDir crontab;
        qputenv("CORVANE_CRONTAB", crontab.filePath(QStringLiteral("crontab")).toUtf8());
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        dm->OpenDatabases();
        ProjectStore store(dm->General);
        const QString cafe = QStringLiteral("Café\"A&B\"<b>");
        store.addProject(cafe, 30, true, false);
        store.addProject(QStringLiteral("Bakery"), 30, true, false);
        TaskSchedule schedule(dm->General);
        schedule.load();
        QCOMPARE(schedule.save({QStringLiteral("Nightly"),
                                {cafe, QStringLiteral("Bakery")},
                                QStringLiteral("30 3 * * 1,2,3,4,5")}),
                 QString());
        QCOMPARE(
            schedule.save(
                {QStringLiteral("Weekend <i>"), {QStringLiteral("Bakery")}, QStringLiteral("0 21 * * 0,6")}),
            QString());
        {
            // No process table here: the warning shows.
            TScheduleForm form(*dm, SchedulerService(crontab.filePath(QStringLiteral("no-proc"))));
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QVERIFY(test::saveScreen(form, QStringLiteral("ScheduleForm")));
            form.taskGrid()->selectRow(0);
            form.onEditorShown = [](TScheduleTaskForm& editor) {
                QTimer::singleShot(0, &editor, [&editor] {
                    QVERIFY(test::saveScreen(editor, QStringLiteral("ScheduleTaskForm")));
                    editor.reject();
                });
            };
            form.EditClick();
        }
        qunsetenv("CORVANE_CRONTAB");
    }
};

QTEST_MAIN(ScreenshotTour)
#include "test_screenshot_tour.moc"
