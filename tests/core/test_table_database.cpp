#include "core/data/DatabaseError.h"
#include "core/data/Dataset.h"
#include "core/data/TableDatabase.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

FieldDef field(const char* name, FieldType type, int size = 0, bool required = false)
{
    return FieldDef{QString::fromLatin1(name), type, size, required};
}

TableDef projectTable(const QString& name)
{
    TableDef def;
    def.name = name;
    def.fields = {field("Name", FieldType::String, 32, true), field("Depth", FieldType::Integer)};
    def.indexes = {IndexDef{QStringLiteral("Nameidx"), {QStringLiteral("Name")}, true, true, false}};
    return def;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Expects the call to throw a DatabaseError with the code, whose message names every text given.
template <typename F>
void expectError(F&& call, int code, const QStringList& named)
{
    try {
        call();
        FAIL() << "no DatabaseError";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.code(), code) << e.message().toStdString();
        for (const QString& text : named)
            EXPECT_TRUE(e.message().contains(text))
                << e.message().toStdString() << " lacks " << text.toStdString();
    }
}

class table_database : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db.setDirectory(profile.path());
        db.connect();
    }

    test::TempProfile profile;
    Session session{QStringLiteral("Default")};
    Database db{QStringLiteral("General"), &session};
};

TEST_F(table_database, EveryFieldTypeAndIndexReadsBackFromTheFile)
{
    TableDef def;
    def.name = QStringLiteral("Everything");
    def.fields = {field("ID", FieldType::AutoInc),     field("Name", FieldType::String, 32, true),
                  field("Note", FieldType::String),    field("Count", FieldType::Integer),
                  field("Ratio", FieldType::Float),    field("Flag", FieldType::Boolean),
                  field("xDate", FieldType::Date),     field("xTime", FieldType::Time),
                  field("Stamp", FieldType::DateTime), field("Text", FieldType::Memo),
                  field("Picture", FieldType::Graphic)};
    def.indexes = {IndexDef{QStringLiteral("NameProjidx"),
                            {QStringLiteral("Name"), QStringLiteral("Note")},
                            true,
                            true,
                            false},
                   IndexDef{QStringLiteral("Name.idx"), {QStringLiteral("xDate")}, false, false, true}};
    db.createTable(def, QStringLiteral("secret"));

    const TableDef back = db.tableDef(QStringLiteral("everything"));
    EXPECT_EQ(back.name, QStringLiteral("Everything"));
    ASSERT_EQ(back.fields.size(), def.fields.size());
    for (int i = 0; i < def.fields.size(); ++i) {
        SCOPED_TRACE(def.fields.at(i).name.toStdString());
        EXPECT_EQ(back.fields.at(i).name, def.fields.at(i).name);
        EXPECT_EQ(back.fields.at(i).type, def.fields.at(i).type);
        EXPECT_EQ(back.fields.at(i).size, def.fields.at(i).size);
        EXPECT_EQ(back.fields.at(i).required, def.fields.at(i).required);
    }
    ASSERT_EQ(back.indexes.size(), 2);
    EXPECT_EQ(back.indexes.at(0).name, QStringLiteral("NameProjidx"));
    EXPECT_EQ(back.indexes.at(0).fields, (QStringList{QStringLiteral("Name"), QStringLiteral("Note")}));
    EXPECT_TRUE(back.indexes.at(0).unique);
    EXPECT_TRUE(back.indexes.at(0).caseInsensitive);
    EXPECT_FALSE(back.indexes.at(0).descending);
    EXPECT_EQ(back.indexes.at(1).name, QStringLiteral("Name.idx"));
    EXPECT_FALSE(back.indexes.at(1).unique);
    EXPECT_FALSE(back.indexes.at(1).caseInsensitive);
    EXPECT_TRUE(back.indexes.at(1).descending);
    EXPECT_TRUE(back.passwordProtected);

    // Values come back in the types the fields promise.
    session.addPassword(QStringLiteral("secret"));
    Table table(&db, QStringLiteral("Everything"));
    table.open();
    table.append();
    table.setValue(QStringLiteral("name"), QStringLiteral("A name longer than thirty-two characters"));
    table.setValue(QStringLiteral("Count"), 7);
    table.setValue(QStringLiteral("Ratio"), 0.25);
    table.setValue(QStringLiteral("Flag"), true);
    table.setValue(QStringLiteral("xDate"), QDate(2005, 12, 31));
    table.setValue(QStringLiteral("xTime"), QTime(13, 45, 10));
    table.setValue(QStringLiteral("Stamp"), QDateTime(QDate(1900, 1, 1), QTime(12, 0)));
    table.setValue(QStringLiteral("Text"), QStringLiteral("1e5"));
    table.setValue(QStringLiteral("Picture"), QByteArray("\x89PNG\0x", 6));
    table.post();
    table.close();
    table.open();
    EXPECT_EQ(table.value(QStringLiteral("ID")).toInt(), 1);
    EXPECT_EQ(table.asString(QStringLiteral("Name")), QStringLiteral("A name longer than thirty-two ch"));
    EXPECT_FALSE(table.value(QStringLiteral("Note")).isValid());
    EXPECT_EQ(table.asInteger(QStringLiteral("COUNT")), 7);
    EXPECT_DOUBLE_EQ(table.value(QStringLiteral("Ratio")).toDouble(), 0.25);
    EXPECT_EQ(table.value(QStringLiteral("Flag")), QVariant(true));
    EXPECT_EQ(table.value(QStringLiteral("xDate")), QVariant(QDate(2005, 12, 31)));
    EXPECT_EQ(table.asString(QStringLiteral("xDate")), QStringLiteral("2005-12-31"));
    EXPECT_EQ(table.value(QStringLiteral("xTime")), QVariant(QTime(13, 45, 10)));
    EXPECT_EQ(table.value(QStringLiteral("Stamp")).toDateTime(), QDateTime(QDate(1900, 1, 1), QTime(12, 0)));
    EXPECT_EQ(table.value(QStringLiteral("Text")), QVariant(QStringLiteral("1e5")));
    EXPECT_EQ(table.value(QStringLiteral("Picture")).toByteArray(), QByteArray("\x89PNG\0x", 6));

    // The day count of a date-time is what other tools read from the file.
    Query query(&db, QStringLiteral("SELECT Stamp, xDate FROM Everything"));
    query.open();
    EXPECT_EQ(query.fields().at(0).type, FieldType::DateTime);
    EXPECT_EQ(query.fields().at(1).type, FieldType::Date);
    query.setSql(QStringLiteral("SELECT Stamp + 0 AS Days FROM Everything"));
    query.open();
    EXPECT_DOUBLE_EQ(query.value(QStringLiteral("Days")).toDouble(), 2.5);
}

