// The polling driver against the demo engine running in this process.
#include "core/demo/DemoEngine.h"
#include "core/engine/PageFetcher.h"
#include "core/engine/PollingDriver.h"
#include "core/settings/Settings.h"

#include "TestSupport.h"

#include <QUrl>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

EngineScript numberedScript(const QString& baseUrl)
{
    EngineScript s;
    s.Name = QStringLiteral("Demo");
    s.Method1 = true;
    s.AString[0] = s.BString[0] = baseUrl + QStringLiteral("/numbered/search?q=");
    s.AValue[0] = s.BValue[0] = QStringLiteral("KeyWord");
    s.AString[1] = s.BString[1] = QStringLiteral("&start=");
    s.AValue[1] = s.BValue[1] = QStringLiteral("PageNo*10");
    s.WordConnector = QStringLiteral("+");
    s.AIncStart = s.BIncStart = QStringLiteral("<li class=\"result\" value=\"");
    s.AIncEnd = s.BIncEnd = QStringLiteral("\">");
    s.ANumberInc = s.BNumberInc = true;
    s.APageLength = 10;
    s.TruncStart[0] = QStringLiteral("[START]");
    s.TruncEnd[0] = QStringLiteral("<ol class=\"results\">");
    s.TruncStart[1] = QStringLiteral("</ol>");
    s.TruncEnd[1] = QStringLiteral("[END]");
    return s;
}

class polling_driver : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(engine.start()) << qPrintable(engine.error());
        engine.setDay(5);
        settings.HTTPReadTimeout = 2000;
        settings.HTTPHandleRedirects = true;
        settings.HTTPRedirectMaximum = 5;
        settings.HTTPProtocolVersion = 1;
        settings.HTTPAccept = QStringLiteral("text/html, */*");
    }

    struct Run
    {
        EngineEnd end = EngineEnd::Depth;
        QList<PollHit> hits;
        QStringList statuses;
        QList<int> progress;
    };

    Run poll(const QString& term, const QString& url, int depth, int retryTimes = 2,
             std::function<bool(const Run&)> abortWhen = {})
    {
        PageFetcher fetcher(settings);
        PollingDriver driver(fetcher, retryTimes);
        EngineScript script = numberedScript(engine.baseUrl());
        Run run;
        PollEvents events;
        events.hit = [&run](const PollHit& hit) { run.hits << hit; };
        events.status = [&run](const QString& text) { run.statuses << text; };
        events.progress = [&run](int percent) { run.progress << percent; };
        events.aborted = [&] { return abortWhen && abortWhen(run); };
        run.end = driver.poll(script, term, {PollTarget{url, true}}, depth, events);
        return run;
    }

    DemoEngine engine;
    SettingsRecord settings;
};

} // namespace

TEST_F(polling_driver, HitsCarryRankPageAndRequestAcrossPages)
{
    const QList<QString> ranking = DemoEngine::ranking(QStringLiteral("red shoes"), 5);
    const QString host = QUrl(ranking.at(23)).host();
    const Run run = poll(QStringLiteral("red shoes"), host, 30);
    EXPECT_EQ(run.end, EngineEnd::Depth);
    ASSERT_FALSE(run.hits.isEmpty());
    const PollHit& hit = run.hits.first();
    EXPECT_EQ(hit.rank, 24);
    EXPECT_EQ(hit.page, 3);
    EXPECT_TRUE(hit.requestUrl.endsWith(QStringLiteral("q=red+shoes&start=20")))
        << qPrintable(hit.requestUrl);
    EXPECT_TRUE(hit.foundLink.contains(host));
    EXPECT_EQ(run.progress, (QList<int>{33, 66, 100}));
    EXPECT_EQ(engine.requestCount(), 3);
}

TEST_F(polling_driver, TermsReachTheEngineAsTyped)
{
    // The raw request targets the server received, and a hit at the rank the
    // server's ranking of the very term gives: the engine searched for what was typed.
    const struct
    {
        QString term, query;
    } cases[] = {
        {QStringLiteral("a&b=c#frag"), QStringLiteral("a%26b%3Dc%23frag")},
        {QStringLiteral("c++ tutorial"), QStringLiteral("c%2B%2B+tutorial")},
        {QStringLiteral("100% off"), QStringLiteral("100%25+off")},
        {QStringLiteral("what? x\ty"), QStringLiteral("what%3F+x%09y")},
        {QStringLiteral("caf\u00e9 \u041c\u043e\u0441\u043a\u0432\u0430 \u6771\u4eac \U0001F600"),
         QStringLiteral("caf%C3%A9+%D0%9C%D0%BE%D1%81%D0%BA%D0%B2%D0%B0+%E6%9D%B1%E4%BA%AC+%F0%9F%98%80")},
        {QStringLiteral("\"quoted\" <b> -->"), QStringLiteral("\"quoted\"+<b>+-->")},
    };
    for (const auto& c : cases) {
        engine.resetCounts();
        const QString host = QUrl(DemoEngine::ranking(c.term, 5).at(13)).host();
        const Run run = poll(c.term, host, 20);
        const QString path = QStringLiteral("/numbered/search?q=") + c.query;
        EXPECT_EQ(engine.searchTargets(),
                  (QStringList{path + QStringLiteral("&start=0"), path + QStringLiteral("&start=10")}))
            << qPrintable(c.term);
        ASSERT_FALSE(run.hits.isEmpty()) << qPrintable(c.term);
        EXPECT_EQ(run.hits.first().rank, 14) << qPrintable(c.term);
    }
}

