// Result page fetching against a real HTTP server (cpp-httplib) on 127.0.0.1,
// and through a real proxy (tinyproxy) on loopback.

#include "core/engine/EngineScript.h"
#include "core/engine/PageFetcher.h"
#include "core/settings/Settings.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <httplib.h>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <zlib.h>

using namespace corvane;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

// A loopback port that nothing listens on (bound once, then released).
int unusedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

bool acceptsConnections(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(uint16_t(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

// Window bits 15 + 16: gzip; 15: zlib-wrapped deflate; -15: bare deflate.
std::string compressed(const std::string& text, int windowBits)
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, uLong(text.size())) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = uInt(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::string gzipped(const std::string& text) { return compressed(text, 15 + 16); }

std::string sampleHtml()
{
    std::string page = "<html><body>";
    for (int i = 1; i <= 200; ++i)
        page +=
            "<li>result " + std::to_string(i) + " http%3A%2F%2Fsite" + std::to_string(i) + "%2Ecom</li>\n";
    page += "</body></html>\n";
    return page;
}

// The search engine stand-in: fixed replies, error replies and slow replies.
class TestServer
{
public:
    TestServer()
    {
        auto text = [this](const char* path, std::string body) {
            m_server.Get(path, [body](const httplib::Request&, httplib::Response& res) {
                res.set_content(body, "text/html");
            });
        };
        text("/nine", "123456789");
        text("/ten", "0123456789");
        text("/leading", "\r\n\n\r\r\n0123456789");
        text("/leading-short", "\r\n\r\n123456789");
        text("/html", sampleHtml());
        text("/utf8", "caf\xc3\xa9 and cr\xc3\xa8me page");
        text("/latin1", "caf\xe9 and cr\xe8me page");

        m_server.Get("/gzip", [this](const httplib::Request& req, httplib::Response& res) {
            m_acceptEncoding = req.get_header_value("Accept-Encoding");
            res.set_header("Content-Encoding", "gzip");
            res.set_content(gzipped(sampleHtml()), "application/octet-stream");
        });
        // Replies in other codings; application/octet-stream keeps httplib
        // from compressing them once more.
        auto coded = [this](const char* path, const char* coding, std::string body) {
            m_server.Get(path, [coding, body](const httplib::Request&, httplib::Response& res) {
                res.set_header("Content-Encoding", coding);
                res.set_content(body, "application/octet-stream");
            });
        };
        coded("/deflate", "deflate", compressed(sampleHtml(), 15));
        coded("/raw-deflate", "deflate", compressed(sampleHtml(), -15));
        coded("/deflate-gzip", "deflate, gzip", gzipped(compressed(sampleHtml(), 15)));
        // A second member after the first: its trailer gives a far smaller
        // size than the first member decodes to.
        coded("/gzip-members", "x-gzip", gzipped(sampleHtml()) + gzipped("tail"));
        std::string damaged = gzipped(sampleHtml());
        damaged[damaged.size() / 2] = char(~damaged[damaged.size() / 2]);
        coded("/gzip-damaged", "gzip", damaged);
        coded("/brotli", "br", "not really brotli data");
        coded("/gzip-empty", "gzip", "");
        m_server.Get("/redirect-gzip", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Content-Encoding", "gzip");
            res.set_redirect("/ten");
        });
        m_server.Get("/redirect",
                     [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/ten"); });
        m_server.Get("/error500", [](const httplib::Request&, httplib::Response& res) {
            res.status = 500;
            res.set_content("<html><body>something broke on the server</body></html>", "text/html");
        });
        m_server.Get("/echo", [](const httplib::Request& req, httplib::Response& res) {
            const std::string body = "padding...|UA=" + req.get_header_value("User-Agent")
                + "|Accept=" + req.get_header_value("Accept") + "|Range=" + req.get_header_value("Range")
                + "|ContentLength=" + (req.has_header("Content-Length") ? "yes" : "no")
                + "|Version=" + req.version + "|Via=" + req.get_header_value("Via") + "|";
            res.set_content(body, "text/plain");
        });
        m_server.Get("/setcookie", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Set-Cookie", "id=42; Path=/");
            res.set_content("cookie was set", "text/plain");
        });
        m_server.Get("/cookie", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content("cookie=[" + req.get_header_value("Cookie") + "]", "text/plain");
        });
        // Trickles one byte every 50 ms for 10 seconds.
        m_server.Get("/slow", [this](const httplib::Request&, httplib::Response& res) {
            const auto start = Clock::now();
            res.set_chunked_content_provider("text/html", [this, start](size_t, httplib::DataSink& sink) {
                if (m_stopping || Clock::now() - start > 10s) {
                    sink.done();
                    return true;
                }
                std::this_thread::sleep_for(50ms);
                return sink.write("x", 1);
            });
        });
        // Says nothing for 3 seconds, then answers.
        m_server.Get("/silent", [this](const httplib::Request&, httplib::Response& res) {
            const auto start = Clock::now();
            while (!m_stopping && Clock::now() - start < 3s)
                std::this_thread::sleep_for(20ms);
            res.set_content("late but complete page", "text/html");
        });

        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running())
            std::this_thread::sleep_for(1ms);
    }

    ~TestServer()
    {
        m_stopping = true;
        m_server.stop();
        m_thread.join();
    }

    int port() const { return m_port; }
    QString url(const char* path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(QString::fromLatin1(path));
    }
    std::string acceptEncoding() const { return m_acceptEncoding; }

private:
    httplib::Server m_server;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    std::string m_acceptEncoding;
    int m_port = 0;
};

SettingsRecord networkSettings()
{
    SettingsRecord s;
    s.HTTPReadTimeout = 10000;
    s.HTTPHandleRedirects = true;
    s.HTTPAllowCookies = true;
    s.HTTPPort = 80;
    s.HTTPProtocolVersion = 1;
    s.HTTPRecvBufferSize = 32768;
    s.HTTPRedirectMaximum = 15;
    s.HTTPAccept = QStringLiteral("text/html, */*");
    s.HTTPSendBufferSize = 32768;
    s.HTTPRetryTimes = 3;
    s.ProxyAuth = false;
    return s;
}

class PageFetcherTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_server = new TestServer; }
    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
    }

    // One request the way a tool asks for a page: page counter advanced first.
    FetchResult fetchPage(PageFetcher& fetcher, const QString& url)
    {
        m_counters.page += 1;
        return fetcher.FetchResultPage(url, m_script, m_counters);
    }

    static TestServer* s_server;
    EngineScript m_script;
    RunCounters m_counters;
};

