#include "core/data/DatabaseError.h"
#include "core/data/Dataset.h"
#include "core/data/TableDatabase.h"

#include "TestSupport.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <sqlite3.h>

using namespace corvane;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

class table_cursor : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db.setDirectory(profile.path());
        db.connect();

        TableDef url;
        url.name = s("CVURL");
        url.fields = {
            FieldDef{s("Name"), FieldType::String, 32, true}, FieldDef{s("URL"), FieldType::String, 128},
            FieldDef{s("Project"), FieldType::String, 32}, FieldDef{s("AnyMatch"), FieldType::Boolean}};
        url.indexes = {IndexDef{s("Nameidx"), {s("Name")}, false, true, false},
                       IndexDef{s("NameCase"), {s("Name")}, false, false, false},
                       IndexDef{s("NameProjidx"), {s("Name"), s("Project")}, true, true, false},
                       IndexDef{s("URLProjidx"), {s("URL"), s("Project")}, true, false, false}};
        db.createTable(url);

        TableDef rank;
        rank.name = s("CVRank");
        rank.fields = {FieldDef{s("Project"), FieldType::String, 32}, FieldDef{s("xDate"), FieldType::Date},
                       FieldDef{s("Rank"), FieldType::Integer}};
        rank.indexes = {IndexDef{s("RankDateidx"), {s("Project"), s("xDate")}, false, true, false},
                        IndexDef{s("RankDown"), {s("Rank")}, false, false, true}};
        db.createTable(rank);
    }

    void addUrl(Table& table, const char* name, const char* url, const char* project = "Alpha")
    {
        table.append();
        table.setValue(s("Name"), s(name));
        table.setValue(s("URL"), s(url));
        table.setValue(s("Project"), s(project));
        table.post();
    }

    void fillUrls()
    {
        Table table(&db, s("CVURL"));
        table.open();
        addUrl(table, "beta", "b.example");
        addUrl(table, "Alpha", "a.example");
        addUrl(table, "Gamma", "g.example");
        addUrl(table, "delta", "d.example");
    }

    void fillRanks()
    {
        Table table(&db, s("CVRank"));
        table.open();
        for (const char* project : {"P2", "P1"}) {
            for (int day = 1; day <= 4; ++day) {
                table.append();
                table.setValue(s("Project"), s(project));
                table.setValue(s("xDate"), QDate(2005, 1, day));
                table.setValue(s("Rank"), day * 2);
                table.post();
            }
        }
    }

    static QStringList column(Table& table, const char* field)
    {
        QStringList values;
        for (table.first(); !table.eof(); table.next())
            values << table.asString(s(field));
        return values;
    }

    test::TempProfile profile;
    Session session{s("Default")};
    Database db{s("General"), &session};
};

TEST_F(table_cursor, IndexDecidesTheOrderAndNavigationFollowsIt)
{
    fillUrls();
    Table table(&db, s("CVURL"));
    table.open();
    EXPECT_EQ(column(table, "Name"), (QStringList{s("beta"), s("Alpha"), s("Gamma"), s("delta")}));
    table.setIndexName(s("Nameidx"));
    EXPECT_EQ(column(table, "Name"), (QStringList{s("Alpha"), s("beta"), s("delta"), s("Gamma")}));
    table.setIndexName(s("NameCase"));
    EXPECT_EQ(column(table, "Name"), (QStringList{s("Alpha"), s("Gamma"), s("beta"), s("delta")}));

    table.setIndexName(s("Nameidx"));
    table.first();
    EXPECT_TRUE(table.bof());
    EXPECT_FALSE(table.eof());
    EXPECT_EQ(table.recNo(), 1);
    table.prior();
    EXPECT_TRUE(table.bof());
    table.last();
    EXPECT_TRUE(table.eof());
    EXPECT_EQ(table.asString(s("name")), s("Gamma"));
    EXPECT_EQ(table.recNo(), 4);
    table.prior();
    EXPECT_FALSE(table.eof());
    EXPECT_EQ(table.asString(s("NAME")), s("delta"));
    table.moveTo(2);
    EXPECT_EQ(table.asString(s("Name")), s("beta"));
    EXPECT_EQ(table.recordCount(), 4);
    EXPECT_TRUE(table.hasField(s("anymatch")));
    EXPECT_FALSE(table.hasField(s("Rank")));
    EXPECT_THROW(table.value(s("Rank")), DatabaseError);

    Table wrong(&db, s("CVURL"), s("NoSuchidx"));
    EXPECT_THROW(wrong.open(), DatabaseError);
}

