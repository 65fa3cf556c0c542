#include "core/repair/RepairOptions.h"

#include "core/platform/AppFolders.h"
#include "core/platform/Registry.h"
#include "core/settings/Settings.h"

#include <QDir>
#include <QFileInfo>

namespace corvane::repair {

namespace {

// Splits "\"false\" \"false\"" into its words and drops the quotes round each.
QStringList normalised(const QStringList& arguments)
{
    QStringList words;
    for (const QString& argument : arguments) {
        const bool quotedSwitches =
            !argument.startsWith(QLatin1Char('-')) && argument.contains(QLatin1Char('"'));
        const QStringList parts =
            quotedSwitches ? argument.split(QLatin1Char(' '), Qt::SkipEmptyParts) : QStringList{argument};
        for (QString part : parts) {
            if (part.size() >= 2 && part.startsWith(QLatin1Char('"')) && part.endsWith(QLatin1Char('"')))
                part = part.mid(1, part.size() - 2);
            words << part;
        }
    }
    return words;
}

} // namespace

RepairOptions RepairOptions::parse(const QStringList& arguments)
{
    RepairOptions options;
    const QStringList words = normalised(arguments);
    int switches = 0;
    bool headless = false;
    for (int i = 0; i < words.size() && options.error.isEmpty(); ++i) {
        const QString& word = words.at(i);
        if (word == QLatin1String("--help") || word == QLatin1String("-h")) {
            options.run = Run::Help;
            return options;
        }
        if (word == QLatin1String("--check") || word == QLatin1String("--repair")) {
            if (headless)
                options.error = QStringLiteral("Give either --check or --repair, not both.");
            headless = true;
            options.run = word == QLatin1String("--check") ? Run::Check : Run::Repair;
        } else if (word == QLatin1String("--data") || word.startsWith(QLatin1String("--data="))) {
            options.dataFolder = word.contains(QLatin1Char('='))
                ? word.section(QLatin1Char('='), 1)
                : (i + 1 < words.size() ? words.at(++i) : QString());
            if (options.dataFolder.isEmpty())
                options.error = QStringLiteral("--data needs a folder.");
        } else if (word.startsWith(QLatin1Char('-'))) {
            options.error = QStringLiteral("Unknown option \"%1\".").arg(word);
        } else if (word.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
                   || word.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
            const bool on = word.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
            if (switches == 0)
                options.autoStart = on;
            else if (switches == 1)
                options.closeWhenDone = on;
            else
                options.error =
                    QStringLiteral("Only two switches are known; \"%1\" is one too many.").arg(word);
            ++switches;
        } else {
            options.error = QStringLiteral("The switch \"%1\" is neither \"true\" nor \"false\".").arg(word);
        }
    }
    return options;
}

QString RepairOptions::usageText()
{
    return QStringLiteral(
        "Usage: CVRepair [AUTOSTART [AUTOCLOSE]] [--data FOLDER]\n"
        "       CVRepair --check|--repair [--data FOLDER]\n"
        "\n"
        "Checks every table file (*.dat) of the data folder with SQLite's integrity check\n"
        "and repairs what it can: damaged or missing indexes are rebuilt in place; a table\n"
        "whose pages are damaged is rebuilt from its readable rows into a fresh file, and\n"
        "the damaged file is kept beside it as <Table>.dat.damaged-<yyyyMMdd-hhmmss>.\n"
        "The engine-script table SE3 keeps its password protection.\n"
        "\n"
        "With a window (the default):\n"
        "  AUTOSTART  \"true\": check and repair every table as soon as the window opens;\n"
        "             \"false\" (the default): wait for Check or Repair.\n"
        "  AUTOCLOSE  \"true\": close the window when a run leaves no damage behind;\n"
        "             \"false\" (the default): keep the window open with the results.\n"
        "  Corvane's Table Repair starts it with \"false\" \"false\".\n"
        "\n"
        "Without a window:\n"
        "  --check    check every table and change nothing\n"
        "  --repair   check every table and repair what is damaged\n"
        "  Prints one line per table. Exit code 0: every table is sound (or was\n"
        "  repaired); 1: damage remains; 2: bad command line or no data folder;\n"
        "  3: another CVRepair is running; 4: Harvester runs a session (--repair).\n"
        "\n"
        "  --data FOLDER  the data folder (default: File Locations/DataFolder of the\n"
        "                 settings store)\n"
        "  --help         this text\n"
        "\n"
        "While it runs, CVRepair holds the named mutex \"CVRepair.Mutex\"; Corvane stays\n"
        "minimised until it is gone.\n");
}

QString resolveDataFolder(const QString& given, QString& error)
{
    QString folder = given;
    if (folder.isEmpty()) {
        // Read, never written: a check changes nothing, not even a damaged
        // setting (the programs that load the settings repair those).
        Registry registry;
        const RegistryKey locations(registry, SettingsKeys::path(QLatin1String(SettingsKeys::FileLocations)));
        folder = locations.readString(QStringLiteral("DataFolder"));
        const QString exeFolder = locations.readString(QStringLiteral("ExeFolder"));
        if (folder.isEmpty() && !exeFolder.isEmpty())
            folder = AppFolders::withTrailingSlash(exeFolder) + QStringLiteral("Data/");
        if (folder.isEmpty()) {
            error = QStringLiteral("The settings store names no data folder (File Locations, DataFolder); "
                                   "give one with --data FOLDER.");
            return {};
        }
    }
    if (!QFileInfo(folder).isDir()) {
        error = QStringLiteral("The data folder \"%1\" does not exist.").arg(folder);
        return {};
    }
    folder = QDir(folder).absolutePath();
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

} // namespace corvane::repair
