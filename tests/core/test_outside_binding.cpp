// The binding of outside programs and libraries: the mutexes shared with
// Harvester (held by real child processes), the run-time module calls (a
// real module, copied under the product's file names) and the scheduling
// service check on real process tables.
#include "core/datamodule/DM1.h"
#include "core/outside/GuardedTool.h"
#include "core/outside/LibraryCalls.h"
#include "core/outside/SchedulerService.h"
#include "core/platform/NamedMutex.h"
#include "core/platform/RuntimeLibrary.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace corvane;

namespace {

struct Message
{
    MessageButtons type;
    QString title;
    QString text;
};

// A data module whose messages are recorded and answered with OK.
struct Recording
{
    test::TempProfile profile;
    TDM1 dm{Registry(profile.registryPath())};
    QList<Message> messages;

    Recording()
    {
        dm.setMessagePresenter(
            [this](MessageButtons type, const QString& title, const QString& text, const QString&) {
                messages.append({type, title, text});
                return MessageAnswer::Ok;
            });
    }
};

// mutex_holder in its own process, holding the named mutex until killed.
class Holder
{
public:
    explicit Holder(const QString& name)
    {
        m_process.start(QStringLiteral(MUTEX_HOLDER_PATH), {name});
        if (m_process.waitForReadyRead(10000))
            m_line = QString::fromLatin1(m_process.readLine()).trimmed();
    }
    ~Holder() { end(); }

    void end()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    // "held" when it took the mutex, "busy" when someone else holds it.
    const QString& line() const { return m_line; }

private:
    QProcess m_process;
    QString m_line;
};

// Whether another process finds the mutex held.
bool heldForOthers(const QString& name) { return Holder(name).line() == QLatin1String("busy"); }

const QString NoHV = QStringLiteral("NoHV.Mutex");

const QStringList ToolNames = {
    QLatin1String(GuardedTool::ProjectWizard),      QLatin1String(GuardedTool::DuvudaDuvedozo),
    QLatin1String(GuardedTool::RurederOrad),        QLatin1String(GuardedTool::Backup),
    QLatin1String(GuardedTool::RemoteScriptUpdate), QLatin1String(GuardedTool::TableRepair),
};

// A folder of run-time modules for one test.
class ModuleFolder
{
public:
    explicit ModuleFolder(const test::TempProfile& profile)
        : m_path(profile.path(QStringLiteral("modules/")))
    {
        QDir().mkpath(m_path);
    }
    const QString& path() const { return m_path; }

    // The probe module under the given file name.
    void addProbe(const QString& fileName) const
    {
        QFile::copy(QStringLiteral(LIBRARY_PROBE_PATH), m_path + fileName);
    }
    void addFile(const QString& fileName, const QByteArray& content) const
    {
        QFile file(m_path + fileName);
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
    }
    // The loader's own text for a module that cannot be loaded.
    QString loadError(const QString& fileName) const
    {
        RuntimeLibrary library(m_path + fileName);
        library.load();
        return library.errorString();
    }
    QString entryError(const QString& fileName, const char* entry) const
    {
        RuntimeLibrary library(m_path + fileName);
        library.resolve(entry);
        return library.errorString();
    }

private:
    QString m_path;
};

QString probeRecord() { return qEnvironmentVariable("CORVANE_LIBRARY_PROBE"); }

bool mappedIntoThisProcess(const QString& path)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && QString::fromLocal8Bit(maps.readAll()).contains(path);
}

} // namespace

// ---------------------------------------------------------------- guarded tools

