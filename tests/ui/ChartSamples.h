#pragma once

#include "core/charts/ChartData.h"

#include <QDate>
#include <QLocale>

namespace corvane::test {

// A detail chart's data: three URLs' best daily positions over `days` days,
// with a few days without a rank.
inline ChartData sampleRankChart(int days = 25)
{
    ChartData data;
    data.titleLines = {QStringLiteral("bread recipes"), QStringLiteral("DemoSearch")};
    data.categoryTitle = QStringLiteral("Date");
    data.categoriesAreDates = true;
    data.valueTitle = QStringLiteral("Position");
    data.valueKind = ChartData::ValueKind::Rank;
    const QDate start(2026, 11, 1);
    for (int d = 0; d < days; ++d)
        data.categories << QLocale().toString(start.addDays(d), QLocale::ShortFormat);
    const struct
    {
        const char* name;
        int base;
        int swing;
    } urls[] = {{"Home", 3, 2}, {"Shop", 9, 4}, {"Rival", 14, 5}};
    for (const auto& url : urls) {
        ChartSeriesData series;
        series.name = QLatin1String(url.name);
        for (int d = 0; d < days; ++d) {
            if ((d + url.base) % 11 == 0)
                series.values << std::nullopt;
            else
                series.values << double(
                    std::max(1, url.base + ((d * 7 + url.base) % (2 * url.swing + 1)) - url.swing));
        }
        data.series << series;
    }
    return data;
}

// A scores chart: one bar per URL.
inline ChartData sampleScoresChart()
{
    ChartData data;
    data.titleLines = {QStringLiteral("Overall score for 12/1/26")};
    data.valueTitle = QStringLiteral("Score");
    ChartSeriesData series;
    series.name = QStringLiteral("Score");
    const struct
    {
        const char* url;
        double score;
    } rows[] = {{"Home", 496}, {"Shop", 310}, {"Rival", 122}, {"Forum", 57}, {"Wiki", 12}};
    for (const auto& row : rows) {
        data.categories << QLatin1String(row.url);
        series.values << row.score;
    }
    data.series << series;
    return data;
}

} // namespace corvane::test
