#pragma once

#include <QByteArray>
#include <QString>

namespace corvane {

// The pages the demo engine's results link to (www.site-NNN.example), served
// by the engine when a client uses it as its HTTP proxy. Each page is drawn
// from its site number alone, so it is the same on every run: a title, a meta
// description and meta keywords, a script block and body text in which a
// handful of the site's topic words recur often enough to show in a keyword
// density list. Odd sites write their tags in upper case, and the text holds
// "&nbsp;" and a non-ASCII word.
//
// A few sites fail on purpose, so that keyword discovery's failure paths show:
// some answer 404 (missing), some send a body of more than 100 KB (too large for
// the default size limit) and some a body of a few bytes (too short).
namespace DemoSitePages {

enum class Kind { Normal, Missing, TooLarge, TooShort };

struct Reply
{
    int status = 200;
    QByteArray body;
};

// The site number of a host "www.site-NNN.example" (without "www." also),
// or 0 when the host is not one of the corpus.
int siteOf(const QString& host);

Kind kindOf(int site);

// The reply for a path of a site's host; an unknown host gives 404.
Reply page(const QString& host, const QString& path);

// The topic words of a site, the most frequent first.
QStringList topicWords(int site);

} // namespace DemoSitePages

} // namespace corvane
