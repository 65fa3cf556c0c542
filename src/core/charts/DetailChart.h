#pragma once

#include "core/charts/ChartCacheBuilder.h"
#include "core/charts/ChartData.h"
#include "core/print/PrintPages.h"

#include <QStringList>

namespace corvane::DetailChart {

// The most series a chart holds before the window asks whether to go on.
inline constexpr int LargeSeriesList = 18;

// The chart of a working table: one category per date row ("yyyy-mm-dd"),
// one series per column, titled by its column name; no value where the table
// holds no position.
ChartData chartData(const ChartTable& table, const QStringList& titleLines);

// The data part of print kind 1.
PrintPages::DetailChartPage printPage(const ChartTable& table, const QStringList& titleLines);

// The window's introduction text.
QString introduction();

} // namespace corvane::DetailChart