TEST(GuardedTool, EveryToolRefusesWhileAnotherProcessHoldsNoCV)
{
    Recording r;
    Holder harvester(QStringLiteral("NoCV.Mutex"));
    ASSERT_EQ(harvester.line(), QStringLiteral("held"));
    EXPECT_TRUE(GuardedTool::HarvesterSessionRunning());

    for (const QString& tool : ToolNames) {
        r.messages.clear();
        bool ran = false;
        EXPECT_FALSE(GuardedTool::Run(r.dm, tool, [&] { ran = true; }));
        EXPECT_FALSE(ran);
        ASSERT_EQ(r.messages.size(), 1);
        EXPECT_EQ(r.messages[0].type, MessageButtons::Ok);
        EXPECT_EQ(r.messages[0].title, QStringLiteral("Warning"));
        EXPECT_EQ(r.messages[0].text,
                  QStringLiteral("<P ALIGN=\"CENTER\">") + tool
                      + QStringLiteral(" is unavailable while Harvester is running a session.</P>"));
        EXPECT_FALSE(NamedMutex::exists(NoHV));
    }
    EXPECT_EQ(
        r.messages[0].text,
        QStringLiteral(
            "<P ALIGN=\"CENTER\">Table Repair is unavailable while Harvester is running a session.</P>"));

    // Probing never takes the session's mutex away.
    EXPECT_TRUE(NamedMutex::exists(QStringLiteral("NoCV.Mutex")));
    harvester.end();
    EXPECT_FALSE(GuardedTool::HarvesterSessionRunning());
    EXPECT_FALSE(NamedMutex::exists(QStringLiteral("NoCV.Mutex")));
}

TEST(GuardedTool, NoHVExistsExactlyWhileTheToolRuns)
{
    Recording r;
    EXPECT_FALSE(heldForOthers(NoHV));
    bool seenWhileOpen = false;
    EXPECT_TRUE(GuardedTool::Run(r.dm, QLatin1String(GuardedTool::DuvudaDuvedozo),
                                 [&] { seenWhileOpen = heldForOthers(NoHV); }));
    EXPECT_TRUE(seenWhileOpen);
    EXPECT_FALSE(heldForOthers(NoHV));
    EXPECT_TRUE(r.messages.isEmpty());
}

TEST(GuardedTool, NoHVIsGivenUpWhenTheToolThrows)
{
    Recording r;
    EXPECT_THROW(GuardedTool::Run(r.dm, QLatin1String(GuardedTool::ProjectWizard),
                                  [] { throw std::runtime_error("wizard failed"); }),
                 std::runtime_error);
    EXPECT_FALSE(heldForOthers(NoHV));
}

// ---------------------------------------------------------------- library calls

TEST(LibraryCalls, EntriesGetTheApplicationAndTheirArgumentsAndTheModuleIsUnloadedAfterwards)
{
    Recording r;
    ModuleFolder modules(r.profile);
    modules.addProbe(QStringLiteral("CVDBRoutines.so"));
    modules.addProbe(QStringLiteral("CVReports.so"));
    auto* application = reinterpret_cast<QCoreApplication*>(&r); // only compared with null by the probe
    LibraryCalls calls(r.dm, application, modules.path());

    EXPECT_TRUE(calls.RunRemoteUpdate(false, true));
    EXPECT_EQ(probeRecord(), QStringLiteral("RunRemoteUpdate app 0 1"));
    EXPECT_TRUE(calls.RunRemoteUpdate(true, true));
    EXPECT_EQ(probeRecord(), QStringLiteral("RunRemoteUpdate app 1 1"));

    const QString project = QStringLiteral("O'Reilly \"Bücher\" 東京");
    EXPECT_TRUE(calls.RunCVDaily(project));
    EXPECT_EQ(probeRecord(), QStringLiteral("RunCVDaily [") + project + QStringLiteral("]"));
    EXPECT_TRUE(calls.RunPrint(QStringLiteral("Group A"), QStringLiteral("DuroViz")));
    EXPECT_EQ(probeRecord(), QStringLiteral("RunPrint [Group A] [DuroViz]"));
    EXPECT_TRUE(calls.RunCVDaily(QString()));
    EXPECT_EQ(probeRecord(), QStringLiteral("RunCVDaily []"));

    EXPECT_TRUE(r.messages.isEmpty());
    EXPECT_FALSE(mappedIntoThisProcess(modules.path() + QStringLiteral("CVDBRoutines.so")));
    EXPECT_FALSE(mappedIntoThisProcess(modules.path() + QStringLiteral("CVReports.so")));
}

