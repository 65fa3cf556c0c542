// corvane-setup: creates a working profile for Corvane.
#include "core/data/DatabaseError.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/platform/Registry.h"
#include "core/settings/ProfileSetup.h"
#include "core/setup/DemoProject.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace {

// Adds the demo project with its history; a profile that has it already is left alone.
int addDemoProject(const QString& dataFolder, int days, bool quiet)
{
    using namespace corvane;
    QTextStream out(stdout);
    Session session(QStringLiteral("Demo"));
    session.addPassword(QLatin1String(Schema::SE3Password));
    Database general(QStringLiteral("DemoGeneral"), &session);
    Database se3(QStringLiteral("DemoSE3"), &session);
    try {
        for (Database* database : {&general, &se3}) {
            database->setDirectory(dataFolder);
            database->connect();
        }
        if (!DemoProject::create(general, se3)) {
            if (!quiet)
                out << "The project " << DemoProject::Name << " exists; its history was left as it is.\n";
            return 0;
        }
        if (!quiet)
            out << "created project " << DemoProject::Name << "\n";
        DemoProject demo;
        const auto progress = [&](const QString& line) {
            if (!quiet)
                out << line << Qt::endl;
        };
        if (!demo.backFill(se3, days, progress)) {
            QTextStream(stderr) << "corvane-setup: " << demo.error() << "\n";
            return 1;
        }
        Registry registry;
        if (!DemoProject::useEngineAsProxy(registry)) {
            QTextStream(stderr) << "corvane-setup: cannot write the network settings to "
                                << registry.filePath() << "\n";
            return 1;
        }
        if (!quiet)
            out << "network settings: the demo engine at 127.0.0.1:8765 is the HTTP proxy\n";
    } catch (const DatabaseError& e) {
        QTextStream(stderr) << "corvane-setup: " << e.message() << "\n";
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace corvane;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvane-setup"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Creates a Corvane profile: the program folder DIR, the data folder DIR/Data/ with every\n"
        "table, the settings store with every key and its default value, the starter engine\n"
        "scripts of the local demo engine and the usage tips. Nothing that exists is\n"
        "overwritten, so running it again changes nothing. The settings store is\n"
        "$CORVANE_REGISTRY, else $XDG_CONFIG_HOME/Corvane/registry.reg."));
    parser.addHelpOption();
    const QCommandLineOption profileOption(
        QStringLiteral("profile"),
        QStringLiteral("The profile folder (default: %1).").arg(ProfileSetup::defaultProfileFolder()),
        QStringLiteral("DIR"), ProfileSetup::defaultProfileFolder());
    const QCommandLineOption quietOption(QStringLiteral("quiet"),
                                         QStringLiteral("Print nothing but errors."));
    const QCommandLineOption demoOption(
        QStringLiteral("demo"),
        QStringLiteral("Also add the project \"Demo\" (a key URL, three competitors, 20 terms, the 4 demo\n"
                       "engines) and fill it with a history of daily sessions: Harvester mines a demo\n"
                       "engine that is started on a free loopback port for the purpose."));
    const QCommandLineOption demoDaysOption(
        QStringLiteral("demo-days"),
        QStringLiteral("How many days of history --demo fills, the last one today (default %1).")
            .arg(DemoProject::DefaultDays),
        QStringLiteral("N"), QString::number(DemoProject::DefaultDays));
    parser.addOption(profileOption);
    parser.addOption(quietOption);
    parser.addOption(demoOption);
    parser.addOption(demoDaysOption);
    if (!parser.parse(app.arguments())) {
        QTextStream(stderr) << parser.errorText() << "\n";
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (!parser.positionalArguments().isEmpty()) {
        QTextStream(stderr) << "Unexpected argument: " << parser.positionalArguments().first() << "\n";
        return 2;
    }

    if (parser.isSet(profileOption) && parser.value(profileOption).trimmed().isEmpty()) {
        // An empty folder would be the current one: nothing is created there by mistake.
        QTextStream(stderr) << "corvane-setup: --profile was given an empty folder name\n";
        return 2;
    }
    if (parser.isSet(demoDaysOption) && !parser.isSet(demoOption)) {
        QTextStream(stderr) << "corvane-setup: --demo-days needs --demo\n";
        return 2;
    }

    bool daysOk = false;
    const int demoDays = parser.value(demoDaysOption).toInt(&daysOk);
    if (!daysOk || demoDays < 1 || demoDays > 3660) {
        QTextStream(stderr) << "--demo-days needs a number of days from 1 to 3660\n";
        return 2;
    }

    Registry registry;
    ProfileSetup setup(registry, parser.value(profileOption));
    const bool ok = setup.run();
    if (!parser.isSet(quietOption)) {
        QTextStream out(stdout);
        for (const QString& line : setup.created())
            out << "created " << line << "\n";
        if (ok && setup.created().isEmpty())
            out << "The profile is complete; nothing was changed.\n";
    }
    if (!ok) {
        QTextStream(stderr) << "corvane-setup: " << setup.error() << "\n";
        return 1;
    }
    return parser.isSet(demoOption) ? addDemoProject(setup.dataFolder(), demoDays, parser.isSet(quietOption))
                                    : 0;
}
