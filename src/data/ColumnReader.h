#pragma once

#include "data/FieldDefs.h"

#include <QVariant>

#include <array>
#include <optional>
#include <vector>

struct sqlite3_stmt;

namespace corvane {

// Reads the columns of result rows into values. Rank data repeats a few texts
// (the engine, the URL, the date) row after row, so each column remembers its
// last distinct short texts and hands out shared copies of their values
// instead of building (and decoding) a new one for every row. A column whose
// texts mostly differ (search terms, say) soon stops being remembered. Columns whose
// field type is known are decoded into the form they are read in.
class ColumnReader
{
public:
    // types: the field type of each column, or nothing when it is known only
    // from the values (an expression).
    explicit ColumnReader(const std::vector<std::optional<FieldType>>& types);

    QVariant read(sqlite3_stmt* statement, int column);

private:
    static constexpr int Remembered = 16;
    static constexpr int LongestRemembered = 64;

    struct Known
    {
        QString text;
        QVariant value;
    };
    struct Column
    {
        std::optional<FieldType> type;
        std::array<Known, Remembered> recent;
        int next = 0;
        int lookups = 0;
        int misses = 0;
        bool remember = true;   // off once the column turns out to vary too much
    };

    QVariant readText(sqlite3_stmt* statement, int column);

    std::vector<Column> m_columns;
};

} // namespace corvane
