#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace corvane {

class Dataset;

// The chart windows whose look a design describes. The kind decides the
// defaults and the axis titles.
enum class ChartKind { DetailChart, GainsLosses, Scores, Top10 };

// The look of one chart: the design columns of a CVSQLTee row, or a design
// theme of CVReportThemes.
struct ChartDesign
{
    enum SeriesType { Line = 0, HorizontalLine = 1, Bar = 2, HorizontalBar = 3 };

    bool showMarks = true;
    int pointsPerPage = 0;                     // 0: every point on one page
    QString theme = QStringLiteral("Default"); // one of themeNames()
    int palette = 1;                           // index into paletteNames()
    int seriesType = Bar;
    bool removeBands = false;
    QByteArray image; // picture bytes; empty when none
    int imageLeft = 0;
    int imageTop = 0;
    bool threeD = false;

    static constexpr int MaxPointsPerPage = 1000;
    static constexpr int MaxImagePosition = 1000;

    bool operator==(const ChartDesign&) const = default;

    static const QStringList& themeNames();
    static const QStringList& paletteNames();

    // The design a chart gets when its project has no row for it yet: marks,
    // all points on one page, "Default" theme, palette 1, no bands removed;
    // a bar series for scores and gains and losses, horizontal bars for the
    // dashboard's Top 10 charts, a line series for the charts over dates.
    static ChartDesign defaultsFor(ChartKind kind);

    bool isHorizontal() const { return seriesType == HorizontalLine || seriesType == HorizontalBar; }
    bool isBar() const { return seriesType == Bar || seriesType == HorizontalBar; }

    // Number of pages for a number of points; always at least 1.
    int pageCount(int points) const;

    // Out-of-range values (a hand-edited row, another program's row) are
    // brought into range: unknown theme -> "Default", palette and series
    // type clamped, positions and points per page into 0..1000.
    ChartDesign normalized() const;

    // The Design_ columns of a CVSQLTee row.
    static ChartDesign readDesignRow(const Dataset& row);
    void writeDesignRow(Dataset& row) const; // the row must be in edit or insert

    // The Chart_ columns of a CVReportThemes row (flags as "True"/"False").
    static ChartDesign readThemeRow(const Dataset& row);
    void writeThemeRow(Dataset& row) const;
};

// The names a chart window passes to the designer: "DetailChartForm",
// "GainsLosses", "ScoresForm" and "Top10".
QString chartKindName(ChartKind kind);

// Axis titles the kind gives a chart when its series type changes: the
// category axis title ("Date" for the charts over time; empty where the chart
// keeps its own, as scores and the Top 10 cards do) and the value axis title
// ("Position", or "Score" for scores).
struct ChartAxisTitles
{
    QString category;
    QString value;
};
ChartAxisTitles axisTitlesFor(ChartKind kind);

} // namespace corvane
