#include "gui/charts/ChartDesignApply.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QFont>
#include <QFontMetricsF>
#include <QGraphicsObject>
#include <QGraphicsPixmapItem>
#include <QHorizontalBarSeries>
#include <QImage>
#include <QLegend>
#include <QLineSeries>
#include <QLinearGradient>
#include <QPainter>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <functional>

namespace corvane {

namespace {

// Stacking of the pieces we add among the chart's own items: the plot area
// background lies at 0, bands at 1, grid at 2, axes at 3, series at 4 and
// the legend at 5.
constexpr qreal PictureZ = 0.5;
constexpr qreal DepthZ = 3.5;
constexpr qreal MarksZ = 4.5;
constexpr qreal DepthPixels = 9.0;
constexpr qreal BarWidth = 0.6;
constexpr qreal MinLabelPoints = 6.5;
// Marks the items applyChartDesign adds, so the next call can remove them.
constexpr int OwnItemKey = 0x4356;

struct ThemeLook
{
    QChart::ChartTheme base;
    QColor plotArea;
    QColor band;
    QColor grid;
    QString titleFamily;
    QColor backgroundTop; // invalid: the base theme's own background
    QColor backgroundBottom;
};

ThemeLook themeLook(const QString& theme)
{
    if (theme == QLatin1String("Excel"))
        return {QChart::ChartThemeLight, QColor(0xC0, 0xC0, 0xC0),     QColor(0xD4, 0xD4, 0xD4),
                QColor(Qt::black),       QStringLiteral("Sans Serif"), QColor(Qt::white),
                QColor(Qt::white)};
    if (theme == QLatin1String("Classic"))
        return {QChart::ChartThemeBrownSand,
                QColor(0xFF, 0xFD, 0xF0),
                QColor(0xEF, 0xE4, 0xC8),
                QColor(0xA0, 0x90, 0x70),
                QStringLiteral("Serif"),
                {},
                {}};
    if (theme == QLatin1String("Business"))
        return {QChart::ChartThemeBlueNcs, QColor(0xF4, 0xF7, 0xFB),     QColor(0xDC, 0xE6, 0xF2),
                QColor(0x9A, 0xB0, 0xC8),  QStringLiteral("Sans Serif"), QColor(Qt::white),
                QColor(0xB8, 0xCC, 0xE4)};
    if (theme == QLatin1String("Web"))
        return {QChart::ChartThemeQt,
                QColor(Qt::white),
                QColor(0xE8, 0xF4, 0xE0),
                QColor(0xB0, 0xC8, 0xA0),
                QStringLiteral("Sans Serif"),
                {},
                {}};
    if (theme == QLatin1String("XP"))
        return {QChart::ChartThemeBlueCerulean,
                QColor(0x12, 0x3A, 0x66),
                QColor(0x1C, 0x4C, 0x80),
                QColor(0x5A, 0x80, 0xA8),
                QStringLiteral("Sans Serif"),
                {},
                {}};
    if (theme == QLatin1String("Blues"))
        return {QChart::ChartThemeBlueIcy,
                QColor(0xF2, 0xF8, 0xFF),
                QColor(0xDA, 0xE8, 0xF8),
                QColor(0xA8, 0xC0, 0xDC),
                QStringLiteral("Sans Serif"),
                {},
                {}};
    return {QChart::ChartThemeLight,
            QColor(Qt::white),
            QColor(0xF0, 0xF0, 0xF0),
            QColor(0xC8, 0xC8, 0xC8),
            QStringLiteral("Sans Serif"),
            {},
            {}};
}

// Where a point stands and which way its mark points.
struct PlacedPoint
{
    int series = 0;
    int category = 0;
    double value = 0;
    QString caption;
};

// The drawn extras of one chart: the 3D depth behind the series, or the
// marks in front of them. Positions are taken from the chart when painted,
// so they follow every resize.
class ChartExtrasItem : public QGraphicsObject
{
public:
    enum class Kind { Depth, Marks };

