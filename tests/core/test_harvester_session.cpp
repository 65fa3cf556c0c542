// Harvester's command line and the rows a session writes, on real table files.
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/harvest/HarvestCommandLine.h"
#include "core/harvest/SessionJournal.h"
#include "core/harvest/SessionRecord.h"
#include "core/platform/Registry.h"
#include "core/settings/ProfileSetup.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

ProjectPlan twoUrlPlan()
{
    ProjectPlan plan;
    plan.name = QStringLiteral("P");
    plan.depth = 20;
    plan.keyUrl = QStringLiteral("Mine");
    plan.fullUrlData = true;
    plan.urls = {{QStringLiteral("Mine"), QStringLiteral("mine.example"), true},
                 {QStringLiteral("Rival"), QStringLiteral("rival.example"), true}};
    plan.terms = {QStringLiteral("alpha"), QStringLiteral("beta")};
    EngineScript a, b;
    a.Name = QStringLiteral("EngineA");
    b.Name = QStringLiteral("EngineB");
    plan.engines = {a, b};
    return plan;
}

TermCheck check(const QString& engine, const QString& term, QList<CheckHit> hits,
                EngineEnd end = EngineEnd::Depth)
{
    TermCheck c;
    c.engine = engine;
    c.term = term;
    c.end = end;
    c.lastRecord = end == EngineEnd::Failed ? 10 : 20;
    c.hits = std::move(hits);
    return c;
}

QList<QVariantList> rowsOfType(const SessionRows& rows, const QString& type)
{
    QList<QVariantList> found;
    for (const QVariantList& row : rows.summary) {
        if (row.at(2).toString() == type)
            found << row;
    }
    return found;
}

} // namespace

TEST(harvester_command_line, ProjectsOptionsAndMistakes)
{
    HarvestCommandLine line =
        HarvestCommandLine::parse({QStringLiteral("\"Alpha\" \"Beta\""), QStringLiteral("Gamma")});
    EXPECT_TRUE(line.error.isEmpty());
    EXPECT_TRUE(line.headless());
    EXPECT_EQ(line.request.projects,
              (QStringList{QStringLiteral("Alpha"), QStringLiteral("Beta"), QStringLiteral("Gamma")}));

    line = HarvestCommandLine::parse(
        {QStringLiteral("--all"), QStringLiteral("--date"), QStringLiteral("2026-03-04")});
    EXPECT_TRUE(line.error.isEmpty());
    EXPECT_TRUE(line.request.all);
    EXPECT_EQ(line.request.date, QDate(2026, 3, 4));

    EXPECT_FALSE(HarvestCommandLine::parse({}).headless());
    EXPECT_TRUE(HarvestCommandLine::parse({QStringLiteral("--help")}).help);
    EXPECT_TRUE(HarvestCommandLine::parse({QStringLiteral("--version")}).version);
    EXPECT_FALSE(HarvestCommandLine::parse({QStringLiteral("--all"), QStringLiteral("--date=2026-13-01")})
                     .error.isEmpty());
    EXPECT_FALSE(
        HarvestCommandLine::parse({QStringLiteral("--date"), QStringLiteral("2026-01-01")}).error.isEmpty());
    EXPECT_FALSE(HarvestCommandLine::parse({QStringLiteral("--all"), QStringLiteral("A")}).error.isEmpty());
    EXPECT_FALSE(HarvestCommandLine::parse({QStringLiteral("--fast")}).error.isEmpty());
}

