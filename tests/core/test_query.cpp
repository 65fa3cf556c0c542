#include "core/data/DatabaseError.h"
#include "core/data/Dataset.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableDatabase.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

using namespace corvane;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

class sql_query : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db.setDirectory(profile.path());
        db.connect();

        TableDef project;
        project.name = s("CVProject");
        project.fields = {FieldDef{s("Name"), FieldType::String, 32},
                          FieldDef{s("Depth"), FieldType::Integer}, FieldDef{s("LastRun"), FieldType::Date}};
        project.indexes = {IndexDef{s("Nameidx"), {s("Name")}, true, true, false}};
        db.createTable(project);

        TableDef url;
        url.name = s("CVURL");
        url.fields = {FieldDef{s("Name"), FieldType::String, 32}, FieldDef{s("URL"), FieldType::String, 128},
                      FieldDef{s("Project"), FieldType::String, 32}};
        url.indexes = {IndexDef{s("NameProjidx"), {s("Name"), s("Project")}, true, true, false}};
        db.createTable(url);

        TableDef rank;
        rank.name = s("CVRank");
        rank.fields = {FieldDef{s("Project"), FieldType::String, 32},
                       FieldDef{s("SearchEngine"), FieldType::String, 32},
                       FieldDef{s("SearchTerm"), FieldType::String, 64},
                       FieldDef{s("URL"), FieldType::String, 64},
                       FieldDef{s("Rank"), FieldType::Integer},
                       FieldDef{s("xDate"), FieldType::Date}};
        db.createTable(rank);

        exec("INSERT INTO CVProject VALUES ('Alpha', 20, '2005-12-31'), ('Beta', 10, NULL)");
        exec("INSERT INTO CVURL VALUES ('home', 'alpha.example', 'Alpha'), ('Rival', 'rival.example', "
             "'Alpha'), "
             "('blog', 'blog.example', 'Alpha'), ('home', 'beta.example', 'Beta')");
        exec("INSERT INTO CVRank VALUES ('Alpha', 'Engine', 'term one', 'home', 3, '2005-12-31'), "
             "('Alpha', 'Engine', 'term one', 'Rival', 5, '2005-12-31'), "
             "('Alpha', 'Other', 'term two', 'home', 1, '2005-12-31'), "
             "('Alpha', 'Engine', 'term one', 'home', 4, '2005-12-30')");
    }

    void exec(const char* sql)
    {
        Query query(&db, s(sql));
        query.execSql();
    }

    static QStringList rows(Query& query, const char* field)
    {
        QStringList values;
        for (query.first(); !query.eof(); query.next())
            values << query.asString(s(field));
        return values;
    }

    test::TempProfile profile;
    Session session{s("Default")};
    Database db{s("General"), &session};
};

TEST_F(sql_query, SelectJoinsTablesOfTwoFilesAndTypesTheColumns)
{
    Query query(
        &db,
        s("SELECT U.Name, U.URL, P.Depth, P.LastRun FROM CVURL U JOIN CVProject P ON U.Project = P.Name "
          "WHERE P.Name = \"Alpha\" ORDER BY U.Name nocase"));
    query.open();
    EXPECT_EQ(query.recordCount(), 3);
    EXPECT_EQ(rows(query, "Name"), (QStringList{s("blog"), s("home"), s("Rival")}));
    query.first();
    EXPECT_EQ(query.value(s("depth")), QVariant(20));
    EXPECT_EQ(query.value(s("LastRun")), QVariant(QDate(2005, 12, 31)));
    ASSERT_EQ(query.fields().size(), 4);
    EXPECT_EQ(query.fields().at(0).type, FieldType::String);
    EXPECT_EQ(query.fields().at(0).size, 32);
    EXPECT_EQ(query.fields().at(2).type, FieldType::Integer);
    EXPECT_EQ(query.fields().at(3).type, FieldType::Date);
    EXPECT_THROW(query.edit(), DatabaseError); // not a live query

    // The same dataset runs other statements on the tables it has attached.
    query.setSql(
        s("SELECT Name FROM CVProject WHERE Name NOT IN (SELECT Project FROM CVURL WHERE Name = 'Rival')"));
    query.open();
    EXPECT_EQ(rows(query, "Name"), QStringList{s("Beta")});
    query.close();
    query.open();
    EXPECT_EQ(query.recordCount(), 1);
}

