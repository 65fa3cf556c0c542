#pragma once

#include "core/repair/TableRepair.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

namespace corvane::repair {

// One pass over every table file ("*.dat") of a data folder: a check, or a
// check with repair. Runs on any thread; the callbacks come from that thread.
class RepairRun
{
public:
    enum class Mode { Check, Repair };

    explicit RepairRun(const QString& dataFolder);

    const QString& dataFolder() const { return m_folder; }
    // Every "*.dat" file of the folder (the extension in any case), sorted
    // without regard to case. Kept copies of damaged files are not among them.
    QStringList tableFiles() const;
    // The program's tables without a file, when the folder holds any of them
    // (a folder of other tables is checked as it is); run() reports each as
    // damage that remains.
    QStringList missingTables() const;
    // Why the folder cannot be checked at all (it holds no table file); empty
    // when it can.
    QString folderFault() const;

    // Called before each table: its number from 0, the count, the table's name.
    std::function<void(int index, int count, const QString& tableName)> onTableStarted;
    // Called with each table's result.
    std::function<void(int index, int count, const TableResult& result)> onTableDone;

    // Asks a running pass to stop after the table at hand.
    void requestStop() { m_stop = true; }

    QList<TableResult> run(Mode mode);

    // Why tables must not be repaired now; empty when they may: Harvester
    // writes the tables while it runs a session (it then holds "NoCV.Mutex").
    static QString repairRefusal();

private:
    QString m_folder;
    std::atomic_bool m_stop = false;
};

// Counts of a finished pass, and its summary line.
struct RunSummary
{
    int tables = 0;
    int sound = 0;
    int damaged = 0;
    int repaired = 0;
    int notRepaired = 0;

    explicit RunSummary(const QList<TableResult>& results);
    bool damageRemains() const { return damaged + notRepaired > 0; }
    QString text() const;
};

} // namespace corvane::repair
