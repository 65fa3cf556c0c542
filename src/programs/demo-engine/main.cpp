// demo-engine: the local demo search engine as a program of its own.
//   demo-engine [--port N] [--day D] [--fail MODE]
// It serves until it gets SIGINT or SIGTERM.

#include "core/demo/DemoEngine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <csignal>
#include <cstdio>

using namespace corvane;

int main(int argc, char* argv[])
{
    // Block the stop signals before any thread starts, so that only the
    // sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("demo-engine"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The local demo search engine. Serves deterministic result pages on 127.0.0.1.\n"
        "Styles (GET <path>?q=TERM with start=K, first=N or page=P):\n"
        "  /numbered/search    numbered <li class=\"result\" value=\"N\"> markers, offset paging\n"
        "  /unnumbered/search  <div class=\"g\"> markers, \"Next\" link paging\n"
        "  /tagfirst/search    <hr class=\"rs\"> between results, none before the first\n"
        "  /planb/search       <article class=\"res\" data-rank=\"N\"> markers, page paging\n"
        "  /search             the numbered style\n"
        "GET /control?day=N&fail=MODE&times=N&reset=1 changes a running server."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Port to listen on (0: a free one)."),
                                        QStringLiteral("N"), QStringLiteral("8765"));
    const QCommandLineOption dayOption(QStringLiteral("day"),
                                       QStringLiteral("Day the rankings are drawn for."), QStringLiteral("D"),
                                       QStringLiteral("0"));
    const QCommandLineOption failOption(
        QStringLiteral("fail"), QStringLiteral("Failure mode: none, 500, short, slow[:MS], nomarkers."),
        QStringLiteral("MODE"), QStringLiteral("none"));
    parser.addOptions({portOption, dayOption, failOption});
    parser.process(app);

    bool portOk = false;
    bool dayOk = false;
    const int port = parser.value(portOption).toInt(&portOk);
    const int day = parser.value(dayOption).toInt(&dayOk);
    DemoEngine::Failure failure = DemoEngine::Failure::None;
    int slowDelay = DemoEngine::DefaultSlowDelay;
    if (!portOk || port < 0 || port > 65535) {
        std::fprintf(stderr, "demo-engine: --port needs a number from 0 to 65535\n");
        return 2;
    }
    if (!dayOk) {
        std::fprintf(stderr, "demo-engine: --day needs a whole number\n");
        return 2;
    }
    if (!DemoEngine::parseFailure(parser.value(failOption), &failure, &slowDelay)) {
        std::fprintf(stderr, "demo-engine: unknown --fail mode %s\n", qPrintable(parser.value(failOption)));
        return 2;
    }

    DemoEngine engine;
    engine.setDay(day);
    engine.setSlowDelay(slowDelay);
    engine.setFailure(failure);
    if (!engine.start(port)) {
        std::fprintf(stderr, "demo-engine: %s\n", qPrintable(engine.error()));
        return 1;
    }
    std::printf("demo-engine: listening on %s (day %d)\n", qPrintable(engine.baseUrl()), day);
    std::fflush(stdout);

    int received = 0;
    sigwait(&stopSignals, &received);
    engine.stop();
    return 0;
}