TEST_F(table_cursor, FilterAndRangeNarrowTheRows)
{
    fillRanks();
    Table table(&db, s("CVRank"), s("RankDateidx"));
    table.open();
    EXPECT_EQ(table.recordCount(), 8);
    EXPECT_EQ(table.asString(s("Project")), s("P1"));

    table.setRange({s("p2")}, {s("P2")}); // the index ignores case
    EXPECT_EQ(table.recordCount(), 4);
    EXPECT_EQ(column(table, "xDate"),
              (QStringList{s("2005-01-01"), s("2005-01-02"), s("2005-01-03"), s("2005-01-04")}));
    table.setRange({s("P1"), QDate(2005, 1, 2)}, {s("P1"), QDate(2005, 1, 3)});
    EXPECT_EQ(column(table, "Rank"), (QStringList{s("4"), s("6")}));

    table.setFilter(s("Rank > 4"));
    table.setFiltered(true);
    EXPECT_EQ(column(table, "Rank"), (QStringList{s("6")}));
    table.cancelRange();
    EXPECT_EQ(table.recordCount(), 4);
    table.setFilter(s("Project = \"P2\" and xDate <> '2005-01-03'"));
    EXPECT_EQ(column(table, "xDate"), (QStringList{s("2005-01-01"), s("2005-01-02"), s("2005-01-04")}));
    table.setFiltered(false);
    EXPECT_EQ(table.recordCount(), 8);

    // A range that matches nothing leaves an empty cursor.
    table.setRange({s("P3")}, {s("P3")});
    EXPECT_EQ(table.recordCount(), 0);
    EXPECT_TRUE(table.eof());
    EXPECT_TRUE(table.bof());
    EXPECT_EQ(table.recNo(), 0);
    EXPECT_FALSE(table.value(s("Rank")).isValid());
}

TEST_F(table_cursor, FindKeyAndLocateMoveOnlyWhenTheyFind)
{
    fillUrls();
    Table table(&db, s("CVURL"), s("NameProjidx"));
    table.open();
    EXPECT_TRUE(table.findKey({s("GAMMA")}));
    EXPECT_EQ(table.asString(s("URL")), s("g.example"));
    EXPECT_FALSE(table.findKey({s("Omega")}));
    EXPECT_EQ(table.asString(s("Name")), s("Gamma"));
    EXPECT_TRUE(table.findKey({s("beta"), s("alpha")}));
    EXPECT_EQ(table.asString(s("URL")), s("b.example"));
    EXPECT_FALSE(table.findKey({s("beta"), s("Other")}));

    EXPECT_FALSE(table.locate({s("URL")}, {s("D.EXAMPLE")}));
    EXPECT_EQ(table.asString(s("Name")), s("beta"));
    EXPECT_TRUE(table.locate({s("URL")}, {s("D.EXAMPLE")}, true));
    EXPECT_EQ(table.asString(s("Name")), s("delta"));
    EXPECT_EQ(table.recNo(), 3);
    EXPECT_TRUE(table.locate({s("Project"), s("Name")}, {s("Alpha"), s("Alpha")}));
    EXPECT_EQ(table.recNo(), 1);

    Table natural(&db, s("CVURL"));
    natural.open();
    EXPECT_THROW(natural.findKey({s("beta")}), DatabaseError);
    EXPECT_TRUE(natural.locate({s("Name")}, {s("delta")}));
    EXPECT_EQ(natural.recNo(), 4);
}

