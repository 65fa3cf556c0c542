#include "core/data/DatabaseError.h"
#include "core/data/Dataset.h"
#include "core/data/TableDatabase.h"

#include "TestSupport.h"

#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

class table_locking : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db.setDirectory(profile.path());
        TableDef log;
        log.name = s("CVLog");
        log.fields = {FieldDef{s("xDate"), FieldType::Date}, FieldDef{s("xTime"), FieldType::Time},
                      FieldDef{s("Message"), FieldType::String, 255}};
        db.createTable(log);
    }

    void TearDown() override
    {
        if (locker.state() != QProcess::NotRunning)
            locker.waitForFinished(10000);
    }

    // Another program holds the table's write lock for two seconds.
    void lockFromOutside()
    {
        locker.start(s(TABLE_LOCKER_PATH),
                     {db.tableFilePath(s("CVLog")),
                      s("INSERT INTO CVLog VALUES ('2005-01-01', '00:00:00', 'outside')"), s("2000")});
        ASSERT_TRUE(locker.waitForStarted(5000));
        while (!locker.canReadLine())
            ASSERT_TRUE(locker.waitForReadyRead(5000)) << locker.readAllStandardError().toStdString();
        ASSERT_EQ(locker.readLine().trimmed(), QByteArray("locked"));
    }

    static void appendMessage(Table& table, const char* message)
    {
        table.append();
        table.setValue(s("xDate"), QDate::currentDate());
        table.setValue(s("xTime"), QTime::currentTime());
        table.setValue(s("Message"), s(message));
        table.post();
    }

    test::TempProfile profile;
    Session session{s("Default")};
    Database db{s("General"), &session};
    QProcess locker;
};

TEST_F(table_locking, AWriterWaitsForTheLockWithinTheSessionsBudget)
{
    Table table(&db, s("CVLog"));
    table.open();
    lockFromOutside();

    QElapsedTimer timer;
    timer.start();
    appendMessage(table, "inside");
    EXPECT_GT(timer.elapsed(), 1000);
    EXPECT_EQ(table.state(), Dataset::State::Browse);

    ASSERT_TRUE(locker.waitForFinished(5000));
    EXPECT_EQ(locker.exitCode(), 0);
    table.refresh();
    EXPECT_EQ(table.recordCount(), 2);
    // The outside row was committed first; ours followed once the lock was free.
    table.first();
    EXPECT_EQ(table.asString(s("Message")), s("outside"));
    table.last();
    EXPECT_EQ(table.asString(s("Message")), s("inside"));
}

TEST_F(table_locking, BeyondTheBudgetTheWriteFailsNamingTheTable)
{
    Session impatient(s("Impatient"), LockSettings{3, 100});
    Database quick(s("Quick"), &impatient);
    quick.setDirectory(profile.path());
    Table table(&quick, s("CVLog"));
    table.open();
    lockFromOutside();

    QElapsedTimer timer;
    timer.start();
    try {
        appendMessage(table, "inside");
        FAIL() << "the write did not wait for the lock";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.code(), DatabaseError::Locked);
        EXPECT_EQ(e.tableName(), s("CVLog"));
        EXPECT_TRUE(e.message().contains(s("CVLog"))) << e.message().toStdString();
    }
    EXPECT_LT(timer.elapsed(), 1500);
    EXPECT_EQ(table.state(), Dataset::State::Insert);
    table.cancel();

    Query query(&quick, s("DELETE FROM CVLog"));
    try {
        query.execSql();
        FAIL() << "the delete did not wait for the lock";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.code(), DatabaseError::Locked);
        EXPECT_TRUE(e.message().contains(s("CVLog"))) << e.message().toStdString();
    }

    ASSERT_TRUE(locker.waitForFinished(5000));
    appendMessage(table, "after");
    EXPECT_EQ(table.recordCount(), 2);
}

} // namespace
