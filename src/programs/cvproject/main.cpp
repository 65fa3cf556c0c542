// cvproject: the projects of the Corvane profile from the command line, for
// scripts and cron. Lists print one item a line, fields separated by tabs;
// renames and deletions run the same cascades as the project wizard and print
// its status texts.
#include "core/data/DatabaseError.h"
#include "core/datamodule/DM1.h"
#include "core/outside/GuardedTool.h"
#include "core/platform/MutexNames.h"
#include "core/platform/NamedMutex.h"
#include "core/platform/TabFields.h"
#include "core/projects/ProjectCascade.h"
#include "core/projects/ProjectRules.h"
#include "core/projects/ProjectStore.h"
#include "core/settings/ProfileSetup.h"
#include "core/settings/Settings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QTextStream>

#include <memory>
#include <stdexcept>

namespace {

using namespace corvane;

const char* const Usage =
    R"(Commands (PROJECT, NAME, TERM, ENGINE are single arguments; quote them for the shell):
Listed names are written with a backslash, tab, line feed or carriage return inside
them as \\, \t, \n or \r, so each line keeps its tab-separated fields.
  list                                  projects: name, depth, key URL, full URL data, bypass on hits
  urls PROJECT                          URLs: name, address, any match
  terms PROJECT                         search terms
  engines PROJECT                       search engines
  create PROJECT [--depth N] [--bypass-on-hits] [--no-full-url-data]
                 [--url NAME=ADDRESS ...] [--key-url NAME] [--term TERM ...] [--engine ENGINE ...]
  set PROJECT [--depth N] [--bypass-on-hits|--no-bypass-on-hits] [--full-url-data|--no-full-url-data]
              [--key-url NAME]
  add-url PROJECT NAME ADDRESS [--any-match]
  add-term PROJECT TERM
  add-engine PROJECT ENGINE
  remove-url PROJECT NAME               also every result of the URL
  remove-term PROJECT TERM              also every result of the term
  remove-engine PROJECT ENGINE          also every result of the engine
  rename PROJECT NEW-NAME               the project and all of its data
  rename-url PROJECT NAME NEW-NAME      results kept under the new name
  rename-term PROJECT TERM NEW-TERM     the results of the old text are deleted
  delete PROJECT                        the project and all of its data
Exit status: 0 done, 1 refused (the reason on stderr), 2 a table error.)";

QString plain(const QString& html)
{
    QString text = html;
    text.replace(QRegularExpression(QStringLiteral("<BR>"), QRegularExpression::CaseInsensitiveOption),
                 QStringLiteral(" "));
    text.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    // the entities toHtmlEscaped() writes, "&amp;" last
    text.replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&#39;"), QLatin1String("'"))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text.trimmed();
}

// Engines that can be asked through their programming interface use it when the key is enabled.
bool apiEnabled(TDM1& dm)
{
    return dm.registry().readString(SettingsKeys::path(QStringLiteral("Network")),
                                    QStringLiteral("GoogleKeyEnabled"))
        == QLatin1String("true");
}

using TabFields::field;

