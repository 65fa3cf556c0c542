#include "core/datamodule/DM1.h"
#include "core/platform/Registry.h"
#include "core/settings/MiscSettings.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

using namespace corvane;
using SystemEdition::Platform;

namespace {

QString edition(Platform platform, int major, int minor, const char* servicePack = "")
{
    return SystemEdition::shortName({platform, major, minor, QString::fromLatin1(servicePack)});
}

class MiscSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Registry registry(m_profile.registryPath());
        for (const char* key : {SettingsKeys::FileLocations, SettingsKeys::StartupSettings,
                                SettingsKeys::Network, SettingsKeys::Data})
            registry.createKey(SettingsKeys::path(QLatin1String(key)));
        for (const SettingDescriptor& d : settingDescriptors()) {
            if (d.defaultText)
                registry.writeString(SettingsKeys::path(QLatin1String(d.key)), QLatin1String(d.name),
                                     QLatin1String(d.defaultText));
        }
        m_dm = std::make_unique<TDM1>();
        m_dm->LoadSettings();
    }

    QString stored(const char* key, const char* name) const
    {
        return RegistryKey(m_dm->registry(), SettingsKeys::path(QLatin1String(key)))
            .readString(QLatin1String(name));
    }

    // Writes the values through the data module, recording "key/name=text".
    QStringList write(const MiscSettings& values)
    {
        QStringList writes;
        values.write(m_dm->Settings, [&](const QString& key, const QString& name, const QString& text) {
            writes << key + QLatin1Char('/') + name + QLatin1Char('=') + text;
            return m_dm->WriteSetting(key, name, text);
        });
        return writes;
    }

    test::TempProfile m_profile;
    std::unique_ptr<TDM1> m_dm;
};

} // namespace

TEST(SystemEditionTest, NamesTheWindowsEditionsAndNothingElse)
{
    EXPECT_EQ(edition(Platform::Windows9x, 4, 0), QStringLiteral("95"));
    EXPECT_EQ(edition(Platform::Windows9x, 4, 0, " C"), QStringLiteral("OSR2"));
    EXPECT_EQ(edition(Platform::Windows9x, 4, 0, " B"), QStringLiteral("95"));
    EXPECT_EQ(edition(Platform::Windows9x, 4, 10), QStringLiteral("98"));
    EXPECT_EQ(edition(Platform::Windows9x, 4, 10, " A "), QStringLiteral("SE"));
    EXPECT_EQ(edition(Platform::Windows9x, 4, 90), QStringLiteral("ME"));
    EXPECT_EQ(edition(Platform::Windows9x, 4, 90, " A"), QStringLiteral("ME"));
    EXPECT_EQ(edition(Platform::WindowsNT, 3, 51), QStringLiteral("NT 3.51"));
    EXPECT_EQ(edition(Platform::WindowsNT, 4, 0), QStringLiteral("NT 4.0"));
    EXPECT_EQ(edition(Platform::WindowsNT, 5, 0), QStringLiteral("2000"));
    EXPECT_EQ(edition(Platform::WindowsNT, 5, 1), QStringLiteral("XP"));
    // An unknown version or a service-pack text of one character names nothing special.
    EXPECT_EQ(edition(Platform::WindowsNT, 6, 1), QString());
    EXPECT_EQ(edition(Platform::Windows9x, 4, 0, "C"), QStringLiteral("95"));
    EXPECT_EQ(edition(Platform::Other, 4, 10, " A"), QString());
    EXPECT_EQ(SystemEdition::shortName(SystemEdition::current()), QString());
}

TEST(SystemEditionTest, OnlyTheThreeOldEditionsWarnAboveFourteenConnections)
{
    for (const char* name : {"OSR2", "SE", "ME"}) {
        EXPECT_FALSE(SystemEdition::warnsHighConnections(QLatin1String(name), 14)) << name;
        EXPECT_TRUE(SystemEdition::warnsHighConnections(QLatin1String(name), 15)) << name;
    }
    for (const char* name : {"95", "98", "NT 4.0", "2000", "XP", ""})
        EXPECT_FALSE(SystemEdition::warnsHighConnections(QLatin1String(name), 50)) << name;
    // This system never warns, whatever the count.
    const QString here = SystemEdition::shortName(SystemEdition::current());
    for (int connections = MiscSettings::ConnectionsMinimum; connections <= MiscSettings::ConnectionsMaximum;
         ++connections)
        EXPECT_FALSE(SystemEdition::warnsHighConnections(here, connections));
}

