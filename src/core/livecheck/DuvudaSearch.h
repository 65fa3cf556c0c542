#pragma once

#include "core/livecheck/DuvudaResultRow.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

namespace corvane {

class PageFetcher;
class Table;

// What one press of Go asks for.
struct DuvudaSearchRequest
{
    QString term;
    QString url;
    int depth = 50;
    bool anyMatch = false;
    QStringList engines; // SE3 names, in list order
    QDate day;           // the day the rows carry
};

// What the run tells the window.
struct DuvudaSearchEvents
{
    std::function<void(int index, const QString& engine)> engineStarted;
    std::function<void(const QString& text)> status;
    std::function<void(int percent)> progress;
    std::function<void(const DuvudaHit& hit)> hit;
    std::function<bool()> aborted; // asked before every request
};

// The rank check behind Go: each engine in turn, its script read from SE3 by
// name, polled page by page down to the depth through the polling driver.
// An engine that fails or cannot be read shows "Error: " in the status and
// the run goes on with the next; once aborted() answers true every remaining
// engine ends before its first request. The run ends with "Done...".
class DuvudaSearch
{
public:
    DuvudaSearch(Table& se3Table, PageFetcher& fetcher, int httpRetryTimes);

    void run(const DuvudaSearchRequest& request, const DuvudaSearchEvents& events);

private:
    Table& m_se3Table;
    PageFetcher& m_fetcher;
    int m_httpRetryTimes;
};

} // namespace corvane
