#include "core/platform/Registry.h"
#include "core/platform/TextCipher.h"
#include "core/settings/Settings.h"

#include "TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

QString keyPath(const char* key) { return SettingsKeys::path(QLatin1String(key)); }

// A store with the four keys the loader reads and every value at its default.
Registry completeRegistry(const test::TempProfile& profile)
{
    Registry registry(profile.registryPath());
    for (const char* key : {SettingsKeys::FileLocations, SettingsKeys::StartupSettings, SettingsKeys::Network,
                            SettingsKeys::Data})
        registry.createKey(keyPath(key));
    for (const SettingDescriptor& d : settingDescriptors()) {
        if (d.defaultText)
            registry.writeString(keyPath(d.key), QLatin1String(d.name), QLatin1String(d.defaultText));
    }
    return registry;
}

class CurrentDirectory
{
public:
    explicit CurrentDirectory(const QString& path)
        : m_old(QDir::currentPath())
    {
        QDir::setCurrent(path);
    }
    ~CurrentDirectory() { QDir::setCurrent(m_old); }

private:
    QString m_old;
};

} // namespace

TEST(SettingText, FlagsAreSetOnlyByTrueInAnyCase)
{
    for (const char* text : {"True", "TRUE", "true", "tRuE"})
        EXPECT_TRUE(SettingText::toFlag(QLatin1String(text))) << text;
    for (const char* text : {"yes", "1", "", "false", "truee", " true"})
        EXPECT_FALSE(SettingText::toFlag(QLatin1String(text))) << text;
    EXPECT_EQ(SettingText::fromFlag(true), QStringLiteral("true"));
    EXPECT_EQ(SettingText::fromFlag(false), QStringLiteral("false"));
}

TEST(SettingText, IntegersAreSignedDecimal)
{
    EXPECT_EQ(SettingText::toInteger(QStringLiteral("-1")), -1);
    EXPECT_EQ(SettingText::toInteger(QStringLiteral("43200")), 43200);
    EXPECT_FALSE(SettingText::toInteger(QString()));
    EXPECT_FALSE(SettingText::toInteger(QStringLiteral("12abc")));
    EXPECT_FALSE(SettingText::toInteger(QStringLiteral("0x10")));
    EXPECT_FALSE(SettingText::toInteger(QStringLiteral("99999999999")));
}

TEST(LoadSettings, FreshStoreDerivesTheFourFoldersFromTheCurrentDirectory)
{
    test::TempProfile profile;
    Registry registry = completeRegistry(profile);
    CurrentDirectory cwd(profile.path());
    const QString here = QDir::currentPath() + QLatin1Char('/');

    SettingsRecord first;
    EXPECT_TRUE(loadSettings(registry, first).isEmpty());
    EXPECT_EQ(first.ExeFolder, here);
    EXPECT_EQ(first.DataFolder, here + QStringLiteral("Data/"));
    EXPECT_EQ(first.Cfg, here + QStringLiteral("Cfg/"));
    EXPECT_EQ(first.UpdateFolder, here + QStringLiteral("Update/"));

    // Written back: a start from elsewhere reads them unchanged.
    CurrentDirectory elsewhere(QDir::tempPath());
    SettingsRecord second;
    loadSettings(registry, second);
    EXPECT_EQ(second.ExeFolder, here);
    EXPECT_EQ(second.DataFolder, here + QStringLiteral("Data/"));
    EXPECT_EQ(RegistryKey(registry, keyPath(SettingsKeys::FileLocations))
                  .readString(QStringLiteral("UpdateFolder")),
              here + QStringLiteral("Update/"));
}

TEST(LoadSettings, ASetDataFolderKeepsItsValue)
{
    test::TempProfile profile;
    Registry registry = completeRegistry(profile);
    registry.writeString(keyPath(SettingsKeys::FileLocations), QStringLiteral("DataFolder"),
                         QStringLiteral("/srv/rankings/"));
    CurrentDirectory cwd(profile.path());

    SettingsRecord record;
    loadSettings(registry, record);
    EXPECT_EQ(record.ExeFolder, QDir::currentPath() + QLatin1Char('/'));
    EXPECT_EQ(record.DataFolder, QStringLiteral("/srv/rankings/"));
    EXPECT_EQ(record.Cfg, record.ExeFolder + QStringLiteral("Cfg/"));
}

