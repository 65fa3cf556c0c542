#include "core/datamodule/DM1.h"
#include "core/platform/Registry.h"
#include "core/platform/TextCipher.h"
#include "core/settings/NetworkSettings.h"

#include "TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

struct Write
{
    QString key;
    QString name;
    QString text;
};

// Records every write and hands it on to the real store.
struct RecordingWriter
{
    TDM1& dm;
    QList<Write>& writes;
    QString operator()(const QString& key, const QString& name, const QString& text) const
    {
        writes.append({key, name, text});
        return dm.WriteSetting(key, name, text);
    }
};

QString stored(TDM1& dm, const char* key, const char* name)
{
    return RegistryKey(dm.registry(), SettingsKeys::path(QLatin1String(key))).readString(QLatin1String(name));
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class NetworkSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The keys set-up creates, every value at its default.
        Registry registry(m_profile.registryPath());
        for (const char* key : {SettingsKeys::FileLocations, SettingsKeys::StartupSettings,
                                SettingsKeys::Network, SettingsKeys::Data})
            registry.createKey(SettingsKeys::path(QLatin1String(key)));
        for (const SettingDescriptor& d : settingDescriptors()) {
            if (d.defaultText)
                registry.writeString(SettingsKeys::path(QLatin1String(d.key)), QLatin1String(d.name),
                                     QLatin1String(d.defaultText));
        }
        registry.writeString(SettingsKeys::path(QLatin1String(SettingsKeys::FileLocations)),
                             QStringLiteral("ExeFolder"), m_profile.path(QStringLiteral("Home/")));
        m_dm = std::make_unique<TDM1>();
        m_dm->LoadSettings();
    }

    test::TempProfile m_profile;
    std::unique_ptr<TDM1> m_dm;
    QList<Write> m_writes;
};

} // namespace

TEST_F(NetworkSettingsTest, SetWritesEveryValueOnceInItsOrder)
{
    const NetworkSettings settings = NetworkSettings::fromRecord(m_dm->Settings);
    ASSERT_TRUE(settings.write(m_dm->Settings, RecordingWriter{*m_dm, m_writes}).isEmpty());

    const QStringList expected = {
        QStringLiteral("Network/HTTPPort"),
        QStringLiteral("Network/HTTPRecvBufferSize"),
        QStringLiteral("Network/HTTPSendBufferSize"),
        QStringLiteral("Network/HTTPReadTimeout"),
        QStringLiteral("Network/HTTPRetryTimes"),
        QStringLiteral("Network/HTTPUserAgent"),
        QStringLiteral("Network/HTTPAccept"),
        QStringLiteral("Network/HTTPProtocolVersion"),
        QStringLiteral("Network/HTTPHandleRedirects"),
        QStringLiteral("Network/HTTPAllowCookies"),
        QStringLiteral("Network/HTTPRedirectMaximum"),
        QStringLiteral("Network/HTTPContentLength"),
        QStringLiteral("Network/HTTPContentRangeStart"),
        QStringLiteral("Network/HTTPContentRangeEnd"),
        QStringLiteral("Network/FTPHost"),
        QStringLiteral("Network/FTPPort"),
        QStringLiteral("Network/FTPReadTimeout"),
        QStringLiteral("Network/FTPRecvBuff"),
        QStringLiteral("Network/FTPSendBuff"),
        QStringLiteral("Network/FTPTrsfrType"),
        QStringLiteral("Network/FTPHostPath"),
        QStringLiteral("Network/FTPUserName"),
        QStringLiteral("Network/FTPPassword"),
        QStringLiteral("Network/ProxyAuth"),
        QStringLiteral("Network/ProxyHost"),
        QStringLiteral("Network/ProxyUsername"),
        QStringLiteral("Network/ProxyPassword"),
        QStringLiteral("Network/ProxyPort"),
        QStringLiteral("Network/GoogleAPIPath"),
        QStringLiteral("Startup Settings/HVRetryTimes"),
        QStringLiteral("Startup Settings/HVRetrySeconds"),
        QStringLiteral("Startup Settings/Debug"),
        QStringLiteral("File Locations/DebugOutput"),
    };
    QStringList actual;
    for (const Write& w : m_writes)
        actual << w.key + QLatin1Char('/') + w.name;
    EXPECT_EQ(actual, expected);
}

