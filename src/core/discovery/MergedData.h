#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace corvane {

class Table;

// One row of "4. Merged Data".
struct MergedRow
{
    int tagCount = 0;     // pages whose meta keywords hold the term
    int densityCount = 0; // occurrences on the pages whose density list holds it
    QString term;
};

namespace MergedData {

// The meta keywords of every page, in the order first met, each with the
// number of its exact occurrences; then the density words: added to the row
// of the same term, or as a row of their own.
QList<MergedRow> Merge(const QStringList& tags, const QList<QPair<QString, int>>& phrases);

// Merge over the MetaST lines of CVMix and the Phrase rows in the table's order.
QList<MergedRow> FromTables(Table& mix, Table& phrase);

} // namespace MergedData

} // namespace corvane
