// The data behind the detail chart, gains and losses and scores, on real table files.
#include "core/charts/ChartBuilder.h"
#include "core/charts/ChartCacheBuilder.h"
#include "core/charts/DetailChart.h"
#include "core/charts/GainsLosses.h"
#include "core/charts/Scores.h"
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <map>
#include <tuple>

using namespace corvane;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

class ChartViewsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = profile.path(QStringLiteral("Data/"));
        ASSERT_TRUE(QDir().mkpath(folder));
        db.setDirectory(folder);
        db.connect();
        for (const char* name : {"CVRank", "CVSQLTee", "CVChartCache", "CVHilo", "SE3"})
            db.createTable(*Schema::table(QLatin1String(name)));
        ranks = std::make_unique<Table>(&db, QStringLiteral("CVRank"));
        ranks->open();
    }

    void rank(const QString& engine, const QString& url, const QString& term, QDate day, int position,
              const QString& project = QStringLiteral("Bakery"))
    {
        ranks->append();
        ranks->setValue(QStringLiteral("Project"), project);
        ranks->setValue(QStringLiteral("SearchEngine"), engine);
        ranks->setValue(QStringLiteral("SearchTerm"), term);
        ranks->setValue(QStringLiteral("URL"), url);
        ranks->setValue(QStringLiteral("Rank"), position);
        ranks->setValue(QStringLiteral("xDate"), day);
        ranks->post();
    }

    void chart(const QString& name, const QString& popOrder, const QStringList& series,
               const QString& select1, const QString& select2, QDate start, QDate end, bool fill,
               bool showNoValue)
    {
        Table t(&db, QStringLiteral("CVSQLTee"));
        t.open();
        t.append();
        t.setValue(QStringLiteral("Project"), QStringLiteral("Bakery"));
        t.setValue(QStringLiteral("File"), name);
        t.setValue(QStringLiteral("PopOrder"), popOrder);
        t.setValue(QStringLiteral("ForEach"), series.join(QLatin1Char('\n')));
        t.setValue(QStringLiteral("Select1"), select1);
        t.setValue(QStringLiteral("Select2"), select2);
        t.setValue(QStringLiteral("DateType"), QStringLiteral("D"));
        t.setValue(QStringLiteral("DateStart"), start);
        t.setValue(QStringLiteral("DateEnd"), end);
        t.setValue(QStringLiteral("FillDates"), fill);
        t.setValue(QStringLiteral("ShowNoValue"), showNoValue);
        t.setValue(QStringLiteral("Title"), QStringLiteral("Line one\nLine two"));
        t.post();
    }

    // Builds, writes the cache and returns what was built.
    ChartTable build(const QString& name)
    {
        ChartCacheBuilder builder(folder);
        const ChartDefinition d = builder.definition(QStringLiteral("Bakery"), name, QDate(2026, 12, 8));
        const ChartTable table = builder.buildTable(d);
        builder.writeCache(d, table);
        return table;
    }

    test::TempProfile profile;
    QString folder;
    Session session{QStringLiteral("Test")};
    Database db{QStringLiteral("Test"), &session};
    std::unique_ptr<Table> ranks;
};

// "legend: date=rank ..." per column, for comparing tables.
QStringList describe(const ChartTable& table)
{
    QStringList lines;
    for (int c = 0; c < table.legends.size(); ++c) {
        QString line = table.legends.at(c) + QLatin1Char(':');
        for (auto row = table.rows.cbegin(); row != table.rows.cend(); ++row)
            line += QLatin1Char(' ') + row.key().toString(Qt::ISODate) + QLatin1Char('=')
                + QString::number(row.value().at(c));
        lines.append(line);
    }
    return lines;
}

} // namespace

