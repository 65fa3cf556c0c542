#include "UiTestSupport.h"

#include "app/MainRankForm.h"

#include <QFile>
#include <QTreeWidget>
#include <QSettings>
#include <QtTest>

using namespace corvane;

class TestMainRankForm : public QObject
{
    Q_OBJECT

private slots:
    void opensMaximisedWithoutFormIni()
    {
        test::UiProfile profile;
        QVERIFY2(profile.ready(), qPrintable(profile.error()));
        auto dm = profile.makeDataModule();
        TMainRankForm form(*dm);
        QVERIFY(!form.keepsPlacement());
        QVERIFY(form.windowState() & Qt::WindowMaximized);
    }

    void keepsItsPlacementInFormIni()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        const QString ini = profile.programFolder() + QStringLiteral("FORM.INI");
        {
            QSettings settings(ini, QSettings::IniFormat);
            settings.setValue(QStringLiteral("MainRankForm/Position"), QPoint(200, 150));
            settings.setValue(QStringLiteral("MainRankForm/Size"), QSize(640, 480));
        }
        auto dm = profile.makeDataModule();
        {
            TMainRankForm form(*dm);
            QVERIFY(form.keepsPlacement());
            QVERIFY(!(form.windowState() & Qt::WindowMaximized));
            QCOMPARE(form.size(), QSize(640, 480));
            form.show();
            form.resize(700, 500);
            form.close();
        }
        QSettings settings(ini, QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("MainRankForm/Size")).toSize(), QSize(700, 500));
    }

    void firstShowingListsProjectsAndSelectsTheStoredOne()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        dm->OpenDatabases();
        for (const char* name : {"Alpha", "Beta"}) {
            dm->GroupTable.open();
            dm->GroupTable.append();
            dm->GroupTable.setValue(QStringLiteral("Name"), QLatin1String(name));
            dm->GroupTable.setValue(QStringLiteral("Depth"), 50);
            dm->GroupTable.post();
        }
        dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Project"), QStringLiteral("Beta"));
        dm->CloseDatabases();

        TMainRankForm form(*dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* list = form.findChild<QTreeWidget*>();
        QVERIFY(list);
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(list->currentItem()->text(0), QStringLiteral("Beta"));
        QCOMPARE(list->currentItem()->text(3), QStringLiteral("No Mining Sessions have been run"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Corvane - Project Beta"));

        form.SelectProject(QStringLiteral("Gone"));
        QCOMPARE(dm->Settings.Project, QStringLiteral("Alpha"));
        QCOMPARE(RegistryKey(dm->registry(), SettingsKeys::path(QStringLiteral("Startup Settings")))
                     .readString(QStringLiteral("Project")),
                 QStringLiteral("Alpha"));
        QVERIFY(profile.messages.isEmpty());
    }
};

QTEST_MAIN(TestMainRankForm)
#include "test_main_rank_form.moc"