    // seriesCount: the data series, which are the bar sets of a bar series.
    ChartExtrasItem(QChart& chart, Kind kind, int seriesType, QList<QColor> colours, int seriesCount)
        : QGraphicsObject(&chart)
        , m_chart(chart)
        , m_kind(kind)
        , m_seriesType(seriesType)
        , m_colours(std::move(colours))
        , m_seriesCount(std::max(1, seriesCount))
    {
        setData(OwnItemKey, true);
        setZValue(kind == Kind::Depth ? DepthZ : MarksZ);
        connect(&chart, &QChart::plotAreaChanged, this, [this] {
            prepareGeometryChange();
            update();
        });
    }

    void setPoints(QList<PlacedPoint> points) { m_points = std::move(points); }

    QRectF boundingRect() const override { return QRectF(QPointF(0, 0), m_chart.size()); }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        if (m_chart.series().isEmpty())
            return;
        painter->setRenderHint(QPainter::Antialiasing);
        if (m_kind == Kind::Depth)
            paintDepth(*painter);
        else
            paintMarks(*painter);
    }

private:
    bool horizontal() const
    {
        return m_seriesType == ChartDesign::HorizontalLine || m_seriesType == ChartDesign::HorizontalBar;
    }
    bool bars() const
    {
        return m_seriesType == ChartDesign::Bar || m_seriesType == ChartDesign::HorizontalBar;
    }

    QAbstractSeries* seriesOf(int index) const
    {
        const QList<QAbstractSeries*> all = m_chart.series();
        if (bars())
            return all.first();
        return index < all.size() ? all.at(index) : nullptr;
    }

    // Chart position of a value at a place along the category axis.
    QPointF map(double categoryPlace, double value, QAbstractSeries* series) const
    {
        return horizontal() ? m_chart.mapToPosition(QPointF(value, categoryPlace), series)
                            : m_chart.mapToPosition(QPointF(categoryPlace, value), series);
    }

    // The bar of a set in a category as a rectangle of chart positions.
    QRectF barRect(const PlacedPoint& p) const
    {
        const double slot = BarWidth / m_seriesCount;
        const double start = p.category - BarWidth / 2 + p.series * slot;
        QAbstractSeries* series = seriesOf(p.series);
        return QRectF(map(start, p.value, series), map(start + slot, 0, series)).normalized();
    }

    QPointF anchor(const PlacedPoint& p) const
    {
        QAbstractSeries* series = seriesOf(p.series);
        if (!bars())
            return map(p.category, p.value, series);
        const double slot = BarWidth / m_seriesCount;
        return map(p.category - BarWidth / 2 + (p.series + 0.5) * slot, p.value, series);
    }

    QColor colourOf(int series) const
    {
        return m_colours.isEmpty() ? QColor(Qt::gray) : m_colours.at(series % m_colours.size());
    }

    void paintDepth(QPainter& painter)
    {
        const QRectF plot = m_chart.plotArea();
        const QPointF depth(DepthPixels, -DepthPixels);
        // the floor and the back wall of the plot, seen from the front left
        painter.setPen(QPen(QColor(0, 0, 0, 60), 1));
        painter.setBrush(QColor(0, 0, 0, 28));
        painter.drawPolygon(QPolygonF(
            {plot.bottomLeft(), plot.bottomRight(), plot.bottomRight() + depth, plot.bottomLeft() + depth}));
        painter.drawPolygon(QPolygonF(
            {plot.topLeft(), plot.bottomLeft(), plot.bottomLeft() + depth, plot.topLeft() + depth}));
        painter.setClipRect(plot.adjusted(0, -DepthPixels, DepthPixels, 0));
        if (bars()) {
            for (const PlacedPoint& p : m_points) {
                const QRectF bar = barRect(p);
                if (bar.isEmpty())
                    continue;
                const QColor colour = colourOf(p.series);
                painter.setPen(QPen(colour.darker(190), 0.8));
                painter.setBrush(colour.darker(125));
                painter.drawPolygon(QPolygonF(
                    {bar.topLeft(), bar.topRight(), bar.topRight() + depth, bar.topLeft() + depth}));
                painter.setBrush(colour.darker(160));
                painter.drawPolygon(QPolygonF(
                    {bar.topRight(), bar.bottomRight(), bar.bottomRight() + depth, bar.topRight() + depth}));
            }
            return;
        }
        // a ribbon behind each line
        for (int series = 0; series < m_seriesCount; ++series) {
            QList<QPointF> line;
            for (const PlacedPoint& p : m_points)
                if (p.series == series)
                    line << anchor(p);
            const QColor colour = colourOf(series);
            painter.setPen(QPen(colour.darker(190), 0.8));
            painter.setBrush(colour.darker(140));
            for (int i = 1; i < line.size(); ++i)
                painter.drawPolygon(
                    QPolygonF({line.at(i - 1), line.at(i), line.at(i) + depth, line.at(i - 1) + depth}));
        }
    }

