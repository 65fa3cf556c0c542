// The deletion and rename cascades on a seeded data folder: no row is left
// naming the deleted or old item, the neighbour project stays byte for byte,
// charts, notification lists, the Schedule table and the crontab follow, and
// an interrupted cascade is completed at the next start.
#include "core/data/Dataset.h"
#include "core/data/TableDatabase.h"
#include "core/projects/ProjectCascade.h"
#include "core/schedule/ScheduledTasks.h"

#include "CascadeProfile.h"
#include "TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <sqlite3.h>

using namespace corvane;
using test::CascadeProfile;

namespace {

class ProjectCascadeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("CORVANE_CRONTAB", profile.path(QStringLiteral("crontab")).toUtf8());
        data.seed();
        otherBefore = data.dumpProject(CascadeProfile::Other);
        ASSERT_GT(otherBefore.size(), 50);
        events.status = [this](const QString& text, int) { statuses << text; };
        events.message = [this](const QString& title, const QString& html) {
            messages << title + QLatin1Char('|') + html;
        };
    }
    void TearDown() override
    {
        EXPECT_EQ(data.dumpProject(CascadeProfile::Other), otherBefore) << "the neighbour project changed";
        EXPECT_TRUE(ProjectCascade::pendingJournals(data.db()).isEmpty());
        qunsetenv("CORVANE_CRONTAB");
    }

    QString crontab() const
    {
        QFile f(profile.path(QStringLiteral("crontab")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    QString chart(const char* file, const char* field)
    {
        const QStringList rows = data.dump(QStringLiteral("CVSQLTee"),
                                           QStringLiteral("File = '") + QLatin1String(file)
                                               + QStringLiteral("' AND Project <> 'Other'"));
        if (rows.isEmpty())
            return QStringLiteral("<deleted>");
        Table t(&data.db(), QStringLiteral("CVSQLTee"));
        t.open();
        for (t.first(); !t.eof(); t.next())
            if (t.asString(QStringLiteral("File")) == QLatin1String(file)
                && t.asString(QStringLiteral("Project")) == CascadeProfile::Project)
                return t.asString(QLatin1String(field)).replace(QStringLiteral("\r\n"), QStringLiteral("|"));
        return {};
    }
    QString notifyList(int name, const char* field)
    {
        Table t(&data.db(), QStringLiteral("CVNotify"));
        t.open();
        for (t.first(); !t.eof(); t.next())
            if (t.asInteger(QStringLiteral("Name")) == name)
                return t.asString(QLatin1String(field)).replace(QStringLiteral("\r\n"), QStringLiteral("|"));
        return QStringLiteral("<deleted>");
    }
    int count(const char* table, const QString& where)
    {
        return int(data.dump(QLatin1String(table), where).size());
    }
    QString keyUrl()
    {
        Table t(&data.db(), QStringLiteral("CVProject"));
        t.open();
        return t.locate({QStringLiteral("Name")}, {CascadeProfile::Project})
            ? t.asString(QStringLiteral("KeyURL"))
            : QStringLiteral("<no project>");
    }

    test::TempProfile profile;
    CascadeProfile data{profile.path(QStringLiteral("Data/"))};
    QStringList otherBefore;
    CascadeEvents events;
    QStringList statuses;
    QStringList messages;
};

TEST_F(ProjectCascadeTest, DeletingAProjectLeavesNoRowAndRewritesTheSchedules)
{
    ProjectCascade(data.db(), events).deleteProject(CascadeProfile::Project);
    EXPECT_TRUE(data.dumpProject(CascadeProfile::Project).isEmpty());
    EXPECT_EQ(count("CVEmail", QStringLiteral("Project <> 'Other'")), 0);
    EXPECT_TRUE(statuses.contains(QStringLiteral("Calculating cleanup...")));
    EXPECT_TRUE(statuses.contains(QStringLiteral("Updating CVRank table")));
    EXPECT_EQ(statuses.constLast(), QStringLiteral("Done"));

    // Schedule: the project's own rows go, the shared one keeps the neighbour.
    EXPECT_EQ(data.dump(QStringLiteral("Schedule")), QStringList{QStringLiteral("Weekly\tOther\t")});
    // Crontab: the task of this project alone goes after the message; the
    // shared task keeps the other project's quoted name; "Gone" has no task.
    const QString cron = crontab();
    EXPECT_FALSE(cron.contains(QLatin1String("Nightly")));
    EXPECT_TRUE(
        cron.contains(QStringLiteral("0 5 * * 1 /opt/corvane/Harvester \"Other\" # Corvane task: Weekly\n")))
        << qPrintable(cron);
    EXPECT_TRUE(cron.startsWith(QLatin1String("MAILTO=\"\"\n")));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(
        messages.at(0).contains(QLatin1String("This is the last project in schedule <B>Nightly</B>")));

    // Running it again changes nothing and says nothing.
    messages.clear();
    ProjectCascade(data.db(), events).deleteProject(CascadeProfile::Project);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ProjectCascadeTest, RenamingAProjectCarriesEveryRowOver)
{
    const QStringList before = data.dumpProject(CascadeProfile::Project);
    const QString newName = QStringLiteral("Renamed\"Ä'\\%");
    ProjectCascade(data.db(), events).renameProject(CascadeProfile::Project, newName);
    EXPECT_TRUE(data.dumpProject(CascadeProfile::Project).isEmpty());
    QStringList after = data.dumpProject(newName);
    EXPECT_EQ(after.size(), before.size());
    // Same rows with the new name in place of the old one.
    QStringList expected = before;
    expected.replaceInStrings(CascadeProfile::Project, newName);
    EXPECT_EQ(after, expected);

    EXPECT_EQ(count("Schedule", QStringLiteral("Projects LIKE 'Renamed%'")), 3);
    const QString cron = crontab();
    EXPECT_TRUE(cron.contains(QStringLiteral("Harvester \"Renamed\\\"Ä'\\\\\\%\" # Corvane task: Nightly")))
        << qPrintable(cron);
    EXPECT_TRUE(
        cron.contains(QStringLiteral("Harvester \"Renamed\\\"Ä'\\\\\\%\" \"Other\" # Corvane task: Weekly")));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ProjectCascadeTest, DeletingATermRemovesItsDataChartsAndListEntries)
{
    const QString& term = CascadeProfile::Term1;
    ProjectCascade(data.db(), events).deleteTerm(CascadeProfile::Project, term);
    EXPECT_EQ(data.rowsNaming(term, QStringLiteral("SearchTerm")), 12) << "only the neighbour's rows stay";
    EXPECT_EQ(data.rowsNaming(term, QStringLiteral("STName")), 2);
    EXPECT_EQ(data.rowsNaming(term, QStringLiteral("Virtual")), 1);
    EXPECT_EQ(count("CVRank", QStringLiteral("Project <> 'Other'")), 4) << "the other term's ranks stay";

    // Term first: removed from the list, the chart stays with the other term.
    EXPECT_EQ(chart("T first", "ForEach"), CascadeProfile::Term2);
    // Term second ("UTS") and third ("UST") charts go.
    EXPECT_EQ(chart("U only", "ForEach"), QStringLiteral("<deleted>"));
    EXPECT_EQ(chart("U first", "ForEach"), QStringLiteral("<deleted>"));
    EXPECT_EQ(chart("U second", "ForEach"), QStringLiteral("<deleted>")) << "its only first-dimension term";
    EXPECT_EQ(chart("S first", "Select2"), CascadeProfile::Term2);
    // Notify: the shared list loses the term; the list of one goes with its e-mails.
    EXPECT_EQ(notifyList(1, "SearchTerms"), CascadeProfile::Term2);
    EXPECT_EQ(notifyList(2, "SearchTerms"), QStringLiteral("<deleted>"));
    EXPECT_EQ(count("CVEmail", QStringLiteral("Name = 2")), 0);
    EXPECT_EQ(count("CVEmail", QStringLiteral("Name = 1")), 1);
    EXPECT_TRUE(statuses.contains(term + QStringLiteral(": Updating Rank Table 4 related records deleted")));
}

TEST_F(ProjectCascadeTest, DeletingTheKeyUrlMakesTheNextOneKeyAndWarnsOnTheLast)
{
    ProjectCascade cascade(data.db(), events);
    cascade.deleteUrl(CascadeProfile::Project, CascadeProfile::Url1);
    EXPECT_EQ(keyUrl(), CascadeProfile::Url2);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.at(0).contains(QLatin1String("You deleted the Key URL.")));
    EXPECT_EQ(data.rowsNaming(CascadeProfile::Url1, QStringLiteral("URL")), 12)
        << "only the neighbour's rows stay";
    // First dimension: removed from the list, chart kept; second dimension: chart deleted.
    EXPECT_EQ(chart("U first", "ForEach"), CascadeProfile::Url2);
    EXPECT_EQ(chart("U only", "ForEach"), QStringLiteral("<deleted>"));
    EXPECT_EQ(chart("U second", "Select1"), QStringLiteral("<deleted>"));
    EXPECT_EQ(chart("U third", "Select2"), QStringLiteral("<deleted>"));
    EXPECT_EQ(notifyList(1, "URLs"), CascadeProfile::Url2);
    EXPECT_TRUE(statuses.contains(QStringLiteral("Updating ") + CascadeProfile::Url1
                                  + QStringLiteral(" in Rank Table: 4 related records deleted.")));
    EXPECT_EQ(statuses.constLast(), QStringLiteral("Done updating ") + CascadeProfile::Url1);

    messages.clear();
    cascade.deleteUrl(CascadeProfile::Project, CascadeProfile::Url2);
    EXPECT_EQ(keyUrl(), QString());
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages.at(1).contains(QLatin1String("You have deleted the last URL in the project.")));
}