TEST(LibraryCalls, AMissingModuleGivesTheLoadMessageUnderTheEntrysTitle)
{
    Recording r;
    ModuleFolder modules(r.profile);
    LibraryCalls calls(r.dm, nullptr, modules.path());
    const QString systemText = modules.loadError(QStringLiteral("CVSettings.so"));
    ASSERT_FALSE(systemText.isEmpty());

    EXPECT_FALSE(calls.RunNotification());
    ASSERT_EQ(r.messages.size(), 1);
    EXPECT_EQ(r.messages[0].type, MessageButtons::Ok);
    EXPECT_EQ(r.messages[0].title, QStringLiteral("RunNotification"));
    EXPECT_EQ(r.messages[0].text,
              QStringLiteral("<P align=\"center\"><B>") + systemText
                  + QStringLiteral("</B><BR>Unable to load the CVSettings.DLL</P>"));

    // Each entry names its library as it always has.
    struct Case
    {
        std::function<bool()> call;
        const char* title;
        const char* library;
    };
    const QList<Case> cases = {
        {[&] { return calls.RunSEAPI(); }, "RunSEAPI", "CVSettings.DLL"},
        {[&] { return calls.RunAdvThrottle(); }, "RunAdvThrottle", "CVSettings DLL"},
        {[&] { return calls.RunSetStuntValues(); }, "RunSetStuntValues", "CVSettings DLL"},
        {[&] { return calls.RunEngInc(); }, "RunEngInc", "CVSettings DLL"},
        {[&] { return calls.RunAutoBuildChart(QStringLiteral("P")); }, "RunAutoBuildChart", "CVSettings DLL"},
        {[&] { return calls.RunChartBuilder(QStringLiteral("P"), QStringLiteral("C")); }, "RunChartBuilder",
         "CVSettings DLL"},
        {[&] { return calls.RunDirectoryChanger(); }, "RunDirectoryChanger", "CVDBRoutines.DLL"},
        {[&] { return calls.RunBackup(); }, "RunBackup", "CVDBRoutines.DLL"},
        {[&] { return calls.RunCVDaily(QStringLiteral("P")); }, "RunCVDaily", "CVDBRoutines.DLL"},
        {[&] { return calls.RunRemoteUpdate(false, true); }, "RunRemoteUpdate", "CVDBRoutines.dll"},
        {[&] { return calls.RunHints(); }, "RunHints", "CVDBRoutines DLL"},
    };
    for (const Case& c : cases) {
        r.messages.clear();
        EXPECT_FALSE(c.call());
        ASSERT_EQ(r.messages.size(), 1) << c.title;
        EXPECT_EQ(r.messages[0].title, QLatin1String(c.title));
        EXPECT_TRUE(r.messages[0].text.endsWith(QStringLiteral("</B><BR>Unable to load the ")
                                                + QLatin1String(c.library) + QStringLiteral("</P>")))
            << qPrintable(r.messages[0].text);
    }
}

TEST(LibraryCalls, AFileThatIsNotALibraryGivesTheLoadMessage)
{
    Recording r;
    ModuleFolder modules(r.profile);
    modules.addFile(QStringLiteral("CVDBRoutines.so"), "This is a text file, not a module.\n");
    const QString systemText = modules.loadError(QStringLiteral("CVDBRoutines.so"));

    EXPECT_FALSE(LibraryCalls(r.dm, nullptr, modules.path()).RunBackup());
    ASSERT_EQ(r.messages.size(), 1);
    EXPECT_EQ(r.messages[0].title, QStringLiteral("RunBackup"));
    EXPECT_EQ(r.messages[0].text,
              QStringLiteral("<P align=\"center\"><B>") + systemText.toHtmlEscaped()
                  + QStringLiteral("</B><BR>Unable to load the CVDBRoutines.DLL</P>"));
}

TEST(LibraryCalls, AModuleWithoutTheEntryGivesTheEntryMessage)
{
    Recording r;
    ModuleFolder modules(r.profile);
    modules.addProbe(QStringLiteral("CVSettings.so"));
    const QString systemText = modules.entryError(QStringLiteral("CVSettings.so"), "_RunEngInc");
    ASSERT_TRUE(systemText.contains(QStringLiteral("_RunEngInc"))) << qPrintable(systemText);

    EXPECT_FALSE(LibraryCalls(r.dm, nullptr, modules.path()).RunEngInc());
    ASSERT_EQ(r.messages.size(), 1);
    EXPECT_EQ(r.messages[0].title, QStringLiteral("RunEngInc"));
    EXPECT_EQ(r.messages[0].text,
              QStringLiteral("<P align=\"center\">") + systemText.toHtmlEscaped() + QStringLiteral("</P>"));
    EXPECT_FALSE(mappedIntoThisProcess(modules.path() + QStringLiteral("CVSettings.so")));
}

