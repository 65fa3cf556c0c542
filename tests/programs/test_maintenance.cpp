// Backup and restore, the directory changer and the remote script update on a
// profile harvested by corvane-setup --demo; the update against a real FTP
// server started on loopback.
#include "core/data/DatabaseError.h"
#include "core/data/Dataset.h"
#include "core/data/FieldCodec.h"
#include "core/data/Schema.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableCopy.h"
#include "core/data/TableDatabase.h"
#include "core/demo/DemoEngine.h"
#include "core/maintenance/DataBackup.h"
#include "core/maintenance/DirectoryChange.h"
#include "core/maintenance/RemoteUpdate.h"
#include "core/platform/Registry.h"
#include "core/settings/ProfileSetup.h"
#include "core/settings/Settings.h"

#include "../core/TestSupport.h"
#include "../core/UpdateServer.h"
#include "ProgramRunner.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <atomic>
#include <sqlite3.h>
#include <string>
#include <thread>

using namespace corvane;

namespace {

// The harvested demo profile every test starts from: made once by
// corvane-setup --demo into the build folder and shared by the test processes.
QString masterDataFolder()
{
    static const QString folder = []() -> QString {
        const QString root = QStringLiteral(CORVANE_BIN_DIR "/../testdata/maintenance-demo/");
        QDir().mkpath(root);
        QLockFile lock(root + QStringLiteral("build.lock"));
        lock.setStaleLockTime(0);
        lock.lock();
        if (!QFile::exists(root + QStringLiteral("ready"))) {
            QDir(root + QStringLiteral("Home")).removeRecursively();
            QFile::remove(root + QStringLiteral("registry.reg"));
            const QByteArray saved = qgetenv("CORVANE_REGISTRY");
            qputenv("CORVANE_REGISTRY", (root + QStringLiteral("registry.reg")).toLocal8Bit());
            const auto setup = test::runProgram(QStringLiteral("corvane-setup"),
                                                {QStringLiteral("--demo"), QStringLiteral("--demo-days"),
                                                 QStringLiteral("2"), QStringLiteral("--profile"),
                                                 root + QStringLiteral("Home")},
                                                240000);
            qputenv("CORVANE_REGISTRY", saved);
            if (setup.exitCode != 0)
                ADD_FAILURE() << qPrintable(setup.err + setup.out);
            else
                QFile(root + QStringLiteral("ready")).open(QIODevice::WriteOnly);
        }
        return root + QStringLiteral("Home/Data/");
    }();
    return folder;
}

// Every row of every table of a folder, read with SQLite itself.
using TableRows = QMap<QString, QStringList>;

QStringList rowsOf(const QString& file, const QString& table)
{
    QStringList rows;
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql = "SELECT * FROM \"" + table.toUtf8() + "\" ORDER BY rowid";
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        rows << QStringLiteral("cannot read: ") + QString::fromUtf8(sqlite3_errmsg(db));
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
        QStringList values;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i)
            values << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_blob(stmt, i)),
                                        sqlite3_column_bytes(stmt, i));
        rows << values.join(QLatin1Char('\x1f'));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

TableRows allRows(const QString& folder)
{
    TableRows tables;
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.dat")}, QDir::Files);
    for (const QString& file : files) {
        const QString table = file.left(file.size() - 4);
        tables.insert(table, rowsOf(folder + file, table));
        tables.insert(table + QStringLiteral(" (meta)"),
                      rowsOf(folder + file, QStringLiteral("corvane_table")));
    }
    return tables;
}

QMap<QString, QByteArray> fileHashes(const QString& folder)
{
    QMap<QString, QByteArray> hashes;
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.dat")}, QDir::Files);
    for (const QString& name : files) {
        QFile file(folder + name);
        file.open(QIODevice::ReadOnly);
        hashes.insert(name, QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256));
    }
    return hashes;
}

QString readSetting(const char* key, const QString& name)
{
    return RegistryKey(Registry(), SettingsKeys::path(QLatin1String(key))).readString(name);
}

class Maintenance : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString master = masterDataFolder();
        ASSERT_TRUE(QFile::exists(master + QStringLiteral("SE3.dat"))) << qPrintable(master);
        Registry registry;
        ProfileSetup setup(registry, m_profile.path(QStringLiteral("Home/")));
        ASSERT_TRUE(setup.run()) << qPrintable(setup.error());
        m_data = m_profile.path(QStringLiteral("Home/Data/"));
        for (const QString& name : QDir(master).entryList({QStringLiteral("*.dat")}, QDir::Files)) {
            QFile::remove(m_data + name);
            ASSERT_TRUE(QFile::copy(master + name, m_data + name));
            QFile::setPermissions(m_data + name, QFile::ReadOwner | QFile::WriteOwner);
        }
        m_session.addPassword(QLatin1String(Schema::SE3Password));
        m_db.setDirectory(m_data);
        m_db.connect();
    }

    int count(const QString& sql)
    {
        Query query(&m_db, sql);
        query.open();
        return query.asInteger(QStringLiteral("N"));
    }

    QStringList engines()
    {
        QStringList names;
        Table se3(&m_db, QStringLiteral("SE3"), QStringLiteral("SEName"));
        se3.open();
        for (se3.first(); !se3.eof(); se3.next())
            names << se3.asString(QStringLiteral("Name"));
        return names;
    }

    test::TempProfile m_profile;
    QString m_data;
    Session m_session{QStringLiteral("Test")};
    Database m_db{QStringLiteral("Test"), &m_session};
};

