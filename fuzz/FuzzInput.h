#pragma once

// Cuts a fuzzer input into the fields of one test case. Every field is
// length-prefixed: one byte for lengths up to 254, or 255 followed by two
// bytes (little endian) for longer ones. The page is whatever is left after
// the last field. Reading past the end gives zeros and empty texts, so every
// input, however short, is a valid test case.

#include <QString>
#include <QStringView>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvane::fuzz {

class FuzzInput
{
public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : m_data(data)
        , m_size(size)
    {
    }

    // Field texts are Latin-1 (one byte, one character) unless set to UTF-8.
    void setUtf8(bool utf8) { m_utf8 = utf8; }

    std::uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }

    std::int32_t int32()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= std::uint32_t(byte()) << (8 * i);
        return std::int32_t(value);
    }

    QString text()
    {
        std::size_t length = byte();
        if (length == 255) {
            length = byte();
            length |= std::size_t(byte()) << 8;
        }
        return take(length);
    }

    QString rest() { return take(m_size - m_pos); }

private:
    QString take(std::size_t length)
    {
        if (length > m_size - m_pos)
            length = m_size - m_pos;
        const char* start = reinterpret_cast<const char*>(m_data + m_pos);
        m_pos += length;
        return m_utf8 ? QString::fromUtf8(start, qsizetype(length))
                      : QString::fromLatin1(start, qsizetype(length));
    }

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    bool m_utf8 = false;
};

// Position of the first occurrence of a pattern, -1 when absent (an empty
// pattern is found at 0). The checks search long texts for long patterns,
// which QString::indexOf may do in quadratic time; this search
// (Knuth-Morris-Pratt) stays linear, so that a slow input always points at
// the code under test.
inline qsizetype firstIndex(QStringView text, QStringView pattern)
{
    const qsizetype m = pattern.size();
    if (m == 0)
        return 0;
    std::vector<qsizetype> border(std::size_t(m), 0);
    for (qsizetype i = 1, k = 0; i < m; ++i) {
        while (k > 0 && pattern[i] != pattern[k])
            k = border[std::size_t(k - 1)];
        if (pattern[i] == pattern[k])
            ++k;
        border[std::size_t(i)] = k;
    }
    for (qsizetype i = 0, k = 0; i < text.size(); ++i) {
        while (k > 0 && text[i] != pattern[k])
            k = border[std::size_t(k - 1)];
        if (text[i] == pattern[k])
            ++k;
        if (k == m)
            return i - m + 1;
    }
    return -1;
}

inline bool holds(QStringView text, QStringView pattern) { return firstIndex(text, pattern) >= 0; }

// Stops the run so that the fuzzer records the input.
[[noreturn]] void fail(const char* what);

// Stops the run unless `ok`.
inline void check(bool ok, const char* what)
{
    if (!ok)
        fail(what);
}

// A folder of this process for the files a target reads and writes, created
// on the first call and removed when the process ends.
const QString& scratchFolder();

} // namespace corvane::fuzz
