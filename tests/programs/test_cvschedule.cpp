// CVSchedule as a program: its help, its refusal of unknown arguments and
// the task list it reads from a crontab (here a file through CORVANE_CRONTAB).
#include "../core/TestSupport.h"
#include "ProgramRunner.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

class cvschedule : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("CORVANE_CRONTAB", profile.path(QStringLiteral("crontab")).toUtf8());
        const auto setup =
            test::runProgram(QStringLiteral("corvane-setup"),
                             {QStringLiteral("--profile"), profile.path(QStringLiteral("Home"))});
        ASSERT_EQ(setup.exitCode, 0) << qPrintable(setup.err);
    }
    void TearDown() override { qunsetenv("CORVANE_CRONTAB"); }

    test::TempProfile profile;
};

} // namespace

TEST_F(cvschedule, HelpAndBadArguments)
{
    auto r = test::runProgram(QStringLiteral("CVSchedule"), {QStringLiteral("--help")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Usage: CVSchedule [--list | --help]"))) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains(QStringLiteral("CORVANE_CRONTAB")));

    r = test::runProgram(QStringLiteral("CVSchedule"), {QStringLiteral("--frobnicate")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("CVSchedule: unknown argument \"--frobnicate\"")))
        << qPrintable(r.err);
}

TEST_F(cvschedule, ListsTheMarkedLinesOfTheCrontab)
{
    QFile crontab(profile.path(QStringLiteral("crontab")));
    ASSERT_TRUE(crontab.open(QIODevice::WriteOnly));
    crontab.write(
        "MAILTO=\"\"\n"
        "15 * * * * /usr/bin/true\n"
        "0 3 * * 1,3,5 /opt/corvane/Harvester \"Caf\xc3\xa9 \\\"A&B\\\" O'K\" \"Other\" # Corvane task: "
        "Nightly <b>\n"
        "*/30 * * * * CORVANE_REGISTRY='/home/u/p 2.reg' '/opt/My Corvane/Harvester' \"50\\%\" "
        "# Corvane task: Half-hourly\n"
        "# 0 4 * * * /opt/corvane/Harvester \"Old\" # Corvane task: switched off\n");
    crontab.close();

    const auto r = test::runProgram(QStringLiteral("CVSchedule"), {QStringLiteral("--list")});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out,
              QStringLiteral("Nightly <b>\tMon, Wed, Fri at 03:00\tCafé \"A&B\" O'K, Other\n"
                             "Half-hourly\t*/30 * * * *\t50%\n"));
}

TEST_F(cvschedule, AnUnreadableCrontabIsTold)
{
    qputenv("CORVANE_CRONTAB", profile.path(QStringLiteral("no-such-folder/")).toUtf8());
    QDir().mkpath(profile.path(QStringLiteral("no-such-folder")));
    const auto r = test::runProgram(QStringLiteral("CVSchedule"), {QStringLiteral("--list")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("CVSchedule: Cannot read the crontab file")))
        << qPrintable(r.err);
}