TEST_F(table_database, TableFilesAreFoundWithoutRegardToCase)
{
    db.createTable(projectTable(QStringLiteral("SE3")));
    ASSERT_TRUE(
        QFile::rename(profile.path(QStringLiteral("SE3.dat")), profile.path(QStringLiteral("SE3.DAT"))));

    EXPECT_TRUE(db.tableExists(QStringLiteral("se3")));
    EXPECT_EQ(db.tableFilePath(QStringLiteral("Se3")), profile.path(QStringLiteral("SE3.DAT")));
    EXPECT_EQ(db.tableNames(), QStringList{QStringLiteral("SE3")});
    expectError([&] { db.createTable(projectTable(QStringLiteral("se3"))); }, DatabaseError::General,
                {QStringLiteral("se3"), QStringLiteral("exists")});

    Table table(&db, QStringLiteral("se3"), QStringLiteral("NAMEIDX"));
    table.open();
    table.append();
    table.setValue(QStringLiteral("Name"), QStringLiteral("Engine"));
    table.post();
    EXPECT_EQ(table.recordCount(), 1);
    EXPECT_TRUE(QFile::exists(profile.path(QStringLiteral("SE3.DAT"))));
    EXPECT_FALSE(QFile::exists(profile.path(QStringLiteral("SE3.dat"))));
}

