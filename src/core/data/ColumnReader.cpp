#include "core/data/ColumnReader.h"

#include "core/data/FieldCodec.h"

#include <sqlite3.h>

namespace corvane {

namespace {

// True when the ASCII bytes spell the same text as the string.
bool sameAscii(const QString& text, const unsigned char* bytes, int length)
{
    if (text.size() != length)
        return false;
    const QChar* chars = text.constData();
    for (int i = 0; i < length; ++i) {
        if (chars[i].unicode() != bytes[i])
            return false;
    }
    return true;
}

bool isAscii(const unsigned char* bytes, int length)
{
    for (int i = 0; i < length; ++i) {
        if (bytes[i] >= 0x80)
            return false;
    }
    return true;
}

} // namespace

ColumnReader::ColumnReader(const std::vector<std::optional<FieldType>>& types)
    : m_types(types)
    , m_columns(types.size())
{
    for (size_t i = 0; i < types.size(); ++i)
        m_columns[i].type = types[i];
}

void ColumnReader::appendTo(QVariantList& row, sqlite3_stmt* statement, int column)
{
    const std::optional<FieldType>& type = m_columns[size_t(column)].type;
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER: {
        const qint64 n = sqlite3_column_int64(statement, column);
        // Integers read as int where they fit, as an untyped column's
        // integers do too.
        const bool integerField = !type || *type == FieldType::Integer || *type == FieldType::AutoInc;
        if (integerField && n == int(n)) {
            row.emplaceBack(int(n));
            return;
        }
        const QVariant stored{qlonglong(n)};
        row.emplaceBack(type && !integerField ? FieldCodec::fromStored(*type, stored) : stored);
        return;
    }
    case SQLITE_FLOAT: {
        const QVariant stored{sqlite3_column_double(statement, column)};
        row.emplaceBack(type ? FieldCodec::fromStored(*type, stored) : stored);
        return;
    }
    case SQLITE_TEXT: appendText(row, statement, column); return;
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
        const QVariant stored{QByteArray(data, sqlite3_column_bytes(statement, column))};
        row.emplaceBack(type ? FieldCodec::fromStored(*type, stored) : stored);
        return;
    }
    default: row.emplaceBack();
    }
}

void ColumnReader::appendText(QVariantList& values, sqlite3_stmt* statement, int column)
{
    Column& c = m_columns[size_t(column)];
    const unsigned char* bytes = sqlite3_column_text(statement, column);
    const int length = sqlite3_column_bytes(statement, column);
    const auto decode = [&c](const QString& text) {
        return c.type ? FieldCodec::fromStored(*c.type, text) : QVariant(text);
    };
    if (!c.keep || length > LongestKept || !isAscii(bytes, length)) {
        values.emplaceBack(decode(QString::fromUtf8(reinterpret_cast<const char*>(bytes), length)));
        return;
    }

    quint64 hash = 14695981039346656037ull; // FNV-1a
    for (int i = 0; i < length; ++i)
        hash = (hash ^ bytes[i]) * 1099511628211ull;

    if (c.table.empty())
        c.table.resize(FirstSlots);
    const size_t mask = c.table.size() - 1;
    size_t i = size_t(hash) & mask;
    ++c.lookups;
    for (; !c.table[i].text.isNull(); i = (i + 1) & mask) {
        const Known& known = c.table[i];
        if (known.hash == hash && sameAscii(known.text, bytes, length)) {
            values.emplaceBack(known.value);
            return;
        }
    }

    ++c.misses;
    QString text = QString::fromLatin1(reinterpret_cast<const char*>(bytes), length);
    QVariant value = decode(text);
    values.emplaceBack(value);
    // A column of mostly new texts (addresses, say) is not worth keeping.
    if (c.kept >= MostKept || (c.lookups >= 64 && c.misses * 4 > c.lookups * 3)) {
        c.keep = false;
        c.table = {};
        return;
    }
    c.table[i] = {hash, std::move(text), std::move(value)};
    if (++c.kept * 2 > int(c.table.size()))
        grow(c);
}

void ColumnReader::grow(Column& column)
{
    std::vector<Known> old = std::move(column.table);
    column.table = std::vector<Known>(old.size() * 2);
    const size_t mask = column.table.size() - 1;
    for (Known& known : old) {
        if (known.text.isNull())
            continue;
        size_t i = size_t(known.hash) & mask;
        while (!column.table[i].text.isNull())
            i = (i + 1) & mask;
        column.table[i] = std::move(known);
    }
}

} // namespace corvane
