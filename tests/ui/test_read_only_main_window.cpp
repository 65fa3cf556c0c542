// The main window on a data folder that may only be read (the folder bound
// onto itself read-only; skipped where mounting is refused): Corvane starts
// and answers a second start, the window lists the projects and builds the
// dashboard, and a command that must write says which folder may only be
// read, without breaking anything.
#include "core/datamodule/DM1.h"
#include "gui/charts/GandLForm.h"
#include "gui/charts/ScoresForm.h"
#include "gui/dashboard/TopTenCharts.h"
#include "gui/mainwindow/MainRankForm.h"
#include "gui/projects/SetupWizardForm.h"

#include "../TestMount.h"
#include "DashboardFixture.h"
#include "UiTestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QtTest>

#include <memory>

using namespace corvane;

class TestReadOnlyMainWindow : public QObject
{
    Q_OBJECT

private:
    const QString Project = QString::fromUtf8("Bäckerei & <b>Co</b>");
    std::unique_ptr<test::UiProfile> m_profile;
    std::unique_ptr<TDM1> m_dm;
    std::unique_ptr<test::Mount> m_mount;
    QString m_dataFolder;

    QString messages() const { return m_profile->messages.join(QLatin1Char('\n')); }

private slots:
    void initTestCase()
    {
        m_profile = std::make_unique<test::UiProfile>();
        QVERIFY2(m_profile->ready(), qPrintable(m_profile->error()));
        m_dm = m_profile->makeDataModule();
        m_dm->LoadSettings();
        m_dm->OpenDatabases();
        test::addMinedProject(*m_dm, Project, QDate::currentDate().addDays(-1));
        m_dm->CloseDatabases();
        m_dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Project"), Project);
        m_dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Hints"), QStringLiteral("-1"));
        m_dm->LoadSettings();
        m_dataFolder = m_dm->Settings.DataFolder;
        m_mount = std::make_unique<test::Mount>(test::Mount::readOnlyBind(m_dataFolder), m_dataFolder);
        if (!m_mount->mounted())
            QSKIP(qPrintable(QStringLiteral("cannot bind-mount the data folder read-only here: ")
                             + m_mount->error()));
        QVERIFY2(!QFile(m_dataFolder + QStringLiteral("probe")).open(QIODevice::WriteOnly),
                 "the data folder is still writable");
    }

    void cleanupTestCase()
    {
        if (m_dm) {
            m_dm->CloseDatabases();
            m_dm.reset();
        }
        DM1 = nullptr;
        m_mount.reset();
    }

    void init() { m_profile->messages.clear(); }

    void theWindowShowsTheProjectsAndTheDashboard()
    {
        TMainRankForm form(*m_dm);
        QVERIFY(test::showMainWindow(form));
        auto* projects = form.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
        QVERIFY(projects);
        QCOMPARE(projects->currentText(), Project);
        int filled = 0;
        for (int slot = 0; slot < TopTenCharts::Count; ++slot)
            filled += form.topTenCharts()->recordCount(slot) > 0 ? 1 : 0;
        QCOMPARE(filled, 4);
        QVERIFY2(m_profile->messages.isEmpty(), qPrintable(messages()));
        QVERIFY(test::saveScreen(form, QStringLiteral("ReadOnly_MainRankForm")));

        // a new project cannot be saved: the message names the folder, the wizard stays usable
        bool saved = true;
        test::whenModal<TSetupWizardForm>([&](TSetupWizardForm& wizard) {
            wizard.AddProjectClick();
            wizard.projectNameBox()->setText(QStringLiteral("AnotherShop"));
            saved = wizard.SaveProjectClick();
            wizard.CancelProjectClick();
            // past the wizard's own check, which keeps it open while a project lacks engines, URLs or terms
            wizard.QDialog::done(QDialog::Rejected);
        });
        form.command(QStringLiteral("ProjectWizard1"))->trigger();
        QVERIFY(!saved);
        QVERIFY2(messages().contains(QLatin1String("may only be read")), qPrintable(messages()));
        QVERIFY2(messages().contains(QDir::cleanPath(m_dataFolder)), qPrintable(messages()));
        // the window goes on showing the project
        QCOMPARE(projects->currentText(), Project);
        QCOMPARE(projects->count(), 1);
    }

    // The chart windows that keep a design row show their charts with the
    // default design when the row cannot be written.
    void scoresAndGainsShowWithTheirDefaultDesign()
    {
        m_dm->OpenDatabases();
        TScoresForm scores(*m_dm);
        scores.Open(Project);
        scores.setEngine(scores.engineEntries().constFirst());
        QVERIFY(!scores.rows().isEmpty());
        TGandLForm gains(*m_dm);
        gains.Open(Project);
        m_dm->CloseDatabases();
        QVERIFY2(m_profile->messages.isEmpty(), qPrintable(messages()));
    }

    // The program itself: it starts, shows its window without a question
    // that blocks it, and answers a second start by raising the window.
    void corvaneRunsOnTheFolder()
    {
        const QString socket = m_profile->programFolder() + QStringLiteral("../run/corvane/Corvane.socket");
        QProcess corvane;
        corvane.start(QStringLiteral(CORVANE_BIN_DIR "/Corvane"), {});
        QVERIFY(corvane.waitForStarted());
        QElapsedTimer timer;
        timer.start();
        while (!QFile::exists(socket) && corvane.state() == QProcess::Running && timer.elapsed() < 30000)
            QTest::qWait(100);
        QVERIFY2(QFile::exists(socket), qPrintable(QString::fromLocal8Bit(corvane.readAllStandardError())));
        QTest::qWait(3000); // the dashboard is built
        QCOMPARE(corvane.state(), QProcess::Running);

        QProcess second;
        second.start(QStringLiteral(CORVANE_BIN_DIR "/Corvane"), {});
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(QString::fromLocal8Bit(second.readAllStandardError()),
                 QStringLiteral("Corvane is already running.\n"));
        QCOMPARE(corvane.state(), QProcess::Running);
        corvane.terminate();
        QVERIFY(corvane.waitForFinished(20000));
    }
};

QTEST_MAIN(TestReadOnlyMainWindow)
#include "test_read_only_main_window.moc"
