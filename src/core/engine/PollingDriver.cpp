#include "core/engine/PollingDriver.h"

#include "core/engine/PageFetcher.h"
#include "core/engine/ResultExtraction.h"

#include <algorithm>

namespace corvane {

PollingDriver::PollingDriver(PageFetcher& fetcher, int httpRetryTimes)
    : m_fetcher(fetcher)
    , m_httpRetryTimes(httpRetryTimes)
{
}

int PollingDriver::ProgressPercent(int pages, int pageLength, int depth)
{
    if (depth <= 0)
        return 100;
    // Whole numbers throughout: in floating point 29 of 100 came out as 28.
    const qint64 percent = qint64(pages) * pageLength * 100 / depth;
    return int(std::clamp<qint64>(percent, 0, 100));
}

EngineEnd PollingDriver::poll(EngineScript& script, const QString& term, const QList<PollTarget>& targets,
                              int depth, const PollEvents& events)
{
    m_counters = RunCounters{};
    const QString connectedTerm = ConnectTerm(script, term);
    QString processedPage;
    QString statusText;
    const auto status = [&](const QString& text) {
        statusText = text;
        if (events.status)
            events.status(text);
    };

    // A script without an address or result markers would end as "no results"
    // and its checks would pass for complete: it fails, saying why.
    if (const QString reason = UnusableReason(script); !reason.isEmpty()) {
        status(QStringLiteral("Error: The engine script \"%1\" is unusable: %2").arg(script.Name, reason));
        return EngineEnd::Failed;
    }

    while (m_counters.rank <= depth) {
        if (PageFetcher::retriesExhausted(m_counters, m_httpRetryTimes)) {
            status(QStringLiteral("Error: ") + statusText);
            return EngineEnd::Failed;
        }
        if (events.aborted && events.aborted())
            return EngineEnd::Aborted;

        const QString url = BuildQueryUrl(script, m_counters, connectedTerm, processedPage);
        if (url.isEmpty())
            return EngineEnd::LastPage;

        ++m_counters.page;
        const FetchResult fetched = m_fetcher.FetchResultPage(url, script, m_counters);
        if (fetched.aborted)
            return EngineEnd::Aborted;
        if (!fetched.ok) {
            status(fetched.error);
            continue;
        }

        const ResultSplit split = SplitResults(ApplyTruncations(fetched.page, script), script,
                                               m_counters.page == 1, m_counters.rank);
        // A page without a single result marker holds no results: counting
        // the whole page as one result would walk on through empty pages.
        if (split.markers == 0 && !script.TagFirst)
            return EngineEnd::NoResults;
        processedPage = split.processedPage;

        for (const QString& block : split.blocks) {
            ++m_counters.rank;
            for (int t = 0; t < targets.size(); ++t) {
                const qsizetype at = FindResultLink(block, targets.at(t).url, targets.at(t).anyMatch);
                if (at >= 0 && events.hit)
                    events.hit({t, m_counters.rank - 1, m_counters.page, url, FoundLink(block, at)});
            }
        }
        if (events.progress)
            events.progress(ProgressPercent(m_counters.page, script.APageLength, depth));
    }
    return EngineEnd::Depth;
}

} // namespace corvane
