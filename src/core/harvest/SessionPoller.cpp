#include "core/harvest/SessionPoller.h"

#include "core/engine/PageFetcher.h"

#include <QRandomGenerator>

#include <algorithm>
#include <malloc.h>
#include <thread>
#include <vector>

namespace corvane {

namespace {

constexpr int MaxThrottle = 10;

} // namespace

bool TermCheck::completed() const
{
    return end == EngineEnd::Depth || end == EngineEnd::LastPage || end == EngineEnd::NoResults
        || stoppedOnHit;
}

int ThrottleFactor(const SettingsRecord& settings, const QString& advancedSchedule, QTime now)
{
    int factor = settings.Throttle;
    if (settings.AdvThrottle) {
        const QStringList hours = advancedSchedule.split(QLatin1Char(','));
        bool ok = false;
        const int scheduled = hours.size() == 24 ? hours.at(now.hour()).trimmed().toInt(&ok) : 0;
        if (ok)
            factor = scheduled;
    }
    return std::clamp(factor, 1, MaxThrottle);
}

SessionPoller::SessionPoller(const SettingsRecord& settings, int throttleFactor)
    : m_settings(settings)
    , m_throttle(throttleFactor)
{
}

void SessionPoller::keepPageMemory()
{
    mallopt(M_MMAP_THRESHOLD, 64 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
}

int SessionPoller::workerCount(int connections, int engines)
{
    return std::max(1, std::min(connections, engines));
}

void SessionPoller::requestStop()
{
    m_stop = true;
    std::lock_guard guard(m_fetchersLock);
    for (PageFetcher* fetcher : m_fetchers)
        fetcher->requestAbort();
}

QList<TermCheck> SessionPoller::run(const ProjectPlan& plan, const Observer& observer, bool disorderly)
{
    QList<EngineScript> engines = plan.engines;
    if (disorderly)
        std::shuffle(engines.begin(), engines.end(), *QRandomGenerator::global());

    m_done = 0;
    m_total = int(engines.size() * plan.terms.size());
    std::vector<QList<TermCheck>> perEngine(std::size_t(engines.size()));
    std::atomic<int> next{0};

    const auto worker = [&](int slot) {
        PageFetcher fetcher(m_settings);
        fetcher.setPacing(PageFetcher::Pacing::BetweenRequestStarts);
        {
            std::lock_guard guard(m_fetchersLock);
            m_fetchers << &fetcher;
            if (m_stop)
                fetcher.requestAbort();
        }
        for (int i = next++; i < engines.size() && !m_stop; i = next++)
            pollEngine(fetcher, engines.at(i), slot, plan, perEngine[std::size_t(i)], observer);
        std::lock_guard guard(m_fetchersLock);
        m_fetchers.removeOne(&fetcher);
    };

    const int workers = workerCount(m_settings.Connections, int(engines.size()));
    std::vector<std::thread> threads;
    for (int slot = 1; slot < workers; ++slot)
        threads.emplace_back(worker, slot);
    worker(0);
    for (std::thread& thread : threads)
        thread.join();

    QList<TermCheck> checks;
    for (const QList<TermCheck>& engineChecks : perEngine)
        checks += engineChecks;
    return checks;
}

void SessionPoller::pollEngine(PageFetcher& fetcher, EngineScript script, int slot, const ProjectPlan& plan,
                               QList<TermCheck>& checks, const Observer& observer)
{
    script.Delay *= m_throttle;
    script.Delay2 *= m_throttle;
    QList<PollTarget> targets;
    for (const ProjectPlan::Url& url : plan.urls)
        targets << PollTarget{url.url, url.anyMatch};

    const auto report = [&](const auto& call) {
        std::lock_guard guard(m_lock);
        call();
    };

    PollingDriver driver(fetcher, m_settings.HTTPRetryTimes);
    for (int t = 0; t < plan.terms.size() && !m_stop; ++t) {
        TermCheck check;
        check.engine = script.Name;
        check.term = plan.terms.at(t);
        QString status;
        PollEvents events;
        events.hit = [&](const PollHit& hit) {
            check.hits.append({hit.target, hit.rank, hit.page, hit.foundLink});
        };
        events.status = [&](const QString& text) { status = text; };
        events.progress = [&](int percent) {
            if (observer.engineProgress) {
                const int overall = (t * 100 + percent) / int(plan.terms.size());
                report([&] { observer.engineProgress(slot, script.Name, overall); });
            }
        };
        events.aborted = [&] { return m_stop.load() || (plan.stopOnHit && !check.hits.isEmpty()); };

        check.end = driver.poll(script, check.term, targets, plan.depth, events);
        if (check.end == EngineEnd::Aborted && !m_stop && plan.stopOnHit && !check.hits.isEmpty())
            check.stoppedOnHit = true;
        check.lastRecord = driver.lastRecord();
        check.pages = driver.pages();
        if (check.end == EngineEnd::Failed)
            check.error = status.startsWith(QLatin1String("Error: ")) ? status.mid(7) : status;
        if (check.end == EngineEnd::Aborted && !check.stoppedOnHit)
            return; // a stopped session keeps nothing of an unfinished scan

        report([&] {
            ++m_done;
            if (check.end == EngineEnd::Failed && observer.log) {
                observer.log(
                    QStringLiteral("%1 failed on \"%2\": %3").arg(check.engine, check.term, check.error));
            }
            if (observer.overallProgress)
                observer.overallProgress(m_done, m_total);
        });
        checks << check;
    }
    if (observer.engineProgress)
        report([&] { observer.engineProgress(slot, script.Name, 100); });
}

} // namespace corvane
