#pragma once

#include "core/data/TableDatabase.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace corvane {

// One row of table Summary as the dashboard shows it.
struct SummaryRow
{
    QString engine;
    QString term;
    int rank = 0;
    int page = 0;
};

struct TopEngine
{
    QString name;
    int points = 0;
};

// Reads what Harvester left in Summary and CVNotable for the project's last
// session, through a read-only view of the data folder: the dashboard never
// writes while it reads, and shows a folder it may not write. Each call is one step of the dashboard build and runs one
// statement; `progress` (0..100) follows the statement while it runs.
class DashboardData
{
public:
    static constexpr int SlotCount = 10;

    DashboardData(Database& general, const QString& project, QDate lastRun);

    const QString& project() const { return m_project; }
    // "yyyy-mm-dd", the form every dashboard statement uses.
    const QString& date() const { return m_date; }

    // The engines of the Top 10 charts, at most ten, best first.
    QList<TopEngine> topEngines() const;
    // The rows of one Top 10 chart in term order; an empty engine gives none.
    QList<SummaryRow> topSlot(const QString& engine, const std::function<void(int)>& progress = {}) const;
    QList<SummaryRow> firstPage() const;
    QList<SummaryRow> newArrivals() const;
    QList<SummaryRow> saturation() const; // engine and the number of terms found (Rank)

    // The Content of the script-update notes of the latest update day, newest first.
    QStringList scriptUpdates() const;
    // The Content of the project's "Optimization" notes, in table order.
    QStringList optimizationNotes() const;

private:
    QList<SummaryRow> rows(const QString& sql, const std::function<void(int)>& progress = {}) const;

    mutable Database m_general; // read-only, on the caller's folder and session
    QString m_project;
    QString m_date;
};

// The status bar's figures for a project.
struct ProjectCounts
{
    int rankRecords = 0;
    int searchTerms = 0;
    int urls = 0;
    int engines = 0;

    static ProjectCounts read(Database& general, const QString& project);
};

// The sum of the sizes of the plain files directly in the folder.
qint64 folderSize(const QString& folder);

} // namespace corvane