TEST_F(ChartViewsTest, BuildEqualsTheBestDailyRankComputedFromTheGeneratedRanks)
{
    // A generated profile: 3 engines, 4 URLs, 3 terms over 20 days, some
    // days missing and some URLs found twice for one engine, term and day.
    const QStringList engines{s("Alpha"), s("Beta"), s("Gamma")};
    const QStringList urls{s("Home"), s("Shop"), s("Blog"), s("Zed")};
    const QStringList terms{s("bread"), s("rye"), s("cake")};
    const QDate first(2026, 11, 1);
    QRandomGenerator random(42);
    std::map<std::tuple<QString, QString, QString, QDate>, int> best;
    for (int day = 0; day < 20; ++day)
        for (const QString& engine : engines)
            for (const QString& url : urls)
                for (const QString& term : terms) {
                    if (url == s("Zed") || random.bounded(4) == 0)
                        continue; // Zed is never found
                    const int times = random.bounded(4) == 0 ? 2 : 1;
                    for (int t = 0; t < times; ++t) {
                        const int position = 1 + int(random.bounded(50));
                        rank(engine, url, term, first.addDays(day), position);
                        auto& b = best[{engine, url, term, first.addDays(day)}];
                        b = b == 0 ? position : std::min(b, position);
                    }
                }
    const QDate start = first.addDays(2);
    const QDate end = first.addDays(24); // beyond the data: filled days stay empty
    chart(s("URLs"), s("UTS"), urls, s("rye"), s("Beta"), start, end, true, false);
    chart(s("Terms"), s("TSU"), terms, s("Alpha"), s("Shop"), start, end, false, false);
    chart(s("Engines"), s("SUT"), engines, s("Home"), s("cake"), start, end, true, true);
    chart(s("Dropped"), s("UTS"), urls, s("bread"), s("Gamma"), start, end, false, true);

    const auto expected = [&](const QStringList& values, QChar order, const QString& a, const QString& b,
                              bool fill, bool showNoValue) {
        ChartTable table;
        table.legends = values;
        if (fill)
            for (QDate day = start; day <= end; day = day.addDays(1))
                table.addRow(day);
        for (const auto& [key, position] : best) {
            const auto& [engine, url, term, day] = key;
            if (day < start || day > end)
                continue;
            for (int c = 0; c < values.size(); ++c) {
                const bool match = order == QLatin1Char('U') ? (url == values[c] && term == a && engine == b)
                    : order == QLatin1Char('T')              ? (term == values[c] && engine == a && url == b)
                                                             : (engine == values[c] && url == a && term == b);
                if (match)
                    table.setValue(day, c, position);
            }
        }
        if (showNoValue)
            table.removeEmptyColumns();
        return describe(table);
    };
    EXPECT_EQ(describe(build(s("URLs"))), expected(urls, QLatin1Char('U'), s("rye"), s("Beta"), true, false));
    EXPECT_EQ(describe(build(s("Terms"))),
              expected(terms, QLatin1Char('T'), s("Alpha"), s("Shop"), false, false));
    EXPECT_EQ(describe(build(s("Engines"))),
              expected(engines, QLatin1Char('S'), s("Home"), s("cake"), true, true));
    const ChartTable dropped = build(s("Dropped"));
    EXPECT_FALSE(dropped.legends.contains(s("Zed"))); // never found, dropped with ShowNoValue
    EXPECT_EQ(describe(dropped), expected(urls, QLatin1Char('U'), s("bread"), s("Gamma"), false, true));
    EXPECT_EQ(build(s("URLs")).rows.size(), 23); // every day of the range with FillDates
}

TEST_F(ChartViewsTest, OneDayDigitFirstValuesAndTenFilledDaysWithThreeRanked)
{
    const QDate day(2026, 11, 5);
    rank(s("Demo"), s("1st Bakery"), s("bread"), day, 4);
    rank(s("Demo"), s("1st Bakery"), s("bread"), day.addDays(1), 9); // outside the one-day range
    rank(s("Demo"), s("Home"), s("bread"), day, 2);
    chart(s("One day"), s("UTS"), {s("1st Bakery"), s("Home")}, s("bread"), s("Demo"), day, day, false,
          false);
    const ChartTable oneDay = build(s("One day"));
    EXPECT_EQ(oneDay.legends, QStringList({s("_1st Bakery"), s("Home")}));
    EXPECT_EQ(describe(oneDay), QStringList({s("_1st Bakery: 2026-11-05=4"), s("Home: 2026-11-05=2")}));

    // the cache keeps the column name; reading it back gives the same table
    ChartCacheBuilder builder(folder);
    EXPECT_EQ(describe(builder.loadCache(s("Bakery"), s("One day"), false)), describe(oneDay));

    for (int d : {0, 3, 9})
        rank(s("Demo"), s("Shop"), s("rye"), QDate(2026, 10, 1).addDays(d), 10 + d);
    chart(s("Ten days"), s("UTS"), {s("Shop")}, s("rye"), s("Demo"), QDate(2026, 10, 1), QDate(2026, 10, 10),
          true, false);
    const ChartTable ten = build(s("Ten days"));
    EXPECT_EQ(ten.rows.size(), 10);
    const ChartData data = DetailChart::chartData(ten, {s("Ten")});
    ASSERT_EQ(data.series.size(), 1);
    EXPECT_EQ(data.categories.first(), s("2026-10-01"));
    EXPECT_EQ(data.series[0].values[0], 10.0);
    EXPECT_FALSE(data.series[0].values[1].has_value());
    EXPECT_EQ(data.series[0].values[9], 19.0);
    EXPECT_EQ(data.valueKind, ChartData::ValueKind::Rank);
    // a reload with FillDates fills the days between the first and last cached
    EXPECT_EQ(builder.loadCache(s("Bakery"), s("Ten days"), true).rows.size(), 10);
}

