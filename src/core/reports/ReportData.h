#pragma once

#include "core/data/FieldDefs.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace corvane {

class Database;

namespace reports {

// The report scratch table every report prints from.
inline constexpr const char* ReportTable = "CVReportTemp";

struct ReportColumn
{
    QString field;   // the field name
    QString caption; // the column's heading, made from the field name
    FieldType type = FieldType::String;
    bool numeric = false; // printed right-aligned
    bool memo = false;    // long text: gets the room that is left and wraps
};

// The rows of the report table as the report prints them: every value as text.
struct ReportData
{
    QList<ReportColumn> columns;
    QList<QStringList> rows; // one text per column

    int columnIndex(const QString& field) const; // -1 when missing; case-insensitive
};

// A column heading from a field name: the product's "x" prefix of date and
// time columns goes ("xDate" -> "Date"), and words run together are parted
// ("SearchEngine" -> "Search Engine", "URLCount" -> "URL Count").
QString fieldCaption(const QString& fieldName);

// Reads the report table of the database, whatever its columns. Dates and
// times follow the system's short formats, flags read "Yes"/"No". A column is
// numeric when its type is a number, or when every value it holds is one.
// Throws DatabaseError when the table is missing or unreadable.
ReportData readReportData(Database& database, const QString& tableName = QLatin1String(ReportTable));

} // namespace reports
} // namespace corvane
