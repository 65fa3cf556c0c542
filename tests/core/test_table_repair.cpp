// Check and repair of real damaged table files.
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/repair/RepairOptions.h"
#include "core/repair/RepairRun.h"
#include "core/repair/TableRepair.h"

#include "DamagedTables.h"
#include "TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::repair;

namespace {

constexpr int Rows = 600;

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QDateTime stamp() { return QDateTime(QDate(2026, 12, 7), QTime(23, 30, 5)); }

class TableRepairTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = profile.path(QStringLiteral("Data/"));
        QDir().mkpath(folder);
        database.setDirectory(folder);
        database.connect();
    }

    QString makeTable(const QString& name, const QString& password = {})
    {
        const QString path = test::createNumberedTable(database, name, Rows, password);
        EXPECT_FALSE(QFile::exists(path + QStringLiteral("-wal"))) << "the table file must hold every row";
        return path;
    }

    // A sound table opens through the table database and reads every row it holds.
    int rowsThroughDatabase(const QString& name)
    {
        Table table(&database, name);
        table.open();
        return table.recordCount();
    }

    test::TempProfile profile;
    Session session{QStringLiteral("Test")};
    Database database{QStringLiteral("Test"), &session};
    QString folder;
};

} // namespace

TEST_F(TableRepairTest, SoundTablesCheckSoundAndRepairChangesNothing)
{
    const QString path = makeTable(QStringLiteral("Sound"));
    const QByteArray before = fileHash(path);

    EXPECT_EQ(checkTable(path).outcome, TableResult::Outcome::Sound);
    const TableResult repaired = repairTable(path, stamp());
    EXPECT_EQ(repaired.outcome, TableResult::Outcome::Sound);
    EXPECT_EQ(repaired.resultText(), QStringLiteral("OK"));
    EXPECT_EQ(fileHash(path), before);
}

TEST_F(TableRepairTest, ADroppedSchemaIndexIsFoundAndCreatedAgain)
{
    // CVURL is one of the program's tables: its indexes are known.
    database.createTable(*Schema::table(QStringLiteral("CVURL")));
    const QString path = database.tableFilePath(QStringLiteral("CVURL"));
    test::execOnFile(path, QStringLiteral("DROP INDEX URLProjidx"));

    const TableResult checked = checkTable(path);
    EXPECT_EQ(checked.outcome, TableResult::Outcome::Damaged);
    EXPECT_EQ(checked.found.missingIndexes, QStringList{QStringLiteral("URLProjidx")});
    EXPECT_TRUE(checked.details().contains(QStringLiteral("URLProjidx")));

    const TableResult repaired = repairTable(path, stamp());
    EXPECT_EQ(repaired.outcome, TableResult::Outcome::Repaired) << qPrintable(repaired.details());
    EXPECT_TRUE(repaired.keptCopy.isEmpty()) << "an index alone needs no rebuild";
    EXPECT_TRUE(database.tableDef(QStringLiteral("CVURL")).index(QStringLiteral("URLProjidx"))->unique);
}

TEST_F(TableRepairTest, CorruptDataPagesAreRebuiltFromTheReadableRowsAndTheDamagedFileIsKept)
{
    const QString path = makeTable(QStringLiteral("Pages"));
    const QList<int> leaves = test::leafPages(path, QStringLiteral("Pages"));
    ASSERT_GE(leaves.size(), 10);
    test::smashPage(path, leaves.at(3));
    test::smashPage(path, leaves.at(7));
    const QByteArray damaged = fileHash(path);

    const TableResult checked = checkTable(path);
    EXPECT_EQ(checked.outcome, TableResult::Outcome::Damaged);
    EXPECT_EQ(checked.found.state, TableCondition::State::DataDamage);
    EXPECT_EQ(fileHash(path), damaged) << "a check changes nothing";

    const TableResult repaired = repairTable(path, stamp());
    ASSERT_EQ(repaired.outcome, TableResult::Outcome::Repaired) << qPrintable(repaired.details());
    EXPECT_EQ(repaired.keptCopy, path + QStringLiteral(".damaged-20261207-233005"));
    EXPECT_EQ(fileHash(repaired.keptCopy), damaged);
    EXPECT_EQ(checkTable(path).outcome, TableResult::Outcome::Sound);

    // Only the rows of the two smashed pages are gone; the others are there as they were.
    const QList<int> numbers = test::numbersIn(path, QStringLiteral("Pages"));
    const int perPage = Rows / int(leaves.size());
    EXPECT_LT(numbers.size(), Rows);
    EXPECT_GE(numbers.size(), Rows - 2 * (perPage + 2));
    EXPECT_EQ(numbers.first(), 1);
    EXPECT_EQ(numbers.last(), Rows);
    EXPECT_EQ(rowsThroughDatabase(QStringLiteral("Pages")), numbers.size());
    Table table(&database, QStringLiteral("Pages"), QStringLiteral("Nameidx"));
    table.open();
    ASSERT_TRUE(table.findKey({QStringLiteral("row 1")}));
    EXPECT_EQ(table.asString(QStringLiteral("Note")), QStringLiteral("note 1 ").repeated(12));
    EXPECT_TRUE(repaired.details().contains(QStringLiteral("kept as")));
}

