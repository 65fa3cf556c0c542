#pragma once

#include "core/charts/ChartDesign.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace corvane {

class Database;

// Reads and writes chart designs in a database on the data folder: the
// design row of a project's chart in CVSQLTee (keyed by Project and File)
// and the named design themes of CVReportThemes (ThemeType "Chart").
// Every call opens and closes its own cursor; failures are DatabaseError.
class ChartDesignStore
{
public:
    explicit ChartDesignStore(Database& database);

    static QString themeType() { return QStringLiteral("Chart"); }

    // The chart's design; nothing when the project has no row for the chart.
    std::optional<ChartDesign> load(const QString& project, const QString& file) const;
    // The chart's design; a missing row is appended with `defaults` first. Where
    // the row cannot be written (a data folder that may only be read), the
    // defaults are used unsaved. For readers that must not write at all (the
    // dashboard), use load() with ChartDesign::defaultsFor().
    ChartDesign loadOrCreate(const QString& project, const QString& file, const ChartDesign& defaults) const;
    ChartDesign loadOrCreate(const QString& project, const QString& file, ChartKind kind) const
    {
        return loadOrCreate(project, file, ChartDesign::defaultsFor(kind));
    }
    // Writes the design into the chart's row, appending the row when missing.
    void save(const QString& project, const QString& file, const ChartDesign& design) const;

    // Names of the chart design themes, in name order.
    QStringList themeNames() const;
    std::optional<ChartDesign> loadTheme(const QString& name) const;
    // Updates the theme of that name or appends a new one.
    void saveTheme(const QString& name, const ChartDesign& design) const;
    // False when no theme of that name exists.
    bool deleteTheme(const QString& name) const;

private:
    Database& m_database;
};

} // namespace corvane
