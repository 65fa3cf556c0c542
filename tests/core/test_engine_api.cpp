// Engines asked through a programming interface: the keys in the settings
// store, the script value "APIKey", and the demo engine's API style, which
// refuses a request without its key and ranks with it.
#include "core/demo/DemoEngine.h"
#include "core/engine/EngineScript.h"
#include "core/engine/PageFetcher.h"
#include "core/engine/PollingDriver.h"
#include "core/platform/Registry.h"
#include "core/platform/TextCipher.h"
#include "core/settings/EngineApiKeys.h"
#include "core/settings/Settings.h"

#include "TestSupport.h"

#include <QUrl>

#include <gtest/gtest.h>

#include <httplib.h>

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

using namespace corvane;

namespace {

// The script of the API style: the key, the term and the offset as query
// values; one result a line, numbered by its "rank".
EngineScript apiScript(const QString& baseUrl)
{
    EngineScript s;
    s.Name = QStringLiteral("Demo API");
    s.API = true;
    s.Method1 = true;
    s.AString[0] = s.BString[0] =
        baseUrl + QLatin1String(DemoEngine::ApiSearchPath) + QStringLiteral("?key=");
    s.AValue[0] = s.BValue[0] = QStringLiteral("APIKey");
    s.AString[1] = s.BString[1] = QStringLiteral("&q=");
    s.AValue[1] = s.BValue[1] = QStringLiteral("KeyWord");
    s.AString[2] = s.BString[2] = QStringLiteral("&start=");
    s.AValue[2] = s.BValue[2] = QStringLiteral("PageNo*10");
    s.WordConnector = QStringLiteral("+");
    s.AIncStart = s.BIncStart = QStringLiteral("{\"rank\":");
    s.AIncEnd = s.BIncEnd = QStringLiteral(",");
    s.ANumberInc = s.BNumberInc = true;
    s.APageLength = s.BPageLength = 10;
    s.TruncStart[0] = QStringLiteral("[START]");
    s.TruncEnd[0] = QStringLiteral("\"results\":[");
    s.TruncStart[1] = QStringLiteral("]}");
    s.TruncEnd[1] = QStringLiteral("[END]");
    return s;
}

class EngineApiTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Registry(m_profile.registryPath())
            .createKey(SettingsKeys::path(QLatin1String(SettingsKeys::Network)));
        ASSERT_TRUE(m_engine.start()) << qPrintable(m_engine.error());
        m_engine.setDay(9);
        m_settings.HTTPReadTimeout = 2000;
        m_settings.HTTPProtocolVersion = 1;
        m_settings.HTTPAccept = QStringLiteral("application/json, */*");
    }

    struct Run
    {
        EngineEnd end = EngineEnd::Depth;
        QList<PollHit> hits;
        QStringList statuses;
    };

    Run poll(EngineScript script, const QString& term, const QString& url)
    {
        PageFetcher fetcher(m_settings);
        PollingDriver driver(fetcher, 0);
        Run run;
        PollEvents events;
        events.hit = [&run](const PollHit& hit) { run.hits << hit; };
        events.status = [&run](const QString& text) { run.statuses << text; };
        run.end = driver.poll(script, term, {PollTarget{url, true}}, 30, events);
        return run;
    }

    test::TempProfile m_profile;
    DemoEngine m_engine;
    SettingsRecord m_settings;
};

} // namespace

TEST_F(EngineApiTest, KeysAreStoredEncipheredByEngine)
{
    Registry registry(m_profile.registryPath());
    EngineApiKeys::save(registry,
                        {{QStringLiteral("Demo API"), QStringLiteral("corvane-demo-key")},
                         {QStringLiteral("Ünïcode \"engine\" <b>"), QStringLiteral("k&y=1 2")},
                         {QStringLiteral("Blank"), QStringLiteral("  ")}});
    const QString stored = RegistryKey(registry, SettingsKeys::path(QStringLiteral("Network")))
                               .readString(QStringLiteral("EngineAPIKeys"));
    EXPECT_FALSE(stored.contains(QStringLiteral("corvane-demo-key")));
    const QHash<QString, QString> keys = EngineApiKeys::load(registry);
    EXPECT_EQ(keys.size(), 2);
    EXPECT_EQ(keys.value(QStringLiteral("Demo API")), QStringLiteral("corvane-demo-key"));
    EXPECT_EQ(keys.value(QStringLiteral("Ünïcode \"engine\" <b>")), QStringLiteral("k&y=1 2"));
    EXPECT_EQ(EngineApiKeys::keyOf(QStringLiteral("Demo API")), QStringLiteral("corvane-demo-key"));

    // The value "APIKey" becomes the key, encoded for a query.
    EngineScript script;
    script.APIKey = keys.value(QStringLiteral("Ünïcode \"engine\" <b>"));
    EXPECT_EQ(ExpandValue(script, {}, {}, QStringLiteral("APIKey")), QStringLiteral("k%26y%3D1%202"));
}

TEST_F(EngineApiTest, TheApiStyleRefusesWithoutTheKeyAndAnswersJsonWithIt)
{
    httplib::Client client("127.0.0.1", m_engine.port());
    auto refused = client.Get("/api/search?q=red+shoes&start=0");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 403);
    refused = client.Get("/api/search?key=wrong&q=red+shoes&start=0");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 403);

    const auto answer = client.Get("/api/search?key=corvane-demo-key&q=red%20shoes&start=10");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 200);
    EXPECT_EQ(answer->get_header_value("Content-Type"), "application/json");
    const QList<QString> ranking = DemoEngine::ranking(QStringLiteral("red shoes"), 9);
    QByteArray expected = "{\"query\":\"red shoes\",\"start\":10,\"results\":[\n";
    for (int i = 10; i < 20; ++i)
        expected +=
            "{\"rank\":" + QByteArray::number(i + 1) + ",\"url\":\"" + ranking.at(i).toUtf8() + "\"},\n";
    expected += "]}\n";
    EXPECT_EQ(QByteArray::fromStdString(answer->body), expected);
    EXPECT_EQ(DemoEngine::apiResults(QStringLiteral("say \"hi\""), 9, 0).left(30),
              QByteArray("{\"query\":\"say \\\"hi\\\"\",\"start\":"));
}

TEST_F(EngineApiTest, AScriptWithTheKeyRanksAndWithoutItFails)
{
    const QList<QString> ranking = DemoEngine::ranking(QStringLiteral("red shoes"), 9);
    const QString host = QUrl(ranking.at(16)).host();

    EngineScript script = apiScript(m_engine.baseUrl());
    Registry registry(m_profile.registryPath());
    EngineApiKeys::save(registry, {{script.Name, QLatin1String(DemoEngine::ApiKey)}});
    script.APIKey = EngineApiKeys::keyOf(script.Name);
    const Run found = poll(script, QStringLiteral("red shoes"), host);
    ASSERT_FALSE(found.hits.isEmpty());
    EXPECT_EQ(found.hits.first().rank, ranking.indexOf(ranking.at(16)) + 1);
    EXPECT_EQ(found.hits.first().page, 2);
    EXPECT_TRUE(
        found.hits.first().requestUrl.contains(QStringLiteral("key=corvane-demo-key&q=red+shoes&start=10")));

    script = apiScript(m_engine.baseUrl());
    const Run refused = poll(script, QStringLiteral("red shoes"), host);
    EXPECT_EQ(refused.end, EngineEnd::Failed);
    EXPECT_TRUE(refused.hits.isEmpty());
}
