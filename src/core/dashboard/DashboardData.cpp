#include "core/dashboard/DashboardData.h"

#include "core/dashboard/DashboardQueries.h"
#include "core/data/Dataset.h"
#include "core/data/SqlQuote.h"

#include <QDir>
#include <QFileInfo>

namespace corvane {

DashboardData::DashboardData(Database& general, const QString& project, QDate lastRun)
    : m_general(general)
    , m_project(project)
    , m_date(lastRun.toString(Qt::ISODate))
{
    m_general.setReadOnly(true);
}

QList<TopEngine> DashboardData::topEngines() const
{
    Query query(&m_general, DashboardQueries::topEngines(m_project, m_date));
    query.open();
    QList<TopEngine> engines;
    for (query.first(); !query.eof() && engines.size() < SlotCount; query.next())
        engines.append(
            {query.asString(QStringLiteral("SearchEngine")), query.asInteger(QStringLiteral("Popularity"))});
    return engines;
}

QList<SummaryRow> DashboardData::rows(const QString& sql, const std::function<void(int)>& progress) const
{
    Query query(&m_general, sql);
    query.onProgress = progress;
    query.open();
    const bool hasTerm = query.hasField(QStringLiteral("SearchTerm"));
    const bool hasPage = query.hasField(QStringLiteral("Page"));
    QList<SummaryRow> result;
    for (query.first(); !query.eof(); query.next()) {
        SummaryRow row;
        row.engine = query.asString(QStringLiteral("SearchEngine"));
        if (hasTerm)
            row.term = query.asString(QStringLiteral("SearchTerm"));
        row.rank = query.asInteger(QStringLiteral("Rank"));
        if (hasPage)
            row.page = query.asInteger(QStringLiteral("Page"));
        result.append(row);
    }
    return result;
}

QList<SummaryRow> DashboardData::topSlot(const QString& engine,
                                         const std::function<void(int)>& progress) const
{
    return rows(DashboardQueries::topSlot(m_project, engine, m_date), progress);
}

QList<SummaryRow> DashboardData::firstPage() const { return rows(DashboardQueries::firstPage(m_project)); }

QList<SummaryRow> DashboardData::newArrivals() const
{
    return rows(DashboardQueries::newArrivals(m_project, m_date));
}

QList<SummaryRow> DashboardData::saturation() const { return rows(DashboardQueries::saturation(m_project)); }

QStringList DashboardData::scriptUpdates() const
{
    Query query(&m_general, DashboardQueries::notes(DashboardQueries::scriptUpdatesCondition()));
    query.open();
    QList<QDate> days;
    QStringList contents;
    for (query.first(); !query.eof(); query.next()) {
        days.append(query.asDate(QStringLiteral("xDate")));
        contents.append(query.asString(QStringLiteral("Content")));
    }
    // From the last row backwards while the day stays that of the last row.
    QStringList latest;
    for (qsizetype i = contents.size() - 1; i >= 0 && days.at(i) == days.constLast(); --i)
        latest.append(contents.at(i));
    return latest;
}

QStringList DashboardData::optimizationNotes() const
{
    Query query(&m_general, DashboardQueries::notes(DashboardQueries::optimizationNotesCondition(m_project)));
    query.open();
    QStringList contents;
    for (query.first(); !query.eof(); query.next())
        contents.append(query.asString(QStringLiteral("Content")));
    return contents;
}

ProjectCounts ProjectCounts::read(Database& general, const QString& project)
{
    Database reading = general;
    reading.setReadOnly(true);
    const auto count = [&](const char* table) {
        Query query(&reading,
                    QStringLiteral("SELECT COUNT(*) AS Total FROM ") + QLatin1String(table)
                        + QStringLiteral(" WHERE Project = ") + SqlQuote::quoted(project));
        query.open();
        return query.asInteger(QStringLiteral("Total"));
    };
    return {count("CVRank"), count("CVST"), count("CVURL"), count("CVSE3")};
}

qint64 folderSize(const QString& folder)
{
    qint64 total = 0;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo& file : files)
        total += file.size();
    return total;
}

} // namespace corvane