TEST(harvester_command_line, EveryNameAProjectCanHaveAndNoBlankOne)
{
    // One argument is one name, blanks, quotes, backslashes and all.
    const QString odd =
        QStringLiteral("Say \"hi\" & <b>caf\u00e9\\ \u041c\u043e\u0441\u043a\u0432\u0430</b>");
    HarvestCommandLine line = HarvestCommandLine::parse(
        {QStringLiteral("My Project"), odd, QStringLiteral("\"Quoted Name\" \"Two\""),
         QStringLiteral("--project"), QStringLiteral("\"-dashed\""), QStringLiteral("--project=-x")});
    EXPECT_TRUE(line.error.isEmpty()) << qPrintable(line.error);
    EXPECT_TRUE(line.headless());
    EXPECT_EQ(line.request.projects,
              (QStringList{QStringLiteral("My Project"), odd, QStringLiteral("Quoted Name"),
                           QStringLiteral("Two"), QStringLiteral("\"-dashed\""), QStringLiteral("-x")}));

    // An empty variable in a scheduled command: an error, never the window.
    for (const QString& blank :
         {QString(), QStringLiteral("  "), QStringLiteral("\"\""), QStringLiteral("\" \"")}) {
        line = HarvestCommandLine::parse({blank});
        EXPECT_TRUE(line.error.contains(QLatin1String("blank project name"))) << qPrintable(blank);
    }
    EXPECT_FALSE(HarvestCommandLine::parse({QStringLiteral("--project"), QString()}).error.isEmpty());
    EXPECT_TRUE(HarvestCommandLine::usage().contains(QLatin1String("--project NAME")));
}

TEST(harvester_command_line, DatesOnlyWithinTenYearsBackAndTomorrow)
{
    const QDate today(2026, 6, 15);
    const auto error = [&](const QString& date) {
        return HarvestCommandLine::parse({QStringLiteral("--all"), QStringLiteral("--date"), date}, today)
            .error;
    };
    EXPECT_TRUE(error(QStringLiteral("2026-06-16")).isEmpty());
    EXPECT_TRUE(error(QStringLiteral("2016-06-15")).isEmpty());
    EXPECT_EQ(error(QStringLiteral("9999-12-31")),
              QStringLiteral("--date 9999-12-31 lies outside 2016-06-15 to 2026-06-16"));
    EXPECT_FALSE(error(QStringLiteral("2026-06-17")).isEmpty());
    EXPECT_FALSE(error(QStringLiteral("2016-06-14")).isEmpty());
    EXPECT_FALSE(error(QStringLiteral("0001-01-01")).isEmpty());
}

