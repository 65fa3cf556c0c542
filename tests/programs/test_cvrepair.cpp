// CVRepair as a real process on real damaged table files.
#include "core/data/TableDatabase.h"
#include "core/platform/NamedMutex.h"
#include "core/platform/Registry.h"
#include "core/settings/Settings.h"

#include "../core/DamagedTables.h"
#include "../core/TestSupport.h"
#include "ProgramRunner.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <sqlite3.h>

using namespace corvane;

namespace {

constexpr int Rows = 400;

class CVRepairProgram : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = profile.path(QStringLiteral("Data/"));
        QDir().mkpath(folder);
        database.setDirectory(folder);
        database.connect();
        test::createNumberedTable(database, QStringLiteral("Sound"), Rows);
        damaged = test::createNumberedTable(database, QStringLiteral("Broken"), Rows);
        test::smashPage(damaged, test::leafPages(damaged, QStringLiteral("Broken")).at(2));
    }

    QStringList keptCopies() const
    {
        return QDir(folder).entryList({QStringLiteral("*.damaged-*")}, QDir::Files);
    }

    test::TempProfile profile;
    Session session{QStringLiteral("Test")};
    Database database{QStringLiteral("Test"), &session};
    QString folder;
    QString damaged;
};

bool waitFor(const std::function<bool()>& condition, int timeoutMs = 15000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QThread::msleep(50);
    }
    return true;
}

} // namespace

TEST(CVRepairCommandLine, HelpNamesTheTwoSwitchesAndABadSwitchIsRefused)
{
    test::TempProfile profile;
    const auto help = test::runProgram(QStringLiteral("CVRepair"), {QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("AUTOSTART")));
    EXPECT_TRUE(help.out.contains(QStringLiteral("AUTOCLOSE")));
    EXPECT_TRUE(help.out.contains(QStringLiteral("\"false\" \"false\"")));

    const auto bad = test::runProgram(QStringLiteral("CVRepair"), {QStringLiteral("perhaps")});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("\"perhaps\" is neither \"true\" nor \"false\"")))
        << qPrintable(bad.err);

    const auto noFolder = test::runProgram(
        QStringLiteral("CVRepair"),
        {QStringLiteral("--check"), QStringLiteral("--data"), profile.path(QStringLiteral("nowhere"))});
    EXPECT_EQ(noFolder.exitCode, 2);
    EXPECT_TRUE(noFolder.err.contains(QStringLiteral("does not exist")));
}

TEST_F(CVRepairProgram, CheckReportsTheDamageAndRepairMendsIt)
{
    const auto check = test::runProgram(QStringLiteral("CVRepair"),
                                        {QStringLiteral("--check"), QStringLiteral("--data"), folder});
    EXPECT_EQ(check.exitCode, 1) << qPrintable(check.out + check.err);
    EXPECT_TRUE(check.out.contains(QStringLiteral("Broken: Damaged")));
    EXPECT_TRUE(check.out.contains(QStringLiteral("Sound: OK")));
    EXPECT_TRUE(keptCopies().isEmpty());

    const auto repair = test::runProgram(QStringLiteral("CVRepair"),
                                         {QStringLiteral("--repair"), QStringLiteral("--data"), folder});
    EXPECT_EQ(repair.exitCode, 0) << qPrintable(repair.out + repair.err);
    EXPECT_TRUE(repair.out.contains(QStringLiteral("Broken: Repaired")));
    EXPECT_TRUE(repair.out.contains(QStringLiteral("2 table(s) checked: 1 sound, 1 repaired.")));
    EXPECT_EQ(keptCopies().size(), 1);

    const auto again = test::runProgram(QStringLiteral("CVRepair"),
                                        {QStringLiteral("--check"), QStringLiteral("--data"), folder});
    EXPECT_EQ(again.exitCode, 0) << qPrintable(again.out);
}

TEST_F(CVRepairProgram, TheDataFolderComesFromTheSettingsStore)
{
    const auto setup = test::runProgram(
        QStringLiteral("corvane-setup"),
        {QStringLiteral("--quiet"), QStringLiteral("--profile"), profile.path(QStringLiteral("Home"))});
    ASSERT_EQ(setup.exitCode, 0) << qPrintable(setup.err);
    const auto check = test::runProgram(QStringLiteral("CVRepair"), {QStringLiteral("--check")});
    EXPECT_EQ(check.exitCode, 0) << qPrintable(check.out + check.err);
    EXPECT_TRUE(check.out.contains(QStringLiteral("SE3: OK")));
    EXPECT_FALSE(check.out.contains(QStringLiteral("Broken")));
}

TEST_F(CVRepairProgram, TheWindowHoldsItsMutexWhileItRunsAndTheSwitchesStartAndCloseIt)
{
    // "false" "false": the window waits for the user and holds the mutex meanwhile.
    QProcess waiting;
    waiting.start(QStringLiteral(CORVANE_BIN_DIR "/CVRepair"),
                  {QStringLiteral("\"false\" \"false\""), QStringLiteral("--data"), folder});
    ASSERT_TRUE(waiting.waitForStarted());
    EXPECT_TRUE(waitFor([] { return NamedMutex::exists(QStringLiteral("CVRepair.Mutex")); }));
    QThread::msleep(300);
    EXPECT_EQ(waiting.state(), QProcess::Running);
    EXPECT_TRUE(keptCopies().isEmpty()) << "nothing starts before the user asks";

    // A second copy does not run beside it.
    const auto second = test::runProgram(QStringLiteral("CVRepair"),
                                         {QStringLiteral("--check"), QStringLiteral("--data"), folder});
    EXPECT_EQ(second.exitCode, 3);
    waiting.kill();
    waiting.waitForFinished();
    EXPECT_TRUE(waitFor([] { return !NamedMutex::exists(QStringLiteral("CVRepair.Mutex")); }));

    // "true" "true": repairs at once and closes itself when no damage is left.
    const auto automatic =
        test::runProgram(QStringLiteral("CVRepair"),
                         {QStringLiteral("true"), QStringLiteral("true"), QStringLiteral("--data"), folder});
    EXPECT_TRUE(automatic.finished);
    EXPECT_EQ(automatic.exitCode, 0) << qPrintable(automatic.err);
    EXPECT_EQ(keptCopies().size(), 1);
    EXPECT_FALSE(NamedMutex::exists(QStringLiteral("CVRepair.Mutex")));
}