TestServer* PageFetcherTest::s_server = nullptr;

// ---- Length check and leading line breaks

TEST_F(PageFetcherTest, NineCharactersAreMinimalData)
{
    PageFetcher fetcher(networkSettings());
    const FetchResult result = fetchPage(fetcher, s_server->url("/nine"));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, QStringLiteral("Minimal data returned"));
}

TEST_F(PageFetcherTest, TenCharactersAreAPage)
{
    PageFetcher fetcher(networkSettings());
    const FetchResult result = fetchPage(fetcher, s_server->url("/ten"));
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.page, QStringLiteral("0123456789"));
}

TEST_F(PageFetcherTest, LeadingLineBreaksAreRemovedBeforeTheLengthCheck)
{
    PageFetcher fetcher(networkSettings());
    FetchResult result = fetchPage(fetcher, s_server->url("/leading"));
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.page, QStringLiteral("0123456789"));

    result = fetchPage(fetcher, s_server->url("/leading-short"));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, QStringLiteral("Minimal data returned"));
}

// ---- Counters and the retry rule

TEST_F(PageFetcherTest, GoodPageResetsFailuresAndKeepsThePage)
{
    PageFetcher fetcher(networkSettings());
    m_counters.failures = 2;
    m_counters.page = 3;
    const FetchResult result = fetchPage(fetcher, s_server->url("/html"));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(m_counters.failures, 0);
    EXPECT_EQ(m_counters.page, 4);
}