    void paintMarks(QPainter& painter)
    {
        const QRectF plot = m_chart.plotArea();
        const QRectF bounds = boundingRect().adjusted(1, 1, -1, -1);
        QFont font = m_chart.font();
        font.setPointSizeF(std::max(6.5, font.pointSizeF() - 1));
        painter.setFont(font);
        const QFontMetricsF metrics(font);
        for (const PlacedPoint& p : m_points) {
            QAbstractSeries* series = seriesOf(p.series);
            const QPointF at = anchor(p);
            if (!plot.adjusted(-1, -1, 1, 1).contains(at))
                continue;
            const QStringList lines =
                QString(p.caption).replace(QLatin1Char('\r'), QLatin1Char('\n')).split(QLatin1Char('\n'));
            qreal width = 0;
            for (const QString& line : lines)
                width = std::max(width, metrics.horizontalAdvance(line));
            const QSizeF size(width + 8, lines.size() * metrics.lineSpacing() + 4);
            // marks stand away from the base: above a bar or point, below a
            // point on a rank axis and below a bar reaching under zero; right
            // of a horizontal point, left of a bar reaching under zero
            const QPointF base = m_chart.mapToPosition(QPointF(0, 0), series);
            QPointF direction(0, bars() ? (at.y() > base.y() ? 1 : -1) : (isValueAxisReversed() ? 1 : -1));
            if (horizontal())
                direction = QPointF(bars() && at.x() < base.x() ? -1 : 1, 0);
            const qreal gap = 7;
            QPointF corner;
            if (direction.y() < 0)
                corner = QPointF(at.x() - size.width() / 2, at.y() - gap - size.height());
            else if (direction.y() > 0)
                corner = QPointF(at.x() - size.width() / 2, at.y() + gap);
            else if (direction.x() > 0)
                corner = QPointF(at.x() + gap, at.y() - size.height() / 2);
            else
                corner = QPointF(at.x() - gap - size.width(), at.y() - size.height() / 2);
            QRectF box(corner, size);
            box.moveLeft(std::clamp(box.left(), bounds.left(), bounds.right() - box.width()));
            box.moveTop(std::clamp(box.top(), bounds.top(), bounds.bottom() - box.height()));
            painter.setPen(QPen(QColor(90, 90, 90), 1));
            painter.drawLine(at,
                             QPointF(std::clamp(at.x(), box.left(), box.right()),
                                     std::clamp(at.y(), box.top(), box.bottom())));
            painter.setBrush(QColor(255, 255, 225));
            painter.drawRect(box);
            painter.setPen(Qt::black);
            painter.drawText(box, Qt::AlignCenter, lines.join(QLatin1Char('\n')));
        }
    }

    bool isValueAxisReversed() const
    {
        const auto axes = m_chart.axes(horizontal() ? Qt::Horizontal : Qt::Vertical);
        for (QAbstractAxis* axis : axes)
            if (qobject_cast<QValueAxis*>(axis) && !qobject_cast<QCategoryAxis*>(axis))
                return axis->isReverse();
        return false;
    }

    QChart& m_chart;
    Kind m_kind;
    int m_seriesType;
    QList<QColor> m_colours;
    int m_seriesCount;
    QList<PlacedPoint> m_points;
};

QString numberText(double value) { return QString::number(value, 'g', 10); }

// Qt Charts draws titles, axis labels and legend entries as rich text; names
// go in escaped so that "<b>" or "&amp;" show as typed. A tab or line break
// inside a name is shown as a blank.
QString chartText(const QString& plain)
{
    QString text = plain;
    for (QChar& c : text)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return text.toHtmlEscaped();
}

double niceStep(double span, int wantedTicks)
{
    const double raw = std::max(span / std::max(1, wantedTicks), 1e-9);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0, 10.0})
        if (factor * magnitude >= raw)
            return factor * magnitude;
    return 10 * magnitude;
}

