#include "core/maintenance/RemoteUpdate.h"

#include "core/data/DatabaseError.h"
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableCopy.h"
#include "core/data/TableDatabase.h"
#include "core/maintenance/FtpClient.h"
#include "core/maintenance/UpdateMessages.h"
#include "core/maintenance/ZipMember.h"
#include "core/platform/Registry.h"
#include "core/projects/ProjectRules.h"
#include "core/settings/Settings.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTime>

#include <stdexcept>

namespace corvane {

namespace {

const QString MessagesArchive = QStringLiteral("MSGREF.ZIP");
const QString MessagesFile = QStringLiteral("MSG.REF");
const QString ScriptsTable = QStringLiteral("SE3");

// The three script archives, their members and their log lines.
struct ScriptArchive
{
    const char* archive;
    const char* member;
    const char* line;
};
constexpr ScriptArchive ScriptArchives[] = {
    {"SE3DAT.ZIP", "SE3.DAT", "Getting SE3 Table"},
    {"SE3IDX.ZIP", "SE3.IDX", "Getting SE3 Index"},
    {"SE3BLB.ZIP", "SE3.BLB", "Getting SE3 Memos"},
};

// The rows of a terminated engine, table by table in this order.
struct EngineColumn
{
    const char* table;
    const char* column;
};
constexpr EngineColumn EngineColumns[] = {
    {"CVEngine", "SE3Name"},     {"CVHilo", "SearchEngine"}, {"CVRank", "SearchEngine"}, {"CVSE3", "Name"},
    {"Summary", "SearchEngine"}, {"CVSQLTee", "Select1"},    {"CVSQLTee", "Select2"},
};

// The run stops here when the server has no messages archive.
struct NoFilesOnServer
{ };

QString firstLine(const QString& text) { return text.section(QLatin1Char('\n'), 0, 0).trimmed(); }

QString withSeparator(QString folder)
{
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace

RemoteUpdate::RemoteUpdate(Options options, LogLine log, Bar bar)
    : m_options(options)
    , m_log(std::move(log))
    , m_bar(std::move(bar))
{
}

RemoteUpdate::Outcome RemoteUpdate::run()
{
    m_saved.clear();
    m_savedNames.clear();
    m_tablesTouched = false;
    try {
        runSteps();
        return Outcome::Done;
    } catch (const NoFilesOnServer&) {
        m_log(QStringLiteral("No Files found to download."));
        return Outcome::NoFiles;
    } catch (const FtpError& e) {
        m_log(QStringLiteral("Connect FAILED ") + e.message());
    } catch (const ZipError& e) {
        m_log(QStringLiteral("Connect FAILED ") + e.message());
    } catch (const DatabaseError& e) {
        m_log(QStringLiteral("Connect FAILED ") + e.message());
    } catch (const std::runtime_error& e) {
        m_log(QStringLiteral("Connect FAILED ") + QString::fromLocal8Bit(e.what()));
    }
    if (!m_tablesTouched)
        m_log(QStringLiteral("The engine scripts and the tables were left as they were."));
    m_log(QStringLiteral("FAILED to Disconnect"));
    return Outcome::Failed;
}

void RemoteUpdate::runSteps()
{
    Registry registry;
    const QString locations = SettingsKeys::path(QLatin1String(SettingsKeys::FileLocations));
    const QString network = SettingsKeys::path(QLatin1String(SettingsKeys::Network));
    {
        const RegistryKey key(registry, locations);
        m_dataFolder = withSeparator(key.readString(QStringLiteral("DataFolder")));
        m_updateFolder = withSeparator(key.readString(QStringLiteral("UpdateFolder")));
    }
    if (m_updateFolder.isEmpty())
        throw std::runtime_error("No update folder is set (UpdateFolder in the folder settings).");
    if (!QDir().mkpath(m_updateFolder))
        throw std::runtime_error(
            QStringLiteral("The update folder \"%1\" cannot be made.").arg(m_updateFolder).toStdString());

    FtpClient ftp(FtpSettings::fromRegistry(registry));
    m_log(QStringLiteral("Connecting to Corvane ftp site"));
    ftp.connect();
    m_log(QStringLiteral("Connected"));
    m_log(QStringLiteral("Retrieving file information"));

    qint64 expected = 0;
    const auto downloadProgress = [&](qint64 received, qint64) {
        if (expected > 0)
            m_bar(qBound(0.0, double(received) / double(expected), 1.0));
        else
            m_bar(0.0);
    };

    expected = ftp.size(MessagesArchive);
    const QString messagesListing = ftp.list(MessagesArchive);
    if (messagesListing.isEmpty())
        throw NoFilesOnServer();
    QFile::remove(m_updateFolder + MessagesArchive);
    QFile::remove(m_updateFolder + MessagesFile);
    ftp.download(MessagesArchive, m_updateFolder + MessagesArchive, downloadProgress);
    registry.writeString(network, QStringLiteral("FTPLastMSG"), firstLine(messagesListing));
    ZipMember::extract(m_updateFolder + MessagesArchive, MessagesFile, m_updateFolder + MessagesFile);

    const QString scriptsListing = ftp.list(QLatin1String(ScriptArchives[0].archive));
    for (const ScriptArchive& a : ScriptArchives) {
        QFile::remove(m_updateFolder + QLatin1String(a.archive));
        QFile::remove(m_updateFolder + QLatin1String(a.member));
    }
    for (const ScriptArchive& a : ScriptArchives) {
        expected = ftp.size(QLatin1String(a.archive));
        m_log(QLatin1String(a.line));
        ftp.download(QLatin1String(a.archive), m_updateFolder + QLatin1String(a.archive), downloadProgress);
        m_bar(0.0);
    }
    registry.writeString(network, QStringLiteral("FTPLastSE3"), firstLine(scriptsListing));
    m_log(QStringLiteral("Decompressing new data"));
    for (const ScriptArchive& a : ScriptArchives)
        ZipMember::extract(m_updateFolder + QLatin1String(a.archive), QLatin1String(a.member),
                           m_updateFolder + QLatin1String(a.member));
    m_bar(1.0);

    if (ftp.connected()) {
        m_log(QStringLiteral("Disconnecting"));
        ftp.quit();
    }

    Session session(QStringLiteral("RemUpdateSession"), LockSettings{15, 100});
    session.setPasswordHook([](Session& s) {
        s.addPassword(QLatin1String(Schema::SE3Password));
        return true;
    });
    // The downloaded table is checked before any table is written.
    Database update(QStringLiteral("RemUpdateNew"), &session);
    update.setDirectory(m_updateFolder);
    checkNewScripts(update);
    const QList<UpdateMessage> messages = UpdateMessages::read(m_updateFolder + MessagesFile);

    Database data(QStringLiteral("RemUpdateDatabase"), &session);
    data.setDirectory(m_dataFolder);
    data.connect();

    m_log(QStringLiteral("Updating Log files"));
    m_tablesTouched = true;
    {
        Query remove(&data,
                     QStringLiteral("DELETE FROM CVNotable WHERE Subject = ")
                         + SqlQuote::quoted(QStringLiteral("Script update")));
        remove.execSql();
        Table notable(&data, QStringLiteral("CVNotable"), QStringLiteral("NotableDateidx"));
        notable.open();
        for (const UpdateMessage& message : messages) {
            notable.append();
            notable.setValue(QStringLiteral("xDate"), QDate::currentDate());
            notable.setValue(QStringLiteral("xTime"), QTime::currentTime());
            notable.setValue(QStringLiteral("Type"), QStringLiteral("Message"));
            notable.setValue(QStringLiteral("Subject"), message.subject);
            notable.setValue(QStringLiteral("Content"), message.content);
            notable.post();
        }
        notable.close();
    }

    m_log(QStringLiteral("Populating user-defined fields"));
    {
        // On a first installation the new table is its own "old" one.
        Table old(data.tableExists(ScriptsTable) ? &data : &update, ScriptsTable, QStringLiteral("SEName"));
        old.open();
        for (old.first(); !old.eof(); old.next()) {
            SavedEngine s;
            s.name = old.asString(QStringLiteral("Name"));
            s.active =
                old.asBoolean(QStringLiteral("Active")) ? QStringLiteral("true") : QStringLiteral("false");
            s.popularity = old.asString(QStringLiteral("Popularity"));
            s.popSource = old.asString(QStringLiteral("PopSource"));
            s.delay = old.asString(QStringLiteral("Delay"));
            s.delay2 = old.asString(QStringLiteral("Delay2"));
            s.engineInc = old.asString(QStringLiteral("EngineInc"));
            m_saved << s;
            m_savedNames << s.name;
        }
        old.close();
    }
    carryUserValues(update);
    replaceScripts(update, data);

    QStringList newNames;
    {
        Table fresh(&data, ScriptsTable, QStringLiteral("SEName"));
        fresh.open();
        for (fresh.first(); !fresh.eof(); fresh.next())
            newNames << fresh.asString(QStringLiteral("Name"));
        fresh.close();
    }
    updateEngineSelections(data, newNames);

    QStringList terminated;
    for (const QString& name : std::as_const(m_savedNames)) {
        if (!newNames.contains(name) && !terminated.contains(name))
            terminated << name;
    }
    if (!terminated.isEmpty()) {
        m_log(QStringLiteral("Clearing out terminated Search Engines:"));
        for (const QString& name : std::as_const(terminated))
            m_log(QStringLiteral("  ") + name);
        clearTerminated(data, terminated);
    }
    m_log(QStringLiteral("Done"));
}

void RemoteUpdate::checkNewScripts(Database& update)
{
    const auto unusable = [](const QString& why) {
        return DatabaseError(DatabaseError::General,
                             QStringLiteral("The downloaded engine-script table cannot be used: ") + why,
                             ScriptsTable);
    };
    try {
        update.checkTable(ScriptsTable);
    } catch (const DatabaseError& e) {
        throw unusable(e.message());
    }
    const TableDef def = update.tableDef(ScriptsTable);
    QStringList missing;
    for (const FieldDef& field : Schema::table(ScriptsTable)->fields) {
        if (!def.field(field.name))
            missing << field.name;
    }
    if (!missing.isEmpty()) {
        const int shown = 8;
        QString list = missing.mid(0, shown).join(QStringLiteral(", "));
        if (missing.size() > shown)
            list += QStringLiteral(" and %1 more").arg(missing.size() - shown);
        throw unusable(QStringLiteral("it lacks the engine-script columns %1.").arg(list));
    }
    Table rows(&update, ScriptsTable);
    rows.open();
    const int count = rows.recordCount();
    rows.close();
    if (count == 0)
        throw unusable(QStringLiteral("it holds no engine scripts."));
}

void RemoteUpdate::carryUserValues(Database& update)
{
    Table fresh(&update, ScriptsTable, QStringLiteral("SEName"));
    fresh.open();
    for (const SavedEngine& s : std::as_const(m_saved)) {
        if (!fresh.findKey({s.name}))
            continue;
        fresh.edit();
        if (!m_options.resetScores)
            fresh.setValue(QStringLiteral("Popularity"), s.popularity.toInt());
        fresh.setValue(QStringLiteral("PopSource"), s.popSource);
        if (!m_options.resetDelays) {
            fresh.setValue(QStringLiteral("Delay"), s.delay.toInt());
            fresh.setValue(QStringLiteral("Delay2"), s.delay2.toInt());
        }
        if (!m_options.resetIncrementers)
            fresh.setValue(QStringLiteral("EngineInc"), s.engineInc.toInt());
        fresh.post();
    }
    fresh.close();
}

void RemoteUpdate::replaceScripts(Database& update, Database& data)
{
    try {
        // One step: every program sees the old table or the new one.
        TableCopy::copy(update, ScriptsTable, data, TableCopy::Replace::InPlace);
    } catch (const DatabaseError& e) {
        m_log(QStringLiteral("Could not copy SE3.dat file for update: ") + e.message());
        throw DatabaseError(e.code(), QStringLiteral("The engine scripts were not replaced."), ScriptsTable);
    }
}

void RemoteUpdate::updateEngineSelections(Database& data, const QStringList& newNames)
{
    Table selections(&data, QStringLiteral("CVSE3"), QStringLiteral("Nameidx"));
    Table fresh(&data, ScriptsTable, QStringLiteral("SEName"));
    selections.open();
    fresh.open();
    static const char* const Copied[] = {"Country", "Group1", "Group2", "Group3", "Group4", "Group5"};
    for (const SavedEngine& s : std::as_const(m_saved)) {
        if (!newNames.contains(s.name) || !fresh.findKey({s.name}))
            continue;
        if (!selections.findKey({s.name}))
            continue;
        selections.edit();
        selections.setValue(QStringLiteral("Popularity"), s.popularity.toInt());
        for (const char* column : Copied)
            selections.setValue(QLatin1String(column), fresh.asString(QLatin1String(column)));
        selections.post();
    }
    fresh.close();
    // Selections of engines the old table did not know go.
    selections.first();
    while (!selections.eof()) {
        if (!m_savedNames.contains(selections.asString(QStringLiteral("Name"))))
            selections.remove();
        else
            selections.next();
    }
    selections.close();
}

void RemoteUpdate::clearTerminated(Database& data, const QStringList& terminated)
{
    for (const QString& name : terminated) {
        for (const EngineColumn& c : EngineColumns) {
            if (!data.tableExists(QLatin1String(c.table)))
                continue;
            Query remove(&data,
                         QStringLiteral("DELETE FROM ") + QLatin1String(c.table) + QStringLiteral(" WHERE ")
                             + QLatin1String(c.column) + QStringLiteral(" = ") + SqlQuote::quoted(name));
            remove.execSql();
        }
    }
    // Saved charts whose series are engines: the terminated ones leave their
    // lists, and a chart left without series goes.
    Table charts(&data, QStringLiteral("CVSQLTee"));
    charts.setFilter(QStringLiteral("PopOrder = \"STU\" OR PopOrder = \"SUT\""));
    charts.setFiltered(true);
    charts.open();
    charts.first();
    while (!charts.eof()) {
        QStringList lines = ProjectRules::listLines(charts.asString(QStringLiteral("ForEach")));
        const qsizetype before = lines.size();
        for (const QString& name : terminated)
            lines.removeAll(name);
        if (lines.size() == before) {
            charts.next(); // a chart without a terminated engine stays as it is
            continue;
        }
        if (lines.isEmpty()) {
            charts.remove();
            continue;
        }
        charts.edit();
        charts.setValue(QStringLiteral("ForEach"), ProjectRules::joinLines(lines));
        charts.post();
        charts.next();
    }
    charts.close();
}

} // namespace corvane