TEST_F(ChartViewsTest, OddSeriesValuesBuildCacheAndReloadAfterTheRankTableIsGone)
{
    const QStringList odd{s("O'Brien \"best\" bread"), s("www.example.com/a b.html"),
                          s("Bäckerei & <b>Ölbrot</b>"), s(".hidden")};
    const QDate day(2026, 11, 20);
    for (int i = 0; i < odd.size(); ++i) {
        rank(s("Demo"), odd[i], s("bread"), day, i + 1);
        rank(s("Demo"), odd[i], s("bread"), day.addDays(1), i + 5);
    }
    chart(s("Odd 'names' & <more>"), s("UTS"), odd, s("bread"), s("Demo"), day, day.addDays(1), true, true);
    const ChartTable built = build(s("Odd 'names' & <more>"));
    ASSERT_EQ(built.legends.size(), 4);
    EXPECT_EQ(built.legends[3], s("_.hidden"));
    EXPECT_EQ(ChartNames::seriesValue(built.legends[3]), s(".hidden"));

    // A restart: new connections, and the rank table no longer there at all.
    ranks.reset();
    db.disconnect();
    ASSERT_TRUE(QFile::remove(folder + s("CVRank.dat")));
    ChartCacheBuilder builder(folder);
    const ChartDefinition d = builder.definition(s("Bakery"), s("Odd 'names' & <more>"), day);
    EXPECT_EQ(d.titleLines, QStringList({s("Line one"), s("Line two")}));
    const ChartTable reloaded = builder.loadCache(s("Bakery"), s("Odd 'names' & <more>"), d.fillDates);
    EXPECT_EQ(describe(reloaded), describe(built));
    const PrintPages::DetailChartPage page = DetailChart::printPage(reloaded, d.titleLines);
    EXPECT_EQ(page.seriesTitles, built.legends);
    EXPECT_EQ(page.rows.size(), 2);
}

TEST_F(ChartViewsTest, ScoresOfOneEngineAndOverall)
{
    const QDate day(2026, 12, 1);
    const QStringList terms{s("a"), s("b"), s("c"), s("d"), s("e")};
    // one engine, N = 1: rank 1 for every one of 5 terms gives (100 - 1) x 5 + 1
    for (const QString& term : terms)
        rank(s("Ten"), s("Home"), term, day, 1);
    rank(s("Ten"), s("Shop"), s("a"), day, 3);
    rank(s("Ten"), s("Blog"), s("a"), day, 11);
    rank(s("Ten"), s("Blog"), s("a"), day.addDays(-1), 1); // another day
    rank(s("Ten"), s("Home"), s("a"), day, 1, s("Other project"));
    QList<Scores::Row> one = Scores::engineScores(db, s("Bakery"), s("Ten"), day, 1);
    std::map<QString, double> byUrl;
    for (const auto& row : one)
        byUrl[row.url] = row.score;
    EXPECT_DOUBLE_EQ(byUrl[s("Home")], 496.0);
    EXPECT_DOUBLE_EQ(byUrl[s("Shop")], 98.0);
    EXPECT_DOUBLE_EQ(byUrl[s("Blog")], 90.0);
    // with two engines the count is halved
    one = Scores::engineScores(db, s("Bakery"), s("Ten"), day, 2);
    for (const auto& row : one) {
        if (row.url == s("Home")) {
            EXPECT_DOUBLE_EQ(row.score, 99.0 * 2.5 + 1);
        }
    }
    EXPECT_TRUE(Scores::engineScores(db, s("Bakery"), s("Ten"), day, 0).isEmpty());

    // Overall: popularity 10 gives 10 points at rank 1, 3 at rank 3, 0 at 11;
    // an engine of popularity 0 and an engine missing from SE3 add nothing.
    rank(s("Zero"), s("Shop"), s("a"), day, 1);
    rank(s("Unknown"), s("Shop"), s("a"), day, 1);
    const QHash<QString, int> popularity{{s("Ten"), 10}, {s("Zero"), 0}};
    std::map<QString, double> overall;
    for (const auto& row : Scores::overallScores(db, popularity, s("Bakery"), day, 0))
        overall[row.url] = row.score;
    EXPECT_EQ(overall, (std::map<QString, double>{{s("Blog"), 0}, {s("Home"), 50}, {s("Shop"), 3}}));
    // disregard 10 drops rank 11 before points are given
    overall.clear();
    for (const auto& row : Scores::overallScores(db, popularity, s("Bakery"), day, 10))
        overall[row.url] = row.score;
    EXPECT_EQ(overall, (std::map<QString, double>{{s("Home"), 50}, {s("Shop"), 3}}));
}

