#include "core/charts/ChartBuilder.h"

#include "core/charts/ChartCacheBuilder.h"
#include "core/charts/ChartDesign.h"
#include "core/data/Dataset.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableDatabase.h"

#include <algorithm>

namespace corvane::ChartBuilder {

namespace {

QString rowFilter(const QString& project, const QString& name)
{
    return QStringLiteral("Project = ") + SqlQuote::quoted(project) + QStringLiteral(" AND File = ")
        + SqlQuote::quoted(name);
}

QStringList column(Database& general, const QString& sql, const QString& field)
{
    Query query(&general, sql);
    query.open();
    QStringList values;
    for (query.first(); !query.eof(); query.next()) {
        const QString value = query.asString(field);
        if (!value.isEmpty() && !values.contains(value))
            values.append(value);
    }
    return values;
}

bool exists(Database& general, const QString& project, const QString& name)
{
    Query query(&general, QStringLiteral("SELECT File FROM CVSQLTee WHERE ") + rowFilter(project, name));
    query.open();
    return !query.eof();
}

} // namespace

QString nameProblem(Database& general, const QString& project, const QString& name,
                    const QString& originalName)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("The chart needs a name.");
    if (!ChartNames::isSavedChart(name))
        return QStringLiteral(
                   "\"%1\" is a name the program keeps for its own charts. Please choose another name.")
            .arg(name);
    if (name != originalName && exists(general, project, name))
        return QStringLiteral("A chart named \"%1\" already exists in project \"%2\".").arg(name, project);
    return {};
}

QString definitionProblem(const Definition& d)
{
    const QString order = d.popOrder.toUpper();
    QString letters = order;
    std::sort(letters.begin(), letters.end());
    if (letters != QLatin1String("STU"))
        return QStringLiteral("Choose which of URL, search term and search engine are the series.");
    if (d.series.isEmpty())
        return QStringLiteral("Check at least one series value.");
    if (d.select1.isEmpty() || d.select2.isEmpty())
        return QStringLiteral("Choose the two fixed values of the chart.");
    if (d.lastDays <= 0 && (!d.start.isValid() || !d.end.isValid() || d.start > d.end))
        return QStringLiteral("The date range must start on or before its last day.");
    return {};
}

bool load(Database& general, const QString& project, const QString& name, Definition& d)
{
    Table table(&general, QStringLiteral("CVSQLTee"));
    table.setFilter(rowFilter(project, name));
    table.setFiltered(true);
    table.open();
    if (table.eof())
        return false;
    const ChartDefinition read = ChartDefinition::fromRow(table, QDate::currentDate());
    d.project = project;
    d.name = name;
    d.popOrder = read.popOrder;
    d.series = read.series;
    d.select1 = read.select1;
    d.select2 = read.select2;
    d.lastDays = table.asString(QStringLiteral("DateType")) == QLatin1String("V")
        ? table.asInteger(QStringLiteral("DateValue"))
        : 0;
    d.start = table.asDate(QStringLiteral("DateStart"));
    d.end = table.asDate(QStringLiteral("DateEnd"));
    d.fillDates = read.fillDates;
    d.showNoValue = read.showNoValue;
    d.title = read.titleLines.join(QLatin1Char('\n'));
    return true;
}

void save(Database& general, const Definition& d, const QString& originalName)
{
    Table table(&general, QStringLiteral("CVSQLTee"));
    table.setFilter(rowFilter(d.project, originalName.isEmpty() ? d.name : originalName));
    table.setFiltered(true);
    table.open();
    const bool update = !originalName.isEmpty() && !table.eof();
    if (update) {
        table.edit();
    } else {
        table.append();
        table.setValue(QStringLiteral("Project"), d.project);
        ChartDesign::defaultsFor(ChartKind::DetailChart).writeDesignRow(table);
    }
    table.setValue(QStringLiteral("File"), d.name);
    table.setValue(QStringLiteral("PopOrder"), d.popOrder.toUpper());
    table.setValue(QStringLiteral("ForEach"), d.series.join(QStringLiteral("\r\n")));
    table.setValue(QStringLiteral("Select1"), d.select1);
    table.setValue(QStringLiteral("Select2"), d.select2);
    table.setValue(QStringLiteral("DateType"), d.lastDays > 0 ? QStringLiteral("V") : QStringLiteral("D"));
    table.setValue(QStringLiteral("DateValue"), d.lastDays > 0 ? d.lastDays : 0);
    table.setValue(QStringLiteral("DateStart"), d.start.isValid() ? QVariant(d.start) : QVariant());
    table.setValue(QStringLiteral("DateEnd"), d.end.isValid() ? QVariant(d.end) : QVariant());
    table.setValue(QStringLiteral("FillDates"), d.fillDates);
    table.setValue(QStringLiteral("ShowNoValue"), d.showNoValue);
    table.setValue(QStringLiteral("Title"), d.title);
    table.post();
    if (update && originalName != d.name) {
        Query rename(&general,
                     QStringLiteral("UPDATE CVChartCache SET Chart = ") + SqlQuote::quoted(d.name)
                         + QStringLiteral(" WHERE Project = ") + SqlQuote::quoted(d.project)
                         + QStringLiteral(" AND Chart = ") + SqlQuote::quoted(originalName));
        rename.execSql();
    }
}

