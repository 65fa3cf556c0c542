// cvcheck: a rank check from the command line. For one term and one or more
// URLs it asks the engines of the profile's engine scripts and prints one
// tab-separated line per hit.
#include "core/datamodule/DM1.h"
#include "core/livecheck/RankCheckRun.h"
#include "core/settings/ProfileSetup.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QTextStream>

#include <csignal>

namespace {

using namespace corvane;

volatile std::sig_atomic_t g_interrupted = 0;

// What is wrong with the arguments, as the sentence to print; empty when they
// can be used.
QString argumentFault(const QCommandLineParser& parser, const QCommandLineOption& termOption,
                      const QCommandLineOption& urlOption, const QCommandLineOption& depthOption)
{
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("unexpected argument \"%1\": every value follows its option (see --help)")
            .arg(parser.positionalArguments().first());
    const QStringList terms = parser.values(termOption);
    if (terms.size() > 1)
        return QStringLiteral("--term is given %1 times; check one term at a time").arg(terms.size());
    if (terms.isEmpty() || terms.first().trimmed().isEmpty())
        return QStringLiteral("give the search term with --term");
    const QStringList urls = parser.values(urlOption);
    if (urls.isEmpty())
        return QStringLiteral("give at least one --url to look for");
    static const QRegularExpression letterOrDigit(QStringLiteral("[\\p{L}\\p{N}]"));
    for (const QString& url : urls) {
        if (url.trimmed().isEmpty())
            return QStringLiteral("--url \"%1\" is empty").arg(url);
        if (!url.contains(letterOrDigit))
            return QStringLiteral("--url \"%1\" names no address: it holds no letter or digit").arg(url);
    }
    bool depthOk = false;
    const int depth = parser.value(depthOption).toInt(&depthOk);
    if (!depthOk || depth < 1 || depth > 9999)
        return QStringLiteral("--depth must be a whole number from 1 to 9999, not \"%1\"")
            .arg(parser.value(depthOption));
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("cvcheck"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Checks where URLs rank for a search term on the engines of the Corvane profile and prints\n"
        "one tab-separated line per hit: engine, rank, page, request URL, found link. A backslash, tab,\n"
        "line feed or carriage return inside a field is written as \\\\, \\t, \\n or \\r.\n"
        "Without a hit it says so on stderr.\n"
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

    if (const auto first = ProfileSetup::createOnFirstStart(); !first.error.isEmpty())
        err << "cvcheck: " << first.error << "\n";
    if (const QString fault = argumentFault(parser, termOption, urlOption, depthOption); !fault.isEmpty()) {
        err << "cvcheck: " << fault << "\n";
        return 2;
    }
    const int depth = parser.value(depthOption).toInt();
    const QString term = parser.value(termOption).trimmed();
    const QStringList urls = parser.values(urlOption);

    std::signal(SIGINT, [](int) { g_interrupted = 1; });
    std::signal(SIGTERM, [](int) { g_interrupted = 1; });

    try {
        TDM1 dm;
        DM1 = &dm;
        dm.LoadSettings();
        // A rank check only reads the engine scripts.
        dm.General.setReadOnly(true);
        dm.SE3.setReadOnly(true);
        dm.OpenDatabases();
        const RankCheckRequest request{term, urls, parser.values(engineOption), depth,
                                       parser.isSet(anyMatchOption)};
        return int(runRankCheck(dm, request, out, err, [] { return g_interrupted == 0; }));
    } catch (const DatabaseError& e) {
        err << "cvcheck: " << e.message() << "\n";
        return 2;
    }
}
