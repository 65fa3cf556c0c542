#pragma once

#include "core/export/ExportData.h"
#include "core/export/ExportOptions.h"

#include <QString>

namespace corvane {

// The export formats that are plain text. Each returns the whole document.
// Dates follow the options' date settings in CSV, tab-delimited text and
// HTML; XML, JSON and SQL write them as "yyyy-mm-dd" for the programs that
// read them.
namespace ExportText {

// Comma-separated values (RFC 4180): a value holding a comma, a quote or a
// line break is put between quotes with its quotes doubled; lines end in CR LF.
QString csv(const ExportData& data, const ExportOptions& options);

// Tab-delimited text: one line per row; tabs and line breaks inside a value
// become blanks, since the format cannot hold them.
QString tabDelimited(const ExportData& data, const ExportOptions& options);

// A self-contained HTML page with the title and one table; every value is
// shown as text (HTML in a value is escaped, not interpreted).
QString html(const ExportData& data, const ExportOptions& options);

// <Export title="..."><Record><Field name="column">value</Field>...</Record></Export>
QString xml(const ExportData& data, const ExportOptions& options);

// An array with one object per row, keyed by column name; numbers as numbers,
// empty cells as null.
QString json(const ExportData& data, const ExportOptions& options);

// One INSERT statement per row, names in double quotes, values through SqlQuote.
QString sqlInsert(const ExportData& data, const ExportOptions& options);

// A value as the text formats people read write it.
QString displayText(const QVariant& value, ExportColumn::Type type, const ExportOptions& options);

} // namespace ExportText
} // namespace corvane