TEST(LoadSettings, ReadsEveryFormAndDeciphersTheProxyPassword)
{
    test::TempProfile profile;
    Registry registry = completeRegistry(profile);
    const QString network = keyPath(SettingsKeys::Network);
    registry.writeString(network, QStringLiteral("ProxyPassword"),
                         TextCipher::encipher(QStringLiteral("s3cr'et\""), TextCipher::ProxyPasswordKey));
    registry.writeString(network, QStringLiteral("proxyusername"), QStringLiteral("alice"));
    registry.writeString(network, QStringLiteral("HTTPHandleRedirects"), QStringLiteral("TRUE"));
    registry.writeString(keyPath(SettingsKeys::StartupSettings), QStringLiteral("Hints"),
                         QStringLiteral("-1"));
    registry.writeString(keyPath(SettingsKeys::Data), QStringLiteral("RankRecDays"), QStringLiteral("365"));

    SettingsRecord record;
    EXPECT_TRUE(loadSettings(registry, record).isEmpty());
    EXPECT_EQ(record.ProxyPassword, QStringLiteral("s3cr'et\""));
    EXPECT_EQ(record.ProxyUsername, QStringLiteral("alice"));
    EXPECT_TRUE(record.HTTPHandleRedirects);
    EXPECT_EQ(record.Hints, -1);
    EXPECT_EQ(record.RankRecDays, 365);
    EXPECT_EQ(record.HTTPPort, 80);
}

TEST(LoadSettings, ADamagedIntegerIsResetToItsDefaultAndLoadingGoesOn)
{
    test::TempProfile profile;
    Registry registry = completeRegistry(profile);
    const QString network = keyPath(SettingsKeys::Network);
    registry.writeString(network, QStringLiteral("HTTPPort"), QStringLiteral("eighty"));
    registry.writeString(network, QStringLiteral("HTTPRetryTimes"), QStringLiteral("7"));
    registry.writeString(keyPath(SettingsKeys::Data), QStringLiteral("LogRecsDays"), QString());

    SettingsRecord record;
    const QList<RepairedSetting> repaired = loadSettings(registry, record);

    ASSERT_EQ(repaired.size(), 2);
    EXPECT_EQ(repaired[0].key, QStringLiteral("Network"));
    EXPECT_EQ(repaired[0].name, QStringLiteral("HTTPPort"));
    EXPECT_EQ(repaired[0].foundText, QStringLiteral("eighty"));
    EXPECT_EQ(repaired[0].defaultText, QStringLiteral("80"));
    EXPECT_EQ(repaired[1].name, QStringLiteral("LogRecsDays"));

    EXPECT_EQ(record.HTTPPort, 80);
    EXPECT_EQ(record.HTTPRetryTimes, 7); // read after the damaged value
    EXPECT_EQ(record.LogRecsDays, 90);
    EXPECT_EQ(RegistryKey(registry, network).readString(QStringLiteral("HTTPPort")), QStringLiteral("80"));

    SettingsRecord again;
    EXPECT_TRUE(loadSettings(registry, again).isEmpty());
}

TEST(LoadSettings, MissingKeysReadAsEmptyAndCreateNothing)
{
    test::TempProfile profile;
    Registry registry(profile.registryPath());
    registry.createKey(keyPath(SettingsKeys::Network));
    CurrentDirectory cwd(profile.path());

    SettingsRecord record;
    const QList<RepairedSetting> repaired = loadSettings(registry, record);
    EXPECT_FALSE(record.AutoCloseHV);
    EXPECT_EQ(record.Project, QString());
    EXPECT_EQ(record.HVRetryTimes, 3); // the default stands in memory
    EXPECT_FALSE(repaired.isEmpty());
    EXPECT_FALSE(registry.keyExists(keyPath(SettingsKeys::FileLocations)));
    EXPECT_FALSE(registry.keyExists(keyPath(SettingsKeys::StartupSettings)));
}

TEST(WriteSetting, ReturnsTheTextAndLosesWritesToMissingKeys)
{
    test::TempProfile profile;
    Registry registry = completeRegistry(profile);
    EXPECT_EQ(writeSetting(registry, QStringLiteral("Startup Settings"), QStringLiteral("Project"),
                           QStringLiteral("Alpha")),
              QStringLiteral("Alpha"));
    EXPECT_EQ(
        RegistryKey(registry, keyPath(SettingsKeys::StartupSettings)).readString(QStringLiteral("project")),
        QStringLiteral("Alpha"));
    writeSetting(registry, QStringLiteral("Nowhere"), QStringLiteral("X"), QStringLiteral("1"));
    EXPECT_FALSE(registry.keyExists(SettingsKeys::path(QStringLiteral("Nowhere"))));
}

TEST(SettingDescriptors, EveryValueIsNamedOnceAndIntegersHaveNumericDefaults)
{
    QSet<QString> seen;
    for (const SettingDescriptor& d : settingDescriptors()) {
        const QString id = QLatin1String(d.key) + QLatin1Char('\\') + QString::fromLatin1(d.name).toLower();
        EXPECT_FALSE(seen.contains(id)) << qPrintable(id);
        seen.insert(id);
        if (d.form == SettingDescriptor::Form::Integer) {
            EXPECT_TRUE(SettingText::toInteger(QLatin1String(d.defaultText))) << d.name;
        }
    }
    EXPECT_EQ(messageSwitchNames().size(), 16);
}
