#pragma once

#include "core/charts/ChartData.h"
#include "core/charts/ChartDesign.h"

#include <QColor>
#include <QList>
#include <QSizeF>
#include <QString>
#include <QStringList>

class QChart;

namespace corvane {

// The colours of a palette (an index into ChartDesign::paletteNames()), in
// series order.
QList<QColor> chartPaletteColours(int palette);

// A chart title as Qt Charts' rich text: each line (and each line break
// inside one) on a line of its own, every character shown as written.
QString chartTitleHtml(const QStringList& lines);

// Rebuilds the chart from the data in the design's look and shows one page
// of it (0-based, clamped to the pages there are):
//  - series class by series type: a line series per data series (types 0
//    and 1, the horizontal line drawn with values along the bottom axis), or
//    one bar / horizontal bar series with a bar set per data series (2, 3);
//  - the category axis carries the labels (dates, terms, URLs) and the
//    value axis is scaled to the page's values; a rank axis reads position 1
//    at the top (vertical types) or at the left (horizontal types), and the
//    first category of a horizontal chart stands at the top;
//  - while marks caption every point, the value axis shows neither line,
//    labels nor title (its grid and bands stay); without marks it keeps them
//    so the values stay readable;
//  - rank bars stand on the worst position shown and reach up to their rank
//    (right, for horizontal bars), so the best rank has the longest bar;
//  - the named theme, the palette, background bands (alternate value bands
//    and a coloured plot area, all white when removed), the picture at
//    (left, top) behind the series, and 3D as a drawn depth behind every bar
//    and line.
// The page navigator around the chart is DesignedChartView's.
void applyChartDesign(QChart& chart, const ChartData& data, const ChartDesign& design, int page = 0);

} // namespace corvane
