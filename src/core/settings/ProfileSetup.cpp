#include "core/settings/ProfileSetup.h"

#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/platform/AppFolders.h"
#include "core/platform/Registry.h"
#include "core/settings/EngineApiKeys.h"
#include "core/settings/Settings.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace corvane {

namespace {

// The engines that answer on this machine: the local demo search engine
// (tools/demo-engine), one script per markup style it serves. The markers,
// truncations and next-link keys below are the literal texts of its pages.
struct StarterEngine
{
    QString name;
    QList<QPair<QString, QVariant>> columns;
};

using Columns = QList<QPair<QString, QVariant>>;

const QString DemoBase = QStringLiteral("http://127.0.0.1:8765");

// The demo engine's programming interface and the key it accepts.
constexpr const char* DemoApiEngine = "Corvane Demo API";
constexpr const char* DemoApiKey = "corvane-demo-key";

// The columns every demo script shares.
Columns demoCommon(const QString& notes, int popularity)
{
    return {{QStringLiteral("HomePage"), QString(DemoBase + QStringLiteral("/"))},
            {QStringLiteral("AddPage"), QString(DemoBase + QStringLiteral("/add"))},
            {QStringLiteral("Country"), QStringLiteral("International")},
            {QStringLiteral("Group1"), QStringLiteral("Demo")},
            {QStringLiteral("Group2"), QStringLiteral("Web")},
            {QStringLiteral("Group3"), QStringLiteral("Local")},
            {QStringLiteral("Group4"), QStringLiteral("Crawler")},
            {QStringLiteral("Popularity"), popularity},
            {QStringLiteral("PopSource"), QStringLiteral("Local demo engine")},
            {QStringLiteral("Notes"), notes},
            {QStringLiteral("SpecNotes"), false},
            {QStringLiteral("API"), false},
            {QStringLiteral("Active"), true},
            {QStringLiteral("LastUpdate"), QDate(2026, 12, 7)},
            {QStringLiteral("Delay"), 0},
            {QStringLiteral("Delay2"), 0},
            {QStringLiteral("EngineInc"), 10},
            {QStringLiteral("WordConnector"), QStringLiteral("+")},
            {QStringLiteral("APageLength"), 10},
            {QStringLiteral("BPageLength"), 10},
            {QStringLiteral("HTTPStart"), QStringLiteral("http")},
            {QStringLiteral("HTTPLoc"), 1},
            {QStringLiteral("HTTPEnd"), QStringLiteral("\"")}};
}

// First and later pages asked for alike: the term, then a page parameter.
Columns samePagePairs(const QString& search, const QString& pageParameter, const QString& pageValue)
{
    Columns c{{QStringLiteral("Method1"), true}};
    for (const char* side : {"A", "B"}) {
        const QString s = QLatin1String(side);
        c += {{s + QStringLiteral("String1"), search},
              {s + QStringLiteral("Value1"), QStringLiteral("KeyWord")},
              {s + QStringLiteral("String2"), pageParameter},
              {s + QStringLiteral("Value2"), pageValue}};
    }
    return c;
}

// The same result marker on first and later pages.
Columns sameMarkers(const QString& start, const QString& end, bool numbered)
{
    Columns c;
    for (const char* side : {"A", "B"}) {
        const QString s = QLatin1String(side);
        c += {{s + QStringLiteral("IncStart"), start},
              {s + QStringLiteral("IncEnd"), end},
              {s + QStringLiteral("NumberInc"), numbered}};
    }
    return c;
}

QList<StarterEngine> demoEngine()
{
    QList<StarterEngine> engines;

    // Numbered list items, pages asked for by offset (start=0, 10, 20 ...).
    {
        const QString search = DemoBase + QStringLiteral("/numbered/search?q=");
        const QString marker = QStringLiteral("<li class=\"result\" value=\"");
        Columns c = demoCommon(QStringLiteral("The local demo search engine, numbered style. It answers on "
                                              "127.0.0.1:8765 with deterministic result pages, ten results a "
                                              "page, numbered list items, pages by offset."),
                               10);
        c += samePagePairs(search, QStringLiteral("&start="), QStringLiteral("PageNo*10"));
        c += sameMarkers(marker, QStringLiteral("\">"), true);
        c += {{QStringLiteral("TruncStart1"), QStringLiteral("[START]")},
              {QStringLiteral("TruncEnd1"), QStringLiteral("<ol class=\"results\">")},
              {QStringLiteral("TruncStart2"), QStringLiteral("</ol>")},
              {QStringLiteral("TruncEnd2"), QStringLiteral("[END]")}};
        engines.append({QStringLiteral("Corvane Demo"), c});
    }

    // Unnumbered blocks; later pages through the "Next" link, found backwards
    // from its id and made absolute.
    {
        const QString marker = QStringLiteral("<div class=\"g\">");
        Columns c = demoCommon(QStringLiteral("The local demo search engine, unnumbered style: result blocks "
                                              "without numbers, later pages through the Next link."),
                               9);
        c += {{QStringLiteral("Method1"), false},
              {QStringLiteral("AString1"), QString(DemoBase + QStringLiteral("/unnumbered/search?q="))},
              {QStringLiteral("AValue1"), QStringLiteral("KeyWord")},
              {QStringLiteral("StartKey"), QStringLiteral("\" id=\"pnnext\"")},
              {QStringLiteral("EndKey"), QStringLiteral("\"")},
              {QStringLiteral("ReverseStartKey"), QStringLiteral("href=\"")},
              {QStringLiteral("StartKeyPlanB"), QStringLiteral("\" rel=\"next\"\r\n\" id=\"pnnext\"")},
              {QStringLiteral("ReplaceThis1"), QStringLiteral("href=\"/")},
              {QStringLiteral("ReplaceWith1"), QString(DemoBase + QStringLiteral("/"))},
              {QStringLiteral("ReplaceThis2"), QStringLiteral("&amp;")},
              {QStringLiteral("ReplaceWith2"), QStringLiteral("&")},
              {QStringLiteral("TruncStart1"), QStringLiteral("[START]")},
              {QStringLiteral("TruncEnd1"), QStringLiteral("<div id=\"search\">")}};
        c += sameMarkers(marker, QString(), false);
        engines.append({QStringLiteral("Corvane Demo Unnumbered"), c});
    }

    // A rule between results and none before the first; later pages through
    // the "Next" link cut from its start to its closing quote.
    {
        const QString marker = QStringLiteral("<hr class=\"rs\">");
        const QString nextLink = QStringLiteral("<a class=\"next-page\" href=\"");
        Columns c = demoCommon(QStringLiteral("The local demo search engine, tag-first style: the first "
                                              "result of a page has no marker; later pages through the Next "
                                              "link."),
                               8);
        c += {{QStringLiteral("Method1"), false},
              {QStringLiteral("AString1"), QString(DemoBase + QStringLiteral("/tagfirst/search?q="))},
              {QStringLiteral("AValue1"), QStringLiteral("KeyWord")},
              {QStringLiteral("StartKey"), nextLink},
              {QStringLiteral("EndKey"), QStringLiteral("\">Next")},
              {QStringLiteral("ReplaceThis1"), QString(nextLink + QStringLiteral("/"))},
              {QStringLiteral("ReplaceWith1"), QString(DemoBase + QStringLiteral("/"))},
              {QStringLiteral("TagFirst"), true},
              {QStringLiteral("TruncStart1"), QStringLiteral("[START]")},
              {QStringLiteral("TruncEnd1"), QStringLiteral("<div id=\"res\">")},
              {QStringLiteral("TruncStart2"), QStringLiteral("<div id=\"rhs\">")},
              {QStringLiteral("TruncEnd2"), QStringLiteral("<div id=\"foot\">")}};
        c += sameMarkers(marker, QString(), false);
        engines.append({QStringLiteral("Corvane Demo TagFirst"), c});
    }

    // Markers only the IncPlanB lines know (the A and B markers are an older
    // layout); pages numbered from 1 (page=1, 2, 3 ...).
    {
        const QString search = DemoBase + QStringLiteral("/planb/search?q=");
        Columns c = demoCommon(QStringLiteral("The local demo search engine, plan B style: numbered articles "
                                              "found through the IncPlanB lines, pages by number."),
                               7);
        c += samePagePairs(search, QStringLiteral("&page="), QStringLiteral("PageNo"));
        c += sameMarkers(QStringLiteral("<li class=\"res\" id=\"r"), QStringLiteral("\">"), true);
        c += {{QStringLiteral("OffsetField"), QStringLiteral("PageNo")},
              {QStringLiteral("OffsetValue"), 1},
              {QStringLiteral("IncPlanB"),
               QStringLiteral("<div class=\"res\" data-pos=\"~*~*true~*~*\">\r\n"
                              "<article class=\"res\" data-rank=\"~*~*true~*~*\">")},
              {QStringLiteral("TruncStart1"), QStringLiteral("[START]")},
              {QStringLiteral("TruncEnd1"), QStringLiteral("<section id=\"results\">")},
              {QStringLiteral("TruncStart2"), QStringLiteral("</section>")},
              {QStringLiteral("TruncEnd2"), QStringLiteral("[END]")}};
        engines.append({QStringLiteral("Corvane Demo PlanB"), c});
    }

    // The programming-interface style: JSON, one result a line numbered by its
    // "rank", asked with the key stored for the engine (the value "APIKey").
    // Inactive until a project picks it, so the demo project keeps the four
    // page styles.
    {
        const QString search = DemoBase + QStringLiteral("/api/search?key=");
        Columns c =
            demoCommon(QStringLiteral("The local demo search engine, programming-interface style: "
                                      "JSON results that need a key. A new profile stores the demo "
                                      "key (Settings | Search Engine API); without it every request is "
                                      "refused."),
                       6);
        for (const char* side : {"A", "B"}) {
            const QString s = QLatin1String(side);
            c += {{s + QStringLiteral("String1"), search},
                  {s + QStringLiteral("Value1"), QStringLiteral("APIKey")},
                  {s + QStringLiteral("String2"), QStringLiteral("&q=")},
                  {s + QStringLiteral("Value2"), QStringLiteral("KeyWord")},
                  {s + QStringLiteral("String3"), QStringLiteral("&start=")},
                  {s + QStringLiteral("Value3"), QStringLiteral("PageNo*10")}};
        }
        c += sameMarkers(QStringLiteral("{\"rank\":"), QStringLiteral(","), true);
        c += {{QStringLiteral("Method1"), true},
              {QStringLiteral("API"), true},
              {QStringLiteral("Active"), false},
              {QStringLiteral("TruncStart1"), QStringLiteral("[START]")},
              {QStringLiteral("TruncEnd1"), QStringLiteral("\"results\":[")},
              {QStringLiteral("TruncStart2"), QStringLiteral("]}")},
              {QStringLiteral("TruncEnd2"), QStringLiteral("[END]")}};
        engines.append({QString::fromLatin1(DemoApiEngine), c});
    }
    return engines;
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
     "<b>Chart Views | Detail Chart</b> draws the best daily position of your URLs, terms or "
     "engines over the dates you choose. Make a chart with <b>Charts | Auto Build</b> or "
     "<b>Chart Builder</b>; the task bar's Project group opens your saved charts again."},
    {"See what moved",
     "<b>Chart Views | Gains and Losses</b> charts every position that changed between the "
     "last two mining sessions, so you see at a glance what went up and what fell."},
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
    return AppFolders::withTrailingSlash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                                         + QStringLiteral("/Corvane"));
}

