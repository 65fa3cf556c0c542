// The command-line programs on a project whose names hold quotes, a
// backslash, "%", "_", "&", tags, an entity, a tab, a line break and
// non-Latin letters: they accept the names as arguments and print them back
// whole, one line per item with its tab-separated fields intact.
#include "core/data/Dataset.h"
#include "core/data/TableDatabase.h"
#include "core/platform/TabFields.h"
#include "core/schedule/TaskSchedule.h"

#include "../HostileSuite.h"
#include "ProgramRunner.h"

#include <gtest/gtest.h>

#include <memory>

using namespace corvane;

namespace {

class hostile_programs : public test::HostileSuite
{
protected:
    static test::ProgramResult run(const char* program, const QStringList& arguments)
    {
        return test::runProgram(QLatin1String(program), arguments, 60000);
    }
};

using TabFields::field;

} // namespace

TEST_F(hostile_programs, CvprojectListsEveryNameOnItsOwnLine)
{
    const test::HostileNames& n = s_fixture->names;
    const auto list = run("cvproject", {QStringLiteral("list")});
    ASSERT_EQ(list.exitCode, 0) << qPrintable(list.err);
    EXPECT_TRUE(list.out.contains(field(n.project) + QStringLiteral("\t20\t") + field(n.urlNames.at(0))
                                  + QStringLiteral("\ttrue\tfalse\n")))
        << qPrintable(list.out);

    const auto urls = run("cvproject", {QStringLiteral("urls"), n.project});
    ASSERT_EQ(urls.exitCode, 0) << qPrintable(urls.err);
    const QStringList lines = urls.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << qPrintable(urls.out);
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(lines.contains(field(n.urlNames.at(i)) + QLatin1Char('\t') + field(n.urls.at(i))
                                   + QStringLiteral("\ttrue")))
            << qPrintable(urls.out);

    const auto terms = run("cvproject", {QStringLiteral("terms"), n.project});
    QStringList expected;
    for (const QString& term : n.terms)
        expected << field(term);
    expected.sort();
    QStringList listed = terms.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    listed.sort();
    EXPECT_EQ(listed, expected);
    const auto engines = run("cvproject", {QStringLiteral("engines"), n.project});
    EXPECT_EQ(engines.out,
              field(n.engines.at(0)) + QLatin1Char('\n') + field(n.engines.at(1)) + QLatin1Char('\n'));
}

TEST_F(hostile_programs, CvprojectTakesTheNamesAsArgumentsAndNamesThemInRefusals)
{
    const test::HostileNames& n = s_fixture->names;
    const QString term = QStringLiteral("third ") + test::HostileNames::core();
    const auto added = run("cvproject", {QStringLiteral("add-term"), n.project, term});
    ASSERT_EQ(added.exitCode, 0) << qPrintable(added.err);
    EXPECT_TRUE(
        run("cvproject", {QStringLiteral("terms"), n.project}).out.contains(field(term) + QLatin1Char('\n')));
    const auto again = run("cvproject", {QStringLiteral("add-term"), n.project, term});
    EXPECT_EQ(again.exitCode, 1);
    const auto removed = run("cvproject", {QStringLiteral("remove-term"), n.project, term});
    EXPECT_EQ(removed.exitCode, 0) << qPrintable(removed.err);

    // a refusal names the project as given, markup and all
    const QString missing = n.project + QStringLiteral("x");
    const auto refused = run("cvproject", {QStringLiteral("urls"), missing});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, QStringLiteral("cvproject: There is no project named \"%1\".\n").arg(missing));
}