TEST_F(polling_driver, AnUnusableScriptFailsSayingWhyWithoutARequest)
{
    PageFetcher fetcher(settings);
    PollingDriver driver(fetcher, 2);
    const struct
    {
        void (*damage)(EngineScript&);
        const char* reason;
    } cases[] = {
        {[](EngineScript& s) { s.AIncStart.clear(), s.AIncEnd.clear(); }, "AIncStart and AIncEnd are empty"},
        {[](EngineScript& s) { s.BIncStart.clear(), s.BIncEnd.clear(); }, "BIncStart and BIncEnd are empty"},
        {[](EngineScript& s) { s.AString.fill(QString()); }, "AString1 to AString10 are empty"},
    };
    for (const auto& c : cases) {
        engine.resetCounts();
        EngineScript script = numberedScript(engine.baseUrl());
        c.damage(script);
        QStringList statuses;
        PollEvents events;
        events.status = [&](const QString& text) { statuses << text; };
        EXPECT_EQ(driver.poll(script, QStringLiteral("red shoes"), {PollTarget{QStringLiteral("site"), true}},
                              20, events),
                  EngineEnd::Failed);
        ASSERT_EQ(statuses.size(), 1);
        EXPECT_TRUE(
            statuses.first().startsWith(QStringLiteral("Error: The engine script \"Demo\" is unusable")));
        EXPECT_TRUE(statuses.first().contains(QLatin1String(c.reason))) << qPrintable(statuses.first());
        EXPECT_EQ(engine.requestCount(), 0);
    }
}

TEST_F(polling_driver, AbortStopsBetweenRequests)
{
    const Run run = poll(QStringLiteral("red shoes"), QStringLiteral("nowhere.example"), 100, 2,
                         [](const Run& r) { return !r.progress.isEmpty(); });
    EXPECT_EQ(run.end, EngineEnd::Aborted);
    EXPECT_EQ(engine.requestCount(), 1);
}

TEST_F(polling_driver, FailuresAreRetriedAndThenReportedWithTheErrorPrefix)
{
    engine.setFailure(DemoEngine::Failure::ShortBody);
    const Run run = poll(QStringLiteral("red shoes"), QStringLiteral("nowhere.example"), 20, 2);
    EXPECT_EQ(run.end, EngineEnd::Failed);
    EXPECT_EQ(engine.requestCount(), 3);
    ASSERT_FALSE(run.statuses.isEmpty());
    EXPECT_EQ(run.statuses.last(), QStringLiteral("Error: Minimal data returned"));
}

TEST_F(polling_driver, AFailureThatClearsUpCostsOnlyARetry)
{
    engine.setFailure(DemoEngine::Failure::ServerError, 2);
    const Run run = poll(QStringLiteral("red shoes"), QStringLiteral("nowhere.example"), 20, 2);
    EXPECT_EQ(run.end, EngineEnd::Depth);
    EXPECT_EQ(engine.requestCount(), 4); // two failures, then pages 1 and 2
}

TEST_F(polling_driver, ASlowEngineRunsIntoTheReadTimeout)
{
    settings.HTTPReadTimeout = 300;
    engine.setSlowDelay(3000);
    engine.setFailure(DemoEngine::Failure::Slow);
    const Run run = poll(QStringLiteral("red shoes"), QStringLiteral("nowhere.example"), 10, 0);
    EXPECT_EQ(run.end, EngineEnd::Failed);
    ASSERT_FALSE(run.statuses.isEmpty());
    EXPECT_TRUE(run.statuses.last().startsWith(QStringLiteral("Error: "))) << qPrintable(run.statuses.last());
}

TEST_F(polling_driver, APageWithoutMarkersEndsTheEngine)
{
    engine.setFailure(DemoEngine::Failure::NoMarkers);
    const Run run = poll(QStringLiteral("red shoes"), QStringLiteral("site"), 50);
    EXPECT_EQ(run.end, EngineEnd::NoResults);
    EXPECT_TRUE(run.hits.isEmpty());
    EXPECT_EQ(engine.requestCount(), 1);
}

TEST(PollingProgress, FollowsPagesTimesPageLengthAgainstDepth)
{
    EXPECT_EQ(PollingDriver::ProgressPercent(1, 10, 50), 20);
    EXPECT_EQ(PollingDriver::ProgressPercent(5, 10, 45), 100);
    EXPECT_EQ(PollingDriver::ProgressPercent(1, 10, 30), 33);
    EXPECT_EQ(PollingDriver::ProgressPercent(1, 0, 30), 0);
    // Whole-number arithmetic: pages × length × 100 / depth, never one below it.
    EXPECT_EQ(PollingDriver::ProgressPercent(1, 29, 100), 29);
    EXPECT_EQ(PollingDriver::ProgressPercent(1, 57, 100), 57);
    EXPECT_EQ(PollingDriver::ProgressPercent(3, 7, 100), 21);
}
