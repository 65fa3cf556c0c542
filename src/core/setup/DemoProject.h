#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

namespace corvane {

class Database;
class Registry;

// The demo project of a new profile: project "Demo" with a key URL and three
// competitors on the local demo engine's sites, 20 terms and the 4 demo
// engines, and a history of daily sessions, mined by Harvester from a demo
// engine started on a free loopback port for the purpose.
class DemoProject
{
public:
    static constexpr const char* Name = "Demo";
    static constexpr int Depth = 30;
    static constexpr int DefaultDays = 30;

    // The demo engine draws its rankings per day; day n is n days after
    // 1970-01-01, so run.sh can start it on today's day.
    static int demoDay(const QDate& date);

    static const QStringList& terms();

    // Adds the project unless one of its name exists. Returns false when it
    // existed (and nothing was changed). Throws DatabaseError.
    static bool create(Database& general, Database& se3);

    // Runs `days` sessions, the last one today, with the Harvester program
    // beside this one. Returns false with error() set when the demo engine
    // cannot start or a session fails.
    bool backFill(Database& se3, int days, const std::function<void(const QString&)>& progress);
    const QString& error() const { return m_error; }

    // Points the profile's network settings at the demo engine's usual
    // address as the HTTP proxy, so keyword discovery can read the sites the
    // demo results link to (the engine serves them as their proxy). False
    // when the store cannot be written.
    static bool useEngineAsProxy(Registry& registry);

private:
    QString m_error;
};

} // namespace corvane