TEST_F(hostile_programs, CvcheckAsksForTheTermAndPrintsFiveFieldsPerHit)
{
    const test::HostileNames& n = s_fixture->names;
    const auto check = run("cvcheck",
                           {QStringLiteral("--term"), n.terms.at(0), QStringLiteral("--url"), n.urls.at(0),
                            QStringLiteral("--engine"), n.engines.at(1)});
    ASSERT_EQ(check.exitCode, 0) << qPrintable(check.err);
    const QStringList lines = check.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty()) << qPrintable(check.err);
    for (const QString& line : lines) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        ASSERT_EQ(fields.size(), 5) << qPrintable(line);
        EXPECT_EQ(fields.at(0), field(n.engines.at(1)));
        EXPECT_TRUE(fields.at(4).contains(n.urls.at(0))) << qPrintable(line);
    }
    // the engine was asked for the term as typed: its "&" and "%" encoded
    bool asked = false;
    for (const QString& target : s_fixture->engine.searchTargets())
        asked =
            asked || (target.contains(QStringLiteral("%26amp")) && target.contains(QStringLiteral("%25_")));
    EXPECT_TRUE(asked) << qPrintable(s_fixture->engine.searchTargets().join(QLatin1Char('\n')));

    const auto unknown = run("cvcheck",
                             {QStringLiteral("--term"), n.terms.at(0), QStringLiteral("--url"), n.urls.at(0),
                              QStringLiteral("--engine"), n.engines.at(1) + QStringLiteral("x")});
    EXPECT_NE(unknown.exitCode, 0);
    EXPECT_TRUE(
        unknown.err.contains(QStringLiteral("cvcheck: no engine script named \"%1x\"").arg(n.engines.at(1))))
        << qPrintable(unknown.err);
}

TEST_F(hostile_programs, HarvesterTakesTheNameWithProjectAndRefusesOneItDoesNotKnow)
{
    const test::HostileNames& n = s_fixture->names;
    const QString day = QDate::currentDate().addDays(-3).toString(QStringLiteral("yyyy-MM-dd"));
    const auto mined =
        run("Harvester", {QStringLiteral("--project"), n.project, QStringLiteral("--date"), day});
    EXPECT_EQ(mined.exitCode, 0) << qPrintable(mined.err + mined.out);
    Session session(QStringLiteral("HostileHarvester"));
    Database data(QStringLiteral("HostileHarvester"), &session);
    data.setDirectory(s_fixture->dataFolder);
    data.connect();
    Query rows(&data,
               QStringLiteral("SELECT COUNT(*) AS N FROM CVRank WHERE Project = ")
                   + SqlQuote::quoted(n.project) + QStringLiteral(" AND xDate = ") + SqlQuote::quoted(day));
    rows.open();
    EXPECT_GT(rows.asInteger(QStringLiteral("N")), 0);

    const QString missing = n.project.left(5);
    const auto refused = run("Harvester", {QStringLiteral("--project"), missing});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("There is no project named \"%1\".").arg(missing)))
        << qPrintable(refused.err);
}

TEST_F(hostile_programs, CvscheduleListsATaskOfAProjectWithQuotesAndMarkup)
{
    const test::HostileNames& n = s_fixture->names;
    const QString crontab = s_fixture->path(QStringLiteral("crontab"));
    qputenv("CORVANE_CRONTAB", crontab.toLocal8Bit());
    Session session(QStringLiteral("HostileSchedule"));
    Database data(QStringLiteral("HostileSchedule"), &session);
    data.setDirectory(s_fixture->dataFolder);
    data.connect();
    TaskSchedule schedule(data, QStringLiteral(CORVANE_BIN_DIR "/Harvester"));
    schedule.load();
    // a line break cannot stand in a crontab line: said, not written
    EXPECT_FALSE(
        schedule.save({QStringLiteral("Hostile"), {n.project}, QStringLiteral("30 6 * * 1-5")}).isEmpty());
    // the same name without its tab and line break can
    QString oneLine = n.project;
    oneLine.remove(QLatin1Char('\t')).remove(QLatin1Char('\n'));
    Table projects(&data, QStringLiteral("CVProject"));
    projects.open();
    projects.append();
    projects.setValue(QStringLiteral("Name"), oneLine);
    projects.setValue(QStringLiteral("Depth"), 20);
    projects.post();
    projects.close();
    ASSERT_EQ(schedule.save({QStringLiteral("Hostile"), {oneLine}, QStringLiteral("30 6 * * 1-5")}),
              QString());

    const auto list = run("CVSchedule", {QStringLiteral("--list")});
    qunsetenv("CORVANE_CRONTAB");
    ASSERT_EQ(list.exitCode, 0) << qPrintable(list.err);
    const QStringList fields = list.out.trimmed().split(QLatin1Char('\t'));
    ASSERT_EQ(fields.size(), 3) << qPrintable(list.out);
    EXPECT_EQ(fields.at(0), QStringLiteral("Hostile"));
    EXPECT_EQ(fields.at(2), field(oneLine));
}
