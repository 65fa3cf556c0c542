// The query builder's statements, saved queries and the read-only grid query,
// search engine information and the script check, on real table files of a
// fresh profile.
#include "core/data/Dataset.h"
#include "core/data/FieldCodec.h"
#include "core/datamodule/DM1.h"
#include "core/query/EngineInformation.h"
#include "core/query/QueryStatement.h"
#include "core/query/ReadOnlyStatement.h"
#include "core/query/SavedQueries.h"
#include "core/query/ScriptCheck.h"
#include "core/settings/ProfileSetup.h"

#include "TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <stdexcept>

using namespace corvane;
using namespace corvane::QueryStatement;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

const QString Project = s("O'Brien \"Bäckerei\" & <b>");
const QString OtherProject = s("Zürich");
const QStringList Engines{s("Demo Engine 1"), s("Müller's \"Suche\""), s("Engine <b>&")};
const QStringList Terms{s("sourdough bread"), s("O'Reilly \"books\""), s("café crème")};
const QStringList Urls{s("Home"), s("Rival & Co"), s("Ünïcode")};

// A profile with every table and rank rows of two projects over 40 days up to today.
class query_builder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Registry registry(profile.registryPath());
        ProfileSetup setup(registry, profile.path(s("Home")));
        ASSERT_TRUE(setup.run()) << qPrintable(setup.error());
        dm.setMessagePresenter(
            [](MessageButtons, const QString&, const QString&, const QString&) { return MessageAnswer::Ok; });
        dm.LoadSettings();
        dm.OpenDatabases();
        folder = dm.Settings.DataFolder;

        sqlite3* db = openRank();
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db,
                           "INSERT INTO CVRank (Project, SearchEngine, SearchTerm, URL, Rank, Page, xDate, "
                           "FoundLink) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
                           -1, &insert, nullptr);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        int n = 0;
        for (int day = 0; day < 40; ++day) {
            const QByteArray date = QDate::currentDate().addDays(-day).toString(Qt::ISODate).toUtf8();
            for (int e = 0; e < Engines.size(); ++e)
                for (int t = 0; t < Terms.size(); ++t)
                    for (int u = 0; u < Urls.size(); ++u, ++n) {
                        const QString project = (n % 7 == 0) ? OtherProject : Project;
                        const int rank = 1 + (n * 13 + day) % 60;
                        bindText(insert, 1, project);
                        bindText(insert, 2, Engines.at(e));
                        bindText(insert, 3, Terms.at(t));
                        bindText(insert, 4, Urls.at(u));
                        sqlite3_bind_int(insert, 5, rank);
                        sqlite3_bind_int(insert, 6, (rank + 9) / 10);
                        sqlite3_bind_text(insert, 7, date.constData(), -1, SQLITE_TRANSIENT);
                        bindText(insert, 8, s("https://example.com/") + QString::number(n));
                        EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE);
                        sqlite3_reset(insert);
                    }
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_finalize(insert);
        sqlite3_close(db);
    }

    void TearDown() override { dm.CloseDatabases(); }

    static void bindText(sqlite3_stmt* statement, int index, const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }

    sqlite3* openRank() const
    {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open_v2(QFile::encodeName(folder + s("CVRank.dat")).constData(), &db,
                                  SQLITE_OPEN_READWRITE, nullptr),
                  SQLITE_OK);
        return db;
    }

    // The rows of plain SQLite SQL over CVRank with bound texts, each row
    // joined with "|", sorted when the order does not matter.
    QStringList plainRows(const char* sql, const QStringList& texts, bool keepOrder = false) const
    {
        sqlite3* db = openRank();
        sqlite3_stmt* statement = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql, -1, &statement, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        for (int i = 0; i < texts.size(); ++i)
            bindText(statement, i + 1, texts.at(i));
        QStringList rows;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QStringList cells;
            for (int c = 0; c < sqlite3_column_count(statement); ++c)
                cells << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, c)));
            rows << cells.join(QLatin1Char('|'));
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        if (!keepOrder)
            rows.sort();
        return rows;
    }

    QStringList builtRows(const QString& sql, bool keepOrder = false)
    {
        ReadOnlyStatement::check(dm.General, sql);
        Query query(&dm.General, sql);
        query.open();
        QStringList rows;
        for (query.first(); !query.eof(); query.next()) {
            QStringList cells;
            for (const FieldDef& field : query.fields()) {
                const QVariant value = query.value(field.name);
                cells << (value.typeId() == QMetaType::QDate ? value.toDate().toString(Qt::ISODate)
                                                             : value.toString());
            }
            rows << cells.join(QLatin1Char('|'));
        }
        if (!keepOrder)
            rows.sort();
        return rows;
    }

    QMap<QString, QByteArray> tableFileHashes() const
    {
        QMap<QString, QByteArray> hashes;
        for (const QString& name : QDir(folder).entryList({s("*.dat")}, QDir::Files)) {
            QFile file(folder + name);
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            hashes.insert(name, QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256));
        }
        return hashes;
    }

    test::TempProfile profile;
    TDM1 dm{Registry(profile.registryPath())};
    QString folder;
};