TEST_F(ChartViewsTest, OverallKeepsDistinctTriplesApartAndTakesTheBestOfTwoRanks)
{
    const QDate day(2026, 12, 1);
    // "ab" + "c" and "a" + "bc" join to the same text but are two rows
    rank(s("E"), s("ab"), s("c"), day, 1);
    rank(s("E"), s("a"), s("bc"), day, 1);
    // one URL found twice for one engine and term: the better rank counts
    rank(s("E"), s("Home"), s("bread"), day, 9);
    rank(s("E"), s("Home"), s("bread"), day, 2);
    std::map<QString, double> overall;
    for (const auto& row : Scores::overallScores(db, {{s("E"), 100}}, s("Bakery"), day, 0))
        overall[row.url] = row.score;
    EXPECT_EQ(overall, (std::map<QString, double>{{s("a"), 100}, {s("ab"), 100}, {s("Home"), 50}}));
    EXPECT_EQ(Scores::scoreText(496), s("496"));
    EXPECT_EQ(Scores::scoreText(247.5), s("247.5"));
    Table se3(&db, s("SE3"));
    se3.open();
    se3.append();
    se3.setValue(s("Name"), s("E"));
    se3.setValue(s("Popularity"), 70);
    se3.post();
    EXPECT_EQ(Scores::enginePopularity(db).value(s("E")), 70);
}

