// cvcheck: a rank check from the command line. For one term and one or more
// URLs it asks the engines of the profile's engine scripts and prints one
// tab-separated line per hit.
#include "core/datamodule/DM1.h"
#include "core/livecheck/RankCheckRun.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <csignal>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

} // namespace

int main(int argc, char** argv)
{
    using namespace corvane;

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("cvcheck"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Checks where URLs rank for a search term on the engines of the Corvane profile and prints\n"
        "one tab-separated line per hit: engine, rank, page, request URL, found link.\n"
        "Exit status: 0 with hits, 1 without hits, 2 on bad arguments or when every engine failed."));
    parser.addHelpOption();
    const QCommandLineOption termOption(QStringLiteral("term"), QStringLiteral("The search term."),
                                        QStringLiteral("T"));
    const QCommandLineOption urlOption(QStringLiteral("url"),
                                       QStringLiteral("A URL (or part of one) to look for; may be repeated."),
                                       QStringLiteral("U"));
    const QCommandLineOption engineOption(
        QStringLiteral("engine"),
        QStringLiteral("An engine script to ask; may be repeated (default: all active)."),
        QStringLiteral("NAME"));
    const QCommandLineOption depthOption(QStringLiteral("depth"),
                                         QStringLiteral("How many results to read per engine (default 50)."),
                                         QStringLiteral("N"), QStringLiteral("50"));
    const QCommandLineOption anyMatchOption(QStringLiteral("any-match"),
                                            QStringLiteral("Also match links to pages below the URL."));
    parser.addOptions({termOption, urlOption, engineOption, depthOption, anyMatchOption});

    if (!parser.parse(app.arguments())) {
        err << "cvcheck: " << parser.errorText() << "\n";
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    bool depthOk = false;
    const int depth = parser.value(depthOption).toInt(&depthOk);
    const QString term = parser.value(termOption).trimmed();
    const QStringList urls = parser.values(urlOption);
    if (term.isEmpty() || urls.isEmpty() || !depthOk || depth < 1 || depth > 9999
        || !parser.positionalArguments().isEmpty()) {
        err << "cvcheck: give --term and at least one --url, and a --depth from 1 to 9999 (see --help)\n";
        return 2;
    }

    std::signal(SIGINT, [](int) { g_interrupted = 1; });
    std::signal(SIGTERM, [](int) { g_interrupted = 1; });

    try {
        TDM1 dm;
        DM1 = &dm;
        dm.LoadSettings();
        dm.OpenDatabases();
        const RankCheckRequest request{term, urls, parser.values(engineOption), depth,
                                       parser.isSet(anyMatchOption)};
        return int(runRankCheck(dm, request, out, err, [] { return g_interrupted == 0; }));
    } catch (const DatabaseError& e) {
        err << "cvcheck: " << e.message() << "\n";
        return 2;
    }
}
