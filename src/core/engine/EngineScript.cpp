#include "core/engine/EngineScript.h"

#include "core/data/Dataset.h"
#include "core/settings/EngineApiKeys.h"

#include <QRandomGenerator>
#include <QUrl>

#include <algorithm>
#include <vector>

namespace corvane {

namespace {

// A memo's text as lines: a line ends at CR LF, CR or LF, and the line break
// after the last line does not start another (empty) line.
QStringList memoLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c != u'\n' && c != u'\r')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < size && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(text.mid(start));
    return lines;
}

// 1-based position of the first occurrence of needle; 0 when it is absent or
// empty. A linear-time search (Knuth-Morris-Pratt): QString::indexOf can take
// time proportional to the product of both lengths on repetitive pages, and
// keys and pages come from outside.
qsizetype position(const QString& haystack, const QString& needle)
{
    const qsizetype m = needle.size();
    if (m == 0 || m > haystack.size())
        return 0;
    std::vector<qsizetype> border(std::size_t(m), 0);
    for (qsizetype i = 1, k = 0; i < m; ++i) {
        while (k > 0 && needle[i] != needle[k])
            k = border[std::size_t(k - 1)];
        if (needle[i] == needle[k])
            ++k;
        border[std::size_t(i)] = k;
    }
    for (qsizetype i = 0, k = 0; i < haystack.size(); ++i) {
        while (k > 0 && haystack[i] != needle[k])
            k = border[std::size_t(k - 1)];
        if (haystack[i] == needle[k])
            ++k;
        if (k == m)
            return i - m + 2;
    }
    return 0;
}

// No address needs more random letters than this; a larger OffsetValue is a
// broken script and must not exhaust the memory.
constexpr qint64 MaxRandomLetters = 65536;

QString randomLetters(qint64 count, char16_t first)
{
    QString letters;
    if (count <= 0)
        return letters;
    count = std::min(count, MaxRandomLetters);
    letters.reserve(count);
    auto* random = QRandomGenerator::global();
    for (qint64 i = 0; i < count; ++i)
        letters.append(QChar(char16_t(first + random->generate() % 26)));
    return letters;
}

QString concatenatePairs(const EngineScript& script, const RunCounters& counters,
                         const QString& connectedTerm, const std::array<QString, 10>& strings,
                         const std::array<QString, 10>& values)
{
    QString url;
    for (std::size_t i = 0; i < strings.size(); ++i) {
        url += strings[i];
        url += ExpandValue(script, counters, connectedTerm, values[i]);
    }
    return url;
}

} // namespace

