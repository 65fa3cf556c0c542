// Engines asked through a programming interface: the keys in the settings
// store, the script value "APIKey", and the demo engine's API style, which
// refuses a request without its key and ranks with it.
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/demo/DemoEngine.h"
#include "core/engine/EngineScript.h"
#include "core/engine/PageFetcher.h"
#include "core/engine/PollingDriver.h"
#include "core/platform/Registry.h"
#include "core/platform/TextCipher.h"
#include "core/settings/EngineApiKeys.h"
#include "core/settings/ProfileSetup.h"
#include "core/settings/Settings.h"

#include "TestSupport.h"

#include <QUrl>

#include <gtest/gtest.h>

#include <httplib.h>

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

using namespace corvane;

namespace {

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

    // The starter script of the API style as a new profile holds it, pointed
    // at this test's engine; the profile stores the demo key for it.
    EngineScript starterApiScript()
    {
        Registry registry(m_profile.registryPath());
        ProfileSetup setup(registry, m_profile.path(QStringLiteral("Home")));
        EXPECT_TRUE(setup.run()) << qPrintable(setup.error());
        Session session(QStringLiteral("ApiScript"));
        session.addPassword(QLatin1String(Schema::SE3Password));
        Database database(QStringLiteral("ApiScript"), &session);
        database.setDirectory(setup.dataFolder());
        database.connect();
        Table se3(&database, QStringLiteral("SE3"), QStringLiteral("SEName"));
        se3.open();
        EXPECT_TRUE(se3.locate({QStringLiteral("Name")}, {QStringLiteral("Corvane Demo API")}));
        EXPECT_TRUE(se3.value(QStringLiteral("API")).toBool());
        EXPECT_FALSE(se3.value(QStringLiteral("Active")).toBool());
        EngineScript script = EngineScript::fromRow(se3);
        for (QString* address : {&script.AString[0], &script.BString[0]})
            address->replace(QStringLiteral("127.0.0.1:8765"), m_engine.baseUrl().mid(7));
        return script;
    }

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

    EngineScript script = starterApiScript();
    EXPECT_EQ(script.APIKey, QLatin1String(DemoEngine::ApiKey));
    const Run found = poll(script, QStringLiteral("red shoes"), host);
    ASSERT_FALSE(found.hits.isEmpty());
    EXPECT_EQ(found.hits.first().rank, ranking.indexOf(ranking.at(16)) + 1);
    EXPECT_EQ(found.hits.first().page, 2);
    EXPECT_TRUE(
        found.hits.first().requestUrl.contains(QStringLiteral("key=corvane-demo-key&q=red+shoes&start=10")));

    script.APIKey.clear();
    const Run refused = poll(script, QStringLiteral("red shoes"), host);
    EXPECT_EQ(refused.end, EngineEnd::Failed);
    EXPECT_TRUE(refused.hits.isEmpty());
}
