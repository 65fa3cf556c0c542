// cvproject on a new profile: creating, listing, changing and deleting
// projects and their items, the refusals with their exit status, and the
// cascades with their status texts.
#include "core/platform/MutexNames.h"
#include "core/platform/TabFields.h"

#include "../core/TestSupport.h"
#include "ProgramRunner.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

class cvproject : public ::testing::Test
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

    test::ProgramResult run(const QStringList& arguments)
    {
        return test::runProgram(QStringLiteral("cvproject"), arguments);
    }

    test::TempProfile profile;
};

const QString Name = QStringLiteral("Ñandú\"O'K\\50%");

TEST_F(cvproject, CreatesListsAndChangesAProject)
{
    auto r = run({QStringLiteral("create"), Name, QStringLiteral("--depth"), QStringLiteral("30"),
                  QStringLiteral("--bypass-on-hits"), QStringLiteral("--url"),
                  QStringLiteral("Home=https://www.example.com/a"), QStringLiteral("--url"),
                  QStringLiteral("Shop <b>&=shop.example.com"), QStringLiteral("--key-url"),
                  QStringLiteral("Shop <b>&"), QStringLiteral("--term"), QStringLiteral("crème 'brûlée'"),
                  QStringLiteral("--engine"), QStringLiteral("Corvane Demo")});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
    r = run({QStringLiteral("list")});
    EXPECT_EQ(r.exitCode, 0);
    // a backslash in a listed name is written doubled
    EXPECT_TRUE(r.out.contains(TabFields::field(Name) + QStringLiteral("\t30\tShop <b>&\ttrue\ttrue\n")))
        << qPrintable(r.out);
    r = run({QStringLiteral("urls"), Name});
    EXPECT_EQ(r.out, QStringLiteral("Home\texample.com/a\tfalse\nShop <b>&\tshop.example.com\tfalse\n"));
    r = run({QStringLiteral("terms"), Name});
    EXPECT_EQ(r.out, QStringLiteral("crème 'brûlée'\n"));
    r = run({QStringLiteral("engines"), Name});
    EXPECT_EQ(r.out, QStringLiteral("Corvane Demo\n"));

    r = run({QStringLiteral("add-url"), Name, QStringLiteral("Blog"), QStringLiteral("blog.example.com"),
             QStringLiteral("--any-match")});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    r = run({QStringLiteral("rename-url"), Name, QStringLiteral("Shop <b>&"), QStringLiteral("Store")});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.out.endsWith(QLatin1String("Done updating Shop <b>&\n"))) << qPrintable(r.out);
    r = run({QStringLiteral("list")});
    EXPECT_TRUE(r.out.contains(TabFields::field(Name) + QStringLiteral("\t30\tStore\t")))
        << "the key URL follows its new name";

    r = run(
        {QStringLiteral("rename-term"), Name, QStringLiteral("crème 'brûlée'"), QStringLiteral("tea\\pot")});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_EQ(run({QStringLiteral("terms"), Name}).out, QStringLiteral("tea\\\\pot\n"));

    r = run({QStringLiteral("rename"), Name, QStringLiteral("Renamed")});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.out.contains(QLatin1String("Updating CVURL table")));
    EXPECT_TRUE(r.out.endsWith(QLatin1String("Done\n")));
    EXPECT_EQ(run({QStringLiteral("urls"), QStringLiteral("Renamed")}).out.count(QLatin1Char('\n')), 3);

    r = run({QStringLiteral("remove-engine"), QStringLiteral("Renamed"), QStringLiteral("Corvane Demo")});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_EQ(run({QStringLiteral("engines"), QStringLiteral("Renamed")}).out, QString());

    r = run({QStringLiteral("delete"), QStringLiteral("Renamed")});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_FALSE(run({QStringLiteral("list")}).out.contains(QLatin1String("Renamed")));
}

