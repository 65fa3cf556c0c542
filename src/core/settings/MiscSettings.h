#pragma once

#include "core/settings/Settings.h"

#include <QString>

#include <functional>

namespace corvane {

// The edition of the operating system, the way the connection warning of the
// miscellaneous settings names it.
namespace SystemEdition {

enum class Platform {
    Windows9x, // 95, 98, ME
    WindowsNT, // NT, 2000, XP
    Other,     // everything else, Linux included
};

struct Version
{
    Platform platform = Platform::Other;
    int major = 0;
    int minor = 0;
    QString servicePack; // the system's service-pack text
};

// The short name of an edition: "95" or "OSR2", "98" or "SE", "ME",
// "NT 3.51", "NT 4.0", "2000", "XP"; empty for every other system.
QString shortName(const Version& version);

// The running system. On Linux its short name is always empty.
Version current();

// True when a connection count should warn on this edition: above 14
// connections on "OSR2", "SE" or "ME", whose network stacks choke on many
// simultaneous connections.
bool warnsHighConnections(const QString& shortName, int connections);

} // namespace SystemEdition

// The values of the "Miscellaneous Settings" dialog and the one way they are
// written: every value through the writer, in a fixed order, each written
// text stored back into the settings record.
struct MiscSettings
{
    static constexpr int ThrottleMinimum = 1;
    static constexpr int ThrottleMaximum = 10;
    static constexpr int ConnectionsMinimum = 1;
    static constexpr int ConnectionsMaximum = 50;
    static constexpr int RetentionMinimum = 1;
    static constexpr int RetentionMaximum = 36500;

    int Throttle = 1;
    int Connections = 4;
    bool Disorderly = false;
    bool RandBrowse = false;
    bool AutoCloseHV = true;
    bool CacheCharts = false;
    bool ClearLogRecs = false;
    int LogRecsDays = 90;
    bool ClearRankRecs = false;
    int RankRecDays = 730;
    // Written back as they were read; the dialog does not edit them.
    int RandScan = 0;
    double LastRun = 0.0;

    // Opens the key without creating it, writes the value and returns the
    // text written (TDM1::WriteSetting in the program).
    using Writer = std::function<QString(const QString& key, const QString& name, const QString& text)>;

    static MiscSettings fromRecord(const SettingsRecord& record);

    // Writes RandScan, RandBrowse and "Last Run" (Startup Settings),
    // Connections and Throttle (Network), ClearLogRecs, ClearRankRecs,
    // LogRecsDays and RankRecDays (Data), then AutoCloseHV, Disorderly and
    // CacheCharts (Startup Settings). Flags are "true" or "false", integers
    // decimal; the record receives each written text, converted.
    void write(SettingsRecord& record, const Writer& writer) const;

    // "Last Run" as stored: the day count since 1899-12-30 in decimal.
    static QString lastRunText(double dayCount);
};

} // namespace corvane
