#include "core/charts/ChartDesign.h"

#include "core/data/Dataset.h"

#include <algorithm>

namespace corvane {

namespace {

QString flagText(bool flag) { return flag ? QStringLiteral("True") : QStringLiteral("False"); }

bool textFlag(const QString& text)
{
    return text.trimmed().compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
}

} // namespace

const QStringList& ChartDesign::themeNames()
{
    static const QStringList names{QStringLiteral("Default"), QStringLiteral("Excel"),
                                   QStringLiteral("Classic"), QStringLiteral("Business"),
                                   QStringLiteral("Web"),     QStringLiteral("XP"),
                                   QStringLiteral("Blues")};
    return names;
}

const QStringList& ChartDesign::paletteNames()
{
    static const QStringList names{
        QStringLiteral("Default"),   QStringLiteral("Teechart"), QStringLiteral("Excel"),
        QStringLiteral("Victorian"), QStringLiteral("Pastels"),  QStringLiteral("Solid"),
        QStringLiteral("Classic"),   QStringLiteral("Web"),      QStringLiteral("Modern"),
        QStringLiteral("Rainbow"),   QStringLiteral("XP")};
    return names;
}

ChartDesign ChartDesign::defaultsFor(ChartKind kind)
{
    ChartDesign design;
    // Only the detail chart runs along dates; the others compare engines,
    // terms or URLs and keep the scores' bars. The dashboard's charts are
    // small: their bars lie down, so each term can stand beside its bar.
    design.seriesType = kind == ChartKind::DetailChart ? Line
        : kind == ChartKind::Top10                     ? HorizontalBar
                                                       : Bar;
    return design;
}

int ChartDesign::pageCount(int points) const
{
    if (pointsPerPage <= 0 || points <= 0)
        return 1;
    return (points + pointsPerPage - 1) / pointsPerPage;
}

ChartDesign ChartDesign::normalized() const
{
    ChartDesign d = *this;
    auto found = std::find_if(themeNames().begin(), themeNames().end(), [&](const QString& name) {
        return name.compare(d.theme.trimmed(), Qt::CaseInsensitive) == 0;
    });
    d.theme = found != themeNames().end() ? *found : QStringLiteral("Default");
    d.palette = std::clamp(d.palette, 0, int(paletteNames().size()) - 1);
    d.seriesType = std::clamp(d.seriesType, int(Line), int(HorizontalBar));
    d.pointsPerPage = std::clamp(d.pointsPerPage, 0, MaxPointsPerPage);
    d.imageLeft = std::clamp(d.imageLeft, 0, MaxImagePosition);
    d.imageTop = std::clamp(d.imageTop, 0, MaxImagePosition);
    return d;
}

ChartDesign ChartDesign::readDesignRow(const Dataset& row)
{
    ChartDesign d;
    d.showMarks = row.asBoolean(QStringLiteral("Design_ShowMarks"));
    d.pointsPerPage = row.asInteger(QStringLiteral("Design_PointsPerPage"));
    d.theme = row.asString(QStringLiteral("Design_Theme"));
    d.palette = row.asInteger(QStringLiteral("Design_Palette"));
    d.seriesType = row.asInteger(QStringLiteral("Design_SeriesType"));
    d.removeBands = row.asBoolean(QStringLiteral("Design_RemoveBands"));
    d.image = row.value(QStringLiteral("Design_Image")).toByteArray();
    d.imageLeft = row.asInteger(QStringLiteral("Design_ImageLeft"));
    d.imageTop = row.asInteger(QStringLiteral("Design_ImageTop"));
    d.threeD = row.asBoolean(QStringLiteral("Design_3D"));
    return d.normalized();
}

void ChartDesign::writeDesignRow(Dataset& row) const
{
    row.setValue(QStringLiteral("Design_ShowMarks"), showMarks);
    row.setValue(QStringLiteral("Design_PointsPerPage"), pointsPerPage);
    row.setValue(QStringLiteral("Design_Theme"), theme);
    row.setValue(QStringLiteral("Design_Palette"), palette);
    row.setValue(QStringLiteral("Design_SeriesType"), seriesType);
    row.setValue(QStringLiteral("Design_RemoveBands"), removeBands);
    row.setValue(QStringLiteral("Design_Image"), image.isEmpty() ? QVariant() : QVariant(image));
    row.setValue(QStringLiteral("Design_ImageLeft"), imageLeft);
    row.setValue(QStringLiteral("Design_ImageTop"), imageTop);
    row.setValue(QStringLiteral("Design_3D"), threeD);
}

ChartDesign ChartDesign::readThemeRow(const Dataset& row)
{
    ChartDesign d;
    d.seriesType = row.asInteger(QStringLiteral("Chart_Type"));
    d.showMarks = textFlag(row.asString(QStringLiteral("Chart_ShowMarks")));
    d.removeBands = textFlag(row.asString(QStringLiteral("Chart_RemoveBands")));
    d.pointsPerPage = row.asInteger(QStringLiteral("Chart_PointsPerPage"));
    d.theme = row.asString(QStringLiteral("Chart_Theme"));
    d.palette = row.asInteger(QStringLiteral("Chart_Palette"));
    d.image = row.value(QStringLiteral("Chart_Image")).toByteArray();
    d.imageLeft = row.asInteger(QStringLiteral("Chart_ImageLeft"));
    d.imageTop = row.asInteger(QStringLiteral("Chart_ImageTop"));
    d.threeD = textFlag(row.asString(QStringLiteral("Chart_3D")));
    return d.normalized();
}

void ChartDesign::writeThemeRow(Dataset& row) const
{
    row.setValue(QStringLiteral("Chart_Type"), seriesType);
    row.setValue(QStringLiteral("Chart_ShowMarks"), flagText(showMarks));
    row.setValue(QStringLiteral("Chart_RemoveBands"), flagText(removeBands));
    row.setValue(QStringLiteral("Chart_PointsPerPage"), pointsPerPage);
    row.setValue(QStringLiteral("Chart_Theme"), theme);
    row.setValue(QStringLiteral("Chart_Palette"), palette);
    row.setValue(QStringLiteral("Chart_Image"), image.isEmpty() ? QVariant() : QVariant(image));
    row.setValue(QStringLiteral("Chart_ImageLeft"), imageLeft);
    row.setValue(QStringLiteral("Chart_ImageTop"), imageTop);
    row.setValue(QStringLiteral("Chart_3D"), flagText(threeD));
}

QString chartKindName(ChartKind kind)
{
    switch (kind) {
    case ChartKind::DetailChart: return QStringLiteral("DetailChartForm");
    case ChartKind::GainsLosses: return QStringLiteral("GainsLosses");
    case ChartKind::Scores: return QStringLiteral("ScoresForm");
    case ChartKind::Top10: return QStringLiteral("Top10");
    }
    return {};
}

ChartAxisTitles axisTitlesFor(ChartKind kind)
{
    switch (kind) {
    case ChartKind::Scores: return {QString(), QStringLiteral("Score")};
    // the dashboard's cards name the terms beside their bars and leave the
    // axis title out, to keep the card's width for the terms
    case ChartKind::Top10: return {QString(), QStringLiteral("Position")};
    case ChartKind::DetailChart:
    case ChartKind::GainsLosses: break;
    }
    return {QStringLiteral("Date"), QStringLiteral("Position")};
}

} // namespace corvane
