#include "core/platform/NamedMutex.h"

#include "../core/TestSupport.h"
#include "ProgramRunner.h"

#include <QElapsedTimer>
#include <QFile>
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
    NamedMutex running{QStringLiteral("Corvane.Mutex")};
    ASSERT_TRUE(running.isOwned());

    const auto result = test::runProgram(QStringLiteral("Corvane"), {}, 10000);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_EQ(result.err, QStringLiteral("Corvane is already running.\n"));
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
