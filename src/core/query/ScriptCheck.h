#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace corvane {

class Database;

// The statements of the script check over CVEngine, the table Harvester fills
// during a session with how far each engine and term got.
namespace ScriptCheck {

// belowDepth: only rows whose LastRecord is less than the depth asked for;
// unique: one row per engine with its lowest LastRecord.
QString statement(bool belowDepth, bool unique);

// The statement the window runs for the same view, with the same rows. The
// lists run as they are (CVEngine's indexes serve their order). The unique
// view finds each engine's lowest row by index seeks and selects those rows:
// of several rows with an engine's lowest LastRecord it takes the one with
// the lowest Depth, then the first written; engines with the same lowest
// LastRecord come in name order. Throws DatabaseError.
QString viewStatement(Database& general, bool belowDepth, bool unique);

// Adds CVEngine's indexes to a table file written before they existed.
// Throws DatabaseError (e.g. when the file is read-only or stays locked).
void addMissingIndexes(Database& general);

// The grid's headings of the unique view's columns.
const QStringList& headings();

// "Showing n records".
QString countText(int count);

// The day of the latest Harvester session of any project (CVProject.LastRun);
// invalid when none ran.
QDate lastRun(Database& general);

} // namespace ScriptCheck
} // namespace corvane
