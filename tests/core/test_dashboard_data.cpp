// The dashboard's statements on real tables: Top 10 engines and charts, the
// three lists, the session notes, the report statements and the status counts.
#include "core/dashboard/DashboardData.h"
#include "core/dashboard/DashboardQueries.h"
#include "core/dashboard/DashboardReport.h"
#include "core/dashboard/SessionInfoPage.h"
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"

#include "TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

// A project name that needs quoting in every statement.
const QString Project = QStringLiteral("O'Reilly \"Books\"");
const QDate Day{2026, 11, 30};

class DashboardDataTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = profile.path(QStringLiteral("Data/"));
        ASSERT_TRUE(QDir().mkpath(folder));
        db.setDirectory(folder);
        db.connect();
        for (const char* name : {"Summary", "CVSE3", "CVNotable", "CVRank", "CVST", "CVURL"})
            db.createTable(*Schema::table(QLatin1String(name)));
    }

    void engine(const QString& name, int popularity)
    {
        Table t(&db, QStringLiteral("CVSE3"));
        t.open();
        t.append();
        t.setValue(QStringLiteral("Name"), name);
        t.setValue(QStringLiteral("Project"), Project);
        t.setValue(QStringLiteral("Popularity"), popularity);
        t.post();
    }

    void summary(const char* type, const QString& engine, const QString& term, int rank, QDate day = Day)
    {
        Table t(&db, QStringLiteral("Summary"));
        t.open();
        t.append();
        t.setValue(QStringLiteral("Project"), Project);
        t.setValue(QStringLiteral("xDate"), day);
        t.setValue(QStringLiteral("Type"), QLatin1String(type));
        t.setValue(QStringLiteral("SearchEngine"), engine);
        t.setValue(QStringLiteral("SearchTerm"), term);
        t.setValue(QStringLiteral("Rank"), rank);
        t.setValue(QStringLiteral("Page"), (rank + 9) / 10);
        t.post();
    }

    void note(const QString& project, const char* subject, QDate day, const QString& content)
    {
        Table t(&db, QStringLiteral("CVNotable"));
        t.open();
        t.append();
        t.setValue(QStringLiteral("Project"), project);
        t.setValue(QStringLiteral("xDate"), day);
        t.setValue(QStringLiteral("Subject"), QLatin1String(subject));
        t.setValue(QStringLiteral("Content"), content);
        t.post();
    }

    test::TempProfile profile;
    QString folder;
    Session session{QStringLiteral("Test")};
    Database db{QStringLiteral("Test"), &session};
};

} // namespace

TEST_F(DashboardDataTest, TopTenEnginesBestFirstAtMostTenAndSlotsInTermOrder)
{
    for (int i = 0; i < 12; ++i) {
        const QString name = QStringLiteral("Engine%1").arg(i, 2, 10, QLatin1Char('0'));
        engine(name, 100 + i);
        summary("TopSE", name, QStringLiteral("zebra"), 3);
        summary("TopSE", name, QStringLiteral("Apple"), 12);
        summary("TopSE", name, QStringLiteral("mango"), 7);
    }
    summary("TopSE", QStringLiteral("Engine11"), QStringLiteral("older day"), 1, Day.addDays(-1));

    DashboardData data(db, Project, Day);
    const QList<TopEngine> engines = data.topEngines();
    ASSERT_EQ(engines.size(), 10);
    EXPECT_EQ(engines.first().name, QStringLiteral("Engine11"));
    EXPECT_EQ(engines.first().points, 111);
    EXPECT_EQ(engines.last().name, QStringLiteral("Engine02"));

    const QList<SummaryRow> slot = data.topSlot(QStringLiteral("Engine11"));
    ASSERT_EQ(slot.size(), 3);
    EXPECT_EQ(slot.at(0).term, QStringLiteral("Apple"));
    EXPECT_EQ(slot.at(1).term, QStringLiteral("mango"));
    EXPECT_EQ(slot.at(2).rank, 3);
    EXPECT_EQ(slot.at(0).page, 2);
    EXPECT_TRUE(data.topSlot(QString()).isEmpty()); // fewer engines than slots
    EXPECT_EQ(DashboardQueries::chartTitle(0, QStringLiteral("Engine11"), 111),
              QStringLiteral("1 - Engine11 (111 points)"));
}

