#pragma once

#include "core/data/FieldDefs.h"

#include <QVariant>
#include <QVariantList>

#include <optional>
#include <vector>

struct sqlite3_stmt;

namespace corvane {

// Reads the columns of result rows into values. Rank data repeats a few
// hundred texts (engines, URLs, terms, dates) row after row, so each column
// keeps a small table of the texts it has seen and hands out shared copies of
// their values instead of building (and decoding) a new one for every row. A
// column whose texts mostly differ soon stops keeping them. Columns whose
// field type is known are decoded into the form they are read in.
class ColumnReader
{
public:
    // types: the field type of each column, or nothing when it is known only
    // from the values (an expression).
    explicit ColumnReader(const std::vector<std::optional<FieldType>>& types);

    // A reader keeps what it has seen for the next run of the same statement.
    const std::vector<std::optional<FieldType>>& types() const { return m_types; }

    // Appends the value of one column of the current row.
    void appendTo(QVariantList& values, sqlite3_stmt* statement, int column);

private:
    static constexpr int FirstSlots = 32;
    static constexpr int MostKept = 1024;
    static constexpr int LongestKept = 64;

    struct Known
    {
        quint64 hash = 0;
        QString text;
        QVariant value;
    };
    struct Column
    {
        std::optional<FieldType> type;
        std::vector<Known> table; // open addressing; a power of two in size
        int kept = 0;
        int lookups = 0;
        int misses = 0;
        bool keep = true;
    };

    void appendText(QVariantList& values, sqlite3_stmt* statement, int column);
    static void grow(Column& column);

    std::vector<std::optional<FieldType>> m_types;
    std::vector<Column> m_columns;
};

} // namespace corvane
