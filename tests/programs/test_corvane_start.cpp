#include "core/platform/NamedMutex.h"

#include "../core/TestSupport.h"
#include "ProgramRunner.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

bool setUpProfile(const test::TempProfile& profile)
{
    return test::runProgram(QStringLiteral("corvane-setup"),
                            {QStringLiteral("--profile"), profile.path(QStringLiteral("Home"))})
               .exitCode
        == 0;
}

} // namespace

TEST(CorvaneStart, ASecondCopyEndsAtOnceSayingSoWithExitCodeZero)
{
    test::TempProfile profile;
    ASSERT_TRUE(setUpProfile(profile));
    // a holder of the mutex that has no window to raise
    NamedMutex running{QStringLiteral("Corvane.Mutex")};
    ASSERT_TRUE(running.isOwned());

    const auto result = test::runProgram(QStringLiteral("Corvane"), {}, 20000);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_EQ(result.err,
              QStringLiteral("Corvane is already running.\nIts window could not be brought to the front.\n"));
}

TEST(CorvaneStart, ASecondCopyRaisesTheFirstCopysWindowAndEnds)
{
    test::TempProfile profile;
    ASSERT_TRUE(setUpProfile(profile));
    const QString socket = profile.path(QStringLiteral("run/corvane/Corvane.socket"));
    // a socket left behind by a copy that crashed is no obstacle
    QDir().mkpath(profile.path(QStringLiteral("run/corvane")));
    {
        QFile stale(socket);
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    }

    QProcess first;
    first.start(QStringLiteral(CORVANE_BIN_DIR "/Corvane"), {});
    ASSERT_TRUE(first.waitForStarted());
    QElapsedTimer timer;
    timer.start();
    const auto listening = [&] {
        QLocalSocket probe;
        probe.connectToServer(socket);
        return probe.waitForConnected(200);
    };
    while (!listening() && timer.elapsed() < 20000)
        QThread::msleep(100);
    ASSERT_TRUE(listening()) << qPrintable(QString::fromLocal8Bit(first.readAllStandardError()));

    for (int start = 0; start < 2; ++start) {
        const auto second = test::runProgram(QStringLiteral("Corvane"), {}, 20000);
        ASSERT_TRUE(second.finished);
        EXPECT_EQ(second.exitCode, 0);
        EXPECT_TRUE(second.out.isEmpty()) << qPrintable(second.out);
        EXPECT_EQ(second.err, QStringLiteral("Corvane is already running.\n"));
    }
    EXPECT_EQ(first.state(), QProcess::Running);

    first.kill();
    first.waitForFinished();
    EXPECT_FALSE(NamedMutex::exists(QStringLiteral("Corvane.Mutex")));
}

TEST(CorvaneStart, HelpAndUnknownArgumentsAnswerWithoutAWindow)
{
    test::TempProfile profile;
    ASSERT_TRUE(setUpProfile(profile));
    const auto help = test::runProgram(QStringLiteral("Corvane"), {QStringLiteral("--help")}, 10000);
    ASSERT_TRUE(help.finished);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: Corvane"))) << qPrintable(help.out);
    for (const QString& bad : {QStringLiteral("--bogus"), QStringLiteral("stray")}) {
        const auto result = test::runProgram(QStringLiteral("Corvane"), {bad}, 10000);
        ASSERT_TRUE(result.finished) << qPrintable(bad);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(result.err.startsWith(QStringLiteral("Corvane: unknown argument \"%1\"").arg(bad)))
            << qPrintable(result.err);
    }
    EXPECT_FALSE(NamedMutex::exists(QStringLiteral("Corvane.Mutex")));
}

TEST(CorvaneStart, StartsOnANewProfileHoldsItsMutexAndCleansLeftovers)
{
    test::TempProfile profile;
    ASSERT_TRUE(setUpProfile(profile));
    const QString leftover = profile.path(QStringLiteral("Home/Merge.dat"));
    {
        QFile file(leftover);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QProcess corvane;
    corvane.start(QStringLiteral(CORVANE_BIN_DIR "/Corvane"), {});
    ASSERT_TRUE(corvane.waitForStarted());
    QElapsedTimer timer;
    timer.start();
    while (!NamedMutex::exists(QStringLiteral("Corvane.Mutex")) && timer.elapsed() < 10000)
        QThread::msleep(50);
    EXPECT_TRUE(NamedMutex::exists(QStringLiteral("Corvane.Mutex")));
    while (QFile::exists(leftover) && timer.elapsed() < 10000)
        QThread::msleep(50);
    EXPECT_FALSE(QFile::exists(leftover));
    EXPECT_EQ(corvane.state(), QProcess::Running)
        << qPrintable(QString::fromLocal8Bit(corvane.readAllStandardError()));

    corvane.kill();
    corvane.waitForFinished();
    EXPECT_FALSE(NamedMutex::exists(QStringLiteral("Corvane.Mutex")));
}
