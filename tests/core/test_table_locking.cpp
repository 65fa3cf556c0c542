#include "core/data/Connection.h"
#include "core/data/DatabaseError.h"
#include "core/data/Dataset.h"
#include "core/data/TableDatabase.h"
#include "core/data/Transaction.h"

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

// A transaction's rows appear to other readers all at once on commit, and not
// at all when the scope is left by an exception or without a commit.
TEST_F(table_locking, ATransactionCommitsAllOrNothing)
{
    const auto insertMessages = [&](Connection& connection, int count) {
        Statement insert =
            connection.prepare(s("INSERT INTO CVLog (xDate, Message) VALUES (?, ?)"), s("CVLog"));
        for (int i = 0; i < count; ++i) {
            insert.bindAll({s("2025-01-01"), s("row %1 \"quoted\" & <b>Ärger</b>").arg(i)});
            connection.run(insert, s("CVLog"));
        }
    };
    Table reader(&db, s("CVLog"));

    {
        Connection connection;
        connection.attach(db, s("CVLog"));
        Transaction transaction(connection, s("CVLog"));
        EXPECT_TRUE(transaction.isActive());
        insertMessages(connection, 3);
        reader.open();
        EXPECT_EQ(reader.recordCount(), 0) << "rows were visible before the commit";
        reader.close();
        transaction.commit();
        EXPECT_FALSE(transaction.isActive());
    }
    reader.open();
    EXPECT_EQ(reader.recordCount(), 3);
    reader.first();
    EXPECT_EQ(reader.asString(s("Message")), s("row 0 \"quoted\" & <b>Ärger</b>"));
    reader.close();

    try {
        Connection connection;
        connection.attach(db, s("CVLog"));
        Transaction transaction(connection, s("CVLog"));
        insertMessages(connection, 2);
        connection.exec(s("INSERT INTO NoSuchTable VALUES (1)"), s("NoSuchTable"));
        FAIL() << "the statement on a missing table did not fail";
    } catch (const DatabaseError&) {
    }
    {
        Connection connection;
        connection.attach(db, s("CVLog"));
        Transaction transaction(connection, s("CVLog"));
        insertMessages(connection, 2);
        // left without commit()
    }
    {
        Connection connection;
        connection.attach(db, s("CVLog"));
        Transaction transaction(connection, s("CVLog"));
        insertMessages(connection, 2);
        transaction.rollback();
        EXPECT_FALSE(transaction.isActive());
        transaction.commit(); // nothing left to commit
    }
    reader.open();
    EXPECT_EQ(reader.recordCount(), 3);
}

// A transaction takes the write lock when it begins: while another program
// holds it, beginning waits the session's budget and then names the table.
TEST_F(table_locking, ATransactionWaitsForTheWriteLockWhenItBegins)
{
    lockFromOutside();
    Connection connection;
    connection.setLockSettings(LockSettings{3, 100});
    connection.attach(db, s("CVLog"));
    try {
        Transaction transaction(connection, s("CVLog"));
        FAIL() << "the transaction began while another program held the lock";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.code(), DatabaseError::Locked);
        EXPECT_TRUE(e.message().contains(s("CVLog"))) << e.message().toStdString();
    }
    ASSERT_TRUE(locker.waitForFinished(5000));
    Transaction transaction(connection, s("CVLog"));
    Statement insert = connection.prepare(s("INSERT INTO CVLog (Message) VALUES ('after')"), s("CVLog"));
    connection.run(insert, s("CVLog"));
    transaction.commit();
    Table reader(&db, s("CVLog"));
    reader.open();
    EXPECT_EQ(reader.recordCount(), 2);
}

} // namespace