TEST_F(ProjectCascadeTest, RenamingAUrlKeepsItsDataChartsAndKey)
{
    const QString newName = QStringLiteral("Héim's \"2\"");
    const int ranks = count("CVRank", QStringLiteral("Project <> 'Other'"));
    ProjectCascade(data.db(), events).renameUrl(CascadeProfile::Project, CascadeProfile::Url1, newName);
    EXPECT_EQ(data.rowsNaming(CascadeProfile::Url1, QStringLiteral("URL")), 12)
        << "only the neighbour's rows stay";
    EXPECT_EQ(data.rowsNaming(newName, QStringLiteral("URL")), 12);
    EXPECT_EQ(count("CVRank", QStringLiteral("Project <> 'Other'")), ranks);
    EXPECT_EQ(keyUrl(), newName);
    EXPECT_TRUE(messages.isEmpty()) << "the key URL moved with its name";
    EXPECT_EQ(chart("U third", "Select2"), newName) << "the third dimension survives under the new name";
    EXPECT_EQ(chart("U second", "Select1"), newName);
    EXPECT_EQ(chart("U first", "ForEach"), newName + QStringLiteral("|") + CascadeProfile::Url2);
    EXPECT_EQ(notifyList(2, "URLs"), newName);
    EXPECT_EQ(count("CVURL", QStringLiteral("Name = 'Héim''s \"2\"'")), 1);
}

