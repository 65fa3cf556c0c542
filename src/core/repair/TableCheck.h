#pragma once

#include <QString>
#include <QStringList>

namespace corvane::repair {

// What the check of one table file found.
struct TableCondition
{
    enum class State {
        Sound,       // SQLite's integrity check passes and every index is there
        IndexDamage, // only indexes are damaged or missing: rebuilding them mends the table
        DataDamage,  // the table's own pages cannot be read in full
        Unreadable,  // the layout cannot be read: not a table file, or no table of its name in it
    };

    State state = State::Sound;
    QString tableName;          // as the file holds it, else the file's name without ".dat"
    QStringList problems;       // what SQLite reported, in its words
    QStringList missingIndexes; // indexes the program's schema declares that the file lacks

    bool isSound() const { return state == State::Sound; }
};

// The table a file stands for: its name without the ".dat" extension.
QString tableNameOf(const QString& path);

// Checks one table file "<Table>.dat": its layout, SQLite's integrity check,
// and for the program's own tables every index the schema declares. Changes
// nothing in the file.
TableCondition checkTableFile(const QString& path);

} // namespace corvane::repair
