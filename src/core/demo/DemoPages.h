#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace corvane {

// The markup styles of the demo engine. Each answers under its own path
// prefix (demoSearchPath) and is read by its own starter engine script.
enum class DemoStyle {
    Numbered,   // <li class="result" value="N">, offset paging with start=
    Unnumbered, // <div class="g">, next-link paging ("Next" link with &amp;)
    TagFirst,   // <hr class="rs"> between results, none before the first; next link
    PlanB       // <article class="res" data-rank="N">, page= paging
};

QList<DemoStyle> demoStyles();
QString demoStyleName(DemoStyle style);  // "numbered", "unnumbered", "tagfirst", "planb"
QString demoSearchPath(DemoStyle style); // "/numbered/search" ...
bool demoStyleFromName(const QString& name, DemoStyle* style);

namespace DemoCorpus {

constexpr int SiteCount = 300;
constexpr int ResultsPerTerm = 250;
constexpr int PageLength = 10;

// "www.site-007.example"
QString siteHost(int site);
// Lower case, blanks collapsed: the form in which terms are ranked, so that
// "Blue  Widgets" and "blue widgets" give the same ranking.
QString normalizedTerm(const QString& term);
// The first ResultsPerTerm result addresses for a term on a day on the
// engine of a style, best first, as the decoded absolute URL (for example
// http://www.site-042.example/). A few sites hold two results (their root and
// a second page). The engines share most of their good results but rank
// them in an order of their own.
QList<QString> ranking(const QString& term, int day, DemoStyle engine);
// The numbered engine's ranking, which the programming interface answers too.
QList<QString> ranking(const QString& term, int day);

} // namespace DemoCorpus

namespace DemoPages {

// The result page of a style for a term, a day and a result offset (0 = the
// first result): the ten results from offset+1 on, with noise around them.
// Offsets at or past the end give a page without results.
QByteArray resultPage(DemoStyle style, const QString& term, int day, int offset);
// A page of normal size and layout that holds no result marker.
QByteArray pageWithoutMarkers(DemoStyle style, const QString& term, int day);
// The small home page that lists the styles.
QByteArray homePage();

} // namespace DemoPages

} // namespace corvane
