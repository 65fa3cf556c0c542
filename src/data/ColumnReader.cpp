#include "data/ColumnReader.h"

#include "data/FieldCodec.h"

#include <sqlite3.h>

namespace corvane {

namespace {

// True when the ASCII bytes spell the same text as the string.
bool sameAscii(const QString& text, const unsigned char* bytes, int length)
{
    if (text.size() != length)
        return false;
    const QChar* chars = text.constData();
    if (length > 0 && (chars[0].unicode() != bytes[0] || chars[length - 1].unicode() != bytes[length - 1]))
        return false;
    for (int i = 1; i < length - 1; ++i) {
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
    : m_columns(types.size())
{
    for (size_t i = 0; i < types.size(); ++i)
        m_columns[i].type = types[i];
}

QVariant ColumnReader::read(sqlite3_stmt* statement, int column)
{
    const std::optional<FieldType>& type = m_columns[size_t(column)].type;
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER: {
        const qint64 n = sqlite3_column_int64(statement, column);
        if (type && (*type == FieldType::Integer || *type == FieldType::AutoInc) && n == int(n))
            return QVariant(int(n));
        const QVariant stored{qlonglong(n)};
        return type ? FieldCodec::fromStored(*type, stored) : stored;
    }
    case SQLITE_FLOAT: {
        const QVariant stored{sqlite3_column_double(statement, column)};
        return type ? FieldCodec::fromStored(*type, stored) : stored;
    }
    case SQLITE_TEXT: return readText(statement, column);
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
        const QVariant stored{QByteArray(data, sqlite3_column_bytes(statement, column))};
        return type ? FieldCodec::fromStored(*type, stored) : stored;
    }
    default: return {};
    }
}

QVariant ColumnReader::readText(sqlite3_stmt* statement, int column)
{
    Column& c = m_columns[size_t(column)];
    const unsigned char* bytes = sqlite3_column_text(statement, column);
    const int length = sqlite3_column_bytes(statement, column);
    const auto decode = [&c](const QString& text) {
        return c.type ? FieldCodec::fromStored(*c.type, text) : QVariant(text);
    };
    if (!c.remember || length > LongestRemembered || !isAscii(bytes, length))
        return decode(QString::fromUtf8(reinterpret_cast<const char*>(bytes), length));

    for (const Known& known : c.recent) {
        if (!known.text.isNull() && sameAscii(known.text, bytes, length)) {
            ++c.lookups;
            return known.value;
        }
    }
    ++c.lookups;
    ++c.misses;
    if (c.lookups >= 4 * Remembered && c.misses * 2 > c.lookups) {
        c.remember = false;
        c.recent = {};
    }
    Known& slot = c.recent[size_t(c.next)];
    slot.text = QString::fromLatin1(reinterpret_cast<const char*>(bytes), length);
    slot.value = decode(slot.text);
    c.next = (c.next + 1) % Remembered;
    return slot.value;
}

} // namespace corvane