TEST_F(table_cursor, EditingKeepsTheCursorOnTheRightRow)
{
    fillUrls();
    Table table(&db, s("CVURL"), s("Nameidx"));
    table.open();

    // An appended row is posted in index order and the cursor stands on it.
    table.append();
    EXPECT_EQ(table.state(), Dataset::State::Insert);
    EXPECT_FALSE(table.value(s("Name")).isValid());
    table.setValue(s("Name"), s("Charlie"));
    table.setValue(s("URL"), s("c.example"));
    table.setValue(s("AnyMatch"), true);
    table.post();
    EXPECT_EQ(table.state(), Dataset::State::Browse);
    EXPECT_EQ(table.recNo(), 3);
    EXPECT_EQ(table.asString(s("Name")), s("Charlie"));
    EXPECT_TRUE(table.asBoolean(s("AnyMatch")));
    EXPECT_EQ(table.recordCount(), 5);

    // An edit of the key moves the row, and the cursor with it.
    table.edit();
    table.setValue(s("Name"), s("Zulu"));
    EXPECT_EQ(table.asString(s("Name")), s("Zulu"));
    table.post();
    EXPECT_EQ(table.recNo(), 5);
    EXPECT_EQ(table.asString(s("URL")), s("c.example"));

    // Cancel forgets the changes; cancelling an append stays where it was.
    table.first();
    table.edit();
    table.setValue(s("URL"), s("changed"));
    table.cancel();
    EXPECT_EQ(table.asString(s("URL")), s("a.example"));
    table.moveTo(2);
    table.append();
    table.setValue(s("Name"), s("Never"));
    table.cancel();
    EXPECT_EQ(table.recNo(), 2);
    EXPECT_EQ(table.recordCount(), 5);

    // Moving away posts a pending edit.
    table.edit();
    table.setValue(s("URL"), s("beta.example"));
    table.next();
    EXPECT_EQ(table.state(), Dataset::State::Browse);
    table.prior();
    EXPECT_EQ(table.asString(s("URL")), s("beta.example"));

    // Delete leaves the cursor on the next row, or on the new last row.
    table.moveTo(2);
    table.remove();
    EXPECT_EQ(table.asString(s("Name")), s("delta"));
    EXPECT_EQ(table.recNo(), 2);
    table.last();
    table.remove();
    EXPECT_EQ(table.asString(s("Name")), s("Gamma"));
    EXPECT_EQ(table.recordCount(), 3);
    EXPECT_FALSE(table.eof());
    while (!table.eof())
        table.remove();
    EXPECT_EQ(table.recordCount(), 0);

    // Other datasets see the changes once they refresh.
    Table other(&db, s("CVURL"));
    other.open();
    EXPECT_EQ(other.recordCount(), 0);
    addUrl(table, "Echo", "e.example");
    EXPECT_EQ(other.recordCount(), 0);
    other.refresh();
    EXPECT_EQ(other.recordCount(), 1);
    table.emptyTable();
    EXPECT_EQ(table.recordCount(), 0);
}

TEST_F(table_cursor, PostedRowsTakeTheSamePlaceAsAfterARefresh)
{
    fillRanks();
    const auto order = [](Table& table) {
        QStringList rows;
        for (table.first(); !table.eof(); table.next())
            rows << table.asString(s("Project")) + s("/") + table.asString(s("xDate")) + s("/")
                    + table.asString(s("Rank"));
        return rows;
    };
    for (const char* index : {"RankDateidx", "RankDown", ""}) {
        SCOPED_TRACE(index);
        Table table(&db, s("CVRank"), s(index));
        table.open();
        const QVariantList projects{s("b"),  s("A"),  QVariant(), s("a"),     s("P1"),
                                    s("p1"), s("10"), s("9"),     s("\u00e9")};
        int day = 1;
        for (const QVariant& project : projects) {
            table.append();
            table.setValue(s("Project"), project);
            table.setValue(s("xDate"), QDate(2005, 1, 1 + day % 3));
            table.setValue(s("Rank"), day % 4 == 0 ? QVariant() : QVariant(day * 7 % 5));
            table.post();
            EXPECT_EQ(table.asString(s("Project")), project.toString());
            ++day;
        }
        table.first();
        table.edit();
        table.setValue(s("Project"), s("Zz"));
        table.setValue(s("Rank"), 3);
        table.post();
        EXPECT_EQ(table.asString(s("Project")), s("Zz"));
        const QStringList placed = order(table);
        table.refresh();
        EXPECT_EQ(order(table), placed);
    }
}

TEST_F(table_cursor, BeforePostCanCompleteOrStopARow)
{
    Table table(&db, s("CVURL"), s("Nameidx"));
    table.beforePost = [](Dataset& row) {
        if (row.asString(s("Project")).isEmpty())
            row.setValue(s("Project"), s("Default"));
        if (row.asString(s("Name")) == s("Bad"))
            throw std::runtime_error("refused");
    };
    table.open();
    addUrl(table, "Good", "good.example", "");
    EXPECT_EQ(table.asString(s("Project")), s("Default"));
    table.append();
    table.setValue(s("Name"), s("Bad"));
    EXPECT_THROW(table.post(), std::runtime_error);
    EXPECT_EQ(table.state(), Dataset::State::Insert);
    table.cancel();
    EXPECT_EQ(table.recordCount(), 1);
}

