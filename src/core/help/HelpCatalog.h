#pragma once

#include <QList>
#include <QString>

namespace corvane {

// One help page: an HTML file compiled into the program.
struct HelpTopic
{
    int context = 0;   // the number a window's "?" button asks for
    QString title;     // the page's <title>
    QString path;      // resource path, e.g. ":/help/network-settings.html"
    QString plainText; // the body without tags, for searching
};

// Every help page of the program, found by context number or by the words
// it contains. Pages carry their number in <meta name="context" content="N">.
class HelpCatalog
{
public:
    // The folder the program's pages are compiled into.
    static QString defaultFolder() { return QStringLiteral(":/help"); }
    static const HelpCatalog& instance();

    explicit HelpCatalog(const QString& folder);

    // Sorted by title, without regard to case.
    const QList<HelpTopic>& topics() const { return m_topics; }

    // Null when no page has that number.
    const HelpTopic* topic(int context) const;
    const HelpTopic* topicAt(const QString& path) const;

    // Pages holding every word of the query (case-insensitive), best first:
    // title hits before body hits, then by how often the words occur.
    QList<const HelpTopic*> search(const QString& query) const;

    // The stretch of the page's text around the first word of the query that
    // it holds, cut at word boundaries, with "..." where text was left out.
    static QString excerpt(const HelpTopic& topic, const QString& query, int radius = 90);

private:
    QList<HelpTopic> m_topics;
};

} // namespace corvane
