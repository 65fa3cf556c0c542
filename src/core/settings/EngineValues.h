#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace corvane {

class Database;
class Session;

// The per-engine values the settings library edits in the engine-script
// table SE3: the wait before each request (Delay, Delay2, milliseconds, the
// "stunt values") and the engine incrementer (EngineInc). SE3 is reached
// through a session of its own that holds the table's password.
class EngineValues
{
public:
    struct Row
    {
        QString name;
        int delay = 0;
        int delay2 = 0;
        int engineInc = 0;

        bool operator==(const Row&) const = default;
    };

    static constexpr int MaximumDelay = 3600000; // one hour
    static constexpr int MaximumEngineInc = 1000;

    explicit EngineValues(const QString& dataFolder);
    ~EngineValues();

    // Every engine of SE3 by name. Throws DatabaseError.
    QList<Row> read();
    // The engines whose API flag is set, by name. Throws DatabaseError.
    QStringList apiEngines();

    // One line per value out of range, naming engine and column; empty when
    // all can be written.
    static QStringList delayProblems(const QList<Row>& rows);
    static QStringList engineIncProblems(const QList<Row>& rows);

    // Writes Delay and Delay2 (or EngineInc) of the rows whose values changed,
    // all in one transaction; nothing when a value is out of range (the
    // problems are returned). Engines are found by name. Throws DatabaseError.
    QStringList writeDelays(const QList<Row>& rows);
    QStringList writeEngineInc(const QList<Row>& rows);

private:
    QStringList write(const QList<Row>& rows, bool delays);

    std::unique_ptr<Session> m_session;
    std::unique_ptr<Database> m_db;
};

// The advanced throttle: one throttle (1 = full speed, up to 10) per hour of
// the day, stored as 24 comma-separated numbers in Network's
// AdvThrottleSchedule, and the switch AdvThrottle that makes Harvester use it.
namespace AdvancedThrottle {

inline constexpr int Hours = 24;

// The 24 hourly factors of a stored schedule; a missing or damaged schedule
// (not 24 whole numbers from 1 to 10) gives the plain throttle for every hour.
QList<int> parse(const QString& schedule, int throttle);
// "1,1,...,1": the stored form.
QString format(const QList<int>& factors);

} // namespace AdvancedThrottle

} // namespace corvane