TEST_F(sql_query, AggregatesCountAndAverage)
{
    Query query(&db,
                s("SELECT SearchEngine, URL, COUNT(Rank) AS RankCount, AVG(Rank) AS RankAvg FROM CVRank "
                  "WHERE Project = 'Alpha' AND xDate = '2005-12-31' GROUP BY SearchEngine, URL ORDER BY "
                  "SearchEngine, URL"));
    query.open();
    ASSERT_EQ(query.recordCount(), 3);
    EXPECT_EQ(query.fields().at(2).type, FieldType::Integer);
    EXPECT_EQ(query.fields().at(3).type, FieldType::Float);
    EXPECT_EQ(rows(query, "URL"), (QStringList{s("Rival"), s("home"), s("home")}));
    query.moveTo(2);
    EXPECT_EQ(query.asInteger(s("RankCount")), 1);
    EXPECT_DOUBLE_EQ(query.value(s("RankAvg")).toDouble(), 3.0);

    query.setSql(s("SELECT COUNT(*) AS N FROM CVRank WHERE SearchTerm = 'nothing'"));
    query.open();
    EXPECT_EQ(query.asInteger(s("N")), 0);
}

TEST_F(sql_query, PlusAddsNumbersAndJoinsText)
{
    Query query(&db,
                s("SELECT Depth + 5 AS D, Depth + 0.5 AS F, Name + Depth AS ND, LastRun + Depth AS X "
                  "FROM CVProject ORDER BY Name"));
    query.open();
    EXPECT_EQ(query.value(s("D")), QVariant(25));
    EXPECT_DOUBLE_EQ(query.value(s("F")).toDouble(), 20.5);
    EXPECT_EQ(query.asString(s("ND")), s("Alpha20"));
    EXPECT_EQ(query.asString(s("X")), s("2005-12-3120"));
    query.next();
    EXPECT_FALSE(query.value(s("X")).isValid()); // NULL on either side gives NULL
}

TEST_F(sql_query, SelectIntoRecreatesTheTargetTable)
{
    TableDef old;
    old.name = s("Temp");
    old.fields = {FieldDef{s("Leftover"), FieldType::Memo}};
    db.createTable(old);
    exec("INSERT INTO Temp VALUES ('old row')");

    Query query(&db,
                s("SELECT SearchEngine+URL+SearchTerm AS SUK, SearchEngine, URL, SearchTerm, Rank INTO Temp "
                  "FROM CVRank WHERE Project = 'Alpha' AND xDate = '2005-12-31' AND Rank <= 4 GROUP BY SUK"));
    EXPECT_EQ(query.execSql(), 2);
    const TableDef temp = db.tableDef(s("Temp"));
    ASSERT_EQ(temp.fields.size(), 5);
    EXPECT_EQ(temp.fields.at(0).name, s("SUK"));
    EXPECT_EQ(temp.fields.at(0).type, FieldType::String);
    EXPECT_EQ(temp.fields.at(1).size, 32);
    EXPECT_EQ(temp.fields.at(4).type, FieldType::Integer);

    Table table(&db, s("Temp"));
    table.open();
    EXPECT_EQ(table.recordCount(), 2);
    QStringList keys;
    for (table.first(); !table.eof(); table.next())
        keys << table.asString(s("SUK"));
    keys.sort();
    EXPECT_EQ(keys, (QStringList{s("Enginehometerm one"), s("Otherhometerm two")}));

    // The target may be named in double quotes and need not exist.
    Query report(&db, s("SELECT Name, Depth INTO \"CVReportTemp\" FROM CVProject ORDER BY Name"));
    EXPECT_EQ(report.execSql(), 2);
    Query back(&db, s("SELECT * FROM CVReportTemp"));
    back.open();
    EXPECT_EQ(rows(back, "Name"), (QStringList{s("Alpha"), s("Beta")}));

    // A statement may rebuild a table from itself.
    Query again(&db, s("SELECT Name INTO CVReportTemp FROM CVReportTemp WHERE Depth > 15"));
    EXPECT_EQ(again.execSql(), 1);
    back.close();
    back.open();
    EXPECT_EQ(rows(back, "Name"), QStringList{s("Alpha")});
    EXPECT_EQ(back.fields().size(), 1);
}