TEST_F(CVRepairProgram, NoRepairWhileHarvesterRunsASession)
{
    NamedMutex harvesting(QStringLiteral("NoCV.Mutex"));
    ASSERT_TRUE(harvesting.isOwned());
    const auto repair = test::runProgram(QStringLiteral("CVRepair"),
                                         {QStringLiteral("--repair"), QStringLiteral("--data"), folder});
    EXPECT_EQ(repair.exitCode, 4);
    EXPECT_TRUE(repair.err.contains(QStringLiteral("Harvester is running a session")));
    EXPECT_TRUE(keptCopies().isEmpty());
}

TEST_F(CVRepairProgram, ACheckTellsMissingTablesAPasswordThatDoesNotFitAndAFolderWithoutTables)
{
    const auto setup = test::runProgram(
        QStringLiteral("corvane-setup"),
        {QStringLiteral("--quiet"), QStringLiteral("--profile"), profile.path(QStringLiteral("Home"))});
    ASSERT_EQ(setup.exitCode, 0) << qPrintable(setup.err);
    const QString data = profile.path(QStringLiteral("Home/Data/"));
    const auto run = [&](const QString& mode, const QString& dataFolder) {
        return test::runProgram(QStringLiteral("CVRepair"), {mode, QStringLiteral("--data"), dataFolder});
    };

    // --check changes nothing, not even a damaged setting it happens to read.
    Registry registry(profile.registryPath());
    ASSERT_TRUE(registry.writeString(SettingsKeys::path(QLatin1String(SettingsKeys::Network)),
                                     QStringLiteral("HTTPReadTimeout"), QStringLiteral("x")));
    const auto storeBytes = [&] {
        QFile file(profile.registryPath());
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    };
    const QByteArray before = storeBytes();
    const auto fromStore = test::runProgram(QStringLiteral("CVRepair"), {QStringLiteral("--check")});
    EXPECT_EQ(fromStore.exitCode, 0) << qPrintable(fromStore.out + fromStore.err);
    EXPECT_EQ(storeBytes(), before);

    // SE3's password record does not fit: damage, which a repair mends.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(data + QStringLiteral("SE3.dat")).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "UPDATE corvane_table SET value = 'not the hash' WHERE key = 'password'",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    auto check = run(QStringLiteral("--check"), data);
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_TRUE(check.out.contains(
        QStringLiteral("SE3: Damaged - The table's password record does not fit the program's password.")))
        << qPrintable(check.out);
    const auto repair = run(QStringLiteral("--repair"), data);
    EXPECT_EQ(repair.exitCode, 0) << qPrintable(repair.out);
    EXPECT_TRUE(repair.out.contains(QStringLiteral("SE3: Repaired"))) << qPrintable(repair.out);
    EXPECT_EQ(run(QStringLiteral("--check"), data).exitCode, 0);

    // A table of the program without its file.
    for (const QString& name : {QStringLiteral("SE3"), QStringLiteral("CVRank")}) {
        ASSERT_TRUE(QFile::rename(data + name + QStringLiteral(".dat"),
                                  profile.path(name + QStringLiteral(".away"))));
        check = run(QStringLiteral("--check"), data);
        EXPECT_EQ(check.exitCode, 1) << qPrintable(name);
        EXPECT_TRUE(
            check.out.contains(QStringLiteral("%1: Damaged - The file \"%1.dat\" is missing.").arg(name)))
            << qPrintable(check.out);
        const auto notRepaired = run(QStringLiteral("--repair"), data);
        EXPECT_EQ(notRepaired.exitCode, 1);
        EXPECT_TRUE(notRepaired.out.contains(name + QStringLiteral(": Not repaired")))
            << qPrintable(notRepaired.out);
        ASSERT_TRUE(QFile::rename(profile.path(name + QStringLiteral(".away")),
                                  data + name + QStringLiteral(".dat")));
    }
    EXPECT_EQ(run(QStringLiteral("--check"), data).exitCode, 0);
    // A check leaves nothing behind in the data folder.
    EXPECT_TRUE(QDir(data).entryList({QStringLiteral("*.dat-wal"), QStringLiteral("*.dat-shm")}).isEmpty());

    // A folder without tables is no data folder.
    const QString empty = profile.path(QStringLiteral("Empty"));
    QDir().mkpath(empty);
    for (const QString& noData : {empty, QStringLiteral("/etc")}) {
        const auto none = run(QStringLiteral("--check"), noData);
        EXPECT_EQ(none.exitCode, 2) << qPrintable(noData);
        EXPECT_TRUE(none.err.contains(QStringLiteral("holds no tables"))) << qPrintable(none.err);
    }
}
