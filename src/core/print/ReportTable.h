#pragma once

#include "core/data/Dataset.h"
#include "core/data/FieldDefs.h"
#include "core/data/TableDatabase.h"

#include <QList>
#include <QString>

// The report table CVReportTemp: a scratch table in the data folder that a
// report fills with its own columns just before the report library reads it.
// Rebuilding it always starts by deleting its files, so no row or column of an
// earlier report survives.
namespace corvane::ReportTable {

inline constexpr const char* Name = "CVReportTemp";

// Deletes whichever of CVReportTemp.dat, .idx and .blb exist in the folder
// (and the table file's journals). Throws DatabaseError naming the file that
// cannot be deleted.
void removeFiles(const QString& dataFolder);

// removeFiles, then creates CVReportTemp from field definitions.
void recreate(Database& database, const QList<FieldDef>& fields);

// removeFiles, then runs a "SELECT ... INTO CVReportTemp ..." statement on the
// query. Throws DatabaseError when the statement does not select into
// CVReportTemp, so a report never writes into another table by mistake.
void recreateFromQuery(Query& query, const QString& selectIntoSql);

} // namespace corvane::ReportTable