TEST_F(ProjectCascadeTest, DeactivatingAnEngineRemovesItsResults)
{
    ProjectCascade(data.db(), events).deleteEngine(CascadeProfile::Project, CascadeProfile::Engine1);
    EXPECT_EQ(data.rowsNaming(CascadeProfile::Engine1, QStringLiteral("SearchEngine")), 12);
    EXPECT_EQ(data.rowsNaming(CascadeProfile::Engine1, QStringLiteral("SE3Name")), 2);
    EXPECT_EQ(count("CVSE3", QStringLiteral("Project <> 'Other'")), 1);
    EXPECT_EQ(chart("S first", "ForEach"), CascadeProfile::Engine2);
    EXPECT_EQ(chart("T first", "ForEach"),
              CascadeProfile::Term1 + QStringLiteral("|") + CascadeProfile::Term2);
    EXPECT_EQ(chart("U first", "ForEach"), QStringLiteral("<deleted>")) << "engine second";
    EXPECT_EQ(chart("U only", "ForEach"), QStringLiteral("<deleted>")) << "engine third";
    EXPECT_EQ(notifyList(1, "SearchEngines"), CascadeProfile::Engine2);
}

TEST_F(ProjectCascadeTest, AMissingTaskIsSkipped)
{
    QFile::remove(profile.path(QStringLiteral("crontab")));
    ProjectCascade(data.db(), events).deleteProject(CascadeProfile::Project);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_FALSE(QFile::exists(profile.path(QStringLiteral("crontab")))) << "nothing to write";
}