TEST(harvester_session_rows, ChangesAgainstThePreviousSessionUseDepthPlusOneForNotFound)
{
    const ProjectPlan plan = twoUrlPlan();
    PreviousSession previous;
    previous.date = QDate(2026, 1, 1);
    previous.best.insert(
        PreviousSession::key(QStringLiteral("EngineA"), QStringLiteral("alpha"), QStringLiteral("Mine")), 5);
    previous.best.insert(
        PreviousSession::key(QStringLiteral("EngineA"), QStringLiteral("alpha"), QStringLiteral("Rival")), 9);
    previous.best.insert(
        PreviousSession::key(QStringLiteral("EngineB"), QStringLiteral("beta"), QStringLiteral("Rival")), 4);

    const QList<TermCheck> checks = {
        check(QStringLiteral("EngineA"), QStringLiteral("alpha"),
              {{0, 3, 1, QStringLiteral("http://mine.example/")},
               {0, 12, 2, QStringLiteral("http://mine.example/b")},
               {1, 9, 1, QStringLiteral("http://rival.example/")}}),
        check(QStringLiteral("EngineA"), QStringLiteral("beta"),
              {{1, 14, 2, QStringLiteral("http://rival.example/")}}),
        check(QStringLiteral("EngineB"), QStringLiteral("alpha"), {}),
        // failed: the Rival that ranked 4 last time must not show as lost
        check(QStringLiteral("EngineB"), QStringLiteral("beta"), {}, EngineEnd::Failed),
    };
    const SessionRows rows = SessionRows::build(plan, checks, QDate(2026, 1, 2), previous,
                                                QDateTime(QDate(2026, 1, 2), QTime(6, 0)));

    EXPECT_EQ(rows.rank.size(), 4);
    EXPECT_EQ(rows.rank.first().at(7).toString(), QStringLiteral("http://mine.example/"));
    // Mine on EngineA/alpha 5 -> 3 (gain 2); Rival on EngineA/beta new at 14: (20+1) - 14 = 7.
    ASSERT_EQ(rows.hilo.size(), 2);
    EXPECT_EQ(rows.hilo.at(0),
              (QVariantList{QStringLiteral("P"), QStringLiteral("2026-01-02"), QStringLiteral("Mine"),
                            QStringLiteral("EngineA"), QStringLiteral("alpha"), 5, 3, 2}));
    EXPECT_EQ(rows.hilo.at(1),
              (QVariantList{QStringLiteral("P"), QStringLiteral("2026-01-02"), QStringLiteral("Rival"),
                            QStringLiteral("EngineA"), QStringLiteral("beta"), 0, 14, 7}));

    ASSERT_EQ(rows.engine.size(), 4);
    EXPECT_EQ(rows.engine.at(3),
              (QVariantList{QStringLiteral("P"), QStringLiteral("EngineB"), QStringLiteral("beta"), 10, 20,
                            false}));
    EXPECT_EQ(rows.engine.at(0).at(5), QVariant(true));

    const QList<QVariantList> top = rowsOfType(rows, QStringLiteral("TopSE"));
    ASSERT_EQ(top.size(), 1);
    EXPECT_EQ(top.first().at(6), QVariant(3));
    EXPECT_TRUE(rowsOfType(rows, QStringLiteral("New")).isEmpty()); // Mine ranked there before
    ASSERT_EQ(rowsOfType(rows, QStringLiteral("PR1")).size(), 1);
    const QList<QVariantList> sat = rowsOfType(rows, QStringLiteral("SAT"));
    ASSERT_EQ(sat.size(), 2);
    EXPECT_EQ(sat.at(0).at(3).toString(), QStringLiteral("EngineA"));
    EXPECT_EQ(sat.at(0).at(6), QVariant(1));
    EXPECT_EQ(sat.at(1).at(6), QVariant(0));

    // EngineB found nothing on its completed check; every term and URL had a hit.
    ASSERT_EQ(rows.notable.size(), 1);
    EXPECT_EQ(rows.notable.first().at(5).toString(),
              QStringLiteral("Project: P\r\nSearch Engines:\r\nEngineB"));
}

TEST(harvester_session_rows, AFirstSessionHasNoChangesAndEveryKeyFindIsNew)
{
    const ProjectPlan plan = twoUrlPlan();
    const QList<TermCheck> checks = {
        check(QStringLiteral("EngineA"), QStringLiteral("alpha"), {{0, 13, 2, {}}}),
        check(QStringLiteral("EngineA"), QStringLiteral("beta"), {}, EngineEnd::LastPage),
    };
    const SessionRows rows =
        SessionRows::build(plan, checks, QDate(2026, 1, 2), {}, QDateTime::currentDateTime());
    EXPECT_TRUE(rows.hilo.isEmpty());
    EXPECT_EQ(rowsOfType(rows, QStringLiteral("New")).size(), 1);
    EXPECT_TRUE(rowsOfType(rows, QStringLiteral("PR1")).isEmpty());
    EXPECT_EQ(rows.notable.first().at(5).toString(),
              QStringLiteral("Project: P\r\nSearch Terms:\r\nbeta\r\nURLs:\r\nRival"));
}

class harvester_session_tables : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Registry registry;
        ProfileSetup setup(registry, profile.path(QStringLiteral("Home")));
        ASSERT_TRUE(setup.run()) << qPrintable(setup.error());
        general.setDirectory(setup.dataFolder());
        general.connect();
        Query(&general,
              QStringLiteral("INSERT INTO CVProject (Name, Depth, KeyURL) VALUES ('P', 20, 'Mine')"))
            .execSql();
    }

    int count(const QString& sql)
    {
        Query query(&general, sql);
        query.open();
        return query.asInteger(QStringLiteral("N"));
    }

    SessionRows session(const QDate& day, int rank, const QDate& lastRun = {})
    {
        ProjectPlan plan = twoUrlPlan();
        plan.lastRun = lastRun;
        return SessionRows::build(
            plan, {check(QStringLiteral("EngineA"), QStringLiteral("alpha"), {{0, rank, 1, {}}})}, day, {},
            QDateTime(day, QTime(6, 0)));
    }

    test::TempProfile profile;
    Session dbSession{QStringLiteral("T")};
    Database general{QStringLiteral("T"), &dbSession};
};

