// Queries that keep only the rowids of a large result and read rows as they
// are looked at, compared row for row with the same statements copied whole;
// cancelling a running statement; and the script check's statements, whose
// faster forms must return what the plain ones return.
#include "core/data/Connection.h"
#include "core/data/DatabaseError.h"
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/query/ScriptCheck.h"

#include "TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <sqlite3.h>
#include <tuple>

using namespace corvane;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

// More rows than a query keeps as values, so the on-demand path is taken.
constexpr int RankRows = 24000;

class rows_on_demand : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db.setDirectory(profile.path());
        db.connect();
        db.createTable(*Schema::table(s("CVRank")));
        db.createTable(*Schema::table(s("CVEngine")));
        // Names with quotes, an ampersand, markup and letters beyond ASCII.
        raw("CVRank",
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 23999) "
            "INSERT INTO CVRank (Project, SearchEngine, SearchTerm, URL, Rank, Page, xDate, FoundLink) "
            "SELECT CASE WHEN i % 3 = 0 THEN 'Große \"Menge\"' ELSE 'Other & <b>Co</b>' END, "
            "'Engine ' || (i % 7), 'term ' || (i % 13), 'site' || (i % 5) || '.example', 1 + i % 50, "
            "1 + (i % 50) / 10, date('2025-01-01', '+' || (i % 365) || ' days'), "
            "CASE WHEN i % 11 = 0 THEN NULL ELSE 'https://site' || (i % 5) || '.example/' || i END FROM n");
    }

    void raw(const char* table, const char* sql)
    {
        sqlite3* handle = nullptr;
        const QByteArray path = QFile::encodeName(profile.path(s(table) + s(".dat")));
        ASSERT_EQ(sqlite3_open(path.constData(), &handle), SQLITE_OK);
        char* error = nullptr;
        const int rc = sqlite3_exec(handle, sql, nullptr, nullptr, &error);
        const std::string message = error ? error : "";
        sqlite3_free(error);
        sqlite3_close(handle);
        ASSERT_EQ(rc, SQLITE_OK) << message;
    }

    // Every value of every row, as the dataset reads it.
    static QList<QVariantList> everything(Query& query)
    {
        QList<QVariantList> rows;
        for (query.first(); !query.eof(); query.next()) {
            QVariantList row;
            for (const FieldDef& field : query.fields())
                row << query.value(field.name);
            rows << row;
        }
        return rows;
    }

    test::TempProfile profile;
    Session session{s("Default")};
    Database db{s("General"), &session};
};

