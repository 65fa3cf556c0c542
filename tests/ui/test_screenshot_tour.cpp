// Opens every window on demo data, offscreen, and saves a picture of each
// under $CORVANE_SCREENS for a person to look at.
#include "DashboardFixture.h"
#include "UiTestSupport.h"

#include "app/MainRankForm.h"

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
};

QTEST_MAIN(ScreenshotTour)
#include "test_screenshot_tour.moc"