TEST_F(harvester_session_tables, WritingASessionTwiceEqualsWritingItOnce)
{
    const SessionRows rows = session(QDate(2026, 2, 1), 4);
    rows.apply(general);
    rows.apply(general);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) AS N FROM CVRank")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) AS N FROM CVEngine")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) AS N FROM Summary WHERE Type = 'SAT'")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) AS N FROM CVNotable")), 1);
    Query last(&general, QStringLiteral("SELECT LastRun FROM CVProject"));
    last.open();
    EXPECT_EQ(last.value(QStringLiteral("LastRun")).toDateTime(), QDateTime(QDate(2026, 2, 1), QTime(6, 0)));
}

TEST_F(harvester_session_tables, ABackFilledDayKeepsTheLatestSessionsLists)
{
    session(QDate(2026, 2, 10), 4).apply(general);
    // An older day, mined after the newer one.
    const SessionRows older = session(QDate(2026, 2, 3), 7, QDate(2026, 2, 10));
    EXPECT_FALSE(older.latest);
    older.apply(general);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) AS N FROM CVRank")), 2);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) AS N FROM Summary WHERE Type = 'PR1' AND Rank = 4")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) AS N FROM Summary WHERE Type = 'PR1'")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) AS N FROM Summary WHERE Type = 'TopSE'")), 2);
    Query last(&general, QStringLiteral("SELECT LastRun FROM CVProject"));
    last.open();
    EXPECT_EQ(last.value(QStringLiteral("LastRun")).toDateTime().date(), QDate(2026, 2, 10));
}

TEST_F(harvester_session_tables, AJournalReadsBackAsTheRowsItHolds)
{
    const SessionRows rows = session(QDate(2026, 2, 1), 4);
    const QString path = SessionJournal::pathFor(general.directory(), QStringLiteral("P/x"), rows.date);
    EXPECT_TRUE(path.endsWith(QLatin1String("Harvester-P%2Fx-2026-02-01.journal"))) << qPrintable(path);
    QString error;
    ASSERT_TRUE(SessionJournal::write(path, rows, &error)) << qPrintable(error);
    EXPECT_EQ(SessionJournal::pending(general.directory()), QStringList{path});
    SessionRows read;
    ASSERT_TRUE(SessionJournal::read(path, &read));
    EXPECT_EQ(read.project, rows.project);
    EXPECT_EQ(read.rank, rows.rank);
    EXPECT_EQ(read.engine, rows.engine);
    EXPECT_EQ(read.notable, rows.notable);
    EXPECT_DOUBLE_EQ(read.lastRun, rows.lastRun);
}

TEST(harvester_throttle, ThrottleAndTheAdvancedSchedule)
{
    SettingsRecord settings;
    settings.Throttle = 3;
    EXPECT_EQ(ThrottleFactor(settings, {}, QTime(10, 0)), 3);
    settings.Throttle = 40;
    EXPECT_EQ(ThrottleFactor(settings, {}, QTime(10, 0)), 10);
    settings.AdvThrottle = true;
    QStringList hours;
    for (int h = 0; h < 24; ++h)
        hours << QString::number(h < 8 ? 1 : 5);
    EXPECT_EQ(ThrottleFactor(settings, hours.join(QLatin1Char(',')), QTime(3, 0)), 1);
    EXPECT_EQ(ThrottleFactor(settings, hours.join(QLatin1Char(',')), QTime(12, 0)), 5);
    EXPECT_EQ(ThrottleFactor(settings, QStringLiteral("2,2"), QTime(12, 0)), 10); // damaged: Throttle
}