// Backup and restore -----------------------------------------------------------

TEST_F(Maintenance, BackupAndRestoreRoundTripEveryTableRowForRow)
{
    const TableRows before = allRows(m_data);
    ASSERT_GT(before.value(QStringLiteral("CVRank")).size(), 100);
    const QString root = m_profile.path(QStringLiteral("Backups"));
    QDir().mkpath(root);

    QStringList log;
    DataBackup backup(m_data);
    EXPECT_TRUE(backup.backup(root, [&](const QString& line) { log << line; }));
    QStringList expected{QStringLiteral("Backing up data files:"),
                         QStringLiteral("************************")};
    for (const QString& table : m_db.tableNames())
        expected << table + QStringLiteral(" OK");
    expected << QStringLiteral("Done!");
    EXPECT_EQ(log, expected);
    // The copies are the tables, SE3 with its password record included.
    EXPECT_EQ(allRows(DataBackup::backupFolder(root)), before);

    // Work goes on and is then thrown away by the restore.
    Query(&m_db, QStringLiteral("DELETE FROM CVRank")).execSql();
    Query(&m_db, QStringLiteral("UPDATE SE3 SET Popularity = 1")).execSql();
    QFile::remove(m_data + QStringLiteral("CVLog.dat"));
    ASSERT_NE(allRows(m_data), before);

    // Another program has CVRank open during the restore: it reads the restored table afterwards.
    sqlite3* reader = nullptr;
    sqlite3_open_v2(QFile::encodeName(m_data + QStringLiteral("CVRank.dat")).constData(), &reader,
                    SQLITE_OPEN_READONLY, nullptr);
    const auto rankRows = [reader] {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(reader, "SELECT COUNT(*) FROM CVRank", -1, &stmt, nullptr);
        sqlite3_step(stmt);
        const int n = sqlite3_column_int(stmt, 0);
        sqlite3_finalize(stmt);
        return n;
    };
    EXPECT_EQ(rankRows(), 0);

    log.clear();
    EXPECT_TRUE(backup.restore(root, [&](const QString& line) { log << line; }));
    EXPECT_EQ(rankRows(), before.value(QStringLiteral("CVRank")).size());
    sqlite3_close(reader);
    EXPECT_EQ(log.first(), QStringLiteral("Restoring data files:"));
    EXPECT_EQ(log.last(), QStringLiteral("Done!"));
    EXPECT_EQ(allRows(m_data), before);
    // The restored SE3 still asks for its password.
    Session bare(QStringLiteral("Bare"));
    Database plain(QStringLiteral("Bare"), &bare);
    plain.setDirectory(m_data);
    EXPECT_THROW(plain.checkTable(QStringLiteral("SE3")), DatabaseError);
    EXPECT_NO_THROW(m_db.checkTable(QStringLiteral("SE3")));
    // No temporary file is left in either folder.
    EXPECT_TRUE(QDir(m_data).entryList({QStringLiteral("*.copying*")}).isEmpty());
    EXPECT_TRUE(QDir(DataBackup::backupFolder(root)).entryList({QStringLiteral("*.copying*")}).isEmpty());
}

TEST_F(Maintenance, ABackupToAMissingRootReportsEveryTableAndLeavesTheDataAlone)
{
    const auto hashes = fileHashes(m_data);
    const QString root = m_profile.path(QStringLiteral("no/such/root"));
    QStringList log;
    DataBackup backup(m_data);
    EXPECT_FALSE(backup.backup(root, [&](const QString& line) { log << line; }));
    const QStringList tables = m_db.tableNames();
    ASSERT_EQ(log.size(), tables.size() + 3);
    for (int i = 0; i < tables.size(); ++i) {
        const QString line = log.at(i + 2);
        EXPECT_TRUE(line.startsWith(tables.at(i) + QLatin1Char(' '))) << qPrintable(line);
        EXPECT_TRUE(line.contains(QLatin1String("does not exist"))) << qPrintable(line);
    }
    EXPECT_EQ(log.last(), QStringLiteral("Done...with errors..."));
    EXPECT_FALSE(QFileInfo::exists(root));
    EXPECT_EQ(fileHashes(m_data), hashes);

    // A restore from there finds no backup and changes nothing either.
    log.clear();
    EXPECT_FALSE(backup.restore(root, [&](const QString& line) { log << line; }));
    EXPECT_EQ(log.last(), QStringLiteral("Done...with errors..."));
    EXPECT_EQ(fileHashes(m_data), hashes);
}

