#pragma once

#include "core/livecheck/DuvudaResultRow.h"

#include <QList>
#include <QString>

namespace corvane {

// Duvuda Duvedozo result files (".pp"): a JSON document that keeps every
// cell of every result row as the grid shows it, HTML included, with the day
// of each row:
//   {"format": "Duvuda Duvedozo results", "version": 1,
//    "columns": ["Date", ...], "rows": [{"date": "2026-12-07", "cells": [6 texts]}, ...]}
namespace DuvudaResultFile {

inline constexpr const char* Extension = "pp";

struct LoadResult
{
    QList<DuvudaResultRow> rows;
    QString error; // empty when the file was read
};

// Writes the result rows (blank rows are left out). The file is replaced only
// when the whole document has been written. Returns an empty text on
// success, otherwise a message naming the file and the reason.
QString save(const QString& path, const QList<DuvudaResultRow>& rows);

// Reads a result file. A file that cannot be read, is not such a document or
// holds a damaged row gives an error naming the file and what is wrong, and
// no rows.
LoadResult load(const QString& path);

} // namespace DuvudaResultFile
} // namespace corvane