Choice choiceOf(QStringList fields = {}, QString conditions = {}, QStringList orderBy = {},
                bool ascending = true)
{
    Choice c;
    c.project = Project;
    c.fields = std::move(fields);
    c.conditions = std::move(conditions);
    c.orderBy = std::move(orderBy);
    c.ascending = ascending;
    return c;
}

} // namespace

TEST(query_statement, BothFormsOfTheStatement)
{
    Choice c;
    c.project = s("Bakery");
    EXPECT_EQ(shownSql(c), s("SELECT * FROM CvRank WHERE (Project = \"Bakery\") "));
    EXPECT_EQ(exportSql(c),
              s("SELECT URL, SearchEngine, SearchTerm, Rank, Page, xDate, Project, FoundLink AS "
                "MemoFoundLink INTO \"CVReportTemp\" FROM CvRank WHERE (Project = \"Bakery\") "));

    c.fields = {s("Rank"), s("FoundLink"), s("URL")};
    c.conditions = s("  Rank <= 10 \r\n");
    c.orderBy = {s("Rank"), s("URL")};
    c.ascending = false;
    EXPECT_EQ(shownSql(c),
              s("SELECT Rank, FoundLink AS MemoFoundLink, URL FROM CvRank WHERE (Project = \"Bakery\") "
                "AND (Rank <= 10) ORDER BY Rank DESC, URL DESC"));
    EXPECT_EQ(exportSql(c),
              s("SELECT Rank, FoundLink AS MemoFoundLink, URL INTO \"CVReportTemp\" FROM CvRank WHERE "
                "(Project = \"Bakery\") AND (Rank <= 10) ORDER BY Rank DESC, URL DESC"));

    // A condition text whose END was never clicked goes in unchanged.
    c.conditions = s("Rank = 1 \r\nAND ");
    EXPECT_TRUE(shownSql(c).contains(s("AND (Rank = 1 \r\nAND) ")));
    // A project name with quotes stays one literal.
    c.project = s("Say \"hi\"");
    EXPECT_TRUE(shownSql(c).contains(s("WHERE (Project = \"Say \"\"hi\"\"\") ")));
    EXPECT_EQ(limited(s("SELECT * FROM CvRank")), s("SELECT * FROM CvRank TOP 3000"));
}

TEST(query_statement, ConditionPiecesOfEveryLine)
{
    ConditionValue v;
    v.op = s("<>");
    v.text = s("O'Reilly \"books\"");
    EXPECT_EQ(conditionPiece(ConditionLine::SearchTerm, v, Joiner::And),
              s("SearchTerm <> \"O'Reilly \"\"books\"\"\" \r\nAND "));
    v.op = s("=");
    v.text = s("Home");
    EXPECT_EQ(conditionPiece(ConditionLine::Url, v, Joiner::Or), s("URL = \"Home\" \r\nOR "));
    EXPECT_EQ(conditionPiece(ConditionLine::SearchEngine, v, Joiner::End), s("SearchEngine = \"Home\" \r\n"));
    v.op = s(">=");
    v.number = 10;
    EXPECT_EQ(conditionPiece(ConditionLine::Rank, v, Joiner::End), s("Rank >= 10 \r\n"));
    EXPECT_EQ(conditionPiece(ConditionLine::Page, v, Joiner::And), s("Page >= 10 \r\nAND "));
    v.op = s("<");
    v.first = QDate(2026, 3, 4);
    v.second = QDate(2026, 4, 5);
    EXPECT_EQ(conditionPiece(ConditionLine::Date, v, Joiner::End), s("xDate < \"2026-03-04\" \r\n"));
    EXPECT_EQ(conditionPiece(ConditionLine::DateBetween, v, Joiner::End),
              s("xDate BETWEEN \"2026-03-04\" AND \"2026-04-05\" \r\n"));
    v.number = 30;
    EXPECT_EQ(conditionPiece(ConditionLine::FromCurrentDate, v, Joiner::End),
              s("xDate >= CURRENT_DATE - 30 \r\n"));
    v.op = s("; DROP");
    EXPECT_THROW(conditionPiece(ConditionLine::Rank, v, Joiner::End), std::invalid_argument);
}