// The result the grid reads row by row is the result the statement gives
// when copied whole: same count, rows, order, field names and types. The
// orders are total, so rows of equal keys cannot come in another order.
TEST_F(rows_on_demand, LargeResultsReadTheSameAsWholeCopies)
{
    const char* statements[] = {
        // the builder's statement, with and without an order
        "SELECT * FROM CvRank WHERE (Project = \"Other & <b>Co</b>\") ",
        "SELECT SearchEngine, SearchTerm, Rank, FoundLink AS MemoFoundLink FROM CvRank WHERE (Project = "
        "\"Other & <b>Co</b>\") AND (Rank <= 40) ORDER BY SearchTerm DESC, Rank DESC, xDate DESC",
        "SELECT URL, xDate FROM CvRank ORDER BY URL, xDate, Rank, SearchTerm",
        // expressions in the list, typed from their values
        "SELECT Rank * 2 AS Twice, URL + \"/\" + SearchTerm AS Joined, xDate FROM CvRank WHERE Page >= 2 "
        "ORDER BY xDate, Rank, URL, SearchTerm",
        // conditions with OR, with words of the statement inside texts and
        // brackets, on no index; a LIMIT (keys read row by row)
        "SELECT URL, Rank FROM CvRank WHERE Rank < 5 OR (SearchTerm = \"term 3\" AND Page > 1) ORDER BY "
        "rowid",
        "SELECT * FROM CvRank WHERE (Project = \"Große \"\"Menge\"\"\") AND URL <> \"x ORDER BY y WHERE z\" "
        "ORDER BY Project, xDate, rowid",
        "SELECT URL, FoundLink FROM CvRank WHERE FoundLink IS NOT NULL AND (Rank IN (1, 2, 3) OR Page = 5)",
        "SELECT URL, xDate FROM CvRank WHERE Rank > 10 ORDER BY xDate DESC, rowid LIMIT 5000 OFFSET 100",
        // an alias the order refers to, an order by position: copied whole
        "SELECT Rank * -1 AS Page, URL FROM CvRank ORDER BY Page, URL",
        "SELECT URL, Rank FROM CvRank ORDER BY 2 DESC, 1",
        // grouped: copied whole
        "SELECT URL, xDate, SearchTerm, COUNT(*) AS N FROM CvRank GROUP BY URL, xDate, SearchTerm",
    };
    for (const char* statement : statements) {
        SCOPED_TRACE(statement);
        Query whole(&db, s(statement));
        Query lazy(&db, s(statement));
        lazy.setRowsOnDemand(true);
        whole.open();
        lazy.open();
        ASSERT_GT(whole.recordCount(), 1000);
        ASSERT_EQ(lazy.recordCount(), whole.recordCount());
        ASSERT_EQ(lazy.fields().size(), whole.fields().size());
        for (qsizetype i = 0; i < whole.fields().size(); ++i) {
            EXPECT_EQ(lazy.fields().at(i).name, whole.fields().at(i).name);
            EXPECT_EQ(lazy.fields().at(i).type, whole.fields().at(i).type);
        }
        EXPECT_EQ(everything(lazy), everything(whole));
        // Moving about reads the row asked for.
        lazy.moveTo(lazy.recordCount());
        whole.moveTo(whole.recordCount());
        EXPECT_EQ(lazy.value(lazy.fields().first().name), whole.value(whole.fields().first().name));
    }
}

// Only the keys are kept: a row deleted after opening reads as empty, one
// changed reads as changed, and the count stays what it was on opening.
TEST_F(rows_on_demand, RowsAreReadWhenLookedAt)
{
    Query lazy(&db, s("SELECT URL, Rank FROM CvRank WHERE Project = \"Große \"\"Menge\"\"\" ORDER BY rowid"));
    lazy.setRowsOnDemand(true);
    lazy.open();
    ASSERT_EQ(lazy.recordCount(), RankRows / 3);
    EXPECT_EQ(lazy.asString(s("URL")), s("site0.example"));
    raw("CVRank", "DELETE FROM CVRank WHERE rowid = 1; UPDATE CVRank SET Rank = 99 WHERE rowid = 4");
    lazy.moveTo(1);
    EXPECT_FALSE(lazy.value(s("URL")).isValid());
    lazy.moveTo(2);
    EXPECT_EQ(lazy.asInteger(s("Rank")), 99);
    EXPECT_EQ(lazy.recordCount(), RankRows / 3);
    lazy.close();
    lazy.open();
    EXPECT_EQ(lazy.recordCount(), RankRows / 3 - 1);
}

// Collected in chunks, the rows are those of the table as it was on opening,
// each once and in order, whether their keys come in one step or row by row
// (with a LIMIT); closing mid-way ends the read, and the next open sees the
// table as it is then.
TEST_F(rows_on_demand, RowsInChunksAreTheRowsOfOneMoment)
{
    for (const char* statement :
         {"SELECT rowid AS Id, URL FROM CvRank WHERE Rank > 3 ORDER BY rowid",
          "SELECT rowid AS Id, URL FROM CvRank WHERE Rank > 3 ORDER BY rowid LIMIT 99999"}) {
        SCOPED_TRACE(statement);
        Query whole(&db, s(statement));
        whole.open();
        const QList<QVariantList> expected = everything(whole);
        whole.close();

        Query chunked(&db, s(statement));
        chunked.setRowsOnDemand(true);
        chunked.setRowsInChunks(true);
        chunked.open();
        ASSERT_TRUE(chunked.rowsPending());
        ASSERT_LT(chunked.recordCount(), expected.size());
        // A row that would be listed, and a listed row that would not be.
        raw("CVRank",
            "INSERT INTO CVRank (Project, URL, Rank) VALUES ('x', 'late', 50); "
            "UPDATE CVRank SET Rank = 1 WHERE rowid = 23000");
        EXPECT_EQ(everything(chunked), expected);
        EXPECT_FALSE(chunked.rowsPending());
        EXPECT_EQ(chunked.recordCount(), expected.size());

        chunked.close();
        chunked.open();
        EXPECT_TRUE(chunked.rowsPending());
        chunked.close();
        chunked.open();
        chunked.last();
        whole.open();
        EXPECT_EQ(chunked.recordCount(), whole.recordCount());
        EXPECT_EQ(chunked.asString(s("URL")), s("late"));
        EXPECT_FALSE(chunked.rowsPending());
    }
}

