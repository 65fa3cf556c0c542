#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/demo/DemoEngine.h"
#include "core/demo/DemoPageCache.h"
#include "core/engine/ContentDecoding.h"
#include "core/platform/Registry.h"
#include "core/settings/ProfileSetup.h"

#include "TestSupport.h"

#include <QElapsedTimer>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>

#include <gtest/gtest.h>

#include <chrono>
#include <httplib.h>
#include <thread>

using namespace corvane;

namespace {

const QString Term = QStringLiteral("blue widgets");

struct Reply
{
    int status = 0;
    QByteArray body;
};

Reply get(const DemoEngine& engine, const QString& pathAndQuery)
{
    httplib::Client client("127.0.0.1", engine.port());
    client.set_read_timeout(30, 0);
    client.set_url_encode(false); // send the query as written, "+" included
    const auto result = client.Get(pathAndQuery.toStdString());
    if (!result)
        return {};
    return {result->status, QByteArray::fromStdString(result->body)};
}

QString searchPath(DemoStyle style, const QString& query)
{
    return demoSearchPath(style) + QStringLiteral("?q=blue+widgets") + query;
}

// What a fetcher does to a page before it looks for results: one line, with
// percent-encoded dots, colons and slashes decoded.
QByteArray cleaned(QByteArray page)
{
    page.replace("\n", "").replace("\r", "").replace("\t", "");
    page.replace("%2E", ".").replace("%3A", ":").replace("%2F", "/");
    return page;
}

QList<QByteArray> corpusHosts(const QByteArray& text)
{
    static const QRegularExpression host(QStringLiteral("www\\.site-\\d{3}\\.example"));
    QList<QByteArray> hosts;
    auto it = host.globalMatch(QString::fromUtf8(text));
    while (it.hasNext())
        hosts.append(it.next().captured().toUtf8());
    return hosts;
}

QByteArray markerOf(DemoStyle style, int n)
{
    switch (style) {
    case DemoStyle::Numbered: return "<li class=\"result\" value=\"" + QByteArray::number(n) + "\">";
    case DemoStyle::Unnumbered: return "<div class=\"g\">";
    case DemoStyle::TagFirst: return "<hr class=\"rs\">";
    case DemoStyle::PlanB: return "<article class=\"res\" data-rank=\"" + QByteArray::number(n) + "\">";
    }
    return {};
}

QByteArray resultsStart(DemoStyle style)
{
    switch (style) {
    case DemoStyle::Numbered: return "<ol class=\"results\">";
    case DemoStyle::Unnumbered: return "<div id=\"search\">";
    case DemoStyle::TagFirst: return "<div id=\"res\">";
    case DemoStyle::PlanB: return "<section id=\"results\">";
    }
    return {};
}

// Numbers carried by the numbered markers of a page, in page order.
QList<int> markerNumbers(DemoStyle style, const QByteArray& page)
{
    const QString pattern = style == DemoStyle::Numbered
        ? QStringLiteral("<li class=\"result\" value=\"(\\d+)\">")
        : QStringLiteral("<article class=\"res\" data-rank=\"(\\d+)\">");
    QList<int> numbers;
    auto it = QRegularExpression(pattern).globalMatch(QString::fromUtf8(page));
    while (it.hasNext())
        numbers.append(it.next().captured(1).toInt());
    return numbers;
}

QList<int> range(int from, int to)
{
    QList<int> list;
    for (int i = from; i <= to; ++i)
        list.append(i);
    return list;
}

} // namespace

// ---------------------------------------------------------------- server

TEST(DemoEngineServer, StartsOnAFreePortAndStops)
{
    DemoEngine first;
    DemoEngine second;
    ASSERT_TRUE(first.start()) << qPrintable(first.error());
    ASSERT_TRUE(second.start()) << qPrintable(second.error());
    EXPECT_GT(first.port(), 0);
    EXPECT_NE(first.port(), second.port());
    EXPECT_EQ(first.baseUrl(), QStringLiteral("http://127.0.0.1:%1").arg(first.port()));

    const Reply home = get(first, QStringLiteral("/"));
    EXPECT_EQ(home.status, 200);
    EXPECT_TRUE(home.body.contains("/numbered/search"));

    // A busy port is refused with a message that names it.
    DemoEngine third;
    EXPECT_FALSE(third.start(first.port()));
    EXPECT_TRUE(third.error().contains(QString::number(first.port())));

    const int port = first.port();
    first.stop();
    EXPECT_FALSE(first.isRunning());
    httplib::Client client("127.0.0.1", port);
    client.set_connection_timeout(2, 0);
    EXPECT_FALSE(client.Get("/"));
}

