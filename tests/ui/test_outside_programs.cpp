// Starting the outside programs and watching the repair program, with real
// programs (small scripts and mutex_holder) in a binaries folder of the test.
#include "core/outside/GuardedTool.h"
#include "core/outside/OutsidePrograms.h"
#include "core/platform/NamedMutex.h"
#include "gui/mainwindow/MainRankForm.h"

#include "UiTestSupport.h"

#include <QAction>
#include <QProcess>
#include <QtTest>

#include <csignal>

using namespace corvane;

namespace {

struct Message
{
    MessageButtons type;
    QString title;
    QString text;
};

// A binaries folder of the test's own; its programs record how they were
// started in files beside them.
class BinariesFolder
{
public:
    BinariesFolder() { QDir().mkpath(path()); }

    QString path() const { return m_dir.filePath(QStringLiteral("bin/")); }
    QString record(const QString& program) const { return m_dir.filePath(program + QStringLiteral(".run")); }

    // A program that writes its working folder and its arguments, one a line.
    void addRecorder(const QString& program) const
    {
        addScript(program, QStringLiteral("{ pwd; printf '%s\\n' \"$@\"; } > '%1'\n").arg(record(program)));
    }
    // A repair program that records its pid and arguments, then holds
    // "CVRepair.Mutex" until it is killed.
    void addRepairProgram() const
    {
        addScript(QStringLiteral("CVRepair"),
                  QStringLiteral(
                      "printf '%s\\n' \"$@\" > '%1'\necho $$ > '%2'\nexec '%3' CVRepair.Mutex > /dev/null\n")
                      .arg(record(QStringLiteral("CVRepair")), pidFile(), QStringLiteral(MUTEX_HOLDER_PATH)));
    }
    void addFile(const QString& name) const
    {
        QFile file(path() + name);
        file.open(QIODevice::WriteOnly);
        file.write("not a program\n");
    }
    QString pidFile() const { return m_dir.filePath(QStringLiteral("repair.pid")); }

