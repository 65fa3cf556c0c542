// corvane-setup --demo: a profile with the project "Demo" and a mined history.
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableDatabase.h"
#include "core/platform/Registry.h"
#include "core/settings/Settings.h"

#include "../core/TestSupport.h"
#include "ProgramRunner.h"

#include <QDate>

#include <gtest/gtest.h>

using namespace corvane;

TEST(demo_profile, HoldsTheDemoProjectWithItsHistoryAndIsLeftAloneWhenRunAgain)
{
    test::TempProfile profile;
    const QString home = profile.path(QStringLiteral("Home"));
    const auto setup = test::runProgram(QStringLiteral("corvane-setup"),
                                        {QStringLiteral("--demo"), QStringLiteral("--demo-days"),
                                         QStringLiteral("2"), QStringLiteral("--profile"), home},
                                        240000);
    ASSERT_EQ(setup.exitCode, 0) << qPrintable(setup.err + setup.out);

    Session session(QStringLiteral("Test"));
    session.addPassword(QLatin1String(Schema::SE3Password));
    Database data(QStringLiteral("Test"), &session);
    data.setDirectory(home + QStringLiteral("/Data"));
    data.connect();
    const auto count = [&](const QString& sql) {
        Query query(&data, sql);
        query.open();
        return query.asInteger(QStringLiteral("N"));
    };
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) AS N FROM CVST WHERE Project = 'Demo'")), 20);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) AS N FROM CVSE3 WHERE Project = 'Demo'")), 4);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) AS N FROM CVURL WHERE Project = 'Demo'")), 4);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(DISTINCT xDate) AS N FROM CVRank WHERE Project = 'Demo'")),
              2);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) AS N FROM CVEngine WHERE Completed = 1")), 80);

    // The dashboard of today: the key URL's Top 10 rows, its saturation, the changes.
    const QString today = SqlQuote::date(QDate::currentDate());
    EXPECT_GT(
        count(QStringLiteral("SELECT COUNT(*) AS N FROM Summary WHERE Type = 'TopSE' AND xDate = ") + today),
        10);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) AS N FROM Summary WHERE Type = 'SAT'")), 4);
    EXPECT_GT(count(QStringLiteral("SELECT COUNT(*) AS N FROM CVHilo WHERE xDate = ") + today), 0);
    Query project(&data, QStringLiteral("SELECT LastRun, KeyURL FROM CVProject WHERE Name = 'Demo'"));
    project.open();
    EXPECT_EQ(project.value(QStringLiteral("LastRun")).toDateTime().date(), QDate::currentDate());
    EXPECT_EQ(project.asString(QStringLiteral("KeyURL")), QStringLiteral("OurSite"));

    // The scripts (four page styles and the programming interface) point at
    // the demo engine's usual port again.
    EXPECT_EQ(
        count(QStringLiteral("SELECT COUNT(*) AS N FROM SE3 WHERE AString1 LIKE 'http://127.0.0.1:8765/%'")),
        5);

    // Keyword discovery reads the demo sites through the demo engine as the proxy.
    const Registry registry(profile.registryPath());
    const QString network = SettingsKeys::path(QLatin1String(SettingsKeys::Network));
    EXPECT_EQ(registry.readString(network, QStringLiteral("ProxyAuth")), QStringLiteral("true"));
    EXPECT_EQ(registry.readString(network, QStringLiteral("ProxyHost")), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(registry.readString(network, QStringLiteral("ProxyPort")), QStringLiteral("8765"));

    const auto again = test::runProgram(QStringLiteral("corvane-setup"),
                                        {QStringLiteral("--demo"), QStringLiteral("--profile"), home});
    EXPECT_EQ(again.exitCode, 0) << qPrintable(again.err);
    EXPECT_TRUE(again.out.contains(QLatin1String("left as it is"))) << qPrintable(again.out);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(DISTINCT xDate) AS N FROM CVRank")), 2);
}
