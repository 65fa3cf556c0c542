#include "core/harvest/HarvestCommandLine.h"

#include <QRegularExpression>

namespace corvane {

QString HarvestCommandLine::usage()
{
    return QStringLiteral(
        "Usage: Harvester [\"Project\" ...] [--all] [--date yyyy-mm-dd]\n"
        "Mines the search engines of Corvane projects and stores every rank it finds.\n"
        "Without arguments it opens its window. With project names (each may stand in double\n"
        "quotes) or --all it runs without a window, as scheduled tasks start it.\n"
        "  --all               mine every project\n"
        "  --date yyyy-mm-dd   record the sessions under that day instead of today\n"
        "  --help              show this text\n"
        "  --version           show the version\n"
        "Exit status: 0 when done, 1 when there is nothing to do or the arguments are bad,\n"
        "2 when a session failed after its retries.\n");
}

HarvestCommandLine HarvestCommandLine::parse(const QStringList& arguments)
{
    HarvestCommandLine line;
    static const QRegularExpression separators(QStringLiteral("[\\s\"]+"));
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            line.help = true;
        } else if (argument == QLatin1String("--version") || argument == QLatin1String("-v")) {
            line.version = true;
        } else if (argument == QLatin1String("--all")) {
            line.request.all = true;
        } else if (argument == QLatin1String("--date") || argument.startsWith(QLatin1String("--date="))) {
            QString text;
            if (argument.contains(QLatin1Char('=')))
                text = argument.section(QLatin1Char('='), 1);
            else if (i + 1 < arguments.size())
                text = arguments.at(++i);
            line.request.date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
            if (!line.request.date.isValid()) {
                line.error = QStringLiteral("--date needs a day written yyyy-mm-dd, not \"%1\"").arg(text);
                return line;
            }
        } else if (argument.startsWith(QLatin1Char('-'))) {
            line.error = QStringLiteral("Unknown option %1").arg(argument);
            return line;
        } else {
            // Project names never hold blanks, so one argument may carry several.
            for (const QString& name : argument.split(separators, Qt::SkipEmptyParts)) {
                if (!line.request.projects.contains(name))
                    line.request.projects << name;
            }
        }
    }
    if (line.request.all && !line.request.projects.isEmpty())
        line.error = QStringLiteral("Give project names or --all, not both");
    else if (line.request.date.isValid() && !line.headless())
        line.error = QStringLiteral("--date needs project names or --all");
    return line;
}

} // namespace corvane
