#include "core/demo/DemoEngine.h"

#include "core/demo/DemoPageCache.h"
#include "core/demo/DemoProxy.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <httplib.h>
#include <map>
#include <mutex>
#include <thread>

namespace corvane {

namespace {

constexpr const char* Host = "127.0.0.1";
constexpr const char* HtmlType = "text/html; charset=utf-8";

int intParam(const httplib::Request& req, const char* name, bool* present)
{
    *present = req.has_param(name);
    if (!*present)
        return 0;
    bool ok = false;
    const int value = QString::fromStdString(req.get_param_value(name)).toInt(&ok);
    return ok ? value : 0;
}

// The 0-based offset of the first result a request asks for.
int requestedOffset(const httplib::Request& req)
{
    bool present = false;
    const int start = intParam(req, "start", &present);
    if (present)
        return std::max(0, start);
    const int first = intParam(req, "first", &present);
    if (present)
        return std::max(0, first - 1);
    const int page = intParam(req, "page", &present);
    if (present)
        return std::max(0, page - 1) * DemoCorpus::PageLength;
    return 0;
}

const char* failureName(DemoEngine::Failure mode)
{
    switch (mode) {
    case DemoEngine::Failure::None: return "none";
    case DemoEngine::Failure::ServerError: return "500";
    case DemoEngine::Failure::ShortBody: return "short";
    case DemoEngine::Failure::Slow: return "slow";
    case DemoEngine::Failure::NoMarkers: return "nomarkers";
    }
    return "none";
}

} // namespace

struct DemoEngine::Impl
{
    std::unique_ptr<httplib::Server> server;
    std::thread thread;
    std::atomic<int> port{0};
    std::atomic<int> day{0};
    std::atomic<bool> listenEnded{false};

    mutable std::mutex mutex;     // guards everything below
    std::condition_variable wake; // ends slow replies on stop
    bool stopping = false;
    Failure failure = Failure::None;
    int failuresLeft = -1; // < 0: until cleared
    int slowDelay = DefaultSlowDelay;
    int total = 0;
    std::map<std::string, int> perPath;
    static constexpr std::size_t MaxTargets = 1000;
    std::deque<std::string> targets;
    DemoPageCache pages;

    // The page's body, compressed by the cache when the client takes gzip.
    // httplib compresses a body itself after every handler, so a compressed
    // one is handed over through a content provider of known length, which
    // it sends as it is. Brotli (which httplib prefers whenever the client
    // names it) and byte ranges (cut from the uncompressed page) are left to
    // httplib.
    void sendPage(DemoStyle style, const std::string& term, int offset, const httplib::Request& req,
                  httplib::Response& res)
    {
        const std::string accepted = req.get_header_value("Accept-Encoding");
        const bool gzip = accepted.find("gzip") != std::string::npos
            && accepted.find("br") == std::string::npos && !req.has_header("Range");
        if (!gzip) {
            res.set_content(*pages.resultPage(style, term, day, offset, DemoPageCache::Encoding::Identity),
                            HtmlType);
            return;
        }
        const DemoPageCache::Body body =
            pages.resultPage(style, term, day, offset, DemoPageCache::Encoding::Gzip);
        res.set_header("Content-Encoding", "gzip");
        res.set_content_provider(body->size(), HtmlType,
                                 [body](std::size_t at, std::size_t length, httplib::DataSink& sink) {
                                     return sink.write(body->data() + at, length);
                                 });
    }

    void count(const std::string& path)
    {
        std::lock_guard lock(mutex);
        ++total;
        ++perPath[path];
    }

    // The failure for this request; uses one up when only a number is left.
    Failure takeFailure(int* delay)
    {
        std::lock_guard lock(mutex);
        *delay = slowDelay;
        const Failure mode = failure;
        if (mode != Failure::None && failuresLeft > 0 && --failuresLeft == 0)
            failure = Failure::None;
        return mode;
    }

    // False when the server stops during the wait.
    bool sleep(int milliseconds)
    {
        std::unique_lock lock(mutex);
        return !wake.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return stopping; });
    }

    void search(DemoStyle style, const httplib::Request& req, httplib::Response& res)
    {
        count(req.path);
        {
            std::lock_guard lock(mutex);
            if (targets.size() == MaxTargets)
                targets.pop_front();
            targets.push_back(req.target);
        }
        int delay = 0;
        const Failure mode = takeFailure(&delay);
        const QString term = QString::fromStdString(req.get_param_value("q"));
        switch (mode) {
        case Failure::ServerError:
            res.status = 500;
            res.set_content("<html><body><h1>500 Internal Server Error</h1></body></html>\n", HtmlType);
            return;
        case Failure::ShortBody: res.set_content("no result", HtmlType); return;
        case Failure::NoMarkers:
            res.set_content(DemoPages::pageWithoutMarkers(style, term, day).toStdString(), HtmlType);
            return;
        case Failure::Slow:
            if (!sleep(delay)) {
                res.status = 503;
                res.set_content("<html><body>Shutting down</body></html>\n", HtmlType);
                return;
            }
            break;
        case Failure::None: break;
        }
        sendPage(style, req.get_param_value("q"), requestedOffset(req), req, res);
    }

    std::string state() const
    {
        std::lock_guard lock(mutex);
        std::string s = "day=" + std::to_string(day.load()) + "\nfail=" + failureName(failure)
            + "\ntimes=" + std::to_string(failuresLeft) + "\nslow=" + std::to_string(slowDelay)
            + "\nrequests=" + std::to_string(total) + "\n";
        for (const auto& [path, n] : perPath)
            s += "requests " + path + "=" + std::to_string(n) + "\n";
        return s;
    }
};

