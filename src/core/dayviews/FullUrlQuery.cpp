#include "core/dayviews/FullUrlQuery.h"

#include "core/data/Dataset.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableDatabase.h"
#include "core/print/ReportTable.h"

namespace corvane::FullUrlQuery {

namespace {

const QString Select = QStringLiteral("SELECT URL, SearchEngine, SearchTerm, Rank, Page, xDate, Project, "
                                      "FoundLink AS MemoFoundLink FROM CVRank");

QString conditions(const Selection& selection)
{
    const struct
    {
        const char* column;
        const QStringList* items;
    } lists[] = {
        {"SearchTerm", &selection.terms}, {"SearchEngine", &selection.engines}, {"URL", &selection.urls}};
    QStringList groups;
    for (const auto& list : lists) {
        if (list.items->isEmpty())
            continue;
        QStringList items;
        for (const QString& item : *list.items)
            items << QLatin1String(list.column) + QStringLiteral(" = ")
                    + SqlQuote::quoted(item, QLatin1Char('"'));
        groups << QLatin1Char('(') + items.join(QStringLiteral(" OR ")) + QLatin1Char(')');
    }
    return groups.join(QStringLiteral(" AND "));
}

QString order(const Selection& selection)
{
    QStringList columns;
    for (const QString& entry : selection.grouping) {
        const QString column = groupingColumn(entry);
        if (!column.isEmpty())
            columns << column;
    }
    if (columns.isEmpty())
        return {};
    return QStringLiteral(" ORDER BY ") + columns.join(QStringLiteral(", ")) + QStringLiteral(" NOCASE");
}

} // namespace

QStringList defaultGrouping()
{
    return {QStringLiteral("Full Path"), QStringLiteral("Search Engine"), QStringLiteral("Search Term"),
            QStringLiteral("URL"),       QStringLiteral("Rank"),          QStringLiteral("Page")};
}

QString groupingColumn(const QString& entry)
{
    static const char* const pairs[][2] = {{"Full Path", "MemoFoundLink"},
                                           {"Search Engine", "SearchEngine"},
                                           {"Search Term", "SearchTerm"},
                                           {"URL", "URL"},
                                           {"Rank", "Rank"},
                                           {"Page", "Page"}};
    for (const auto& pair : pairs)
        if (entry == QLatin1String(pair[0]))
            return QLatin1String(pair[1]);
    return {};
}

QString statement(const Selection& selection)
{
    const QString where = conditions(selection);
    return Select + (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where) + order(selection);
}

QString filter(const QString& project, const QDate& day)
{
    return QStringLiteral("Project = ") + SqlQuote::quoted(project, QLatin1Char('"'))
        + QStringLiteral(" AND xDate = ") + SqlQuote::date(day);
}

QString runnableStatement(const Selection& selection, const QString& project, const QDate& day)
{
    const QString where = conditions(selection);
    return Select + QStringLiteral(" WHERE ") + filter(project, day)
        + (where.isEmpty() ? QString() : QStringLiteral(" AND ") + where) + order(selection);
}

QList<FieldDef> reportFields()
{
    return {{QStringLiteral("URL"), FieldType::String, 64},
            {QStringLiteral("SearchEngine"), FieldType::String, 32},
            {QStringLiteral("SearchTerm"), FieldType::String, 64},
            {QStringLiteral("Rank"), FieldType::Integer, 0},
            {QStringLiteral("Page"), FieldType::Integer, 0},
            {QStringLiteral("xDate"), FieldType::Date, 0},
            {QStringLiteral("Project"), FieldType::String, 32},
            {QStringLiteral("MemoFoundLink"), FieldType::Memo, 0}};
}

void copyToReport(Database& database, Query& result)
{
    const QList<FieldDef> fields = reportFields();
    ReportTable::recreate(database, fields);
    QStringList names;
    for (const FieldDef& field : fields)
        names << field.name;
    // Many rows a statement: a day of a large project copies in one go.
    constexpr int RowsPerInsert = 250;
    const QString head = QStringLiteral("INSERT INTO ") + QLatin1String(ReportTable::Name)
        + QStringLiteral(" (") + names.join(QStringLiteral(", ")) + QStringLiteral(") VALUES ");
    Query insert(&database);
    QStringList values;
    const auto flush = [&] {
        if (values.isEmpty())
            return;
        insert.setSql(head + values.join(QLatin1Char(',')));
        insert.execSql();
        values.clear();
    };
    for (result.first(); !result.eof(); result.next()) {
        QStringList row;
        for (const FieldDef& field : fields) {
            const QVariant value = result.value(field.name);
            if (value.isNull())
                row << QStringLiteral("NULL");
            else if (field.type == FieldType::Integer)
                row << QString::number(value.toLongLong());
            else if (field.type == FieldType::Date)
                row << SqlQuote::date(result.asDate(field.name));
            else
                row << SqlQuote::quoted(value.toString());
        }
        values << QLatin1Char('(') + row.join(QLatin1Char(',')) + QLatin1Char(')');
        if (values.size() == RowsPerInsert)
            flush();
    }
    flush();
    result.first();
}

} // namespace corvane::FullUrlQuery
