#pragma once

#include "core/engine/EngineScript.h"

#include <QList>
#include <QString>

#include <functional>

namespace corvane {

class PageFetcher;

// A URL to look for in the results, with its own Any Match.
struct PollTarget
{
    QString url;
    bool anyMatch = false;
};

// One result that matched a target.
struct PollHit
{
    int target = 0; // index into the targets
    int rank = 0;
    int page = 0;
    QString requestUrl; // the address of the page that held it
    QString foundLink;  // the whole address around the match, as the page has it
};

// How the polling of one engine ended.
enum class EngineEnd {
    Depth,     // the search depth was reached
    LastPage,  // the script found no further page
    NoResults, // a page held no result marker at all
    Failed,    // the page failed more often than the retry limit allows
    Aborted,   // the abort flag was set, or the transfer was stopped
};

// What the driver tells its caller while it works.
struct PollEvents
{
    std::function<void(const PollHit&)> hit;
    std::function<void(int percent)> progress;
    std::function<void(const QString&)> status;
    std::function<bool()> aborted; // polled between requests
};

// Polls one engine for one term, page after page, down to a search depth:
// builds each request, fetches and cleans the page, cuts it into numbered
// results and matches every result against every target. No window is
// involved, so rank checks, keyword discovery and Harvester share it.
class PollingDriver
{
public:
    PollingDriver(PageFetcher& fetcher, int httpRetryTimes);

    EngineEnd poll(EngineScript& script, const QString& term, const QList<PollTarget>& targets, int depth,
                   const PollEvents& events);

    // After poll(): the number of the last result read, and the pages fetched.
    int lastRecord() const { return m_counters.rank - 1; }
    int pages() const { return m_counters.page; }

    // The progress of a run as the tools show it: pages × page length against
    // the depth, as a whole percentage between 0 and 100.
    static int ProgressPercent(int pages, int pageLength, int depth);

private:
    PageFetcher& m_fetcher;
    int m_httpRetryTimes;
    RunCounters m_counters;
};

} // namespace corvane
