// Opens every window on demo data, offscreen, and saves a picture of each
// under $CORVANE_SCREENS for a person to look at.
#include "DashboardFixture.h"
#include "UiTestSupport.h"

#include "app/MainRankForm.h"
#include "PrintSamples.h"
#include "query/PrintForm.h"
#include "app/MessageForm.h"
#include "app/OutsidePrograms.h"

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

    void messageForm()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        TMessageForm form(*dm);
        const struct { int type; const char* title; QString text; const char* key; const char* name; } messages[] = {
            {0, "Warning", QStringLiteral("<P ALIGN=\"CENTER\">Table Repair is unavailable while Harvester is "
                                          "running a session.</P>"), "", "MessageForm_OK"},
            {1, "Warning", OutsidePrograms::ServiceStoppedText(), "", "MessageForm_OKCancel"},
            {2, "Error", QStringLiteral("<P align=\"center\"><B>The table CVRank is locked.</B><BR>"
                                        "Another program is writing to it.</P>"), "", "MessageForm_AbortRetryIgnore"},
            {3, "Confirm", QStringLiteral("<P align=\"center\">Save the changes to the project <B>Bakery</B>?</P>"),
             "", "MessageForm_YesNoCancel"},
            {4, "Delete", QStringLiteral("<P align=\"center\">Delete the search term <B>fresh bread</B> and every "
                                         "rank stored for it?</P>"), "DeleteST", "MessageForm_YesNo_CheckBox"},
            {5, "Error", QStringLiteral("<P align=\"center\"><B>Unable to reach the update server.</B><BR>"
                                        "Check the network settings and try again.</P>"), "", "MessageForm_RetryCancel"},
            {1, "Project Wizard", QStringLiteral("<P align=\"center\">The Key URL is the page whose rank the "
                                                 "dashboard follows.<BR>Set it now?</P>"), "KeyURL",
             "MessageForm_OKCancel_CheckBox"},
        };
        for (const auto& m : messages) {
            form.Prepare(m.type, QLatin1String(m.title), m.text, QLatin1String(m.key));
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QVERIFY(test::saveScreen(form, QLatin1String(m.name)));
            form.hide();
        }
    }
};

QTEST_MAIN(ScreenshotTour)
#include "test_screenshot_tour.moc"