// The index names of a table file and what SQLite's integrity check says of it.
QString indexesAndIntegrity(const QString& folder, const QString& table)
{
    sqlite3* db = nullptr;
    QString result;
    if (sqlite3_open_v2((folder + table + QStringLiteral(".dat")).toUtf8().constData(), &db,
                        SQLITE_OPEN_READONLY, nullptr)
        == SQLITE_OK) {
        for (const char* sql : {"SELECT name FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL "
                                "ORDER BY name",
                                "PRAGMA integrity_check"}) {
            sqlite3_stmt* statement = nullptr;
            sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
            while (sqlite3_step(statement) == SQLITE_ROW)
                result += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)))
                    + QLatin1Char(' ');
            sqlite3_finalize(statement);
        }
    }
    sqlite3_close(db);
    return result.trimmed();
}

// A project that fills most of its tables is renamed and deleted in bulk
// (indexes built anew, the other rows set aside and put back): every row
// follows, the neighbour keeps its rows, and the files keep their indexes.
TEST(ProjectCascadeBulk, ALargeProjectIsRenamedAndDeletedWithTheIndexesInPlace)
{
    test::TempProfile profile;
    qputenv("CORVANE_CRONTAB", profile.path(QStringLiteral("crontab")).toUtf8());
    CascadeProfile data(profile.path(QStringLiteral("Data/")));
    data.seed(30000);
    const QStringList otherBefore = data.dumpProject(CascadeProfile::Other);
    const qint64 before = data.countProject(CascadeProfile::Project);
    const QString rankFile = indexesAndIntegrity(data.folder(), QStringLiteral("CVRank"));
    EXPECT_EQ(rankFile, QStringLiteral("RankDateidx RankProjDateidx RankSeriesidx ok"));

    QStringList statuses;
    CascadeEvents events;
    events.status = [&statuses](const QString& text, int) { statuses << text; };
    ProjectCascade(data.db(), events).renameProject(CascadeProfile::Project, QStringLiteral("Moved"));
    EXPECT_EQ(data.countProject(CascadeProfile::Project), 0);
    EXPECT_EQ(data.countProject(QStringLiteral("Moved")), before);
    EXPECT_EQ(data.dumpProject(CascadeProfile::Other), otherBefore);
    EXPECT_EQ(indexesAndIntegrity(data.folder(), QStringLiteral("CVRank")), rankFile);
    EXPECT_TRUE(statuses.contains(QStringLiteral("Updating CVRank table")))
        << qPrintable(statuses.join(QLatin1Char('\n')));

    ProjectCascade(data.db(), events).deleteProject(QStringLiteral("Moved"));
    EXPECT_EQ(data.countProject(QStringLiteral("Moved")), 0);
    EXPECT_EQ(data.dumpProject(CascadeProfile::Other), otherBefore);
    EXPECT_EQ(indexesAndIntegrity(data.folder(), QStringLiteral("CVRank")), rankFile);
    // The progress counts what went: the last count reaches the total.
    EXPECT_EQ(statuses.last(), QStringLiteral("Done"));
    const QStringList counted = statuses.constLast() == QStringLiteral("Done")
        ? statuses.filter(QRegularExpression(QStringLiteral(" table \\d+/\\d+$")))
        : QStringList();
    ASSERT_FALSE(counted.isEmpty());
    const QStringList lastCount = counted.constLast().section(QLatin1Char(' '), -1).split(QLatin1Char('/'));
    EXPECT_EQ(lastCount.first(), lastCount.last()) << qPrintable(counted.constLast());
    qunsetenv("CORVANE_CRONTAB");
}

