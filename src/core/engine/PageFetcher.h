#pragma once

#include "core/engine/EngineScript.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

struct curl_slist;

namespace corvane {

struct SettingsRecord;

// What one request brought back.
struct FetchResult
{
    bool ok = false;
    QString page;         // the body as text (cleaned by FetchResultPage)
    QString error;        // why the request failed; empty when ok
    bool aborted = false; // stopped by the keep-going hook or requestAbort()
    long httpStatus = 0;  // status of the last response, 0 when none arrived
};

// The HTTP client of one run (one press of Go, one Harvester session): one
// libcurl handle, configured once from the network settings and used for every
// request of every engine. Requests block the calling thread; while they wait,
// the keep-going hook is called every few milliseconds so that a window can
// stay painted and can stop the run.
//
// How the network settings are applied:
// - HTTPReadTimeout (ms): a request fails with "Read timed out" when no data
//   arrives for that long (connecting included); 0 or less waits for ever.
// - HTTPHandleRedirects / HTTPRedirectMaximum: follow at most that many
//   redirects. A redirect that is not followed is a failure ("HTTP 302 Found").
// - HTTPAllowCookies: an in-memory cookie store for the life of the client.
// - HTTPPort: the port of http:// addresses that name none; an address with
//   its own port, and https:// addresses, are left alone.
// - HTTPProtocolVersion: 0 asks in HTTP/1.0, anything else in HTTP/1.1.
// - HTTPRecvBufferSize / HTTPSendBufferSize: libcurl's receive and upload
//   buffers, clamped to the sizes libcurl accepts; 0 or less keeps its default.
// - HTTPAccept: the Accept header (none when empty).
// - HTTPContentRangeStart / HTTPContentRangeEnd: a "Range: bytes=start-end"
//   header, only when end > start >= 0.
// - HTTPContentLength: not sent. A GET carries no body, and a Content-Length
//   header on it makes a server wait for a body that never comes.
// - ProxyAuth: when set, requests go through ProxyHost:ProxyPort with basic
//   authentication (when a user name is given); when clear, they go direct,
//   whatever proxy the environment (http_proxy and the like) names.
// - The User-Agent is always "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)",
//   and gzip and deflate are offered and decoded (ContentDecoding).
class PageFetcher
{
public:
    // Called while a request or a pacing wait is in progress; returning
    // false stops it. It may process window events, but must not destroy the
    // fetcher.
    using KeepGoing = std::function<bool()>;

    static constexpr const char* UserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

    explicit PageFetcher(const SettingsRecord& settings);
    ~PageFetcher();
    PageFetcher(const PageFetcher&) = delete;
    PageFetcher& operator=(const PageFetcher&) = delete;

    // Applies the network settings (see above). The constructor calls it; a
    // new call starts from libcurl's defaults again and forgets all cookies.
    void configure(const SettingsRecord& settings);

    void setKeepGoing(KeepGoing keepGoing);

    // How the pacing wait of FetchResultPage is counted. BeforeEachRequest
    // (the default, as the rank-check tools do): the whole wait before every
    // request. BetweenRequestStarts (Harvester): counted from the start of
    // this client's previous request, so the time the engine takes to answer
    // counts towards it; requests still start at least the wait apart.
    enum class Pacing { BeforeEachRequest, BetweenRequestStarts };
    void setPacing(Pacing pacing) { m_pacing = pacing; }

    // Stops the request or wait in progress and every later one, from any
    // thread. Cleared by clearAbort().
    void requestAbort();
    void clearAbort();

    // One GET, without pacing or cleaning: the body decoded as UTF-8, or as
    // Latin-1 when it is not valid UTF-8. Fails on client errors (with
    // libcurl's text) and on a final status of 300 or more.
    FetchResult get(const QString& url);

    // One result page of an engine: waits as the script's Delay/Delay2 ask
    // (pacingDelay), GETs the URL, removes leading CR/LF, fails with "Minimal
    // data returned" when fewer than 10 characters remain, and cleans the page.
    // The caller has advanced counters.page before the call. On success the
    // failure counter is set to 0; on failure it is raised by one and the page
    // counter is set back by one so that the same page is asked for again; an
    // aborted request sets the page counter back but counts no failure.
    FetchResult FetchResultPage(const QString& url, const EngineScript& script, RunCounters& counters);

    // Normalises a fetched page to one line: makes it end with a single
    // lower-case "</html>" before its last 8 characters (unless such a tag
    // already stands in its last 10), removes LF, CR and TAB, and decodes
    // "%2E", "%3A" and "%2F".
    static QString CleanPage(QString page);

    // Milliseconds to wait before a request. Both 0: none. Equal: delay.
    // delay2 above delay: delay plus a random part below delay2 - delay.
    // delay2 below delay: delay plus a random part below delay - delay2, so
    // the wait lies between delay and 2 * delay - delay2. Negative values
    // count as 0.
    static int pacingDelay(int delay, int delay2);

    // The retry rule, checked before each request of an engine: when the
    // failure counter has gone past httpRetryTimes, it is set to 0 and the
    // engine is given up (true). With 0 one failure ends the engine; with n
    // the page is tried n + 1 times in all.
    static bool retriesExhausted(RunCounters& counters, int httpRetryTimes);

    struct Transfer; // the request in flight, shared with libcurl's callbacks

private:
    bool keepGoing();
    bool waitUntil(std::chrono::steady_clock::time_point deadline);
    FetchResult perform(const QString& url);

    void* m_curl = nullptr;  // CURL*
    void* m_multi = nullptr; // CURLM*
    curl_slist* m_headers = nullptr;
    int m_readTimeout = 0;
    int m_defaultPort = 0;
    KeepGoing m_keepGoing;
    std::chrono::steady_clock::time_point m_lastHook{};
    Pacing m_pacing = Pacing::BeforeEachRequest;
    std::chrono::steady_clock::time_point m_lastRequestStart{};
    std::atomic<bool> m_abort{false};
    std::unique_ptr<char[]> m_errorBuffer;
};

} // namespace corvane
