#include "app/ProfileSetup.h"

#include "app/Settings.h"
#include "data/Dataset.h"
#include "data/Schema.h"
#include "data/TableDatabase.h"
#include "platform/AppFolders.h"
#include "platform/Registry.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace corvane {

namespace {

// The engine that answers on this machine: the local demo search engine.
struct StarterEngine
{
    QString name;
    QList<QPair<QString, QVariant>> columns;
};

StarterEngine demoEngine()
{
    const QString base = QStringLiteral("http://127.0.0.1:8765/search");
    return {QStringLiteral("Corvane Demo"),
            {{QStringLiteral("HomePage"), QStringLiteral("http://127.0.0.1:8765/")},
             {QStringLiteral("AddPage"), QStringLiteral("http://127.0.0.1:8765/add")},
             {QStringLiteral("Country"), QStringLiteral("International")},
             {QStringLiteral("Group1"), QStringLiteral("Demo")},
             {QStringLiteral("Group2"), QStringLiteral("Web")},
             {QStringLiteral("Group3"), QStringLiteral("Local")},
             {QStringLiteral("Group4"), QStringLiteral("Crawler")},
             {QStringLiteral("Popularity"), 10},
             {QStringLiteral("PopSource"), QStringLiteral("Local demo engine")},
             {QStringLiteral("Notes"),
              QStringLiteral("The local demo search engine. It answers on 127.0.0.1:8765 with "
                             "deterministic result pages, ten results a page.")},
             {QStringLiteral("SpecNotes"), false},
             {QStringLiteral("API"), false},
             {QStringLiteral("Active"), true},
             {QStringLiteral("LastUpdate"), QDate(2026, 12, 7)},
             {QStringLiteral("Delay"), 200},
             {QStringLiteral("Delay2"), 600},
             {QStringLiteral("EngineInc"), 10},
             {QStringLiteral("Method1"), true},
             {QStringLiteral("AString1"), QString(base + QStringLiteral("?q="))},
             {QStringLiteral("AValue1"), QStringLiteral("KeyWord")},
             {QStringLiteral("AString2"), QStringLiteral("&start=")},
             {QStringLiteral("AValue2"), QStringLiteral("PageNo*10")},
             {QStringLiteral("BString1"), QString(base + QStringLiteral("?q="))},
             {QStringLiteral("BValue1"), QStringLiteral("KeyWord")},
             {QStringLiteral("BString2"), QStringLiteral("&start=")},
             {QStringLiteral("BValue2"), QStringLiteral("PageNo*10")},
             {QStringLiteral("WordConnector"), QStringLiteral("+")},
             {QStringLiteral("AIncStart"), QStringLiteral("<li class=\"result\" value=\"")},
             {QStringLiteral("AIncEnd"), QStringLiteral("\">")},
             {QStringLiteral("ANumberInc"), true},
             {QStringLiteral("APageLength"), 10},
             {QStringLiteral("BIncStart"), QStringLiteral("<li class=\"result\" value=\"")},
             {QStringLiteral("BIncEnd"), QStringLiteral("\">")},
             {QStringLiteral("BNumberInc"), true},
             {QStringLiteral("BPageLength"), 10},
             {QStringLiteral("TruncStart1"), QStringLiteral("[START]")},
             {QStringLiteral("TruncEnd1"), QStringLiteral("<ol class=\"results\">")},
             {QStringLiteral("TruncStart2"), QStringLiteral("</ol>")},
             {QStringLiteral("TruncEnd2"), QStringLiteral("[END]")},
             {QStringLiteral("HTTPStart"), QStringLiteral("http")},
             {QStringLiteral("HTTPLoc"), 1},
             {QStringLiteral("HTTPEnd"), QStringLiteral("\"")}}};
}

struct Tip
{
    const char* caption;
    const char* text;
};

// Usage tips shown one at a time at start.
constexpr Tip tips[] = {
    {"Start with a project",
     "Open <b>File | Project Wizard</b> to name a project, add your own site, its key URL and "
     "your competitors, the search terms to watch and the search engines to ask."},
    {"Choose a key URL",
     "The dashboard's Top 10 charts, first page list and new arrivals follow the project's "
     "<b>Key URL</b>. Set it in the Project Wizard so the dashboard has something to show."},
    {"Let Harvester do the work",
     "<b>Tools | Harvester</b> asks every engine of every project and stores each position it "
     "finds. Schedule it with <b>Settings | Schedule Harvester</b> to build a history."},
    {"Check one term right now",
     "<b>Tools | Duvuda Duvedozo</b> checks where a URL ranks for one term on the engines you "
     "pick, without touching your projects."},
    {"Find the words that rank",
     "<b>Tools | Rureder Orad</b> collects the pages that rank for a term and counts the words "
     "and phrases they use, so you see what your competitors write about."},
    {"Follow a ranking over time",
     "<b>Chart Views | Detail Chart</b> draws the position of a URL for a term on an engine "
     "across the dates you choose. Save the chart to open it again from the task bar."},
    {"See what moved",
     "<b>Chart Views | Gains and Losses</b> lists every position that changed since the last "
     "session, best gains first."},
    {"Ask your own questions",
     "<b>Table Views | Data Query</b> builds a query over the stored rankings, shows the rows, "
     "and exports or prints them."},
    {"Keep your data safe",
     "<b>Utilities | Backup</b> copies every table of the data folder. Run it before you change "
     "a project's engines or terms."},
    {"Tidy the messages",
     "Tick <i>Do not again show this message</i> on a message you know well. "
     "<b>Help | Show Messages</b> brings every message back."},
};

} // namespace