QString yesNo(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("cvproject"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Sets up the projects of the Corvane profile.\n")
                                     + QLatin1String(Usage));
    parser.addHelpOption();
    const QCommandLineOption depth(QStringLiteral("depth"), QStringLiteral("Search Depth, 1 to 9999."),
                                   QStringLiteral("N"));
    const QCommandLineOption bypass(QStringLiteral("bypass-on-hits"), QStringLiteral("Bypass on Hits."));
    const QCommandLineOption noBypass(QStringLiteral("no-bypass-on-hits"),
                                      QStringLiteral("No Bypass on Hits."));
    const QCommandLineOption fullUrl(QStringLiteral("full-url-data"), QStringLiteral("Full URL Data."));
    const QCommandLineOption noFullUrl(QStringLiteral("no-full-url-data"),
                                       QStringLiteral("No Full URL Data."));
    const QCommandLineOption url(QStringLiteral("url"),
                                 QStringLiteral("A URL as NAME=ADDRESS; may be repeated."),
                                 QStringLiteral("NAME=ADDRESS"));
    const QCommandLineOption keyUrl(QStringLiteral("key-url"), QStringLiteral("The name of the key URL."),
                                    QStringLiteral("NAME"));
    const QCommandLineOption term(QStringLiteral("term"), QStringLiteral("A search term; may be repeated."),
                                  QStringLiteral("TERM"));
    const QCommandLineOption engine(QStringLiteral("engine"),
                                    QStringLiteral("A search engine; may be repeated."),
                                    QStringLiteral("ENGINE"));
    const QCommandLineOption anyMatch(QStringLiteral("any-match"), QStringLiteral("Any Match for the URL."));
    parser.addOptions({depth, bypass, noBypass, fullUrl, noFullUrl, url, keyUrl, term, engine, anyMatch});
    if (!parser.parse(app.arguments())) {
        err << "cvproject: " << parser.errorText() << "\n";
        return 1;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);

    if (const auto first = ProfileSetup::createOnFirstStart(); !first.error.isEmpty())
        err << "cvproject: " << first.error << "\n";

    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    struct Shape
    {
        const char* name;
        int arguments;
        bool changes;
    };
    static const Shape shapes[] = {
        {"list", 0, false},      {"urls", 1, false},       {"terms", 1, false},
        {"engines", 1, false},   {"create", 1, true},      {"set", 1, true},
        {"add-url", 3, true},    {"add-term", 2, true},    {"add-engine", 2, true},
        {"remove-url", 2, true}, {"remove-term", 2, true}, {"remove-engine", 2, true},
        {"rename", 2, true},     {"rename-url", 3, true},  {"rename-term", 3, true},
        {"delete", 1, true},
    };
    const Shape* shape = nullptr;
    for (const Shape& s : shapes)
        if (command == QLatin1String(s.name))
            shape = &s;
    if (!shape || args.size() != shape->arguments + 1) {
        if (shape)
            err << "cvproject: wrong number of arguments for " << command << " (see --help)\n";
        else
            err << "cvproject: unknown command \"" << command << "\" (see --help)\n";
        return 1;
    }
    bool depthOk = true;
    const int depthValue =
        parser.isSet(depth) ? parser.value(depth).toInt(&depthOk) : ProjectRules::DefaultDepth;
    if (!depthOk || depthValue < 1 || depthValue > 9999) {
        err << "cvproject: --depth must be a whole number from 1 to 9999\n";
        return 1;
    }

    try {
        TDM1 dm;
        DM1 = &dm;
        dm.LoadSettings();
        // Lists only read: they open the tables read-only and leave an
        // interrupted change to the next command that changes something.
        dm.General.setReadOnly(!shape->changes);
        dm.SE3.setReadOnly(!shape->changes);
        dm.OpenDatabases();
        // Changes wait for no Harvester session and keep one from starting
        // meanwhile. Our mutex is taken before looking for the session's, as
        // Harvester takes its own before looking for ours: whichever comes
        // second sees the other's.
        std::unique_ptr<NamedMutex> guard;
        if (shape->changes) {
            guard = std::make_unique<NamedMutex>(QLatin1String(MutexNames::NoHV));
            if (GuardedTool::HarvesterSessionRunning()) {
                guard.reset();
                err << "cvproject: " << plain(GuardedTool::RefusalText(QStringLiteral("cvproject"))) << "\n";
                return 1;
            }
        }
        Database& db = dm.General;
        db.session().addPassword(TDM1::TablePassword());
        CascadeEvents events;
        events.status = [&out](const QString& text, int) {
            out << text << '\n';
            out.flush();
        };
        events.message = [&out](const QString& title, const QString& html) {
            out << title << ": " << plain(html) << '\n';
            out.flush();
        };
        const int resumed = shape->changes ? ProjectCascade::resumePending(db, events) : 0;
        if (resumed > 0)
            err << "cvproject: completed " << resumed << " interrupted change(s) first\n";
        ProjectStore store(db);
        ProjectCascade cascade(db, events);
        const QString project = args.value(1);
        auto require = [&] {
            if (!store.hasProject(project))
                throw ProjectRefusal(QStringLiteral("There is no project named \"%1\".").arg(project));
        };

        if (command == QLatin1String("list")) {
            Query rows(&db, QStringLiteral("SELECT * FROM CVProject ORDER BY Name"));
            rows.open();
            for (rows.first(); !rows.eof(); rows.next())
                out << field(rows.asString(QStringLiteral("Name"))) << '\t'
                    << rows.asInteger(QStringLiteral("Depth")) << '\t'
                    << field(rows.asString(QStringLiteral("KeyURL"))) << '\t'
                    << yesNo(rows.asBoolean(QStringLiteral("FullURLData"))) << '\t'
                    << yesNo(rows.asBoolean(QStringLiteral("StopOnHit"))) << '\n';
        } else if (command == QLatin1String("urls")) {
            require();
            for (const ProjectStore::UrlRow& row : store.urls(project))
                out << field(row.name) << '\t' << field(row.url) << '\t' << yesNo(row.anyMatch) << '\n';
        } else if (command == QLatin1String("terms")) {
            require();
            for (const QString& t : store.terms(project))
                out << field(t) << '\n';
        } else if (command == QLatin1String("engines")) {
            require();
            for (const QString& e : store.engines(project))
                out << field(e) << '\n';
        } else if (command == QLatin1String("create")) {
            QList<std::pair<QString, QString>> urls;
            for (const QString& value : parser.values(url)) {
                const qsizetype eq = value.indexOf(QLatin1Char('='));
                if (eq <= 0)
                    throw ProjectRefusal(QStringLiteral("--url needs NAME=ADDRESS, not \"%1\".").arg(value));
                urls << std::pair{value.left(eq), value.mid(eq + 1)};
            }
            if (parser.isSet(keyUrl)) {
                bool named = false;
                for (const auto& u : urls)
                    named = named || u.first == parser.value(keyUrl);
                if (!named)
                    throw ProjectRefusal(QStringLiteral("The key URL \"%1\" is not one of the --url names.")
                                             .arg(parser.value(keyUrl)));
            }
            store.addProject(project, depthValue, !parser.isSet(noFullUrl), parser.isSet(bypass));
            for (const auto& u : urls)
                store.addUrl(project, u.first, u.second, parser.isSet(anyMatch));
            if (parser.isSet(keyUrl))
                store.setKeyUrl(project, parser.value(keyUrl));
            for (const QString& t : parser.values(term))
                store.addTerm(project, t);
            for (const QString& e : parser.values(engine))
                store.addEngine(project, e, apiEnabled(dm));
        } else if (command == QLatin1String("set")) {
            require();
            Table row(&db, QStringLiteral("CVProject"));
            row.open();
            row.locate({QStringLiteral("Name")}, {project});
            const int d = parser.isSet(depth) ? depthValue : row.asInteger(QStringLiteral("Depth"));
            const bool f = parser.isSet(fullUrl) ? true
                : parser.isSet(noFullUrl)        ? false
                                                 : row.asBoolean(QStringLiteral("FullURLData"));
            const bool s = parser.isSet(bypass) ? true
                : parser.isSet(noBypass)        ? false
                                                : row.asBoolean(QStringLiteral("StopOnHit"));
            row.close();
            store.updateProject(project, d, f, s);
            if (parser.isSet(keyUrl)) {
                bool known = false;
                for (const ProjectStore::UrlRow& u : store.urls(project))
                    known = known || u.name == parser.value(keyUrl);
                if (!known)
                    throw ProjectRefusal(
                        QStringLiteral("The project has no URL named \"%1\".").arg(parser.value(keyUrl)));
                store.setKeyUrl(project, parser.value(keyUrl));
            }
        } else if (command == QLatin1String("add-url")) {
            if (store.addUrl(project, args.at(2), args.at(3), parser.isSet(anyMatch)))
                out << "The first available URL will be used as the Key URL.\n";
        } else if (command == QLatin1String("add-term")) {
            store.addTerm(project, args.at(2));
        } else if (command == QLatin1String("add-engine")) {
            if (store.addEngine(project, args.at(2), apiEnabled(dm)))
                out << args.at(2) << " has special notes. Please read these notes before continuing.\n";
        } else if (command == QLatin1String("remove-url")) {
            require();
            bool known = false;
            for (const ProjectStore::UrlRow& u : store.urls(project))
                known = known || u.name == args.at(2);
            if (!known)
                throw ProjectRefusal(QStringLiteral("The project has no URL named \"%1\".").arg(args.at(2)));
            cascade.deleteUrl(project, args.at(2));
        } else if (command == QLatin1String("remove-term")) {
            require();
            if (!store.terms(project).contains(args.at(2)))
                throw ProjectRefusal(
                    QStringLiteral("The project has no search term \"%1\".").arg(args.at(2)));
            cascade.deleteTerm(project, args.at(2));
        } else if (command == QLatin1String("remove-engine")) {
            require();
            if (!store.engines(project).contains(args.at(2)))
                throw ProjectRefusal(
                    QStringLiteral("The project has no search engine \"%1\".").arg(args.at(2)));
            cascade.deleteEngine(project, args.at(2));
        } else if (command == QLatin1String("rename")) {
            require();
            const QString problem = ProjectRules::projectNameProblem(args.at(2));
            if (!problem.isEmpty())
                throw ProjectRefusal(problem);
            if (store.hasProject(args.at(2)))
                throw ProjectRefusal(QStringLiteral("Duplicate project name found."));
            cascade.renameProject(project, args.at(2));
        } else if (command == QLatin1String("rename-url")) {
            require();
            const QString& newName = args.at(3);
            if (newName.trimmed().isEmpty())
                throw ProjectRefusal(QStringLiteral("URL Name cannot be blank."));
            bool known = false;
            for (const ProjectStore::UrlRow& u : store.urls(project)) {
                known = known || u.name == args.at(2);
                if (u.name == newName)
                    throw ProjectRefusal(QStringLiteral("Duplicate URL Name found."));
            }
            if (!known)
                throw ProjectRefusal(QStringLiteral("The project has no URL named \"%1\".").arg(args.at(2)));
            cascade.renameUrl(project, args.at(2), newName);
        } else if (command == QLatin1String("rename-term")) {
            require();
            if (!store.terms(project).contains(args.at(2)))
                throw ProjectRefusal(
                    QStringLiteral("The project has no search term \"%1\".").arg(args.at(2)));
            // The new text is a new term; the results of the old text go with it.
            store.addTerm(project, args.at(3));
            cascade.deleteTerm(project, args.at(2));
        } else if (command == QLatin1String("delete")) {
            require();
            cascade.deleteProject(project);
        }
        return 0;
    } catch (const ProjectRefusal& e) {
        // a refusal is plain text: a name in it is written as it is
        err << "cvproject: " << e.message() << "\n";
        return 1;
    } catch (const DatabaseError& e) {
        err << "cvproject: " << e.message() << "\n";
        return 2;
    } catch (const std::runtime_error& e) {
        err << "cvproject: " << e.what() << "\n";
        return 2;
    }
}
