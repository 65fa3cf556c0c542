#include "core/discovery/PageDetail.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace corvane::PageAnalysis {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == 0xA0; }

// The text in lower case, character by character (simple case mapping; a
// surrogate pair is kept as it is). QString::toLower's full mapping costs ten
// times as much on a page of mostly ASCII text.
QString LowerText(const QString& text)
{
    const qsizetype n = text.size();
    QString lower(n, Qt::Uninitialized);
    const char16_t* in = reinterpret_cast<const char16_t*>(text.constData());
    char16_t* out = reinterpret_cast<char16_t*>(lower.data());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i];
        if (c < 0x80)
            out[i] = c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
        else if (QChar::isSurrogate(c))
            out[i] = c;
        else
            out[i] = QChar::toLower(c);
    }
    return lower;
}

// Index just past the first ">" at or after from, or the text's end.
qsizetype PastTagEnd(const QString& text, qsizetype from)
{
    const qsizetype end = text.indexOf(u'>', from);
    return end < 0 ? text.size() : end + 1;
}

// The visible text with tags and script blocks as blanks, runs of blanks
// written as one. One pass into a buffer of the page's size.
QString VisibleText(const QString& lower)
{
    static const QString ScriptOpen = QStringLiteral("<script");
    static const QString ScriptClose = QStringLiteral("</script");
    static const QString Nbsp = QStringLiteral("&nbsp;");
    const qsizetype n = lower.size();
    QString text(n, Qt::Uninitialized);
    QChar* out = text.data();
    qsizetype length = 0;
    const auto blank = [&] {
        if (length > 0 && out[length - 1] != u' ')
            out[length++] = u' ';
    };
    const QChar* data = lower.constData();
    const QStringView page(lower);
    qsizetype i = 0;
    while (i < n) {
        const char16_t c = data[i].unicode();
        if (c == u'<') {
            if (page.sliced(i).startsWith(ScriptOpen)) {
                const qsizetype close = lower.indexOf(ScriptClose, i + ScriptOpen.size());
                i = close < 0 ? n : PastTagEnd(lower, close + ScriptClose.size());
            } else {
                i = PastTagEnd(lower, i + 1);
            }
            blank();
        } else if (c == u'&' && page.sliced(i).startsWith(Nbsp)) {
            i += Nbsp.size();
            blank();
        } else if (IsBlank(c)) {
            ++i;
            blank();
        } else {
            out[length++] = data[i++];
        }
    }
    text.truncate(length);
    return text;
}

QString DecodeEntities(QString text)
{
    text.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "))
        .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
        .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
        .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
        .replace(QStringLiteral("&#39;"), QStringLiteral("'"))
        .replace(QStringLiteral("&apos;"), QStringLiteral("'"))
        .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text;
}

// The content of the first meta tag whose name (or http-equiv) is `name`.
bool MetaContent(const QString& lower, const QString& name, QString* content)
{
    static const QRegularExpression Attribute(
        QStringLiteral("([a-z][a-z0-9_:-]*)\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s\"'>]+))"));
    qsizetype at = 0;
    while ((at = lower.indexOf(QStringLiteral("<meta"), at)) >= 0) {
        const qsizetype end = PastTagEnd(lower, at);
        const QString tag = lower.mid(at + 5, end - at - 5);
        at = end;
        QString kind;
        QString value;
        bool hasContent = false;
        auto matches = Attribute.globalMatch(tag);
        while (matches.hasNext()) {
            const QRegularExpressionMatch m = matches.next();
            const QString attribute = m.captured(1);
            QString v = m.captured(2);
            if (m.capturedStart(3) >= 0)
                v = m.captured(3);
            else if (m.capturedStart(4) >= 0)
                v = m.captured(4);
            if (attribute == QLatin1String("name") || attribute == QLatin1String("http-equiv"))
                kind = v.trimmed();
            else if (attribute == QLatin1String("content")) {
                value = v;
                hasContent = true;
            }
        }
        if (kind == name && hasContent) {
            *content = DecodeEntities(value).simplified();
            return true;
        }
    }
    return false;
}

} // namespace