TEST_F(PageFetcherTest, FailureCountsAndAsksForTheSamePageAgain)
{
    PageFetcher fetcher(networkSettings());
    m_counters.page = 3;
    const FetchResult result = fetchPage(fetcher, s_server->url("/nine"));
    ASSERT_FALSE(result.ok);
    EXPECT_EQ(m_counters.failures, 1);
    EXPECT_EQ(m_counters.page, 3);
}

TEST(PageFetcherRetry, RetryRule)
{
    RunCounters counters;
    counters.failures = 0;
    EXPECT_FALSE(PageFetcher::retriesExhausted(counters, 0));
    counters.failures = 1;
    EXPECT_TRUE(PageFetcher::retriesExhausted(counters, 0));
    EXPECT_EQ(counters.failures, 0);

    counters.failures = 2;
    EXPECT_FALSE(PageFetcher::retriesExhausted(counters, 2));
    EXPECT_EQ(counters.failures, 2);
    counters.failures = 3;
    EXPECT_TRUE(PageFetcher::retriesExhausted(counters, 2));
    EXPECT_EQ(counters.failures, 0);
}

// Polls an engine that cannot be reached the way a tool does: check the rule,
// advance the page, fetch. Returns the number of requests made.
int attemptsAgainstUnreachableEngine(int retryTimes, QString& lastError)
{
    SettingsRecord settings = networkSettings();
    settings.HTTPRetryTimes = retryTimes;
    PageFetcher fetcher(settings);
    const QString url = QStringLiteral("http://127.0.0.1:%1/search").arg(unusedPort());
    EngineScript script;
    RunCounters counters;
    int attempts = 0;
    while (!PageFetcher::retriesExhausted(counters, settings.HTTPRetryTimes) && attempts < 20) {
        counters.page += 1;
        const FetchResult result = fetcher.FetchResultPage(url, script, counters);
        ++attempts;
        if (result.ok)
            break;
        lastError = result.error;
    }
    EXPECT_EQ(counters.failures, 0);
    EXPECT_EQ(counters.page, 0);
    return attempts;
}

TEST(PageFetcherRetry, UnreachableEngineIsTriedRetryTimesPlusOne)
{
    QString error;
    EXPECT_EQ(attemptsAgainstUnreachableEngine(0, error), 1);
    EXPECT_EQ(attemptsAgainstUnreachableEngine(2, error), 3);
    EXPECT_FALSE(error.isEmpty());
}

// ---- Client errors

TEST_F(PageFetcherTest, RefusedConnectionGivesTheClientsText)
{
    PageFetcher fetcher(networkSettings());
    const FetchResult result = fetchPage(fetcher, QStringLiteral("http://127.0.0.1:%1/").arg(unusedPort()));
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.aborted);
    EXPECT_TRUE(result.error.contains(QStringLiteral("connect"), Qt::CaseInsensitive))
        << result.error.toStdString();
}

TEST_F(PageFetcherTest, ServerErrorIsAFailureWithItsStatus)
{
    PageFetcher fetcher(networkSettings());
    const FetchResult result = fetchPage(fetcher, s_server->url("/error500"));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.httpStatus, 500);
    EXPECT_EQ(result.error, QStringLiteral("HTTP 500 Internal Server Error"));
    EXPECT_EQ(m_counters.failures, 1);
}

TEST_F(PageFetcherTest, ReadTimeoutWhenTheServerSaysNothing)
{
    SettingsRecord settings = networkSettings();
    settings.HTTPReadTimeout = 300;
    PageFetcher fetcher(settings);
    const FetchResult result = fetchPage(fetcher, s_server->url("/silent"));
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.aborted);
    EXPECT_EQ(result.error, QStringLiteral("Read timed out"));
}

// ---- Settings