TEST_F(TableRepairTest, ATruncatedFileKeepsTheRowsBeforeTheCut)
{
    const QString path = makeTable(QStringLiteral("Cut"));
    test::truncateFile(path, 0.6);

    EXPECT_EQ(checkTable(path).outcome, TableResult::Outcome::Damaged);
    const TableResult repaired = repairTable(path, stamp());
    ASSERT_EQ(repaired.outcome, TableResult::Outcome::Repaired) << qPrintable(repaired.details());
    const QList<int> numbers = test::numbersIn(path, QStringLiteral("Cut"));
    EXPECT_GT(numbers.size(), Rows / 3);
    EXPECT_LT(numbers.size(), Rows);
    EXPECT_EQ(numbers.first(), 1);
    EXPECT_EQ(rowsThroughDatabase(QStringLiteral("Cut")), numbers.size());
}

TEST_F(TableRepairTest, ADamagedIndexPageIsMendedWithoutLosingRows)
{
    const QString path = makeTable(QStringLiteral("Idx"));
    const QList<int> indexLeaves = test::leafPages(path, QStringLiteral("Nameidx"));
    ASSERT_GE(indexLeaves.size(), 2);
    test::smashPage(path, indexLeaves.at(1));

    EXPECT_EQ(checkTable(path).outcome, TableResult::Outcome::Damaged);
    const TableResult repaired = repairTable(path, stamp());
    ASSERT_EQ(repaired.outcome, TableResult::Outcome::Repaired) << qPrintable(repaired.details());
    EXPECT_EQ(test::numbersIn(path, QStringLiteral("Idx")).size(), Rows);
}

TEST_F(TableRepairTest, IndexesHoldingTheWrongEntriesAreRebuiltInPlace)
{
    const QString path = makeTable(QStringLiteral("Swapped"));
    // Two indexes whose trees are swapped: each holds the other's entries.
    test::execOnFile(path,
                     QStringLiteral("CREATE INDEX NumberIdx ON Swapped (Number);"
                                    "CREATE TEMP TABLE roots AS SELECT name, rootpage FROM sqlite_master "
                                    "WHERE name IN ('Nameidx', 'NumberIdx');"
                                    "PRAGMA writable_schema = ON;"
                                    "UPDATE sqlite_master SET rootpage = (SELECT rootpage FROM roots WHERE "
                                    "roots.name <> sqlite_master.name) "
                                    "WHERE name IN ('Nameidx', 'NumberIdx');"));

    const TableResult checked = checkTable(path);
    ASSERT_EQ(checked.found.state, TableCondition::State::IndexDamage) << qPrintable(checked.details());

    const TableResult repaired = repairTable(path, stamp());
    ASSERT_EQ(repaired.outcome, TableResult::Outcome::Repaired) << qPrintable(repaired.details());
    EXPECT_TRUE(repaired.actions.contains(QStringLiteral("Indexes rebuilt.")));
    EXPECT_TRUE(repaired.keptCopy.isEmpty());
    Table table(&database, QStringLiteral("Swapped"), QStringLiteral("Nameidx"));
    table.open();
    EXPECT_EQ(table.recordCount(), Rows);
    ASSERT_TRUE(table.findKey({QStringLiteral("row 42")}));
    EXPECT_EQ(table.asInteger(QStringLiteral("Number")), 42);
}

TEST_F(TableRepairTest, ARebuiltPasswordTableKeepsItsProtection)
{
    const QString path = makeTable(QStringLiteral("SE3"), QLatin1String(Schema::SE3Password));
    test::smashPage(path, test::leafPages(path, QStringLiteral("SE3")).at(4));

    const TableResult repaired = repairTable(path, stamp());
    ASSERT_EQ(repaired.outcome, TableResult::Outcome::Repaired) << qPrintable(repaired.details());

    Session stranger(QStringLiteral("Stranger"));
    Database withoutPassword(QStringLiteral("Stranger"), &stranger);
    withoutPassword.setDirectory(folder);
    withoutPassword.connect();
    Table locked(&withoutPassword, QStringLiteral("SE3"));
    try {
        locked.open();
        FAIL() << "a rebuilt SE3 opened without its password";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.code(), DatabaseError::PasswordRequired);
    }
    EXPECT_GT(rowsThroughDatabase(QStringLiteral("SE3")), Rows / 2);
}