QStringList VisibleWords(const QString& page)
{
    return VisibleText(LowerText(page)).split(u' ', Qt::SkipEmptyParts);
}

namespace {

// The density words of an already lower-cased page. Words are counted as
// views into the visible text (one hash lookup a word, no copies); the
// filter words are taken out of the counts afterwards, which is cheaper than
// looking every word up in the filter.
QList<WordCount> DensityOfLowerPage(const QString& lower, const QSet<QString>& filter, int minDens,
                                    int* totalWords)
{
    const QString text = VisibleText(lower);
    QHash<QStringView, int> index;
    index.reserve(4096);
    QList<QPair<QStringView, int>> counts;
    const QChar* data = text.constData();
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype start = i;
        while (i < n && data[i] != u' ')
            ++i;
        if (i > start) {
            const QStringView word(data + start, i - start);
            const auto found = index.constFind(word);
            if (found != index.constEnd()) {
                ++counts[*found].second;
            } else {
                index.insert(word, int(counts.size()));
                counts.append({word, 1});
            }
        }
        ++i; // the blank
    }
    int total = 0;
    QList<bool> kept(counts.size(), true);
    for (qsizetype w = 0; w < counts.size(); ++w) {
        if (!filter.isEmpty() && filter.contains(counts.at(w).first.toString()))
            kept[w] = false;
        else
            total += counts.at(w).second;
    }
    if (totalWords)
        *totalWords = total;
    QList<WordCount> words;
    for (qsizetype w = 0; w < counts.size(); ++w) {
        const auto& [word, count] = counts.at(w);
        if (kept.at(w) && count >= minDens)
            words.append({word.toString(), count, double(count) / total * 100.0});
    }
    return words;
}

} // namespace

QList<WordCount> KeywordDensity(const QString& page, const QSet<QString>& filter, int minDens,
                                int* totalWords)
{
    return DensityOfLowerPage(LowerText(page), filter, minDens, totalWords);
}

QString HashHash(double value)
{
    QString text = QString::number(std::round(value * 100.0) / 100.0, 'f', 2);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    if (text.startsWith(QLatin1String("0.")))
        text.remove(0, 1);
    else if (text == QLatin1String("0"))
        text.clear();
    return text;
}

QString DensityLine(const WordCount& word)
{
    return QStringLiteral("1%1 (%2%)->%3").arg(word.count).arg(HashHash(word.density), word.word);
}

PageDetail Analyse(const QString& page, const QSet<QString>& filter, int minDens)
{
    PageDetail detail;
    const QString lower = LowerText(page);

    const qsizetype open = lower.indexOf(QStringLiteral("<title>"));
    const qsizetype close = open < 0 ? -1 : lower.indexOf(QStringLiteral("</title>"), open + 7);
    if (close >= 0) {
        detail.titleFound = true;
        QString title = lower.mid(open + 7, close - open - 7);
        title.remove(u'\n').remove(u'\r');
        detail.title = DecodeEntities(title).trimmed();
    } else {
        detail.title = QStringLiteral("No Title Tag");
    }

    MetaContent(lower, QStringLiteral("description"), &detail.description);
    QString keywords;
    if (MetaContent(lower, QStringLiteral("keywords"), &keywords))
        for (const QString& keyword : keywords.split(u','))
            if (!keyword.trimmed().isEmpty())
                detail.keywords << keyword.trimmed();

    detail.words = DensityOfLowerPage(lower, filter, minDens, &detail.totalWords);
    for (const WordCount& word : std::as_const(detail.words))
        detail.density << DensityLine(word);
    std::sort(detail.density.begin(), detail.density.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return detail;
}

} // namespace corvane::PageAnalysis