TEST_F(DashboardDataTest, ListsAndReportStatementsRun)
{
    engine(QStringLiteral("Demo"), 5);
    summary("PR1", QStringLiteral("Demo"), QStringLiteral("bread"), 4);
    summary("New", QStringLiteral("Demo"), QStringLiteral("bread"), 4);
    summary("New", QStringLiteral("Demo"), QStringLiteral("cake"), 14, Day.addDays(-3));
    summary("SAT", QStringLiteral("Demo"), QString(), 2);
    summary("TopSE", QStringLiteral("Demo"), QStringLiteral("bread"), 4);

    DashboardData data(db, Project, Day);
    ASSERT_EQ(data.firstPage().size(), 1);
    ASSERT_EQ(data.newArrivals().size(), 1); // only the session's own day
    EXPECT_EQ(data.newArrivals().first().page, 1);
    ASSERT_EQ(data.saturation().size(), 1);
    EXPECT_EQ(data.saturation().first().rank, 2);

    // The print statements fill the report table.
    for (const QString& sql : {DashboardQueries::firstPage(Project, true),
                               DashboardQueries::newArrivals(Project, data.date(), true),
                               DashboardQueries::saturation(Project, true)}) {
        db.deleteTable(QStringLiteral("CVReportTemp"));
        Query into(&db, sql);
        EXPECT_EQ(into.execSql(), 1) << sql.toStdString();
    }
    QStringList pieces;
    for (int slot = 0; slot < DashboardData::SlotCount; ++slot)
        pieces << DashboardQueries::topReportPiece(
            slot, Project, slot == 0 ? QStringLiteral("Demo") : QString(), data.date());
    EXPECT_TRUE(
        pieces.first().contains(QLatin1String("Rank, Page into CVReportTemp from summary where Type = ")));
    EXPECT_FALSE(pieces.at(1).contains(QLatin1String("into")));
    db.deleteTable(QStringLiteral("CVReportTemp"));
    Query top(&db, DashboardQueries::topReport(pieces));
    EXPECT_EQ(top.execSql(), 1);
    Table report(&db, QStringLiteral("CVReportTemp"));
    report.open();
    EXPECT_EQ(report.asString(QStringLiteral("Search Term")), QStringLiteral("bread"));
    EXPECT_EQ(report.asString(QStringLiteral("xOrder")), QStringLiteral("0"));
}

TEST_F(DashboardDataTest, SessionNotesAndPage)
{
    note(QString(), "Script update", Day.addDays(-5), QStringLiteral("old update"));
    note(QString(), "Script update", Day, QStringLiteral("Demo engine updated"));
    note(QString(), "Script update", Day, QStringLiteral("Other <engine> updated"));
    note(Project, "Optimization", Day,
         QStringLiteral("Project: ") + Project
             + QStringLiteral("\nSearch Terms:\nrye & spelt\nURLs:\nShop\nSearch Engines:\nDemo"));
    note(QStringLiteral("Other"), "Optimization", Day, QStringLiteral("Project: Other"));

    DashboardData data(db, Project, Day);
    EXPECT_EQ(data.scriptUpdates(),
              (QStringList{QStringLiteral("Other <engine> updated"), QStringLiteral("Demo engine updated")}));
    ASSERT_EQ(data.optimizationNotes().size(), 1);

    const QString page =
        SessionInfoPage::html(QStringLiteral("/opt/cv/"), data.scriptUpdates(), data.optimizationNotes());
    for (const char* piece :
         {"BGCOLOR='#FFFFD5'", "NAME='anchorTOP'", "NAME='anchorA'", "NAME='anchorB'",
          "file:///opt/cv/SessionInfoLogo.JPG", "file:///opt/cv/SessionInfoLogoFill.JPG",
          "Goto Optimization Notes", "Recent Script Updates", "<LI>Other &lt;engine&gt; updated</LI>",
          "These items had no activity.<BR>Consider removing them to improve HV performance",
          "<P><B>Project: O'Reilly &quot;Books&quot;</B></P>", "<I>Search Terms:</I>",
          "<I>Search Engines:</I>", "<LI><FONT SIZE='-1'>rye &amp; spelt</FONT></LI>"})
        EXPECT_TRUE(page.contains(QLatin1String(piece))) << piece;

    // A program folder with an apostrophe, blanks and non-ASCII letters keeps the image addresses whole.
    const QString odd =
        SessionInfoPage::html(QStringLiteral("/home/o'brien/Corvane & <b>Caf\u00e9</b>/"), {}, {});
    EXPECT_TRUE(odd.contains(
        QLatin1String("<IMG SRC='file:///home/o%27brien/Corvane%20%26%20%3Cb%3ECaf%C3%A9%3C/b%3E/"
                      "SessionInfoLogo.JPG' BORDER='0'>")))
        << qPrintable(odd);
}

