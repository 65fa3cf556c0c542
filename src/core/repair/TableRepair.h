#pragma once

#include "core/repair/TableCheck.h"

#include <QDateTime>
#include <QString>

namespace corvane::repair {

// The result of checking, and perhaps repairing, one table file.
struct TableResult
{
    enum class Outcome {
        Sound,       // nothing wrong
        Damaged,     // damage found by a check alone
        Repaired,    // damage found and mended: the table checks sound now
        NotRepaired, // damage found that a repair could not mend
    };

    QString filePath;
    QString tableName;
    Outcome outcome = Outcome::Sound;
    TableCondition found; // what the first check found
    QStringList actions;  // what the repair did, in order
    QString failure;      // why the repair could not mend the table
    QString keptCopy;     // the damaged file's copy, when the table was rebuilt

    bool damageRemains() const { return outcome == Outcome::Damaged || outcome == Outcome::NotRepaired; }
    // "OK", "Damaged", "Repaired" or "Not repaired".
    QString resultText() const;
    // What was found and done, in a sentence or two.
    QString details() const;
};

// Checks a table file and changes nothing.
TableResult checkTable(const QString& path);

// Checks a table file and repairs what it can: damaged or missing indexes are
// rebuilt in place (REINDEX, CREATE INDEX); a table whose own pages are
// damaged, or whose file cannot be read, is rebuilt from its readable rows
// into a fresh file while the damaged file is kept as a copy (see
// rebuildTableFile). The stamp names that copy.
TableResult repairTable(const QString& path, const QDateTime& stamp);

} // namespace corvane::repair
