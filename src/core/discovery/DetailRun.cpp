#include "core/discovery/DetailRun.h"

#include "core/data/Dataset.h"
#include "core/discovery/PageDetail.h"
#include "core/engine/PageFetcher.h"
#include "core/settings/Settings.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace corvane::DetailRun {

namespace {

const QString Separator = QStringLiteral("*******************");

enum class Outcome { Read, Failed, Short, Excess };

struct PageResult
{
    Outcome outcome = Outcome::Failed;
    QString error;
    PageDetail detail;
};

// The fetches of one run, done by worker threads; the results are taken in
// row order by the caller's thread.
class Fetches
{
public:
    Fetches(const QStringList& addresses, const SettingsRecord& settings, const DetailOptions& options)
        : m_addresses(addresses)
        , m_results(std::size_t(addresses.size()))
    {
        const int workers = std::clamp(options.connections, 1, int(std::max<qsizetype>(1, addresses.size())));
        for (int w = 0; w < workers; ++w)
            m_threads.emplace_back([this, &settings, options] { work(settings, options); });
    }

    ~Fetches()
    {
        abort();
        for (std::thread& t : m_threads)
            t.join();
    }

    void abort()
    {
        m_abort = true;
        m_wake.notify_all();
    }

    // Waits for the result of row i; nullopt when stopped first. `pause` is
    // called every 15 ms while waiting and answers false to stop.
    std::optional<PageResult> take(std::size_t i, const std::function<bool()>& keepWaiting)
    {
        std::unique_lock lock(m_mutex);
        while (!m_results[i]) {
            if (m_abort)
                return std::nullopt;
            m_wake.wait_for(lock, std::chrono::milliseconds(15));
            if (m_results[i])
                break;
            lock.unlock();
            const bool go = keepWaiting();
            lock.lock();
            if (!go)
                return std::nullopt;
        }
        return std::move(m_results[i]);
    }

private:
    void work(const SettingsRecord& settings, const DetailOptions& options)
    {
        PageFetcher fetcher(settings);
        fetcher.setKeepGoing([this] { return !m_abort.load(); });
        for (;;) {
            const std::size_t i = m_next++;
            if (i >= m_results.size() || m_abort)
                return;
            PageResult result;
            const FetchResult fetched = fetcher.get(PageAddress(m_addresses.at(qsizetype(i))));
            if (!fetched.ok) {
                result.error = fetched.error;
            } else if (fetched.page.size() < 10) {
                result.outcome = Outcome::Short;
            } else if (fetched.page.size() > options.passSize) {
                result.outcome = Outcome::Excess;
            } else {
                result.outcome = Outcome::Read;
                result.detail = PageAnalysis::Analyse(fetched.page, options.filter, options.minDens);
            }
            {
                std::lock_guard lock(m_mutex);
                m_results[i] = std::move(result);
            }
            m_wake.notify_all();
        }
    }

    const QStringList m_addresses;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<std::optional<PageResult>> m_results; // guarded by m_mutex
    std::atomic<std::size_t> m_next{0};
    std::atomic<bool> m_abort{false};
    std::vector<std::thread> m_threads; // last: started once the rest is built
};

void ClearDetail(Table& mix)
{
    mix.edit();
    for (const char* column : {"MetaTitle", "MetaDesc", "MetaST", "KWDensity"})
        mix.setValue(QLatin1String(column), QString());
    mix.post();
}

} // namespace

QString PageAddress(const QString& name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || trimmed.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        return trimmed;
    return QStringLiteral("http://") + trimmed;
}

DetailCounts Run(Table& mix, Table& phrase, const SettingsRecord& settings, const DetailOptions& options,
                 const MixEvents& events, const std::function<void(const QString& name)>& deleted)
{
    DetailCounts counts;
    phrase.open();
    phrase.emptyTable();
    mix.open();
    QStringList names;
    for (mix.first(); !mix.eof(); mix.next())
        names << mix.asString(QStringLiteral("Name"));
    if (names.isEmpty())
        return counts;

    Fetches fetches(names, settings, options);
    const auto keepWaiting = [&events] { return !(events.aborted && events.aborted()); };
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString& name = names.at(i);
        std::optional<PageResult> result;
        if (keepWaiting())
            result = fetches.take(std::size_t(i), keepWaiting);
        if (!result) {
            fetches.abort();
            events.log(QStringLiteral("Aborting"));
            break;
        }
        if (!mix.findKey({name}))
            continue; // removed meanwhile
        const QString address = PageAddress(name);
        if (result->outcome != Outcome::Read) {
            ++counts.failed;
            switch (result->outcome) {
            case Outcome::Short: events.log(address + QStringLiteral(" Minimal data returned")); break;
            case Outcome::Excess: events.log(address + QStringLiteral(" Excess data returned")); break;
            default: events.log(address + QLatin1Char(' ') + result->error); break;
            }
            if (options.deleteBadLinks) {
                mix.remove();
                ++counts.deleted;
                events.log(QStringLiteral(" URL deleted"));
                if (deleted)
                    deleted(name);
            } else {
                ClearDetail(mix);
            }
            events.log(Separator);
            continue;
        }
        ++counts.read;
        const PageDetail& detail = result->detail;
        events.log(address + QStringLiteral(" OK"));
        if (!detail.titleFound)
            events.log(QStringLiteral(" Title tag not found"));
        mix.edit();
        mix.setValue(QStringLiteral("MetaTitle"), detail.title);
        mix.setValue(QStringLiteral("MetaDesc"), detail.description);
        mix.setValue(QStringLiteral("MetaST"), detail.keywords.join(QLatin1Char('\n')));
        mix.setValue(QStringLiteral("KWDensity"), detail.density.join(QLatin1Char('\n')));
        mix.post();
        for (const WordCount& word : detail.words) {
            phrase.append();
            phrase.setValue(QStringLiteral("Phrase"), word.word);
            phrase.setValue(QStringLiteral("PhraseCount"), word.count);
            phrase.setValue(QStringLiteral("KWDensity"), word.density);
            phrase.post();
        }
        events.log(Separator);
    }
    phrase.refresh();
    mix.refresh();
    return counts;
}

} // namespace corvane::DetailRun