EngineScript EngineScript::fromRow(const Table& se3)
{
    EngineScript s;
    // Columns a table file of an older layout lacks keep their defaults.
    const auto text = [&se3](const QString& name, QString& target) {
        if (se3.hasField(name))
            target = se3.asString(name);
    };
    const auto integer = [&se3](const QString& name, int& target) {
        if (se3.hasField(name))
            target = se3.asInteger(name);
    };
    const auto flag = [&se3](const QString& name, bool& target) {
        if (se3.hasField(name))
            target = se3.asBoolean(name);
    };
    const auto lines = [&se3](const QString& name, QStringList& target) {
        if (se3.hasField(name))
            target = memoLines(se3.asString(name));
    };
    const auto numbered = [](const char* prefix, int number) -> QString {
        return QLatin1String(prefix) + QString::number(number);
    };

    text(QStringLiteral("Name"), s.Name);
    text(QStringLiteral("HomePage"), s.HomePage);
    text(QStringLiteral("AddPage"), s.AddPage);
    text(QStringLiteral("Country"), s.Country);
    text(QStringLiteral("Group1"), s.Group1);
    text(QStringLiteral("Group2"), s.Group2);
    text(QStringLiteral("Group3"), s.Group3);
    text(QStringLiteral("Group4"), s.Group4);
    text(QStringLiteral("Group5"), s.Group5);
    text(QStringLiteral("Notes"), s.Notes);
    integer(QStringLiteral("Popularity"), s.Popularity);
    integer(QStringLiteral("Pop1"), s.Pop1);
    integer(QStringLiteral("Pop2"), s.Pop2);
    integer(QStringLiteral("Pop3"), s.Pop3);
    text(QStringLiteral("PopSource"), s.PopSource);
    if (se3.hasField(QStringLiteral("LastUpdate")))
        s.LastUpdate = se3.asDate(QStringLiteral("LastUpdate"));
    flag(QStringLiteral("Active"), s.Active);
    flag(QStringLiteral("SpecNotes"), s.SpecNotes);
    flag(QStringLiteral("API"), s.API);
    if (s.API)
        s.APIKey = EngineApiKeys::keyOf(s.Name);
    integer(QStringLiteral("EngineInc"), s.EngineInc);

    flag(QStringLiteral("Method1"), s.Method1);
    for (int i = 0; i < 10; ++i) {
        text(numbered("AString", i + 1), s.AString[i]);
        text(numbered("AValue", i + 1), s.AValue[i]);
        text(numbered("BString", i + 1), s.BString[i]);
        text(numbered("BValue", i + 1), s.BValue[i]);
        text(numbered("ReplaceThis", i + 1), s.ReplaceThis[i]);
        text(numbered("ReplaceWith", i + 1), s.ReplaceWith[i]);
    }
    text(QStringLiteral("OffsetField"), s.OffsetField);
    integer(QStringLiteral("OffsetValue"), s.OffsetValue);
    text(QStringLiteral("WordConnector"), s.WordConnector);
    text(QStringLiteral("StartKey"), s.StartKey);
    text(QStringLiteral("EndKey"), s.EndKey);
    text(QStringLiteral("ReverseStartKey"), s.ReverseStartKey);
    lines(QStringLiteral("StartKeyPlanB"), s.StartKeyPlanB);

    integer(QStringLiteral("Delay"), s.Delay);
    integer(QStringLiteral("Delay2"), s.Delay2);
    integer(QStringLiteral("UserAgent"), s.UserAgent);

    text(QStringLiteral("AIncStart"), s.AIncStart);
    text(QStringLiteral("AIncEnd"), s.AIncEnd);
    flag(QStringLiteral("ANumberInc"), s.ANumberInc);
    integer(QStringLiteral("APageLength"), s.APageLength);
    text(QStringLiteral("BIncStart"), s.BIncStart);
    text(QStringLiteral("BIncEnd"), s.BIncEnd);
    flag(QStringLiteral("BNumberInc"), s.BNumberInc);
    integer(QStringLiteral("BPageLength"), s.BPageLength);
    lines(QStringLiteral("IncPlanB"), s.IncPlanB);
    flag(QStringLiteral("TagFirst"), s.TagFirst);
    for (int i = 0; i < 5; ++i) {
        text(numbered("TruncStart", i + 1), s.TruncStart[i]);
        text(numbered("TruncEnd", i + 1), s.TruncEnd[i]);
    }

    text(QStringLiteral("HTTPStart"), s.HTTPStart);
    integer(QStringLiteral("HTTPLoc"), s.HTTPLoc);
    text(QStringLiteral("HTTPEnd"), s.HTTPEnd);
    return s;
}

QString ConnectTerm(const EngineScript& script, const QString& term)
{
    // The term goes into the request as typed, except for the characters that
    // would change the request's meaning there: they are percent-encoded (non-ASCII
    // as UTF-8), so "a&b=c#frag" stays one parameter and "c++" does not become
    // blanks. Everything else, and the connector itself, is left alone.
    static constexpr char Hex[] = "0123456789ABCDEF";
    QString connected;
    connected.reserve(term.size() + 8);
    const auto encode = [&](const QByteArray& bytes) {
        for (const char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            connected += u'%';
            connected += QLatin1Char(Hex[b >> 4]);
            connected += QLatin1Char(Hex[b & 0xF]);
        }
    };
    for (qsizetype i = 0; i < term.size(); ++i) {
        const QChar c = term.at(i);
        const char16_t u = c.unicode();
        if (u == u' ') {
            connected += script.WordConnector;
        } else if (u < 0x20 || u == 0x7F || u == u'&' || u == u'#' || u == u'+' || u == u'%' || u == u'='
                   || u == u'?') {
            encode(QByteArray(1, char(u)));
        } else if (u >= 0x80) {
            // A surrogate pair is one character of UTF-8.
            const qsizetype length = c.isHighSurrogate() && i + 1 < term.size() ? 2 : 1;
            encode(term.mid(i, length).toUtf8());
            i += length - 1;
        } else {
            connected += c;
        }
    }
    return connected;
}

