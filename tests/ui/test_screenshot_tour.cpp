// Opens every window on demo data, offscreen, and saves a picture of each
// under $CORVANE_SCREENS for a person to look at.
#include "UiTestSupport.h"
#include "HarvesterFixture.h"

#include "app/MainRankForm.h"
#include "outside/harvester/HarvesterForm.h"

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
        const struct { const char* name; int depth; const char* keyUrl; double lastRun; } projects[] = {
            {"Bakery", 50, "Home", 46362.5}, {"Hardware", 100, "", 0.0}, {"Travel", 200, "Shop", 46360.25}};
        for (const auto& p : projects) {
            dm->GroupTable.open();
            dm->GroupTable.append();
            dm->GroupTable.setValue(QStringLiteral("Name"), QLatin1String(p.name));
            dm->GroupTable.setValue(QStringLiteral("Depth"), p.depth);
            dm->GroupTable.setValue(QStringLiteral("KeyURL"), QLatin1String(p.keyUrl));
            dm->GroupTable.setValue(QStringLiteral("LastRun"), p.lastRun);
            dm->GroupTable.post();
        }
        dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Project"), QStringLiteral("Travel"));
        dm->CloseDatabases();
        TMainRankForm form(*dm);
        form.setWindowState(Qt::WindowNoState);
        form.resize(1000, 700);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(test::saveScreen(form, QStringLiteral("MainRankForm")));
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