TEST_F(sql_query, ExecSqlChangesRowsAndCounts)
{
    const QString tricky = s("O'Reilly \"books\"");
    Query query(&db);
    query.setSql(s("INSERT INTO CVURL (Name, URL, Project) VALUES (") + SqlQuote::quoted(tricky)
                 + s(", 'x.example', ") + SqlQuote::quoted(s("Beta"), QLatin1Char('"')) + s(")"));
    EXPECT_EQ(query.execSql(), 1);
    query.setSql(s("UPDATE CVURL SET Project = 'Gamma' WHERE Project = \"Beta\""));
    EXPECT_EQ(query.execSql(), 2);
    query.setSql(s("DELETE FROM CVURL WHERE Name = ") + SqlQuote::quoted(tricky, QLatin1Char('"')));
    EXPECT_EQ(query.execSql(), 1);
    query.setSql(s("SELECT Name FROM CVURL WHERE Project = 'Gamma'"));
    query.open();
    EXPECT_EQ(rows(query, "Name"), QStringList{s("home")});

    query.setSql(s("SELECT * FROM CVURL WHERE"));
    try {
        query.open();
        FAIL() << "no error for a broken statement";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.code(), DatabaseError::SyntaxError) << e.message().toStdString();
    }
}

TEST_F(sql_query, ProgressRisesToOneHundred)
{
    {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(db.tableFilePath(s("CVRank")).toUtf8().constData(), &raw), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(
                      raw,
                      "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 199999) "
                      "INSERT INTO CVRank SELECT 'Alpha', 'E' || (i % 7), 't' || (i % 13), 'u' || (i % 17), "
                      "i % 50, '2005-01-01' FROM n",
                      nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(raw);
    }
    QList<int> seen;
    Query query(&db,
                s("SELECT SearchEngine, COUNT(*) AS N, AVG(Rank) AS A FROM CVRank GROUP BY SearchEngine"));
    query.onProgress = [&](int percent) { seen << percent; };
    query.open();
    EXPECT_EQ(query.recordCount(), 7 + 2);
    ASSERT_GE(seen.size(), 3);
    EXPECT_EQ(seen.first(), 0);
    EXPECT_EQ(seen.last(), 100);
    EXPECT_TRUE(std::is_sorted(seen.cbegin(), seen.cend()));
    EXPECT_GT(seen.at(seen.size() - 2), 0);

    seen.clear();
    query.setSql(s("UPDATE CVRank SET Rank = Rank + 1 WHERE Project = 'Alpha'"));
    EXPECT_EQ(query.execSql(), 200004);
    EXPECT_EQ(seen.first(), 0);
    EXPECT_EQ(seen.last(), 100);
    EXPECT_TRUE(std::is_sorted(seen.cbegin(), seen.cend()));
}

TEST_F(sql_query, LiveQueryWritesThroughToTheTable)
{
    Query query(&db, s("SELECT Name, URL, Project FROM CVURL WHERE Project = 'Alpha' ORDER BY URL"));
    query.setRequestLive(true);
    query.open();
    ASSERT_EQ(query.recordCount(), 3);
    query.first();
    query.edit();
    query.setValue(s("URL"), s("alpha.example/new"));
    query.post();
    EXPECT_EQ(query.asString(s("URL")), s("alpha.example/new"));
    query.next();
    EXPECT_EQ(query.asString(s("Name")), s("blog"));
    query.remove();
    EXPECT_EQ(query.recordCount(), 2);
    EXPECT_EQ(query.asString(s("Name")), s("Rival"));
    query.append();
    query.setValue(s("Name"), s("shop"));
    query.setValue(s("Project"), s("Alpha"));
    query.post();
    EXPECT_EQ(query.recordCount(), 3);
    EXPECT_EQ(query.asString(s("Name")), s("shop"));

    Table table(&db, s("CVURL"), s("NameProjidx"));
    table.open();
    EXPECT_TRUE(table.findKey({s("home"), s("Alpha")}));
    EXPECT_EQ(table.asString(s("URL")), s("alpha.example/new"));
    EXPECT_FALSE(table.findKey({s("blog"), s("Alpha")}));
    EXPECT_TRUE(table.findKey({s("shop")}));
    EXPECT_EQ(table.recordCount(), 4);

    // A duplicate through a live query is a key violation like any other.
    query.append();
    query.setValue(s("Name"), s("rival"));
    query.setValue(s("Project"), s("Alpha"));
    try {
        query.post();
        FAIL() << "duplicate posted";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.code(), DatabaseError::KeyViolation);
        EXPECT_TRUE(e.message().contains(s("NameProjidx"))) << e.message().toStdString();
    }
    query.cancel();
    EXPECT_EQ(query.recordCount(), 3);

    Query grouped(&db, s("SELECT Project, COUNT(*) AS N FROM CVURL GROUP BY Project"));
    grouped.setRequestLive(true);
    grouped.open();
    EXPECT_THROW(grouped.edit(), DatabaseError);
}