TEST(query_statement, TheRowLimitsOfTheGrid)
{
    EXPECT_FALSE(asksToLimit(3000));
    EXPECT_TRUE(asksToLimit(3001));
    EXPECT_TRUE(sizesColumns(1000));
    EXPECT_FALSE(sizesColumns(1001));
    EXPECT_EQ(limitQuestion(3001),
              s("<P align=\"center\">3001 records in results.<BR>Updating the query may be time "
                "consuming.<BR>Do you wish to limit the results to 3,000 records?</P>"));
}

TEST_F(query_builder, EveryBuiltStatementReturnsTheRowsOfThePlainQuestion)
{
    const auto piece = [](ConditionLine line, const ConditionValue& v, Joiner j) {
        return conditionPiece(line, v, j);
    };
    ConditionValue engine;
    engine.text = Engines.at(1);
    ConditionValue term;
    term.op = s("<>");
    term.text = Terms.at(1);
    ConditionValue url;
    url.text = Urls.at(2);
    ConditionValue rank;
    rank.op = s("<=");
    rank.number = 20;
    ConditionValue page;
    page.op = s(">");
    page.number = 3;
    ConditionValue day;
    day.op = s(">=");
    day.first = QDate::currentDate().addDays(-5);
    ConditionValue between;
    between.first = QDate::currentDate().addDays(-20);
    between.second = QDate::currentDate().addDays(-10);
    ConditionValue recent;
    recent.number = 3;

    const QString all = s("SELECT SearchEngine, SearchTerm, URL, Rank, Page, xDate, FoundLink FROM CVRank "
                          "WHERE Project = ?1");
    // No condition: every row of the project, every field.
    EXPECT_EQ(
        builtRows(shownSql(choiceOf())),
        plainRows("SELECT Project, SearchEngine, SearchTerm, URL, Rank, Page, xDate, FoundLink FROM CVRank "
                  "WHERE Project = ?1",
                  {Project}));
    EXPECT_EQ(plainRows(all.toUtf8().constData(), {Project}).size(),
              40 * 27 - plainRows("SELECT 1 FROM CVRank WHERE Project = ?1", {OtherProject}).size());

    const QStringList fields = rankFields();
    struct Case
    {
        QString conditions;
        const char* plain;
        QStringList texts;
    };
    const QList<Case> cases{
        {piece(ConditionLine::SearchEngine, engine, Joiner::And)
             + piece(ConditionLine::Rank, rank, Joiner::End),
         "AND SearchEngine = ?2 AND Rank <= 20",
         {Engines.at(1)}},
        {piece(ConditionLine::SearchTerm, term, Joiner::Or) + piece(ConditionLine::Page, page, Joiner::End),
         "AND (SearchTerm <> ?2 OR Page > 3)",
         {Terms.at(1)}},
        {piece(ConditionLine::Url, url, Joiner::And) + piece(ConditionLine::Date, day, Joiner::End),
         "AND URL = ?2 AND xDate >= date('now', 'localtime', '-5 days')",
         {Urls.at(2)}},
        {piece(ConditionLine::DateBetween, between, Joiner::End),
         "AND xDate BETWEEN date('now', 'localtime', '-20 days') AND date('now', 'localtime', '-10 days')",
         {}},
        {piece(ConditionLine::FromCurrentDate, recent, Joiner::And)
             + piece(ConditionLine::SearchTerm, term, Joiner::End),
         "AND xDate >= date('now', 'localtime', '-3 days') AND SearchTerm <> ?2",
         {Terms.at(1)}},
    };
    for (const Case& c : cases) {
        const QByteArray plain = (all + QLatin1Char(' ') + QLatin1String(c.plain)).toUtf8();
        const QStringList expected = plainRows(plain.constData(), QStringList{Project} + c.texts);
        EXPECT_FALSE(expected.isEmpty()) << c.plain;
        EXPECT_EQ(builtRows(shownSql(choiceOf(fields, c.conditions))), expected) << qPrintable(c.conditions);
    }

    // Sorting: the order of the built statement is the order of the plain one;
    // "Descending" sorts every sort field descending.
    const QString sorted =
        shownSql(choiceOf({s("URL"), s("Rank"), s("xDate")}, {}, {s("Rank"), s("xDate")}, false));
    const QStringList expected = plainRows("SELECT URL, Rank, xDate FROM CVRank WHERE Project = ?1 "
                                           "ORDER BY Rank DESC, xDate DESC",
                                           {Project}, true);
    const QStringList built = builtRows(sorted, true);
    ASSERT_EQ(built.size(), expected.size());
    for (int i = 0; i < built.size(); ++i)
        EXPECT_EQ(built.at(i).section(QLatin1Char('|'), 1, 1),
                  expected.at(i).section(QLatin1Char('|'), 1, 1));

    // The export form copies the same rows into the report table.
    Query into(&dm.General, exportSql(choiceOf(fields, cases.first().conditions)));
    EXPECT_EQ(into.execSql(), builtRows(shownSql(choiceOf(fields, cases.first().conditions))).size());

    // TOP n keeps the first n rows; TOP 3000 keeps a smaller result whole.
    EXPECT_EQ(builtRows(shownSql(choiceOf()) + s(" TOP 100")).size(), 100);
    EXPECT_EQ(builtRows(limited(s("SELECT * FROM CvRank"))).size(), 40 * 27);
}