namespace {

// A writer in another program: appends batches of rows to CVRank, each batch
// one transaction, until the stop file appears; prints each batch it commits.
// Every 50th batch replaces the writer's rows, so that a long run does not
// fill the disk.
// It checkpoints often, so the log is reset again and again under the backup.
const char* const WriterScript = R"py(
import os, sqlite3, sys
db = sqlite3.connect(sys.argv[1], timeout=30, isolation_level=None)
db.execute('PRAGMA wal_autocheckpoint = 100')
batches = 0
while not os.path.exists(sys.argv[2]):
    try:
        db.execute('BEGIN IMMEDIATE')
    except sqlite3.OperationalError:
        continue
    try:
        if batches % 50 == 49:
            db.execute("DELETE FROM CVRank WHERE Project = 'Process'")
        for i in range(int(sys.argv[3])):
            db.execute("INSERT INTO CVRank (Project, SearchEngine, SearchTerm, URL, Rank) "
                       "VALUES ('Process', 'P', 'p', 'http://p/', 1)")
        db.execute('COMMIT')
        batches += 1
        print(batches, flush=True)
    except sqlite3.OperationalError:
        db.execute('ROLLBACK')
db.close()
)py";

// SQLite's verdict on a table file: "ok", or its findings.
std::string integrity(const QString& file)
{
    return rowsOf(file, QStringLiteral("pragma_integrity_check"))
        .join(QLatin1Char('\n'))
        .left(2000)
        .toStdString();
}

} // namespace