void removeOwnItems(QChart& chart)
{
    const QList<QGraphicsItem*> children = chart.childItems();
    for (QGraphicsItem* item : children)
        if (item->data(OwnItemKey).toBool())
            delete item;
}

void styleChart(QChart& chart, const ChartDesign& design, QValueAxis& valueAxis, QAbstractAxis& categoryAxis)
{
    const ThemeLook look = themeLook(design.theme);
    QFont titleFont = chart.titleFont();
    titleFont.setFamily(look.titleFamily);
    titleFont.setBold(true);
    titleFont.setPointSizeF(std::max(10.0, titleFont.pointSizeF()));
    chart.setTitleFont(titleFont);

    for (QAbstractAxis* axis : {static_cast<QAbstractAxis*>(&valueAxis), &categoryAxis}) {
        QPen grid = axis->gridLinePen();
        grid.setColor(look.grid);
        grid.setWidthF(design.theme == QLatin1String("Excel") ? 1.0 : 0.8);
        axis->setGridLinePen(grid);
    }
    categoryAxis.setGridLineVisible(false);

    if (design.removeBands) {
        chart.setBackgroundBrush(Qt::white);
        chart.setPlotAreaBackgroundVisible(false);
        valueAxis.setShadesVisible(false);
        const QColor ink(Qt::black);
        chart.setTitleBrush(ink);
        chart.legend()->setLabelColor(ink);
        for (QAbstractAxis* axis : {static_cast<QAbstractAxis*>(&valueAxis), &categoryAxis}) {
            axis->setLabelsColor(ink);
            axis->setTitleBrush(ink);
            axis->setLinePenColor(ink);
        }
        return;
    }
    if (look.backgroundTop.isValid()) {
        QLinearGradient gradient(0, 0, 0, 1);
        gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
        gradient.setColorAt(0, look.backgroundTop);
        gradient.setColorAt(1, look.backgroundBottom);
        chart.setBackgroundBrush(gradient);
    }
    chart.setPlotAreaBackgroundBrush(look.plotArea);
    chart.setPlotAreaBackgroundVisible(true);
    valueAxis.setShadesVisible(true);
    valueAxis.setShadesPen(Qt::NoPen);
    valueAxis.setShadesBrush(look.band);
}

// Category labels that fit. A label longer than a good third of the chart
// across the axis (not quite half beside horizontal bars) ends in an ellipsis, so a long term cannot squeeze the plot
// away. Names (terms, URLs) are all shown, turned upright under a horizontal
// axis when side by side they would crowd; dates, and names that crowd even
// upright, are thinned out to every n-th label. `reserved` is the room the
// chart needs along the axis beside the axis itself.
void labelCategories(QCategoryAxis& axis, const ChartData& data, int first, int last, bool vertical,
                     const QSizeF& chartSize, qreal reserved)
{
    const qreal length = std::max<qreal>(60, (vertical ? chartSize.height() : chartSize.width()) - reserved);
    const qreal longest =
        std::max<qreal>(60, vertical ? chartSize.width() * 0.45 : chartSize.height() * 0.38);
    const int count = last - first + 1;
    // Names in a small chart get a smaller type, down to a size still easy to read,
    // before any of them is left out.
    QFont font = axis.labelsFont();
    const qreal height = QFontMetricsF(font).height();
    if (!data.categoriesAreDates && count * (height + 1) > length && font.pointSizeF() > 0) {
        font.setPointSizeF(std::max(MinLabelPoints, font.pointSizeF() * (length / count - 2) / height));
        axis.setLabelsFont(font);
    }
    const QFontMetricsF metrics(font);
    const qreal lineSize = metrics.height() + 4; // the room of a label lying across the axis
    QStringList labels;
    qreal widest = 0;
    for (int c = first; c <= last; ++c) {
        labels << metrics.elidedText(data.categories.at(c), Qt::ElideRight, longest);
        widest = std::max(widest, metrics.horizontalAdvance(labels.last()) + 10);
    }
    // names may stand closer, as long as they do not touch
    const qreal closest = data.categoriesAreDates ? lineSize : metrics.height() + 1;
    qreal labelSize = vertical ? closest : widest;
    int angle = 0;
    if (!vertical && !data.categoriesAreDates && count * widest > length && count * closest <= length) {
        angle = -90;
        labelSize = closest;
    }
    axis.setLabelsAngle(angle);
    const int step = std::max(1, int(std::ceil(count * labelSize / length)));
    // a label gets the room from the label before it; the first one as much,
    // and thinned-out labels start half a step in so the first stays whole
    axis.setStartValue(first - step);
    QStringList used;
    // at least one label, also when a single one is wider than the axis (Qt
    // Charts then shortens it): an axis without labels puts its title in the
    // chart's top left corner
    for (int c = first + std::min(step / 2, (last - first) / 2); c <= last; c += step) {
        QString label = chartText(labels.at(c - first));
        while (used.contains(label))
            label += QChar(0x200B); // the axis needs distinct labels
        used << label;
        axis.append(label, c);
    }
}

} // namespace