TEST(LibraryCalls, ReportFailuresShowTheSystemTextAloneUnderNumberedTitles)
{
    Recording r;
    ModuleFolder modules(r.profile);
    LibraryCalls calls(r.dm, nullptr, modules.path());
    const QString missing = modules.loadError(QStringLiteral("CVReports.so"));

    EXPECT_FALSE(calls.RunReports(QStringLiteral("P"), QStringLiteral("R")));
    EXPECT_FALSE(calls.RunPrint(QStringLiteral("P"), QStringLiteral("R")));
    EXPECT_FALSE(calls.RunPreview(QStringLiteral("P"), QStringLiteral("R")));
    ASSERT_EQ(r.messages.size(), 3);
    EXPECT_EQ(r.messages[0].title, QStringLiteral("RunReports1"));
    EXPECT_EQ(r.messages[1].title, QStringLiteral("RunReports2"));
    EXPECT_EQ(r.messages[2].title, QStringLiteral("RunReports3"));
    for (const Message& m : r.messages)
        EXPECT_EQ(m.text, missing.toHtmlEscaped());

    // The probe has _RunPrint but no _RunReports.
    modules.addProbe(QStringLiteral("CVReports.so"));
    r.messages.clear();
    EXPECT_TRUE(calls.RunPrint(QStringLiteral("P"), QStringLiteral("R")));
    EXPECT_FALSE(calls.RunReports(QStringLiteral("P"), QStringLiteral("R")));
    ASSERT_EQ(r.messages.size(), 1);
    EXPECT_EQ(r.messages[0].title, QStringLiteral("RunReports1"));
    EXPECT_EQ(r.messages[0].text,
              modules.entryError(QStringLiteral("CVReports.so"), "_RunReports").toHtmlEscaped());
}

TEST(LibraryCalls, AToolWindowCanWordTheFailureItsOwnWay)
{
    Recording r;
    ModuleFolder modules(r.profile);
    const QString missing = modules.loadError(QStringLiteral("CVDBRoutines.so"));

    LibraryCalls(r.dm, nullptr, modules.path())
        .ReportFailuresAs(QStringLiteral("Error"), LibraryCalls::FailureText::SystemText)
        .RunRemoteUpdate(false, true);
    LibraryCalls(r.dm, nullptr, modules.path())
        .ReportFailuresAs(QStringLiteral("Error"), LibraryCalls::FailureText::CentredSystemText)
        .RunRemoteUpdate(false, true);
    ASSERT_EQ(r.messages.size(), 2);
    EXPECT_EQ(r.messages[0].title, QStringLiteral("Error"));
    EXPECT_EQ(r.messages[0].text, missing.toHtmlEscaped());
    EXPECT_EQ(r.messages[1].text,
              QStringLiteral("<P align=\"center\">") + missing.toHtmlEscaped() + QStringLiteral("</P>"));
}

TEST(LibraryCalls, AnExceptionFromAnEntryArrivesAfterTheModuleIsUnloaded)
{
    Recording r;
    ModuleFolder modules(r.profile);
    modules.addProbe(QStringLiteral("CVDBRoutines.so"));
    try {
        LibraryCalls(r.dm, nullptr, modules.path()).RunBackup();
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "RunBackup: the backup window failed");
    }
    EXPECT_FALSE(mappedIntoThisProcess(modules.path() + QStringLiteral("CVDBRoutines.so")));
}