TEST_F(ChartViewsTest, GainsAndLossesAreNumberedByUrlThenTermIgnoringCase)
{
    const QDate day(2026, 12, 2);
    Table hilo(&db, s("CVHilo"));
    hilo.open();
    const struct
    {
        const char *url, *term, *engine;
        int yesterday, today, difference;
    } rows[] = {{"shop", "Rye", "Demo", 5, 2, 3},
                {"Home", "bread", "Demo", 3, 7, -4},
                {"home", "Apple", "Demo", 1, 1, 0},
                {"Shop", "bagel", "Demo", 9, 4, 5},
                {"Home", "bread", "Other", 2, 1, 1}};
    for (const auto& r : rows) {
        hilo.append();
        hilo.setValue(s("Project"), s("Bakery"));
        hilo.setValue(s("xDate"), day);
        hilo.setValue(s("URL"), QString::fromUtf8(r.url));
        hilo.setValue(s("SearchTerm"), QString::fromUtf8(r.term));
        hilo.setValue(s("SearchEngine"), QString::fromUtf8(r.engine));
        hilo.setValue(s("AltYesterday"), r.yesterday);
        hilo.setValue(s("AltToday"), r.today);
        hilo.setValue(s("Difference"), r.difference);
        hilo.setValue(s("Inc"), 99);
        hilo.post();
    }
    const QList<GainsLosses::Row> loaded = GainsLosses::load(db, s("Bakery"), s("Demo"), day);
    QStringList order;
    for (const auto& row : loaded)
        order.append(QString::number(row.inc) + QLatin1Char(' ') + row.url + QLatin1Char('/')
                     + row.searchTerm);
    EXPECT_EQ(order, QStringList({s("0 home/Apple"), s("1 Home/bread"), s("2 Shop/bagel"), s("3 shop/Rye")}));
    EXPECT_EQ(GainsLosses::caption(loaded[1]), s("Home->bread\r(New: 7 ~ Old: 3)"));
    EXPECT_EQ(loaded[1].difference, -4);

    // Inc is stored; the other engine's row keeps its number
    Query stored(&db, s("SELECT URL, SearchTerm, SearchEngine, Inc FROM CVHilo ORDER BY Inc"));
    stored.open();
    QStringList incs;
    for (stored.first(); !stored.eof(); stored.next())
        incs.append(stored.asString(s("Inc")) + QLatin1Char(' ') + stored.asString(s("URL"))
                    + QLatin1Char('/') + stored.asString(s("SearchTerm")));
    EXPECT_EQ(incs,
              QStringList({s("0 home/Apple"), s("1 Home/bread"), s("2 Shop/bagel"), s("3 shop/Rye"),
                           s("99 Home/bread")}));

    const ChartData chart = GainsLosses::chartData(loaded, day, s("Demo"));
    EXPECT_EQ(chart.titleLines, QStringList({s("Gain/Loss for 2026-12-02"), s("Demo")}));
    EXPECT_EQ(chart.categories[1], s("Home->bread\n(New: 7 ~ Old: 3)"));
    EXPECT_EQ(chart.series[0].values[1], -4.0);
    EXPECT_TRUE(GainsLosses::chartData({}, day, s("Demo")).isEmpty());
}

TEST(ChartBuilderShareOut, PartsHoldAtMostEighteenAndDifferByOneAtMost)
{
    const auto sizes = [](int count) {
        QStringList values;
        for (int i = 0; i < count; ++i)
            values.append(QString::number(i));
        QList<qsizetype> result;
        QStringList joined;
        for (const QStringList& part : ChartBuilder::shareOut(values)) {
            result.append(part.size());
            joined += part;
        }
        EXPECT_EQ(joined, values) << count << " values: every value once, in order";
        return result;
    };
    EXPECT_TRUE(sizes(0).isEmpty());
    EXPECT_EQ(sizes(1), QList<qsizetype>({1}));
    EXPECT_EQ(sizes(18), QList<qsizetype>({18}));
    EXPECT_EQ(sizes(19), QList<qsizetype>({9, 10}));
    EXPECT_EQ(sizes(20), QList<qsizetype>({10, 10}));
    EXPECT_EQ(sizes(36), QList<qsizetype>({18, 18}));
    EXPECT_EQ(sizes(37), QList<qsizetype>({12, 12, 13}));
}

