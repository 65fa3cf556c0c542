#pragma once

#include "core/livecheck/DuvudaResultRow.h"

#include <QList>

namespace corvane {

class Database;
class Table;

// How the link cells of the grid go into an export.
enum class DuvudaExportKind {
    Labels, // "Export Labels Only": the visible text of each link
    Links,  // "Export Links Only": each link's address
    Html,   // "Export Links and Labels in HTML Format": the cell unchanged
};

namespace DuvudaExport {

// The text a URL, Search Term or Search Engine cell gives for the kind.
QString cellValue(const QString& cell, DuvudaExportKind kind);

// Empties an open PPExport-like table (xDate, Rank, Page, URL, SearchTerm,
// SearchEngine) and fills it with one record per result row.
void fillTable(Table& table, const QList<DuvudaResultRow>& rows, DuvudaExportKind kind);

// A fresh CVReportTemp in the database with the PPExport columns, filled
// with the rows as labels, for the report library.
void fillReportTable(Database& database, const QList<DuvudaResultRow>& rows);

} // namespace DuvudaExport
} // namespace corvane
