// Opens every window on demo data, offscreen, and saves a picture of each
// under $CORVANE_SCREENS for a person to look at.
#include "UiTestSupport.h"

#include "app/MainRankForm.h"
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
