#pragma once

#include <QDateTime>
#include <QString>

namespace corvane::repair {

// The result of rebuilding a damaged table file.
struct RebuildResult
{
    bool done = false;
    QString error; // why the table could not be rebuilt
    qint64 rowsCopied = 0;
    qint64 duplicateRows = 0;      // readable rows left out because they repeat a unique key
    int readErrors = 0;            // places where damaged pages had to be skipped
    bool layoutFromSchema = false; // the file's own layout was unreadable
    QString keptCopy;              // the damaged file, kept under this name
};

// Rebuilds the table of a damaged file from the rows that can still be read:
// a fresh file gets the table's layout (the file's own, else the program's
// schema), its indexes, its password protection and every readable row; the
// damaged file is first copied to "<file>.damaged-<yyyyMMdd-hhmmss>" (with
// its write-ahead log), then the fresh file takes its place. When the rebuild
// fails, the original file stays as it was and no copy is left behind.
RebuildResult rebuildTableFile(const QString& path, const QDateTime& stamp);

} // namespace corvane::repair