TEST_F(PageFetcherTest, RedirectsFollowedOrNotAsSet)
{
    SettingsRecord settings = networkSettings();
    {
        PageFetcher fetcher(settings);
        const FetchResult result = fetchPage(fetcher, s_server->url("/redirect"));
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        EXPECT_EQ(result.page, QStringLiteral("0123456789"));
    }
    settings.HTTPHandleRedirects = false;
    {
        PageFetcher fetcher(settings);
        const FetchResult result = fetchPage(fetcher, s_server->url("/redirect"));
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.error, QStringLiteral("HTTP 302 Found"));
    }
    settings.HTTPHandleRedirects = true;
    settings.HTTPRedirectMaximum = 0;
    {
        PageFetcher fetcher(settings);
        const FetchResult result = fetchPage(fetcher, s_server->url("/redirect"));
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.error.contains(QStringLiteral("redirect"), Qt::CaseInsensitive))
            << result.error.toStdString();
    }
}

TEST_F(PageFetcherTest, DefaultPortOnlyWhenTheAddressNamesNone)
{
    SettingsRecord settings = networkSettings();
    settings.HTTPPort = s_server->port();
    {
        PageFetcher fetcher(settings);
        const FetchResult result = fetchPage(fetcher, QStringLiteral("http://127.0.0.1/ten"));
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        EXPECT_EQ(result.page, QStringLiteral("0123456789"));
    }
    settings.HTTPPort = unusedPort();
    {
        PageFetcher fetcher(settings);
        const FetchResult explicitPort = fetchPage(fetcher, s_server->url("/ten"));
        ASSERT_TRUE(explicitPort.ok) << explicitPort.error.toStdString();
        const FetchResult defaultPort = fetchPage(fetcher, QStringLiteral("http://127.0.0.1/ten"));
        EXPECT_FALSE(defaultPort.ok);
    }
}

TEST_F(PageFetcherTest, RequestHeadersFollowTheSettings)
{
    SettingsRecord settings = networkSettings();
    settings.HTTPAccept = QStringLiteral("text/html;q=0.9");
    settings.HTTPContentLength = 100;
    settings.HTTPProtocolVersion = 0;
    {
        PageFetcher fetcher(settings);
        const FetchResult result = fetcher.get(s_server->url("/echo"));
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        const QString agent = QStringLiteral("|UA=Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)|");
        EXPECT_TRUE(result.page.contains(agent));
        EXPECT_TRUE(result.page.contains(QStringLiteral("|Accept=text/html;q=0.9|")));
        EXPECT_TRUE(result.page.contains(QStringLiteral("|Range=|")));
        EXPECT_TRUE(result.page.contains(QStringLiteral("|ContentLength=no|")));
        EXPECT_TRUE(result.page.contains(QStringLiteral("|Version=HTTP/1.0|")));
    }
    settings.HTTPProtocolVersion = 1;
    settings.HTTPContentRangeStart = 5;
    settings.HTTPContentRangeEnd = 500;
    {
        PageFetcher fetcher(settings);
        const FetchResult result = fetcher.get(s_server->url("/echo"));
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        EXPECT_EQ(result.httpStatus, 206);
        EXPECT_TRUE(result.page.startsWith(QStringLiteral("ng...|"))); // from byte 5 of "padding...|"
        EXPECT_TRUE(result.page.contains(QStringLiteral("|Range=bytes=5-500|")));
        EXPECT_TRUE(result.page.contains(QStringLiteral("|Version=HTTP/1.1|")));
    }
    settings.HTTPContentRangeStart = 500;
    settings.HTTPContentRangeEnd = 5;
    {
        PageFetcher fetcher(settings);
        const FetchResult result = fetcher.get(s_server->url("/echo"));
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        EXPECT_TRUE(result.page.contains(QStringLiteral("|Range=|")));
    }
}

TEST_F(PageFetcherTest, CookiesKeptOnlyWhenAllowed)
{
    SettingsRecord settings = networkSettings();
    {
        PageFetcher fetcher(settings);
        ASSERT_TRUE(fetcher.get(s_server->url("/setcookie")).ok);
        EXPECT_EQ(fetcher.get(s_server->url("/cookie")).page, QStringLiteral("cookie=[id=42]"));
    }
    settings.HTTPAllowCookies = false;
    {
        PageFetcher fetcher(settings);
        ASSERT_TRUE(fetcher.get(s_server->url("/setcookie")).ok);
        EXPECT_EQ(fetcher.get(s_server->url("/cookie")).page, QStringLiteral("cookie=[]"));
    }
}

