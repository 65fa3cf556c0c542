#pragma once

#include "core/export/ExportDateSettings.h"

#include <QString>

namespace corvane {

// What every export format shares.
struct ExportOptions
{
    QString title;            // the heading of HTML and PDF pages, the sheet name of workbooks
    bool headerRow = true;    // column names as the first line (text formats) or row (workbooks)
    ExportDateSettings dates; // how dates are written in the formats people read
    QString sqlTableName;     // the table of SQL statements; empty: the data's name
};

} // namespace corvane
