#pragma once

#include "core/demo/DemoPages.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace corvane {

// The local demo search engine: an HTTP server on 127.0.0.1 that answers
// GET <style path>?q=TERM with deterministic result pages (see DemoPages.h).
// The position of the first result is given as start= (0-based offset),
// first= (1-based number of the first result) or page= (1-based page of ten).
//
// Other paths: "/" (the list of styles), "/search" (the numbered style) and
// "/control" for a server run as its own process: day=N sets the day,
// fail=MODE[&times=N] sets a failure mode, reset=1 clears the counters; it
// answers with the current state. Control requests are not counted.
class DemoEngine
{
public:
    enum class Failure {
        None,
        ServerError, // HTTP 500 with a short error page
        ShortBody,   // HTTP 200 with a 9-byte body
        Slow,        // the normal page after slowDelay() milliseconds
        NoMarkers    // a page of normal size without any result marker
    };

    static constexpr int DefaultSlowDelay = 2000;

    // The programming-interface style: GET ApiSearchPath?key=&q=&start= answers
    // JSON, one result a line ({"rank":N,"url":"..."}), ten a page from the
    // 0-based start; without the right key it answers HTTP 403.
    static constexpr const char* ApiSearchPath = "/api/search";
    static constexpr const char* ApiKey = "corvane-demo-key";
    static QByteArray apiResults(const QString& term, int day, int offset);

    DemoEngine();
    ~DemoEngine();
    DemoEngine(const DemoEngine&) = delete;
    DemoEngine& operator=(const DemoEngine&) = delete;

    // Listens on 127.0.0.1; port 0 picks a free port. False with error() set
    // when the port cannot be bound.
    bool start(int port = 0);
    void stop(); // also cuts short a slow reply in progress
    bool isRunning() const;
    int port() const;        // 0 when not running
    QString baseUrl() const; // "http://127.0.0.1:PORT"
    const QString& error() const { return m_error; }

    // The day the rankings are drawn for; may change while the server runs.
    void setDay(int day);
    int day() const;

    // Every search request fails in this way from now on, or only the next
    // `times` ones when times > 0. Failure::None ends a failure mode.
    void setFailure(Failure mode, int times = -1);
    Failure failure() const;
    void setSlowDelay(int milliseconds);
    int slowDelay() const;
    // Reads "none", "500", "short", "slow", "slow:MS" or "nomarkers".
    static bool parseFailure(const QString& text, Failure* mode, int* slowDelayMs);

    // Requests answered (failed ones included), in all and per path, for
    // example "/numbered/search".
    int requestCount() const;
    int requestCount(const QString& path) const;
    void resetCounts();
    // The raw request targets (path and query exactly as received) of the
    // latest search requests, oldest first; resetCounts() clears them.
    QStringList searchTargets() const;

    // The server's own order of results for a term and a day on the engine
    // of a style: decoded absolute URLs, best first (DemoCorpus::ranking).
    // Without a style, the numbered engine's order (also the programming
    // interface's).
    static QList<QString> ranking(const QString& term, int day, DemoStyle style);
    static QList<QString> ranking(const QString& term, int day);
    // The page the server answers for a style, term, day and 0-based offset
    // when no failure mode is set.
    static QByteArray page(DemoStyle style, const QString& term, int day, int offset);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    QString m_error;
};

} // namespace corvane
