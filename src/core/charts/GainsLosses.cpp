#include "core/charts/GainsLosses.h"

#include "core/data/Dataset.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableDatabase.h"

namespace corvane::GainsLosses {

QList<Row> load(Database& general, const QString& project, const QString& engine, QDate day)
{
    Query query(&general);
    query.setRequestLive(true);
    query.setSql(QStringLiteral("SELECT * FROM CVHilo WHERE xDate = ") + SqlQuote::date(day)
                 + QStringLiteral(" AND SearchEngine = ") + SqlQuote::quoted(engine)
                 + QStringLiteral(" AND Project = ") + SqlQuote::quoted(project)
                 + QStringLiteral(" ORDER BY URL, SearchTerm nocase"));
    query.open();
    QList<Row> rows;
    int inc = 0;
    for (query.first(); !query.eof(); query.next()) {
        Row row;
        row.url = query.asString(QStringLiteral("URL"));
        row.searchTerm = query.asString(QStringLiteral("SearchTerm"));
        row.altYesterday = query.asInteger(QStringLiteral("AltYesterday"));
        row.altToday = query.asInteger(QStringLiteral("AltToday"));
        row.difference = query.asInteger(QStringLiteral("Difference"));
        row.inc = inc++;
        if (query.asInteger(QStringLiteral("Inc")) != row.inc
            || query.value(QStringLiteral("Inc")).isNull()) {
            query.edit();
            query.setValue(QStringLiteral("Inc"), row.inc);
            query.post();
        }
        rows.append(row);
    }
    query.close();
    return rows;
}

QString caption(const Row& row)
{
    return row.url + QStringLiteral("->") + row.searchTerm + QStringLiteral("\r(New: ")
        + QString::number(row.altToday) + QStringLiteral(" ~ Old: ") + QString::number(row.altYesterday)
        + QLatin1Char(')');
}

QStringList titleLines(QDate day, const QString& engine)
{
    return {QStringLiteral("Gain/Loss for ") + day.toString(QStringLiteral("yyyy-MM-dd")), engine};
}

ChartData chartData(const QList<Row>& rows, QDate day, const QString& engine)
{
    ChartData data;
    data.titleLines = titleLines(day, engine);
    data.categoryTitle = QStringLiteral("URL and search term");
    data.valueTitle = QStringLiteral("Difference");
    data.valueKind = ChartData::ValueKind::Amount;
    ChartSeriesData series;
    series.name = engine;
    for (const Row& row : rows) {
        QString label = caption(row);
        label.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        data.categories.append(label);
        series.values.append(double(row.difference));
    }
    if (!rows.isEmpty())
        data.series.append(series);
    return data;
}

PrintPages::GainsAndLossesPage printPage(const QList<Row>& rows, QDate day, const QStringList& titleLines)
{
    PrintPages::GainsAndLossesPage page;
    page.titleLines = titleLines;
    for (const Row& row : rows)
        page.rows.append({day.toString(QStringLiteral("yyyy-MM-dd")),
                          row.url + QStringLiteral(" -> ") + row.searchTerm,
                          QString::number(row.altYesterday), QString::number(row.altToday),
                          QString::number(row.difference)});
    return page;
}

QString introduction()
{
    return QStringLiteral("Use Gains and Losses to determine changes that occured between the last Harvester "
                          "Session and the Harvester Session run prior to the last.");
}

} // namespace corvane::GainsLosses
