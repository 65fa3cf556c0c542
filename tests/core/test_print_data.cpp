// Reading the windows' datasets into print pages, on real table files.
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/print/PrintData.h"

#include "TestSupport.h"

#include <QDate>
#include <QLocale>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

class print_data : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        db.setDirectory(profile.path());
        db.connect();
    }

    void exec(const char* sql)
    {
        Query query(&db, s(sql));
        query.execSql();
    }

    test::TempProfile profile;
    Session session{s("Default")};
    Database db{s("General"), &session};
};

TEST_F(print_data, DetailChartReadsTheWorkingTableAndLeavesTheCursorWhereItWas)
{
    TableDef merge;
    merge.name = s("Merge");
    merge.fields = {FieldDef{s("xDate"), FieldType::Date}, FieldDef{s("home"), FieldType::Integer},
                    FieldDef{s("_1st"), FieldType::Integer}};
    db.createTable(merge);
    exec("INSERT INTO Merge VALUES ('2005-12-01', 3, 7), ('2005-12-02', 4, NULL), ('2005-12-03', 0, 2)");
    Table working(&db, s("Merge"));
    working.open();
    working.moveTo(2);

    const PrintPages::DetailChartPage page = PrintData::detailChart(working, {s("Title")});
    EXPECT_EQ(working.recNo(), 2);
    EXPECT_EQ(page.seriesTitles, (QStringList{s("home"), s("_1st")}));
    ASSERT_EQ(page.rows.size(), 3);
    EXPECT_EQ(page.rows.at(0).date, s("12/1/05"));
    EXPECT_EQ(page.rows.at(0).values, (QList<std::optional<QString>>{s("3"), s("7")}));
    EXPECT_EQ(page.rows.at(1).values, (QList<std::optional<QString>>{s("4"), std::nullopt}));
    EXPECT_EQ(page.rows.at(2).values, (QList<std::optional<QString>>{std::nullopt, s("2")}));
    EXPECT_TRUE(
        PrintPages::detailChart(page).contains(s("<TD ALIGN='RIGHT'>4</TD><TD ALIGN='RIGHT'>-</TD>")));
}

TEST_F(print_data, QueryResultTakesEveryFieldInOrder)
{
    TableDef rank = *Schema::table(s("CVRank"));
    db.createTable(rank);
    exec("INSERT INTO CVRank (Project, SearchEngine, SearchTerm, URL, Rank, Page, xDate, FoundLink) VALUES "
         "('Bakery', 'Demo', 'bread', 'home', 3, 1, '2005-12-01', 'http://bakery.example/a')");
    Query grid(&db, s("SELECT URL, Rank, Page, FoundLink AS MemoFoundLink FROM CVRank"));
    grid.open();
    const PrintPages::QueryResultPage page = PrintData::queryResult(grid, s("Bakery"));
    EXPECT_EQ(page.footer, s("Records: 1"));
    EXPECT_EQ(page.fields, (QStringList{s("URL"), s("Rank"), s("Page"), s("MemoFoundLink")}));
    ASSERT_EQ(page.rows.size(), 1);
    EXPECT_EQ(page.rows.at(0), (QStringList{s("home"), s("3"), s("1"), s("http://bakery.example/a")}));
}

TEST_F(print_data, RurederOradTablesGiveTheirRowsAndMemoLines)
{
    db.createTable(*Schema::table(s("CVMix")));
    db.createTable(*Schema::table(s("Phrase")));
    exec("INSERT INTO CVMix (Name, URLCount, MetaTitle, MetaDesc, MetaST, KWDensity) VALUES "
         "('www.bakery.example', 2, 'Fresh', 'Daily', 'bread\r\nrolls\r\n', '112 (4.5%)->bread')");
    exec("INSERT INTO Phrase (Phrase, PhraseCount) VALUES ('bread', 12)");
    Table mix(&db, s("CVMix"));
    mix.open();
    const PrintPages::UrlListPage urls = PrintData::urlList(mix, s("seed"));
    ASSERT_EQ(urls.rows.size(), 1);
    EXPECT_EQ(urls.rows.at(0).count, s("2"));
    EXPECT_EQ(urls.rows.at(0).url, s("www.bakery.example"));
    const PrintPages::PageDetailPage detail = PrintData::pageDetail(mix, s("seed"));
    ASSERT_EQ(detail.pages.size(), 1);
    EXPECT_EQ(detail.pages.at(0).tags, (QStringList{s("bread"), s("rolls")}));
    EXPECT_EQ(detail.pages.at(0).densities, QStringList{s("112 (4.5%)->bread")});
    Table phrases(&db, s("Phrase"));
    phrases.open();
    const PrintPages::MergedPhrasesPage merged = PrintData::mergedPhrases(phrases, s("seed"));
    ASSERT_EQ(merged.rows.size(), 1);
    EXPECT_EQ(merged.rows.at(0).count, s("12"));
}

TEST_F(print_data, ScoresShowWholeNumbersPlainAndFractionsWithTwoDecimals)
{
    TableDef temp2;
    temp2.name = s("Scores");
    temp2.fields = {FieldDef{s("URL"), FieldType::String, 64}, FieldDef{s("Rank"), FieldType::Float}};
    db.createTable(temp2);
    exec("INSERT INTO Scores VALUES ('home', 496), ('rival', 12.5)");
    Table scores(&db, s("Scores"));
    scores.open();
    const PrintPages::ScoresPage page = PrintData::scores(scores, {s("t")});
    ASSERT_EQ(page.rows.size(), 2);
    EXPECT_EQ(page.rows.at(0).score, s("496"));
    EXPECT_EQ(page.rows.at(1).score, s("12.50"));
}

TEST_F(print_data, TheLogoFollowsTheProjectsFlagForEachReport)
{
    db.createTable(*Schema::table(s("CVProject")));
    exec("INSERT INTO CVProject (Name, Depth, Logo_Basic_Rpt, Logo_GandL_Rpt, Logo_Scores_Rpt, "
         "Logo_SEPop_Rpt, "
         "Logo_Pos_Rpt) VALUES ('Bakery', 50, 1, 0, 1, 1, 2), ('Other', 50, 0, 1, 0, 0, 1)");
    const PrintPages::Logo detail = PrintData::reportLogo(db, s("Bakery"), PrintPages::DetailChart);
    EXPECT_TRUE(detail.show);
    EXPECT_EQ(detail.position, 2);
    EXPECT_FALSE(PrintData::reportLogo(db, s("Bakery"), PrintPages::GainsAndLosses).show);
    EXPECT_TRUE(PrintData::reportLogo(db, s("Bakery"), PrintPages::Scores).show);
    EXPECT_TRUE(PrintData::reportLogo(db, s("Bakery"), PrintPages::EngineList).show);
    EXPECT_TRUE(PrintData::reportLogo(db, s("Other"), PrintPages::GainsAndLosses).show);
    EXPECT_EQ(PrintData::reportLogo(db, s("Other"), PrintPages::GainsAndLosses).position, 1);
    EXPECT_FALSE(PrintData::reportLogo(db, s("Bakery"), PrintPages::QueryResult).show);
    EXPECT_FALSE(PrintData::reportLogo(db, s("Nobody"), PrintPages::DetailChart).show);
    EXPECT_FALSE(PrintData::reportLogo(db, s("Bakery\" OR Name = \"Other"), PrintPages::DetailChart).show);
}

} // namespace