TEST_F(Maintenance, ABackupTakenWhileOthersWriteIsConsistent)
{
    // Two writers append batches of 200 rows to CVRank, each batch one
    // transaction, as Harvester does with a session's results: a thread of
    // this process and another program (each starts afresh every 50th batch).
    // Every copy must be a whole table holding whole batches only, and the
    // live table must stay whole.
    // CORVANE_BACKUP_ROUNDS raises the number of backups for a longer run.
    constexpr int Batch = 200;
    const int rounds = qMax(5, qEnvironmentVariableIntValue("CORVANE_BACKUP_ROUNDS"));
    const QString rankPath = m_data + QStringLiteral("CVRank.dat");
    const QString stopFile = m_profile.path(QStringLiteral("stop-writing"));

    QProcess other;
    other.start(
        QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-c"), QString::fromUtf8(WriterScript), rankPath, stopFile, QString::number(Batch)});
    ASSERT_TRUE(other.waitForStarted()) << qPrintable(other.errorString());

    std::atomic<bool> stop{false};
    std::atomic<int> batches{0};
    std::thread writer([&] {
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(rankPath).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_busy_timeout(db, 30000);
        const auto run = [db](const char* sql) {
            return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
        };
        while (!stop) {
            // A batch is written inside its own transaction or not at all.
            if (!run("BEGIN IMMEDIATE"))
                continue;
            bool ok = (batches + 1) % 50 != 0 || run("DELETE FROM CVRank WHERE Project = 'Thread'");
            for (int i = 0; ok && i < Batch; ++i) {
                ok = run("INSERT INTO CVRank (Project, SearchEngine, SearchTerm, URL, Rank) "
                         "VALUES ('Thread', 'W', 'w', 'http://w/', 1)");
            }
            if (ok && run("COMMIT"))
                ++batches;
            else
                run("ROLLBACK");
        }
        sqlite3_close(db);
    });
    QByteArray otherOutput;
    const auto otherBatches = [&] {
        otherOutput += other.readAllStandardOutput();
        const QList<QByteArray> lines = otherOutput.left(otherOutput.lastIndexOf('\n')).split('\n');
        return lines.last().toInt();
    };
    QElapsedTimer started;
    started.start();
    while ((batches < 3 || otherBatches() < 3) && started.elapsed() < 60000) {
        other.waitForReadyRead(5);
    }

    const QString root = m_profile.path(QStringLiteral("Backups"));
    QDir().mkpath(root);
    const QString copy = DataBackup::backupFolder(root) + QStringLiteral("CVRank.dat");
    QStringList log;
    for (int round = 0; round < rounds; ++round) {
        log.clear();
        ASSERT_TRUE(DataBackup(m_data).backup(root, [&](const QString& line) { log << line; }))
            << qPrintable(log.join(QLatin1Char('\n')));
        EXPECT_EQ(integrity(copy), "ok") << "round " << round;
        const QStringList rows = rowsOf(copy, QStringLiteral("CVRank"));
        for (const char* project : {"Thread", "Process"}) {
            const qsizetype written =
                rows.filter(QRegularExpression(QLatin1String("^") + QLatin1String(project)
                                               + QLatin1String("\x1f")))
                    .size();
            EXPECT_EQ(written % Batch, 0) << project << " rows " << written << " in round " << round;
        }
        if (HasFailure())
            break;
    }
    stop = true;
    writer.join();
    QFile(stopFile).open(QIODevice::WriteOnly);
    ASSERT_TRUE(other.waitForFinished(60000));
    EXPECT_EQ(other.exitCode(), 0) << qPrintable(QString::fromLocal8Bit(other.readAllStandardError()));
    EXPECT_GT(batches.load(), 3);
    EXPECT_GT(otherBatches(), 3);
    EXPECT_EQ(integrity(rankPath), "ok");
}

TEST_F(Maintenance, ABackupTakenWhileHarvesterWritesHoldsWholeSessions)
{
    // Harvester harvests the demo project day after day from the demo engine
    // started here while backups are taken one after the other. Harvester
    // writes each session in one transaction: every copy of a results table
    // holds a day's session whole or not at all.
    DemoEngine engine;
    ASSERT_TRUE(engine.start()) << qPrintable(engine.error());
    for (const char* column : {"HomePage", "AString1", "BString1", "ReplaceWith1", "ReplaceWith2"}) {
        Query(&m_db,
              QStringLiteral("UPDATE SE3 SET %1 = replace(%1, '127.0.0.1:8765', '127.0.0.1:%2')")
                  .arg(QLatin1String(column))
                  .arg(engine.port()))
            .execSql();
    }
    Registry registry;
    const QString network = SettingsKeys::path(QLatin1String(SettingsKeys::Network));
    registry.writeString(network, QStringLiteral("HTTPRetryTimes"), QStringLiteral("1"));
    registry.writeString(SettingsKeys::path(QLatin1String(SettingsKeys::StartupSettings)),
                         QStringLiteral("HVRetryTimes"), QStringLiteral("0"));

    // Days long before the demo profile's own history.
    const QList<QDate> days = {QDate(2020, 3, 1), QDate(2020, 3, 2), QDate(2020, 3, 3)};
    const QString root = m_profile.path(QStringLiteral("Backups"));
    QDir().mkpath(root);
    const QString folder = DataBackup::backupFolder(root);
    // Per table, the rows of each harvested day found in each copy.
    const QStringList tables = {QStringLiteral("CVRank"), QStringLiteral("CVHilo")};
    QMap<QString, QList<QMap<QDate, int>>> seen;
    const auto rowsPerDay = [&](const QString& directory, const QString& table) {
        Session session(QStringLiteral("Count"));
        Database database(QStringLiteral("Count"), &session);
        database.setDirectory(directory);
        database.connect();
        Query query(&database,
                    QStringLiteral("SELECT xDate, COUNT(*) AS N FROM %1 WHERE Project = 'Demo' "
                                   "AND xDate BETWEEN '2020-03-01' AND '2020-03-03' GROUP BY xDate")
                        .arg(table));
        query.open();
        QMap<QDate, int> counts;
        for (query.first(); !query.eof(); query.next())
            counts.insert(query.asDate(QStringLiteral("xDate")), query.asInteger(QStringLiteral("N")));
        return counts;
    };
    int copies = 0;
    for (const QDate& day : days) {
        engine.setDay(day.day());
        QProcess harvester;
        harvester.start(QStringLiteral(CORVANE_BIN_DIR "/Harvester"),
                        {QStringLiteral("\"Demo\""), QStringLiteral("--date"), day.toString(Qt::ISODate)});
        ASSERT_TRUE(harvester.waitForStarted()) << qPrintable(harvester.errorString());
        do {
            QStringList log;
            ASSERT_TRUE(DataBackup(m_data).backup(root, [&](const QString& line) { log << line; }))
                << qPrintable(log.join(QLatin1Char('\n')));
            ++copies;
            for (const QString& table : tables) {
                EXPECT_EQ(integrity(folder + table + QStringLiteral(".dat")), "ok") << qPrintable(table);
                seen[table] << rowsPerDay(folder, table);
            }
        } while (!harvester.waitForFinished(10) && !HasFailure());
        harvester.waitForFinished(240000);
        ASSERT_EQ(harvester.exitCode(), 0) << qPrintable(
            QString::fromLocal8Bit(harvester.readAllStandardError() + harvester.readAllStandardOutput()));
    }
    EXPECT_GE(copies, days.size());
    for (const QString& table : tables) {
        const QMap<QDate, int> whole = rowsPerDay(m_data, table);
        // A first day has no highs and lows to compare with.
        if (table == QLatin1String("CVRank")) {
            EXPECT_EQ(whole.keys(), days);
        }
        for (const QMap<QDate, int>& copy : seen.value(table)) {
            for (auto it = copy.begin(); it != copy.end(); ++it)
                EXPECT_EQ(it.value(), whole.value(it.key()))
                    << qPrintable(table + it.key().toString(Qt::ISODate));
        }
    }
    EXPECT_EQ(integrity(m_data + QStringLiteral("CVRank.dat")), "ok");
}

// Directory changer ---------------------------------------------------------

TEST_F(Maintenance, TheDirectoryChangerWritesOnlyARootThatHoldsTheTables)
{
    const QString locations = QLatin1String(SettingsKeys::FileLocations);
    const QString dataBefore = readSetting(SettingsKeys::FileLocations, QStringLiteral("DataFolder"));
    const QString lastRunBefore = readSetting(SettingsKeys::StartupSettings, QStringLiteral("Last Run"));
    const auto unchanged = [&] {
        EXPECT_EQ(readSetting(SettingsKeys::FileLocations, QStringLiteral("DataFolder")), dataBefore);
        EXPECT_EQ(readSetting(SettingsKeys::StartupSettings, QStringLiteral("Last Run")), lastRunBefore);
    };

    // No data folder at all.
    const QString empty = m_profile.path(QStringLiteral("Empty Root"));
    QDir().mkpath(empty);
    QString message = DirectoryChange(empty).apply();
    EXPECT_TRUE(message.contains(empty + QStringLiteral("/Data/"))) << qPrintable(message);
    EXPECT_TRUE(message.contains(QLatin1String("does not exist"))) << qPrintable(message);
    unchanged();

    // A data folder with only some of the tables: the missing ones are named.
    const QString partial = m_profile.path(QStringLiteral("Partial & <b>Wurzel</b>"));
    QDir().mkpath(partial + QStringLiteral("/Data"));
    QFile::copy(m_data + QStringLiteral("Summary.dat"), partial + QStringLiteral("/Data/Summary.dat"));
    message = DirectoryChange(partial).apply();
    EXPECT_TRUE(message.contains(QLatin1String("CVRank"))) << qPrintable(message);
    EXPECT_TRUE(message.contains(QLatin1String("SE3"))) << qPrintable(message);
    EXPECT_FALSE(message.contains(QLatin1String("Summary,"))) << qPrintable(message);
    unchanged();

    // A complete root, typed with a trailing separator: joined as typed.
    const QString root = m_profile.path(QStringLiteral("Neue Wurzel"));
    QDir().mkpath(root + QStringLiteral("/Data"));
    for (const QString& name : QDir(m_data).entryList({QStringLiteral("*.dat")}, QDir::Files))
        QFile::copy(m_data + name, root + QStringLiteral("/Data/") + name);
    EXPECT_EQ(DirectoryChange(root + QLatin1Char('/')).apply(), QString());
    EXPECT_EQ(readSetting(SettingsKeys::FileLocations, QStringLiteral("DataFolder")),
              root + QStringLiteral("//Data/"));
    EXPECT_EQ(readSetting(SettingsKeys::FileLocations, QStringLiteral("Cfg")),
              root + QStringLiteral("//Cfg/"));
    EXPECT_EQ(readSetting(SettingsKeys::FileLocations, QStringLiteral("UpdateFolder")),
              root + QStringLiteral("//Update/"));
    Query first(&m_db, QStringLiteral("SELECT MIN(xDate) AS D FROM Summary"));
    first.open();
    const qint64 days = QDate(1899, 12, 30).daysTo(first.asDate(QStringLiteral("D")));
    EXPECT_EQ(readSetting(SettingsKeys::StartupSettings, QStringLiteral("Last Run")),
              QString::number(days) + QStringLiteral(".0000000001"));
    Q_UNUSED(locations);
}

// Remote script update ------------------------------------------------------

// The update server's side: a new engine-script table made from the profile's
// one, its archives, and the server itself.
class RemoteUpdateTest : public Maintenance
{
protected:
    void SetUp() override
    {
        Maintenance::SetUp();
        if (HasFatalFailure())
            return;
        m_engines = engines();
        ASSERT_GE(m_engines.size(), 3);
        m_terminated = m_engines.first();
        m_survivors = m_engines.mid(1);
        // The first survivor is one the demo project mined (the interface engine is inactive).
        std::stable_partition(m_survivors.begin(), m_survivors.end(), [this](const QString& engine) {
            return count(QStringLiteral("SELECT COUNT(*) AS N FROM CVRank WHERE SearchEngine = ")
                         + SqlQuote::quoted(engine))
                > 0;
        });

        // The user's own values, different for every engine.
        Table se3(&m_db, QStringLiteral("SE3"), QStringLiteral("SEName"));
        se3.open();
        int n = 0;
        for (se3.first(); !se3.eof(); se3.next(), ++n) {
            se3.edit();
            se3.setValue(QStringLiteral("Popularity"), 10 + n);
            se3.setValue(QStringLiteral("PopSource"), QStringLiteral("mine %1").arg(n));
            se3.setValue(QStringLiteral("Delay"), 20 + n);
            se3.setValue(QStringLiteral("Delay2"), 30 + n);
            se3.setValue(QStringLiteral("EngineInc"), 40 + n);
            se3.post();
        }
        se3.close();
        // Saved charts over engines: one of the terminated engine alone, one
        // of it and a survivor, one selecting it.
        Table charts(&m_db, QStringLiteral("CVSQLTee"));
        charts.open();
        const auto chart = [&](const QString& name, const QString& order, const QString& forEach,
                               const QString& select1) {
            charts.append();
            charts.setValue(QStringLiteral("Project"), QStringLiteral("Demo"));
            charts.setValue(QStringLiteral("Chart"), name);
            charts.setValue(QStringLiteral("PopOrder"), order);
            charts.setValue(QStringLiteral("ForEach"), forEach);
            charts.setValue(QStringLiteral("Select1"), select1);
            charts.post();
        };
        chart(QStringLiteral("Alone"), QStringLiteral("STU"), m_terminated, QStringLiteral("term"));
        chart(QStringLiteral("Mixed"), QStringLiteral("SUT"),
              m_terminated + QStringLiteral("\r\n") + m_survivors.first(), QStringLiteral("term"));
        chart(QStringLiteral("Selecting"), QStringLiteral("UTS"), QStringLiteral("http://x/"), m_terminated);
        charts.close();

        // The server's table: the first engine gone, one new, new defaults.
        m_serverTable = m_profile.path(QStringLiteral("Server Table/"));
        QDir().mkpath(m_serverTable);
        Database server(QStringLiteral("Server"), &m_session);
        server.setDirectory(m_serverTable);
        TableCopy::copy(m_db, QStringLiteral("SE3"), server, TableCopy::Replace::ByRename);
        Table fresh(&server, QStringLiteral("SE3"), QStringLiteral("SEName"));
        fresh.open();
        ASSERT_TRUE(fresh.findKey({m_terminated}));
        fresh.edit();
        fresh.setValue(QStringLiteral("Name"), m_newEngine);
        fresh.post();
        for (fresh.first(); !fresh.eof(); fresh.next()) {
            fresh.edit();
            fresh.setValue(QStringLiteral("Popularity"), 77);
            fresh.setValue(QStringLiteral("PopSource"), QStringLiteral("server"));
            fresh.setValue(QStringLiteral("Delay"), 7);
            fresh.setValue(QStringLiteral("Delay2"), 8);
            fresh.setValue(QStringLiteral("EngineInc"), 9);
            fresh.setValue(QStringLiteral("Country"), QStringLiteral("Österreich"));
            fresh.post();
        }
        fresh.close();

        m_archives = m_profile.path(QStringLiteral("Server Files/"));
        QFile messages(m_profile.path(QStringLiteral("MSG.REF")));
        messages.open(QIODevice::WriteOnly);
        messages.write(
            "ignored line\r\n[MSG]\r\nScript update\r\nNeue Skripte f\xc3\xbcr \"alle\" & <b>Sie</b>\r\n"
            "[MSG]\r\nScript update\r\nSecond message\r\n");
        messages.close();
        const QString built = test::buildUpdateArchives(m_serverTable + QStringLiteral("SE3.dat"), m_archives,
                                                        messages.fileName());
        ASSERT_TRUE(built.isEmpty()) << qPrintable(built);
    }

    RemoteUpdate::Outcome runUpdate(RemoteUpdate::Options options = {})
    {
        m_log.clear();
        RemoteUpdate update(
            options, [this](const QString& line) { m_log << line; }, [](double) {});
        return update.run();
    }

    // What a failed run must leave: every table file as it was.
    void expectFailureLeavesEverything(const QString& why, const std::function<void()>& spoil,
                                       const QString& drop = {}, const QString& password = {})
    {
        SCOPED_TRACE(qPrintable(why));
        spoil();
        const auto hashes = fileHashes(m_data);
        test::UpdateServer server(m_archives, drop);
        ASSERT_NE(server.port(), 0) << qPrintable(server.error());
        server.configure(password.isEmpty() ? QStringLiteral("update") : password);
        EXPECT_EQ(runUpdate(), RemoteUpdate::Outcome::Failed);
        ASSERT_GE(m_log.size(), 3);
        EXPECT_TRUE(m_log.at(m_log.size() - 3).startsWith(QLatin1String("Connect FAILED ")))
            << qPrintable(m_log.join(QLatin1Char('\n')));
        EXPECT_EQ(m_log.at(m_log.size() - 2),
                  QStringLiteral("The engine scripts and the tables were left as they were."));
        EXPECT_EQ(m_log.last(), QStringLiteral("FAILED to Disconnect"));
        EXPECT_EQ(fileHashes(m_data), hashes);
    }

    QStringList m_engines;
    QString m_terminated;
    QStringList m_survivors;
    const QString m_newEngine = QStringLiteral("Neue Suche \"Ö\" & <b>Co</b>");
    QString m_serverTable;
    QString m_archives;
    QStringList m_log;
};

TEST_F(RemoteUpdateTest, KeepsTheUserValuesAndClearsOutTheTerminatedEngine)
{
    ASSERT_GT(count(QStringLiteral("SELECT COUNT(*) AS N FROM CVRank WHERE SearchEngine = ")
                    + SqlQuote::quoted(m_terminated)),
              0);
    test::UpdateServer server(m_archives);
    ASSERT_NE(server.port(), 0) << qPrintable(server.error());
    server.configure();

    RemoteUpdate::Options keep;
    keep.resetScores = keep.resetDelays = keep.resetIncrementers = false;
    ASSERT_EQ(runUpdate(keep), RemoteUpdate::Outcome::Done) << qPrintable(m_log.join(QLatin1Char('\n')));
    EXPECT_EQ(
        m_log,
        (QStringList{QStringLiteral("Connecting to Corvane ftp site"), QStringLiteral("Connected"),
                     QStringLiteral("Retrieving file information"), QStringLiteral("Getting SE3 Table"),
                     QStringLiteral("Getting SE3 Index"), QStringLiteral("Getting SE3 Memos"),
                     QStringLiteral("Decompressing new data"), QStringLiteral("Disconnecting"),
                     QStringLiteral("Updating Log files"), QStringLiteral("Populating user-defined fields"),
                     QStringLiteral("Clearing out terminated Search Engines:"),
                     QStringLiteral("  ") + m_terminated, QStringLiteral("Done")}));

    // The surviving engines keep every value of the user.
    Table se3(&m_db, QStringLiteral("SE3"), QStringLiteral("SEName"));
    se3.open();
    for (int n = 1; n < m_engines.size(); ++n) {
        ASSERT_TRUE(se3.findKey({m_engines.at(n)}));
        EXPECT_EQ(se3.asInteger(QStringLiteral("Popularity")), 10 + n);
        EXPECT_EQ(se3.asString(QStringLiteral("PopSource")), QStringLiteral("mine %1").arg(n));
        EXPECT_EQ(se3.asInteger(QStringLiteral("Delay")), 20 + n);
        EXPECT_EQ(se3.asInteger(QStringLiteral("Delay2")), 30 + n);
        EXPECT_EQ(se3.asInteger(QStringLiteral("EngineInc")), 40 + n);
        EXPECT_EQ(se3.asString(QStringLiteral("Country")), QStringLiteral("Österreich"));
    }
    // The new engine keeps the downloaded values and gets no selection.
    ASSERT_TRUE(se3.findKey({m_newEngine}));
    EXPECT_EQ(se3.asInteger(QStringLiteral("Popularity")), 77);
    EXPECT_EQ(se3.asString(QStringLiteral("PopSource")), QStringLiteral("server"));
    EXPECT_FALSE(se3.findKey({m_terminated}));
    se3.close();
    const QString q = SqlQuote::quoted(m_newEngine);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) AS N FROM CVSE3 WHERE Name = ") + q), 0);
    // The selections of the survivors take the new table's country.
    EXPECT_GT(count(QStringLiteral("SELECT COUNT(*) AS N FROM CVSE3 WHERE Country = 'Österreich'")), 0);

    // Nothing of the terminated engine is left.
    const QString t = SqlQuote::quoted(m_terminated);
    for (const QString& sql :
         {QStringLiteral("CVEngine WHERE SE3Name = "), QStringLiteral("CVHilo WHERE SearchEngine = "),
          QStringLiteral("CVRank WHERE SearchEngine = "), QStringLiteral("CVSE3 WHERE Name = "),
          QStringLiteral("Summary WHERE SearchEngine = "), QStringLiteral("CVSQLTee WHERE Select1 = ")})
        EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) AS N FROM ") + sql + t), 0) << qPrintable(sql);
    EXPECT_GT(count(QStringLiteral("SELECT COUNT(*) AS N FROM CVRank WHERE SearchEngine = ")
                    + SqlQuote::quoted(m_survivors.first())),
              0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) AS N FROM CVSQLTee WHERE Chart = 'Alone'")), 0);
    Query mixed(&m_db, QStringLiteral("SELECT ForEach FROM CVSQLTee WHERE Chart = 'Mixed'"));
    mixed.open();
    ASSERT_EQ(mixed.recordCount(), 1);
    EXPECT_EQ(mixed.asString(QStringLiteral("ForEach")), m_survivors.first());

    // The news, in file order.
    Query news(&m_db,
               QStringLiteral("SELECT Type, Subject, Content, xDate FROM CVNotable "
                              "WHERE Subject = 'Script update' ORDER BY rowid"));
    news.open();
    ASSERT_EQ(news.recordCount(), 2);
    EXPECT_EQ(news.asString(QStringLiteral("Type")), QStringLiteral("Message"));
    EXPECT_EQ(news.asString(QStringLiteral("Content")),
              QStringLiteral("Neue Skripte für \"alle\" & <b>Sie</b>"));
    EXPECT_EQ(news.asDate(QStringLiteral("xDate")), QDate::currentDate());
    EXPECT_FALSE(readSetting(SettingsKeys::Network, QStringLiteral("FTPLastMSG")).isEmpty());
    EXPECT_TRUE(readSetting(SettingsKeys::Network, QStringLiteral("FTPLastSE3"))
                    .contains(QLatin1String("SE3DAT.ZIP")));

    // A second run replaces the news rather than adding to them, and finds nothing to clear.
    ASSERT_EQ(runUpdate(keep), RemoteUpdate::Outcome::Done) << qPrintable(m_log.join(QLatin1Char('\n')));
    EXPECT_FALSE(m_log.contains(QStringLiteral("Clearing out terminated Search Engines:")));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) AS N FROM CVNotable WHERE Subject = 'Script update'")),
              2);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) AS N FROM SE3 WHERE Popularity = 11")), 1);
}

