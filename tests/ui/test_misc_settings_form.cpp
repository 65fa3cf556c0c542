// "Miscellaneous Settings" and the three windows of the real CVSettings.so
// it opens: advanced throttle, stunt values and engine increment.
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/datamodule/DM1.h"
#include "core/notify/Notifications.h"
#include "core/outside/LibraryCalls.h"
#include "core/platform/Registry.h"
#include "core/platform/RuntimeLibrary.h"
#include "core/projects/ProjectStore.h"
#include "core/settings/EngineApiKeys.h"
#include "core/settings/EngineValues.h"
#include "gui/settings/AdvThrottleForm.h"
#include "gui/settings/EngineValuesForm.h"
#include "gui/settings/MiscSettingsForm.h"
#include "gui/settings/NotificationForm.h"
#include "gui/settings/SEAPIForm.h"

#include "DBRoutinesLibrary.h"
#include "UiTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QtTest>

using namespace corvane;

namespace {

QString stored(TDM1& dm, const char* key, const char* name)
{
    return RegistryKey(dm.registry(), SettingsKeys::path(QLatin1String(key))).readString(QLatin1String(name));
}

// The real settings library, held loaded for the test so that its window
// exports can be watched while the program's own calls load and unload it.
struct SettingsLibrary
{
    SettingsLibrary() { library.load(); }
    QDialog* const* windowExport(const char* name)
    {
        return reinterpret_cast<QDialog* const*>(library.resolve(name));
    }
    RuntimeLibrary library{QStringLiteral("CVSettings.so")};
};

// Runs the call (which loads and unloads the library itself) while watching
// the window the library publishes in the export; act gets it once shown. The
// watch loads the library first, so the export's address holds for the call.
void watchWindow(const char* exportName, std::function<void(QDialog&)> act, const std::function<void()>& call)
{
    SettingsLibrary library;
    QVERIFY2(library.library.isLoaded(), qPrintable(library.library.errorString()));
    QDialog* const* exported = library.windowExport(exportName);
    QVERIFY(exported);
    const auto watch = test::whenShown(exported, std::move(act));
    call();
}

// The engines' values as the table holds them, by name.
QList<EngineValues::Row> engineRows(TDM1& dm) { return EngineValues(dm.Settings.DataFolder).read(); }

} // namespace

class TestMiscSettingsForm : public QObject
{
    Q_OBJECT

private slots:
    void opensOnTheRecordWithSetDisabled()
    {
        test::UiProfile profile;
        QVERIFY2(profile.ready(), qPrintable(profile.error()));
        auto dm = profile.makeDataModule();
        dm->WriteSetting(QStringLiteral("Network"), QStringLiteral("Throttle"), QStringLiteral("3"));
        dm->WriteSetting(QStringLiteral("Network"), QStringLiteral("Connections"), QStringLiteral("12"));
        dm->WriteSetting(QStringLiteral("Data"), QStringLiteral("ClearLogRecs"), QStringLiteral("true"));
        dm->WriteSetting(QStringLiteral("Data"), QStringLiteral("LogRecsDays"), QStringLiteral("45"));
        dm->WriteSetting(QStringLiteral("Data"), QStringLiteral("ClearRankRecs"), QStringLiteral("false"));
        dm->WriteSetting(QStringLiteral("Network"), QStringLiteral("AdvThrottle"), QStringLiteral("true"));
        dm->LoadSettings();

        TMiscSettingsForm form(*dm);
        QCOMPARE(form.windowTitle(), QStringLiteral("Miscellaneous Settings"));
        QCOMPARE(form.throttleSpin()->value(), 3);
        QCOMPARE(form.throttleSpin()->minimum(), 1);
        QCOMPARE(form.throttleSpin()->maximum(), 10);
        QCOMPARE(form.connectionsSpin()->value(), 12);
        QCOMPARE(form.connectionsSpin()->maximum(), 50);
        QVERIFY(!form.throttleSpin()->isEnabled()); // the advanced throttle is on
        QVERIFY(form.logRetentionCheck()->isChecked());
        QVERIFY(form.logRetentionSpin()->isEnabled());
        QCOMPARE(form.logRetentionSpin()->value(), 45);
        QVERIFY(!form.dataRetentionCheck()->isChecked());
        QVERIFY(!form.dataRetentionSpin()->isEnabled());
        QVERIFY(!form.setButton()->isEnabled());
        QCOMPARE(form.descriptionPanel()->text(), TMiscSettingsForm::DefaultDescription());

        // The recommended connections, read only.
        QTableWidget* grid = form.recommendedConnections();
        QCOMPARE(grid->horizontalHeaderItem(0)->text(), QStringLiteral("Type"));
        QCOMPARE(grid->horizontalHeaderItem(1)->text(), QStringLiteral("Recommended"));
        QStringList rows;
        for (int r = 0; r < grid->rowCount(); ++r)
            rows << grid->item(r, 0)->text() + QLatin1Char('=') + grid->item(r, 1)->text();
        QCOMPARE(rows,
                 (QStringList{QStringLiteral("Modem=2 - 6"), QStringLiteral("ISDN=5 - 8"),
                              QStringLiteral("Cable/DSL=7 - 18"), QStringLiteral("T-1 or Better=12+")}));
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);

