#include "core/settings/Settings.h"

#include "core/platform/AppFolders.h"
#include "core/platform/Registry.h"
#include "core/platform/TextCipher.h"

#include <QDir>

namespace corvane {

QString SettingsKeys::path(const QString& key) { return QStringLiteral("Software\\Corvane\\") + key; }

bool SettingText::toFlag(const QString& text) { return text.toUpper() == QLatin1String("TRUE"); }

QString SettingText::fromFlag(bool flag) { return flag ? QStringLiteral("true") : QStringLiteral("false"); }

std::optional<int> SettingText::toInteger(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

QString SettingText::fromInteger(int value) { return QString::number(value); }

namespace {

using Form = SettingDescriptor::Form;
using R = SettingsRecord;

QList<SettingDescriptor> buildDescriptors()
{
    const char* fl = SettingsKeys::FileLocations;
    const char* ss = SettingsKeys::StartupSettings;
    const char* nw = SettingsKeys::Network;
    const char* da = SettingsKeys::Data;
    return {
        // Folder values default to the program folder and its sub-folders;
        // set-up and the start-up derive them, so they carry no fixed text.
        {fl, "ExeFolder", Form::Text, nullptr, &R::ExeFolder},
        {fl, "DataFolder", Form::Text, nullptr, &R::DataFolder},
        {fl, "Cfg", Form::Text, nullptr, &R::Cfg},
        {fl, "UpdateFolder", Form::Text, nullptr, &R::UpdateFolder},
        {fl, "DebugOutput", Form::Text, nullptr, &R::DebugOutput},

        {ss, "Finish Minimized", Form::Flag, "false", &R::FinishMinimized},
        {ss, "Run Minimized", Form::Flag, "false", &R::RunMinimized},
        {ss, "SummaryLoad", Form::Flag, "false", &R::SummaryLoad},
        {ss, "RandScan", Form::Integer, "0", &R::RandScan},
        {ss, "RandBrowse", Form::Flag, "false", &R::RandBrowse},
        {ss, "Project", Form::Text, "", &R::Project},
        {ss, "Hints", Form::Integer, "0", &R::Hints},
        {ss, "AdvancedMode", Form::Flag, "false", &R::AdvancedMode},
        {ss, "AutoCloseHV", Form::Flag, "true", &R::AutoCloseHV},
        {ss, "Disorderly", Form::Flag, "false", &R::Disorderly},
        {ss, "HVRetryTimes", Form::Integer, "3", &R::HVRetryTimes},
        {ss, "HVRetrySeconds", Form::Integer, "60", &R::HVRetrySeconds},
        {ss, "CacheCharts", Form::Flag, "false", &R::CacheCharts},
        {ss, "FullPathBrowser", Form::Flag, "true", &R::FullPathBrowser},
        {ss, "Debug", Form::Flag, "false", &R::Debug},
        {ss, "HideMainMenu", Form::Flag, "false", &R::HideMainMenu},

        {nw, "FTPHost", Form::Text, "127.0.0.1", &R::FTPHost},
        {nw, "FTPPassword", Form::Text, "", &R::FTPPassword},
        {nw, "FTPPort", Form::Integer, "21", &R::FTPPort},
        {nw, "FTPReadTimeout", Form::Integer, "30000", &R::FTPReadTimeout},
        {nw, "FTPUserName", Form::Text, "anonymous", &R::FTPUserName},
        {nw, "FTPHostPath", Form::Text, "/corvane/", &R::FTPHostPath},
        {nw, "HTTPReadTimeout", Form::Integer, "30000", &R::HTTPReadTimeout},
        {nw, "HTTPHandleRedirects", Form::Flag, "true", &R::HTTPHandleRedirects},
        {nw, "HTTPAllowCookies", Form::Flag, "true", &R::HTTPAllowCookies},
        {nw, "HTTPPort", Form::Integer, "80", &R::HTTPPort},
        {nw, "HTTPProtocolVersion", Form::Integer, "1", &R::HTTPProtocolVersion},
        {nw, "HTTPRecvBufferSize", Form::Integer, "32768", &R::HTTPRecvBufferSize},
        {nw, "HTTPRedirectMaximum", Form::Integer, "15", &R::HTTPRedirectMaximum},
        {nw, "HTTPAccept", Form::Text, "text/html, */*", &R::HTTPAccept},
        {nw, "HTTPContentLength", Form::Integer, "0", &R::HTTPContentLength},
        {nw, "HTTPContentRangeEnd", Form::Integer, "0", &R::HTTPContentRangeEnd},
        {nw, "HTTPContentRangeStart", Form::Integer, "0", &R::HTTPContentRangeStart},
        {nw, "HTTPUserAgent", Form::Text, "Mozilla/5.0 (X11; Linux x86_64) Corvane", &R::HTTPUserAgent},
        {nw, "HTTPSendBufferSize", Form::Integer, "32768", &R::HTTPSendBufferSize},
        {nw, "HTTPRetryTimes", Form::Integer, "3", &R::HTTPRetryTimes},
        {nw, "PollTime", Form::Integer, "0", &R::PollTime},
        {nw, "Connections", Form::Integer, "4", &R::Connections},
        {nw, "Throttle", Form::Integer, "1", &R::Throttle},
        {nw, "AdvThrottle", Form::Flag, "false", &R::AdvThrottle},
        {nw, "FTPRecvBuff", Form::Integer, "32768", &R::FTPRecvBuff},
        {nw, "FTPSendBuff", Form::Integer, "32768", &R::FTPSendBuff},
        {nw, "FTPTrsfrType", Form::Integer, "1", &R::FTPTrsfrType},
        {nw, "ProxyAuth", Form::Flag, "false", &R::ProxyAuth},
        {nw, "ProxyHost", Form::Text, "", &R::ProxyHost},
        {nw, "ProxyPassword", Form::Text, "", &R::ProxyPassword, true},
        {nw, "ProxyPort", Form::Integer, "8080", &R::ProxyPort},
        {nw, "ProxyUsername", Form::Text, "", &R::ProxyUsername},
        {nw, "GoogleAPIPath", Form::Text, "", &R::GoogleAPIPath},

        {da, "ClearLogRecs", Form::Flag, "false", &R::ClearLogRecs},
        {da, "LogRecsDays", Form::Integer, "90", &R::LogRecsDays},
        {da, "ClearRankRecs", Form::Flag, "false", &R::ClearRankRecs},
        {da, "RankRecDays", Form::Integer, "730", &R::RankRecDays},
        {da, "TableDelay", Form::Integer, "0", &R::TableDelay},

        // Stored, but not read at start.
        {ss, "Last Run", Form::Text, "0", {}},
        {nw, "GoogleKeyEnabled", Form::Flag, "false", {}},
        {nw, "FTPLastMSG", Form::Text, "", {}},
        {nw, "FTPLastSE3", Form::Text, "", {}},
    };
}

// Reads the loaded values of one key, opened once, in descriptor order.
void readKey(Registry& registry, const char* key, SettingsRecord& record, QList<RepairedSetting>& repaired,
             bool storeReadable)
{
    const QString keyName = QLatin1String(key);
    const RegistryKey opened(registry, SettingsKeys::path(keyName));
    for (const SettingDescriptor& d : settingDescriptors()) {
        if (qstrcmp(d.key, key) != 0 || std::holds_alternative<std::monostate>(d.member))
            continue;
        QString text = opened.readString(QLatin1String(d.name));
        if (d.enciphered)
            text = TextCipher::decipher(text, TextCipher::ProxyPasswordKey);
        if (d.form == Form::Integer && !SettingText::toInteger(text)) {
            const QString fallback = QLatin1String(d.defaultText);
            // An unreadable store is told once by the caller; nothing is written to it.
            if (storeReadable) {
                const bool written =
                    registry.writeString(SettingsKeys::path(keyName), QLatin1String(d.name), fallback);
                repaired.append({keyName, QLatin1String(d.name), text, fallback, written});
            }
            text = fallback;
        }
        storeSettingText(record, d, text);
    }
}

// An empty program folder becomes the current directory; empty data,
// configuration and update folders become sub-folders of the program folder.
// Each derived value is written back.
void deriveFolderDefaults(Registry& registry, SettingsRecord& record, bool storeReadable)
{
    const QString key = QLatin1String(SettingsKeys::FileLocations);
    const auto writeSetting = [&](const QString& k, const QString& name, const QString& text) {
        return storeReadable ? corvane::writeSetting(registry, k, name, text) : text;
    };
    if (record.ExeFolder.isEmpty())
        record.ExeFolder = writeSetting(key, QStringLiteral("ExeFolder"),
                                        AppFolders::withTrailingSlash(QDir::currentPath()));
    const struct
    {
        QString R::*member;
        const char* name;
        const char* subFolder;
    } derived[] = {{&R::DataFolder, "DataFolder", "Data/"},
                   {&R::Cfg, "Cfg", "Cfg/"},
                   {&R::UpdateFolder, "UpdateFolder", "Update/"}};
    for (const auto& f : derived) {
        if ((record.*f.member).isEmpty())
            record.*f.member =
                writeSetting(key, QLatin1String(f.name), record.ExeFolder + QLatin1String(f.subFolder));
    }
}

} // namespace

const QList<SettingDescriptor>& settingDescriptors()
{
    static const QList<SettingDescriptor> descriptors = buildDescriptors();
    return descriptors;
}

const SettingDescriptor* findSettingDescriptor(const QString& key, const QString& name)
{
    for (const SettingDescriptor& d : settingDescriptors()) {
        if (key.compare(QLatin1String(d.key), Qt::CaseInsensitive) == 0
            && name.compare(QLatin1String(d.name), Qt::CaseInsensitive) == 0)
            return &d;
    }
    return nullptr;
}

void storeSettingText(SettingsRecord& record, const SettingDescriptor& d, const QString& text)
{
    if (auto m = std::get_if<QString R::*>(&d.member))
        record.** m = text;
    else if (auto f = std::get_if<bool R::*>(&d.member))
        record.** f = SettingText::toFlag(text);
    else if (auto i = std::get_if<int R::*>(&d.member))
        record.** i = SettingText::toInteger(text).value_or(0);
}

const QStringList& messageSwitchNames()
{
    static const QStringList names = {
        QStringLiteral("NoURL"),
        QStringLiteral("HighConnect"),
        QStringLiteral("LargeSeriesList"),
        QStringLiteral("NewProjectAdded"),
        QStringLiteral("SpecialNotes"),
        QStringLiteral("SearchTermsAdded"),
        QStringLiteral("KeyURL"),
        QStringLiteral("ViewResults"),
        QStringLiteral("ThrottleAdjust"),
        QStringLiteral("TaskScheduler"),
        QStringLiteral("ScheduleAfterWiz"),
        QStringLiteral("RunAutoChart"),
        QStringLiteral("DeleteProject"),
        QStringLiteral("DeleteURL"),
        QStringLiteral("DeleteST"),
        QStringLiteral("BypassOnHits"),
    };
    return names;
}

QString writeSetting(Registry& registry, const QString& key, const QString& name, const QString& text)
{
    registry.writeString(SettingsKeys::path(key), name, text);
    return text;
}

QList<RepairedSetting> loadSettings(Registry& registry, SettingsRecord& record)
{
    QList<RepairedSetting> repaired;
    const bool readable = registry.readFault().isEmpty();
    readKey(registry, SettingsKeys::FileLocations, record, repaired, readable);
    deriveFolderDefaults(registry, record, readable);
    readKey(registry, SettingsKeys::StartupSettings, record, repaired, readable);
    readKey(registry, SettingsKeys::Network, record, repaired, readable);
    readKey(registry, SettingsKeys::Data, record, repaired, readable);
    return repaired;
}

QString settingsStoreFault(const Registry& registry)
{
    const QString fault = registry.readFault();
    if (fault.isEmpty())
        return {};
    return QStringLiteral("The settings store \"%1\" cannot be read (%2). Default settings are used for "
                          "this run and nothing is written to the store.")
        .arg(registry.filePath(), fault);
}

} // namespace corvane