TEST_F(DashboardDataTest, StatusCountsAndFolderSize)
{
    engine(QStringLiteral("Demo"), 5);
    engine(QStringLiteral("Other"), 5);
    const ProjectCounts counts = ProjectCounts::read(db, Project);
    EXPECT_EQ(counts.engines, 2);
    EXPECT_EQ(counts.rankRecords, 0);
    EXPECT_EQ(ProjectCounts::read(db, QStringLiteral("Nobody")).engines, 0);

    qint64 expected = 0;
    for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files))
        expected += f.size();
    EXPECT_GT(expected, 0);
    EXPECT_EQ(folderSize(folder), expected);
}

TEST_F(DashboardDataTest, PrintSelectionsFillTheReportTable)
{
    engine(QStringLiteral("Demo"), 5);
    summary("TopSE", QStringLiteral("Demo"), QStringLiteral("rye"), 9);
    summary("TopSE", QStringLiteral("Demo"), QStringLiteral("bread"), 4);
    note(Project, "Optimization", Day, QStringLiteral("Project: x"));
    QFile chart(folder + QStringLiteral("Top10_1.jpg"));
    ASSERT_TRUE(chart.open(QIODevice::WriteOnly));
    chart.write("not really a jpeg");
    chart.close();

    DashboardReport::Request request;
    request.selection = DashboardReport::Selection::TopTen;
    request.project = Project;
    request.date = Day.toString(Qt::ISODate);
    request.topEngines = QStringList{QStringLiteral("Demo")};
    request.imageFolder = folder;
    EXPECT_EQ(DashboardReport::fill(db, request), QStringLiteral("Top10"));
    Table report(&db, QStringLiteral("CVReportTemp"));
    report.open();
    EXPECT_EQ(report.recordCount(), 10);
    EXPECT_EQ(report.asString(QStringLiteral("MemoData")),
              QStringLiteral("Date: 2026-11-30 -- Search Engine: Demo\nSearch Term: bread -- Rank 4\nSearch "
                             "Term: rye -- Rank 9"));
    EXPECT_EQ(report.value(QStringLiteral("Chart")).toByteArray(), QByteArray("not really a jpeg"));
    report.next();
    EXPECT_TRUE(report.asString(QStringLiteral("MemoData")).isEmpty());
    report.close();

    request.selection = DashboardReport::Selection::SessionInfo;
    request.sessionPart = DashboardReport::SessionPart::OptimizationNotes;
    EXPECT_EQ(DashboardReport::fill(db, request), QStringLiteral("SessionInfo2"));
    report.open();
    EXPECT_EQ(report.asString(QStringLiteral("MemoContent")), QStringLiteral("Project: x"));
    EXPECT_EQ(DashboardReport::caption(DashboardReport::Selection::None),
              QStringLiteral("None Selected for Print"));
}