// A statement stopped while it runs fails with Cancelled, leaves the query
// closed and the files as they were; the next run completes.
TEST_F(rows_on_demand, ARunningStatementCanBeCancelled)
{
    for (bool onDemand : {true, false}) {
        SCOPED_TRACE(onDemand ? "on demand" : "copied");
        Query query(&db, s("SELECT * FROM CvRank ORDER BY FoundLink, URL"));
        query.setRowsOnDemand(onDemand);
        int asked = 0;
        query.isCancelled = [&asked] { return ++asked >= 3; };
        QList<int> percents;
        query.onProgress = [&percents](int percent) { percents << percent; };
        try {
            query.open();
            FAIL() << "the statement ran to its end";
        } catch (const DatabaseError& error) {
            EXPECT_EQ(error.code(), DatabaseError::Cancelled);
            EXPECT_TRUE(error.message().startsWith(s("The query was cancelled")))
                << error.message().toStdString();
        }
        EXPECT_EQ(asked, 3);
        EXPECT_FALSE(query.isOpen());
        ASSERT_FALSE(percents.isEmpty());
        EXPECT_EQ(percents.last(), 100);

        query.isCancelled = [] { return false; };
        percents.clear();
        query.open();
        EXPECT_EQ(query.recordCount(), RankRows);
        EXPECT_EQ(percents.first(), 0);
        EXPECT_EQ(percents.last(), 100);
        if (onDemand) {
            EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
        }
    }
}

// CVEngine rows with known answers: per engine the lowest LastRecord is on
// one row only, and no two engines share it.
class script_check : public rows_on_demand
{
protected:
    void SetUp() override
    {
        rows_on_demand::SetUp();
        raw("CVEngine",
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 29999) "
            "INSERT INTO CVEngine (Project, SE3Name, STName, LastRecord, Depth, Completed) "
            "SELECT 'Atlas', 'Engine ' || (i % 12), 'term ' || (i / 12), "
            "CASE WHEN i < 12 THEN 3 + i * 2 ELSE 40 + (i * 7) % 61 END, "
            "CASE WHEN i % 12 = 5 THEN 10 ELSE 100 END, i % 2 FROM n; "
            // names the seeks must not trip over: quotes and markup, upper case before lower
            "INSERT INTO CVEngine (Project, SE3Name, STName, LastRecord, Depth, Completed) VALUES "
            "('Atlas', 'Zeta \"Q\" & <b>', 'Größe', 70, 100, 0), ('Atlas', 'Zeta \"Q\" & <b>', 'b', 2, 1, "
            "1), "
            "('Atlas', 'alpha', 'x', 50, 40, 1), ('Atlas', 'alpha', 'y', 45, 40, 0), "
            // an engine without any LastRecord
            "('Atlas', 'nulls', 'n', NULL, 100, 0), ('Atlas', 'nulls', 'n', NULL, 100, 0)");
    }

    QList<QVariantList> run(const QString& statement)
    {
        Query query(&db, statement);
        query.setRowsOnDemand(true);
        query.open();
        QList<QVariantList> rows;
        for (query.first(); !query.eof(); query.next())
            rows << QVariantList{query.asBoolean(s("Completed")), query.asString(s("SE3Name")),
                                 query.asString(s("STName")), query.asInteger(s("LastRecord"))};
        return rows;
    }
};

