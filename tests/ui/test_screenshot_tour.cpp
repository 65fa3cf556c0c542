// Opens every window on demo data, offscreen, and saves a picture of each
// under $CORVANE_SCREENS for a person to look at.
#include "UiTestSupport.h"

#include "app/MainRankForm.h"
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
