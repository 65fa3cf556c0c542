// Saved charts built from stored ranks into the chart cache.
#include "core/charts/ChartCacheBuilder.h"
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableCopy.h"
#include "core/data/TableDatabase.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

class ChartCacheBuilderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = profile.path(QStringLiteral("Data/"));
        ASSERT_TRUE(QDir().mkpath(folder));
        db.setDirectory(folder);
        db.connect();
        for (const char* name : {"CVRank", "CVSQLTee", "CVChartCache"})
            db.createTable(*Schema::table(QLatin1String(name)));
    }

    void rank(const char* url, const char* day, int position, const char* term = "bread")
    {
        Table t(&db, QStringLiteral("CVRank"));
        t.open();
        t.append();
        t.setValue(QStringLiteral("Project"), QStringLiteral("Bakery"));
        t.setValue(QStringLiteral("SearchEngine"), QStringLiteral("Demo"));
        t.setValue(QStringLiteral("SearchTerm"), QLatin1String(term));
        t.setValue(QStringLiteral("URL"), QLatin1String(url));
        t.setValue(QStringLiteral("Rank"), position);
        t.setValue(QStringLiteral("xDate"), QDate::fromString(QLatin1String(day), Qt::ISODate));
        t.post();
    }

    void chart(const char* name, const QString& series, QDate start, QDate end, bool fill, bool showNoValue)
    {
        Table t(&db, QStringLiteral("CVSQLTee"));
        t.open();
        t.append();
        t.setValue(QStringLiteral("Project"), QStringLiteral("Bakery"));
        t.setValue(QStringLiteral("File"), QLatin1String(name));
        t.setValue(QStringLiteral("PopOrder"), QStringLiteral("UTS"));
        t.setValue(QStringLiteral("ForEach"), series);
        t.setValue(QStringLiteral("Select1"), QStringLiteral("bread"));
        t.setValue(QStringLiteral("Select2"), QStringLiteral("Demo"));
        t.setValue(QStringLiteral("DateType"), QStringLiteral("D"));
        t.setValue(QStringLiteral("DateStart"), start);
        t.setValue(QStringLiteral("DateEnd"), end);
        t.setValue(QStringLiteral("FillDates"), fill);
        t.setValue(QStringLiteral("ShowNoValue"), showNoValue);
        t.post();
    }

    // "legend date value" lines of the cache, in table order.
    QStringList cache(const char* chartName)
    {
        Query q(
            &db,
            QStringLiteral(
                "SELECT Legend, xDate, xValue FROM CVChartCache WHERE Chart = '%1' ORDER BY xDate, Legend")
                .arg(QLatin1String(chartName)));
        q.open();
        QStringList lines;
        for (q.first(); !q.eof(); q.next())
            lines.append(q.asString(QStringLiteral("Legend")) + QLatin1Char(' ')
                         + q.asDate(QStringLiteral("xDate")).toString(Qt::ISODate) + QLatin1Char(' ')
                         + q.asString(QStringLiteral("xValue")));
        return lines;
    }

    test::TempProfile profile;
    QString folder;
    Session session{QStringLiteral("Test")};
    Database db{QStringLiteral("Test"), &session};
};

const QDate Jan1{2026, 1, 1};

} // namespace

TEST_F(ChartCacheBuilderTest, BestDailyPositionPerSeriesWithFilledDatesAndUnderscoreNames)
{
    rank("Home", "2026-01-02", 7);
    rank("Home", "2026-01-02", 3); // the best of the day counts
    rank("Home", "2026-01-04", 5);
    rank("1st Page", "2026-01-04", 12);
    rank("Home", "2026-01-04", 1, "cake"); // another term is not part of the chart
    chart("Trend", QStringLiteral("Home\r\n1st Page\r\n\r\nNever Found\r\n"), Jan1, Jan1.addDays(3), true,
          false);

    ChartCacheBuilder builder(folder);
    EXPECT_EQ(builder.build(QStringLiteral("Bakery"), QStringLiteral("Trend")), 12); // 4 days x 3 series
    const QStringList lines = cache("Trend");
    EXPECT_TRUE(lines.contains(QStringLiteral("Home 2026-01-02 3")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Home 2026-01-04 5")));
    EXPECT_TRUE(lines.contains(QStringLiteral("_1st Page 2026-01-04 12")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Home 2026-01-01 ")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Never Found 2026-01-03 ")));

    // Building again replaces the chart's rows rather than adding to them.
    builder.build(QStringLiteral("Bakery"), QStringLiteral("Trend"));
    EXPECT_EQ(cache("Trend").size(), 12);
}

TEST_F(ChartCacheBuilderTest, UnfilledSingleDayAndEmptySeriesRemoval)
{
    rank("Home", "2026-01-02", 4);
    rank("Home", "2026-01-03", 6);
    chart("OneDay", QStringLiteral("Home\nNever Found"), Jan1.addDays(1), Jan1.addDays(1), false, true);
    chart("Sparse", QStringLiteral("Home"), Jan1, Jan1.addDays(9), false, false);

    ChartCacheBuilder builder(folder);
    builder.build(QStringLiteral("Bakery"), QStringLiteral("OneDay"));
    EXPECT_EQ(cache("OneDay"), QStringList{QStringLiteral("Home 2026-01-02 4")});
    builder.build(QStringLiteral("Bakery"), QStringLiteral("Sparse"));
    EXPECT_EQ(cache("Sparse"),
              (QStringList{QStringLiteral("Home 2026-01-02 4"), QStringLiteral("Home 2026-01-03 6")}));
}

TEST_F(ChartCacheBuilderTest, BuildAllSkipsOtherWindowsRowsAndNamesMissingCharts)
{
    rank("Home", "2026-01-02", 4);
    chart("Trend", QStringLiteral("Home"), Jan1, Jan1.addDays(2), true, false);
    chart("Top10", QStringLiteral("Home"), Jan1, Jan1.addDays(2), true, false);
    chart("GandLFile", QStringLiteral("Home"), Jan1, Jan1.addDays(2), true, false);

    ChartCacheBuilder builder(folder);
    EXPECT_EQ(builder.charts(QStringLiteral("Bakery")), QStringList{QStringLiteral("Trend")});
    QStringList progress;
    EXPECT_EQ(builder.buildAll(QStringLiteral("Bakery"), [&](const QString& line) { progress << line; }), 1);
    EXPECT_EQ(progress, QStringList{QStringLiteral("Trend: 3 cache rows")});
    EXPECT_TRUE(cache("Top10").isEmpty());

    try {
        builder.build(QStringLiteral("Bakery"), QStringLiteral("Nope"));
        FAIL() << "a missing chart must throw";
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("\"Nope\"")));
    }
}