TEST_F(MiscSettingsTest, SetWritesEveryValueInItsOrderAndForm)
{
    MiscSettings values = MiscSettings::fromRecord(m_dm->Settings);
    values.Throttle = 7;
    values.Connections = 15;
    values.Disorderly = true;
    values.RandBrowse = true;
    values.AutoCloseHV = false;
    values.CacheCharts = true;
    values.ClearLogRecs = true;
    values.LogRecsDays = 30;
    values.ClearRankRecs = false;
    values.RankRecDays = 400;
    values.RandScan = 3;
    values.LastRun = 46000.75;

    const QStringList expected = {
        QStringLiteral("Startup Settings/RandScan=3"),
        QStringLiteral("Startup Settings/RandBrowse=true"),
        QStringLiteral("Startup Settings/Last Run=46000.75"),
        QStringLiteral("Network/Connections=15"),
        QStringLiteral("Network/Throttle=7"),
        QStringLiteral("Data/ClearLogRecs=true"),
        QStringLiteral("Data/ClearRankRecs=false"),
        QStringLiteral("Data/LogRecsDays=30"),
        QStringLiteral("Data/RankRecDays=400"),
        QStringLiteral("Startup Settings/AutoCloseHV=false"),
        QStringLiteral("Startup Settings/Disorderly=true"),
        QStringLiteral("Startup Settings/CacheCharts=true"),
    };
    EXPECT_EQ(write(values), expected);

    // The store holds them, and a fresh load reads what was set.
    EXPECT_EQ(stored("Network", "Connections"), QStringLiteral("15"));
    EXPECT_EQ(stored("Startup Settings", "Last Run"), QStringLiteral("46000.75"));
    TDM1 reloaded;
    reloaded.LoadSettings();
    const MiscSettings again = MiscSettings::fromRecord(reloaded.Settings);
    EXPECT_EQ(again.Throttle, 7);
    EXPECT_EQ(again.Connections, 15);
    EXPECT_TRUE(again.Disorderly);
    EXPECT_TRUE(again.RandBrowse);
    EXPECT_FALSE(again.AutoCloseHV);
    EXPECT_TRUE(again.CacheCharts);
    EXPECT_TRUE(again.ClearLogRecs);
    EXPECT_EQ(again.LogRecsDays, 30);
    EXPECT_FALSE(again.ClearRankRecs);
    EXPECT_EQ(again.RankRecDays, 400);
    EXPECT_EQ(again.RandScan, 3);
    // The running program's record got the written values too.
    EXPECT_EQ(m_dm->Settings.Throttle, 7);
    EXPECT_EQ(m_dm->Settings.RankRecDays, 400);
}

TEST_F(MiscSettingsTest, AnUncheckedRetentionKeepsItsNumber)
{
    MiscSettings values = MiscSettings::fromRecord(m_dm->Settings);
    values.ClearLogRecs = false;
    values.LogRecsDays = 12;
    write(values);
    EXPECT_EQ(stored("Data", "ClearLogRecs"), QStringLiteral("false"));
    EXPECT_EQ(stored("Data", "LogRecsDays"), QStringLiteral("12"));
}

TEST(MiscSettingsText, LastRunIsADecimalDayCountWithAPoint)
{
    EXPECT_EQ(MiscSettings::lastRunText(0.0), QStringLiteral("0"));
    EXPECT_EQ(MiscSettings::lastRunText(45678.5), QStringLiteral("45678.5"));
    EXPECT_EQ(MiscSettings::lastRunText(45678.123456789), QStringLiteral("45678.123456789"));
}
