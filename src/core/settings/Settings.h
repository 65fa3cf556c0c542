#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace corvane {

class Registry;

// The registry keys of the product, below HKEY_LOCAL_MACHINE.
namespace SettingsKeys {
inline constexpr const char* FileLocations = "File Locations";
inline constexpr const char* StartupSettings = "Startup Settings";
inline constexpr const char* Network = "Network";
inline constexpr const char* Data = "Data";
inline constexpr const char* MsgShow = "MsgShow";
inline constexpr const char* Tagmint = "Tagmint";

// "Software\Corvane\<key>"
QString path(const QString& key);
} // namespace SettingsKeys

// The three forms a stored value takes.
namespace SettingText {
// Set when the upper-cased text is "TRUE"; anything else is clear.
bool toFlag(const QString& text);
// "true" or "false".
QString fromFlag(bool flag);
// A signed decimal integer; nothing when the text is not one.
std::optional<int> toInteger(const QString& text);
QString fromInteger(int value);
} // namespace SettingText

// Every registry setting the program loads at start, held for the whole run
// by the data module. Other code reads this record, never the registry.
struct SettingsRecord
{
    // File Locations
    QString ExeFolder;
    QString DataFolder;
    QString Cfg;
    QString UpdateFolder;
    QString DebugOutput;

    // Startup Settings
    bool FinishMinimized = false;
    bool RunMinimized = false;
    bool SummaryLoad = false;
    int RandScan = 0;
    bool RandBrowse = false;
    QString Project;
    int Hints = 0;
    bool AdvancedMode = false;
    bool AutoCloseHV = false;
    bool Disorderly = false;
    int HVRetryTimes = 0;
    int HVRetrySeconds = 1;
    bool CacheCharts = false;
    bool FullPathBrowser = false;
    bool Debug = false;
    bool HideMainMenu = false;

    // Network
    QString FTPHost;
    QString FTPPassword;
    int FTPPort = 21;
    int FTPReadTimeout = 0;
    QString FTPUserName;
    QString FTPHostPath;
    int HTTPReadTimeout = 0;
    bool HTTPHandleRedirects = false;
    bool HTTPAllowCookies = false;
    int HTTPPort = 80;
    int HTTPProtocolVersion = 1;
    int HTTPRecvBufferSize = 0;
    int HTTPRedirectMaximum = 0;
    QString HTTPAccept;
    int HTTPContentLength = 0;
    int HTTPContentRangeEnd = 0;
    int HTTPContentRangeStart = 0;
    QString HTTPUserAgent;
    int HTTPSendBufferSize = 0;
    int HTTPRetryTimes = 0;
    int PollTime = 0;
    int Connections = 1;
    int Throttle = 1;
    bool AdvThrottle = false;
    int FTPRecvBuff = 0;
    int FTPSendBuff = 0;
    int FTPTrsfrType = 1;
    bool ProxyAuth = false;
    QString ProxyHost;
    QString ProxyPassword; // plain text; the registry holds it enciphered
    int ProxyPort = 0;
    QString ProxyUsername;
    QString GoogleAPIPath;

    // Data
    bool ClearLogRecs = false;
    int LogRecsDays = 0;
    bool ClearRankRecs = false;
    int RankRecDays = 0;
    int TableDelay = 0;

    // The current project's last mining session as a day count since
    // 1899-12-30; below 1.0 means never run.
    double LastRun = 0.0;
};

// One stored setting: where it lives, its form, the default that set-up
// writes (and that replaces a damaged integer), and where the record keeps it.
struct SettingDescriptor
{
    using Member = std::variant<std::monostate, QString SettingsRecord::*, bool SettingsRecord::*,
                                int SettingsRecord::*>;
    enum class Form { Text, Flag, Integer };

    const char* key;
    const char* name;
    Form form;
    const char* defaultText; // null: derived at set-up (folders) or none
    Member member;           // monostate: stored only, not loaded at start
    bool enciphered = false; // the proxy password
};

// Every value set-up creates, key by key, in the order the program reads them:
// File Locations, Startup Settings, Network, Data, then the values that are
// not read at start.
const QList<SettingDescriptor>& settingDescriptors();

// The descriptor of one value; names match without regard to case. Null when
// the value is not one the program knows.
const SettingDescriptor* findSettingDescriptor(const QString& key, const QString& name);

// Stores a value's text, converted to its form, into the record member the
// descriptor names (nothing for a value that is stored only). A text that is
// not a number stores 0 into an integer.
void storeSettingText(SettingsRecord& record, const SettingDescriptor& d, const QString& text);

// The sixteen message switches of key MsgShow, in their order.
const QStringList& messageSwitchNames();

// A damaged integer found while loading: its value was replaced by the default.
struct RepairedSetting
{
    QString key;
    QString name;
    QString foundText;
    QString defaultText;
    // False when the default could not be written back (its key is missing
    // from the store): the run uses it, the store keeps what it had.
    bool writtenBack = true;
};

// Reads the keys in order into the record, derives and writes back the four
// folder defaults, and deciphers the proxy password. An integer that is
// missing or not a number is replaced by its default, written back, and
// reported in the result so that the caller can tell the user.
// A store that exists but cannot be read gives the defaults, writes nothing and
// reports no repairs: settingsStoreFault() says what is wrong, once.
QList<RepairedSetting> loadSettings(Registry& registry, SettingsRecord& record);

// The sentence for a settings store that cannot be read; empty when it can.
QString settingsStoreFault(const Registry& registry);

// Opens the key without creating it, writes the value and returns the text
// written. A write to a missing key is lost.
QString writeSetting(Registry& registry, const QString& key, const QString& name, const QString& text);

} // namespace corvane
