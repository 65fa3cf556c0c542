#include "core/engine/ResultExtraction.h"

#include <algorithm>
#include <limits>
#include <map>
#include <utility>
#include <vector>

namespace corvane {

namespace {

const QString PlanBSeparator = QStringLiteral("~*~*");

bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

bool isAsciiAlnum(QChar c) { return isAsciiDigit(c) || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// Finds a fixed pattern in linear time, whatever the pattern and the text
// look like (QString::indexOf can take time proportional to the product of
// both lengths on repetitive texts, such as a long marker of one character
// repeated over a page of the same character).
class PatternSearch
{
public:
    // Up to this length, Qt's own search is used: it is much faster on real
    // pages, and its worst case, pattern length × text length, stays a small
    // constant times the text length.
    static constexpr qsizetype ShortPattern = 64;

    explicit PatternSearch(QStringView pattern)
        : m_pattern(pattern)
    {
        if (pattern.size() <= ShortPattern)
            return;
        m_border.assign(std::size_t(pattern.size()), 0);
        qsizetype k = 0;
        for (qsizetype i = 1; i < pattern.size(); ++i) {
            while (k > 0 && pattern[i] != pattern[k])
                k = m_border[std::size_t(k - 1)];
            if (pattern[i] == pattern[k])
                ++k;
            m_border[std::size_t(i)] = k;
        }
    }

    // Calls found(q) for every occurrence at or after from, in order, until
    // found returns false. Overlapping occurrences are reported unless
    // overlapping is false, in which case the search goes on after each one.
    template <typename Found>
    void forEach(QStringView text, qsizetype from, bool overlapping, Found found) const
    {
        const qsizetype m = m_pattern.size();
        if (m == 0)
            return;
        if (m <= ShortPattern) {
            for (qsizetype at = text.indexOf(m_pattern, from); at >= 0;
                 at = text.indexOf(m_pattern, at + (overlapping ? 1 : m))) {
                if (!found(at))
                    return;
            }
            return;
        }
        qsizetype k = 0;
        for (qsizetype i = from; i < text.size(); ++i) {
            while (k > 0 && text[i] != m_pattern[k])
                k = m_border[std::size_t(k - 1)];
            if (text[i] == m_pattern[k])
                ++k;
            if (k == m) {
                if (!found(i - m + 1))
                    return;
                k = overlapping ? m_border[std::size_t(m - 1)] : 0;
            }
        }
    }

    qsizetype indexIn(QStringView text) const
    {
        qsizetype at = -1;
        forEach(text, 0, false, [&at](qsizetype q) {
            at = q;
            return false;
        });
        return at;
    }

private:
    QStringView m_pattern;
    std::vector<qsizetype> m_border; // longest proper border of each pattern prefix
};

// Position of the first occurrence of a non-empty pattern, or -1.
qsizetype findText(QStringView text, QStringView pattern) { return PatternSearch(pattern).indexIn(text); }

// Calls found(q) for every occurrence of the pattern in the text, overlapping
// ones included, in order, until found returns false. An empty pattern occurs
// at every position.
template <typename Found>
void forEachOccurrence(QStringView text, QStringView pattern, Found found)
{
    if (pattern.isEmpty()) {
        for (qsizetype q = 0; q <= text.size(); ++q) {
            if (!found(q))
                return;
        }
        return;
    }
    PatternSearch(pattern).forEach(text, 0, true, found);
}

// The stretches of the page that markers occupied, kept in page order. They
// never overlap each other.
class Cuts
{
public:
    bool intersects(qsizetype begin, qsizetype end) const
    {
        // Only the last cut that starts before `end` can reach into [begin, end).
        auto it = m_cuts.lower_bound(end);
        if (it == m_cuts.begin())
            return false;
        --it;
        return it->second > begin;
    }
    void add(qsizetype begin, qsizetype end) { m_cuts.emplace(begin, end); }
    const std::map<qsizetype, qsizetype>& all() const { return m_cuts; }
    int count() const { return int(m_cuts.size()); }

private:
    std::map<qsizetype, qsizetype> m_cuts;
};

// A marker that never changes: every occurrence is cut, left to right, each
// search going on after the last cut.
void cutConstantMarker(QStringView page, QStringView marker, Cuts& cuts)
{
    if (marker.isEmpty())
        return;
    PatternSearch(marker).forEach(page, 0, false, [&](qsizetype q) {
        cuts.add(q, q + marker.size());
        return true;
    });
}

// The last number whose decimal text is as long as that of n.
qint64 lastOfSameLength(qint64 n)
{
    if (n >= 0) {
        qint64 limit = 10;
        while (limit <= n && limit <= std::numeric_limits<qint64>::max() / 10)
            limit *= 10;
        return limit > n ? limit - 1 : std::numeric_limits<qint64>::max();
    }
    // -(10^k - 1) .. -10^(k-1) share the length k + 1.
    qint64 magnitude = 1;
    while (magnitude * 10 <= -n)
        magnitude *= 10;
    return -magnitude;
}

// A numbered marker prefix + n + suffix. The marker for n is cut at its first
// occurrence anywhere in the page that no earlier cut touches, which may lie
// before the previous cut. One pass finds every prefix followed by a number;
// then, for the numbers of one length at a time, the positions of each
// number's marker are grouped, so that every step only looks at the places
// where its own marker stands.
void cutNumberedMarker(QStringView page, QStringView prefix, QStringView suffix, qint64 n, Cuts& cuts)
{
    const qsizetype size = page.size();
    // Positions are kept as 32-bit numbers; no result page comes near that.
    if (size >= std::numeric_limits<qint32>::max())
        return;
    std::vector<qint32> numberAt; // where a prefix is followed by a digit or "-"
    forEachOccurrence(page, prefix, [&](qsizetype q) {
        const qsizetype at = q + prefix.size();
        if (at < size && (isAsciiDigit(page[at]) || page[at] == u'-'))
            numberAt.push_back(qint32(q));
        return true;
    });

    std::vector<std::pair<qint64, qint32>> found; // (number - n, position)
    for (;;) {
        const qsizetype digits = QString::number(n).size();
        const bool negative = n < 0;
        const qsizetype length = prefix.size() + digits + suffix.size();
        if (length > size)
            return;
        // Cut markers never overlap, so no more than size / length of them fit.
        const qint64 last = std::min(lastOfSameLength(n), n + qint64(size / length));
        const qint64 count = last - n + 1;

        found.clear();
        for (const qint32 q : numberAt) {
            const qsizetype at = q + prefix.size();
            if (at + digits + suffix.size() > size)
                continue;
            qsizetype i = at;
            if (negative && page[i++] != u'-')
                continue;
            qint64 value = 0;
            for (; i < at + digits && isAsciiDigit(page[i]); ++i)
                value = value * 10 + (page[i].unicode() - u'0');
            if (i < at + digits)
                continue;
            if (negative)
                value = -value;
            // A leading zero gives a number of fewer digits, below n.
            if (value < n || value > last || page.sliced(at + digits, suffix.size()) != suffix)
                continue;
            found.emplace_back(value - n, q);
        }
        // Grouped by number, each group in page order.
        std::stable_sort(found.begin(), found.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });

        auto it = found.begin();
        for (qint64 k = 0; k < count; ++k) {
            bool cut = false;
            for (; it != found.end() && it->first == k; ++it) {
                if (!cut && !cuts.intersects(it->second, it->second + length)) {
                    cuts.add(it->second, it->second + length);
                    cut = true;
                }
            }
            if (!cut)
                return;
        }
        if (last == std::numeric_limits<qint64>::max())
            return;
        n = last + 1;
    }
}

} // namespace

QString IncrementMarker(const EngineScript& script, bool firstPage, int n)
{
    const QString& start = firstPage ? script.AIncStart : script.BIncStart;
    const QString& end = firstPage ? script.AIncEnd : script.BIncEnd;
    const bool numbered = firstPage ? script.ANumberInc : script.BNumberInc;
    if (numbered)
        return start + QString::number(n) + end;
    return start + end;
}

namespace {

struct PlanBLine
{
    QString prefix;
    bool numbered = true;
    QString suffix;
};

PlanBLine parsePlanB(const QString& line)
{
    PlanBLine parts;
    const qsizetype first = line.indexOf(PlanBSeparator);
    if (first < 0) {
        parts.prefix = line;
        return parts;
    }
    parts.prefix = line.left(first);
    const qsizetype flag = first + PlanBSeparator.size();
    parts.numbered = !QStringView(line).sliced(flag).startsWith(QLatin1String("false"));
    const qsizetype second = line.indexOf(PlanBSeparator, flag);
    if (second >= 0)
        parts.suffix = line.mid(second + PlanBSeparator.size());
    return parts;
}

} // namespace

QString RenderIncPlanB(const QString& line, int n)
{
    const PlanBLine parts = parsePlanB(line);
    if (parts.numbered)
        return parts.prefix + QString::number(n) + parts.suffix;
    return parts.prefix + parts.suffix;
}

QString ApplyTruncations(const QString& page, const EngineScript& script)
{
    QString result = page;
    for (std::size_t i = 0; i < script.TruncStart.size(); ++i) {
        const QString& startText = script.TruncStart[i];
        const QString& endText = script.TruncEnd[i];
        if (startText.isEmpty())
            continue;
        // 1-based positions; 0 when absent, -1 when there is no end text.
        const qsizetype s = startText == QLatin1String("[START]") ? 1 : findText(result, startText) + 1;
        qsizetype e = -1;
        if (endText == QLatin1String("[END]"))
            e = result.size();
        else if (!endText.isEmpty())
            e = findText(result, endText) + 1;
        if (s >= 1 && s < e)
            result.remove(s - 1, e - s);
    }
    return result;
}

ResultSplit SplitResults(const QString& truncatedPage, const EngineScript& script, bool firstPage,
                         int rankCounter)
{
    const QStringView page(truncatedPage);
    Cuts cuts;

    if (!script.IncPlanB.isEmpty()) {
        for (const QString& line : script.IncPlanB) {
            const QString marker = RenderIncPlanB(line, rankCounter);
            if (marker.isEmpty() || findText(truncatedPage, marker) < 0)
                continue;
            const PlanBLine parts = parsePlanB(line);
            if (parts.numbered)
                cutNumberedMarker(page, parts.prefix, parts.suffix, rankCounter, cuts);
            else
                cutConstantMarker(page, marker, cuts);
            break;
        }
    } else {
        const QString& start = firstPage ? script.AIncStart : script.BIncStart;
        const QString& end = firstPage ? script.AIncEnd : script.BIncEnd;
        if (firstPage ? script.ANumberInc : script.BNumberInc)
            cutNumberedMarker(page, start, end, rankCounter, cuts);
        else
            cutConstantMarker(page, IncrementMarker(script, firstPage, rankCounter), cuts);
    }

    ResultSplit split;
    split.markers = cuts.count();

    QString& out = split.processedPage;
    out.reserve(page.size() + (cuts.count() + 1) * ResultSeparator.size());
    if (script.TagFirst)
        out += ResultSeparator;
    qsizetype done = 0;
    for (const auto& [begin, end] : cuts.all()) {
        out += page.sliced(done, begin - done);
        out += ResultSeparator;
        done = end;
    }
    out += page.sliced(done);

    const qsizetype tag = out.indexOf(ResultTag);
    if (tag > 0)
        out.remove(0, tag);

    // One block per line; the line feed after the last line starts none.
    qsizetype start = 0;
    while (start < out.size()) {
        qsizetype end = out.indexOf(u'\n', start);
        if (end < 0)
            end = out.size();
        split.blocks.append(out.mid(start, end - start));
        start = end + 1;
    }
    return split;
}

qsizetype FindResultLink(const QString& block, const QString& url, bool anyMatch)
{
    if (url.isEmpty() || url.size() > block.size())
        return -1;
    const qsizetype at = findText(block, url);
    if (at < 0)
        return -1;
    if (!anyMatch) {
        qsizetype next = at + url.size();
        if (next < block.size() && block.at(next) == u'/')
            ++next;
        if (next < block.size() && isAsciiAlnum(block.at(next)))
            return -1;
    }
    if (at > 0) {
        const QChar before = block.at(at - 1);
        if (isAsciiAlnum(before) || before == u'-' || before == u'_')
            return -1;
    }
    return at;
}

bool MatchResultLink(const QString& block, const QString& url, bool anyMatch)
{
    return FindResultLink(block, url, anyMatch) >= 0;
}

QString FoundLink(const QString& block, qsizetype matchPos)
{
    if (matchPos < 0 || matchPos > block.size())
        return {};
    const QStringView text(block);
    qsizetype begin = 0;
    for (qsizetype i = matchPos; i >= 0; --i) {
        const QStringView rest = text.sliced(i);
        if (rest.startsWith(QLatin1String("http://")) || rest.startsWith(QLatin1String("https://"))) {
            begin = i;
            break;
        }
        if (i < matchPos) {
            const QChar c = text[i];
            if (c == u'"' || c == u'\'' || c == u' ' || c == u'>') {
                begin = i + 1;
                break;
            }
        }
    }
    qsizetype end = matchPos;
    while (end < text.size()) {
        const QChar c = text[end];
        if (c == u'"' || c == u'\'' || c == u' ' || c == u'>')
            break;
        ++end;
    }
    return block.mid(begin, end - begin);
}

} // namespace corvane
