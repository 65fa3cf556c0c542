#include "core/settings/NetworkSettings.h"

#include "core/platform/AppFolders.h"
#include "core/platform/TextCipher.h"

#include <limits>

namespace corvane {

namespace {

constexpr int NoMinimum = std::numeric_limits<int>::min();
constexpr int NoMaximum = std::numeric_limits<int>::max();

QList<NetworkSettings::Field> buildFields()
{
    const QString nw = QLatin1String(SettingsKeys::Network);
    const QString ss = QLatin1String(SettingsKeys::StartupSettings);
    const QString fl = QLatin1String(SettingsKeys::FileLocations);
    const struct
    {
        const QString& key;
        const char* name;
        const char* tab;
        const char* label;
        int minimum = NoMinimum;
        int maximum = NoMaximum;
    } order[] = {
        {nw, "HTTPPort", "HTTP", "Port"},
        {nw, "HTTPRecvBufferSize", "HTTP", "Receive Buffer Size"},
        {nw, "HTTPSendBufferSize", "HTTP", "Send Buffer Size"},
        {nw, "HTTPReadTimeout", "HTTP", "Read Timeout"},
        {nw, "HTTPRetryTimes", "HTTP", "Retry Fails"},
        {nw, "HTTPUserAgent", "HTTP", "User Agent"},
        {nw, "HTTPAccept", "HTTP", "Accept"},
        {nw, "HTTPProtocolVersion", "HTTP", "Protocol Version", 0, 1},
        {nw, "HTTPHandleRedirects", "HTTP", "Handle Redirects"},
        {nw, "HTTPAllowCookies", "HTTP", "Allow Cookies"},
        {nw, "HTTPRedirectMaximum", "HTTP", "Redirect Maximum"},
        {nw, "HTTPContentLength", "HTTP", "Content Length"},
        {nw, "HTTPContentRangeStart", "HTTP", "Content Range Start"},
        {nw, "HTTPContentRangeEnd", "HTTP", "Content Range End"},
        {nw, "FTPHost", "FTP", "Host"},
        {nw, "FTPPort", "FTP", "Port"},
        {nw, "FTPReadTimeout", "FTP", "Read Tiimeout"},
        {nw, "FTPRecvBuff", "FTP", "Rec Buffer Size"},
        {nw, "FTPSendBuff", "FTP", "Send Buffer Size"},
        {nw, "FTPTrsfrType", "FTP", "Transfer Type", 0, 1},
        {nw, "FTPHostPath", "FTP", "Host Path"},
        {nw, "FTPUserName", "FTP", "Username"},
        {nw, "FTPPassword", "FTP", "Password"},
        {nw, "ProxyAuth", "Proxy", "Enable Proxy"},
        {nw, "ProxyHost", "Proxy", "Host"},
        {nw, "ProxyUsername", "Proxy", "Username"},
        {nw, "ProxyPassword", "Proxy", "Password"},
        {nw, "ProxyPort", "Proxy", "Port"},
        {nw, "GoogleAPIPath", "Misc", "Google API Path"},
        {ss, "HVRetryTimes", "Misc", "HV Retry Times", 0, 10},
        {ss, "HVRetrySeconds", "Misc", "HV Retry Seconds", 1, 43200},
        {ss, "Debug", "Misc", "Debug"},
        {fl, "DebugOutput", "Misc", "Debug Output Folder"},
    };
    QList<NetworkSettings::Field> fields;
    for (const auto& f : order) {
        const SettingDescriptor* d = findSettingDescriptor(f.key, QLatin1String(f.name));
        Q_ASSERT(d);
        fields.append({d, f.tab, f.label, f.minimum, f.maximum});
    }
    return fields;
}

bool isInteger(const NetworkSettings::Field& f)
{
    return f.descriptor->form == SettingDescriptor::Form::Integer;
}

QString rangeText(const NetworkSettings::Field& f)
{
    if (f.minimum == NoMinimum && f.maximum == NoMaximum)
        return QStringLiteral("a whole number");
    return QStringLiteral("a whole number from %1 to %2").arg(f.minimum).arg(f.maximum);
}

} // namespace

const QList<NetworkSettings::Field>& NetworkSettings::fields()
{
    static const QList<Field> list = buildFields();
    return list;
}

const NetworkSettings::Field* NetworkSettings::field(const QString& name)
{
    for (const Field& f : fields()) {
        if (name.compare(QLatin1String(f.descriptor->name), Qt::CaseInsensitive) == 0)
            return &f;
    }
    return nullptr;
}

NetworkSettings NetworkSettings::fromRecord(const SettingsRecord& record)
{
    NetworkSettings settings;
    for (const Field& f : fields()) {
        const QString name = QLatin1String(f.descriptor->name);
        const SettingDescriptor::Member& member = f.descriptor->member;
        if (auto m = std::get_if<QString SettingsRecord::*>(&member))
            settings.setText(name, record.**m);
        else if (auto b = std::get_if<bool SettingsRecord::*>(&member))
            settings.setFlag(name, record.**b);
        else if (auto i = std::get_if<int SettingsRecord::*>(&member))
            settings.setText(name, SettingText::fromInteger(record.**i));
    }
    return settings;
}

QStringList NetworkSettings::problems() const
{
    QStringList lines;
    for (const Field& f : fields()) {
        if (!isInteger(f))
            continue;
        const QString typed = text(QLatin1String(f.descriptor->name));
        const std::optional<int> value = SettingText::toInteger(typed);
        if (!value || *value < f.minimum || *value > f.maximum)
            lines << QStringLiteral("%1 (%2 tab) must be %3; \"%4\" is not.")
                         .arg(QLatin1String(f.label), QLatin1String(f.tab), rangeText(f), typed.trimmed());
    }
    return lines;
}

QString NetworkSettings::storedText(const Field& f) const
{
    const QString typed = text(QLatin1String(f.descriptor->name));
    switch (f.descriptor->form) {
    case SettingDescriptor::Form::Integer:
        return SettingText::fromInteger(SettingText::toInteger(typed).value_or(0));
    case SettingDescriptor::Form::Flag: return SettingText::fromFlag(SettingText::toFlag(typed));
    case SettingDescriptor::Form::Text: break;
    }
    if (f.descriptor->enciphered)
        return TextCipher::encipher(typed, TextCipher::ProxyPasswordKey);
    if (qstrcmp(f.descriptor->name, "DebugOutput") == 0 && !typed.isEmpty())
        return AppFolders::withTrailingSlash(typed);
    return typed;
}

QStringList NetworkSettings::write(SettingsRecord& record, const Writer& writer) const
{
    const QStringList found = problems();
    if (!found.isEmpty())
        return found;
    for (const Field& f : fields()) {
        const QString name = QLatin1String(f.descriptor->name);
        const QString written = writer(QLatin1String(f.descriptor->key), name, storedText(f));
        storeSettingText(record, *f.descriptor, f.descriptor->enciphered ? text(name) : written);
    }
    return {};
}

} // namespace corvane
