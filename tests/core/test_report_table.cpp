#include "core/data/DatabaseError.h"
#include "core/data/Dataset.h"
#include "core/data/TableDatabase.h"
#include "core/print/ReportTable.h"

#include "TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

class report_table : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db.setDirectory(profile.path());
        db.connect();
        TableDef rank;
        rank.name = s("CVRank");
        rank.fields = {FieldDef{s("Project"), FieldType::String, 32},
                       FieldDef{s("URL"), FieldType::String, 64}, FieldDef{s("Rank"), FieldType::Integer},
                       FieldDef{s("xDate"), FieldType::Date}};
        db.createTable(rank);
        Query insert(&db,
                     s("INSERT INTO CVRank VALUES ('Alpha', 'home', 3, '2005-12-31'), "
                       "('Alpha', 'rival', 5, '2005-12-31'), ('Beta', 'home', 1, '2005-12-30')"));
        insert.execSql();
    }

    void touch(const char* name)
    {
        QFile file(profile.path(s(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old");
    }

    bool exists(const char* name) const { return QFile::exists(profile.path(s(name))); }

    test::TempProfile profile;
    Session session{s("Default")};
    Database db{s("General"), &session};
};

TEST_F(report_table, RemoveFilesDeletesWhicheverOfTheThreeFilesExistAndNothingElse)
{
    touch("CVReportTemp.idx");
    touch("CVReportTemp.blb");
    touch("CVReportTempOld.dat");
    ReportTable::removeFiles(profile.path()); // no trailing slash, .dat missing
    EXPECT_FALSE(exists("CVReportTemp.idx"));
    EXPECT_FALSE(exists("CVReportTemp.blb"));
    EXPECT_TRUE(exists("CVReportTempOld.dat"));
    EXPECT_TRUE(exists("CVRank.dat"));
    EXPECT_NO_THROW(ReportTable::removeFiles(profile.path() + s("/"))); // nothing left to delete
}

TEST_F(report_table, RecreateReplacesAnEarlierReportWithTheNewFields)
{
    ReportTable::recreate(db, {FieldDef{s("Old"), FieldType::String, 10}});
    {
        Table old(&db, s("CVReportTemp"));
        old.open();
        old.append();
        old.setValue(s("Old"), s("stale"));
        old.post();
    }
    touch("CVReportTemp.blb");

    ReportTable::recreate(db,
                          {FieldDef{s("URL"), FieldType::String, 64}, FieldDef{s("Rank"), FieldType::Integer},
                           FieldDef{s("MemoFoundLink"), FieldType::Memo}});
    EXPECT_FALSE(exists("CVReportTemp.blb"));
    const TableDef def = db.tableDef(s("CVReportTemp"));
    ASSERT_EQ(def.fields.size(), 3);
    EXPECT_EQ(def.fields.at(0).name, s("URL"));
    EXPECT_EQ(def.fields.at(0).size, 64);
    EXPECT_EQ(def.fields.at(2).type, FieldType::Memo);
    Table fresh(&db, s("CVReportTemp"));
    fresh.open();
    EXPECT_EQ(fresh.recordCount(), 0);
}

TEST_F(report_table, RecreateFromQueryFillsTheTableFromTheSelection)
{
    ReportTable::recreate(db, {FieldDef{s("Other"), FieldType::Integer}});
    Query query(&db);
    ReportTable::recreateFromQuery(query,
                                   s("SELECT URL, Rank INTO CVReportTemp FROM CVRank WHERE Project = 'Alpha' "
                                     "ORDER BY Rank"));
    Table report(&db, s("CVReportTemp"));
    report.open();
    ASSERT_EQ(report.recordCount(), 2);
    EXPECT_FALSE(report.hasField(s("Other")));
    report.first();
    EXPECT_EQ(report.asString(s("URL")), s("home"));
    EXPECT_EQ(report.asInteger(s("Rank")), 3);

    // The quoted form of the export window, run again on the same query object.
    ReportTable::recreateFromQuery(query, s("SELECT * INTO \"CVReportTemp\" FROM CVRank"));
    Table again(&db, s("CVReportTemp"));
    again.open();
    EXPECT_EQ(again.recordCount(), 3);
}

TEST_F(report_table, AStatementIntoAnotherTableIsRefusedAndTouchesNothing)
{
    ReportTable::recreate(db, {FieldDef{s("Kept"), FieldType::Integer}});
    Query query(&db);
    EXPECT_THROW(ReportTable::recreateFromQuery(query, s("SELECT * INTO CVRank FROM CVReportTemp")),
                 DatabaseError);
    EXPECT_THROW(ReportTable::recreateFromQuery(query, s("SELECT * FROM CVRank")), DatabaseError);
    EXPECT_TRUE(exists("CVReportTemp.dat"));
    Table rank(&db, s("CVRank"));
    rank.open();
    EXPECT_EQ(rank.recordCount(), 3);
}

} // namespace
