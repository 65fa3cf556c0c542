#include "core/query/SavedQueries.h"

#include "core/data/Dataset.h"
#include "core/data/SqlQuote.h"

#include <algorithm>

namespace corvane {

namespace {

QStringList lines(const QString& text)
{
    QStringList result;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString field = line.trimmed();
        if (!field.isEmpty())
            result << field;
    }
    return result;
}

std::unique_ptr<Table> projectQueries(Database& database, const QString& project)
{
    auto table =
        std::make_unique<Table>(&database, QLatin1String(SavedQueries::TableName), QStringLiteral("Nameidx"));
    table->setFilter(QStringLiteral("Project = ") + SqlQuote::quoted(project, QLatin1Char('"')));
    table->setFiltered(true);
    table->open();
    return table;
}

} // namespace

SavedQueries::SavedQueries(Database& database)
    : m_database(database)
{
}

QStringList SavedQueries::names(const QString& project) const
{
    auto table = projectQueries(m_database, project);
    QStringList result;
    for (table->first(); !table->eof(); table->next())
        result << table->asString(QStringLiteral("Name"));
    std::sort(result.begin(), result.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return result;
}

std::optional<SavedQuery> SavedQueries::find(const QString& project, const QString& name) const
{
    auto table = projectQueries(m_database, project);
    if (!table->locate({QStringLiteral("Name")}, {name}))
        return std::nullopt;
    SavedQuery query;
    query.name = table->asString(QStringLiteral("Name"));
    query.choice.project = project;
    query.choice.fields = lines(table->asString(QStringLiteral("SelectedFields")));
    query.choice.conditions = table->asString(QStringLiteral("Conditions"));
    query.choice.orderBy = lines(table->asString(QStringLiteral("OrderBy")));
    query.choice.ascending = table->asString(QStringLiteral("Ascend")) != QLatin1String("DESC");
    query.fullSql = table->asString(QStringLiteral("FullSQL"));
    return query;
}

void SavedQueries::save(const SavedQuery& query)
{
    auto table = projectQueries(m_database, query.choice.project);
    if (table->locate({QStringLiteral("Name")}, {query.name}))
        table->edit();
    else
        table->append();
    table->setValue(QStringLiteral("Name"), query.name);
    table->setValue(QStringLiteral("Project"), query.choice.project);
    table->setValue(QStringLiteral("SelectedFields"), query.choice.fields.join(QLatin1Char('\n')));
    table->setValue(QStringLiteral("Conditions"), query.choice.conditions);
    table->setValue(QStringLiteral("OrderBy"), query.choice.orderBy.join(QLatin1Char('\n')));
    table->setValue(QStringLiteral("Ascend"),
                    query.choice.ascending ? QStringLiteral("ASC") : QStringLiteral("DESC"));
    table->setValue(QStringLiteral("FullSQL"), query.fullSql);
    table->post();
}

bool SavedQueries::remove(const QString& project, const QString& name)
{
    auto table = projectQueries(m_database, project);
    if (!table->locate({QStringLiteral("Name")}, {name}))
        return false;
    table->remove();
    return true;
}

} // namespace corvane
