#include "core/harvest/HarvestCommandLine.h"

#include <QRegularExpression>

namespace corvane {

QString HarvestCommandLine::usage()
{
    return QStringLiteral(
               "Usage: Harvester [\"Project\" ...] [--project NAME ...] [--all] [--date yyyy-mm-dd]\n"
               "Mines the search engines of Corvane projects and stores every rank it finds.\n"
               "Without arguments it opens its window. With project names or --all it runs without a\n"
               "window, as scheduled tasks start it.\n"
               "Each argument is one project name, blanks included: quote it for the shell, as in\n"
               "  Harvester \"My Project\"      or      Harvester 'Say \"hi\"'\n"
               "One argument may also list names each in double quotes: '\"Alpha\" \"Beta\"'. A name that\n"
               "begins with \"-\", or begins and ends with a double quote, is given with --project, which\n"
               "takes the name exactly as it stands.\n"
               "  --project NAME      mine the project of exactly this name\n"
               "  --all               mine every project\n"
               "  --date yyyy-mm-dd   record the sessions under that day instead of today; the day may\n"
               "                      lie up to %1 years back and no later than tomorrow\n"
               "  --help              show this text\n"
               "  --version           show the version\n"
               "Exit status: 0 when done, 1 when there is nothing to do or the arguments are bad (a blank\n"
               "or unknown project name included), 2 when a session failed after its retries.\n")
        .arg(DateYearsBack);
}

HarvestCommandLine HarvestCommandLine::parse(const QStringList& arguments, const QDate& today)
{
    HarvestCommandLine line;
    // The form scheduled tasks write: names each in double quotes, in one argument.
    static const QRegularExpression quotedList(QStringLiteral("^\\s*\"[^\"]*\"(\\s+\"[^\"]*\")*\\s*$"));
    static const QRegularExpression quotedName(QStringLiteral("\"([^\"]*)\""));
    const auto addProject = [&line](const QString& name) {
        if (name.trimmed().isEmpty()) {
            line.error =
                QStringLiteral("A blank project name was given (is a variable in the command empty?)");
            return false;
        }
        if (!line.request.projects.contains(name))
            line.request.projects << name;
        return true;
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            line.help = true;
        } else if (argument == QLatin1String("--version") || argument == QLatin1String("-v")) {
            line.version = true;
        } else if (argument == QLatin1String("--all")) {
            line.request.all = true;
        } else if (argument == QLatin1String("--project")
                   || argument.startsWith(QLatin1String("--project="))) {
            QString name;
            if (argument.contains(QLatin1Char('=')))
                name = argument.section(QLatin1Char('='), 1);
            else if (i + 1 < arguments.size())
                name = arguments.at(++i);
            if (!addProject(name))
                return line;
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
            const QDate earliest = today.addYears(-DateYearsBack);
            const QDate latest = today.addDays(1);
            if (line.request.date < earliest || line.request.date > latest) {
                line.error = QStringLiteral("--date %1 lies outside %2 to %3")
                                 .arg(text, earliest.toString(Qt::ISODate), latest.toString(Qt::ISODate));
                return line;
            }
        } else if (argument.startsWith(QLatin1Char('-'))) {
            line.error = QStringLiteral("Unknown option %1").arg(argument);
            return line;
        } else if (argument.contains(quotedList)) {
            for (auto it = quotedName.globalMatch(argument); it.hasNext();) {
                if (!addProject(it.next().captured(1)))
                    return line;
            }
        } else if (!addProject(argument)) {
            return line;
        }
    }
    if (line.request.all && !line.request.projects.isEmpty())
        line.error = QStringLiteral("Give project names or --all, not both");
    else if (line.request.date.isValid() && !line.headless())
        line.error = QStringLiteral("--date needs project names or --all");
    return line;
}

} // namespace corvane