TEST_F(table_database, CopyIncludesUncheckpointedRowsAndDeleteRemovesCompanions)
{
    db.createTable(projectTable(QStringLiteral("CVProject")));
    Table writer(&db, QStringLiteral("CVProject"), QStringLiteral("Nameidx"));
    writer.open(); // stays open, so its rows may still sit in the WAL
    for (const char* name : {"Beta", "alpha", "Gamma"}) {
        writer.append();
        writer.setValue(QStringLiteral("Name"), QString::fromLatin1(name));
        writer.post();
    }

    QDir(profile.path()).mkdir(QStringLiteral("backup"));
    Database backup(QStringLiteral("Backup"), &session);
    backup.setDirectory(profile.path(QStringLiteral("backup")));
    db.copyTable(QStringLiteral("cvproject"), backup, QStringLiteral("CVProject"));
    db.copyTable(QStringLiteral("CVProject"), db, QStringLiteral("ProjectCopy"));

    Table copy(&backup, QStringLiteral("CVProject"), QStringLiteral("Nameidx"));
    copy.open();
    EXPECT_EQ(copy.recordCount(), 3);
    EXPECT_EQ(copy.asString(QStringLiteral("Name")), QStringLiteral("alpha"));
    const TableDef renamed = db.tableDef(QStringLiteral("ProjectCopy"));
    EXPECT_EQ(renamed.name, QStringLiteral("ProjectCopy"));
    EXPECT_EQ(renamed.indexes.size(), 1);
    Query joined(
        &db,
        QStringLiteral(
            "SELECT COUNT(*) AS N FROM CVProject, ProjectCopy WHERE CVProject.Name = ProjectCopy.Name"));
    joined.open();
    EXPECT_EQ(joined.asInteger(QStringLiteral("N")), 3);
    joined.close();
    writer.close();

    writeFile(profile.path(QStringLiteral("CVProject.IDX")), "old index");
    writeFile(profile.path(QStringLiteral("CVProject.blb")), "old memo");
    db.deleteTable(QStringLiteral("CVPROJECT"));
    EXPECT_FALSE(db.tableExists(QStringLiteral("CVProject")));
    for (const QString& entry : QDir(profile.path()).entryList(QDir::Files))
        EXPECT_FALSE(entry.startsWith(QLatin1String("CVProject"), Qt::CaseInsensitive))
            << entry.toStdString();
    db.deleteTable(QStringLiteral("CVProject")); // nothing left to delete is no error

    // A new table of the same name starts empty, also for a dataset that had the old file.
    db.createTable(projectTable(QStringLiteral("CVProject")));
    writer.open();
    EXPECT_EQ(writer.recordCount(), 0);
}

TEST_F(table_database, BadTablesGiveTheirOwnCodesAndNameTheTable)
{
    writeFile(profile.path(QStringLiteral("Broken.dat")), QByteArray(600, 'x'));
    Table broken(&db, QStringLiteral("Broken"));
    expectError([&] { broken.open(); }, DatabaseError::NotADatabase, {QStringLiteral("Broken")});
    expectError([&] { db.checkTable(QStringLiteral("Broken")); }, DatabaseError::NotADatabase,
                {QStringLiteral("Broken")});

    Table missing(&db, QStringLiteral("CVNowhere"));
    expectError([&] { missing.open(); }, DatabaseError::TableMissing,
                {QStringLiteral("CVNowhere"), db.directory()});
    Query query(&db, QStringLiteral("SELECT * FROM CVNowhere"));
    expectError([&] { query.open(); }, DatabaseError::TableMissing, {QStringLiteral("CVNowhere")});

    db.createTable(projectTable(QStringLiteral("SE3")), QStringLiteral("K305718B2"));
    Table locked(&db, QStringLiteral("SE3"));
    expectError([&] { locked.open(); }, DatabaseError::PasswordRequired,
                {QStringLiteral("SE3"), session.name()});
    expectError([&] { db.checkTable(QStringLiteral("SE3")); }, DatabaseError::PasswordRequired,
                {QStringLiteral("SE3")});
    EXPECT_FALSE(locked.isOpen());

    Database nowhere(QStringLiteral("General"), &session);
    nowhere.setDirectory(profile.path(QStringLiteral("no-such-folder")));
    expectError([&] { nowhere.connect(); }, DatabaseError::General, {QStringLiteral("no-such-folder")});
    EXPECT_FALSE(nowhere.isConnected());
}