TEST_F(query_builder, StatementsThatWouldChangeDataAreRefusedAndNoTableChanges)
{
    dm.CloseDatabases();
    dm.OpenDatabases();
    const QMap<QString, QByteArray> before = tableFileHashes();
    ASSERT_TRUE(before.contains(s("CVRank.dat")));
    const QStringList refused{
        s("DELETE FROM CvRank"),
        s("UPDATE CvRank SET Rank = 1"),
        s("DROP TABLE CvRank"),
        s("INSERT INTO CvRank (Project) VALUES (\"x\")"),
        s("ATTACH DATABASE \"") + folder + s("Evil.dat\" AS evil"),
        s("SELECT * INTO \"Evil\" FROM CvRank"),
        s("WITH doomed AS (SELECT 1) DELETE FROM CvRank"),
        s("DELETE FROM CvRank WHERE (Project = \"x\") RETURNING *"),
    };
    for (const QString& sql : refused) {
        try {
            ReadOnlyStatement::check(dm.General, sql);
            ADD_FAILURE() << "passed: " << qPrintable(sql);
        } catch (const DatabaseError& error) {
            EXPECT_EQ(error.code(), DatabaseError::NotEditable) << qPrintable(sql);
            EXPECT_TRUE(error.message().contains(s("was not run"))) << qPrintable(error.message());
        }
    }
    // A second statement behind the first never gets a chance.
    EXPECT_THROW(ReadOnlyStatement::check(dm.General, s("SELECT * FROM CvRank; DELETE FROM CvRank")),
                 DatabaseError);
    ReadOnlyStatement::check(dm.General, s("SELECT * FROM CvRank;  "));
    // A statement the engine rejects gives the engine's error, not the refusal.
    try {
        ReadOnlyStatement::check(dm.General,
                                 s("SELECT * FROM CvRank WHERE (Project = \"x\") AND (Rank = 1 \r\nAND) "));
        ADD_FAILURE() << "a broken statement passed";
    } catch (const DatabaseError& error) {
        EXPECT_NE(error.code(), DatabaseError::NotEditable);
        EXPECT_FALSE(error.message().contains(s("was not run")));
    }
    EXPECT_GT(builtRows(shownSql(choiceOf())).size(), 0);

    dm.CloseDatabases();
    EXPECT_EQ(tableFileHashes(), before);
    EXPECT_FALSE(QFile::exists(folder + s("Evil.dat")));
}

