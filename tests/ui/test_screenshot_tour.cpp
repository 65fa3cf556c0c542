// Opens every window on demo data, offscreen, and saves a picture of each
// under $CORVANE_SCREENS for a person to look at.
#include "DashboardFixture.h"
#include "UiTestSupport.h"
#include "HarvesterFixture.h"

#include "app/MainRankForm.h"
#include "outside/harvester/HarvesterForm.h"
#include "PrintSamples.h"
#include "query/PrintForm.h"

#include <QtTest>

using namespace corvane;

class ScreenshotTour : public QObject
{
    Q_OBJECT

private slots:
    void mainRankForm()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        dm->OpenDatabases();
        test::addMinedProject(*dm, QStringLiteral("Bakery"), QDate(2026, 11, 30), 10);
        dm->GroupTable.append();
        dm->GroupTable.setValue(QStringLiteral("Name"), QStringLiteral("Hardware"));
        dm->GroupTable.setValue(QStringLiteral("Depth"), 100);
        dm->GroupTable.post();
        dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Project"), QStringLiteral("Bakery"));
        dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Hints"), QStringLiteral("-1"));
        dm->CloseDatabases();

        TMainRankForm form(*dm);
        form.setWindowState(Qt::WindowNoState);
        form.resize(1280, 860);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_VERIFY(form.dashboardBusy());
        QTRY_VERIFY_WITH_TIMEOUT(!form.dashboardBusy(), 20000);
        QVERIFY(test::saveScreen(form, QStringLiteral("MainRankForm")));
        const char* panels[] = {"SessionInfo", "FirstPage", "NewArrivals", "Saturation"};
        for (int panel = 1; panel < 4; ++panel) {
            form.showPanel(panel);
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
        dm->LoadSettings();
        dm->OpenDatabases();
        test::addMinedProject(*dm, QStringLiteral("Bakery"), QDate(2026, 11, 30), 10);
        dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Hints"), QStringLiteral("-1"));
        dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("SummaryLoad"), QStringLiteral("true"));
        dm->CloseDatabases();
        TMainRankForm form(*dm);
        form.setWindowState(Qt::WindowNoState);
        form.resize(1280, 860);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
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
            case PrintPages::PageDetail: form.ShowPageDetail(QStringLiteral("fresh bread"), dm->MixTable); break;
            case PrintPages::MergedPhrases:
                form.ShowMergedPhrases(QStringLiteral("fresh bread"), dm->PhraseTable);
                break;
            case PrintPages::GainsAndLosses:
                form.ShowGainsAndLosses(project, {QStringLiteral("Gain/Loss for 11/29/26"), QStringLiteral("Demo")},
                                        dm->HiLoTable,
                                        test::barChartImage(QStringLiteral("Gain/Loss for 11/29/26"), pairs,
                                                            {-4, 5, 0}, QStringLiteral("Difference")));
                break;
            case PrintPages::Scores:
                form.ShowScores(project, {QStringLiteral("Overall score for 11/29/26")}, dm->Temp2Table,
                                test::barChartImage(QStringLiteral("Overall score for 11/29/26"),
                                                    {QStringLiteral("home"), QStringLiteral("rival"),
                                                     QStringLiteral("blog")},
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
    }
};

QTEST_MAIN(ScreenshotTour)
#include "test_screenshot_tour.moc"
