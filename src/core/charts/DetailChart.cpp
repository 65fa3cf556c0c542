#include "core/charts/DetailChart.h"

namespace corvane::DetailChart {

ChartData chartData(const ChartTable& table, const QStringList& titleLines)
{
    ChartData data;
    data.titleLines = titleLines;
    data.categoryTitle = QStringLiteral("Date");
    data.categoriesAreDates = true;
    data.valueTitle = QStringLiteral("Position");
    data.valueKind = ChartData::ValueKind::Rank;
    for (auto row = table.rows.cbegin(); row != table.rows.cend(); ++row)
        data.categories.append(row.key().toString(QStringLiteral("yyyy-MM-dd")));
    for (int column = 0; column < table.legends.size(); ++column) {
        ChartSeriesData series;
        series.name = table.legends.at(column);
        for (const QList<int>& values : table.rows) {
            const int rank = values.at(column);
            series.values.append(rank > 0 ? std::optional<double>(rank) : std::nullopt);
        }
        data.series.append(series);
    }
    return data;
}

PrintPages::DetailChartPage printPage(const ChartTable& table, const QStringList& titleLines)
{
    PrintPages::DetailChartPage page;
    page.titleLines = titleLines;
    page.seriesTitles = table.legends;
    for (auto row = table.rows.cbegin(); row != table.rows.cend(); ++row) {
        PrintPages::DetailChartPage::Row line;
        line.date = row.key().toString(QStringLiteral("yyyy-MM-dd"));
        for (const int rank : row.value())
            line.values.append(rank > 0 ? std::optional<QString>(QString::number(rank)) : std::nullopt);
        page.rows.append(line);
    }
    return page;
}

QString introduction()
{
    return QStringLiteral("Detail Chart displays accumulated ranking information in chart format.  The data "
                          "consists of four parts: date, search engine, search term and URL.");
}

} // namespace corvane::DetailChart