TEST_F(query_builder, SavedQueriesRoundTripPerProject)
{
    SavedQueries saved(dm.General);
    SavedQuery query;
    query.name = s("Top \"ten\" d'Ärger <b>&");
    query.choice = choiceOf({s("URL"), s("FoundLink")}, s("SearchTerm = \"O'Reilly \"\"books\"\"\" \r\n"),
                            {s("URL")}, false);
    query.fullSql = shownSql(query.choice);
    saved.save(query);
    SavedQuery other = query;
    other.choice.project = OtherProject;
    other.choice.fields = {s("Rank")};
    saved.save(other);

    EXPECT_EQ(saved.names(Project), QStringList{query.name});
    const std::optional<SavedQuery> back = saved.find(Project, query.name);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->choice.fields, query.choice.fields);
    EXPECT_EQ(back->choice.conditions, query.choice.conditions);
    EXPECT_EQ(back->choice.orderBy, query.choice.orderBy);
    EXPECT_FALSE(back->choice.ascending);
    EXPECT_EQ(back->fullSql, query.fullSql);
    EXPECT_EQ(saved.find(OtherProject, query.name)->choice.fields, QStringList{s("Rank")});

    // Saving under the same name replaces it.
    query.choice.ascending = true;
    saved.save(query);
    EXPECT_EQ(saved.names(Project).size(), 1);
    EXPECT_TRUE(saved.find(Project, query.name)->choice.ascending);

    EXPECT_TRUE(saved.remove(Project, query.name));
    EXPECT_FALSE(saved.remove(Project, query.name));
    EXPECT_TRUE(saved.names(Project).isEmpty());
    EXPECT_EQ(saved.names(OtherProject), QStringList{query.name});
}

namespace {

void addEngine(TDM1& dm, const QString& name, const QString& country, int pop1, int pop2, int pop3,
               int points)
{
    dm.SE3Table.open();
    dm.SE3Table.append();
    dm.SE3Table.setValue(s("Name"), name);
    dm.SE3Table.setValue(s("Country"), country);
    dm.SE3Table.setValue(s("Group1"), s("General"));
    dm.SE3Table.setValue(s("Pop1"), pop1);
    dm.SE3Table.setValue(s("Pop2"), pop2);
    dm.SE3Table.setValue(s("Pop3"), pop3);
    dm.SE3Table.setValue(s("Popularity"), points);
    dm.SE3Table.setValue(s("Notes"), QString(s("notes of ") + name));
    dm.SE3Table.post();
}

void linkEngine(TDM1& dm, const QString& name, const QString& project, int points)
{
    dm.CVSE3Table.open();
    dm.CVSE3Table.append();
    dm.CVSE3Table.setValue(s("Name"), name);
    dm.CVSE3Table.setValue(s("Project"), project);
    dm.CVSE3Table.setValue(s("Popularity"), points);
    dm.CVSE3Table.post();
}

QStringList names(const QList<EngineInformation::EngineRow>& rows)
{
    QStringList result;
    for (const auto& row : rows)
        result << row.name;
    return result;
}

} // namespace