TEST_F(sql_query, OneDatasetVisitsMoreTablesThanItCanAttachAtOnce)
{
    Query query(&db);
    for (int i = 0; i < 14; ++i) {
        TableDef def;
        def.name = s("Extra%1").arg(i);
        def.fields = {FieldDef{s("N"), FieldType::Integer}};
        db.createTable(def);
        query.setSql(s("INSERT INTO Extra%1 VALUES (%1)").arg(i));
        query.execSql();
    }
    for (int i = 13; i >= 0; --i) {
        query.setSql(
            s("SELECT N FROM Extra%1 UNION ALL SELECT Depth FROM CVProject WHERE Name = 'Alpha'").arg(i));
        query.open();
        ASSERT_EQ(query.recordCount(), 2);
        EXPECT_EQ(query.asInteger(s("N")), i);
    }
}

} // namespace

// Result values are shared between rows where texts repeat; every row must
// still read its own value, whatever the mix of repeated, varied, long and
// non-ASCII texts.
TEST_F(sql_query, RepeatedAndVariedTextsEachReadBackExactly)
{
    exec("DELETE FROM CVRank");
    QStringList expectedTerms;
    for (int i = 0; i < 300; ++i) {
        const QString term = i % 3 == 0 ? QStringLiteral("café %1").arg(i) // non-ASCII
            : i % 3 == 1                ? QStringLiteral("term %1").arg(i) // all different
                                        : QStringLiteral("x").repeated(70 + i % 5);       // long
        expectedTerms << term;
        Query insert(&db,
                     QStringLiteral("INSERT INTO CVRank VALUES ('Alpha', ")
                         + SqlQuote::quoted(QStringLiteral("E%1").arg(i % 4)) + QStringLiteral(", ")
                         + SqlQuote::quoted(term) + QStringLiteral(", 'home', ") + QString::number(i)
                         + QStringLiteral(", ") + SqlQuote::date(QDate(2024, 1, 1).addDays(i % 2))
                         + QLatin1Char(')'));
        insert.execSql();
    }
    Query query(&db, s("SELECT SearchEngine, SearchTerm, Rank, xDate FROM CVRank ORDER BY Rank"));
    query.open();
    ASSERT_EQ(query.recordCount(), 300);
    int i = 0;
    for (query.first(); !query.eof(); query.next(), ++i) {
        EXPECT_EQ(query.asString(s("SearchEngine")), QStringLiteral("E%1").arg(i % 4));
        EXPECT_EQ(query.asString(s("SearchTerm")), expectedTerms[i]);
        EXPECT_EQ(query.asInteger(s("Rank")), i);
        EXPECT_EQ(query.value(s("xDate")).toDate(), QDate(2024, 1, 1).addDays(i % 2));
    }
}

// A query opened again keeps its prepared statement and what it read; it must
// still see rows added since, and a table that was dropped and made anew.
TEST_F(sql_query, ReopeningSeesNewRowsAndRecreatedTables)
{
    Query query(&db, s("SELECT Name, Depth FROM CVProject ORDER BY Name"));
    query.open();
    EXPECT_EQ(rows(query, "Name"), (QStringList{s("Alpha"), s("Beta")}));
    query.close();

    exec("INSERT INTO CVProject VALUES ('Gamma', 5, NULL)");
    query.open();
    EXPECT_EQ(rows(query, "Name"), (QStringList{s("Alpha"), s("Beta"), s("Gamma")}));
    query.close();

    db.deleteTable(s("CVProject"));
    TableDef project;
    project.name = s("CVProject");
    project.fields = {FieldDef{s("Depth"), FieldType::String, 8}, FieldDef{s("Name"), FieldType::String, 32}};
    db.createTable(project);
    exec("INSERT INTO CVProject VALUES ('deep', 'Omega')");
    query.open();
    EXPECT_EQ(rows(query, "Name"), QStringList{s("Omega")});
    query.first();
    EXPECT_EQ(query.value(s("Depth")), QVariant(s("deep")));
}
