#pragma once

#include "core/data/TableDatabase.h"
#include "core/harvest/SessionPoller.h"
#include "core/settings/Settings.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

namespace corvane {

// What a run is asked to mine.
struct HarvestRequest
{
    QStringList projects;
    bool all = false;
    QDate date; // the day the sessions are recorded under; invalid: today
};

// One Harvester run: holds "Harvester.Mutex" throughout, writes left-over
// session journals first, then mines each project in a session of its own
// under "NoCV.Mutex", waiting while "NoHV.Mutex" says that a Corvane tool
// needs the tables to itself. A session whose checks did not all complete is
// written, then run again after HVRetrySeconds, at most HVRetryTimes times.
class HarvesterRun
{
public:
    enum ExitCode { Done = 0, NothingToDo = 1, SessionFailed = 2 };

    struct Observer : SessionPoller::Observer
    {
        std::function<void(const QString& project, int index, int count)> sessionStarted;
        std::function<void(const QString& text)> waiting; // shown while a session cannot start
        std::function<void(const QString& text)> error;   // why nothing could be done
    };

    HarvesterRun(const SettingsRecord& settings, const QString& advancedThrottleSchedule);
    ~HarvesterRun();

    void setObserver(Observer observer) { m_observer = std::move(observer); }

    // Returns the exit code: Done, NothingToDo (another Harvester runs, no
    // project, an unknown or incomplete project, no data folder) or
    // SessionFailed (a session still failed after its retries, or was stopped).
    int run(const HarvestRequest& request);

    // From any thread: ends the run after the requests in flight.
    void requestStop();

    // Project names of the data folder; empty when it cannot be read.
    static QStringList projectNames(const SettingsRecord& settings);

    // How long a wait for "NoHV.Mutex" sleeps between looks, in milliseconds.
    static constexpr int MutexPollMs = 500;

private:
    enum class SessionEnd { Completed, Failed, Stopped };

    SessionEnd runSession(const QString& project, const QDate& date);
    bool waitForSessionSlot(std::unique_ptr<class NamedMutex>& noCV);
    bool sleepUnlessStopped(int milliseconds);
    void recoverJournals();
    void applyRetention();
    void log(const QString& message, const QString& project = {});
    void emitLog(const QString& line);

    const SettingsRecord& m_settings;
    QString m_advancedSchedule;
    Observer m_observer;
    Session m_session;
    Database m_general;
    Database m_se3;
    std::atomic<bool> m_stop{false};
    std::atomic<SessionPoller*> m_poller{nullptr};
};

// Deletes log records older than LogRecsDays and rank records (CVRank,
// CVHilo and the dated Summary rows) older than RankRecDays, each when its
// switch is on. Throws DatabaseError.
void ApplyRetention(Database& general, const SettingsRecord& settings, const QDate& today);

} // namespace corvane