TEST_F(NetworkSettingsTest, ValuesAreStoredInTheirFormsAndKeptInTheRecord)
{
    NetworkSettings settings = NetworkSettings::fromRecord(m_dm->Settings);
    settings.setText(QStringLiteral("ProxyPassword"), QStringLiteral("p&ss wörd"));
    settings.setText(QStringLiteral("DebugOutput"), QStringLiteral("/var/tmp/corvane-debug"));
    settings.setText(QStringLiteral("HTTPPort"), QStringLiteral(" 8080 "));
    settings.setFlag(QStringLiteral("ProxyAuth"), true);
    settings.setText(QStringLiteral("FTPTrsfrType"), QStringLiteral("0"));
    settings.setText(QStringLiteral("FTPPassword"), QStringLiteral("ftp secret"));
    ASSERT_TRUE(settings.write(m_dm->Settings, RecordingWriter{*m_dm, m_writes}).isEmpty());

    const QString cipher = stored(*m_dm, "Network", "ProxyPassword");
    EXPECT_NE(cipher, QStringLiteral("p&ss wörd"));
    EXPECT_EQ(TextCipher::decipher(cipher, TextCipher::ProxyPasswordKey), QStringLiteral("p&ss wörd"));
    EXPECT_EQ(m_dm->Settings.ProxyPassword, QStringLiteral("p&ss wörd"));
    EXPECT_EQ(stored(*m_dm, "Network", "FTPPassword"), QStringLiteral("ftp secret"));
    EXPECT_EQ(stored(*m_dm, "File Locations", "DebugOutput"), QStringLiteral("/var/tmp/corvane-debug/"));
    EXPECT_EQ(m_dm->Settings.DebugOutput, QStringLiteral("/var/tmp/corvane-debug/"));
    EXPECT_EQ(stored(*m_dm, "Network", "HTTPPort"), QStringLiteral("8080"));
    EXPECT_EQ(m_dm->Settings.HTTPPort, 8080);
    EXPECT_EQ(stored(*m_dm, "Network", "ProxyAuth"), QStringLiteral("true"));
    EXPECT_TRUE(m_dm->Settings.ProxyAuth);
    EXPECT_EQ(m_dm->Settings.FTPTrsfrType, 0);

    // A restart reads back what was typed.
    TDM1 restarted;
    restarted.LoadSettings();
    EXPECT_EQ(restarted.Settings.ProxyPassword, QStringLiteral("p&ss wörd"));
    EXPECT_EQ(restarted.Settings.HTTPPort, 8080);
    EXPECT_EQ(restarted.Settings.DebugOutput, QStringLiteral("/var/tmp/corvane-debug/"));
}

TEST_F(NetworkSettingsTest, DebugFolderKeepsItsSlashAndAnEmptyFolderStaysEmpty)
{
    NetworkSettings settings = NetworkSettings::fromRecord(m_dm->Settings);
    settings.setText(QStringLiteral("DebugOutput"), QStringLiteral("/srv/debug/"));
    ASSERT_TRUE(settings.write(m_dm->Settings, RecordingWriter{*m_dm, m_writes}).isEmpty());
    EXPECT_EQ(stored(*m_dm, "File Locations", "DebugOutput"), QStringLiteral("/srv/debug/"));

    settings.setText(QStringLiteral("DebugOutput"), QString());
    ASSERT_TRUE(settings.write(m_dm->Settings, RecordingWriter{*m_dm, m_writes}).isEmpty());
    EXPECT_EQ(stored(*m_dm, "File Locations", "DebugOutput"), QString());
}

TEST_F(NetworkSettingsTest, BadNumbersAreNamedAndNothingIsWritten)
{
    const QByteArray before = fileBytes(m_profile.registryPath());
    const SettingsRecord recordBefore = m_dm->Settings;
    NetworkSettings settings = NetworkSettings::fromRecord(m_dm->Settings);
    settings.setText(QStringLiteral("ProxyHost"), QStringLiteral("proxy.example"));
    settings.setText(QStringLiteral("FTPReadTimeout"), QStringLiteral("30s"));
    settings.setText(QStringLiteral("HVRetryTimes"), QStringLiteral("11"));
    settings.setText(QStringLiteral("HVRetrySeconds"), QStringLiteral("0"));
    settings.setText(QStringLiteral("HTTPPort"), QString());

    const QStringList problems = settings.write(m_dm->Settings, RecordingWriter{*m_dm, m_writes});
    ASSERT_EQ(problems.size(), 4);
    EXPECT_EQ(problems[0], QStringLiteral("Port (HTTP tab) must be a whole number; \"\" is not."));
    EXPECT_EQ(problems[1], QStringLiteral("Read Tiimeout (FTP tab) must be a whole number; \"30s\" is not."));
    EXPECT_EQ(
        problems[2],
        QStringLiteral("HV Retry Times (Misc tab) must be a whole number from 0 to 10; \"11\" is not."));
    EXPECT_EQ(
        problems[3],
        QStringLiteral("HV Retry Seconds (Misc tab) must be a whole number from 1 to 43200; \"0\" is not."));
    EXPECT_TRUE(m_writes.isEmpty());
    EXPECT_EQ(fileBytes(m_profile.registryPath()), before);
    EXPECT_EQ(m_dm->Settings.ProxyHost, recordBefore.ProxyHost);
}

TEST_F(NetworkSettingsTest, RetryRangesAcceptTheirEnds)
{
    NetworkSettings settings = NetworkSettings::fromRecord(m_dm->Settings);
    for (const auto& [times, seconds] : {std::pair{"0", "1"}, std::pair{"10", "43200"}}) {
        settings.setText(QStringLiteral("HVRetryTimes"), QLatin1String(times));
        settings.setText(QStringLiteral("HVRetrySeconds"), QLatin1String(seconds));
        EXPECT_TRUE(settings.problems().isEmpty()) << times << " " << seconds;
    }
}