TEST_F(PageFetcherTest, CompressedReplyIsDecoded)
{
    PageFetcher fetcher(networkSettings());
    const FetchResult result = fetchPage(fetcher, s_server->url("/gzip"));
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_NE(s_server->acceptEncoding().find("gzip"), std::string::npos);
    EXPECT_EQ(result.page, PageFetcher::CleanPage(QString::fromStdString(sampleHtml())));
}

TEST_F(PageFetcherTest, EveryOfferedCodingIsDecodedAndOthersFail)
{
    PageFetcher fetcher(networkSettings());
    const QString page = QString::fromStdString(sampleHtml());
    for (const char* path : {"/deflate", "/raw-deflate", "/deflate-gzip", "/gzip-members"}) {
        const FetchResult result = fetcher.get(s_server->url(path));
        ASSERT_TRUE(result.ok) << path << ": " << result.error.toStdString();
        EXPECT_EQ(result.page, page) << path;
    }
    // An empty body has nothing to decode.
    const FetchResult empty = fetcher.get(s_server->url("/gzip-empty"));
    EXPECT_TRUE(empty.ok) << empty.error.toStdString();
    EXPECT_TRUE(empty.page.isEmpty());
    // The coding of a redirect does not carry over to the page it leads to.
    EXPECT_EQ(fetcher.get(s_server->url("/redirect-gzip")).page, QStringLiteral("0123456789"));

    const FetchResult damaged = fetcher.get(s_server->url("/gzip-damaged"));
    EXPECT_FALSE(damaged.ok);
    EXPECT_EQ(damaged.error, QStringLiteral("Damaged gzip data in the reply"));
    const FetchResult unknown = fetcher.get(s_server->url("/brotli"));
    EXPECT_FALSE(unknown.ok);
    EXPECT_EQ(unknown.error, QStringLiteral("Unknown content encoding \"br\""));
}

TEST_F(PageFetcherTest, BodyIsUtf8OrElseLatin1)
{
    PageFetcher fetcher(networkSettings());
    EXPECT_EQ(fetcher.get(s_server->url("/utf8")).page, QStringLiteral("café and crème page"));
    EXPECT_EQ(fetcher.get(s_server->url("/latin1")).page, QStringLiteral("café and crème page"));
}

TEST_F(PageFetcherTest, EnvironmentProxyIsIgnoredWhenNoProxyIsSet)
{
    const QByteArray deadProxy = "http://127.0.0.1:" + QByteArray::number(unusedPort());
    const QByteArray oldLower = qgetenv("http_proxy");
    const QByteArray oldNoProxy = qgetenv("no_proxy");
    qputenv("http_proxy", deadProxy);
    qunsetenv("no_proxy");
    PageFetcher fetcher(networkSettings());
    const FetchResult result = fetchPage(fetcher, s_server->url("/ten"));
    oldLower.isNull() ? qunsetenv("http_proxy") : qputenv("http_proxy", oldLower);
    if (!oldNoProxy.isNull())
        qputenv("no_proxy", oldNoProxy);
    EXPECT_TRUE(result.ok) << result.error.toStdString();
}

// ---- Pacing and stopping

TEST(PageFetcherPacing, DelayRule)
{
    EXPECT_EQ(PageFetcher::pacingDelay(0, 0), 0);
    EXPECT_EQ(PageFetcher::pacingDelay(500, 500), 500);
    for (int i = 0; i < 200; ++i) {
        const int up = PageFetcher::pacingDelay(100, 300);
        EXPECT_GE(up, 100);
        EXPECT_LT(up, 300);
        const int down = PageFetcher::pacingDelay(300, 100); // between Delay and 2 * Delay - Delay2
        EXPECT_GE(down, 300);
        EXPECT_LT(down, 500);
    }
    EXPECT_EQ(PageFetcher::pacingDelay(-5, 0), 0);
}

