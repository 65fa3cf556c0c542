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

// The grid's headings of the unique view's columns.
const QStringList& headings();

// "Showing n records".
QString countText(int count);

// The day of the latest Harvester session of any project (CVProject.LastRun);
// invalid when none ran.
QDate lastRun(Database& general);

} // namespace ScriptCheck
} // namespace corvane