DemoEngine::DemoEngine()
    : d(std::make_unique<Impl>())
{
}

DemoEngine::~DemoEngine() { stop(); }

bool DemoEngine::start(int port)
{
    stop();
    m_error.clear();
    {
        std::lock_guard lock(d->mutex);
        d->stopping = false;
    }
    auto server = std::make_unique<httplib::Server>();
    server->set_keep_alive_timeout(1);
    // Address reuse for quick restarts, but no shared ports: a second server
    // on a busy port must fail rather than take half of its requests.
    server->set_socket_options([](int socket) {
        int yes = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    Impl* impl = d.get();
    // Requests that name a whole address come from clients using the engine
    // as their HTTP proxy (DemoProxy.h).
    server->set_pre_routing_handler([impl](const httplib::Request& req, httplib::Response& res) {
        if (!DemoProxy::answer(req, res, impl->port))
            return httplib::Server::HandlerResponse::Unhandled;
        impl->count("/proxy");
        return httplib::Server::HandlerResponse::Handled;
    });

    for (const DemoStyle style : demoStyles()) {
        server->Get(demoSearchPath(style).toStdString(),
                    [impl, style](const httplib::Request& req, httplib::Response& res) {
                        impl->search(style, req, res);
                    });
    }
    server->Get(ApiSearchPath, [impl](const httplib::Request& req, httplib::Response& res) {
        impl->count(req.path);
        {
            std::lock_guard lock(impl->mutex);
            if (impl->targets.size() == Impl::MaxTargets)
                impl->targets.pop_front();
            impl->targets.push_back(req.target);
        }
        if (req.get_param_value("key") != ApiKey) {
            res.status = 403;
            res.set_content("{\"error\":\"A valid key is required.\"}\n", "application/json");
            return;
        }
        bool ok = false;
        const int start = QString::fromStdString(req.get_param_value("start")).toInt(&ok);
        res.set_content(
            apiResults(QString::fromStdString(req.get_param_value("q")), impl->day, ok ? start : 0)
                .toStdString(),
            "application/json");
    });
    server->Get("/search", [impl](const httplib::Request& req, httplib::Response& res) {
        impl->search(DemoStyle::Numbered, req, res);
    });
    server->Get("/", [impl](const httplib::Request& req, httplib::Response& res) {
        impl->count(req.path);
        res.set_content(DemoPages::homePage().toStdString(), HtmlType);
    });
    server->Get("/add", [impl](const httplib::Request& req, httplib::Response& res) {
        impl->count(req.path);
        res.set_content("<html><head><title>Add a site</title></head><body><h1>Add a site</h1>"
                        "<p>The demo engine knows a fixed set of sites and takes no new ones.</p>"
                        "</body></html>\n",
                        HtmlType);
    });
    server->Get("/control", [this, impl](const httplib::Request& req, httplib::Response& res) {
        if (req.has_param("day"))
            setDay(QString::fromStdString(req.get_param_value("day")).toInt());
        if (req.has_param("fail")) {
            Failure mode = Failure::None;
            int delay = slowDelay();
            if (!parseFailure(QString::fromStdString(req.get_param_value("fail")), &mode, &delay)) {
                res.status = 400;
                res.set_content("unknown failure mode\n", "text/plain");
                return;
            }
            const int times =
                req.has_param("times") ? QString::fromStdString(req.get_param_value("times")).toInt() : -1;
            setSlowDelay(delay);
            setFailure(mode, times);
        }
        if (req.has_param("reset"))
            resetCounts();
        res.set_content(impl->state(), "text/plain");
    });

    const int bound =
        port == 0 ? server->bind_to_any_port(Host) : (server->bind_to_port(Host, port) ? port : -1);
    if (bound <= 0) {
        m_error = QStringLiteral("Cannot listen on %1:%2.").arg(QLatin1String(Host)).arg(port);
        return false;
    }
    d->port = bound;
    d->server = std::move(server);
    httplib::Server* raw = d->server.get();
    d->listenEnded = false;
    d->thread = std::thread([raw, impl] {
        raw->listen_after_bind();
        impl->listenEnded = true;
    });
    // A stop() that comes before the accept loop runs would be lost, so the
    // server counts as started only once that loop is up.
    while (!raw->is_running() && !d->listenEnded)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void DemoEngine::stop()
{
    if (!d->server)
        return;
    {
        std::lock_guard lock(d->mutex);
        d->stopping = true;
    }
    d->wake.notify_all();
    d->server->stop();
    if (d->thread.joinable())
        d->thread.join();
    d->server.reset();
    d->port = 0;
}

bool DemoEngine::isRunning() const { return d->server != nullptr; }

int DemoEngine::port() const { return d->port; }

QString DemoEngine::baseUrl() const
{
    return QStringLiteral("http://%1:%2").arg(QLatin1String(Host)).arg(port());
}

void DemoEngine::setDay(int day) { d->day = day; }

int DemoEngine::day() const { return d->day; }

void DemoEngine::setFailure(Failure mode, int times)
{
    std::lock_guard lock(d->mutex);
    d->failure = times == 0 ? Failure::None : mode;
    d->failuresLeft = times;
}

DemoEngine::Failure DemoEngine::failure() const
{
    std::lock_guard lock(d->mutex);
    return d->failure;
}

void DemoEngine::setSlowDelay(int milliseconds)
{
    std::lock_guard lock(d->mutex);
    d->slowDelay = std::max(0, milliseconds);
}

int DemoEngine::slowDelay() const
{
    std::lock_guard lock(d->mutex);
    return d->slowDelay;
}

bool DemoEngine::parseFailure(const QString& text, Failure* mode, int* slowDelayMs)
{
    const QString name = text.section(QLatin1Char(':'), 0, 0).trimmed().toLower();
    const QString argument = text.section(QLatin1Char(':'), 1);
    if (name == QLatin1String("slow")) {
        if (!argument.isEmpty()) {
            bool ok = false;
            const int ms = argument.toInt(&ok);
            if (!ok || ms < 0)
                return false;
            *slowDelayMs = ms;
        }
        *mode = Failure::Slow;
        return true;
    }
    if (!argument.isEmpty())
        return false;
    if (name == QLatin1String("none"))
        *mode = Failure::None;
    else if (name == QLatin1String("500"))
        *mode = Failure::ServerError;
    else if (name == QLatin1String("short"))
        *mode = Failure::ShortBody;
    else if (name == QLatin1String("nomarkers"))
        *mode = Failure::NoMarkers;
    else
        return false;
    return true;
}

int DemoEngine::requestCount() const
{
    std::lock_guard lock(d->mutex);
    return d->total;
}

int DemoEngine::requestCount(const QString& path) const
{
    std::lock_guard lock(d->mutex);
    const auto it = d->perPath.find(path.toStdString());
    return it == d->perPath.end() ? 0 : it->second;
}

void DemoEngine::resetCounts()
{
    std::lock_guard lock(d->mutex);
    d->total = 0;
    d->perPath.clear();
    d->targets.clear();
}

QStringList DemoEngine::searchTargets() const
{
    std::lock_guard lock(d->mutex);
    QStringList list;
    for (const std::string& target : d->targets)
        list << QString::fromLatin1(target.data(), qsizetype(target.size()));
    return list;
}

QList<QString> DemoEngine::ranking(const QString& term, int day) { return DemoCorpus::ranking(term, day); }

QList<QString> DemoEngine::ranking(const QString& term, int day, DemoStyle style)
{
    return DemoCorpus::ranking(term, day, style);
}

QByteArray DemoEngine::page(DemoStyle style, const QString& term, int day, int offset)
{
    return DemoPages::resultPage(style, term, day, offset);
}

QByteArray DemoEngine::apiResults(const QString& term, int day, int offset)
{
    const auto json = [](const QString& text) -> QByteArray {
        QByteArray out = "\"";
        for (const QChar c : text) {
            if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
                out += QByteArray(1, '\\') + QString(c).toUtf8();
            else if (c.unicode() < 0x20)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUtf8();
            else
                out += QString(c).toUtf8();
        }
        out += '"';
        return out;
    };
    const QList<QString> ranking = DemoCorpus::ranking(term, day);
    QByteArray out = "{\"query\":" + json(term) + ",\"start\":" + QByteArray::number(std::max(offset, 0))
        + ",\"results\":[\n";
    for (int i = std::max(offset, 0);
         i < std::min<qsizetype>(offset + DemoCorpus::PageLength, ranking.size()); ++i)
        out += "{\"rank\":" + QByteArray::number(i + 1) + ",\"url\":" + json(ranking.at(i)) + "},\n";
    out += "]}\n";
    return out;
}

} // namespace corvane