TEST(LibraryCalls, AGuardedLibraryCallGivesUpNoHVOnEveryPath)
{
    Recording r;
    ModuleFolder modules(r.profile);
    LibraryCalls calls(r.dm, nullptr, modules.path());
    const QString backup = QLatin1String(GuardedTool::Backup);
    const QString update = QLatin1String(GuardedTool::RemoteScriptUpdate);

    // Missing module, a file that is not a module, a module without the entry.
    EXPECT_TRUE(GuardedTool::Run(r.dm, update, [&] { calls.RunRemoteUpdate(false, true); }));
    EXPECT_FALSE(heldForOthers(NoHV));
    modules.addFile(QStringLiteral("CVDBRoutines.so"), QByteArray(4096, 'x'));
    EXPECT_TRUE(GuardedTool::Run(r.dm, update, [&] { calls.RunRemoteUpdate(false, true); }));
    EXPECT_FALSE(heldForOthers(NoHV));
    QFile::remove(modules.path() + QStringLiteral("CVDBRoutines.so"));
    modules.addProbe(QStringLiteral("CVDBRoutines.so"));
    EXPECT_TRUE(GuardedTool::Run(r.dm, backup, [&] { calls.RunHints(); }));
    EXPECT_FALSE(heldForOthers(NoHV));
    ASSERT_EQ(r.messages.size(), 3);
    EXPECT_TRUE(r.messages[0].text.endsWith(QStringLiteral("Unable to load the CVDBRoutines.dll</P>")));
    EXPECT_TRUE(r.messages[1].text.endsWith(QStringLiteral("Unable to load the CVDBRoutines.dll</P>")));
    EXPECT_TRUE(r.messages[2].text.startsWith(QStringLiteral("<P align=\"center\">")));
    // An entry that throws.
    EXPECT_THROW(GuardedTool::Run(r.dm, backup, [&] { calls.RunBackup(); }), std::runtime_error);
    EXPECT_FALSE(heldForOthers(NoHV));
    // And a call that works.
    EXPECT_TRUE(GuardedTool::Run(r.dm, update, [&] { calls.RunRemoteUpdate(false, true); }));
    EXPECT_EQ(probeRecord(), QStringLiteral("RunRemoteUpdate null 0 1"));
    EXPECT_FALSE(heldForOthers(NoHV));
}

// ---------------------------------------------------------------- scheduling service

namespace {

// A process table laid out as procfs lays it out.
void addProcess(const QString& table, int pid, const QByteArray& name, char state)
{
    const QString folder = table + QLatin1Char('/') + QString::number(pid);
    QDir().mkpath(folder);
    QFile stat(folder + QStringLiteral("/stat"));
    if (stat.open(QIODevice::WriteOnly))
        stat.write(QByteArray::number(pid) + " (" + name + ") " + state + " 1 1 1 0 -1\n");
}

} // namespace

TEST(SchedulerService, ALiveCronDaemonInTheProcessTableIsRunning)
{
    test::TempProfile profile;
    const QString table = profile.path(QStringLiteral("proc"));
    addProcess(table, 1, "systemd", 'S');
    addProcess(table, 812, "(sd-pam) cron", 'S'); // a name with parentheses and blanks
    addProcess(table, 900, "cron", 'Z');          // a zombie does not run anything
    EXPECT_EQ(SchedulerService(table).status(), SchedulerService::Status::Stopped);

    for (const char* daemon : {"cron", "crond", "fcron"}) {
        const QString one = profile.path(QLatin1String(daemon));
        addProcess(one, 1, "init", 'S');
        addProcess(one, 444, daemon, 'S');
        EXPECT_EQ(SchedulerService(one).status(), SchedulerService::Status::Running) << daemon;
    }
}

TEST(SchedulerService, AProcessTableThatCannotBeReadIsUnknown)
{
    test::TempProfile profile;
    EXPECT_EQ(SchedulerService(profile.path(QStringLiteral("missing"))).status(),
              SchedulerService::Status::Unknown);
    QDir().mkpath(profile.path(QStringLiteral("empty/self")));
    EXPECT_EQ(SchedulerService(profile.path(QStringLiteral("empty"))).status(),
              SchedulerService::Status::Unknown);
}

TEST(SchedulerService, SeesARealProcessNamedCronOnThisMachine)
{
    if (SchedulerService().status() == SchedulerService::Status::Running)
        GTEST_SKIP() << "a cron daemon runs on this machine";
    EXPECT_EQ(SchedulerService().status(), SchedulerService::Status::Stopped);

    // Any program started under the daemon's name shows in the process table as it.
    test::TempProfile profile;
    const QString cron = profile.path(QStringLiteral("cron"));
    ASSERT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), cron));
    QProcess daemon;
    daemon.start(cron, {QStringLiteral("30")});
    ASSERT_TRUE(daemon.waitForStarted());
    EXPECT_EQ(SchedulerService().status(), SchedulerService::Status::Running);
    daemon.kill();
    daemon.waitForFinished();
    EXPECT_EQ(SchedulerService().status(), SchedulerService::Status::Stopped);
}