// A large profile renamed by another process that is killed half-way: the
// journal stays behind, and the next start completes the rename.
TEST(ProjectCascadeCrash, AKilledRenameIsCompletedAtTheNextStart)
{
    test::TempProfile profile;
    qputenv("CORVANE_CRONTAB", profile.path(QStringLiteral("crontab")).toUtf8());
    CascadeProfile data(profile.path(QStringLiteral("Data/")));
    data.seed(200000);
    const QStringList otherBefore = data.dumpProject(CascadeProfile::Other);
    const qint64 before = data.countProject(CascadeProfile::Project);

    QProcess runner;
    runner.start(
        QStringLiteral(CASCADE_RUNNER_PATH),
        {data.folder(), QStringLiteral("renameProject"), CascadeProfile::Project, QStringLiteral("Moved")});
    ASSERT_TRUE(runner.waitForStarted());
    QByteArray seen;
    while (!seen.contains("Updating CVRank table\n") && runner.waitForReadyRead(20000))
        seen += runner.readAllStandardOutput();
    ASSERT_TRUE(seen.contains("Updating CVRank table\n")) << seen.constData();
    runner.kill();
    runner.waitForFinished();

    ASSERT_EQ(ProjectCascade::pendingJournals(data.db()).size(), 1);
    EXPECT_GT(data.countProject(CascadeProfile::Project), 0) << "the rename was cut short";

    QProcess resume;
    resume.start(QStringLiteral(CASCADE_RUNNER_PATH), {data.folder(), QStringLiteral("resume")});
    ASSERT_TRUE(resume.waitForFinished(120000));
    EXPECT_TRUE(resume.readAllStandardOutput().contains("resumed 1\n"));
    EXPECT_TRUE(ProjectCascade::pendingJournals(data.db()).isEmpty());
    EXPECT_EQ(data.countProject(CascadeProfile::Project), 0);
    EXPECT_EQ(data.countProject(QStringLiteral("Moved")), before);
    EXPECT_EQ(data.dumpProject(CascadeProfile::Other), otherBefore);
    QFile cron(profile.path(QStringLiteral("crontab")));
    ASSERT_TRUE(cron.open(QIODevice::ReadOnly));
    EXPECT_TRUE(cron.readAll().contains("Harvester \"Moved\" \"Other\" # Corvane task: Weekly"));

    // Nothing left to resume, and running the finished rename again changes nothing.
    EXPECT_EQ(ProjectCascade::resumePending(data.db()), 0);
    const QStringList moved =
        data.dump(QStringLiteral("CVRank"), QStringLiteral("Project = 'Moved' AND rowid % 997 = 0"));
    ProjectCascade(data.db()).renameProject(CascadeProfile::Project, QStringLiteral("Moved"));
    EXPECT_EQ(data.countProject(QStringLiteral("Moved")), before);
    EXPECT_EQ(data.dump(QStringLiteral("CVRank"), QStringLiteral("Project = 'Moved' AND rowid % 997 = 0")),
              moved);
    qunsetenv("CORVANE_CRONTAB");
}

} // namespace