QString chartTitleHtml(const QStringList& lines)
{
    QStringList escaped;
    for (const QString& line : lines)
        for (const QString& part : line.split(QLatin1Char('\n')))
            escaped << chartText(part);
    // Lines of different lengths are centred on each other, as the title is on the chart.
    return escaped.size() > 1 ? QStringLiteral("<div align=\"center\">")
            + escaped.join(QStringLiteral("<br>")) + QStringLiteral("</div>")
                              : escaped.value(0);
}

QList<QColor> chartPaletteColours(int palette)
{
    static const QList<QList<const char*>> palettes{
        {"#1F77B4", "#FF7F0E", "#2CA02C", "#D62728", "#9467BD", "#8C564B", "#E377C2", "#7F7F7F", "#BCBD22",
         "#17BECF"},
        {"#FF0000", "#008000", "#E6C200", "#0000FF", "#808080", "#FF00FF", "#008080", "#000080", "#800000",
         "#00C000"},
        {"#9999FF", "#993366", "#E0D890", "#66CCCC", "#660066", "#FF8080", "#0066CC", "#B0B0F0", "#000080",
         "#FF00FF"},
        {"#7B2D26", "#3E5641", "#A24936", "#2E3A59", "#83BCA9", "#D6A354", "#6B2737", "#1D3557", "#8E7DBE",
         "#A8763E"},
        {"#F4A6AE", "#F8C99B", "#E8E08A", "#9ED9B0", "#9CCBF0", "#CDA8E0", "#A898C8", "#E0A0C8", "#F8B8CC",
         "#A8DCC8"},
        {"#0000FF", "#FF0000", "#00A000", "#FF8C00", "#800080", "#000000", "#00B8C0", "#8B4513", "#FF1493",
         "#708090"},
        {"#800000", "#008000", "#808000", "#000080", "#800080", "#008080", "#A0A0A0", "#404040", "#FF0000",
         "#00B000"},
        {"#FF9900", "#3366CC", "#DC3912", "#109618", "#990099", "#0099C6", "#DD4477", "#66AA00", "#B82E2E",
         "#316395"},
        {"#264653", "#2A9D8F", "#E9C46A", "#F4A261", "#E76F51", "#6D597A", "#B56576", "#355070", "#EAAC8B",
         "#588157"},
        {"#FF0000", "#FF7F00", "#F0C800", "#00B000", "#0060FF", "#4B0082", "#9400D3", "#FF1493", "#00CED1",
         "#7CB800"},
        {"#0054E3", "#3A9B37", "#F2A900", "#D8322A", "#7B5AB6", "#2F8DBA", "#E16A1C", "#6B8E23", "#B0306B",
         "#5A6F84"},
    };
    const auto& names = palettes.at(std::clamp(palette, 0, int(palettes.size()) - 1));
    QList<QColor> colours;
    for (const char* name : names)
        colours << QColor(QLatin1String(name));
    return colours;
}

