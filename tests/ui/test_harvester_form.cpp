// Harvester's window running a real session against the demo engine.
#include "gui/harvest/HarvesterForm.h"

#include "HarvesterFixture.h"
#include "UiTestSupport.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QtTest>

using namespace corvane;

class HarvesterFormTest : public QObject
{
    Q_OBJECT

private:
    SettingsRecord settingsWith(const char* autoClose, const char* finishMinimized)
    {
        Registry registry;
        const QString startup = SettingsKeys::path(QLatin1String(SettingsKeys::StartupSettings));
        registry.writeString(startup, QStringLiteral("AutoCloseHV"), QLatin1String(autoClose));
        registry.writeString(startup, QStringLiteral("Finish Minimized"), QLatin1String(finishMinimized));
        registry.writeString(startup, QStringLiteral("Run Minimized"), QStringLiteral("false"));
        SettingsRecord settings;
        loadSettings(registry, settings);
        return settings;
    }

private slots:
    void aRunFillsTheLogAndTheBarsAndStaysOpen()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        DemoEngine engine;
        QVERIFY(engine.start());
        test::addHarvesterProject(profile.programFolder() + QStringLiteral("Data/"), engine.port());

        THarvesterForm form(settingsWith("false", "false"), {});
        form.show();
        QCOMPARE(form.projectList()->count(), 1);
        QCOMPARE(form.projectList()->item(0)->checkState(), Qt::Checked);
        QSignalSpy finished(&form, &THarvesterForm::runFinished);
        form.StartButtonClick();
        QVERIFY(form.isRunning());
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.first().first().toInt(), 0);
        QCOMPARE(form.overallBar()->value(), 100);
        const QString log = form.logView()->toPlainText();
        QVERIFY2(log.contains(QLatin1String("Harvester session ended for Garden")), qPrintable(log));
        QVERIFY(form.isVisible());
        QVERIFY(!form.isMinimized());
    }

    void unCheckedProjectsAreNotMinedAndAutoCloseEndsTheWindow()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        DemoEngine engine;
        QVERIFY(engine.start());
        test::addHarvesterProject(profile.programFolder() + QStringLiteral("Data/"), engine.port());

        THarvesterForm form(settingsWith("true", "false"), {});
        form.show();
        form.projectList()->item(0)->setCheckState(Qt::Unchecked);
        form.StartButtonClick();
        QVERIFY(!form.isRunning());
        QCOMPARE(engine.requestCount(), 0);

        form.projectList()->item(0)->setCheckState(Qt::Checked);
        QSignalSpy finished(&form, &THarvesterForm::runFinished);
        form.StartButtonClick();
        QVERIFY(finished.wait(60000));
        QVERIFY(!form.isVisible());
    }
};

QTEST_MAIN(HarvesterFormTest)
#include "test_harvester_form.moc"