TEST_F(PageFetcherTest, EqualDelaysWaitThatLong)
{
    PageFetcher fetcher(networkSettings());
    m_script.Delay = 200;
    m_script.Delay2 = 200;
    const auto start = Clock::now();
    const FetchResult result = fetchPage(fetcher, s_server->url("/ten"));
    EXPECT_TRUE(result.ok);
    EXPECT_GE(Clock::now() - start, 200ms);
}

TEST_F(PageFetcherTest, HookStopsASlowReply)
{
    PageFetcher fetcher(networkSettings());
    const auto start = Clock::now();
    int calls = 0;
    fetcher.setKeepGoing([&] {
        ++calls;
        return Clock::now() - start < 300ms;
    });
    m_counters.page = 1;
    const FetchResult result = fetcher.FetchResultPage(s_server->url("/slow"), m_script, m_counters);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.aborted);
    EXPECT_LT(Clock::now() - start, 5s); // the reply would take 10
    EXPECT_GT(calls, 3);
    EXPECT_EQ(m_counters.failures, 0);
    EXPECT_EQ(m_counters.page, 0);
}

TEST_F(PageFetcherTest, HookStopsThePacingWait)
{
    PageFetcher fetcher(networkSettings());
    m_script.Delay = 20000;
    m_script.Delay2 = 20000;
    const auto start = Clock::now();
    fetcher.setKeepGoing([&] { return Clock::now() - start < 100ms; });
    const FetchResult result = fetchPage(fetcher, s_server->url("/ten"));
    EXPECT_TRUE(result.aborted);
    EXPECT_LT(Clock::now() - start, 10s);
}

TEST_F(PageFetcherTest, AbortFromAnotherThread)
{
    PageFetcher fetcher(networkSettings());
    const auto start = Clock::now();
    std::thread stopper([&] {
        std::this_thread::sleep_for(200ms);
        fetcher.requestAbort();
    });
    const FetchResult result = fetchPage(fetcher, s_server->url("/slow"));
    stopper.join();
    EXPECT_TRUE(result.aborted);
    EXPECT_LT(Clock::now() - start, 5s);
    EXPECT_TRUE(fetchPage(fetcher, s_server->url("/ten")).aborted); // stays stopped
    fetcher.clearAbort();
    EXPECT_TRUE(fetchPage(fetcher, s_server->url("/ten")).ok);
}

// ---- CleanPage

TEST(CleanPage, ClosingTagInTheMiddleMovesToTheEnd)
{
    const QString page = QStringLiteral("<html><body>abc</body></html><p>trailing text here</p>");
    EXPECT_EQ(PageFetcher::CleanPage(page),
              QStringLiteral("<html><body>abc</body><p>trailing text </html>here</p>"));
}

TEST(CleanPage, ClosingTagNearTheEndStays)
{
    EXPECT_EQ(PageFetcher::CleanPage(QStringLiteral("<html>hello world</html>\r\n")),
              QStringLiteral("<html>hello world</html>"));
    // A tag followed by up to four more characters counts as the end of the page.
    EXPECT_EQ(PageFetcher::CleanPage(QStringLiteral("<html>hello world</html>0123")),
              QStringLiteral("<html>hello world</html>0123"));
}

TEST(CleanPage, MissingTagIsAdded)
{
    EXPECT_EQ(PageFetcher::CleanPage(QStringLiteral("<p>results here and more</p>")),
              QStringLiteral("<p>results here and </html>more</p>"));
}

TEST(CleanPage, EveryLowerCaseTagIsRemovedUpperCaseStays)
{
    EXPECT_EQ(PageFetcher::CleanPage(QStringLiteral("a</html>b</HTML>c</html>d and a long tail")),
              QStringLiteral("ab</HTML>cd and a l</html>ong tail"));
}