ProfileSetup::ProfileSetup(Registry& registry, const QString& profileFolder)
    : m_registry(registry)
    , m_programFolder(AppFolders::withTrailingSlash(QDir::cleanPath(QDir(profileFolder).absolutePath())))
    , m_dataFolder(m_programFolder + QStringLiteral("Data/"))
{
}

QString ProfileSetup::defaultProfileFolder()
{
    return AppFolders::withTrailingSlash(QDir::homePath() + QStringLiteral("/Corvane"));
}

bool ProfileSetup::run()
{
    return checkRegistration() && createFolders() && createSettings() && fillDataFolder();
}

bool ProfileSetup::createFolders()
{
    for (const char* sub : {"", "Data/", "Cfg/", "Update/", "Debug/"}) {
        const QString folder = m_programFolder + QLatin1String(sub);
        if (QFileInfo(folder).isDir())
            continue;
        if (!QDir().mkpath(folder)) {
            m_error = QStringLiteral("Cannot create the folder %1.").arg(folder);
            return false;
        }
        m_created << QStringLiteral("folder %1").arg(folder);
    }
    // A folder that exists but cannot be written is as useless as a missing one.
    for (const QString& folder : {m_programFolder, m_dataFolder}) {
        QTemporaryFile probe(folder + QStringLiteral("write-test-XXXXXX"));
        if (!probe.open()) {
            m_error = QStringLiteral("Cannot write in the folder %1.").arg(folder);
            return false;
        }
    }
    return true;
}

bool ProfileSetup::checkRegistration()
{
    const QString registered =
        RegistryKey(m_registry, SettingsKeys::path(QLatin1String(SettingsKeys::FileLocations)))
            .readString(QStringLiteral("ExeFolder"));
    if (!registered.isEmpty() && QDir(registered) != QDir(m_programFolder)) {
        m_error = QStringLiteral("The settings store %1 already belongs to the profile %2. Use that "
                                 "profile, or point CORVANE_REGISTRY at another file for a second "
                                 "profile.")
                      .arg(m_registry.filePath(), registered);
        return false;
    }
    return true;
}

