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
}
