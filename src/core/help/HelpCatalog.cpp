#include "core/help/HelpCatalog.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>

namespace corvane {

namespace {

QString decodeEntities(QString text)
{
    text.replace(QLatin1String("&nbsp;"), QLatin1String(" "));
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

QString captured(const QString& html, const QRegularExpression& pattern)
{
    const QRegularExpressionMatch match = pattern.match(html);
    return match.hasMatch() ? match.captured(1) : QString();
}

HelpTopic readTopic(const QString& path)
{
    static const QRegularExpression title(QStringLiteral("<title>(.*?)</title>"),
                                          QRegularExpression::CaseInsensitiveOption
                                              | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression context(QStringLiteral("<meta\\s+name=\"context\"\\s+content=\"(\\d+)\""),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression head(QStringLiteral("<head>.*?</head>"),
                                         QRegularExpression::CaseInsensitiveOption
                                             | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression heading(QStringLiteral("<h1>.*?</h1>"),
                                            QRegularExpression::CaseInsensitiveOption
                                                | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression inlineTag(QStringLiteral("</?(a|b|i|em|strong|span|code)\\b[^>]*>"),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    static const QRegularExpression space(QStringLiteral("\\s+"));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString html = QString::fromUtf8(file.readAll());
    HelpTopic topic;
    topic.path = path;
    topic.title = decodeEntities(captured(html, title).simplified());
    topic.context = captured(html, context).toInt();
    QString body = html;
    // The title is searched on its own; inline tags join their words to the
    // text around them, block tags separate.
    body.remove(head).remove(heading).remove(inlineTag).replace(tag, QStringLiteral(" "));
    topic.plainText = decodeEntities(body).replace(space, QStringLiteral(" ")).trimmed();
    return topic;
}

QStringList queryWords(const QString& query)
{
    static const QRegularExpression separators(QStringLiteral("[^\\w'-]+"));
    return query.split(separators, Qt::SkipEmptyParts);
}

} // namespace

const HelpCatalog& HelpCatalog::instance()
{
    static const HelpCatalog catalog(defaultFolder());
    return catalog;
}

HelpCatalog::HelpCatalog(const QString& folder)
{
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.html")}, QDir::Files)) {
        HelpTopic topic = readTopic(dir.filePath(name));
        if (!topic.title.isEmpty())
            m_topics.append(std::move(topic));
    }
    std::sort(m_topics.begin(), m_topics.end(), [](const HelpTopic& a, const HelpTopic& b) {
        return a.title.compare(b.title, Qt::CaseInsensitive) < 0;
    });
}

const HelpTopic* HelpCatalog::topic(int context) const
{
    for (const HelpTopic& t : m_topics) {
        if (t.context == context && context != 0)
            return &t;
    }
    return nullptr;
}

const HelpTopic* HelpCatalog::topicAt(const QString& path) const
{
    for (const HelpTopic& t : m_topics) {
        if (t.path == path)
            return &t;
    }
    return nullptr;
}

QList<const HelpTopic*> HelpCatalog::search(const QString& query) const
{
    const QStringList words = queryWords(query);
    if (words.isEmpty())
        return {};
    struct Hit
    {
        const HelpTopic* topic;
        int titleHits;
        qsizetype bodyHits;
    };
    QList<Hit> hits;
    for (const HelpTopic& t : m_topics) {
        Hit hit{&t, 0, 0};
        bool all = true;
        for (const QString& word : words) {
            const bool inTitle = t.title.contains(word, Qt::CaseInsensitive);
            const qsizetype inBody = t.plainText.count(word, Qt::CaseInsensitive);
            if (!inTitle && inBody == 0) {
                all = false;
                break;
            }
            hit.titleHits += inTitle ? 1 : 0;
            hit.bodyHits += inBody;
        }
        if (all)
            hits.append(hit);
    }
    std::stable_sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) {
        if (a.titleHits != b.titleHits)
            return a.titleHits > b.titleHits;
        return a.bodyHits > b.bodyHits;
    });
    QList<const HelpTopic*> result;
    for (const Hit& hit : hits)
        result.append(hit.topic);
    return result;
}

QString HelpCatalog::excerpt(const HelpTopic& topic, const QString& query, int radius)
{
    const QString& text = topic.plainText;
    qsizetype at = -1;
    for (const QString& word : queryWords(query)) {
        at = text.indexOf(word, 0, Qt::CaseInsensitive);
        if (at >= 0)
            break;
    }
    if (at < 0)
        at = 0;
    qsizetype from = qMax<qsizetype>(0, at - radius);
    qsizetype to = qMin<qsizetype>(text.size(), at + radius);
    if (from > 0)
        from = qMax<qsizetype>(from, text.indexOf(QLatin1Char(' '), from) + 1);
    if (to < text.size()) {
        const qsizetype space = text.lastIndexOf(QLatin1Char(' '), to);
        if (space > at)
            to = space;
    }
    return (from > 0 ? QStringLiteral("...") : QString()) + text.mid(from, to - from).trimmed()
        + (to < text.size() ? QStringLiteral("...") : QString());
}

} // namespace corvane
