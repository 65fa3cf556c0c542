#include "core/data/Dataset.h"
#include "core/data/DatasetModel.h"
#include "core/data/TableDatabase.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

using namespace corvane;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

// CVRank with 100,000 rows, written straight into the table file.
class dataset_model : public ::testing::Test
{
protected:
    static constexpr int Rows = 100000;

    void SetUp() override
    {
        db.setDirectory(profile.path());
        db.connect();
        TableDef rank;
        rank.name = s("CVRank");
        rank.fields = {FieldDef{s("Project"), FieldType::String, 32},
                       FieldDef{s("Term"), FieldType::String, 64}, FieldDef{s("Rank"), FieldType::Integer}};
        db.createTable(rank);
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(db.tableFilePath(s("CVRank")).toUtf8().constData(), &raw), SQLITE_OK);
        const char* fill = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
                           "INSERT INTO CVRank (Project, Term, Rank) "
                           "SELECT 'Caf\xc3\xa9 & <b>\"Q\"</b>', 'term ' || i, i FROM n";
        ASSERT_EQ(sqlite3_exec(raw, fill, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(raw);
        sqlite3_close(raw);
    }

    test::TempProfile profile;
    Session session{s("Default")};
    Database db{s("General"), &session};
};

TEST_F(dataset_model, HandsRowsOutInStepsAndReadsAnyRowWithoutMovingTheCursor)
{
    Table table(&db, s("CVRank"));
    table.open();
    table.moveTo(7);

    DatasetModel model;
    model.setDataset(&table);
    model.setCaption(s("Term"), s("Search Term"));

    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), s("Search Term"));
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), s("Rank"));
    EXPECT_EQ(model.rowCount(), DatasetModel::BlockRows);
    ASSERT_TRUE(model.canFetchMore({}));

    // A view scrolled to the end fetches step by step up to the last row.
    while (model.canFetchMore({}))
        model.fetchMore({});
    ASSERT_EQ(model.rowCount(), Rows);

    // Rows far apart, in an order that evicts blocks, read the right values.
    for (int row : {Rows - 1, 0, 54321, Rows - 1, 300, 99999 - 256 * 70, 1}) {
        EXPECT_EQ(model.data(model.index(row, 1)).toString(), s("term %1").arg(row + 1));
        EXPECT_EQ(model.data(model.index(row, 2)).toInt(), row + 1);
    }
    EXPECT_EQ(model.data(model.index(5, 0)).toString(), s("Caf\u00e9 & <b>\"Q\"</b>"));
    EXPECT_EQ(model.data(model.index(5, 2), Qt::TextAlignmentRole).toInt() & Qt::AlignRight, Qt::AlignRight);
    EXPECT_EQ(model.data(model.index(5, 1), Qt::TextAlignmentRole).toInt() & Qt::AlignRight, 0);

    EXPECT_EQ(table.recNo(), 7);
    EXPECT_EQ(table.asString(s("Term")), s("term 7"));
}

TEST_F(dataset_model, ReloadShowsTheDatasetAsItIsNow)
{
    Query query(&db, s("SELECT Term, Rank FROM CVRank WHERE Rank <= 3 ORDER BY Rank DESC"));
    query.open();
    DatasetModel model;
    model.setDataset(&query);
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), s("term 3"));

    query.close();
    query.setSql(s("SELECT Term FROM CVRank WHERE Rank > 99990"));
    query.open();
    model.reload();
    EXPECT_EQ(model.rowCount(), 10);
    EXPECT_EQ(model.columnCount(), 1);

    query.close();
    model.reload();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 0);
    model.setDataset(nullptr);
    EXPECT_FALSE(model.canFetchMore({}));
}

} // namespace
