#include "core/demo/DemoPages.h"

#include <QUrl>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

namespace {

constexpr const char* StyleNames[] = {"numbered", "unnumbered", "tagfirst", "planb"};

// Stable hashing: pages and rankings must not change between builds, Qt
// versions or runs, so no qHash and no random seeds.
std::uint64_t mix(std::uint64_t x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

std::uint64_t hashText(const QByteArray& text)
{
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (const char c : text) {
        h ^= static_cast<unsigned char>(c);
        h *= 0x100000001b3ULL;
    }
    return mix(h);
}

std::uint64_t hashOf(std::uint64_t seed, std::initializer_list<std::int64_t> values)
{
    std::uint64_t h = seed;
    for (const std::int64_t v : values)
        h = mix(h ^ static_cast<std::uint64_t>(v));
    return h;
}

class Rng
{
public:
    explicit Rng(std::uint64_t seed)
        : m_state(seed)
    {
    }
    std::uint64_t next() { return mix(m_state += 0x632be59bd9b4e5bbULL); }
    int below(int n) { return n <= 0 ? 0 : static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    template <std::size_t N>
    const char* pick(const char* const (&items)[N])
    {
        return items[below(static_cast<int>(N))];
    }

private:
    std::uint64_t m_state;
};

// Syllables and words of the noise. None contains a hyphen, quote or "<", so
// generated script and style text can never form a result marker, a site
// name or a closing tag.
constexpr const char* Syllables[] = {"ka",  "lo",  "mi",  "zu",  "re",  "tan", "vex", "qo",  "pri", "dul",
                                     "fen", "gor", "hib", "jat", "nox", "wum", "ys",  "bre", "cli", "dro"};
constexpr const char* Words[] = {
    "quality",   "prices",   "guide",    "review", "best",    "online",  "store",   "free",   "shipping",
    "compare",   "official", "catalog",  "new",    "classic", "service", "support", "custom", "handmade",
    "local",     "world",    "top",      "rated",  "deals",   "expert",  "tips",    "how",    "to",
    "choose",    "buy",      "repair",   "parts",  "news",    "family",  "owned",   "since",  "large",
    "selection", "fast",     "delivery", "today",  "history", "facts"};
constexpr const char* NavItems[] = {"Web",  "Images",   "Videos", "News",
                                    "Maps", "Shopping", "Books",  "Flights"};
constexpr const char* AdBrands[] = {"Acme Outlet", "Brightmart", "Quickbuy",  "Shopzone",
                                    "Valuehouse",  "Megadeal",   "Primeshop", "Homestore"};

std::string identifier(Rng& rng)
{
    std::string id = rng.pick(Syllables);
    const int parts = 1 + rng.below(3);
    for (int i = 0; i < parts; ++i)
        id += rng.pick(Syllables);
    if (rng.below(3) == 0)
        id += std::to_string(rng.below(100));
    return id;
}

std::string words(Rng& rng, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            text += ' ';
        text += rng.pick(Words);
    }
    return text;
}

// Minified-looking script text of about the given size.
void appendScriptText(std::string& out, Rng& rng, std::size_t bytes)
{
    const std::size_t end = out.size() + bytes;
    std::size_t lineStart = out.size();
    while (out.size() < end) {
        switch (rng.below(4)) {
        case 0:
            out += "var " + identifier(rng) + "=function(a,b){return a." + identifier(rng) + "+b*"
                + std::to_string(rng.below(1000)) + "};";
            break;
        case 1:
            out += identifier(rng) + "." + identifier(rng) + "('" + identifier(rng) + "',{" + identifier(rng)
                + ":" + std::to_string(rng.below(100000)) + "," + identifier(rng) + ":'" + identifier(rng)
                + "'});";
            break;
        case 2:
            out += "if(" + identifier(rng) + "&&" + identifier(rng) + ".length>"
                + std::to_string(rng.below(64)) + "){" + identifier(rng) + "=" + identifier(rng) + ".slice("
                + std::to_string(rng.below(9)) + ")}";
            break;
        default:
            out += "window." + identifier(rng) + "=[" + std::to_string(rng.below(9999)) + ","
                + std::to_string(rng.below(9999)) + ",'" + identifier(rng) + "'];";
            break;
        }
        if (out.size() - lineStart > 160) {
            out += '\n';
            lineStart = out.size();
        }
    }
}

void appendStyleText(std::string& out, Rng& rng, std::size_t bytes)
{
    static constexpr const char* Properties[] = {"margin", "padding", "border-width", "line-height", "top"};
    const std::size_t end = out.size() + bytes;
    while (out.size() < end) {
        char colour[8];
        std::snprintf(colour, sizeof colour, "%06x", rng.below(0xffffff));
        out += "." + identifier(rng) + "{" + rng.pick(Properties) + ":" + std::to_string(rng.below(40))
            + "px " + std::to_string(rng.below(40)) + "px;color:#" + colour + "}\n";
    }
}

std::string toStd(const QString& text) { return text.toStdString(); }

std::string html(const QString& text) { return text.toHtmlEscaped().toStdString(); }

// The term as it stands in a query string: percent-encoded, blanks as "+".
std::string queryTerm(const QString& term)
{
    QByteArray encoded = QUrl::toPercentEncoding(term, QByteArrayLiteral(" "));
    encoded.replace(' ', '+');
    return encoded.toStdString();
}

// One result document of the corpus: a site's root page or its second page.
struct Document
{
    int site;
    int variant;
};

const QList<Document>& documents()
{
    static const QList<Document> all = [] {
        QList<Document> list;
        for (int site = 1; site <= DemoCorpus::SiteCount; ++site) {
            list.append({site, 0});
            if (site % 10 == 7)
                list.append({site, 1});
        }
        return list;
    }();
    return all;
}

QString documentUrl(const Document& doc)
{
    const QString scheme = doc.site % 9 == 4 ? QStringLiteral("https://") : QStringLiteral("http://");
    QString path = QStringLiteral("/");
    if (doc.variant == 1)
        path = QStringLiteral("/about/team.html");
    else if (doc.site % 5 == 0)
        path = QStringLiteral("/catalog/item-%1.html").arg(doc.site);
    return scheme + DemoCorpus::siteHost(doc.site) + path;
}

// Percent-encodes the colon and slashes of an address (and, for some sites,
// its dots), the way redirecting result links carry their target.
std::string encodedUrl(const QString& url, int site)
{
    QString text = url;
    text.replace(QLatin1Char(':'), QStringLiteral("%3A")).replace(QLatin1Char('/'), QStringLiteral("%2F"));
    if (site % 4 == 1)
        text.replace(QLatin1Char('.'), QStringLiteral("%2E"));
    return toStd(text);
}

struct Result
{
    int rank; // 1-based
    int site;
    QString url;
};

QList<Result> resultsFor(DemoStyle style, const QString& term, int day, int offset)
{
    QList<Result> results;
    const QList<QString> order = DemoCorpus::ranking(term, day, style);
    for (int i = offset; i < order.size() && i < offset + DemoCorpus::PageLength; ++i) {
        const QString host = QUrl(order.at(i)).host();
        results.append({i + 1, host.mid(9, 3).toInt(), order.at(i)});
    }
    return results;
}

std::string displayUrl(const QString& url)
{
    const QUrl parsed(url);
    std::string text = toStd(parsed.host());
    const QString path = parsed.path();
    if (path.size() > 1)
        text += " &rsaquo; " + toStd(path.mid(1).section(QLatin1Char('/'), 0, 0));
    return text;
}

std::string title(const Result& r, const QString& term, Rng& rng)
{
    QString t = term;
    if (!t.isEmpty())
        t[0] = t[0].toUpper();
    return html(t) + " - " + words(rng, 3) + " | Site " + std::to_string(r.site);
}

std::string snippet(const QString& term, Rng& rng)
{
    return words(rng, 8 + rng.below(10)) + " <b>" + html(term) + "</b> " + words(rng, 12 + rng.below(20))
        + " ...";
}

// The page frame shared by all styles.
struct Frame
{
    std::string head;   // up to and including the opening of the body
    std::string middle; // the part that holds the results
    std::string tail;   // the rest after the results
};

std::string headOf(const QString& term, Rng& rng, const char* engineTitle)
{
    std::string s = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>"
        + html(term) + " - " + engineTitle + "</title>\n"
        + "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<style>\n";
    appendStyleText(s, rng, 6000 + rng.below(6000));
    s += "</style>\n<script>\n";
    appendScriptText(s, rng, 8000 + rng.below(8000));
    s += "\n</script>\n</head>\n<body class=\"srp\">\n";
    return s;
}

std::string navigationBar(DemoStyle style, const QString& term, Rng& rng)
{
    const std::string path = toStd(demoSearchPath(style));
    std::string s = "<div id=\"top\"><a class=\"logo\" href=\"/\">Corvane Demo Search</a>\n"
                    "<form action=\""
        + path + "\" method=\"get\"><input type=\"text\" name=\"q\" value=\"" + html(term)
        + "\"><input type=\"submit\" value=\"Search\"></form>\n<ul class=\"tabs\">";
    for (const char* item : NavItems)
        s += std::string("<li class=\"tab\"><a href=\"/") + item + "?q=" + queryTerm(term) + "\">" + item
            + "</a></li>";
    s += "</ul>\n<div class=\"stats\">About " + std::to_string(1000 + rng.below(90000)) + ",000 results ("
        + "0." + std::to_string(10 + rng.below(80)) + " seconds)</div></div>\n";
    return s;
}

// Advertisements: links to advertisers, never to a corpus site, in markup
// that resembles but never equals a result marker.
std::string adverts(DemoStyle style, const QString& term, Rng& rng, int count)
{
    std::string s = "<div class=\"ads\" aria-label=\"Ads\">\n";
    for (int i = 0; i < count; ++i) {
        const int n = 1 + rng.below(40);
        std::string open;
        switch (style) {
        case DemoStyle::Numbered: open = "<div class=\"result-ad\">"; break;
        case DemoStyle::Unnumbered: open = "<div class=\"g ads-ad\">"; break;
        case DemoStyle::TagFirst: open = "<div class=\"hit ad\">"; break;
        case DemoStyle::PlanB: open = "<article class=\"res ad\">"; break;
        }
        s += open + "<span class=\"ad-label\">Ad</span> <a href=\"http://shop.adnet" + std::to_string(n)
            + ".test/landing?c=" + identifier(rng) + "\">" + rng.pick(AdBrands) + ": " + html(term) + " "
            + words(rng, 3) + "</a><div class=\"ad-text\">" + words(rng, 14) + "</div>"
            + (style == DemoStyle::PlanB ? "</article>\n" : "</div>\n");
    }
    s += "</div>\n";
    return s;
}

std::string sidebar(const QString& term, Rng& rng)
{
    std::string s = "<div class=\"panel\"><h2>" + html(term) + "</h2><p>" + words(rng, 40) + "</p><ul>";
    for (int i = 0; i < 6; ++i)
        s += "<li><a href=\"http://wiki.reference" + std::to_string(rng.below(9)) + ".test/" + identifier(rng)
            + "\">" + words(rng, 2) + "</a></li>";
    s += "</ul></div>\n";
    return s;
}

std::string relatedSearches(DemoStyle style, const QString& term, Rng& rng)
{
    const std::string path = toStd(demoSearchPath(style));
    std::string s = "<div class=\"related\"><h3>Searches related to " + html(term) + "</h3><p>";
    for (int i = 0; i < 8; ++i) {
        const std::string extra = rng.pick(Words);
        s += "<a class=\"rel\" href=\"" + path + "?q=" + queryTerm(term) + "+" + extra + "\">" + html(term)
            + " <b>" + extra + "</b></a> ";
    }
    s += "</p></div>\n";
    return s;
}

std::string footer(Rng& rng)
{
    std::string s = "<div class=\"footer\"><a href=\"/help\">Help</a> <a href=\"/privacy\">Privacy</a> "
                    "<a href=\"/terms\">Terms</a> <span>"
        + words(rng, 6) + "</span></div>\n";
    return s;
}

std::string noResults(const QString& term)
{
    return "<div class=\"empty\"><p>Your search - <b>" + html(term)
        + "</b> - did not match any more documents.</p></div>\n";
}

// A link to a result, direct or through the engine's redirect with the
// target percent-encoded.
std::string resultHref(const Result& r, bool redirect)
{
    if (redirect)
        return "/click?r=" + std::to_string(r.rank) + "&amp;u=" + encodedUrl(r.url, r.site);
    return toStd(r.url);
}

// Page-number links of a footer navigation.
std::string pageNumbers(const std::string& path, const QString& term, const char* parameter, int offset,
                        bool oneBased)
{
    std::string s;
    const int current = offset / DemoCorpus::PageLength;
    const int pages = (DemoCorpus::ResultsPerTerm + DemoCorpus::PageLength - 1) / DemoCorpus::PageLength;
    for (int p = std::max(0, current - 4); p < std::min(pages, current + 6); ++p) {
        if (p == current) {
            s += "<span class=\"cur\">" + std::to_string(p + 1) + "</span> ";
            continue;
        }
        const int value = p * DemoCorpus::PageLength + (oneBased ? 1 : 0);
        s += "<a class=\"fl\" href=\"" + path + "?q=" + queryTerm(term) + "&amp;" + parameter + "="
            + std::to_string(value) + "\">" + std::to_string(p + 1) + "</a> ";
    }
    return s;
}

Frame numberedPage(const QString& term, int offset, const QList<Result>& results, Rng& rng)
{
    Frame f;
    f.head = headOf(term, rng, "Numbered Demo") + navigationBar(DemoStyle::Numbered, term, rng)
        + adverts(DemoStyle::Numbered, term, rng, 3);
    std::string& m = f.middle;
    if (results.isEmpty()) {
        m = noResults(term);
    } else {
        m = "<div id=\"main\">\n<ol class=\"results\">\n";
        for (const Result& r : results) {
            m += "<li class=\"result\" value=\"" + std::to_string(r.rank) + "\">\n"
                + "<div class=\"rc\"><h3 class=\"r\"><a href=\"" + resultHref(r, r.site % 3 == 0) + "\">"
                + title(r, term, rng) + "</a></h3>\n" + "<div class=\"s\"><cite>" + displayUrl(r.url)
                + "</cite><br><span class=\"st\">" + snippet(term, rng)
                + "</span></div>\n<div class=\"meta\"><a class=\"sim\" " + "href=\"/numbered/similar?id="
                + std::to_string(r.rank * 7919 % 10007) + "\">Similar pages</a></div></div>\n</li>\n";
            if (r.rank % 10 == 4)
                m += "<li class=\"news\"><h4>Top stories</h4><a href=\"http://news.press"
                    + std::to_string(rng.below(5)) + ".test/" + identifier(rng) + "\">" + words(rng, 6)
                    + "</a></li>\n";
        }
        m += "</ol>\n</div>\n";
    }
    std::string& t = f.tail;
    t = "<div id=\"rhs\">" + sidebar(term, rng) + adverts(DemoStyle::Numbered, term, rng, 2) + "</div>\n"
        + relatedSearches(DemoStyle::Numbered, term, rng) + "<div id=\"nav\">"
        + pageNumbers("/numbered/search", term, "start", offset, false) + "</div>\n" + footer(rng);
    return f;
}

Frame unnumberedPage(const QString& term, int offset, const QList<Result>& results, Rng& rng)
{
    const std::string path = "/unnumbered/search";
    Frame f;
    f.head = headOf(term, rng, "Unnumbered Demo") + navigationBar(DemoStyle::Unnumbered, term, rng)
        + adverts(DemoStyle::Unnumbered, term, rng, 4);
    std::string& m = f.middle;
    if (results.isEmpty()) {
        m = noResults(term);
    } else {
        m = "<div id=\"search\"><div id=\"rso\">\n";
        for (const Result& r : results) {
            m += "<div class=\"g\"><div class=\"tF2Cxc\"><div class=\"yuRUbf\"><a href=\"/url?sa=U&amp;ved="
                + identifier(rng) + "&amp;q=" + encodedUrl(r.url, r.site) + "\"><h3 class=\"LC20lb\">"
                + title(r, term, rng) + "</h3><div class=\"TbwUpd\"><cite class=\"iUh30\">"
                + displayUrl(r.url) + "</cite></div></a></div>\n"
                + "<div class=\"IsZvec\"><span class=\"aCOpRe\">" + snippet(term, rng)
                + "</span></div></div></div>\n";
            if (r.rank % 10 == 6)
                m += "<div class=\"related-questions\"><h4>People also ask</h4><div class=\"q\">"
                    + words(rng, 7) + "?</div><div class=\"q\">" + words(rng, 6) + "?</div></div>\n";
        }
        m += "</div></div>\n";
    }
    std::string& t = f.tail;
    t = "<div id=\"rhs\">" + sidebar(term, rng) + "</div>\n"
        + relatedSearches(DemoStyle::Unnumbered, term, rng);
    t += "<table id=\"nav\"><tr>";
    if (offset > 0 && !results.isEmpty())
        t += "<td><a class=\"pn\" href=\"" + path + "?q=" + queryTerm(term)
            + "&amp;start=" + std::to_string(std::max(0, offset - DemoCorpus::PageLength))
            + "\" id=\"pnprev\">Previous</a></td>";
    t += "<td>" + pageNumbers(path, term, "start", offset, false) + "</td>";
    if (!results.isEmpty() && offset + DemoCorpus::PageLength < DemoCorpus::ResultsPerTerm)
        t += "<td><a class=\"pn\" href=\"" + path + "?q=" + queryTerm(term)
            + "&amp;start=" + std::to_string(offset + DemoCorpus::PageLength)
            + "\" id=\"pnnext\" aria-label=\"Next page\">Next</a></td>";
    t += "</tr></table>\n" + footer(rng);
    return f;
}

Frame tagFirstPage(const QString& term, int offset, const QList<Result>& results, Rng& rng)
{
    const std::string path = "/tagfirst/search";
    Frame f;
    f.head = headOf(term, rng, "Tag First Demo") + navigationBar(DemoStyle::TagFirst, term, rng)
        + adverts(DemoStyle::TagFirst, term, rng, 2);
    std::string& m = f.middle;
    if (results.isEmpty()) {
        m = noResults(term);
    } else {
        m = "<div id=\"res\">";
        bool first = true;
        for (const Result& r : results) {
            if (!first)
                m += "\n<hr class=\"rs\">";
            first = false;
            m += "<div class=\"hit\"><a class=\"hl\" href=\"" + resultHref(r, r.site % 3 == 0) + "\">"
                + title(r, term, rng) + "</a><br><span class=\"snip\">" + snippet(term, rng)
                + "</span><br><span class=\"url\">" + displayUrl(r.url) + "</span></div>";
        }
        m += "\n</div>\n";
    }
    std::string& t = f.tail;
    t = "<div id=\"rhs\">" + sidebar(term, rng) + adverts(DemoStyle::TagFirst, term, rng, 2) + "</div>\n"
        + "<div id=\"foot\">";
    if (offset > 0 && !results.isEmpty())
        t += "<a class=\"prev-page\" href=\"" + path + "?q=" + queryTerm(term) + "&first="
            + std::to_string(std::max(0, offset - DemoCorpus::PageLength) + 1) + "\">Previous</a> ";
    t += pageNumbers(path, term, "first", offset, true);
    if (!results.isEmpty() && offset + DemoCorpus::PageLength < DemoCorpus::ResultsPerTerm)
        t += "<a class=\"next-page\" href=\"" + path + "?q=" + queryTerm(term)
            + "&first=" + std::to_string(offset + DemoCorpus::PageLength + 1) + "\">Next</a>";
    t += "</div>\n" + footer(rng);
    return f;
}

Frame planBPage(const QString& term, int offset, const QList<Result>& results, Rng& rng)
{
    Frame f;
    f.head = headOf(term, rng, "Plan B Demo") + navigationBar(DemoStyle::PlanB, term, rng)
        + adverts(DemoStyle::PlanB, term, rng, 3);
    std::string& m = f.middle;
    if (results.isEmpty()) {
        m = noResults(term);
    } else {
        m = "<main><section id=\"results\">\n";
        for (const Result& r : results) {
            m += "<article class=\"res\" data-rank=\"" + std::to_string(r.rank) + "\"><header><a href=\""
                + resultHref(r, r.site % 3 == 0) + "\">" + title(r, term, rng) + "</a></header><p>"
                + snippet(term, rng) + "</p><footer>" + displayUrl(r.url) + "</footer></article>\n";
        }
        m += "</section></main>\n";
    }
    f.tail = "<aside>" + sidebar(term, rng) + "</aside>\n" + relatedSearches(DemoStyle::PlanB, term, rng)
        + "<nav>" + pageNumbers("/planb/search", term, "page", offset, false) + "</nav>\n" + footer(rng);
    return f;
}

// Joins a frame into a page of the size chosen for it, filling the space
// with script blocks before and after the results, as real pages carry.
QByteArray assemble(const Frame& f, Rng& rng, std::uint64_t sizeSeed)
{
    const std::size_t target = 110000 + sizeSeed % 160000; // 110 to 270 KB
    const std::size_t fixedSize = f.head.size() + f.middle.size() + f.tail.size() + 200;
    const std::size_t fill = target > fixedSize ? target - fixedSize : 0;
    std::string page;
    page.reserve(target + 4096);
    page += f.head;
    page += "<script>\n";
    appendScriptText(page, rng, fill * 2 / 5);
    page += "\n</script>\n";
    page += f.middle;
    page += f.tail;
    page += "<script>\n";
    appendScriptText(page, rng, fill - fill * 2 / 5);
    page += "\n</script>\n</body>\n</html>\n";
    return QByteArray::fromStdString(page);
}

std::uint64_t pageSeed(DemoStyle style, const QString& term, int day, int offset)
{
    return hashOf(hashText(DemoCorpus::normalizedTerm(term).toUtf8()),
                  {static_cast<int>(style), day, offset, 0x5eed});
}

} // namespace

QList<DemoStyle> demoStyles()
{
    return {DemoStyle::Numbered, DemoStyle::Unnumbered, DemoStyle::TagFirst, DemoStyle::PlanB};
}

QString demoStyleName(DemoStyle style) { return QLatin1String(StyleNames[static_cast<int>(style)]); }

QString demoSearchPath(DemoStyle style)
{
    return QLatin1Char('/') + demoStyleName(style) + QStringLiteral("/search");
}

bool demoStyleFromName(const QString& name, DemoStyle* style)
{
    for (const DemoStyle s : demoStyles()) {
        if (demoStyleName(s) == name) {
            *style = s;
            return true;
        }
    }
    return false;
}

namespace DemoCorpus {

QString siteHost(int site)
{
    return QStringLiteral("www.site-%1.example").arg(site, 3, 10, QLatin1Char('0'));
}

QString normalizedTerm(const QString& term) { return term.simplified().toLower(); }

QList<QString> ranking(const QString& term, int day) { return ranking(term, day, DemoStyle::Numbered); }

QList<QString> ranking(const QString& term, int day, DemoStyle engine)
{
    const std::uint64_t termHash = hashText(normalizedTerm(term).toUtf8());
    // The numbered engine ranks by the corpus' own order; every other engine
    // leans its own way from it and drifts on its own from day to day, so
    // the engines agree on the good pages without agreeing on the order.
    const bool leans = engine != DemoStyle::Numbered;
    const std::int64_t salt = static_cast<std::int64_t>(engine);
    struct Scored
    {
        std::int64_t score;
        int index;
    };
    const QList<Document>& docs = documents();
    std::vector<Scored> scored;
    scored.reserve(docs.size());
    for (int i = 0; i < docs.size(); ++i) {
        const Document& d = docs.at(i);
        // A stable base position per (term, document) and a drift per day
        // that moves a result by a few places at most.
        const std::int64_t base = static_cast<std::int64_t>(hashOf(termHash, {d.site, d.variant}) % 1000000);
        const std::uint64_t driftHash = leans ? hashOf(termHash, {d.site, d.variant, day, 0xd41, salt})
                                              : hashOf(termHash, {d.site, d.variant, day, 0xd41});
        const std::int64_t drift = static_cast<std::int64_t>(driftHash % 60001) - 30000;
        // An engine's lean moves a document by up to about twenty places.
        const std::int64_t lean = leans
            ? static_cast<std::int64_t>(hashOf(termHash, {d.site, d.variant, salt, 0x1ea}) % 120001) - 60000
            : 0;
        scored.push_back({base + lean + drift, i});
    }
    std::sort(scored.begin(), scored.end(), [](const Scored& a, const Scored& b) {
        return a.score != b.score ? a.score > b.score : a.index < b.index;
    });
    QList<QString> urls;
    for (int i = 0; i < ResultsPerTerm; ++i)
        urls.append(documentUrl(docs.at(scored[static_cast<std::size_t>(i)].index)));
    return urls;
}

} // namespace DemoCorpus

namespace DemoPages {

QByteArray resultPage(DemoStyle style, const QString& rawTerm, int day, int offset)
{
    const QString term = DemoCorpus::normalizedTerm(rawTerm);
    const std::uint64_t seed = pageSeed(style, term, day, offset);
    Rng rng(seed);
    const QList<Result> results =
        term.isEmpty() || offset < 0 ? QList<Result>() : resultsFor(style, term, day, offset);
    Frame frame;
    switch (style) {
    case DemoStyle::Numbered: frame = numberedPage(term, offset, results, rng); break;
    case DemoStyle::Unnumbered: frame = unnumberedPage(term, offset, results, rng); break;
    case DemoStyle::TagFirst: frame = tagFirstPage(term, offset, results, rng); break;
    case DemoStyle::PlanB: frame = planBPage(term, offset, results, rng); break;
    }
    return assemble(frame, rng, mix(seed));
}

QByteArray pageWithoutMarkers(DemoStyle style, const QString& rawTerm, int day)
{
    const QString term = DemoCorpus::normalizedTerm(rawTerm);
    const std::uint64_t seed = pageSeed(style, term, day, -1);
    Rng rng(seed);
    Frame f;
    f.head = headOf(term, rng, "Demo") + navigationBar(style, term, rng) + adverts(style, term, rng, 3);
    f.middle = "<div class=\"notice\"><h2>We are sorry</h2><p>Our systems have detected unusual traffic. "
               "Please try again later.</p><p>"
        + words(rng, 60) + "</p></div>\n";
    f.tail = sidebar(term, rng) + footer(rng);
    return assemble(f, rng, mix(seed));
}

QByteArray homePage()
{
    // The keywords tag (with one repeat) is what the project wizard's Gather Keyword Tags reads.
    QByteArray page =
        "<!DOCTYPE html>\n<html><head><title>Corvane Demo Search</title>\n"
        "<meta name=\"keywords\" content=\"demo search, rank tracking , local engine,demo search\">\n"
        "</head><body>\n"
        "<h1>Corvane Demo Search</h1>\n<p>A local search engine with deterministic result "
        "pages.</p>\n<ul>\n";
    for (const DemoStyle style : demoStyles()) {
        const QByteArray path = demoSearchPath(style).toUtf8();
        page +=
            "<li><a href=\"" + path + "?q=blue+widgets\">" + demoStyleName(style).toUtf8() + "</a></li>\n";
    }
    page += "</ul>\n</body></html>\n";
    return page;
}

} // namespace DemoPages

} // namespace corvane
