#pragma once

#include "core/data/FieldDefs.h"

#include <QList>
#include <QString>
#include <QStringList>

// Every table of the data folder with its columns and indexes. The outside
// programs (Harvester, CVSchedule, CVSettings, CVReports, CVRepair) open the
// same files, so these definitions are the contract between all of them.
// CVReportTemp and Temp are not listed: they are created anew for each use.
namespace corvane::Schema {

// In the order the tables are described: CVProject first, Temp2 last.
const QList<TableDef>& tables();

// The definition of one table, found without regard to case; null when unknown.
const TableDef* table(const QString& name);

// The password of the engine-script table SE3.
inline constexpr const char* SE3Password = "K305718B2";

// The tables reached through the database "SE3" (session "SE3Session"):
// SE3 and CVReports. Both live in the data folder like every other table.
QStringList se3DatabaseTables();

} // namespace corvane::Schema