TEST_F(script_check, TheFastStatementsReturnWhatThePlainOnesReturn)
{
    for (bool below : {false, true})
        for (bool unique : {false, true}) {
            SCOPED_TRACE((below ? "below depth" : "all") + std::string(unique ? ", unique" : ""));
            const QList<QVariantList> plain = run(ScriptCheck::statement(below, unique));
            const QList<QVariantList> fast = run(ScriptCheck::viewStatement(db, below, unique));
            ASSERT_FALSE(plain.isEmpty());
            EXPECT_EQ(fast.size(), plain.size());
            if (!unique) {
                // Rows of equal LastRecord may come in any order: compare as sets
                // and check the order itself.
                QList<QVariantList> a = plain, b = fast;
                const auto less = [](const QVariantList& x, const QVariantList& y) {
                    return std::make_tuple(x.at(3).toInt(), x.at(1).toString(), x.at(2).toString())
                        < std::make_tuple(y.at(3).toInt(), y.at(1).toString(), y.at(2).toString());
                };
                std::sort(a.begin(), a.end(), less);
                std::sort(b.begin(), b.end(), less);
                EXPECT_EQ(a, b);
                for (qsizetype i = 1; i < fast.size(); ++i)
                    ASSERT_LE(fast.at(i - 1).at(3).toInt(), fast.at(i).at(3).toInt());
            } else {
                EXPECT_EQ(fast, plain);
            }
        }
}

TEST_F(script_check, TheUniqueViewKnowsEachEnginesLowestRow)
{
    const QList<QVariantList> all = run(ScriptCheck::viewStatement(db, false, true));
    ASSERT_EQ(all.size(), 15);
    EXPECT_EQ(all.at(0), (QVariantList{false, s("nulls"), s("n"), 0}));
    EXPECT_EQ(all.at(1), (QVariantList{true, s("Zeta \"Q\" & <b>"), s("b"), 2}));
    EXPECT_EQ(all.at(2), (QVariantList{false, s("Engine 0"), s("term 0"), 3}));
    EXPECT_EQ(all.at(13), (QVariantList{true, s("Engine 11"), s("term 0"), 25}));
    EXPECT_EQ(all.at(14), (QVariantList{false, s("alpha"), s("y"), 45}));

    // Below depth: "Zeta"'s lowest row is not below its depth, its other one
    // is; Engine 5 (depth 10) and alpha have none.
    const QList<QVariantList> below = run(ScriptCheck::viewStatement(db, true, true));
    ASSERT_EQ(below.size(), 12);
    EXPECT_EQ(below.at(0), (QVariantList{false, s("Engine 0"), s("term 0"), 3}));
    for (const QVariantList& row : below) {
        EXPECT_NE(row.at(1).toString(), s("alpha"));
        EXPECT_NE(row.at(1).toString(), s("nulls"));
    }
    EXPECT_EQ(below.last(), (QVariantList{false, s("Zeta \"Q\" & <b>"), s("Größe"), 70}));
}

// A CVEngine file written before the script check's indexes gets them; the
// check answers the same before and after.
TEST_F(script_check, AnOlderFileGetsTheIndexes)
{
    const auto indexes = [this] {
        Connection connection;
        connection.open();
        const QString schema = connection.attach(db, s("CVEngine"));
        Statement list = connection.prepare(s("SELECT name FROM %1.sqlite_master WHERE type = 'index' AND "
                                              "tbl_name = 'CVEngine' ORDER BY name")
                                                .arg(Connection::quoteName(schema)));
        QStringList names;
        while (list.step() == SQLITE_ROW)
            names << list.column(0).toString();
        return names;
    };
    const QList<QVariantList> before = run(ScriptCheck::viewStatement(db, true, true));
    raw("CVEngine", "DROP INDEX EngineLastidx; DROP INDEX EngineNameidx");
    EXPECT_TRUE(indexes().isEmpty());
    EXPECT_EQ(run(ScriptCheck::viewStatement(db, true, true)), before);
    ScriptCheck::addMissingIndexes(db);
    EXPECT_EQ(indexes(), (QStringList{s("EngineLastidx"), s("EngineNameidx")}));
    ScriptCheck::addMissingIndexes(db); // nothing more to add
    EXPECT_EQ(run(ScriptCheck::viewStatement(db, true, true)), before);
}

} // namespace
