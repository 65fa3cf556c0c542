#include "core/platform/NamedMutex.h"

#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using corvane::NamedMutex;
using corvane::test::TempProfile;

namespace {

// Points $XDG_RUNTIME_DIR at a folder of the test's own, so that the test
// neither sees nor disturbs the mutexes of programs running on the machine.
class PrivateRuntimeFolder
{
public:
    PrivateRuntimeFolder()
        : m_hadOld(qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
        , m_old(qgetenv("XDG_RUNTIME_DIR"))
    {
        qputenv("XDG_RUNTIME_DIR", m_profile.path().toLocal8Bit());
    }
    ~PrivateRuntimeFolder()
    {
        if (m_hadOld)
            qputenv("XDG_RUNTIME_DIR", m_old);
        else
            qunsetenv("XDG_RUNTIME_DIR");
    }
    QString path() const { return m_profile.path(); }

private:
    TempProfile m_profile;
    bool m_hadOld;
    QByteArray m_old;
};

// The mutex_holder helper, running with its stdout on a pipe.
class Holder
{
public:
    explicit Holder(const QString& name)
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        const std::string nameArgument = name.toStdString();
        char* argv[] = {const_cast<char*>(MUTEX_HOLDER_PATH), const_cast<char*>(nameArgument.c_str()),
                        nullptr};
        if (posix_spawn(&m_pid, MUTEX_HOLDER_PATH, &actions, nullptr, argv, environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        m_output = fds[0];
    }

    ~Holder()
    {
        kill();
        if (m_output >= 0)
            ::close(m_output);
    }

    // The first line the holder prints, waiting at most ten seconds.
    std::string firstLine()
    {
        std::string line;
        char ch = 0;
        while (line.size() < 64) {
            pollfd pfd{m_output, POLLIN, 0};
            if (::poll(&pfd, 1, 10000) <= 0 || ::read(m_output, &ch, 1) != 1 || ch == '\n')
                break;
            line += ch;
        }
        return line;
    }

    // SIGKILL, so the holder gets no chance to release anything itself.
    void kill()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_pid = -1;
    }

    bool isRunning() const { return m_pid > 0; }

private:
    pid_t m_pid = -1;
    int m_output = -1;
};

} // namespace

TEST(named_mutex, LockFolderFollowsRuntimeFolder)
{
    const PrivateRuntimeFolder runtime;
    EXPECT_EQ(NamedMutex::lockFolder(), QDir(runtime.path()).filePath(QStringLiteral("corvane/")));
    EXPECT_TRUE(NamedMutex::lockFolder().endsWith(QLatin1Char('/')));

    qunsetenv("XDG_RUNTIME_DIR");
    const QString fallback = NamedMutex::lockFolder();
    EXPECT_TRUE(fallback.startsWith(QDir::tempPath() + QStringLiteral("/corvane-"))) << qPrintable(fallback);
    EXPECT_TRUE(fallback.endsWith(QLatin1Char('/')));
}

TEST(named_mutex, SecondHolderInTheSameProcessIsRefused)
{
    const PrivateRuntimeFolder runtime;
    const QString name = QStringLiteral("Corvane.Mutex");
    EXPECT_FALSE(NamedMutex::exists(name));

    NamedMutex first(name);
    EXPECT_TRUE(first.isOwned());
    EXPECT_FALSE(first.alreadyExisted());
    EXPECT_TRUE(NamedMutex::exists(name));
    EXPECT_TRUE(NamedMutex::exists(name)); // probing does not take it away

    {
        const NamedMutex second(name);
        EXPECT_TRUE(second.alreadyExisted());
        EXPECT_FALSE(second.isOwned());
    }
    EXPECT_TRUE(first.isOwned());

    // Names differing only after the dot are different mutexes.
    const NamedMutex other(QStringLiteral("Corvane.Mutex2"));
    EXPECT_TRUE(other.isOwned());
    EXPECT_FALSE(NamedMutex::exists(QStringLiteral("Harvester.Mutex")));

    first.release();
    EXPECT_FALSE(first.isOwned());
    first.release(); // twice is harmless
    EXPECT_FALSE(NamedMutex::exists(name));

    const NamedMutex third(name);
    EXPECT_TRUE(third.isOwned());
    EXPECT_FALSE(third.alreadyExisted());
}

TEST(named_mutex, DestructionReleases)
{
    const PrivateRuntimeFolder runtime;
    {
        const NamedMutex held(QStringLiteral("NoHV.Mutex"));
        ASSERT_TRUE(held.isOwned());
    }
    EXPECT_FALSE(NamedMutex::exists(QStringLiteral("NoHV.Mutex")));
}

TEST(named_mutex, NamesWithSlashesStayInTheLockFolder)
{
    const PrivateRuntimeFolder runtime;
    const QString name = QStringLiteral("../Global/Corvane.Mutex");
    const NamedMutex held(name);
    ASSERT_TRUE(held.isOwned());
    EXPECT_TRUE(NamedMutex::exists(name));
    EXPECT_FALSE(NamedMutex::exists(QStringLiteral("Corvane.Mutex")));

    const QStringList files = QDir(NamedMutex::lockFolder()).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_FALSE(files.first().contains(QLatin1Char('/')));
    EXPECT_FALSE(QFileInfo::exists(runtime.path() + QStringLiteral("/Global")));
}

TEST(named_mutex, HolderInAnotherProcessUntilItIsKilled)
{
    const PrivateRuntimeFolder runtime;
    const QString name = QStringLiteral("Harvester.Mutex");

    Holder holder(name);
    ASSERT_TRUE(holder.isRunning());
    ASSERT_EQ(holder.firstLine(), "held");

    EXPECT_TRUE(NamedMutex::exists(name));
    {
        const NamedMutex mine(name);
        EXPECT_TRUE(mine.alreadyExisted());
        EXPECT_FALSE(mine.isOwned());
    }
    EXPECT_FALSE(NamedMutex::exists(QStringLiteral("NoCV.Mutex")));

    // A second holder process sees it taken as well.
    Holder another(name);
    ASSERT_TRUE(another.isRunning());
    EXPECT_EQ(another.firstLine(), "busy");
    another.kill();

    holder.kill();
    EXPECT_FALSE(NamedMutex::exists(name));
    const NamedMutex mine(name);
    EXPECT_TRUE(mine.isOwned());
    EXPECT_FALSE(mine.alreadyExisted());
}

TEST(named_mutex, StartedProgramsDoNotInheritIt)
{
    const PrivateRuntimeFolder runtime;
    const QString name = QStringLiteral("Corvane.Mutex");

    auto held = std::make_unique<NamedMutex>(name);
    ASSERT_TRUE(held->isOwned());
    // The child is started while we hold the mutex; it holds a different one.
    Holder child(QStringLiteral("CVRepair.Mutex"));
    ASSERT_EQ(child.firstLine(), "held");
    held.reset();
    EXPECT_FALSE(NamedMutex::exists(name));
}
