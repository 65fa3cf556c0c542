#include "core/settings/MiscSettings.h"

#include <QLocale>

namespace corvane {

namespace SystemEdition {

QString shortName(const Version& version)
{
    // The letter that marks the second release of an edition is the
    // service-pack text's second character (" C", " A").
    const QChar mark = version.servicePack.size() > 1 ? version.servicePack.at(1) : QChar();
    switch (version.platform) {
    case Platform::Windows9x:
        if (version.major != 4)
            return {};
        if (version.minor == 0)
            return mark == QLatin1Char('C') ? QStringLiteral("OSR2") : QStringLiteral("95");
        if (version.minor == 10)
            return mark == QLatin1Char('A') ? QStringLiteral("SE") : QStringLiteral("98");
        if (version.minor == 90)
            return QStringLiteral("ME");
        return {};
    case Platform::WindowsNT:
        if (version.major == 3 && version.minor == 51)
            return QStringLiteral("NT 3.51");
        if (version.major == 4 && version.minor == 0)
            return QStringLiteral("NT 4.0");
        if (version.major == 5 && version.minor == 0)
            return QStringLiteral("2000");
        if (version.major == 5 && version.minor == 1)
            return QStringLiteral("XP");
        return {};
    case Platform::Other: break;
    }
    return {};
}

Version current()
{
    // This program runs on Linux only; no Windows edition applies.
    return {Platform::Other, 0, 0, {}};
}

bool warnsHighConnections(const QString& shortName, int connections)
{
    return connections > 14
        && (shortName == QLatin1String("OSR2") || shortName == QLatin1String("SE")
            || shortName == QLatin1String("ME"));
}

} // namespace SystemEdition

MiscSettings MiscSettings::fromRecord(const SettingsRecord& record)
{
    MiscSettings s;
    s.Throttle = record.Throttle;
    s.Connections = record.Connections;
    s.Disorderly = record.Disorderly;
    s.RandBrowse = record.RandBrowse;
    s.AutoCloseHV = record.AutoCloseHV;
    s.CacheCharts = record.CacheCharts;
    s.ClearLogRecs = record.ClearLogRecs;
    s.LogRecsDays = record.LogRecsDays;
    s.ClearRankRecs = record.ClearRankRecs;
    s.RankRecDays = record.RankRecDays;
    s.RandScan = record.RandScan;
    s.LastRun = record.LastRun;
    return s;
}

QString MiscSettings::lastRunText(double dayCount)
{
    // Up to 15 significant digits: a day count to a fraction of a second,
    // always with "." as the decimal point.
    return QLocale::c().toString(dayCount, 'g', 15);
}

void MiscSettings::write(SettingsRecord& record, const Writer& writer) const
{
    const QString ss = QLatin1String(SettingsKeys::StartupSettings);
    const QString nw = QLatin1String(SettingsKeys::Network);
    const QString da = QLatin1String(SettingsKeys::Data);
    const auto put = [&](const QString& key, const char* name, const QString& text) {
        const QString written = writer(key, QLatin1String(name), text);
        if (const SettingDescriptor* d = findSettingDescriptor(key, QLatin1String(name)))
            storeSettingText(record, *d, written);
    };
    const auto flag = SettingText::fromFlag;
    const auto number = SettingText::fromInteger;

    put(ss, "RandScan", number(RandScan));
    put(ss, "RandBrowse", flag(RandBrowse));
    put(ss, "Last Run", lastRunText(LastRun));
    put(nw, "Connections", number(Connections));
    put(nw, "Throttle", number(Throttle));
    put(da, "ClearLogRecs", flag(ClearLogRecs));
    put(da, "ClearRankRecs", flag(ClearRankRecs));
    put(da, "LogRecsDays", number(LogRecsDays));
    put(da, "RankRecDays", number(RankRecDays));
    put(ss, "AutoCloseHV", flag(AutoCloseHV));
    put(ss, "Disorderly", flag(Disorderly));
    put(ss, "CacheCharts", flag(CacheCharts));
}

} // namespace corvane
