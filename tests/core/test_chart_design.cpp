#include "core/charts/ChartDesign.h"
#include "core/charts/ChartDesignStore.h"
#include "core/data/Dataset.h"
#include "core/data/TableDatabase.h"
#include "core/platform/Registry.h"
#include "core/settings/ProfileSetup.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

// A data folder with every table, and a database on it.
struct DataFolder
{
    test::TempProfile profile;
    Session session{s("ChartDesignSession")};
    Database database{s("ChartDesignDatabase"), &session};

    DataFolder()
    {
        Registry registry(profile.registryPath());
        ProfileSetup setup(registry, profile.path(s("Home")));
        if (!setup.run())
            ADD_FAILURE() << qPrintable(setup.error());
        database.setDirectory(
            RegistryKey(registry, s("Software\\Corvane\\File Locations")).readString(s("DataFolder")));
        database.connect();
    }
};

ChartDesign sampleDesign()
{
    ChartDesign d;
    d.showMarks = false;
    d.pointsPerPage = 10;
    d.theme = s("Blues");
    d.palette = 7;
    d.seriesType = ChartDesign::HorizontalBar;
    d.removeBands = true;
    d.image = QByteArray("BM\x01\x02picture", 11);
    d.imageLeft = 40;
    d.imageTop = 25;
    d.threeD = true;
    return d;
}

} // namespace

TEST(ChartDesign, DefaultsPerChartKind)
{
    const ChartDesign scores = ChartDesign::defaultsFor(ChartKind::Scores);
    EXPECT_TRUE(scores.showMarks);
    EXPECT_EQ(scores.pointsPerPage, 0);
    EXPECT_EQ(scores.theme, s("Default"));
    EXPECT_EQ(scores.palette, 1);
    EXPECT_EQ(scores.seriesType, ChartDesign::Bar);
    EXPECT_FALSE(scores.removeBands);
    EXPECT_FALSE(scores.threeD);
    EXPECT_TRUE(scores.image.isEmpty());

    EXPECT_EQ(ChartDesign::defaultsFor(ChartKind::GainsLosses), scores);
    // the dashboard's small charts: one bar a term, the terms beside the bars
    ChartDesign topTen = scores;
    topTen.seriesType = ChartDesign::HorizontalBar;
    EXPECT_EQ(ChartDesign::defaultsFor(ChartKind::Top10), topTen);
    ChartDesign timeChart = scores;
    timeChart.seriesType = ChartDesign::Line;
    EXPECT_EQ(ChartDesign::defaultsFor(ChartKind::DetailChart), timeChart);
}

TEST(ChartDesign, NamesPagesAndRanges)
{
    EXPECT_EQ(
        ChartDesign::themeNames(),
        QStringList({s("Default"), s("Excel"), s("Classic"), s("Business"), s("Web"), s("XP"), s("Blues")}));
    EXPECT_EQ(ChartDesign::paletteNames().size(), 11);
    EXPECT_EQ(ChartDesign::paletteNames().at(1), s("Teechart"));

    ChartDesign d;
    EXPECT_EQ(d.pageCount(25), 1);
    d.pointsPerPage = 10;
    EXPECT_EQ(d.pageCount(25), 3);
    EXPECT_EQ(d.pageCount(20), 2);
    EXPECT_EQ(d.pageCount(0), 1);

    d.theme = s("blues");
    d.palette = 40;
    d.seriesType = -2;
    d.imageLeft = 5000;
    d.pointsPerPage = -1;
    const ChartDesign n = d.normalized();
    EXPECT_EQ(n.theme, s("Blues"));
    EXPECT_EQ(n.palette, 10);
    EXPECT_EQ(n.seriesType, ChartDesign::Line);
    EXPECT_EQ(n.imageLeft, 1000);
    EXPECT_EQ(n.pointsPerPage, 0);
    d.theme = s("Neon");
    EXPECT_EQ(d.normalized().theme, s("Default"));

    EXPECT_EQ(chartKindName(ChartKind::GainsLosses), s("GainsLosses"));
    EXPECT_EQ(axisTitlesFor(ChartKind::DetailChart).category, s("Date"));
    EXPECT_EQ(axisTitlesFor(ChartKind::DetailChart).value, s("Position"));
    EXPECT_EQ(axisTitlesFor(ChartKind::Scores).value, s("Score"));
}