TEST_F(RemoteUpdateTest, WithTheResetBoxesOnOnlyTheScoreSourceIsCarriedAcross)
{
    test::UpdateServer server(m_archives);
    ASSERT_NE(server.port(), 0) << qPrintable(server.error());
    server.configure();
    ASSERT_EQ(runUpdate(), RemoteUpdate::Outcome::Done) << qPrintable(m_log.join(QLatin1Char('\n')));
    Table se3(&m_db, QStringLiteral("SE3"), QStringLiteral("SEName"));
    se3.open();
    for (int n = 1; n < m_engines.size(); ++n) {
        ASSERT_TRUE(se3.findKey({m_engines.at(n)}));
        EXPECT_EQ(se3.asInteger(QStringLiteral("Popularity")), 77);
        EXPECT_EQ(se3.asString(QStringLiteral("PopSource")), QStringLiteral("mine %1").arg(n));
        EXPECT_EQ(se3.asInteger(QStringLiteral("Delay")), 7);
        EXPECT_EQ(se3.asInteger(QStringLiteral("Delay2")), 8);
        EXPECT_EQ(se3.asInteger(QStringLiteral("EngineInc")), 9);
    }
}

TEST_F(RemoteUpdateTest, AFirstInstallationGetsTheDownloadedTable)
{
    m_db.deleteTable(QStringLiteral("SE3"));
    test::UpdateServer server(m_archives);
    ASSERT_NE(server.port(), 0) << qPrintable(server.error());
    server.configure();
    ASSERT_EQ(runUpdate(), RemoteUpdate::Outcome::Done) << qPrintable(m_log.join(QLatin1Char('\n')));
    EXPECT_FALSE(m_log.contains(QStringLiteral("Clearing out terminated Search Engines:")));
    QStringList expected = m_survivors;
    expected << m_newEngine;
    expected.sort();
    QStringList names = engines();
    names.sort();
    EXPECT_EQ(names, expected);
    EXPECT_NO_THROW(m_db.checkTable(QStringLiteral("SE3")));
}