TEST_F(table_cursor, KeyViolationNamesTheIndexAndHandlersDecide)
{
    fillUrls();
    Table table(&db, s("CVURL"), s("Nameidx"));
    table.open();

    table.append();
    table.setValue(s("Name"), s("ALPHA")); // same name as "Alpha" without regard to case
    table.setValue(s("URL"), s("other.example"));
    table.setValue(s("Project"), s("alpha"));
    try {
        table.post();
        FAIL() << "duplicate posted";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.code(), 9729);
        EXPECT_TRUE(e.message().contains(s("Duplicate key"))) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(s("\"NameProjidx\""))) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(s("CVURL")));
    }
    EXPECT_EQ(table.state(), Dataset::State::Insert);
    table.setValue(s("Name"), s("Other"));
    table.setValue(s("URL"), s("a.example"));
    table.setValue(s("Project"), s("Alpha"));
    EXPECT_THROW(table.post(), DatabaseError);
    try {
        table.post();
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.message().contains(s("\"URLProjidx\""))) << e.message().toStdString();
    }
    table.cancel();

    // Abort: the change is dropped silently.
    QStringList logged;
    table.onPostError = [&](Dataset&, const DatabaseError& e) {
        logged << e.message();
        return Dataset::DataAction::Abort;
    };
    table.append();
    table.setValue(s("Name"), s("beta"));
    table.setValue(s("Project"), s("Alpha"));
    table.post();
    EXPECT_EQ(table.state(), Dataset::State::Browse);
    EXPECT_EQ(table.recordCount(), 4);
    ASSERT_EQ(logged.size(), 1);
    EXPECT_TRUE(logged.first().contains(s("Duplicate key")));
    table.findKey({s("Gamma")});
    table.edit();
    table.setValue(s("Name"), s("delta"));
    table.post();
    EXPECT_EQ(table.asString(s("Name")), s("Gamma"));
    EXPECT_EQ(logged.size(), 2);

    // Retry: the handler mends the row and the post goes through.
    table.onPostError = [](Dataset& row, const DatabaseError&) {
        row.setValue(s("Name"), QString(row.asString(s("Name")) + s("2")));
        return Dataset::DataAction::Retry;
    };
    addUrl(table, "beta", "b2.example");
    EXPECT_EQ(table.asString(s("Name")), s("beta2"));

    // A required field left empty fails too.
    table.onPostError = nullptr;
    table.append();
    EXPECT_THROW(table.post(), DatabaseError);
    table.cancel();

    // Edit and delete errors reach their own handlers: here the row went away.
    Table other(&db, s("CVURL"), s("Nameidx"));
    other.open();
    other.findKey({s("delta")});
    table.findKey({s("delta")});
    other.remove();
    int editErrors = 0;
    table.onEditError = [&](Dataset&, const DatabaseError&) {
        ++editErrors;
        return Dataset::DataAction::Abort;
    };
    table.edit();
    EXPECT_EQ(editErrors, 1);
    EXPECT_EQ(table.state(), Dataset::State::Browse);
}

TEST_F(table_cursor, LargeTableOpensQuicklyAndARangeCostsItsSize)
{
    {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(db.tableFilePath(s("CVRank")).toUtf8().constData(), &raw), SQLITE_OK);
        ASSERT_EQ(
            sqlite3_exec(raw,
                         "BEGIN;"
                         "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 999999) "
                         "INSERT INTO CVRank SELECT printf('P%02d', i / 10000), "
                         "date('2005-01-01', '+' || (i % 10000 / 30) || ' days'), i % 50 FROM n;"
                         "COMMIT;",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
        sqlite3_close(raw);
    }
    QElapsedTimer timer;
    timer.start();
    Table table(&db, s("CVRank"), s("RankDateidx"));
    table.open();
    EXPECT_EQ(table.recordCount(), 1000000);
    EXPECT_EQ(table.asString(s("Project")), s("P00"));
    table.last();
    EXPECT_EQ(table.asString(s("Project")), s("P99"));
    EXPECT_LT(timer.elapsed(), 3000); // about half a second on a busy machine

    timer.restart();
    table.setRange({s("P42"), QDate(2005, 3, 1)}, {s("P42"), QDate(2005, 3, 10)});
    EXPECT_EQ(table.recordCount(), 300); // 30 rows a day
    EXPECT_LT(timer.elapsed(), 200);

    timer.restart();
    table.append();
    table.setValue(s("Project"), s("P42"));
    table.setValue(s("xDate"), QDate(2005, 3, 5));
    table.post();
    EXPECT_EQ(table.asString(s("Project")), s("P42"));
    EXPECT_EQ(table.asDate(s("xDate")), QDate(2005, 3, 5));
    EXPECT_EQ(table.recordCount(), 301);
    EXPECT_EQ(table.recNo(), 4 * 30 + 31); // last of its day
    EXPECT_LT(timer.elapsed(), 200);
    table.next();
    EXPECT_EQ(table.asDate(s("xDate")), QDate(2005, 3, 6));
}

} // namespace