void applyChartDesign(QChart& chart, const ChartData& data, const ChartDesign& requested, int page)
{
    const ChartDesign design = requested.normalized();
    removeOwnItems(chart);
    chart.removeAllSeries();
    const QList<QAbstractAxis*> oldAxes = chart.axes();
    for (QAbstractAxis* axis : oldAxes) {
        chart.removeAxis(axis);
        delete axis;
    }

    chart.setTheme(themeLook(design.theme).base);
    chart.setTitle(chartTitleHtml(data.titleLines));
    chart.legend()->setVisible(data.series.size() > 1);
    chart.legend()->setAlignment(Qt::AlignBottom);

    const QList<QColor> colours = chartPaletteColours(design.palette);
    const bool horizontal = design.isHorizontal();
    const int points = data.pointCount();
    const int pages = design.pageCount(points);
    page = std::clamp(page, 0, pages - 1);
    const int first = design.pointsPerPage > 0 ? page * design.pointsPerPage : 0;
    const int last = std::max(
        first, design.pointsPerPage > 0 ? std::min(points, first + design.pointsPerPage) - 1 : points - 1);

    auto* categoryAxis = new QCategoryAxis;
    auto* valueAxis = new QValueAxis;
    categoryAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    categoryAxis->setStartValue(first - 0.5);
    categoryAxis->setRange(first - 0.5, last + 0.5);
    categoryAxis->setTitleText(chartText(data.categoryTitle));
    valueAxis->setTitleText(chartText(data.valueTitle));
    chart.addAxis(categoryAxis, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    chart.addAxis(valueAxis, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    categoryAxis->setReverse(horizontal); // first category at the top

    // the value axis, scaled to the page's values
    double low = 0, high = 0;
    bool any = false;
    for (const ChartSeriesData& series : data.series)
        for (int c = first; c <= last && c < series.values.size(); ++c)
            if (const auto v = series.values.at(c)) {
                low = any ? std::min(low, *v) : *v;
                high = any ? std::max(high, *v) : *v;
                any = true;
            }
    // On a chart of names, marks stand in for the value axis; over dates a
    // mark names one point only, and the ranks are read from the axis.
    const bool valueLabels = !design.showMarks || data.categoriesAreDates;
    const bool ranks = data.valueKind == ChartData::ValueKind::Rank;
    if (ranks) {
        low = 1;
        high = any ? std::max(1.0, high) : 10.0;
        const double step = niceStep(high - low, 8);
        // position 1 keeps a little room above it but no 0 label; marks get
        // room for themselves below the worst rank, and at both ends where
        // they hide the labels
        const double pad = std::max(0.5, (high - low) * (design.showMarks ? 0.22 : 0.06));
        valueAxis->setRange(low - (valueLabels ? std::min(pad, 0.9) : pad), high + pad);
        valueAxis->setTickType(QValueAxis::TicksDynamic);
        valueAxis->setTickAnchor(step >= 2 ? 0 : 1);
        valueAxis->setTickInterval(step);
        valueAxis->setLabelFormat(QStringLiteral("%.0f"));
        // position 1 at the top; rank bars grow towards it, so it sits at the
        // right end of horizontal bars
        valueAxis->setReverse(!horizontal || design.isBar());
    } else {
        low = std::min(0.0, any ? low : 0.0);
        high = std::max(0.0, any ? high : 1.0);
        if (high - low < 1e-9)
            high = low + 1;
        const double pad = (high - low) * (design.showMarks ? 0.15 : 0.1);
        valueAxis->setRange(low < 0 ? low - pad : low, high + pad);
        valueAxis->applyNiceNumbers();
        valueAxis->setLabelFormat(QStringLiteral("%g"));
    }

    // Rank bars stand on the worst position shown and reach up to their rank,
    // so the best rank has the longest bar. They are drawn on a hidden axis
    // that runs from that worst position (0) to the axis' other end.
    QValueAxis* barAxis = valueAxis;
    std::function<double(double)> toBar = [](double value) { return value; };
    if (ranks && design.isBar()) {
        barAxis = new QValueAxis;
        chart.addAxis(barAxis, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
        barAxis->setRange(0, valueAxis->max() - valueAxis->min());
        barAxis->setVisible(false);
        const double worst = valueAxis->max();
        toBar = [worst](double rank) { return worst - rank; };
    }

    // series
    QList<PlacedPoint> placed;
    auto place = [&](int s, int c, double v) {
        const ChartSeriesData& series = data.series.at(s);
        const QString caption = c < series.captions.size() && !series.captions.at(c).isEmpty()
            ? series.captions.at(c)
            : numberText(v);
        if (c >= first && c <= last)
            placed << PlacedPoint{s, c, design.isBar() ? toBar(v) : v, caption};
    };
    if (design.isBar() && !data.series.isEmpty()) {
        QAbstractBarSeries* bars = horizontal ? static_cast<QAbstractBarSeries*>(new QHorizontalBarSeries)
                                              : static_cast<QAbstractBarSeries*>(new QBarSeries);
        bars->setBarWidth(BarWidth);
        for (int s = 0; s < data.series.size(); ++s) {
            auto* set = new QBarSet(chartText(data.series.at(s).name));
            for (int c = 0; c < points; ++c) {
                const auto value =
                    c < data.series.at(s).values.size() ? data.series.at(s).values.at(c) : std::nullopt;
                set->append(value ? toBar(*value) : 0.0);
                if (value)
                    place(s, c, *value);
            }
            set->setColor(colours.at(s % colours.size()));
            set->setBorderColor(colours.at(s % colours.size()).darker(150));
            bars->append(set);
        }
        chart.addSeries(bars);
        bars->attachAxis(categoryAxis);
        bars->attachAxis(barAxis);
    } else {
        for (int s = 0; s < data.series.size(); ++s) {
            auto* line = new QLineSeries;
            line->setName(chartText(data.series.at(s).name));
            for (int c = 0; c < points; ++c) {
                const auto value =
                    c < data.series.at(s).values.size() ? data.series.at(s).values.at(c) : std::nullopt;
                if (!value)
                    continue;
                line->append(horizontal ? QPointF(*value, c) : QPointF(c, *value));
                place(s, c, *value);
            }
            chart.addSeries(line);
            QPen pen(colours.at(s % colours.size()), 2.5);
            line->setPen(pen);
            line->setPointsVisible(last - first < 60);
            line->setMarkerSize(7);
            line->attachAxis(categoryAxis);
            line->attachAxis(valueAxis);
        }
    }

    categoryAxis->setLineVisible(true);
    categoryAxis->setLabelsVisible(true);
    valueAxis->setLineVisible(valueLabels);
    valueAxis->setLabelsVisible(valueLabels);
    valueAxis->setTitleVisible(valueLabels);
    // Qt Charts lays out the title of an axis that no series uses in the
    // chart's top left corner, outside the plot: an empty chart shows none.
    if (data.series.isEmpty()) {
        categoryAxis->setTitleVisible(false);
        valueAxis->setTitleVisible(false);
    }
    if (first <= last && last < points) {
        // Along the category axis the chart also needs its margins and the
        // value axis' labels and title; along a vertical one, the title and
        // the legend under the plot too.
        const QMargins margins = chart.margins();
        const qreal valueLine = QFontMetricsF(valueAxis->labelsFont()).height();
        qreal reserved = 24 + (valueLabels ? 2.5 * valueLine : 0);
        if (horizontal) {
            reserved += margins.top() + margins.bottom();
            if (!data.titleLines.isEmpty())
                reserved += (data.titleLines.size() + 0.5) * QFontMetricsF(chart.titleFont()).lineSpacing();
            if (chart.legend()->isVisible())
                reserved += 2 * QFontMetricsF(chart.legend()->font()).height();
        } else {
            reserved += margins.left() + margins.right();
        }
        labelCategories(*categoryAxis, data, first, last, horizontal,
                        chart.size().isEmpty() ? QSizeF(640, 420) : chart.size(), reserved);
    }

    styleChart(chart, design, *valueAxis, *categoryAxis);

    if (!design.image.isEmpty()) {
        QImage picture;
        if (picture.loadFromData(design.image)) {
            auto* item = new QGraphicsPixmapItem(QPixmap::fromImage(picture), &chart);
            item->setData(OwnItemKey, true);
            item->setPos(design.imageLeft, design.imageTop);
            item->setZValue(PictureZ);
        }
    }
    const int setCount = int(data.series.size());
    if (design.threeD) {
        auto* depth =
            new ChartExtrasItem(chart, ChartExtrasItem::Kind::Depth, design.seriesType, colours, setCount);
        depth->setPoints(placed);
    }
    if (design.showMarks) {
        auto* marks =
            new ChartExtrasItem(chart, ChartExtrasItem::Kind::Marks, design.seriesType, colours, setCount);
        marks->setPoints(placed);
    }
}

} // namespace corvane
