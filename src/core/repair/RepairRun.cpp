#include "core/repair/RepairRun.h"

#include "core/data/Schema.h"
#include "core/platform/MutexNames.h"
#include "core/platform/NamedMutex.h"

#include <QDateTime>
#include <QDir>
#include <QSet>

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

QStringList RepairRun::missingTables() const
{
    QSet<QString> present;
    for (const QString& file : tableFiles())
        present.insert(tableNameOf(file).toLower());
    QStringList missing;
    bool anyOfOurs = false;
    for (const TableDef& def : Schema::tables()) {
        if (present.contains(def.name.toLower()))
            anyOfOurs = true;
        else
            missing << def.name;
    }
    return anyOfOurs ? missing : QStringList();
}

QList<TableResult> RepairRun::run(Mode mode)
{
    m_stop = false;
    const QStringList files = tableFiles();
    const QStringList missing = missingTables();
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
    // A table of the program whose file is gone is damage a repair cannot mend.
    for (const QString& name : missing) {
        if (m_stop)
            break;
        TableResult result;
        result.filePath = QDir(m_folder).filePath(name + QStringLiteral(".dat"));
        result.tableName = name;
        result.found.tableName = name;
        result.found.state = TableCondition::State::Unreadable;
        result.found.problems << QStringLiteral("The file \"%1.dat\" is missing.").arg(name);
        if (mode == Mode::Repair) {
            result.outcome = TableResult::Outcome::NotRepaired;
            result.failure = QStringLiteral("A missing table is not created by a repair: restore it from a "
                                            "backup, or let corvane-setup create it empty.");
        } else {
            result.outcome = TableResult::Outcome::Damaged;
        }
        results << result;
        if (onTableDone)
            onTableDone(int(results.size()) - 1, int(files.size() + missing.size()), result);
    }
    return results;
}

QString RepairRun::folderFault() const
{
    if (tableFiles().isEmpty())
        return QStringLiteral(
                   "The folder \"%1\" holds no tables (no \"*.dat\" files): is it the data folder?")
            .arg(m_folder);
    return {};
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
