// corvane-setup: creates a working profile for Corvane.
#include "app/ProfileSetup.h"
#include "platform/Registry.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

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
    parser.addOption(profileOption);
    parser.addOption(quietOption);
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
    return 0;
}