TEST_F(cvproject, RefusesWithAReasonAndStatusOne)
{
    ASSERT_EQ(run({QStringLiteral("create"), QStringLiteral("Alpha")}).exitCode, 0);
    const std::pair<QStringList, const char*> refusals[] = {
        {{QStringLiteral("create"), QStringLiteral("Alpha")}, "Duplicate project name found."},
        {{QStringLiteral("create"), QStringLiteral("1st")}, "Cannot start with a non-alpha character"},
        {{QStringLiteral("create"), QStringLiteral("My site")}, "Space character may not be used"},
        {{QStringLiteral("create"), QString(33, QLatin1Char('a'))}, "longer than 32 characters"},
        {{QStringLiteral("create"), QString()}, "Project name cannot be blank."},
        {{QStringLiteral("urls"), QStringLiteral("Nobody")}, "There is no project named \"Nobody\"."},
        {{QStringLiteral("rename"), QStringLiteral("Alpha"), QStringLiteral("9lives")},
         "Cannot start with a non-alpha character"},
        {{QStringLiteral("add-term"), QStringLiteral("Alpha"), QString()}, "Search Term cannot be blank."},
        {{QStringLiteral("add-url"), QStringLiteral("Alpha"), QString(), QStringLiteral("x.com")},
         "URL Name cannot be blank."},
        {{QStringLiteral("add-engine"), QStringLiteral("Alpha"), QStringLiteral("No Such")},
         "There is no search engine named \"No Such\"."},
        {{QStringLiteral("create"), QStringLiteral("Beta"), QStringLiteral("--depth"), QStringLiteral("0")},
         "--depth must be a whole number from 1 to 9999"},
        {{QStringLiteral("frobnicate")}, "unknown command"},
    };
    for (const auto& [arguments, reason] : refusals) {
        const auto r = run(arguments);
        EXPECT_EQ(r.exitCode, 1) << qPrintable(arguments.join(QLatin1Char(' ')));
        EXPECT_TRUE(r.err.contains(QLatin1String(reason))) << qPrintable(r.err);
    }
    ASSERT_EQ(run({QStringLiteral("add-url"), QStringLiteral("Alpha"), QStringLiteral("A"),
                   QStringLiteral("a.com")})
                  .exitCode,
              0);
    auto r = run({QStringLiteral("add-url"), QStringLiteral("Alpha"), QStringLiteral("B"),
                  QStringLiteral("http://www.a.com")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QLatin1String("Duplicate URL found."))) << qPrintable(r.err);
    EXPECT_EQ(run({QStringLiteral("list")}).out, QStringLiteral("Alpha\t50\tA\ttrue\tfalse\n"));
    EXPECT_EQ(run({QStringLiteral("--help")}).exitCode, 0);
}

TEST_F(cvproject, ChangesWaitForNoHarvesterSession)
{
    ASSERT_EQ(run({QStringLiteral("create"), QStringLiteral("Alpha")}).exitCode, 0);
    QProcess session;
    session.start(QStringLiteral(MUTEX_HOLDER_PATH), {QLatin1String(MutexNames::NoCV)});
    ASSERT_TRUE(session.waitForReadyRead(10000));
    ASSERT_EQ(session.readAll().trimmed(), QByteArray("held"));
    auto r = run({QStringLiteral("delete"), QStringLiteral("Alpha")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(
        r.err.contains(QLatin1String("cvproject is unavailable while Harvester is running a session.")))
        << qPrintable(r.err);
    r = run({QStringLiteral("list")});
    EXPECT_EQ(r.exitCode, 0) << "reading needs no guard";
    EXPECT_EQ(r.out, QStringLiteral("Alpha\t50\t\ttrue\tfalse\n"));
    session.kill();
    session.waitForFinished();
    EXPECT_EQ(run({QStringLiteral("delete"), QStringLiteral("Alpha")}).exitCode, 0);
}

TEST_F(cvproject, ATableErrorIsStatusTwo)
{
    ASSERT_EQ(run({QStringLiteral("create"), QStringLiteral("Alpha")}).exitCode, 0);
    QFile table(profile.path(QStringLiteral("Home/Data/CVST.dat")));
    ASSERT_TRUE(table.open(QIODevice::WriteOnly | QIODevice::Truncate));
    table.write("this is not a table file, nor anything else");
    table.close();
    const auto r = run({QStringLiteral("terms"), QStringLiteral("Alpha")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QLatin1String("CVST"))) << qPrintable(r.err);
}

} // namespace
