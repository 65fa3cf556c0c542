#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvane {

// What a chart window puts on its chart, independent of how it is drawn:
// one label per category (a date, a search term, a URL) and one or more
// series with a value per category. The design decides the drawing.
struct ChartSeriesData
{
    QString name;
    QList<std::optional<double>> values; // one per category; nothing = no value that day
    QStringList captions;                // optional mark text per category (empty: the value)
};

struct ChartData
{
    // Ranks read best-first: position 1 at the top of the value axis.
    enum class ValueKind { Rank, Amount };

    QStringList titleLines;
    QStringList categories;
    QString categoryTitle;
    QString valueTitle;
    ValueKind valueKind = ValueKind::Amount;
    // Dates along the category axis may be thinned out to every n-th one;
    // other categories (terms, URLs) are each named on the axis.
    bool categoriesAreDates = false;
    QList<ChartSeriesData> series;

    int pointCount() const { return int(categories.size()); }
    bool isEmpty() const { return series.isEmpty() || categories.isEmpty(); }
};

} // namespace corvane
