#pragma once

#include "core/export/ExportData.h"
#include "core/export/ExportOptions.h"

#include <QList>
#include <QString>

namespace corvane {

// The formats the export wizard offers. PDF and the clipboard need the GUI
// and are written by the wizard window; the others are written here.
enum class ExportFormat { Xlsx, Csv, TabDelimited, Html, Xml, Json, Sql, Pdf, Clipboard };

struct ExportFormatInfo
{
    ExportFormat format;
    QString name;      // as the wizard lists it
    QString extension; // without the dot; empty for the clipboard
};

namespace ExportFile {

// Every format, the default (Excel) first.
const QList<ExportFormatInfo>& formats();
const ExportFormatInfo& info(ExportFormat format);

// The file name with the format's extension: an extension of another export
// format is replaced, any other name gets the extension appended.
QString withExtension(const QString& fileName, ExportFormat format);

// Writes a file format (not PDF or the clipboard) to path. The file is
// written beside the target first and renamed over it only when complete, so
// a failed export never leaves half a file. Returns an empty text on
// success, otherwise a message naming the file and the reason.
QString write(ExportFormat format, const ExportData& data, const ExportOptions& options, const QString& path);

// The text of a text format (CSV, tab-delimited, HTML, XML, JSON, SQL).
QString text(ExportFormat format, const ExportData& data, const ExportOptions& options);

} // namespace ExportFile
} // namespace corvane