TEST(DemoEngineServer, AnswersEveryStyleAndTheNumberedAlias)
{
    DemoEngine engine;
    ASSERT_TRUE(engine.start());
    engine.setDay(3);
    for (const DemoStyle style : demoStyles()) {
        const Reply reply = get(engine, searchPath(style, QStringLiteral("&start=20")));
        EXPECT_EQ(reply.status, 200) << qPrintable(demoStyleName(style));
        EXPECT_EQ(reply.body, DemoEngine::page(style, Term, 3, 20)) << qPrintable(demoStyleName(style));
    }
    EXPECT_EQ(get(engine, QStringLiteral("/search?q=blue+widgets&start=10")).body,
              DemoEngine::page(DemoStyle::Numbered, Term, 3, 10));
    EXPECT_EQ(get(engine, QStringLiteral("/nowhere")).status, 404);
}

// The server keeps the pages it sent; a page asked for again, plain or in
// gzip, and after a change of day, is still the page of its own day.
TEST(DemoEngineServer, GzipAndRepeatedRequestsGiveTheSamePages)
{
    DemoEngine engine;
    ASSERT_TRUE(engine.start());
    httplib::Client client("127.0.0.1", engine.port());
    client.set_read_timeout(30, 0);
    client.set_url_encode(false);
    for (const int day : {3, 4, 3}) {
        engine.setDay(day);
        for (const char* coding : {"gzip, deflate", "identity", "gzip"}) {
            const std::string path =
                searchPath(DemoStyle::Numbered, QStringLiteral("&start=20")).toStdString();
            const auto reply = client.Get(path, {{"Accept-Encoding", coding}});
            ASSERT_TRUE(reply);
            EXPECT_EQ(reply->get_header_value("Content-Encoding"),
                      std::string(coding) == "identity" ? "" : "gzip");
            // httplib's client has undone the gzip coding.
            EXPECT_EQ(QByteArray::fromStdString(reply->body),
                      DemoEngine::page(DemoStyle::Numbered, Term, day, 20))
                << day << " " << coding;
        }
    }
    EXPECT_EQ(engine.requestCount(), 9);
}

TEST(DemoEngineServer, FirstAndPageParametersNameTheSameOffset)
{
    DemoEngine engine;
    ASSERT_TRUE(engine.start());
    const QByteArray byStart = get(engine, searchPath(DemoStyle::PlanB, QStringLiteral("&start=30"))).body;
    EXPECT_EQ(get(engine, searchPath(DemoStyle::PlanB, QStringLiteral("&page=4"))).body, byStart);
    EXPECT_EQ(get(engine, searchPath(DemoStyle::PlanB, QStringLiteral("&first=31"))).body, byStart);
    EXPECT_EQ(get(engine, searchPath(DemoStyle::PlanB, QString())).body,
              get(engine, searchPath(DemoStyle::PlanB, QStringLiteral("&page=1"))).body);
}

TEST(DemoEngineServer, CountsRequestsInAllAndPerPath)
{
    DemoEngine engine;
    ASSERT_TRUE(engine.start());
    EXPECT_EQ(engine.requestCount(), 0);
    get(engine, searchPath(DemoStyle::Numbered, QString()));
    get(engine, searchPath(DemoStyle::Numbered, QStringLiteral("&start=10")));
    get(engine, searchPath(DemoStyle::TagFirst, QString()));
    get(engine, QStringLiteral("/control?day=2")); // not a search: not counted
    EXPECT_EQ(engine.requestCount(), 3);
    EXPECT_EQ(engine.requestCount(QStringLiteral("/numbered/search")), 2);
    EXPECT_EQ(engine.requestCount(QStringLiteral("/tagfirst/search")), 1);
    EXPECT_EQ(engine.requestCount(QStringLiteral("/planb/search")), 0);

    // Failed requests count as well.
    engine.setFailure(DemoEngine::Failure::ServerError);
    get(engine, searchPath(DemoStyle::PlanB, QString()));
    EXPECT_EQ(engine.requestCount(QStringLiteral("/planb/search")), 1);

    engine.resetCounts();
    EXPECT_EQ(engine.requestCount(), 0);
    EXPECT_EQ(engine.requestCount(QStringLiteral("/numbered/search")), 0);
}

TEST(DemoEngineServer, ControlPathChangesTheDayAndTheFailureMode)
{
    DemoEngine engine;
    ASSERT_TRUE(engine.start());
    const Reply state = get(engine, QStringLiteral("/control?day=7&fail=short&times=1"));
    EXPECT_EQ(state.status, 200);
    EXPECT_TRUE(state.body.contains("day=7")) << state.body.constData();
    EXPECT_EQ(engine.day(), 7);
    EXPECT_EQ(get(engine, searchPath(DemoStyle::Numbered, QString())).body.size(), 9);
    EXPECT_EQ(get(engine, searchPath(DemoStyle::Numbered, QString())).body,
              DemoEngine::page(DemoStyle::Numbered, Term, 7, 0));
    EXPECT_EQ(get(engine, QStringLiteral("/control?fail=sometimes")).status, 400);
}