TEST(ChartDesignStore, NewScoresRowGetsTheDefaultsAndRoundTrips)
{
    DataFolder folder;
    ChartDesignStore store(folder.database);
    EXPECT_FALSE(store.load(s("Bakery"), s("ScoresForm")).has_value());

    const ChartDesign created = store.loadOrCreate(s("Bakery"), s("ScoresForm"), ChartKind::Scores);
    EXPECT_EQ(created, ChartDesign::defaultsFor(ChartKind::Scores));

    Table table(&folder.database, s("CVSQLTee"));
    table.open();
    ASSERT_EQ(table.recordCount(), 1);
    EXPECT_EQ(table.asString(s("Project")), s("Bakery"));
    EXPECT_EQ(table.asString(s("File")), s("ScoresForm"));
    EXPECT_TRUE(table.asBoolean(s("Design_ShowMarks")));
    EXPECT_EQ(table.asInteger(s("Design_SeriesType")), 2);
    EXPECT_EQ(table.asString(s("Design_Theme")), s("Default"));
    EXPECT_EQ(table.asInteger(s("Design_Palette")), 1);
    table.close();

    // saving replaces the row; another project's row stays apart
    store.save(s("Bakery"), s("ScoresForm"), sampleDesign());
    store.save(s("Travel"), s("ScoresForm"), ChartDesign::defaultsFor(ChartKind::Scores));
    EXPECT_EQ(store.loadOrCreate(s("Bakery"), s("ScoresForm"), ChartKind::Scores), sampleDesign());
    EXPECT_EQ(*store.load(s("Travel"), s("ScoresForm")), ChartDesign::defaultsFor(ChartKind::Scores));
    table.open();
    EXPECT_EQ(table.recordCount(), 2);
}

TEST(ChartDesignStore, ValuesWithQuotesStayValues)
{
    DataFolder folder;
    ChartDesignStore store(folder.database);
    store.save(s("P1"), s("O'Reilly \"books\""), sampleDesign());
    EXPECT_EQ(*store.load(s("P1"), s("O'Reilly \"books\"")), sampleDesign());
    store.saveTheme(s("Bob's \"theme\""), sampleDesign());
    EXPECT_EQ(*store.loadTheme(s("Bob's \"theme\"")), sampleDesign());
}

TEST(ChartDesignStore, ThemesRoundTripWithTextFlags)
{
    DataFolder folder;
    ChartDesignStore store(folder.database);
    EXPECT_TRUE(store.themeNames().isEmpty());

    store.saveTheme(s("Print"), sampleDesign());
    ChartDesign plain = ChartDesign::defaultsFor(ChartKind::DetailChart);
    store.saveTheme(s("Blue Marks"), plain);

    // a report theme of another kind is no chart theme
    Table table(&folder.database, s("CVReportThemes"));
    table.open();
    table.append();
    table.setValue(s("ThemeName"), s("Aardvark"));
    table.setValue(s("ThemeType"), s("Report"));
    table.post();
    table.close();

    EXPECT_EQ(store.themeNames(), QStringList({s("Blue Marks"), s("Print")}));
    EXPECT_EQ(*store.loadTheme(s("Print")), sampleDesign());

    table.setFilter(s("ThemeName = 'Print'"));
    table.setFiltered(true);
    table.open();
    EXPECT_EQ(table.asString(s("ThemeType")), s("Chart"));
    EXPECT_EQ(table.asString(s("Chart_ShowMarks")), s("False"));
    EXPECT_EQ(table.asString(s("Chart_RemoveBands")), s("True"));
    EXPECT_EQ(table.asString(s("Chart_3D")), s("True"));
    EXPECT_EQ(table.asInteger(s("Chart_Type")), 3);
    table.close();

    // saving under an existing name updates it
    plain.palette = 4;
    store.saveTheme(s("Print"), plain);
    EXPECT_EQ(store.themeNames().size(), 2);
    EXPECT_EQ(store.loadTheme(s("Print"))->palette, 4);

    EXPECT_TRUE(store.deleteTheme(s("Print")));
    EXPECT_FALSE(store.deleteTheme(s("Print")));
    EXPECT_FALSE(store.loadTheme(s("Print")).has_value());
    EXPECT_EQ(store.themeNames(), QStringList({s("Blue Marks")}));
}
