#include "core/charts/ChartDesignStore.h"

#include "core/data/DatabaseError.h"
#include "core/data/Dataset.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableDatabase.h"

namespace corvane {

namespace {

const QString DesignTable = QStringLiteral("CVSQLTee");
const QString DesignIndex = QStringLiteral("SQLTeeFileidx");
const QString ThemeTable = QStringLiteral("CVReportThemes");
const QString ThemeIndex = QStringLiteral("ThemeNameidx");

// Opens a cursor on the design row of one project's chart.
void openDesignRow(Table& table, const QString& project, const QString& file)
{
    table.setFilter(QStringLiteral("Project = ") + SqlQuote::quoted(project, QLatin1Char('"'))
                    + QStringLiteral(" AND File = ") + SqlQuote::quoted(file, QLatin1Char('"')));
    table.setFiltered(true);
    table.open();
}

void openTheme(Table& table, const QString& name)
{
    table.setFilter(QStringLiteral("ThemeType = ") + SqlQuote::quoted(ChartDesignStore::themeType())
                    + QStringLiteral(" AND ThemeName = ") + SqlQuote::quoted(name));
    table.setFiltered(true);
    table.open();
}

} // namespace

ChartDesignStore::ChartDesignStore(Database& database)
    : m_database(database)
{
}

std::optional<ChartDesign> ChartDesignStore::load(const QString& project, const QString& file) const
{
    Table table(&m_database, DesignTable, DesignIndex);
    openDesignRow(table, project, file);
    if (table.recordCount() == 0)
        return std::nullopt;
    return ChartDesign::readDesignRow(table);
}

ChartDesign ChartDesignStore::loadOrCreate(const QString& project, const QString& file,
                                           const ChartDesign& defaults) const
{
    if (auto design = load(project, file))
        return *design;
    try {
        save(project, file, defaults);
    } catch (const DatabaseError& error) {
        if (error.code() != DatabaseError::NotEditable)
            throw;
    }
    return defaults;
}

void ChartDesignStore::save(const QString& project, const QString& file, const ChartDesign& design) const
{
    Table table(&m_database, DesignTable, DesignIndex);
    openDesignRow(table, project, file);
    if (table.recordCount() == 0) {
        table.append();
        table.setValue(QStringLiteral("Project"), project);
        table.setValue(QStringLiteral("File"), file);
    } else {
        table.first();
        table.edit();
    }
    design.writeDesignRow(table);
    table.post();
}

QStringList ChartDesignStore::themeNames() const
{
    Table table(&m_database, ThemeTable, ThemeIndex);
    table.setFilter(QStringLiteral("ThemeType = ") + SqlQuote::quoted(themeType()));
    table.setFiltered(true);
    table.open();
    QStringList names;
    for (table.first(); !table.eof(); table.next())
        names << table.asString(QStringLiteral("ThemeName"));
    return names;
}

std::optional<ChartDesign> ChartDesignStore::loadTheme(const QString& name) const
{
    Table table(&m_database, ThemeTable, ThemeIndex);
    openTheme(table, name);
    if (table.recordCount() == 0)
        return std::nullopt;
    return ChartDesign::readThemeRow(table);
}

void ChartDesignStore::saveTheme(const QString& name, const ChartDesign& design) const
{
    Table table(&m_database, ThemeTable, ThemeIndex);
    openTheme(table, name);
    if (table.recordCount() == 0) {
        table.append();
        table.setValue(QStringLiteral("ThemeName"), name);
        table.setValue(QStringLiteral("ThemeType"), themeType());
    } else {
        table.first();
        table.edit();
    }
    design.writeThemeRow(table);
    table.post();
}

bool ChartDesignStore::deleteTheme(const QString& name) const
{
    Table table(&m_database, ThemeTable, ThemeIndex);
    openTheme(table, name);
    if (table.recordCount() == 0)
        return false;
    table.first();
    table.remove();
    return true;
}

} // namespace corvane
