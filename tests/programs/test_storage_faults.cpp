// Storage faults met by the programs: a data folder whose disk fills up during
// a Harvester session and a backup that fills its disk (a small tmpfs), and a
// data folder that may only be read (a read-only bind mount), which the
// reading programs and the dashboard's statements still read. Both need to
// mount file systems; where that is not permitted the tests are skipped.
#include "core/dashboard/DashboardData.h"
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableDatabase.h"
#include "core/demo/DemoEngine.h"
#include "core/maintenance/DataBackup.h"
#include "core/platform/Registry.h"
#include "core/settings/ProfileSetup.h"
#include "core/settings/Settings.h"

#include "../TestMount.h"
#include "../core/TestSupport.h"
#include "ProgramRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <sqlite3.h>

using namespace corvane;

namespace {

const QString Project = QStringLiteral("Shop&\"Co\"<b>");
const QStringList Terms = {QStringLiteral("blue widgets"), QStringLiteral("garden tools")};
constexpr int EngineDay = 20100;

// "ok" from PRAGMA integrity_check of every table file, else the file and the answer.
QStringList integrityFaults(const QString& folder)
{
    QStringList faults;
    for (const QString& file : QDir(folder).entryList({QStringLiteral("*.dat")}, QDir::Files)) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(folder + file).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* check = nullptr;
        QString answer;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr) == SQLITE_OK) {
            while (sqlite3_step(check) == SQLITE_ROW)
                answer += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)));
        } else {
            answer = QString::fromUtf8(sqlite3_errmsg(db));
        }
        sqlite3_finalize(check);
        sqlite3_close(db);
        if (answer != QLatin1String("ok"))
            faults << file + QStringLiteral(": ") + answer;
    }
    return faults;
}

// Writes a file until the disk is full, then gives back `leave` bytes.
void fillDisk(const QString& path, qint64 leave)
{
    QFile filler(path);
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    const QByteArray block(16 * 1024, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    filler.close();
    // The last block may have gone in partly: the file's size is what the disk took.
    ASSERT_TRUE(QFile::resize(path, std::max<qint64>(0, QFileInfo(path).size() - leave)));
}

// A profile in `home` with one project mined from a demo engine started here.
class StorageFaults : public ::testing::Test
{
protected:
    void startProfile(const QString& home)
    {
        ASSERT_TRUE(engine.start()) << qPrintable(engine.error());
        engine.setDay(EngineDay);
        Registry registry;
        ProfileSetup setup(registry, home);
        ASSERT_TRUE(setup.run()) << qPrintable(setup.error());
        dataFolder = setup.dataFolder();
        if (!dataFolder.endsWith(QLatin1Char('/')))
            dataFolder += QLatin1Char('/');
        session.addPassword(QLatin1String(Schema::SE3Password));
        data.setDirectory(dataFolder);
        data.connect();
        for (const char* column : {"HomePage", "AString1", "BString1", "ReplaceWith1", "ReplaceWith2"}) {
            exec(QStringLiteral("UPDATE SE3 SET %1 = replace(%1, '127.0.0.1:8765', '127.0.0.1:%2')")
                     .arg(QLatin1String(column))
                     .arg(engine.port()));
        }
        registry.writeString(SettingsKeys::path(QLatin1String(SettingsKeys::StartupSettings)),
                             QStringLiteral("HVRetryTimes"), QStringLiteral("0"));
        registry.writeString(SettingsKeys::path(QLatin1String(SettingsKeys::Network)),
                             QStringLiteral("HTTPRetryTimes"), QStringLiteral("1"));
        // The key URL: a site on the first page of both engines for the first term.
        const QList<QString> numbered = DemoEngine::ranking(Terms.first(), EngineDay, DemoStyle::Numbered);
        const QList<QString> planB = DemoEngine::ranking(Terms.first(), EngineDay, DemoStyle::PlanB);
        for (hostRank = 1; hostRank < 10 && !planB.mid(0, 10).contains(numbered.at(hostRank - 1));
             ++hostRank) {
        }
        host = QUrl(numbered.at(hostRank - 1)).host().mid(4);
        exec(QStringLiteral("INSERT INTO CVProject (Name, Depth, KeyURL, FullURLData, StopOnHit) "
                            "VALUES (%1, 20, 'Key', 1, 0)")
                 .arg(SqlQuote::quoted(Project)));
        exec(QStringLiteral("INSERT INTO CVURL (Name, URL, Project, AnyMatch) VALUES ('Key', %1, %2, 1)")
                 .arg(SqlQuote::quoted(host), SqlQuote::quoted(Project)));
        for (const QString& term : Terms) {
            exec(QStringLiteral("INSERT INTO CVST (Virtual, Physical, Project) VALUES (%1, %2, %3)")
                     .arg(SqlQuote::quoted(term),
                          SqlQuote::quoted(QString(term).replace(QLatin1Char(' '), QStringLiteral("~~~"))),
                          SqlQuote::quoted(Project)));
        }
        for (const QString& e : {QStringLiteral("Corvane Demo"), QStringLiteral("Corvane Demo PlanB")})
            exec(QStringLiteral("INSERT INTO CVSE3 (Name, Project) VALUES (%1, %2)")
                     .arg(SqlQuote::quoted(e), SqlQuote::quoted(Project)));
        data.disconnect();
    }

    void exec(const QString& sql) { Query(&data, sql).execSql(); }

    test::ProgramResult harvest(const QString& day)
    {
        return test::runProgram(QStringLiteral("Harvester"), {Project, QStringLiteral("--date"), day}, 90000);
    }

    // Rank rows of the project per day, read with SQLite itself.
    QMap<QString, int> rankRowsByDay()
    {
        QMap<QString, int> rows;
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(dataFolder + QStringLiteral("CVRank.dat")).constData(), &db,
                        SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "SELECT xDate, COUNT(*) FROM CVRank GROUP BY xDate", -1, &stmt, nullptr);
        while (sqlite3_step(stmt) == SQLITE_ROW)
            rows[QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)))] =
                sqlite3_column_int(stmt, 1);
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        return rows;
    }

    test::TempProfile profile;
    DemoEngine engine;
    Session session{QStringLiteral("Test")};
    Database data{QStringLiteral("Test"), &session};
    QString dataFolder;
    QString host;
    int hostRank = 1;
};