    // The lines a program recorded; empty until it has run.
    QStringList recorded(const QString& program) const
    {
        QFile file(record(program));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QString text = QString::fromLocal8Bit(file.readAll());
        if (!text.endsWith(QLatin1Char('\n')))
            return {};
        return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private:
    void addScript(const QString& program, const QString& body) const
    {
        QFile file(path() + program);
        file.open(QIODevice::WriteOnly);
        file.write(QStringLiteral("#!/bin/sh\n").toLocal8Bit() + body.toLocal8Bit());
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QTemporaryDir m_dir;
};

// A data module that records its messages and answers them with `answer`,
// its program folder a folder of its own.
class Recording
{
public:
    Recording()
    {
        m_dm.Settings.ExeFolder = m_home.path() + QLatin1Char('/');
        m_dm.setMessagePresenter(
            [this](MessageButtons type, const QString& title, const QString& text, const QString&) {
                messages.append({type, title, text});
                return answer;
            });
    }
    TDM1& dm() { return m_dm; }
    QString home() const { return m_home.path(); }

    MessageAnswer answer = MessageAnswer::Ok;
    QList<Message> messages;

private:
    QTemporaryDir m_home;
    TDM1 m_dm{Registry(m_home.filePath(QStringLiteral("registry.reg")))};
};

// A process table with one live process of the given name.
class ProcessTable
{
public:
    explicit ProcessTable(const QByteArray& name)
    {
        QDir().mkpath(m_dir.filePath(QStringLiteral("7")));
        QFile stat(m_dir.filePath(QStringLiteral("7/stat")));
        stat.open(QIODevice::WriteOnly);
        stat.write("7 (" + name + ") S 1 7 7 0 -1\n");
    }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

const QString MissingService = QStringLiteral("/nonexistent/proc");

} // namespace

// Shows the main window on an empty profile and waits for its first showing,
// which asks for a first project; the question is not part of what is tested.
void showWithoutProjects(TMainRankForm& form, test::UiProfile& profile)
{
    form.setWindowState(Qt::WindowNoState);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTRY_VERIFY(!profile.messages.isEmpty());
    QVERIFY(profile.messages.last().contains(QLatin1String("No projects have been created.")));
    profile.messages.clear();
}

class TestOutsidePrograms : public QObject
{
    Q_OBJECT

private slots:
    void programsStartInTheProgramFolderWithTheirParameters()
    {
        Recording r;
        BinariesFolder bin;
        bin.addRecorder(QStringLiteral("Harvester"));
        bin.addRecorder(QStringLiteral("CVRepair"));
        OutsidePrograms programs(r.dm(), bin.path());

        QVERIFY(programs.StartHarvester());
        QTRY_COMPARE(bin.recorded(QStringLiteral("Harvester")), QStringList{r.home()});
        QVERIFY(programs.StartRepair());
        QTRY_COMPARE(bin.recorded(QStringLiteral("CVRepair")),
                     (QStringList{r.home(), QStringLiteral("false"), QStringLiteral("false")}));
        QVERIFY(r.messages.isEmpty());
    }

    void aProgramFileThatCannotRunIsToldAndNothingStarts()
    {
        Recording r;
        BinariesFolder bin;
        OutsidePrograms programs(r.dm(), bin.path());
        QVERIFY(!programs.StartHarvester());
        bin.addFile(QStringLiteral("CVRepair"));
        QVERIFY(!programs.StartRepair());
        QCOMPARE(r.messages.size(), qsizetype(2));
        QCOMPARE(r.messages[0].type, MessageButtons::Ok);
        QCOMPARE(r.messages[0].title, QStringLiteral("Error"));
        QCOMPARE(r.messages[0].text,
                 QStringLiteral("<P align=\"center\"><B>Unable to start Harvester</B><BR>"
                                "The program file ")
                     + bin.path() + QStringLiteral("Harvester was not found.</P>"));
        QCOMPARE(r.messages[1].text,
                 QStringLiteral("<P align=\"center\"><B>Unable to start CVRepair</B><BR>The file ")
                     + bin.path() + QStringLiteral("CVRepair is not a program that can be started.</P>"));
    }

    void theSchedulerStartsAtOnceWhileCronRuns()
    {
        Recording r;
        BinariesFolder bin;
        bin.addRecorder(QStringLiteral("CVSchedule"));
        OutsidePrograms programs(r.dm(), bin.path());
        const ProcessTable cron("cron");
        programs.setSchedulerService(SchedulerService(cron.path()));
        QVERIFY(programs.StartScheduler());
        QTRY_COMPARE(bin.recorded(QStringLiteral("CVSchedule")), QStringList{r.home()});
        QVERIFY(r.messages.isEmpty());
    }

    void withCronStoppedTheSchedulerStartsOnlyOnOK()
    {
        Recording r;
        BinariesFolder bin;
        bin.addRecorder(QStringLiteral("CVSchedule"));
        OutsidePrograms programs(r.dm(), bin.path());
        const ProcessTable other("bash");
        programs.setSchedulerService(SchedulerService(other.path()));
        const QString warning = QStringLiteral("<P ALIGN=\"CENTER\"><B>Your Windows Task Scheduler is not "
                                               "running.</B><BR>Clicking OK will start you "
                                               "Windows Task Scheduler and open the Corvane Project "
                                               "Scheduler.  Any 3rd party tasks may start as well "
                                               "when the scheduler is started.</P>");

        r.answer = MessageAnswer::Cancel;
        QVERIFY(!programs.StartScheduler());
        QCOMPARE(r.messages.size(), qsizetype(1));
        QCOMPARE(r.messages[0].type, MessageButtons::OkCancel);
        QCOMPARE(r.messages[0].title, QStringLiteral("Warning"));
        QCOMPARE(r.messages[0].text, warning);

        r.answer = MessageAnswer::Ok;
        QVERIFY(programs.StartScheduler());
        QTRY_COMPARE(bin.recorded(QStringLiteral("CVSchedule")), QStringList{r.home()});
        QCOMPARE(r.messages.size(), qsizetype(2));
        QCOMPARE(r.messages[1].text, warning);
    }

    void whenTheServiceCannotBeAskedTheUserIsToldAndTheSchedulerStarts()
    {
        Recording r;
        BinariesFolder bin;
        bin.addRecorder(QStringLiteral("CVSchedule"));
        OutsidePrograms programs(r.dm(), bin.path());
        programs.setSchedulerService(SchedulerService(MissingService));
        r.answer = MessageAnswer::Cancel; // OK is the only button; closing the window goes on all the same
        QVERIFY(programs.StartScheduler());
        QTRY_COMPARE(bin.recorded(QStringLiteral("CVSchedule")), QStringList{r.home()});
        QCOMPARE(r.messages.size(), qsizetype(1));
        QCOMPARE(r.messages[0].type, MessageButtons::Ok);
        QCOMPARE(r.messages[0].title, QStringLiteral("Warning"));
        QCOMPARE(r.messages[0].text,
                 QStringLiteral("<P ALIGN=\"CENTER\"><B>Corvane was unable to determine if your "
                                "Scheduling Service is running.</B><BR>Click OK to try anyway.</P>"));
    }

    void tableRepairKeepsTheWindowMinimisedUntilTheRepairProgramEnds()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Hints"), QStringLiteral("-1"));
        BinariesFolder bin;
        bin.addRepairProgram();
        TMainRankForm form(*dm);
        showWithoutProjects(form, profile);
        form.programs().setBinariesFolder(bin.path());
        QVERIFY(dm->GroupTable.isOpen());
        auto* timer = form.findChild<QTimer*>(QStringLiteral("Timer1"));
        QVERIFY(timer);

        form.RunTableRepair();
        QVERIFY(form.isMinimized());
        QVERIFY(!form.command(QStringLiteral("TableRepair1"))->isEnabled());
        QVERIFY(!form.centralWidget()->isEnabled());
        QVERIFY(!dm->GroupTable.isOpen());
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 4000);

        QTRY_VERIFY_WITH_TIMEOUT(NamedMutex::exists(QStringLiteral("CVRepair.Mutex")), 3000);
        QCOMPARE(bin.recorded(QStringLiteral("CVRepair")),
                 (QStringList{QStringLiteral("false"), QStringLiteral("false")}));
        // After the first tick the watch polls every 100 ms while the program runs.
        QTRY_COMPARE_WITH_TIMEOUT(timer->interval(), 100, 6000);
        QTest::qWait(300);
        QVERIFY(form.isMinimized());
        QVERIFY(form.isWaitingForRepair());

        QFile pidFile(bin.pidFile());
        QVERIFY(pidFile.open(QIODevice::ReadOnly));
        const pid_t pid = pid_t(pidFile.readAll().trimmed().toLongLong());
        QVERIFY(pid > 0);
        QCOMPARE(::kill(pid, SIGTERM), 0);

        QTRY_VERIFY_WITH_TIMEOUT(!form.isMinimized(), 3000);
        QVERIFY(!(form.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)));
        QVERIFY(form.command(QStringLiteral("TableRepair1"))->isEnabled());
        QVERIFY(form.centralWidget()->isEnabled());
        QVERIFY(!form.isWaitingForRepair());
        QCOMPARE(timer->interval(), 4000);
        QVERIFY(profile.messages.isEmpty());
    }

