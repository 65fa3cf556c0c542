#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace corvane {

// Column types of the table database. Each maps onto an SQLite declared type
// that is written into the table file, so a table's definition can be read
// back from the file alone (see TableDatabase).
enum class FieldType {
    String,   // TEXT, with a width (0 = unbounded)
    Integer,  // INTEGER
    Float,    // REAL
    Boolean,  // BOOLEAN, stored as 0 or 1
    Date,     // DATE, stored as text "yyyy-mm-dd"
    Time,     // TIME, stored as text "hh:mm:ss"
    DateTime, // DATETIME, stored as a day count since 1899-12-30 with the time as fraction
    Memo,     // MEMO, long text
    Graphic,  // GRAPHIC, a picture as bytes
    AutoInc,  // AUTOINC, an integer counter filled on append
};

struct FieldDef
{
    QString name;
    FieldType type = FieldType::String;
    int size = 0; // width of a String column; 0 for the other types
    bool required = false;
};

struct IndexDef
{
    QString name;       // the index name of the table, e.g. "NameProjidx"
    QStringList fields; // key fields in order
    bool unique = false;
    bool caseInsensitive = false;
    bool descending = false;
};

struct TableDef
{
    QString name; // e.g. "CVRank"; also the file name "CVRank.dat"
    QList<FieldDef> fields;
    QList<IndexDef> indexes;
    bool passwordProtected = false;

    const FieldDef* field(const QString& fieldName) const; // case-insensitive; null when missing
    const IndexDef* index(const QString& indexName) const; // case-insensitive; null when missing
};

} // namespace corvane