// ---------------------------------------------------------------- failures

TEST(DemoEngineFailures, ServerErrorShortBodyAndNoMarkers)
{
    DemoEngine engine;
    ASSERT_TRUE(engine.start());

    engine.setFailure(DemoEngine::Failure::ServerError);
    const Reply error = get(engine, searchPath(DemoStyle::Numbered, QString()));
    EXPECT_EQ(error.status, 500);

    engine.setFailure(DemoEngine::Failure::ShortBody);
    const Reply shortReply = get(engine, searchPath(DemoStyle::Unnumbered, QString()));
    EXPECT_EQ(shortReply.status, 200);
    EXPECT_EQ(shortReply.body.size(), 9);

    engine.setFailure(DemoEngine::Failure::NoMarkers);
    for (const DemoStyle style : demoStyles()) {
        const Reply reply = get(engine, searchPath(style, QString()));
        EXPECT_EQ(reply.status, 200);
        EXPECT_GE(reply.body.size(), 100 * 1024);
        EXPECT_LE(reply.body.size(), 300 * 1024);
        const QByteArray page = cleaned(reply.body);
        EXPECT_FALSE(page.contains(markerOf(style, 1))) << qPrintable(demoStyleName(style));
        EXPECT_FALSE(page.contains(resultsStart(style))) << qPrintable(demoStyleName(style));
        EXPECT_TRUE(corpusHosts(page).isEmpty());
    }

    engine.setFailure(DemoEngine::Failure::None);
    EXPECT_EQ(get(engine, searchPath(DemoStyle::Numbered, QString())).body,
              DemoEngine::page(DemoStyle::Numbered, Term, 0, 0));
}

TEST(DemoEngineFailures, ACountedFailureEndsByItself)
{
    DemoEngine engine;
    ASSERT_TRUE(engine.start());
    engine.setFailure(DemoEngine::Failure::ServerError, 2);
    EXPECT_EQ(get(engine, searchPath(DemoStyle::Numbered, QString())).status, 500);
    EXPECT_EQ(get(engine, searchPath(DemoStyle::Numbered, QString())).status, 500);
    EXPECT_EQ(get(engine, searchPath(DemoStyle::Numbered, QString())).status, 200);
    EXPECT_EQ(engine.failure(), DemoEngine::Failure::None);
}

TEST(DemoEngineFailures, SlowRepliesComeLateButWhole)
{
    DemoEngine engine;
    ASSERT_TRUE(engine.start());
    engine.setSlowDelay(300);
    engine.setFailure(DemoEngine::Failure::Slow);
    QElapsedTimer timer;
    timer.start();
    const Reply reply = get(engine, searchPath(DemoStyle::TagFirst, QString()));
    EXPECT_GE(timer.elapsed(), 300);
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, DemoEngine::page(DemoStyle::TagFirst, Term, 0, 0));
}

