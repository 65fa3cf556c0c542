#include "core/dayviews/DayGlanceData.h"

#include "core/data/Dataset.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableDatabase.h"
#include "core/print/ReportTable.h"

namespace corvane::DayGlance {

namespace {

int index(Grid grid) { return static_cast<int>(grid); }

QString where(const QString& project, const QDate& day)
{
    return QStringLiteral(" WHERE Project = ") + SqlQuote::quoted(project) + QStringLiteral(" AND xDate = ")
        + SqlQuote::date(day);
}

} // namespace

QStringList columns(Grid grid)
{
    switch (grid) {
    case Grid::Position:
        return {QStringLiteral("xDate"),      QStringLiteral("URL"),          QStringLiteral("SearchEngine"),
                QStringLiteral("SearchTerm"), QStringLiteral("AltYesterday"), QStringLiteral("AltToday"),
                QStringLiteral("Difference")};
    case Grid::Url: return {QStringLiteral("URLCount"), QStringLiteral("URL")};
    case Grid::SearchTerm: return {QStringLiteral("SearchTermCount"), QStringLiteral("SearchTerm")};
    case Grid::SearchEngine: return {QStringLiteral("SearchEngineCount"), QStringLiteral("SearchEngine")};
    }
    return {};
}

QString initialOrder(Grid grid) { return columns(grid).constFirst(); }

QString statement(Grid grid, const QString& project, const QDate& day, const QString& orderColumn)
{
    const QString order = orderColumn.isEmpty() ? initialOrder(grid) : orderColumn;
    switch (grid) {
    case Grid::Position:
        return QStringLiteral(
                   "SELECT xDate, URL, SearchEngine, SearchTerm, AltYesterday, AltToday, Difference "
                   "FROM CVHiLo")
            + where(project, day) + QStringLiteral(" ORDER BY ") + order + QStringLiteral(" nocase");
    case Grid::Url:
        return QStringLiteral("SELECT COUNT(URL) AS URLCount, URL FROM CVRank") + where(project, day)
            + QStringLiteral(" GROUP BY URL ORDER BY ") + order + QStringLiteral(" ASC nocase");
    case Grid::SearchTerm:
        return QStringLiteral("SELECT COUNT(SearchTerm) AS SearchTermCount, SearchTerm FROM CVRank")
            + where(project, day) + QStringLiteral(" GROUP BY SearchTerm ORDER BY ") + order
            + QStringLiteral(" ASC nocase");
    case Grid::SearchEngine:
        return QStringLiteral("SELECT COUNT(SearchEngine) AS SearchEngineCount, SearchEngine FROM CVRANK")
            + where(project, day) + QStringLiteral(" GROUP BY SearchEngine ORDER BY ") + order
            + QStringLiteral(" ASC nocase");
    }
    return {};
}

QString titleWords(Grid grid)
{
    static const char* const words[] = {"Postion Activity", "URL Activity", "SearchTerm Activity",
                                        "Search Engine Activity"};
    return QLatin1String(words[index(grid)]);
}

QString title(Grid grid, int entries)
{
    return titleWords(grid) + QStringLiteral(" (entries = ") + QString::number(entries) + QLatin1Char(')');
}

QString reportName(Grid grid)
{
    static const char* const names[] = {"PositionAct", "URLAct", "SearchTermAct", "SearchEngineAct"};
    return QLatin1String(names[index(grid)]);
}

// Field names whose report captions read "Date", "Search Engine", "Prior Day"
// and so on.
QList<FieldDef> reportFields(Grid grid)
{
    const auto text = [](const char* name, int size) {
        return FieldDef{QLatin1String(name), FieldType::String, size};
    };
    const auto number = [](const char* name) { return FieldDef{QLatin1String(name), FieldType::Integer, 0}; };
    switch (grid) {
    case Grid::Position:
        return {FieldDef{QStringLiteral("xDate"), FieldType::Date, 0},
                text("URL", 64),
                text("SearchEngine", 32),
                text("SearchTerm", 64),
                number("PriorDay"),
                number("LastSession"),
                number("Difference")};
    case Grid::Url: return {text("URL", 64), number("Count")};
    case Grid::SearchTerm: return {text("SearchTerm", 64), number("Count")};
    case Grid::SearchEngine: return {text("SearchEngine", 32), number("Count")};
    }
    return {};
}

QList<int> reportSource(Grid grid)
{
    if (grid == Grid::Position)
        return {0, 1, 2, 3, 4, 5, 6};
    return {1, 0};
}

Rows read(Query& query, Grid grid, const QString& project, const QDate& day, const QString& orderColumn)
{
    query.close();
    query.setRequestLive(false);
    query.setSql(statement(grid, project, day, orderColumn));
    query.open();
    const QStringList names = columns(grid);
    Rows rows;
    rows.values.reserve(query.recordCount());
    for (query.first(); !query.eof(); query.next()) {
        QVariantList row;
        row.reserve(names.size());
        for (const QString& name : names)
            row << query.value(name);
        rows.values << row;
    }
    query.close();
    return rows;
}

void fillReport(Database& database, Grid grid, const QList<QVariantList>& rows)
{
    const QList<FieldDef> fields = reportFields(grid);
    const QList<int> source = reportSource(grid);
    ReportTable::recreate(database, fields);
    Table report(&database, QLatin1String(ReportTable::Name));
    report.open();
    for (const QVariantList& row : rows) {
        report.append();
        for (int i = 0; i < fields.size(); ++i)
            report.setValue(fields.at(i).name, row.value(source.at(i)));
        report.post();
    }
    report.close();
}

QString webAddress(const QString& storedAddress)
{
    if (storedAddress.contains(QLatin1String("://")))
        return storedAddress;
    return QStringLiteral("http://www.") + storedAddress;
}

QHash<QString, QString> urlAddresses(Database& general, const QString& project)
{
    Query query(&general,
                QStringLiteral("SELECT Name, URL FROM CVURL WHERE Project = ") + SqlQuote::quoted(project));
    query.open();
    QHash<QString, QString> addresses;
    for (query.first(); !query.eof(); query.next())
        addresses.insert(query.asString(QStringLiteral("Name")),
                         webAddress(query.asString(QStringLiteral("URL"))));
    return addresses;
}

QHash<QString, QString> engineHomePages(Database& se3)
{
    Query query(&se3, QStringLiteral("SELECT Name, HomePage FROM SE3"));
    query.open();
    QHash<QString, QString> pages;
    for (query.first(); !query.eof(); query.next())
        pages.insert(query.asString(QStringLiteral("Name")), query.asString(QStringLiteral("HomePage")));
    return pages;
}

} // namespace corvane::DayGlance