QString UnusableReason(const EngineScript& script)
{
    const bool hasAddress = std::any_of(script.AString.begin(), script.AString.end(),
                                        [](const QString& text) { return !text.trimmed().isEmpty(); });
    if (!hasAddress)
        return QStringLiteral("it builds no request address (AString1 to AString%1 are empty)")
            .arg(script.AString.size());
    if (!script.IncPlanB.isEmpty())
        return {};
    if (script.AIncStart.isEmpty() && script.AIncEnd.isEmpty())
        return QStringLiteral("it has no result marker for the first page (AIncStart and AIncEnd are empty)");
    if (script.BIncStart.isEmpty() && script.BIncEnd.isEmpty())
        return QStringLiteral("it has no result marker for later pages (BIncStart and BIncEnd are empty)");
    return {};
}

QString ExpandValue(const EngineScript& script, const RunCounters& counters, const QString& connectedTerm,
                    const QString& value)
{
    const bool offset = script.OffsetField == value;
    const qint64 add = offset ? script.OffsetValue : 0;

    if (value == QLatin1String("KeyWord"))
        return connectedTerm;
    if (value == QLatin1String("APIKey"))
        return QString::fromLatin1(QUrl::toPercentEncoding(script.APIKey));
    if (value == QLatin1String("RecCountA") || value == QLatin1String("RecCountB"))
        return QString::number(qint64(counters.rank) + add);
    if (value == QLatin1String("PageNo"))
        return QString::number(qint64(counters.page) + add);
    if (value == QLatin1String("PageNo*10"))
        return QString::number(qint64(counters.page) * 10 + add);
    if (value == QLatin1String("PageNo*15"))
        return QString::number(qint64(counters.page) * 15 + add);
    if (value == QLatin1String("RandN")) {
        // A modulus of 0 gives "0"; a negative one works like its size.
        const quint64 modulus = offset ? quint64(qAbs(qint64(script.OffsetValue))) : 10;
        if (modulus == 0)
            return QStringLiteral("0");
        return QString::number(QRandomGenerator::global()->generate64() % modulus);
    }
    if (value == QLatin1String("RandAL"))
        return randomLetters(offset ? script.OffsetValue : 1, u'a');
    if (value == QLatin1String("RandAU"))
        return randomLetters(offset ? script.OffsetValue : 1, u'A');
    return {};
}

QString BuildQueryUrl(EngineScript& script, const RunCounters& counters, const QString& connectedTerm,
                      const QString& previousProcessedPage)
{
    if (counters.rank == 1)
        return concatenatePairs(script, counters, connectedTerm, script.AString, script.AValue);
    if (script.Method1)
        return concatenatePairs(script, counters, connectedTerm, script.BString, script.BValue);

    QString url = ExtractNextLink(script, previousProcessedPage);
    for (std::size_t i = 0; i < script.ReplaceThis.size(); ++i) {
        const QString& from = script.ReplaceThis[i];
        if (from.isEmpty())
            continue;
        if (i == 9 && from == QLatin1String("[BLANK]"))
            url.replace(u' ', script.ReplaceWith[i]);
        else
            url.replace(from, script.ReplaceWith[i]);
    }
    url.replace(u' ', script.WordConnector);
    return url;
}

QString ExtractNextLink(EngineScript& script, const QString& processedPage)
{
    const QString& page = processedPage;
    qsizetype s = 0; // 1-based start of the link
    if (script.ReverseStartKey.isEmpty()) {
        s = position(page, script.StartKey);
    } else {
        qsizetype anchor = 0;
        if (!script.StartKeyPlanB.isEmpty()) {
            for (const QString& line : std::as_const(script.StartKeyPlanB)) {
                anchor = position(page, line);
                if (anchor > 0) {
                    script.EndKey = line;
                    break;
                }
            }
        } else {
            anchor = position(page, script.StartKey);
        }
        // The last reverse start key that begins at or before the anchor; it
        // may reach past the anchor.
        if (anchor > 0)
            s = page.lastIndexOf(script.ReverseStartKey, anchor - 1) + 1;
    }
    if (s == 0)
        return {};

    QString link = page.mid(s - 1, page.size() - s); // without the page's last character
    const qsizetype end = position(link, script.EndKey);
    if (end > 0)
        link.truncate(end - 1);
    return link;
}

} // namespace corvane