bool ProfileSetup::createSettings()
{
    const QHash<QString, QString> folders = {
        {QStringLiteral("ExeFolder"), m_programFolder},
        {QStringLiteral("DataFolder"), m_dataFolder},
        {QStringLiteral("Cfg"), m_programFolder + QStringLiteral("Cfg/")},
        {QStringLiteral("UpdateFolder"), m_programFolder + QStringLiteral("Update/")},
        {QStringLiteral("DebugOutput"), m_programFolder + QStringLiteral("Debug/")},
    };

    QList<QPair<QString, QString>> wanted; // (key, value name) → default below
    QHash<QString, QString> defaults;
    for (const SettingDescriptor& d : settingDescriptors()) {
        const QString key = QLatin1String(d.key);
        const QString name = QLatin1String(d.name);
        wanted.append({key, name});
        defaults.insert(key + QLatin1Char('\\') + name,
                        d.defaultText ? QLatin1String(d.defaultText) : folders.value(name));
    }
    for (const QString& name : messageSwitchNames()) {
        const QString key = QLatin1String(SettingsKeys::MsgShow);
        wanted.append({key, name});
        defaults.insert(key + QLatin1Char('\\') + name, QStringLiteral("true"));
    }

    for (const char* key : {SettingsKeys::FileLocations, SettingsKeys::StartupSettings,
                            SettingsKeys::Network, SettingsKeys::Data, SettingsKeys::MsgShow,
                            SettingsKeys::Tagmint}) {
        const QString path = SettingsKeys::path(QLatin1String(key));
        if (m_registry.keyExists(path))
            continue;
        if (!m_registry.createKey(path)) {
            m_error = QStringLiteral("Cannot write the settings store %1.").arg(m_registry.filePath());
            return false;
        }
        m_created << QStringLiteral("settings key %1").arg(path);
    }

    for (const auto& [key, name] : wanted) {
        const QString path = SettingsKeys::path(key);
        bool present = false;
        for (const QString& existing : m_registry.valueNames(path))
            present = present || existing.compare(name, Qt::CaseInsensitive) == 0;
        if (present)
            continue;
        if (!m_registry.writeString(path, name, defaults.value(key + QLatin1Char('\\') + name))) {
            m_error = QStringLiteral("Cannot write the settings store %1.").arg(m_registry.filePath());
            return false;
        }
        m_created << QStringLiteral("setting %1\\%2").arg(key, name);
    }
    return true;
}

bool ProfileSetup::fillDataFolder()
{
    Session session(QStringLiteral("Setup"));
    session.addPassword(QLatin1String(Schema::SE3Password));
    Database database(QStringLiteral("Setup"), &session);
    database.setDirectory(m_dataFolder);
    try {
        database.connect();
        createTables(database);
        seedRows(database);
    } catch (const DatabaseError& e) {
        m_error = e.message();
        return false;
    }
    return true;
}

void ProfileSetup::createTables(Database& database)
{
    for (const TableDef& def : Schema::tables()) {
        if (database.tableExists(def.name))
            continue;
        database.createTable(def, def.passwordProtected ? QLatin1String(Schema::SE3Password) : QString());
        m_created << QStringLiteral("table %1").arg(def.name);
    }
}

void ProfileSetup::seedRows(Database& database)
{
    Table se3(&database, QStringLiteral("SE3"), QStringLiteral("SEName"));
    se3.open();
    const StarterEngine engine = demoEngine();
    if (!se3.locate({QStringLiteral("Name")}, {engine.name})) {
        se3.append();
        se3.setValue(QStringLiteral("Name"), engine.name);
        for (const auto& [column, value] : engine.columns)
            se3.setValue(column, value);
        se3.post();
        m_created << QStringLiteral("engine script %1").arg(engine.name);
    }
    se3.close();

    Table hint(&database, QStringLiteral("Hint"), QStringLiteral("Seqidx"));
    hint.open();
    int sequence = 0;
    for (const Tip& tip : tips) {
        ++sequence;
        if (hint.locate({QStringLiteral("Sequence")}, {sequence}))
            continue;
        hint.append();
        hint.setValue(QStringLiteral("Sequence"), sequence);
        hint.setValue(QStringLiteral("Caption"), QString::fromUtf8(tip.caption));
        hint.setValue(QStringLiteral("Hint"), QString::fromUtf8(tip.text));
        hint.post();
        m_created << QStringLiteral("hint %1").arg(sequence);
    }
    hint.close();
}

} // namespace corvane