TEST(DemoEngineFailures, StopCutsASlowReplyShort)
{
    DemoEngine engine;
    ASSERT_TRUE(engine.start());
    engine.setSlowDelay(60000);
    engine.setFailure(DemoEngine::Failure::Slow);
    std::thread client([&engine] { get(engine, searchPath(DemoStyle::Numbered, QString())); });
    while (engine.requestCount() == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    QElapsedTimer timer;
    timer.start();
    engine.stop();
    client.join();
    EXPECT_LT(timer.elapsed(), 30000);
}

TEST(DemoEngineFailures, ParsesFailureModeNames)
{
    DemoEngine::Failure mode = DemoEngine::Failure::None;
    int delay = 0;
    EXPECT_TRUE(DemoEngine::parseFailure(QStringLiteral("500"), &mode, &delay));
    EXPECT_EQ(mode, DemoEngine::Failure::ServerError);
    EXPECT_TRUE(DemoEngine::parseFailure(QStringLiteral("short"), &mode, &delay));
    EXPECT_EQ(mode, DemoEngine::Failure::ShortBody);
    EXPECT_TRUE(DemoEngine::parseFailure(QStringLiteral("nomarkers"), &mode, &delay));
    EXPECT_EQ(mode, DemoEngine::Failure::NoMarkers);
    EXPECT_TRUE(DemoEngine::parseFailure(QStringLiteral("slow:1500"), &mode, &delay));
    EXPECT_EQ(mode, DemoEngine::Failure::Slow);
    EXPECT_EQ(delay, 1500);
    EXPECT_TRUE(DemoEngine::parseFailure(QStringLiteral("none"), &mode, &delay));
    EXPECT_EQ(mode, DemoEngine::Failure::None);
    EXPECT_FALSE(DemoEngine::parseFailure(QStringLiteral("slow:soon"), &mode, &delay));
    EXPECT_FALSE(DemoEngine::parseFailure(QStringLiteral("404"), &mode, &delay));
}

// ---------------------------------------------------------------- ranking and pages

TEST(DemoEngineRanking, HoldsEnoughResultsFromTheCorpus)
{
    const QList<QString> order = DemoEngine::ranking(Term, 0);
    ASSERT_EQ(order.size(), DemoCorpus::ResultsPerTerm);
    EXPECT_GE(order.size(), 200);
    EXPECT_EQ(QSet<QString>(order.begin(), order.end()).size(), order.size());
    QSet<QString> hosts;
    bool withPath = false;
    bool sameSiteTwice = false;
    for (const QString& url : order) {
        const QUrl parsed(url);
        ASSERT_TRUE(parsed.isValid()) << qPrintable(url);
        const QString host = parsed.host();
        static const QRegularExpression siteHost(QStringLiteral("^www\\.site-\\d{3}\\.example$"));
        ASSERT_TRUE(siteHost.match(host).hasMatch()) << qPrintable(host);
        const int site = host.mid(9, 3).toInt();
        EXPECT_GE(site, 1);
        EXPECT_LE(site, DemoCorpus::SiteCount);
        withPath = withPath || parsed.path() != QStringLiteral("/");
        sameSiteTwice = sameSiteTwice || hosts.contains(host);
        hosts.insert(host);
    }
    EXPECT_TRUE(withPath);
    EXPECT_TRUE(sameSiteTwice);
}

TEST(DemoEngineRanking, IsFixedForATermAndDayAndDriftsFromDayToDay)
{
    EXPECT_EQ(DemoEngine::ranking(Term, 4), DemoEngine::ranking(Term, 4));
    EXPECT_EQ(DemoEngine::ranking(QStringLiteral("  Blue   WIDGETS "), 4), DemoEngine::ranking(Term, 4));
    EXPECT_NE(DemoEngine::ranking(QStringLiteral("red widgets"), 4), DemoEngine::ranking(Term, 4));

    const QList<QString> today = DemoEngine::ranking(Term, 4);
    const QList<QString> tomorrow = DemoEngine::ranking(Term, 5);
    EXPECT_NE(today, tomorrow);
    // A drift, not a new ranking: most of the top 50 stay in the top 50, and
    // some results climb while others fall.
    int kept = 0;
    int gains = 0;
    int losses = 0;
    for (int i = 0; i < 50; ++i) {
        const int next = tomorrow.indexOf(today.at(i));
        kept += next >= 0 && next < 50 ? 1 : 0;
        gains += next >= 0 && next < i ? 1 : 0;
        losses += next > i ? 1 : 0;
    }
    EXPECT_GE(kept, 40);
    EXPECT_GT(gains, 0);
    EXPECT_GT(losses, 0);
}

TEST(DemoEngineRanking, EnginesAgreeOnTheGoodResultsButNotOnTheirOrder)
{
    const QList<DemoStyle> engines = demoStyles();
    for (const QString& term : {Term, QStringLiteral("garden hose"), QStringLiteral("Café \"Bleu\"")}) {
        // The numbered engine's order is the ranking without a style.
        EXPECT_EQ(DemoEngine::ranking(term, 6, DemoStyle::Numbered), DemoEngine::ranking(term, 6));
        for (int a = 0; a < engines.size(); ++a) {
            const QList<QString> first = DemoEngine::ranking(term, 6, engines.at(a));
            EXPECT_EQ(DemoEngine::ranking(term, 6, engines.at(a)), first); // fixed for term, day and engine
            for (int b = a + 1; b < engines.size(); ++b) {
                const QList<QString> second = DemoEngine::ranking(term, 6, engines.at(b));
                // Another order on the first page already, yet the same kind
                // of results: most of one engine's top 30 are in the other's top 60.
                EXPECT_NE(first.mid(0, 10), second.mid(0, 10))
                    << qPrintable(term + QLatin1Char(' ') + demoStyleName(engines.at(a)) + QLatin1Char('/')
                                  + demoStyleName(engines.at(b)));
                int shared = 0;
                for (const QString& url : first.mid(0, 30))
                    shared += second.mid(0, 60).contains(url) ? 1 : 0;
                EXPECT_GE(shared, 20) << qPrintable(term);
            }
        }
    }
}

TEST(DemoEnginePages, AreFixedForATermAndDayAndDifferAcrossDays)
{
    for (const DemoStyle style : demoStyles()) {
        const QByteArray page = DemoEngine::page(style, Term, 1, 10);
        EXPECT_EQ(DemoEngine::page(style, Term, 1, 10), page);
        EXPECT_NE(DemoEngine::page(style, Term, 2, 10), page);
        EXPECT_NE(DemoEngine::page(style, Term, 1, 20), page);
        EXPECT_NE(DemoEngine::page(style, QStringLiteral("green gadgets"), 1, 10), page);
    }
}

TEST(DemoEnginePages, TheCacheGivesTheRenderedPageAndItsGzipForm)
{
    DemoPageCache cache;
    const std::string term = "Blue  Widgets";
    const QByteArray page = DemoEngine::page(DemoStyle::PlanB, QString::fromStdString(term), 2, 10);
    const auto plain = cache.resultPage(DemoStyle::PlanB, term, 2, 10, DemoPageCache::Encoding::Identity);
    EXPECT_EQ(QByteArray::fromStdString(*plain), page);
    EXPECT_EQ(cache.resultPage(DemoStyle::PlanB, term, 2, 10, DemoPageCache::Encoding::Identity), plain);

    const auto gzip = cache.resultPage(DemoStyle::PlanB, term, 2, 10, DemoPageCache::Encoding::Gzip);
    EXPECT_LT(gzip->size(), plain->size());
    QByteArray decoded = QByteArray::fromStdString(*gzip);
    ASSERT_EQ(ContentDecoding::decode("gzip", decoded, 64 << 20, nullptr), ContentDecoding::Outcome::Decoded);
    EXPECT_EQ(decoded, page);
    EXPECT_EQ(cache.count(), 2u);
}

TEST(DemoEnginePages, TheCacheStaysWithinItsLimitDroppingTheLeastRecentlyUsed)
{
    const std::size_t pageSize = DemoEngine::page(DemoStyle::Numbered, Term, 1, 0).size();
    DemoPageCache cache(pageSize * 5 / 2); // room for two pages of about this size
    const auto plain = DemoPageCache::Encoding::Identity;
    const std::string term = Term.toStdString();
    const auto first = cache.resultPage(DemoStyle::Numbered, term, 1, 0, plain);
    cache.resultPage(DemoStyle::Numbered, term, 1, 0, plain);
    cache.resultPage(DemoStyle::Numbered, term, 2, 0, plain);
    cache.resultPage(DemoStyle::Numbered, term, 1, 0, plain); // used again: now the newest
    cache.resultPage(DemoStyle::Numbered, term, 3, 0, plain); // drops day 2
    EXPECT_LE(cache.bytes(), pageSize * 5 / 2);
    EXPECT_EQ(cache.count(), 2u);
    EXPECT_EQ(cache.resultPage(DemoStyle::Numbered, term, 1, 0, plain), first);
    // A body larger than the whole cache is given but not kept.
    DemoPageCache tiny(100);
    EXPECT_EQ(QByteArray::fromStdString(*tiny.resultPage(DemoStyle::Numbered, term, 1, 0, plain)),
              DemoEngine::page(DemoStyle::Numbered, Term, 1, 0));
    EXPECT_EQ(tiny.count(), 0u);
}

TEST(DemoEnginePages, HaveRealisticSizes)
{
    const QStringList terms = {Term, QStringLiteral("a"),
                               QStringLiteral("cheap flights to somewhere far away"),
                               QStringLiteral("caf\u00e9 cr\u00e8me")};
    for (const DemoStyle style : demoStyles()) {
        for (const QString& term : terms) {
            for (int day : {0, 1, 9}) {
                for (int offset : {0, 120, 240, 250, 1000}) {
                    const int size = int(DemoEngine::page(style, term, day, offset).size());
                    EXPECT_GE(size, 100 * 1024) << qPrintable(demoStyleName(style)) << " " << offset;
                    EXPECT_LE(size, 300 * 1024) << qPrintable(demoStyleName(style)) << " " << offset;
                }
            }
        }
    }
}

TEST(DemoEnginePages, CarryEachResultOnceInRankOrder)
{
    for (const DemoStyle style : demoStyles()) {
        const QList<QString> order = DemoEngine::ranking(Term, 2, style);
        for (int offset : {0, 10, 130, 240}) {
            const QByteArray page = cleaned(DemoEngine::page(style, Term, 2, offset));
            const QByteArray results = page.mid(page.indexOf(resultsStart(style)));
            // Only the results name corpus sites, each once in its link and
            // once in its displayed address, in rank order.
            EXPECT_EQ(corpusHosts(page).size(), corpusHosts(results).size());
            int from = 0;
            for (int rank = offset + 1; rank <= offset + 10; ++rank) {
                const QByteArray url = order.at(rank - 1).toUtf8();
                const int at = int(results.indexOf(url, from));
                ASSERT_GE(at, 0) << qPrintable(demoStyleName(style)) << " rank " << rank << " "
                                 << url.constData();
                from = at + int(url.size());
            }
            EXPECT_EQ(corpusHosts(results).size(), 20) << qPrintable(demoStyleName(style));
        }
    }
}

TEST(DemoEnginePages, CarryPercentEncodedLinks)
{
    for (const DemoStyle style : demoStyles()) {
        const QByteArray page = DemoEngine::page(style, Term, 0, 0);
        EXPECT_TRUE(page.contains("http%3A%2F%2F") || page.contains("https%3A%2F%2F"))
            << qPrintable(demoStyleName(style));
    }
}

TEST(DemoEnginePages, NumberedMarkersAreConsecutiveAndOnlyAroundResults)
{
    for (const DemoStyle style : {DemoStyle::Numbered, DemoStyle::PlanB}) {
        for (int offset : {0, 10, 240}) {
            const QByteArray page = cleaned(DemoEngine::page(style, Term, 0, offset));
            EXPECT_EQ(markerNumbers(style, page), range(offset + 1, offset + 10));
            const int start = int(page.indexOf(resultsStart(style)));
            ASSERT_GE(start, 0);
            EXPECT_EQ(page.indexOf(resultsStart(style), start + 1), -1);
            EXPECT_GT(page.indexOf(markerOf(style, offset + 1)), start);
            for (int n = offset + 1; n <= offset + 10; ++n)
                EXPECT_EQ(page.count(markerOf(style, n)), 1);
        }
        // Past the last result: a page without results and without markers.
        const QByteArray past = cleaned(DemoEngine::page(style, Term, 0, 250));
        EXPECT_TRUE(markerNumbers(style, past).isEmpty());
        EXPECT_FALSE(past.contains(resultsStart(style)));
    }
    // The markers the plan B scripts list first (an older layout) never occur.
    const QByteArray planB = DemoEngine::page(DemoStyle::PlanB, Term, 0, 0);
    EXPECT_FALSE(planB.contains("<div class=\"res\" data-pos=\""));
    EXPECT_FALSE(planB.contains("<li class=\"res\" id=\"r"));
}

TEST(DemoEnginePages, UnnumberedAndTagFirstMarkersStandBetweenResults)
{
    for (int offset : {0, 100, 240}) {
        const QByteArray unnumbered = cleaned(DemoEngine::page(DemoStyle::Unnumbered, Term, 0, offset));
        EXPECT_EQ(unnumbered.count(markerOf(DemoStyle::Unnumbered, 0)), 10);
        EXPECT_GT(unnumbered.indexOf(markerOf(DemoStyle::Unnumbered, 0)),
                  unnumbered.indexOf(resultsStart(DemoStyle::Unnumbered)));

        // No marker before the first result; one before each of the others.
        const QByteArray tagFirst = cleaned(DemoEngine::page(DemoStyle::TagFirst, Term, 0, offset));
        EXPECT_EQ(tagFirst.count(markerOf(DemoStyle::TagFirst, 0)), 9);
        const int results = int(tagFirst.indexOf(resultsStart(DemoStyle::TagFirst)));
        const int firstMarker = int(tagFirst.indexOf(markerOf(DemoStyle::TagFirst, 0)));
        const QByteArray firstResult = tagFirst.mid(results, firstMarker - results);
        EXPECT_TRUE(
            firstResult.contains(DemoEngine::ranking(Term, 0, DemoStyle::TagFirst).at(offset).toUtf8()));
        EXPECT_EQ(corpusHosts(firstResult).size(), 2);
    }
}

TEST(DemoEnginePages, NextLinksLeadThroughAllResultsAndEndOnTheLastPage)
{
    const QByteArray next = "\" id=\"pnnext\"";
    const QByteArray nextPage = "<a class=\"next-page\" href=\"";
    for (int offset = 0; offset < DemoCorpus::ResultsPerTerm; offset += DemoCorpus::PageLength) {
        const QByteArray unnumbered = cleaned(DemoEngine::page(DemoStyle::Unnumbered, Term, 0, offset));
        const QByteArray tagFirst = cleaned(DemoEngine::page(DemoStyle::TagFirst, Term, 0, offset));
        const bool last = offset + DemoCorpus::PageLength >= DemoCorpus::ResultsPerTerm;
        EXPECT_EQ(unnumbered.count(next), last ? 0 : 1) << offset;
        EXPECT_EQ(tagFirst.count(nextPage), last ? 0 : 1) << offset;
        EXPECT_FALSE(unnumbered.contains("\" rel=\"next\""));
        if (!last) {
            const int anchor = int(unnumbered.indexOf(next));
            const int href = int(unnumbered.lastIndexOf("href=\"", anchor));
            const QByteArray expectedLink =
                "href=\"/unnumbered/search?q=blue+widgets&amp;start=" + QByteArray::number(offset + 10);
            EXPECT_EQ(unnumbered.mid(href, anchor - href), expectedLink);
            const int at = int(tagFirst.indexOf(nextPage)) + int(nextPage.size());
            EXPECT_EQ(tagFirst.mid(at, tagFirst.indexOf('"', at) - at),
                      "/tagfirst/search?q=blue+widgets&first=" + QByteArray::number(offset + 11));
        }
    }
}

// ---------------------------------------------------------------- the starter scripts

namespace {

// The starter engine scripts read back from a new profile's SE3 table, with
// the demo engine's standard address pointed at the test server.
QMap<QString, QMap<QString, QVariant>> starterScripts(const test::TempProfile& profile, int port)
{
    Registry registry(profile.registryPath());
    ProfileSetup setup(registry, profile.path(QStringLiteral("Home")));
    if (!setup.run())
        return {};
    Session session(QStringLiteral("DemoCheck"));
    session.addPassword(QLatin1String(Schema::SE3Password));
    Database data(QStringLiteral("DemoCheck"), &session);
    data.setDirectory(profile.path(QStringLiteral("Home/Data/")));
    data.connect();
    Table se3(&data, QStringLiteral("SE3"), QStringLiteral("SEName"));
    se3.open();
    QMap<QString, QMap<QString, QVariant>> scripts;
    for (se3.first(); !se3.eof(); se3.next()) {
        if (se3.value(QStringLiteral("API")).toBool())
            continue; // the programming interface answers JSON (test_engine_api)
        QMap<QString, QVariant> columns;
        for (const FieldDef& field : se3.fields()) {
            QVariant value = se3.value(field.name);
            if (value.typeId() == QMetaType::QString)
                value = value.toString().replace(QStringLiteral("127.0.0.1:8765"),
                                                 QStringLiteral("127.0.0.1:%1").arg(port));
            columns.insert(field.name, value);
        }
        scripts.insert(se3.asString(QStringLiteral("Name")), columns);
    }
    return scripts;
}

// A plain reading of how an engine script is polled, kept independent of the
// engine code so that the demo pages and the starter scripts are checked on
// their own.
class ScriptReader
{
public:
    explicit ScriptReader(const QMap<QString, QVariant>& columns)
        : m_c(columns)
    {
    }

    QString text(const QString& name) const { return m_c.value(name).toString(); }
    bool flag(const QString& name) const { return m_c.value(name).toBool(); }
    QStringList lines(const QString& name) const
    {
        return text(name).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")), Qt::SkipEmptyParts);
    }

    QString expand(const QString& value) const
    {
        const int offset = m_c.value(QStringLiteral("OffsetValue")).toInt();
        const QString field = text(QStringLiteral("OffsetField"));
        const auto plus = [&](int n) { return QString::number(n + (field == value ? offset : 0)); };
        if (value == QLatin1String("KeyWord"))
            return QString(Term).replace(QLatin1Char(' '), text(QStringLiteral("WordConnector")));
        if (value == QLatin1String("RecCountA") || value == QLatin1String("RecCountB"))
            return plus(m_rank);
        if (value == QLatin1String("PageNo"))
            return plus(m_page);
        if (value == QLatin1String("PageNo*10"))
            return plus(m_page * 10);
        return {};
    }

    QString nextUrl() const
    {
        if (m_rank == 1 || flag(QStringLiteral("Method1"))) {
            const QString side = m_rank == 1 ? QStringLiteral("A") : QStringLiteral("B");
            QString url;
            for (int i = 1; i <= 10; ++i)
                url += text(side + QStringLiteral("String%1").arg(i))
                    + expand(text(side + QStringLiteral("Value%1").arg(i)));
            return url;
        }
        QString link;
        QString endKey = text(QStringLiteral("EndKey"));
        int s = -1;
        if (text(QStringLiteral("ReverseStartKey")).isEmpty()) {
            s = int(m_processed.indexOf(text(QStringLiteral("StartKey"))));
        } else {
            int p = -1;
            for (const QString& line : lines(QStringLiteral("StartKeyPlanB"))) {
                p = int(m_processed.indexOf(line));
                if (p >= 0) {
                    endKey = line;
                    break;
                }
            }
            if (p >= 0)
                s = int(m_processed.lastIndexOf(text(QStringLiteral("ReverseStartKey")), p));
        }
        if (s < 0)
            return {};
        link = m_processed.mid(s, m_processed.size() - 1 - s);
        if (const int end = int(link.indexOf(endKey)); !endKey.isEmpty() && end >= 0)
            link.truncate(end);
        for (int i = 1; i <= 10; ++i) {
            const QString from = text(QStringLiteral("ReplaceThis%1").arg(i));
            if (!from.isEmpty())
                link.replace(from, text(QStringLiteral("ReplaceWith%1").arg(i)));
        }
        return link.replace(QLatin1Char(' '), text(QStringLiteral("WordConnector")));
    }

    // Truncates and splits one cleaned page; returns its result blocks.
    QStringList take(QString page)
    {
        ++m_page;
        for (int i = 1; i <= 5; ++i) {
            const QString start = text(QStringLiteral("TruncStart%1").arg(i));
            const QString end = text(QStringLiteral("TruncEnd%1").arg(i));
            if (start.isEmpty())
                continue;
            const int s = start == QLatin1String("[START]") ? 0 : int(page.indexOf(start));
            const int e = end == QLatin1String("[END]") ? int(page.size()) - 1
                : end.isEmpty()                         ? -2
                                                        : int(page.indexOf(end));
            if (s >= 0 && s < e)
                page.remove(s, e - s);
        }
        const QString side = m_page == 1 ? QStringLiteral("A") : QStringLiteral("B");
        const auto marker = [&](int n, const QString& planB) -> QString {
            if (!planB.isNull()) {
                const QStringList parts = planB.split(QStringLiteral("~*~*"));
                const bool numbered = !parts.value(1).startsWith(QLatin1String("false"));
                return parts.value(0) + (numbered ? QString::number(n) : QString()) + parts.value(2);
            }
            return text(side + QStringLiteral("IncStart"))
                + (flag(side + QStringLiteral("NumberInc")) ? QString::number(n) : QString())
                + text(side + QStringLiteral("IncEnd"));
        };
        const QString separator = QStringLiteral("\n*~*~*~*~*~*~*");
        int n = m_rank;
        QString line; // null: the A/B markers
        for (const QString& candidate : lines(QStringLiteral("IncPlanB"))) {
            if (page.contains(marker(n, candidate))) {
                line = candidate;
                break;
            }
        }
        if (!lines(QStringLiteral("IncPlanB")).isEmpty() && line.isNull())
            return {};
        if (flag(QStringLiteral("TagFirst")))
            page.prepend(separator);
        for (QString m = marker(n, line); page.contains(m); m = marker(++n, line)) {
            const int at = int(page.indexOf(m));
            page.replace(at, m.size(), separator);
        }
        const int first = int(page.indexOf(QStringLiteral("*~*~*~*~*~*~*")));
        if (first < 0)
            return {};
        m_processed = page.mid(first);
        const QStringList blocks = m_processed.split(QLatin1Char('\n'));
        m_rank += int(blocks.size());
        return blocks;
    }

    int rank() const { return m_rank; }

private:
    QMap<QString, QVariant> m_c;
    int m_rank = 1;
    int m_page = 0;
    QString m_processed;
};

} // namespace

TEST(DemoEngineScripts, EveryStarterScriptReadsTheServersRanking)
{
    DemoEngine engine;
    ASSERT_TRUE(engine.start());
    engine.setDay(5);
    test::TempProfile profile;
    const auto scripts = starterScripts(profile, engine.port());
    ASSERT_EQ(scripts.size(), demoStyles().size());

    const QString prefix = engine.baseUrl();
    QSet<QString> pathsUsed;
    for (auto it = scripts.begin(); it != scripts.end(); ++it) {
        SCOPED_TRACE(qPrintable(it.key()));
        ScriptReader reader(it.value());
        QStringList blocks;
        QList<QString> expected; // the ranking of the engine the script asks
        for (int requests = 0; reader.rank() <= DemoCorpus::ResultsPerTerm && requests < 40; ++requests) {
            const QString url = reader.nextUrl();
            if (url.isEmpty())
                break;
            ASSERT_TRUE(url.startsWith(prefix)) << qPrintable(url);
            pathsUsed.insert(QUrl(url).path());
            DemoStyle style;
            ASSERT_TRUE(demoStyleFromName(QUrl(url).path().section(QLatin1Char('/'), 1, 1), &style));
            expected = DemoEngine::ranking(Term, 5, style);
            const Reply reply = get(engine, url.mid(prefix.size()));
            ASSERT_EQ(reply.status, 200) << qPrintable(url);
            blocks += reader.take(QString::fromUtf8(cleaned(reply.body)));
        }
        ASSERT_EQ(blocks.size(), DemoCorpus::ResultsPerTerm);
        for (int rank = 1; rank <= blocks.size(); ++rank) {
            const QString& block = blocks.at(rank - 1);
            ASSERT_TRUE(block.contains(expected.at(rank - 1))) << "rank " << rank;
            const QList<QByteArray> hosts = corpusHosts(block.toUtf8());
            ASSERT_FALSE(hosts.isEmpty()) << "rank " << rank;
            for (const QByteArray& host : hosts)
                EXPECT_EQ(host, QUrl(expected.at(rank - 1)).host().toUtf8()) << "rank " << rank;
        }
    }
    EXPECT_EQ(pathsUsed.size(), demoStyles().size());
    EXPECT_EQ(engine.requestCount(), 4 * DemoCorpus::ResultsPerTerm / DemoCorpus::PageLength);
}