TEST_F(TableRepairTest, AnUnreadableFileOfAKnownTableIsRebuiltEmptyWithTheProgramsLayout)
{
    const QString path = folder + QStringLiteral("CVLog.dat");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(8192, 'x'));
    }
    const TableResult checked = checkTable(path);
    EXPECT_EQ(checked.found.state, TableCondition::State::Unreadable);

    const TableResult repaired = repairTable(path, stamp());
    ASSERT_EQ(repaired.outcome, TableResult::Outcome::Repaired) << qPrintable(repaired.details());
    EXPECT_TRUE(repaired.details().contains(QStringLiteral("program's layout")));
    EXPECT_TRUE(QFile::exists(repaired.keptCopy));
    const TableDef def = database.tableDef(QStringLiteral("CVLog"));
    EXPECT_TRUE(def.field(QStringLiteral("Message")));
    EXPECT_TRUE(def.index(QStringLiteral("LogDateidx")));
    EXPECT_EQ(rowsThroughDatabase(QStringLiteral("CVLog")), 0);
}

TEST_F(TableRepairTest, AnUnknownTableWhoseLayoutIsLostStaysAsItWas)
{
    const QString path = makeTable(QStringLiteral("CVReportTemp"));
    test::smashPage(path, 1);
    const QByteArray damaged = fileHash(path);

    const TableResult repaired = repairTable(path, stamp());
    EXPECT_EQ(repaired.outcome, TableResult::Outcome::NotRepaired);
    EXPECT_TRUE(repaired.damageRemains());
    EXPECT_TRUE(repaired.failure.contains(QStringLiteral("none of the program's tables")))
        << qPrintable(repaired.failure);
    EXPECT_EQ(fileHash(path), damaged);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).filter(QStringLiteral("damaged")).size(), 0);
}

TEST_F(TableRepairTest, AFolderPassReportsEveryTableInOrderAndSkipsKeptCopies)
{
    makeTable(QStringLiteral("beta"));
    const QString alpha = makeTable(QStringLiteral("Alpha"));
    test::smashPage(alpha, test::leafPages(alpha, QStringLiteral("Alpha")).at(2));

    RepairRun run(folder);
    QStringList started;
    run.onTableStarted = [&](int index, int count, const QString& name) {
        started << QStringLiteral("%1/%2 %3").arg(index).arg(count).arg(name);
    };
    const QList<TableResult> checked = run.run(RepairRun::Mode::Check);
    EXPECT_EQ(started, (QStringList{QStringLiteral("0/2 Alpha"), QStringLiteral("1/2 beta")}));
    EXPECT_TRUE(RunSummary(checked).damageRemains());
    EXPECT_EQ(RunSummary(checked).text(), QStringLiteral("2 table(s) checked: 1 sound, 1 damaged."));

    const QList<TableResult> repaired = run.run(RepairRun::Mode::Repair);
    EXPECT_FALSE(RunSummary(repaired).damageRemains());
    EXPECT_EQ(RunSummary(repaired).text(), QStringLiteral("2 table(s) checked: 1 sound, 1 repaired."));
    EXPECT_EQ(run.tableFiles().size(), 2) << "the kept copy is no table file";
}

TEST(RepairOptions, TheTwoSwitchesQuotedOrNotAndTheHeadlessRuns)
{
    const RepairOptions fromCorvane = RepairOptions::parse({QStringLiteral("\"false\" \"false\"")});
    EXPECT_TRUE(fromCorvane.error.isEmpty());
    EXPECT_EQ(fromCorvane.run, RepairOptions::Run::Window);
    EXPECT_FALSE(fromCorvane.autoStart);
    EXPECT_FALSE(fromCorvane.closeWhenDone);

    const RepairOptions both = RepairOptions::parse({QStringLiteral("TRUE"), QStringLiteral("\"true\"")});
    EXPECT_TRUE(both.autoStart);
    EXPECT_TRUE(both.closeWhenDone);

    const RepairOptions check =
        RepairOptions::parse({QStringLiteral("--check"), QStringLiteral("--data"), QStringLiteral("/tmp/x")});
    EXPECT_EQ(check.run, RepairOptions::Run::Check);
    EXPECT_EQ(check.dataFolder, QStringLiteral("/tmp/x"));

    EXPECT_TRUE(RepairOptions::parse({QStringLiteral("maybe")}).error.contains(QStringLiteral("\"maybe\"")));
    EXPECT_FALSE(
        RepairOptions::parse({QStringLiteral("--check"), QStringLiteral("--repair")}).error.isEmpty());
    EXPECT_FALSE(RepairOptions::parse({QStringLiteral("--data")}).error.isEmpty());
    EXPECT_FALSE(
        RepairOptions::parse({QStringLiteral("false"), QStringLiteral("false"), QStringLiteral("true")})
            .error.isEmpty());
}

TEST(RepairOptions, TheDataFolderComesFromTheSettingsStoreUnlessGiven)
{
    test::TempProfile profile;
    QString error;
    EXPECT_TRUE(resolveDataFolder(profile.path(QStringLiteral("missing")), error).isEmpty());
    EXPECT_TRUE(error.contains(QStringLiteral("does not exist")));

    error.clear();
    EXPECT_EQ(resolveDataFolder(profile.path(), error),
              QDir(profile.path()).absolutePath() + QLatin1Char('/'));
}