ProfileSetup::FirstStart ProfileSetup::createOnFirstStart()
{
    FirstStart result;
    // A store named by CORVANE_REGISTRY is a profile kept apart on purpose;
    // only the user's own store is created unasked.
    if (!qEnvironmentVariableIsEmpty("CORVANE_REGISTRY"))
        return result;
    Registry registry;
    if (QFileInfo::exists(registry.filePath()))
        return result;
    ProfileSetup setup(registry, defaultProfileFolder());
    if (setup.run())
        result.createdFolder = setup.m_programFolder;
    else
        result.error = QStringLiteral("The profile could not be created: %1").arg(setup.error());
    return result;
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

    for (const char* key : {SettingsKeys::FileLocations, SettingsKeys::StartupSettings, SettingsKeys::Network,
                            SettingsKeys::Data, SettingsKeys::MsgShow, SettingsKeys::Tagmint}) {
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
    for (const StarterEngine& engine : demoEngine()) {
        if (se3.locate({QStringLiteral("Name")}, {engine.name}))
            continue;
        se3.append();
        se3.setValue(QStringLiteral("Name"), engine.name);
        for (const auto& [column, value] : engine.columns)
            se3.setValue(column, value);
        se3.post();
        m_created << QStringLiteral("engine script %1").arg(engine.name);
        if (engine.name == QLatin1String(DemoApiEngine)) {
            QHash<QString, QString> keys = EngineApiKeys::load(m_registry);
            if (!keys.contains(engine.name)) {
                keys.insert(engine.name, QLatin1String(DemoApiKey));
                EngineApiKeys::save(m_registry, keys);
                m_created << QStringLiteral("API key of %1").arg(engine.name);
            }
        }
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