QStringList choices(Database& general, const QString& project, QChar letter)
{
    QString table;
    QString field = QStringLiteral("Name");
    switch (letter.toUpper().unicode()) {
    case 'U': table = QStringLiteral("CVURL"); break;
    case 'T':
        table = QStringLiteral("CVST");
        field = QStringLiteral("Virtual");
        break;
    case 'S': table = QStringLiteral("CVSE3"); break;
    default: return {};
    }
    // a table cursor without index reads the rows in table order
    Table rows(&general, table);
    rows.setFilter(QStringLiteral("Project = ") + SqlQuote::quoted(project));
    rows.setFiltered(true);
    rows.open();
    QStringList values;
    for (rows.first(); !rows.eof(); rows.next()) {
        const QString value = rows.asString(field);
        if (!value.isEmpty() && !values.contains(value))
            values.append(value);
    }
    return values;
}

QList<QStringList> shareOut(const QStringList& values)
{
    // Part i takes the values from size * i / parts on: the sizes differ by one at most.
    const qsizetype parts = (values.size() + MaxSeries - 1) / MaxSeries;
    QList<QStringList> shared;
    for (qsizetype part = 0; part < parts; ++part) {
        const qsizetype from = values.size() * part / parts;
        shared.append(values.mid(from, values.size() * (part + 1) / parts - from));
    }
    return shared;
}

QStringList autoBuild(Database& general, const QString& project)
{
    const QStringList urls = choices(general, project, QLatin1Char('U'));
    const QStringList terms = choices(general, project, QLatin1Char('T'));
    const QStringList engines =
        column(general,
               QStringLiteral("SELECT Name FROM CVSE3 WHERE Project = ") + SqlQuote::quoted(project)
                   + QStringLiteral(" ORDER BY Popularity DESC"),
               QStringLiteral("Name"));
    Query key(&general,
              QStringLiteral("SELECT KeyURL FROM CVProject WHERE Name = ") + SqlQuote::quoted(project));
    key.open();
    const QString keyUrl = key.eof() ? QString() : key.asString(QStringLiteral("KeyURL"));

    QStringList added;
    const auto add = [&](const QString& name, const QString& order, const QStringList& series,
                         const QString& select1, const QString& select2) {
        const QList<QStringList> parts = shareOut(series);
        for (qsizetype part = 0; part < parts.size(); ++part) {
            const QString partName =
                parts.size() > 1 ? QStringLiteral("%1 (%2)").arg(name).arg(part + 1) : name;
            if (exists(general, project, partName))
                continue;
            Definition d;
            d.project = project;
            d.name = partName;
            d.popOrder = order;
            d.series = parts.at(part);
            d.select1 = select1;
            d.select2 = select2;
            d.lastDays = 30;
            d.fillDates = true;
            d.showNoValue = false;
            d.title = partName;
            save(general, d);
            added.append(partName);
        }
    };
    if (!keyUrl.isEmpty())
        for (const QString& engine : engines)
            add(keyUrl + QStringLiteral(" on ") + engine, QStringLiteral("TSU"), terms, engine, keyUrl);
    if (!engines.isEmpty() && !urls.isEmpty())
        for (const QString& term : terms)
            add(term + QStringLiteral(" on ") + engines.first(), QStringLiteral("UTS"), urls, term,
                engines.first());
    return added;
}

} // namespace corvane::ChartBuilder
