#include "core/repair/RepairRun.h"

#include "core/platform/MutexNames.h"
#include "core/platform/NamedMutex.h"

#include <QDateTime>
#include <QDir>

#include <algorithm>

namespace corvane::repair {

RepairRun::RepairRun(const QString& dataFolder)
    : m_folder(dataFolder)
{
}

QStringList RepairRun::tableFiles() const
{
    const QDir dir(m_folder);
    QStringList names;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries) {
        if (entry.endsWith(QLatin1String(".dat"), Qt::CaseInsensitive) && entry.size() > 4)
            names << entry;
    }
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    QStringList paths;
    for (const QString& name : names)
        paths << dir.filePath(name);
    return paths;
}

QList<TableResult> RepairRun::run(Mode mode)
{
    m_stop = false;
    const QStringList files = tableFiles();
    // One stamp names every copy kept in this pass.
    const QDateTime stamp = QDateTime::currentDateTime();
    QList<TableResult> results;
    for (int i = 0; i < files.size() && !m_stop; ++i) {
        if (onTableStarted)
            onTableStarted(i, int(files.size()), tableNameOf(files.at(i)));
        results << (mode == Mode::Repair ? repairTable(files.at(i), stamp) : checkTable(files.at(i)));
        if (onTableDone)
            onTableDone(i, int(files.size()), results.last());
    }
    return results;
}

QString RepairRun::repairRefusal()
{
    if (NamedMutex::exists(QLatin1String(MutexNames::NoCV)))
        return QStringLiteral(
            "Harvester is running a session: tables are not repaired while it writes them.");
    return {};
}

RunSummary::RunSummary(const QList<TableResult>& results)
{
    for (const TableResult& result : results) {
        ++tables;
        switch (result.outcome) {
        case TableResult::Outcome::Sound: ++sound; break;
        case TableResult::Outcome::Damaged: ++damaged; break;
        case TableResult::Outcome::Repaired: ++repaired; break;
        case TableResult::Outcome::NotRepaired: ++notRepaired; break;
        }
    }
}

QString RunSummary::text() const
{
    QStringList parts{QStringLiteral("%1 sound").arg(sound)};
    if (damaged > 0)
        parts << QStringLiteral("%1 damaged").arg(damaged);
    if (repaired > 0)
        parts << QStringLiteral("%1 repaired").arg(repaired);
    if (notRepaired > 0)
        parts << QStringLiteral("%1 not repaired").arg(notRepaired);
    return QStringLiteral("%1 table(s) checked: %2.").arg(tables).arg(parts.join(QLatin1String(", ")));
}

} // namespace corvane::repair
