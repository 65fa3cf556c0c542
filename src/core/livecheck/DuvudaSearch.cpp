#include "core/livecheck/DuvudaSearch.h"

#include "core/data/Dataset.h"
#include "core/engine/EngineScript.h"
#include "core/engine/PollingDriver.h"

namespace corvane {

DuvudaSearch::DuvudaSearch(Table& se3Table, PageFetcher& fetcher, int httpRetryTimes)
    : m_se3Table(se3Table)
    , m_fetcher(fetcher)
    , m_httpRetryTimes(httpRetryTimes)
{
}

void DuvudaSearch::run(const DuvudaSearchRequest& request, const DuvudaSearchEvents& events)
{
    const auto status = [&events](const QString& text) {
        if (events.status)
            events.status(text);
    };
    const auto progress = [&events](int percent) {
        if (events.progress)
            events.progress(percent);
    };

    for (int i = 0; i < request.engines.size(); ++i) {
        const QString& name = request.engines.at(i);
        if (events.engineStarted)
            events.engineStarted(i, name);
        progress(0);
        status(QStringLiteral("Working...\n") + name);

        if (!m_se3Table.findKey({name})) {
            status(QStringLiteral("Error: the script of ") + name + QStringLiteral(" was not found"));
            continue;
        }
        EngineScript script = EngineScript::fromRow(m_se3Table);

        PollEvents pollEvents;
        pollEvents.status = status;
        pollEvents.progress = progress;
        pollEvents.aborted = events.aborted;
        pollEvents.hit = [&](const PollHit& hit) {
            if (events.hit)
                events.hit({request.day, hit.rank, hit.page, request.url, request.term, hit.requestUrl,
                            script.Name, script.HomePage});
        };
        PollingDriver driver(m_fetcher, m_httpRetryTimes);
        driver.poll(script, request.term, {PollTarget{request.url, request.anyMatch}}, request.depth,
                    pollEvents);
        progress(100);
    }
    status(QStringLiteral("Done..."));
}

} // namespace corvane