TEST_F(StorageFaults, AFullDiskEndsTheSessionAndTheBackupWithAMessageAndKeepsEveryTable)
{
    const QString disk = profile.path(QStringLiteral("disk"));
    test::Mount tmpfs({QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                       QStringLiteral("size=6m"), QStringLiteral("tmpfs")},
                      disk);
    if (!tmpfs.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here: " << qPrintable(tmpfs.error());
    startProfile(disk + QStringLiteral("/Home"));
    if (HasFatalFailure())
        return;

    auto first = harvest(QStringLiteral("2026-03-01"));
    ASSERT_EQ(first.exitCode, 0) << qPrintable(first.err + first.out);
    const QMap<QString, int> committed = rankRowsByDay();
    ASSERT_GT(committed.value(QStringLiteral("2026-03-01")), 0);

    // Full, or up to the last few pages: the next session runs out of room
    // opening its tables or while it writes.
    for (qint64 leave : {qint64(0), qint64(24 * 1024), qint64(120 * 1024)}) {
        SCOPED_TRACE(leave);
        const QString filler = disk + QStringLiteral("/filler");
        fillDisk(filler, leave);
        const auto full = harvest(QStringLiteral("2026-03-02"));
        EXPECT_EQ(full.exitCode, 2) << qPrintable(full.err + full.out);
        EXPECT_TRUE(full.err.contains(QLatin1String("full"), Qt::CaseInsensitive)
                    || full.err.contains(QLatin1String("No space left")))
            << qPrintable(full.err);
        EXPECT_TRUE(full.err.contains(disk)) << "the message names the file: " << qPrintable(full.err);
        QFile::remove(filler);
        EXPECT_EQ(integrityFaults(dataFolder), QStringList{});
        EXPECT_EQ(rankRowsByDay().value(QStringLiteral("2026-03-01")),
                  committed.value(QStringLiteral("2026-03-01")));
        // With room again the day is mined (or its written journal finished) in full.
        const auto again = harvest(QStringLiteral("2026-03-02"));
        EXPECT_EQ(again.exitCode, 0) << qPrintable(again.err + again.out);
        // The engine's day is the same: the second day holds what the first holds.
        EXPECT_EQ(rankRowsByDay().value(QStringLiteral("2026-03-02")),
                  committed.value(QStringLiteral("2026-03-01")));
        EXPECT_TRUE(QDir(dataFolder).entryList({QStringLiteral("*.journal")}).isEmpty());
    }

    // A backup onto a disk without room: every table that did not fit is named
    // with the reason, the earlier copy of each table stays whole.
    const QString backupDisk = profile.path(QStringLiteral("backupdisk"));
    test::Mount small({QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                       QStringLiteral("size=4m"), QStringLiteral("tmpfs")},
                      backupDisk);
    ASSERT_TRUE(small.mounted()) << qPrintable(small.error());
    DataBackup backup(dataFolder);
    QStringList log;
    ASSERT_TRUE(backup.backup(backupDisk, [&](const QString& line) { log << line; }))
        << qPrintable(log.join(QLatin1Char('\n')));
    const QString copies = DataBackup::backupFolder(backupDisk);
    EXPECT_EQ(integrityFaults(copies), QStringList{});
    fillDisk(backupDisk + QStringLiteral("/filler"), 0);
    log.clear();
    EXPECT_FALSE(backup.backup(backupDisk, [&](const QString& line) { log << line; }));
    EXPECT_EQ(log.last(), QStringLiteral("Done...with errors..."));
    const QStringList failed = log.filter(QStringLiteral("cannot be copied"));
    EXPECT_FALSE(failed.isEmpty()) << qPrintable(log.join(QLatin1Char('\n')));
    for (const QString& line : failed)
        EXPECT_TRUE(line.contains(QLatin1String("No space left on device"))
                    || line.contains(QLatin1String("full")))
            << qPrintable(line);
    EXPECT_EQ(integrityFaults(copies), QStringList{});
    EXPECT_TRUE(QDir(copies).entryList({QStringLiteral("*.copying*")}).isEmpty());
    EXPECT_EQ(integrityFaults(dataFolder), QStringList{});
}

TEST_F(StorageFaults, AReadOnlyDataFolderIsReadByTheReadingPrograms)
{
    startProfile(profile.path(QStringLiteral("Home")));
    if (HasFatalFailure())
        return;
    auto mined = harvest(QStringLiteral("2026-03-01"));
    ASSERT_EQ(mined.exitCode, 0) << qPrintable(mined.err + mined.out);

    test::Mount readOnly(test::Mount::readOnlyBind(dataFolder), dataFolder);
    if (!readOnly.mounted())
        GTEST_SKIP() << "cannot bind-mount the data folder read-only here: " << qPrintable(readOnly.error());
    ASSERT_FALSE(QFile(dataFolder + QStringLiteral("probe")).open(QIODevice::WriteOnly))
        << "the folder is still writable";

    auto r = test::runProgram(QStringLiteral("cvproject"), {QStringLiteral("list")});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.out.startsWith(Project + QLatin1Char('\t'))) << qPrintable(r.out);
    r = test::runProgram(QStringLiteral("cvproject"), {QStringLiteral("terms"), Project});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, Terms.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    r = test::runProgram(QStringLiteral("CVSchedule"), {QStringLiteral("--list")});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    r = test::runProgram(QStringLiteral("cvcheck"),
                         {QStringLiteral("--term"), Terms.first(), QStringLiteral("--url"), host,
                          QStringLiteral("--engine"), QStringLiteral("Corvane Demo"),
                          QStringLiteral("--depth"), QStringLiteral("20")});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Corvane Demo\t%1\t").arg(hostRank)))
        << qPrintable(r.out + r.err);

    // The dashboard's statements read the folder too.
    Session reading(QStringLiteral("Reading"));
    Database general(QStringLiteral("Reading"), &reading);
    general.setDirectory(dataFolder);
    general.connect();
    const DashboardData dashboard(general, Project, QDate(2026, 3, 1));
    const QList<TopEngine> engines = dashboard.topEngines();
    EXPECT_EQ(engines.size(), 2);
    EXPECT_FALSE(dashboard.firstPage().isEmpty());
    EXPECT_EQ(ProjectCounts::read(general, Project).searchTerms, 2);

    // A change is refused with the table named, and nothing is half done.
    r = test::runProgram(QStringLiteral("cvproject"),
                         {QStringLiteral("add-term"), Project, QStringLiteral("x")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QLatin1String("may only be read")) && r.err.contains(dataFolder))
        << qPrintable(r.err);
}

} // namespace