TEST_F(table_database, PasswordHookDecidesWhetherAProtectedTableOpens)
{
    db.createTable(projectTable(QStringLiteral("SE3")), QStringLiteral("K305718B2"));

    Session giving(QStringLiteral("SE3Session"), LockSettings{15, 100});
    int asked = 0;
    giving.setPasswordHook([&](Session& s) {
        ++asked;
        s.addPassword(QStringLiteral("K305718B2"));
        return true;
    });
    Database se3(QStringLiteral("SE3"), &giving);
    se3.setDirectory(profile.path());
    Table table(&se3, QStringLiteral("SE3"), QStringLiteral("Nameidx"));
    table.open();
    EXPECT_TRUE(table.isOpen());
    EXPECT_EQ(asked, 1);
    Table second(&se3, QStringLiteral("SE3"));
    second.open(); // the session now knows the password
    EXPECT_EQ(asked, 1);
    se3.checkTable(QStringLiteral("SE3"));

    Session wrong(QStringLiteral("DBSession1"));
    int tries = 0;
    wrong.setPasswordHook([&](Session& s) {
        s.addPassword(QStringLiteral("guess%1").arg(++tries));
        return tries < 3;
    });
    Database other(QStringLiteral("WizDatabase"), &wrong);
    other.setDirectory(profile.path());
    Table refused(&other, QStringLiteral("SE3"));
    expectError([&] { refused.open(); }, DatabaseError::PasswordRequired,
                {QStringLiteral("SE3"), QStringLiteral("DBSession1")});
    EXPECT_EQ(tries, 3);

    Session givingUp(QStringLiteral("Quiet"));
    givingUp.setPasswordHook([](Session&) { return false; });
    Database quiet(QStringLiteral("Quiet"), &givingUp);
    quiet.setDirectory(profile.path());
    Table alsoRefused(&quiet, QStringLiteral("SE3"));
    expectError([&] { alsoRefused.open(); }, DatabaseError::PasswordRequired, {QStringLiteral("SE3")});
}

TEST_F(table_database, EmptyTableKeepsTheTableAndItsDefinition)
{
    db.createTable(projectTable(QStringLiteral("CVProject")));
    Table table(&db, QStringLiteral("CVProject"));
    table.open();
    for (int i = 0; i < 3; ++i) {
        table.append();
        table.setValue(QStringLiteral("Name"), QStringLiteral("P%1").arg(i));
        table.post();
    }
    table.close();
    db.emptyTable(QStringLiteral("CVProject"));
    table.open();
    EXPECT_EQ(table.recordCount(), 0);
    EXPECT_TRUE(table.eof());
    EXPECT_EQ(db.tableDef(QStringLiteral("CVProject")).indexes.size(), 1);
}

TEST_F(table_database, ReadOnlyDatabaseReadsLiveRowsAndNeverWrites)
{
    db.createTable(projectTable(QStringLiteral("CVProject")));
    Table writer(&db, QStringLiteral("CVProject"));
    writer.open();
    writer.append();
    writer.setValue(QStringLiteral("Name"), QStringLiteral("First"));
    writer.post();

    Database reading(QStringLiteral("Reading"), &session);
    reading.setReadOnly(true);
    reading.setDirectory(profile.path());
    reading.connect();
    const auto names = [&] {
        Query query(&reading, QStringLiteral("SELECT Name FROM CVProject ORDER BY Name"));
        query.open();
        QStringList result;
        for (query.first(); !query.eof(); query.next())
            result << query.asString(QStringLiteral("Name"));
        return result;
    };
    EXPECT_EQ(names(), QStringList{QStringLiteral("First")});
    // A row another connection commits meanwhile is read at the next opening.
    writer.append();
    writer.setValue(QStringLiteral("Name"), QStringLiteral("Second"));
    writer.post();
    writer.close();
    EXPECT_EQ(names(), (QStringList{QStringLiteral("First"), QStringLiteral("Second")}));

    const QByteArray before = [&] {
        QFile file(db.tableFilePath(QStringLiteral("CVProject")));
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    expectError([&] { Query(&reading, QStringLiteral("DELETE FROM CVProject")).execSql(); },
                DatabaseError::NotEditable, {QStringLiteral("CVProject")});
    Table table(&reading, QStringLiteral("CVProject"));
    table.open();
    table.append();
    table.setValue(QStringLiteral("Name"), QStringLiteral("Third"));
    expectError([&] { table.post(); }, DatabaseError::NotEditable, {QStringLiteral("CVProject")});
    table.cancel();
    table.close();
    EXPECT_EQ(names().size(), 2);
    QFile file(db.tableFilePath(QStringLiteral("CVProject")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before) << "the read-only database changed the file";
}

} // namespace
