#pragma once

#include "core/engine/PollingDriver.h"
#include "core/harvest/ProjectPlan.h"
#include "core/settings/Settings.h"

#include <QList>
#include <QString>
#include <QTime>

#include <atomic>
#include <functional>
#include <mutex>

namespace corvane {

class PageFetcher;

// One URL found by one engine for one term.
struct CheckHit
{
    int url = 0; // index into the plan's URLs
    int rank = 0;
    int page = 0;
    QString foundLink;
};

// One engine asked for one term: how it ended and what it found.
struct TermCheck
{
    QString engine;
    QString term;
    EngineEnd end = EngineEnd::Failed;
    bool stoppedOnHit = false; // StopOnHit ended the scan at its first hit
    int lastRecord = 0;        // the number of the last result read
    int pages = 0;
    QString error; // the failure's message when end is Failed
    QList<CheckHit> hits;

    // The scan reached the depth or the engine's last page, or stopped at its
    // first hit as asked, without a failure: an absent URL is then truly absent.
    bool completed() const;
};

// The throttle that scales every engine's Delay and Delay2: Throttle (1 =
// full speed, up to 10), or, with AdvThrottle set, the hour's entry of the
// advanced schedule, 24 comma-separated numbers from 1 to 10 (value
// AdvThrottleSchedule of Network; a missing or damaged schedule falls back to
// Throttle).
int ThrottleFactor(const SettingsRecord& settings, const QString& advancedSchedule, QTime now);

// Polls every engine of a plan for every term. Up to Connections engines run
// side by side, each on a thread and an HTTP client of its own, so that one
// engine never has two requests in flight. The terms of one engine run one
// after the other.
class SessionPoller
{
public:
    struct Observer
    {
        std::function<void(const QString& line)> log; // a line for the live log
        std::function<void(int slot, const QString& engine, int percent)> engineProgress;
        std::function<void(int done, int total)> overallProgress; // checks done of all
    };

    SessionPoller(const SettingsRecord& settings, int throttleFactor);

    // Engines in the plan's order, or shuffled when disorderly. Observer
    // calls come from the worker threads, one at a time.
    QList<TermCheck> run(const ProjectPlan& plan, const Observer& observer, bool disorderly);

    // From any thread: stops the requests in flight and every later one.
    void requestStop();

    // Keeps freed memory in the process heap instead of handing it back to
    // the system at once. A result page takes a few hundred KB in several
    // buffers; by default each would be mapped, faulted in and unmapped
    // again for every request, which costs more CPU than the page's
    // extraction. Called once by the program before its first run.
    static void keepPageMemory();

    // How many engines a run asks at once.
    static int workerCount(int connections, int engines);

private:
    void pollEngine(PageFetcher& fetcher, EngineScript script, int slot, const ProjectPlan& plan,
                    QList<TermCheck>& checks, const Observer& observer);

    const SettingsRecord& m_settings;
    int m_throttle;
    std::atomic<bool> m_stop{false};
    std::mutex m_lock; // guards the observer calls and the shared counters
    std::mutex m_fetchersLock;
    QList<PageFetcher*> m_fetchers; // the clients in use, for requestStop()
    int m_done = 0;
    int m_total = 0;
};

} // namespace corvane
