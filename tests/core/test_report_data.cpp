// The report library's reading of the report table and of the report styles.
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/reports/ReportData.h"
#include "core/reports/ReportStyle.h"

#include "TestSupport.h"

#include <QDir>
#include <QLocale>

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::reports;

namespace {

class ReportTableTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(profile.path(QStringLiteral("Data")));
        database.setDirectory(profile.path(QStringLiteral("Data")));
        database.connect();
    }

    test::TempProfile profile;
    Session session{QStringLiteral("Test")};
    Database database{QStringLiteral("Test"), &session};
};

} // namespace

TEST(ReportCaptions, FieldNamesBecomeHeadings)
{
    EXPECT_EQ(fieldCaption(QStringLiteral("SearchEngine")), QStringLiteral("Search Engine"));
    EXPECT_EQ(fieldCaption(QStringLiteral("xDate")), QStringLiteral("Date"));
    EXPECT_EQ(fieldCaption(QStringLiteral("URLCount")), QStringLiteral("URL Count"));
    EXPECT_EQ(fieldCaption(QStringLiteral("MemoFoundLink")), QStringLiteral("Memo Found Link"));
    EXPECT_EQ(fieldCaption(QStringLiteral("Logo_Pos_Rpt")), QStringLiteral("Logo Pos Rpt"));
    EXPECT_EQ(fieldCaption(QStringLiteral("URL")), QStringLiteral("URL"));
    EXPECT_EQ(fieldCaption(QStringLiteral("x")), QStringLiteral("x"));
    EXPECT_EQ(fieldCaption(QStringLiteral("Rank")), QStringLiteral("Rank"));
}

TEST_F(ReportTableTest, TheReportTableIsReadWhateverItsColumns)
{
    TableDef def;
    def.name = QStringLiteral("CVReportTemp");
    def.fields = {FieldDef{QStringLiteral("URL"), FieldType::String, 64},
                  FieldDef{QStringLiteral("Rank"), FieldType::Integer},
                  FieldDef{QStringLiteral("xDate"), FieldType::Date},
                  FieldDef{QStringLiteral("Hit"), FieldType::Boolean},
                  FieldDef{QStringLiteral("FoundLink"), FieldType::Memo},
                  FieldDef{QStringLiteral("Score"), FieldType::String, 16}};
    database.createTable(def);
    Table table(&database, QStringLiteral("CVReportTemp"));
    table.open();
    table.append();
    table.setValue(QStringLiteral("URL"), QStringLiteral("Home"));
    table.setValue(QStringLiteral("Rank"), 3);
    table.setValue(QStringLiteral("xDate"), QDate(2026, 12, 1));
    table.setValue(QStringLiteral("Hit"), true);
    table.setValue(QStringLiteral("FoundLink"), QStringLiteral("http://example.org/a"));
    table.setValue(QStringLiteral("Score"), QStringLiteral("12.5"));
    table.post();
    table.append();
    table.setValue(QStringLiteral("URL"), QStringLiteral("Shop"));
    table.post();
    table.close();

    const ReportData data = readReportData(database);
    ASSERT_EQ(data.columns.size(), 6);
    EXPECT_EQ(data.columns.at(2).caption, QStringLiteral("Date"));
    EXPECT_FALSE(data.columns.at(0).numeric);
    EXPECT_TRUE(data.columns.at(1).numeric);
    EXPECT_TRUE(data.columns.at(4).memo);
    EXPECT_TRUE(data.columns.at(5).numeric) << "a text column holding only numbers prints as numbers";
    ASSERT_EQ(data.rows.size(), 2);
    EXPECT_EQ(
        data.rows.at(0),
        (QStringList{QStringLiteral("Home"), QStringLiteral("3"),
                     QLocale().toString(QDate(2026, 12, 1), QLocale::ShortFormat), QStringLiteral("Yes"),
                     QStringLiteral("http://example.org/a"), QStringLiteral("12.5")}));
    EXPECT_EQ(data.rows.at(1).at(1), QString()) << "an empty value prints as nothing, not 0";
    EXPECT_EQ(data.columnIndex(QStringLiteral("foundlink")), 4);
}

TEST_F(ReportTableTest, AMissingReportTableNamesItself)
{
    try {
        readReportData(database);
        FAIL() << "no error for a missing report table";
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("CVReportTemp"))) << qPrintable(e.message());
    }
}

TEST_F(ReportTableTest, StylesAreStoredPerReportAndProjectInCVReports)
{
    database.createTable(*Schema::table(QStringLiteral("CVReports")));
    ReportStyleStore store(database);
    EXPECT_EQ(store.load(QStringLiteral("Grid"), QStringLiteral("Bakery")), ReportStyle());

    ReportStyle style;
    style.title = QStringLiteral("Weekly ranks");
    style.landscape = true;
    style.fontSize = 11;
    style.hiddenColumns = {QStringLiteral("FoundLink")};
    store.save(QStringLiteral("Grid"), QStringLiteral("Bakery"), style);
    EXPECT_EQ(store.load(QStringLiteral("Grid"), QStringLiteral("Bakery")), style);
    EXPECT_EQ(store.load(QStringLiteral("Grid"), QStringLiteral("Travel")), ReportStyle());

    style.fontSize = 8;
    store.save(QStringLiteral("Grid"), QStringLiteral("Bakery"), style);
    Table rows(&database, QStringLiteral("CVReports"));
    rows.open();
    EXPECT_EQ(rows.recordCount(), 1) << "saving again changes the row";
    EXPECT_EQ(rows.asString(QStringLiteral("Caption")), QStringLiteral("Weekly ranks"));
    EXPECT_EQ(store.load(QStringLiteral("Grid"), QStringLiteral("Bakery")).fontSize, 8);
}

TEST(ReportStyles, TitlesAndLayoutTexts)
{
    ReportStyle style;
    EXPECT_EQ(style.titleFor(QStringLiteral("Top10"), QStringLiteral("Bakery")),
              QStringLiteral("Top10 - Bakery"));
    EXPECT_EQ(style.titleFor(QStringLiteral("Top10"), QString()), QStringLiteral("Top10"));
    style.title = QStringLiteral("  Mine ");
    EXPECT_EQ(style.titleFor(QStringLiteral("Top10"), QStringLiteral("Bakery")), QStringLiteral("Mine"));

    EXPECT_EQ(ReportStyle::fromLayout(QStringLiteral("not a layout")), ReportStyle());
    const ReportStyle huge = ReportStyle::fromLayout(QStringLiteral("{\"fontSize\": 400}"));
    EXPECT_EQ(huge.fontSize, ReportStyle::LargestFontSize);
    style.hiddenColumns = {QStringLiteral("Rank")};
    EXPECT_FALSE(style.showsColumn(QStringLiteral("rank")));
    EXPECT_TRUE(style.showsColumn(QStringLiteral("URL")));
}
