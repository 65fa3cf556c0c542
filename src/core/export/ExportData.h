#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace corvane {

class Dataset;

// One column of the rows handed to an export.
struct ExportColumn
{
    enum class Type { Text, Integer, Float, Date };

    QString name;
    Type type = Type::Text;
};

// What a window hands to the export wizard: named, typed columns and rows of
// values (QString, int, double or QDate; an invalid QVariant is an empty
// cell). Any window can build one by hand or take it from an open dataset.
struct ExportData
{
    QString name; // a name for the data, used as the table of SQL statements
    QList<ExportColumn> columns;
    QList<QVariantList> rows; // one value per column

    // Every row of an open dataset from its first, with its column names and
    // types; the cursor is left after the last row.
    static ExportData fromDataset(Dataset& dataset, const QString& name);

    // Only the columns with the given indexes, in that order.
    ExportData selectColumns(const QList<int>& indexes) const;
};

} // namespace corvane