TEST_F(query_builder, EngineInformationFiltersAndRecalc)
{
    using namespace EngineInformation;
    dm.SE3Table.open();
    dm.SE3Table.emptyTable();
    dm.CVSE3Table.open();
    dm.CVSE3Table.emptyTable();
    // S = 10 + 500 + 490 + 0 = 1000.
    addEngine(dm, s("Alpha"), s("Deutschland"), 10, 9999, 0, 7);
    addEngine(dm, s("Beta \"quoted\""), s("Österreich"), 500, 9999, 25, 7);
    addEngine(dm, s("Gamma"), s("Deutschland"), 490, 0, 0, 7);
    addEngine(dm, s("Delta"), s("USA"), 0, 5, 5, 42);
    linkEngine(dm, s("Alpha"), Project, 1);
    linkEngine(dm, s("Beta \"quoted\""), Project, 1);
    linkEngine(dm, s("Beta \"quoted\""), OtherProject, 1);

    EXPECT_EQ(names(listEngines(dm.SE3, dm.General, {}, {})),
              (QStringList{s("Alpha"), s("Beta \"quoted\""), s("Delta"), s("Gamma")}));
    EXPECT_EQ(filterText({{s("Country"), s("Deutschland")}, {s("Country"), s("Österreich")}}, true),
              s("Country = \"Deutschland\" AND Country = \"Österreich\""));
    EXPECT_TRUE(
        listEngines(dm.SE3, dm.General, {},
                    filterText({{s("Country"), s("Deutschland")}, {s("Country"), s("Österreich")}}, true))
            .isEmpty());
    EXPECT_EQ(names(listEngines(
                  dm.SE3, dm.General, {},
                  filterText({{s("Country"), s("Deutschland")}, {s("Country"), s("Österreich")}}, false))),
              (QStringList{s("Alpha"), s("Beta \"quoted\""), s("Gamma")}));
    EXPECT_EQ(names(listEngines(dm.SE3, dm.General, Project, {})),
              (QStringList{s("Alpha"), s("Beta \"quoted\"")}));
    EXPECT_EQ(
        names(listEngines(dm.SE3, dm.General, Project, filterText({{s("Country"), s("Deutschland")}}, true))),
        QStringList{s("Alpha")});
    QStringList countries = distinctValues(dm.SE3, s("Country"));
    countries.sort();
    EXPECT_EQ(countries, (QStringList{s("Deutschland"), s("USA"), s("Österreich")}));
    EXPECT_EQ(countText(2), s("2 Search Engines in this project."));

    // (9999 + 1) x 0.0001 x (1000 div 10) = 100; Pop3 wins; below 1 becomes 1; Pop1 0 keeps its points.
    EXPECT_EQ(recalculatedPoints(1000, 10, 9999, 0, 7), 100);
    EXPECT_EQ(recalculatedPoints(1000, 10, 9999, 25, 7), 25);
    EXPECT_EQ(recalculatedPoints(1000, 490, 0, 0, 7), 1);
    EXPECT_EQ(recalculatedPoints(1000, 0, 5, 5, 42), 42);

    Table se3(&dm.SE3, s("SE3"));
    Table cvse3(&dm.General, s("CVSE3"), s("Nameidx"));
    recalc(se3, cvse3);
    QMap<QString, int> points;
    for (const auto& row : listEngines(dm.SE3, dm.General, {}, {}))
        points.insert(row.name, row.popularity);
    EXPECT_EQ(points.value(s("Alpha")), 100);
    EXPECT_EQ(points.value(s("Beta \"quoted\"")), 25);
    EXPECT_EQ(points.value(s("Gamma")), 1);
    EXPECT_EQ(points.value(s("Delta")), 42);
    cvse3.open();
    for (cvse3.first(); !cvse3.eof(); cvse3.next())
        EXPECT_EQ(cvse3.asInteger(s("Popularity")), points.value(cvse3.asString(s("Name"))));
}

TEST_F(query_builder, ScriptCheckStatements)
{
    Table engine(&dm.General, s("CVEngine"));
    engine.open();
    const auto add = [&](const char* name, const char* term, int last, int depth) {
        engine.append();
        engine.setValue(s("Project"), Project);
        engine.setValue(s("SE3Name"), s(name));
        engine.setValue(s("STName"), s(term));
        engine.setValue(s("LastRecord"), last);
        engine.setValue(s("Depth"), depth);
        engine.setValue(s("Completed"), true);
        engine.post();
    };
    add("Alpha", "bread", 50, 50);
    add("Alpha", "cake", 12, 50);
    add("Beta", "bread", 30, 50);
    add("Beta", "cake", 50, 50);
    add("Gamma", "bread", 50, 50);

    const auto run = [&](bool below, bool unique) {
        Query query(&dm.General, ScriptCheck::statement(below, unique));
        query.open();
        QStringList rows;
        for (query.first(); !query.eof(); query.next())
            rows << query.asString(s("SE3Name")) + QLatin1Char(':') + query.asString(s("LastRecord"));
        return rows;
    };
    EXPECT_EQ(run(false, true), (QStringList{s("Alpha:12"), s("Beta:30"), s("Gamma:50")}));
    EXPECT_EQ(run(true, true), (QStringList{s("Alpha:12"), s("Beta:30")}));
    EXPECT_EQ(run(true, false), (QStringList{s("Alpha:12"), s("Beta:30")}));
    EXPECT_EQ(run(false, false).size(), 5);
    EXPECT_EQ(ScriptCheck::countText(5), s("Showing 5 records"));

    EXPECT_FALSE(ScriptCheck::lastRun(dm.General).isValid());
    dm.GroupTable.open();
    dm.GroupTable.append();
    dm.GroupTable.setValue(s("Name"), Project);
    dm.GroupTable.setValue(s("LastRun"),
                           FieldCodec::toDayCount(QDateTime(QDate(2026, 11, 30), QTime(6, 30))));
    dm.GroupTable.post();
    EXPECT_EQ(ScriptCheck::lastRun(dm.General), QDate(2026, 11, 30));
}