    void tableRepairRefusesDuringASessionAndWithoutItsProgram()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Hints"), QStringLiteral("-1"));
        BinariesFolder bin;
        bin.addRepairProgram();
        TMainRankForm form(*dm);
        showWithoutProjects(form, profile);
        form.programs().setBinariesFolder(bin.path());

        {
            QProcess harvester;
            harvester.start(QStringLiteral(MUTEX_HOLDER_PATH), {QStringLiteral("NoCV.Mutex")});
            QVERIFY(harvester.waitForReadyRead(10000));
            QCOMPARE(harvester.readLine().trimmed(), QByteArray("held"));
            form.RunTableRepair();
            harvester.kill();
            harvester.waitForFinished();
        }
        QCOMPARE(profile.messages,
                 QStringList{QStringLiteral("Warning: <P ALIGN=\"CENTER\">Table Repair is unavailable while "
                                            "Harvester is running a session.</P>")});
        QVERIFY(!form.isMinimized());
        QVERIFY(!form.isWaitingForRepair());
        QTest::qWait(200);
        QVERIFY(bin.recorded(QStringLiteral("CVRepair")).isEmpty());

        profile.messages.clear();
        form.programs().setBinariesFolder(bin.path() + QStringLiteral("empty"));
        form.RunTableRepair();
        QCOMPARE(profile.messages.size(), qsizetype(1));
        QVERIFY(profile.messages[0].startsWith(
            QStringLiteral("Error: <P align=\"center\"><B>Unable to start CVRepair")));
        QVERIFY(!form.isMinimized());
        QVERIFY(form.command(QStringLiteral("TableRepair1"))->isEnabled());
        QVERIFY(!form.isWaitingForRepair());
    }

    void aRepairProgramThatEndsAtOnceGivesTheWindowBackAfterTheFirstTick()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Hints"), QStringLiteral("-1"));
        BinariesFolder bin;
        bin.addRecorder(QStringLiteral("CVRepair")); // never takes the mutex
        TMainRankForm form(*dm);
        showWithoutProjects(form, profile);
        form.programs().setBinariesFolder(bin.path());

        form.RunTableRepair();
        QVERIFY(form.isMinimized());
        QTest::qWait(3000);
        QVERIFY(form.isMinimized()); // the program gets its time to start
        QTRY_VERIFY_WITH_TIMEOUT(!form.isMinimized(), 3000);
        QVERIFY(form.command(QStringLiteral("TableRepair1"))->isEnabled());
        QVERIFY(profile.messages.isEmpty());
    }
};

QTEST_MAIN(TestOutsidePrograms)
#include "test_outside_programs.moc"
