#pragma once

#include "data/FieldDefs.h"

#include <QList>
#include <QString>

namespace corvane {

class Database;
class Query;

// The scratch table CVReportTemp that windows fill for the report library.
namespace ReportTable {

inline constexpr const char* Name = "CVReportTemp";

// Deletes whichever of the table's files exist in the folder.
void removeFiles(const QString& dataFolder);

// A fresh, empty table with these columns.
void recreate(Database& database, const QList<FieldDef>& fields);

// A fresh table filled by a SELECT ... INTO CVReportTemp statement.
void recreateFromQuery(Query& query, const QString& selectIntoSql);

} // namespace ReportTable
} // namespace corvane