TEST_F(RemoteUpdateTest, EveryFailedRunLeavesEveryTableAsItWas)
{
    const auto python = [](const QString& code) {
        QProcess p;
        p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), code});
        p.waitForFinished();
        return p.exitCode() == 0;
    };
    const QString dat = m_archives + QStringLiteral("SE3DAT.ZIP");
    const QString pristine = m_profile.path(QStringLiteral("SE3DAT.ZIP.good"));
    QFile::copy(dat, pristine);
    const auto restoreArchive = [&] {
        QFile::remove(dat);
        QFile::copy(pristine, dat);
    };

    expectFailureLeavesEverything(
        QStringLiteral("wrong password"), [] {}, {}, QStringLiteral("wrong"));
    EXPECT_TRUE(m_log.at(m_log.size() - 3).contains(QLatin1String("Cannot connect")));

    expectFailureLeavesEverything(
        QStringLiteral("server hangs up mid-transfer"), [] {}, QStringLiteral("SE3DAT.ZIP"));

    expectFailureLeavesEverything(QStringLiteral("damaged archive"), [&] {
        QFile file(dat);
        file.open(QIODevice::ReadWrite);
        file.seek(file.size() / 2);
        file.write(QByteArray(64, 'x'));
    });
    EXPECT_TRUE(m_log.at(m_log.size() - 3).contains(QLatin1String("SE3DAT.ZIP")));
    restoreArchive();

    expectFailureLeavesEverything(QStringLiteral("archive without its member"), [&] {
        QFile::remove(dat);
        python(QStringLiteral("import zipfile; zipfile.ZipFile(%1, 'w').writestr('OTHER.DAT', 'x')")
                   .arg(SqlQuote::quoted(dat)));
    });
    EXPECT_TRUE(m_log.at(m_log.size() - 3).contains(QLatin1String("holds no \"SE3.DAT\"")));
    restoreArchive();

    expectFailureLeavesEverything(QStringLiteral("table without the engine-script columns"), [&] {
        const QString folder = m_profile.path(QStringLiteral("Bad Table/"));
        QDir().mkpath(folder);
        Database bad(QStringLiteral("Bad"), &m_session);
        bad.setDirectory(folder);
        TableDef def;
        def.name = QStringLiteral("SE3");
        FieldDef name;
        name.name = QStringLiteral("Name");
        name.type = FieldType::String;
        name.size = 40;
        def.fields << name;
        bad.createTable(def, QLatin1String(Schema::SE3Password));
        Table rows(&bad, QStringLiteral("SE3"));
        rows.open();
        rows.append();
        rows.setValue(QStringLiteral("Name"), QStringLiteral("Lonely"));
        rows.post();
        rows.close();
        ASSERT_TRUE(test::buildUpdateArchives(folder + QStringLiteral("SE3.dat"), m_archives).isEmpty());
    });
    EXPECT_TRUE(m_log.at(m_log.size() - 3).contains(QLatin1String("lacks the engine-script columns")))
        << qPrintable(m_log.join(QLatin1Char('\n')));

    expectFailureLeavesEverything(QStringLiteral("table under another password"), [&] {
        const QString folder = m_profile.path(QStringLiteral("Other Password/"));
        QDir().mkpath(folder);
        Session other(QStringLiteral("Other"));
        Database db(QStringLiteral("Other"), &other);
        db.setDirectory(folder);
        db.createTable(*Schema::table(QStringLiteral("SE3")), QStringLiteral("not the password"));
        ASSERT_TRUE(test::buildUpdateArchives(folder + QStringLiteral("SE3.dat"), m_archives).isEmpty());
    });
    EXPECT_TRUE(m_log.at(m_log.size() - 3).contains(QLatin1String("password")));

    expectFailureLeavesEverything(QStringLiteral("missing archive"),
                                  [&] { QFile::remove(m_archives + QStringLiteral("SE3BLB.ZIP")); });
    EXPECT_TRUE(m_log.at(m_log.size() - 3).contains(QLatin1String("SE3BLB.ZIP")));
}

TEST_F(RemoteUpdateTest, AServerWithoutTheMessagesArchiveEndsTheRunQuietly)
{
    QFile::remove(m_archives + QStringLiteral("MSGREF.ZIP"));
    const auto hashes = fileHashes(m_data);
    test::UpdateServer server(m_archives);
    ASSERT_NE(server.port(), 0) << qPrintable(server.error());
    server.configure();
    EXPECT_EQ(runUpdate(), RemoteUpdate::Outcome::NoFiles);
    EXPECT_EQ(m_log.last(), QStringLiteral("No Files found to download."));
    EXPECT_EQ(fileHashes(m_data), hashes);
}

} // namespace
