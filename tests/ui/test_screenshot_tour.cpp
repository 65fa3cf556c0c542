// Opens every window on demo data, offscreen, and saves a picture of each
// under $CORVANE_SCREENS for a person to look at.
#include "DashboardFixture.h"
#include "UiTestSupport.h"

#include "app/MainRankForm.h"
#include "PrintSamples.h"
#include "query/PrintForm.h"
#include "DBRoutinesLibrary.h"
#include "SavedChartsFixture.h"

#include <QMainWindow>
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
        dbRoutinesWindow("_HintForm", [](test::DBRoutinesLibrary& library) {
            library.entry<entry::Plain>("_RunHints")(qApp);
        }, QStringLiteral("HintForm"));
    }

    void chartCacheForm()
    {
        const QString project = QStringLiteral("Bakery");
        dbRoutinesWindow("_ChartCacheForm", [&](test::DBRoutinesLibrary& library) {
            library.entry<entry::OneText>("_BuildChartCache")(qApp, test::textArgument(project));
        }, QStringLiteral("ChartCacheForm"), project);
    }

    void unavailableToolForm()
    {
        dbRoutinesWindow("_BackupForm", [](test::DBRoutinesLibrary& library) {
            library.entry<entry::Plain>("_RunBackup")(qApp);
        }, QStringLiteral("UnavailableToolForm"));
    }
};

QTEST_MAIN(ScreenshotTour)
#include "test_screenshot_tour.moc"