TEST(CleanPage, PercentCodesOfLinksAreDecoded)
{
    const QString page = QStringLiteral("http%3A%2F%2Fwww%2Eexample%2Ecom%2Fa%20b%2e%3a%2f%25</html>");
    EXPECT_EQ(PageFetcher::CleanPage(page),
              QStringLiteral("http://www.example.com/a%20b%2e%3a%2f%25</html>"));
}

TEST(CleanPage, TabsAndLineBreaksAreRemoved)
{
    const QString page = QStringLiteral("<li>\tone\r\n</li>\n<li>two</li>\r</html>\n");
    const QString cleaned = PageFetcher::CleanPage(page);
    EXPECT_EQ(cleaned, QStringLiteral("<li>one</li><li>two</li></html>"));
    EXPECT_FALSE(cleaned.contains(u'\n'));
}

// ---- Through a real proxy

class Tinyproxy
{
public:
    // Starts tinyproxy on a free loopback port; with a user name it demands
    // basic authentication.
    explicit Tinyproxy(const QString& user = {}, const QString& password = {})
    {
#ifdef TINYPROXY_PATH
        m_port = unusedPort();
        QString config = QStringLiteral("Port %1\nListen 127.0.0.1\nTimeout 30\nMaxClients 20\n"
                                        "Allow 127.0.0.1\nLogLevel Info\nLogFile \"%2\"\n")
                             .arg(m_port)
                             .arg(m_dir.filePath(QStringLiteral("tinyproxy.log")));
        if (!user.isEmpty())
            config += QStringLiteral("BasicAuth %1 %2\n").arg(user, password);
        QFile file(m_dir.filePath(QStringLiteral("tinyproxy.conf")));
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(config.toUtf8());
        file.close();
        m_process.setProgram(QStringLiteral(TINYPROXY_PATH));
        m_process.setArguments({QStringLiteral("-d"), QStringLiteral("-c"), file.fileName()});
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start();
        if (!m_process.waitForStarted(5000))
            return;
        const auto deadline = Clock::now() + 5s;
        while (Clock::now() < deadline && m_process.state() == QProcess::Running) {
            if (acceptsConnections(m_port)) {
                m_running = true;
                return;
            }
            std::this_thread::sleep_for(20ms);
        }
#endif
    }

    ~Tinyproxy()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(3000))
                m_process.kill();
            m_process.waitForFinished(3000);
        }
    }

    bool running() const { return m_running; }
    int port() const { return m_port; }
    QString output() { return QString::fromLocal8Bit(m_process.readAll()); }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    bool m_running = false;
};

SettingsRecord proxySettings(int port, const QString& user = {}, const QString& password = {})
{
    SettingsRecord settings = networkSettings();
    settings.ProxyAuth = true;
    settings.ProxyHost = QStringLiteral("127.0.0.1");
    settings.ProxyPort = port;
    settings.ProxyUsername = user;
    settings.ProxyPassword = password;
    return settings;
}

TEST_F(PageFetcherTest, FetchesThroughAProxy)
{
#ifndef TINYPROXY_PATH
    GTEST_SKIP() << "tinyproxy is not installed (tools/install-deps.sh installs it)";
#endif
    Tinyproxy proxy;
    ASSERT_TRUE(proxy.running()) << proxy.output().toStdString();

    PageFetcher viaProxy(proxySettings(proxy.port()));
    const FetchResult result = viaProxy.get(s_server->url("/echo"));
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_TRUE(result.page.contains(QStringLiteral("tinyproxy"))) << result.page.toStdString();

    // The same settings with ProxyAuth clear go direct.
    SettingsRecord direct = proxySettings(proxy.port());
    direct.ProxyAuth = false;
    PageFetcher fetcher(direct);
    const FetchResult directResult = fetcher.get(s_server->url("/echo"));
    ASSERT_TRUE(directResult.ok);
    EXPECT_TRUE(directResult.page.contains(QStringLiteral("|Via=|")));
}

