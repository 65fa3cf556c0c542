#include "core/demo/DemoSitePages.h"

#include "core/demo/DemoPages.h"

#include <QRegularExpression>
#include <QStringList>

#include <cstdint>

namespace corvane::DemoSitePages {

namespace {

std::uint64_t mix(std::uint64_t x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

class Rng
{
public:
    explicit Rng(std::uint64_t seed)
        : m_state(seed)
    {
    }
    int below(int n)
    {
        return n <= 0 ? 0 : static_cast<int>(mix(m_state += 0x632be59bd9b4e5bbULL) % std::uint64_t(n));
    }

private:
    std::uint64_t m_state;
};

// The vocabulary of the sites; "café" keeps a non-ASCII word in every list.
const char* const Vocabulary[] = {"widgets", "garden",  "tools",  "repair", "kitchen",  "coffee",
                                  "bikes",   "travel",  "books",  "music",  "fabric",   "lamps",
                                  "pottery", "cheese",  "hiking", "camera", "paint",    "shoes",
                                  "watches", "candles", "honey",  "tea",    "woodwork", "café"};
const char* const Filler[] = {"the", "and", "for", "with", "our", "you", "a", "of", "in", "to", "is", "best"};

constexpr int VocabularySize = int(sizeof Vocabulary / sizeof *Vocabulary);
constexpr int FillerSize = int(sizeof Filler / sizeof *Filler);

QString word(int index) { return QString::fromUtf8(Vocabulary[index % VocabularySize]); }

QString capitalised(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

} // namespace

int siteOf(const QString& host)
{
    static const QRegularExpression pattern(QStringLiteral("^(?:www\\.)?site-(\\d{3})\\.example$"));
    const QRegularExpressionMatch match = pattern.match(host.toLower());
    if (!match.hasMatch())
        return 0;
    const int site = match.captured(1).toInt();
    return site >= 1 && site <= DemoCorpus::SiteCount ? site : 0;
}

Kind kindOf(int site)
{
    if (site % 23 == 11)
        return Kind::Missing;
    if (site % 29 == 13)
        return Kind::TooLarge;
    if (site % 31 == 17)
        return Kind::TooShort;
    return Kind::Normal;
}

QStringList topicWords(int site)
{
    QStringList words;
    Rng rng(mix(std::uint64_t(site) * 7919));
    while (words.size() < 4) {
        const QString w = word(rng.below(VocabularySize));
        if (!words.contains(w))
            words << w;
    }
    return words;
}

Reply page(const QString& host, const QString& path)
{
    const int site = siteOf(host);
    if (site == 0)
        return {404, QByteArrayLiteral("<html><body><h1>404 Not Found</h1></body></html>\n")};
    switch (kindOf(site)) {
    case Kind::Missing:
        return {404,
                QByteArrayLiteral("<html><head><title>Not Found</title></head><body><h1>404 Not Found</h1>"
                                  "<p>The page you asked for is not here.</p></body></html>\n")};
    case Kind::TooShort: return {200, QByteArrayLiteral("down")};
    case Kind::TooLarge:
    case Kind::Normal: break;
    }

    const QStringList topics = topicWords(site);
    const bool upper = site % 2 == 1; // odd sites write their markup in upper case
    const auto tag = [upper](const char* name) {
        const QString t = QLatin1String(name);
        return upper ? t.toUpper() : t;
    };
    Rng rng(mix(std::uint64_t(site) * 104729 + std::uint64_t(path.size())));

    QString html;
    html += QStringLiteral("<!DOCTYPE html>\n<%1>\n<%2>\n").arg(tag("html"), tag("head"));
    html += QStringLiteral("<%1>%2 %3 - Site %4</%1>\n")
                .arg(tag("title"), capitalised(topics.at(0)), capitalised(topics.at(1)))
                .arg(site);
    const QString meta = tag("meta");
    const QString name = upper ? QStringLiteral("NAME") : QStringLiteral("name");
    const QString content = upper ? QStringLiteral("CONTENT") : QStringLiteral("content");
    html += QStringLiteral("<%1 %2=\"Description\" %3=\"%4 and %5 from site %6, since 1998.\">\n")
                .arg(meta, name, content, capitalised(topics.at(0)), topics.at(1))
                .arg(site);
    html +=
        QStringLiteral("<%1 %2=\"keywords\" %3=\"%4, %5, %6 %7, %8\">\n")
            .arg(meta, name, content, topics.at(0), topics.at(1), topics.at(0), topics.at(2), topics.at(3));
    // Script text repeats a topic word: it must not count as visible text.
    html += QStringLiteral("<%1>var %2Count = 1; function %2() { return \"%2 %2 %2\"; }</%1>\n")
                .arg(tag("script"), topics.at(3));
    html += QStringLiteral("</%1>\n<%2>\n").arg(tag("head"), tag("body"));

    // The topic words recur with falling frequency: about 24, 16, 12 and 8
    // times in a text of a few hundred words.
    const int weights[] = {24, 16, 12, 8};
    QStringList text;
    for (int i = 0; i < 4; ++i)
        for (int n = 0; n < weights[i] + rng.below(3); ++n)
            text << topics.at(i);
    for (int n = 0; n < 260; ++n)
        text << QString::fromUtf8(Filler[rng.below(FillerSize)]);
    for (qsizetype i = text.size() - 1; i > 0; --i)
        text.swapItemsAt(i, rng.below(int(i + 1)));
    const QString p = tag("p");
    for (qsizetype at = 0; at < text.size(); at += 40)
        html += QStringLiteral("<%1>%2</%1>\n").arg(p, text.mid(at, 40).join(QLatin1Char(' ')));
    html += QStringLiteral("<%1>Open&nbsp;daily&nbsp;&nbsp;9&nbsp;to&nbsp;5\t<b>%2</b></%1>\n")
                .arg(p, capitalised(topics.at(0)));
    if (kindOf(site) == Kind::TooLarge) {
        // A long list of parts takes the page well past 100,000 bytes.
        html += QStringLiteral("<ul>\n");
        for (int n = 0; n < 6000; ++n)
            html += QStringLiteral("<li>part %1</li>\n").arg(n);
        html += QStringLiteral("</ul>\n");
    }
    html += QStringLiteral("</%1>\n</%2>\n").arg(tag("body"), tag("html"));
    return {200, html.toUtf8()};
}

} // namespace corvane::DemoSitePages
