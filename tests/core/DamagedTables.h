#pragma once

#include <QList>
#include <QString>

namespace corvane {
class Database;
} // namespace corvane

namespace corvane::test {

// Real table files with real damage, for the repair tests.

// Creates table `name` (fields Name string(32) with unique index "Nameidx",
// Number integer, Note memo) holding `rows` rows "row 1".."row N" whose
// notes fill several pages. Returns the file's path.
QString createNumberedTable(Database& database, const QString& name, int rows, const QString& password = {});

// Page numbers of the leaf pages of a table or index in a file, in order.
QList<int> leafPages(const QString& path, const QString& treeName);

// Overwrites one page of the file with garbage.
void smashPage(const QString& path, int page);

// Cuts the file to the given share of its length, on a page boundary.
void truncateFile(const QString& path, double share);

// Runs SQL directly on a table file (e.g. to drop an index).
void execOnFile(const QString& path, const QString& sql);

// The Number values of the rows a table file holds, read through SQLite.
QList<int> numbersIn(const QString& path, const QString& tableName);

} // namespace corvane::test
