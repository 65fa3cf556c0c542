// Opens every window on demo data, offscreen, and saves a picture of each
// under $CORVANE_SCREENS for a person to look at.
#include "UiTestSupport.h"

#include "app/MainRankForm.h"
#include "help/HelpContexts.h"
#include "settings/NetSetForm.h"
#include "ui/HelpForm.h"

#include <QTabWidget>
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

    void netSetForm()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->WriteSetting(QStringLiteral("Network"), QStringLiteral("ProxyAuth"), QStringLiteral("true"));
        dm->WriteSetting(QStringLiteral("Network"), QStringLiteral("ProxyHost"), QStringLiteral("proxy.example.net"));
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
};

QTEST_MAIN(ScreenshotTour)
#include "test_screenshot_tour.moc"
