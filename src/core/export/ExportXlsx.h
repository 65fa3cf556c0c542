#pragma once

#include "core/export/ExportData.h"
#include "core/export/ExportOptions.h"

#include <QString>

namespace corvane {

// An Excel workbook (.xlsx, through libxlsxwriter) with one sheet named after
// the title: an optional bold header row, numbers as numbers and dates as
// dates in the options' date pattern.
namespace ExportXlsx {

// Writes the workbook to path (replacing it). Returns an empty text on
// success, otherwise why it failed.
QString write(const ExportData& data, const ExportOptions& options, const QString& path);

} // namespace ExportXlsx
} // namespace corvane