// The builder keeps its connections to CVRank and CVChartCache between
// Refreshes: what it writes is committed for every other reader at once, a
// restore of both tables into the live folder while it holds them is what
// the next Refresh reads and replaces, and a table file gone meanwhile is
// named in the error and found again once it is back.
TEST_F(ChartCacheBuilderTest, KeptConnectionsSeeRestoredTablesAndCommitEveryWrite)
{
    rank("Home", "2026-01-02", 4);
    chart("Trend", QStringLiteral("Home"), Jan1, Jan1.addDays(2), true, false);
    ChartCacheBuilder builder(folder);
    EXPECT_EQ(builder.build(QStringLiteral("Bakery"), QStringLiteral("Trend"), Jan1), 3);
    EXPECT_TRUE(cache("Trend").contains(QStringLiteral("Home 2026-01-02 4")));

    // a backup taken now, then a rank harvested after it and built
    const QString saved = profile.path(QStringLiteral("Backup/"));
    ASSERT_TRUE(QDir().mkpath(saved));
    Session backupSession(QStringLiteral("Backup"));
    Database backup(QStringLiteral("Backup"), &backupSession);
    backup.setDirectory(saved);
    backup.connect();
    for (const char* table : {"CVRank", "CVChartCache"})
        TableCopy::copy(db, QLatin1String(table), backup, TableCopy::Replace::ByRename);
    rank("Home", "2026-01-03", 2);
    builder.build(QStringLiteral("Bakery"), QStringLiteral("Trend"), Jan1);
    EXPECT_TRUE(cache("Trend").contains(QStringLiteral("Home 2026-01-03 2")));

    // restored into the live folder while the builder holds both files open
    for (const char* table : {"CVRank", "CVChartCache"})
        TableCopy::copy(backup, QLatin1String(table), db, TableCopy::Replace::InPlace);
    EXPECT_TRUE(cache("Trend").contains(QStringLiteral("Home 2026-01-03 ")));
    EXPECT_EQ(builder.loadCache(QStringLiteral("Bakery"), QStringLiteral("Trend"), true)
                  .rows.value(Jan1.addDays(2)),
              QList<int>({0}));
    rank("Home", "2026-01-03", 6);
    EXPECT_EQ(builder.build(QStringLiteral("Bakery"), QStringLiteral("Trend"), Jan1), 3);
    EXPECT_EQ(cache("Trend"),
              QStringList({QStringLiteral("Home 2026-01-01 "), QStringLiteral("Home 2026-01-02 4"),
                           QStringLiteral("Home 2026-01-03 6")}));

    // the cache file taken away and put back
    const QString cacheFile = folder + QStringLiteral("CVChartCache.dat");
    const QString aside = profile.path(QStringLiteral("CVChartCache.aside"));
    ASSERT_TRUE(QFile::rename(cacheFile, aside));
    try {
        builder.build(QStringLiteral("Bakery"), QStringLiteral("Trend"), Jan1);
        FAIL() << "a missing cache table must throw";
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("CVChartCache"))) << qPrintable(e.message());
    }
    ASSERT_TRUE(QFile::rename(aside, cacheFile));
    EXPECT_EQ(builder.build(QStringLiteral("Bakery"), QStringLiteral("Trend"), Jan1), 3);
    EXPECT_TRUE(cache("Trend").contains(QStringLiteral("Home 2026-01-03 6")));
}

TEST(ChartNames, LegendsAndSeriesValues)
{
    EXPECT_EQ(ChartNames::legend(QStringLiteral("Home")), QStringLiteral("Home"));
    EXPECT_EQ(ChartNames::legend(QStringLiteral("1st")), QStringLiteral("_1st"));
    EXPECT_EQ(ChartNames::legend(QStringLiteral("www.x")), QStringLiteral("www.x"));
    EXPECT_EQ(ChartNames::seriesValue(QStringLiteral("_1st")), QStringLiteral("1st"));
    EXPECT_EQ(ChartNames::rankColumn(QLatin1Char('t')), QStringLiteral("SearchTerm"));
    EXPECT_TRUE(ChartNames::rankColumn(QLatin1Char('X')).isEmpty());
}