TEST_F(PageFetcherTest, ProxyWithCredentials)
{
#ifndef TINYPROXY_PATH
    GTEST_SKIP() << "tinyproxy is not installed (tools/install-deps.sh installs it)";
#endif
    Tinyproxy proxy(QStringLiteral("corvane"), QStringLiteral("s3cret"));
    ASSERT_TRUE(proxy.running()) << proxy.output().toStdString();

    PageFetcher good(proxySettings(proxy.port(), QStringLiteral("corvane"), QStringLiteral("s3cret")));
    const FetchResult result = good.get(s_server->url("/echo"));
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_TRUE(result.page.contains(QStringLiteral("tinyproxy")));

    PageFetcher wrong(proxySettings(proxy.port(), QStringLiteral("corvane"), QStringLiteral("wrong")));
    const FetchResult refused = wrong.get(s_server->url("/echo"));
    EXPECT_FALSE(refused.ok);
    // tinyproxy answers a wrong password with 401 rather than 407.
    EXPECT_TRUE(refused.httpStatus == 401 || refused.httpStatus == 407) << refused.httpStatus;
    const QString reason = refused.httpStatus == 401 ? QStringLiteral("Unauthorized")
                                                     : QStringLiteral("Proxy Authentication Required");
    EXPECT_EQ(refused.error, QStringLiteral("HTTP %1 ").arg(refused.httpStatus) + reason);

    PageFetcher none(proxySettings(proxy.port()));
    EXPECT_FALSE(none.get(s_server->url("/ten")).ok);
}

} // namespace

// CleanPage works in two linear passes; it must give what the step-by-step
// rules give, whatever the mix of line breaks, tags and percent codes.
namespace {
QString cleanPageStepByStep(QString page)
{
    const QString tag = QStringLiteral("</html>");
    if (page.indexOf(tag, 0, Qt::CaseInsensitive) + 1 < page.size() - 10) {
        page.remove(tag, Qt::CaseSensitive);
        page.insert(std::max<qsizetype>(0, page.size() - 8), tag);
    }
    page.remove(u'\n');
    page.remove(u'\r');
    page.remove(u'\t');
    page.replace(QStringLiteral("%2E"), QStringLiteral("."));
    page.replace(QStringLiteral("%3A"), QStringLiteral(":"));
    page.replace(QStringLiteral("%2F"), QStringLiteral("/"));
    return page;
}
} // namespace

TEST(page_fetcher_clean, MatchesTheStepByStepRulesOnRandomText)
{
    const QStringList pieces = {
        QStringLiteral("%"),  QStringLiteral("2"),       QStringLiteral("3"),       QStringLiteral("E"),
        QStringLiteral("A"),  QStringLiteral("F"),       QStringLiteral("\n"),      QStringLiteral("\r"),
        QStringLiteral("\t"), QStringLiteral("</html>"), QStringLiteral("</HTML>"), QStringLiteral("</Html>"),
        QStringLiteral("<"),  QStringLiteral("/"),       QStringLiteral("x"),       QStringLiteral("%2E"),
        QStringLiteral("é")};
    QRandomGenerator random(42);
    for (int round = 0; round < 20000; ++round) {
        QString page;
        const int count = int(random.bounded(40));
        for (int i = 0; i < count; ++i)
            page += pieces.at(int(random.bounded(pieces.size())));
        ASSERT_EQ(PageFetcher::CleanPage(page), cleanPageStepByStep(page)) << qPrintable(page);
    }
    // Longer pages, mostly plain text, where whole runs of characters are
    // copied at once and the special ones fall anywhere in or across them.
    const QString plain = QStringLiteral("<p>abc d</p>");
    for (int round = 0; round < 2000; ++round) {
        QString page;
        const int count = int(random.bounded(300));
        for (int i = 0; i < count; ++i)
            page += random.bounded(4) == 0 ? pieces.at(int(random.bounded(pieces.size())))
                                           : plain.left(int(random.bounded(plain.size() + 1)));
        ASSERT_EQ(PageFetcher::CleanPage(page), cleanPageStepByStep(page)) << qPrintable(page);
    }
}