TEST_F(ChartViewsTest, ChartBuilderRefusesBadNamesAndAutoBuildSplitsWithoutDuplicates)
{
    for (const char* name : {"CVProject", "CVURL", "CVST", "CVSE3"})
        db.createTable(*Schema::table(QLatin1String(name)));
    const auto add = [&](const char* table, const QList<std::pair<const char*, QVariant>>& values) {
        Table t(&db, QLatin1String(table));
        t.open();
        t.append();
        for (const auto& [field, value] : values)
            t.setValue(QLatin1String(field), value);
        t.post();
    };
    add("CVProject", {{"Name", s("Bakery")}, {"KeyURL", s("Home")}});
    for (const char* url : {"Home", "Crumb & Co"})
        add("CVURL", {{"Name", QString::fromUtf8(url)}, {"Project", s("Bakery")}});
    for (int i = 0; i < 20; ++i)
        add("CVST", {{"Virtual", QStringLiteral("term %1").arg(i)}, {"Project", s("Bakery")}});
    add("CVSE3", {{"Name", s("Small")}, {"Project", s("Bakery")}, {"Popularity", 5}});
    add("CVSE3", {{"Name", s("Big")}, {"Project", s("Bakery")}, {"Popularity", 90}});

    chart(s("Bread positions"), s("UTS"), {s("Home")}, s("bread"), s("Demo"), QDate(2026, 11, 1),
          QDate(2026, 11, 3), true, false);
    EXPECT_EQ(ChartBuilder::nameProblem(db, s("Bakery"), s("  ")), s("The chart needs a name."));
    for (const char* reserved : {"Top10", "ScoresForm", "GandLFile"})
        EXPECT_TRUE(ChartBuilder::nameProblem(db, s("Bakery"), QLatin1String(reserved))
                        .contains(s("keeps for its own charts")));
    EXPECT_EQ(ChartBuilder::nameProblem(db, s("Bakery"), s("Bread positions")),
              s("A chart named \"Bread positions\" already exists in project \"Bakery\"."));
    EXPECT_EQ(ChartBuilder::nameProblem(db, s("Bakery"), s("Bread positions"), s("Bread positions")),
              QString());
    EXPECT_EQ(ChartBuilder::nameProblem(db, s("Other"), s("Bread positions")), QString());

    // a saved chart reads back the same, also under a new name with its cache
    ChartBuilder::Definition d;
    d.project = s("Bakery");
    d.name = s("Crumbs \"&\" <b>Brötchen</b>");
    d.popOrder = s("TSU");
    d.series = {s("term 1"), s("1st term")};
    d.select1 = s("Big");
    d.select2 = s("Crumb & Co");
    d.lastDays = 0;
    d.start = QDate(2026, 10, 1);
    d.end = QDate(2026, 10, 31);
    d.title = s("Two\nlines");
    d.fillDates = false;
    EXPECT_EQ(ChartBuilder::definitionProblem(d), QString());
    ChartBuilder::save(db, d);
    ChartBuilder::Definition read;
    ASSERT_TRUE(ChartBuilder::load(db, s("Bakery"), d.name, read));
    EXPECT_EQ(read.series, d.series);
    EXPECT_EQ(read.popOrder, s("TSU"));
    EXPECT_EQ(read.select2, s("Crumb & Co"));
    EXPECT_EQ(read.lastDays, 0);
    EXPECT_EQ(read.end, d.end);
    EXPECT_EQ(read.title, d.title);
    rank(s("Big"), s("Crumb & Co"), s("1st term"), QDate(2026, 10, 4), 6);
    EXPECT_EQ(describe(build(d.name)),
              QStringList({s("term 1: 2026-10-04=0"), s("_1st term: 2026-10-04=6")}));
    d.name = s("Renamed");
    d.lastDays = 14;
    ChartBuilder::save(db, d, s("Crumbs \"&\" <b>Brötchen</b>"));
    EXPECT_FALSE(ChartBuilder::load(db, s("Bakery"), s("Crumbs \"&\" <b>Brötchen</b>"), read));
    ASSERT_TRUE(ChartBuilder::load(db, s("Bakery"), s("Renamed"), read));
    EXPECT_EQ(read.lastDays, 14);
    EXPECT_EQ(ChartCacheBuilder(folder).loadCache(s("Bakery"), s("Renamed"), false).legends.size(), 2);
    d.series.clear();
    EXPECT_EQ(ChartBuilder::definitionProblem(d), s("Check at least one series value."));

    const QStringList added = ChartBuilder::autoBuild(db, s("Bakery"));
    EXPECT_EQ(added.mid(0, 4),
              QStringList({s("Home on Big (1)"), s("Home on Big (2)"), s("Home on Small (1)"),
                           s("Home on Small (2)")}));
    EXPECT_EQ(added.size(), 4 + 20);
    EXPECT_EQ(added.at(4), s("term 0 on Big"));
    // the 20 terms are shared out evenly, in the order of the term table
    QStringList allTerms;
    for (int i = 0; i < 20; ++i)
        allTerms.append(QStringLiteral("term %1").arg(i));
    ASSERT_TRUE(ChartBuilder::load(db, s("Bakery"), s("Home on Big (1)"), read));
    EXPECT_EQ(read.series, allTerms.mid(0, 10));
    EXPECT_EQ(read.popOrder, s("TSU"));
    ASSERT_TRUE(ChartBuilder::load(db, s("Bakery"), s("Home on Big (2)"), read));
    EXPECT_EQ(read.series, allTerms.mid(10));
    ASSERT_TRUE(ChartBuilder::load(db, s("Bakery"), s("term 3 on Big"), read));
    EXPECT_EQ(read.series, QStringList({s("Home"), s("Crumb & Co")}));
    EXPECT_TRUE(ChartBuilder::autoBuild(db, s("Bakery")).isEmpty());
}