        // The description follows the control under the mouse.
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(form.connectionsSpin(), &enter);
        QVERIFY(form.descriptionPanel()->text().startsWith(QStringLiteral("How many search engines")));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(form.connectionsSpin(), &leave);
        QCOMPARE(form.descriptionPanel()->text(), TMiscSettingsForm::DefaultDescription());
    }

    void setWritesTheValuesAndRetentionKeepsItsNumber()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        dm->LoadSwitches();
        TMiscSettingsForm form(*dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        form.connectionsSpin()->setValue(15);
        QVERIFY(form.setButton()->isEnabled());
        form.logRetentionCheck()->setChecked(true);
        QVERIFY(form.logRetentionSpin()->isEnabled());
        form.logRetentionSpin()->setValue(21);
        form.logRetentionCheck()->setChecked(false);
        QVERIFY(!form.logRetentionSpin()->isEnabled());
        QCOMPARE(form.logRetentionSpin()->value(), 21);
        form.cacheChartsCheck()->setChecked(true);
        form.disorderlyCheck()->setChecked(true);

        QTest::mouseClick(form.setButton(), Qt::LeftButton);
        QVERIFY(!form.setButton()->isEnabled());
        QCOMPARE(stored(*dm, "Network", "Connections"), QStringLiteral("15"));
        QCOMPARE(stored(*dm, "Data", "ClearLogRecs"), QStringLiteral("false"));
        QCOMPARE(stored(*dm, "Data", "LogRecsDays"), QStringLiteral("21"));
        QCOMPARE(stored(*dm, "Startup Settings", "CacheCharts"), QStringLiteral("true"));
        QCOMPARE(stored(*dm, "Startup Settings", "Disorderly"), QStringLiteral("true"));
        QCOMPARE(dm->Settings.Connections, 15);
        QCOMPARE(dm->Settings.LogRecsDays, 21);
        // 15 connections on this system: no warning, whatever the switch says.
        QVERIFY(profile.messages.isEmpty());

        // Close drops what was not set.
        form.throttleSpin()->setValue(9);
        form.reject();
        QCOMPARE(stored(*dm, "Network", "Throttle"), QStringLiteral("1"));
    }

    void advancedThrottleSwitchesTheThrottleSpinAtOnce()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();

        TMiscSettingsForm form(*dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.throttleSpin()->isEnabled());

        QString caption;
        watchWindow(
            "_AdvThrottleForm",
            [&](QDialog& window) {
                auto& throttle = static_cast<TAdvThrottleForm&>(window);
                caption = QString(window.windowTitle().constData(), window.windowTitle().size());
                QVERIFY(!throttle.hourSpin(0)->isEnabled());
                throttle.enableCheck()->setChecked(true);
                for (int hour = 0; hour < 24; ++hour)
                    throttle.hourSpin(hour)->setValue(hour >= 8 && hour < 18 ? 6 : 1);
                throttle.OkClick();
            },
            [&] { QTest::mouseClick(form.advThrottleButton(), Qt::LeftButton); });
        QCOMPARE(caption, QStringLiteral("Advanced Throttle"));
        QVERIFY(!form.throttleSpin()->isEnabled());
        QVERIFY(dm->Settings.AdvThrottle);
        QCOMPARE(stored(*dm, "Network", "AdvThrottle"), QStringLiteral("true"));
        QCOMPARE(stored(*dm, "Network", "AdvThrottleSchedule"),
                 QStringLiteral("1,1,1,1,1,1,1,1,6,6,6,6,6,6,6,6,6,6,1,1,1,1,1,1"));

        // Switched off again; Cancel would have changed nothing.
        watchWindow(
            "_AdvThrottleForm",
            [&](QDialog& window) {
                auto& throttle = static_cast<TAdvThrottleForm&>(window);
                QVERIFY(throttle.enableCheck()->isChecked());
                QCOMPARE(throttle.hourSpin(9)->value(), 6);
                throttle.enableCheck()->setChecked(false);
                throttle.OkClick();
            },
            [&] { QTest::mouseClick(form.advThrottleButton(), Qt::LeftButton); });
        QVERIFY(form.throttleSpin()->isEnabled());
        QCOMPARE(stored(*dm, "Network", "AdvThrottle"), QStringLiteral("false"));
    }

    void stuntValuesAreCheckedThenWrittenToTheEngines()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        const QList<EngineValues::Row> before = engineRows(*dm);
        QVERIFY(before.size() >= 2);
        TMiscSettingsForm form(*dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        QStringList firstProblems;
        watchWindow(
            "_StuntValuesForm",
            [&](QDialog& window) {
                auto& grid = static_cast<TEngineValuesForm&>(window);
                QCOMPARE(grid.grid()->rowCount(), before.size());
                grid.grid()->item(0, 1)->setText(QStringLiteral("fast"));
                grid.grid()->item(1, 2)->setText(QStringLiteral("7200000"));
                grid.OkClick();
                QVERIFY(window.isVisible());
                firstProblems = grid.problemLabel()->text().split(QLatin1Char('\n'));
                for (QString& line : firstProblems)
                    line = QString(line.constData(), line.size());
            },
            [&] { QTest::mouseClick(form.stuntValuesButton(), Qt::LeftButton); });
        QCOMPARE(firstProblems.size(), 2);
        QVERIFY(firstProblems[0].contains(QStringLiteral("\"fast\" is not")));
        QVERIFY(firstProblems[1].contains(QStringLiteral("Delay2 must be from 0 to 3600000")));
        QCOMPARE(engineRows(*dm), before);

        watchWindow(
            "_StuntValuesForm",
            [&](QDialog& window) {
                auto& grid = static_cast<TEngineValuesForm&>(window);
                grid.grid()->item(0, 1)->setText(QStringLiteral("750"));
                grid.grid()->item(0, 2)->setText(QStringLiteral(" 1500 "));
                grid.OkClick();
            },
            [&] { QTest::mouseClick(form.stuntValuesButton(), Qt::LeftButton); });
        const QList<EngineValues::Row> after = engineRows(*dm);
        QCOMPARE(after[0].delay, 750);
        QCOMPARE(after[0].delay2, 1500);
        QCOMPARE(after[0].engineInc, before[0].engineInc);
        QCOMPARE(after.mid(1), before.mid(1));
    }

    void engineIncrementIsWrittenToTheEngines()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        const QList<EngineValues::Row> before = engineRows(*dm);
        TMiscSettingsForm form(*dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        watchWindow(
            "_EngIncForm",
            [&](QDialog& window) {
                auto& grid = static_cast<TEngineValuesForm&>(window);
                QCOMPARE(grid.grid()->columnCount(), 2);
                grid.grid()->item(1, 1)->setText(QStringLiteral("20"));
                grid.OkClick();
            },
            [&] { QTest::mouseClick(form.engineIncrementButton(), Qt::LeftButton); });
        const QList<EngineValues::Row> after = engineRows(*dm);
        QCOMPARE(after[1].engineInc, 20);
        QCOMPARE(after[1].delay, before[1].delay);
        QCOMPARE(after[0], before[0]);
    }

    void notificationWindowStoresWhatToWatchAndWhomToTell()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        dm->OpenDatabases();
        dm->General.session().addPassword(TDM1::TablePassword());
        const QString project = QStringLiteral("Café\"A&B\"<b>");
        const QString term = QStringLiteral("crème 'brûlée' \"100%\"");
        const QString engine = engineRows(*dm).constFirst().name;
        {
            ProjectStore store(dm->General);
            store.addProject(project, 30, true, false);
            store.addUrl(project, QStringLiteral("Home"), QStringLiteral("example.com"), false);
            store.addTerm(project, term);
            store.addTerm(project, QStringLiteral("other"));
            store.addEngine(project, engine, false);
        }
        QStringList problems;
        bool called = false;
        watchWindow(
            "_NotificationForm",
            [&](QDialog& window) {
                auto& form = static_cast<TNotificationForm&>(window);
                QCOMPARE(form.projectBox()->currentText(), project);
                form.NewClick();
                QCOMPARE(form.termList()->count(), 2);
                form.termList()->findItems(term, Qt::MatchExactly).constFirst()->setCheckState(Qt::Checked);
                form.AddRecipient(QStringLiteral("jörg@example.org"));
                form.AddRecipient(QStringLiteral("not an address"));
                QVERIFY(!form.SaveClick());
                for (const QString& line : form.problemLabel()->text().split(QLatin1Char('\n')))
                    problems << QString(line.constData(), line.size());
                delete form.recipientList()->item(1);
                form.hostEdit()->setText(QStringLiteral("127.0.0.1"));
                form.portSpin()->setValue(2525);
                form.senderEdit()->setText(QStringLiteral("corvane@example.org"));
                form.passwordEdit()->setText(QStringLiteral("s3cret"));
                QVERIFY(form.SaveClick());
                window.accept();
            },
            [&] { called = LibraryCalls(*dm, qApp).RunNotification(); });
        QVERIFY(called);
        QVERIFY(
            problems.contains(project + QStringLiteral(": \"not an address\" is not an e-mail address.")));
        QVERIFY(problems.contains(QStringLiteral("The mail server (SMTP host) is missing.")));
        const QList<Notification> saved = NotificationStore(dm->General).load(project);
        QCOMPARE(saved.size(), 1);
        QCOMPARE(saved[0].terms, QStringList{term});
        QCOMPARE(saved[0].recipients.size(), 1);
        QCOMPARE(saved[0].recipients[0].address, QStringLiteral("jörg@example.org"));
        const SmtpSettings smtp = SmtpSettings::load(dm->registry());
        QCOMPARE(smtp.port, 2525);
        QCOMPARE(smtp.password, QStringLiteral("s3cret"));
        QVERIFY(stored(*dm, "Network", "SMTPPassword") != QStringLiteral("s3cret"));
    }

    void searchEngineApiKeysAreStoredForTheApiEngines()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        dm->OpenDatabases();
        QString apiEngine;
        {
            Table se3(&dm->SE3, QStringLiteral("SE3"));
            se3.open();
            se3.last();
            apiEngine = se3.asString(QStringLiteral("Name"));
            se3.edit();
            se3.setValue(QStringLiteral("API"), true);
            se3.post();
            se3.close();
        }
        bool called = false;
        watchWindow(
            "_SEAPIForm",
            [&](QDialog& window) {
                auto& form = static_cast<TSEAPIForm&>(window);
                QCOMPARE(form.grid()->rowCount(), 1);
                QCOMPARE(form.grid()->item(0, 0)->text(), apiEngine);
                QVERIFY(!form.enableCheck()->isChecked());
                form.grid()->item(0, 1)->setText(QStringLiteral(" k&y \"1\" "));
                form.enableCheck()->setChecked(true);
                form.OkClick();
            },
            [&] { called = LibraryCalls(*dm, qApp).RunSEAPI(); });
        QVERIFY(called);
        QCOMPARE(EngineApiKeys::load(dm->registry()).value(apiEngine), QStringLiteral("k&y \"1\""));
        QCOMPARE(stored(*dm, "Network", "GoogleKeyEnabled"), QStringLiteral("true"));
        QVERIFY(!stored(*dm, "Network", "EngineAPIKeys").contains(QStringLiteral("k&y")));
    }

    void aMissingLibraryIsToldUnderTheEntryName()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        TMiscSettingsForm form(*dm);
        QTemporaryDir empty;
        form.setModuleFolder(empty.path());
        form.SetStuntValuesClick();
        QCOMPARE(profile.messages.size(), 1);
        QVERIFY2(profile.messages[0].startsWith(QStringLiteral("RunSetStuntValues: ")),
                 qPrintable(profile.messages[0]));
        QVERIFY(profile.messages[0].contains(QStringLiteral("Unable to load the CVSettings DLL")));
    }
};

QTEST_MAIN(TestMiscSettingsForm)
#include "test_misc_settings_form.moc"
