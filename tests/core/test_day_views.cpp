// Day at a glance, the Full URL view, the log view and daily results, on real
// table files; the daily page against a golden file byte for byte.
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/dayviews/DayGlanceData.h"
#include "core/dayviews/FullUrlQuery.h"
#include "core/dayviews/FullUrlSettingsFile.h"
#include "core/dayviews/LogView.h"
#include "core/maintenance/DailyResults.h"
#include "core/print/ReportTable.h"

#include "TestSupport.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QLocale>

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <stdexcept>

using namespace corvane;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

const QString Odd = s("Müller & \"Söhne\" <b>O'Reilly</b>");
const QDate Day(2026, 11, 30);

// A data folder with the rank tables of one project, "Bakery", on two days,
// and a second project named with quotes, markup and umlauts.
class day_views : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        db.setDirectory(profile.path());
        db.connect();
        for (const char* table : {"CVRank", "CVHilo", "CVURL", "CVLog", "CVProject", "CVST", "CVSE3"})
            db.createTable(*Schema::table(s(table)));
    }

    void rank(const QString& project, const QString& engine, const QString& term, const QString& url,
              int rank, const QDate& day = Day, const QString& link = {})
    {
        Table table(&db, s("CVRank"));
        table.open();
        table.append();
        table.setValue(s("Project"), project);
        table.setValue(s("SearchEngine"), engine);
        table.setValue(s("SearchTerm"), term);
        table.setValue(s("URL"), url);
        table.setValue(s("Rank"), rank);
        table.setValue(s("Page"), (rank + 9) / 10);
        table.setValue(s("xDate"), day);
        table.setValue(s("FoundLink"), link);
        table.post();
    }

    void hilo(const QString& project, const QString& url, const QString& engine, const QString& term,
              int yesterday, int today)
    {
        Table table(&db, s("CVHilo"));
        table.open();
        table.append();
        table.setValue(s("Project"), project);
        table.setValue(s("xDate"), Day);
        table.setValue(s("URL"), url);
        table.setValue(s("SearchEngine"), engine);
        table.setValue(s("SearchTerm"), term);
        table.setValue(s("AltYesterday"), yesterday);
        table.setValue(s("AltToday"), today);
        table.setValue(s("Difference"), yesterday - today);
        table.post();
    }

    void log(const QDate& day, const char* time, const QString& message)
    {
        Table table(&db, s("CVLog"));
        table.open();
        table.append();
        table.setValue(s("xDate"), day);
        table.setValue(s("xTime"), s(time));
        table.setValue(s("Message"), message);
        table.post();
    }

    void mine()
    {
        const QString engines[] = {s("Alpha"), s("Beta"), Odd};
        const QString terms[] = {s("rye bread"), s("croissant"), Odd};
        const QString urls[] = {s("Home"), s("RivalA"), Odd};
        for (int e = 0; e < 3; ++e)
            for (int t = 0; t < 3; ++t)
                for (int u = 0; u < 3; ++u) {
                    if ((e + t + u) % 4 == 3)
                        continue;
                    const int r = 1 + (e * 7 + t * 5 + u * 3) % 23;
                    rank(s("Bakery"), engines[e], terms[t], urls[u], r, Day,
                         s("http://example.com/%1/%2?q=%3").arg(e).arg(u).arg(r));
                    rank(s("Bakery"), engines[e], terms[t], urls[u], r + 1, Day.addDays(-1));
                    rank(Odd, engines[e], terms[t], urls[u], r + 2, Day);
                }
        hilo(s("Bakery"), s("Home"), s("Alpha"), s("rye bread"), 7, 3);
        hilo(s("Bakery"), Odd, Odd, Odd, 2, 9);
        hilo(Odd, s("Home"), s("Beta"), s("croissant"), 4, 4);
    }

    // One column of a direct statement on a table file.
    QStringList direct(const char* table, const char* sql)
    {
        sqlite3* handle = nullptr;
        sqlite3_open_v2(QFile::encodeName(profile.path(s(table) + s(".dat"))).constData(), &handle,
                        SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr);
        QStringList rows;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QStringList cells;
            for (int c = 0; c < sqlite3_column_count(statement); ++c)
                cells << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, c)));
            rows << cells.join(QLatin1Char('|'));
        }
        sqlite3_finalize(statement);
        sqlite3_close(handle);
        return rows;
    }

    static QStringList joined(const QList<QVariantList>& rows)
    {
        QStringList out;
        for (const QVariantList& row : rows) {
            QStringList cells;
            for (const QVariant& value : row)
                cells << (value.typeId() == QMetaType::QDate ? value.toDate().toString(Qt::ISODate)
                                                             : value.toString());
            out << cells.join(QLatin1Char('|'));
        }
        return out;
    }

    test::TempProfile profile;
    Session session{s("Default")};
    Database db{s("General"), &session};
};

// Day at a glance --------------------------------------------------------

TEST_F(day_views, DayGlanceStatementsQuoteTheProjectAndNameTheirOrder)
{
    using DayGlance::Grid;
    EXPECT_EQ(DayGlance::statement(Grid::Position, s("O'Reilly"), Day, {}),
              s("SELECT xDate, URL, SearchEngine, SearchTerm, AltYesterday, AltToday, Difference FROM CVHiLo "
                "WHERE Project = 'O''Reilly' AND xDate = '2026-11-30' ORDER BY xDate nocase"));
    EXPECT_EQ(
        DayGlance::statement(Grid::Url, s("Bakery"), Day, s("URL")),
        s("SELECT COUNT(URL) AS URLCount, URL FROM CVRank WHERE Project = 'Bakery' AND xDate = '2026-11-30' "
          "GROUP BY URL ORDER BY URL ASC nocase"));
    EXPECT_EQ(DayGlance::statement(Grid::SearchEngine, s("Bakery"), Day, {}),
              s("SELECT COUNT(SearchEngine) AS SearchEngineCount, SearchEngine FROM CVRANK WHERE Project = "
                "'Bakery' "
                "AND xDate = '2026-11-30' GROUP BY SearchEngine ORDER BY SearchEngineCount ASC nocase"));
    EXPECT_EQ(DayGlance::title(Grid::Position, 0), s("Postion Activity (entries = 0)"));
    EXPECT_EQ(DayGlance::title(Grid::SearchTerm, 12), s("SearchTerm Activity (entries = 12)"));
    EXPECT_EQ(DayGlance::title(Grid::SearchEngine, 3), s("Search Engine Activity (entries = 3)"));
}

TEST_F(day_views, DayGlanceGridsMatchDirectSqlForBothProjects)
{
    mine();
    using DayGlance::Grid;
    Query query(&db);
    int progressCalls = 0;
    query.onProgress = [&](int) { ++progressCalls; };
    for (const QString& project : {s("Bakery"), Odd}) {
        const QByteArray p = project.toUtf8().replace("'", "''");
        const auto sql = [&](const char* column) -> QByteArray {
            return QByteArray("SELECT COUNT(*), ") + column + " FROM CVRank WHERE Project = '" + p
                + "' AND xDate = '2026-11-30' GROUP BY " + column + " ORDER BY COUNT(*), " + column
                + " COLLATE NOCASE";
        };
        EXPECT_EQ(joined(DayGlance::read(query, Grid::Url, project, Day, s("URLCount, URL")).values),
                  direct("CVRank", sql("URL").constData()));
        EXPECT_EQ(
            joined(DayGlance::read(query, Grid::SearchTerm, project, Day, s("SearchTermCount, SearchTerm"))
                       .values),
            direct("CVRank", sql("SearchTerm").constData()));
        EXPECT_EQ(joined(DayGlance::read(query, Grid::SearchEngine, project, Day,
                                         s("SearchEngineCount, SearchEngine"))
                             .values),
                  direct("CVRank", sql("SearchEngine").constData()));
        const QByteArray hilo =
            "SELECT xDate, URL, SearchEngine, SearchTerm, AltYesterday, AltToday, Difference FROM "
            "CVHilo WHERE Project = '"
            + p + "' AND xDate = '2026-11-30' ORDER BY SearchTerm COLLATE NOCASE";
        EXPECT_EQ(joined(DayGlance::read(query, Grid::Position, project, Day, s("SearchTerm")).values),
                  direct("CVHilo", hilo.constData()));
    }
    EXPECT_GT(progressCalls, 0);
    EXPECT_FALSE(query.isOpen());
    // Another day has no changes: an empty grid.
    EXPECT_TRUE(DayGlance::read(query, Grid::Position, s("Bakery"), Day.addDays(-1), {}).values.isEmpty());
}

TEST_F(day_views, DayGlanceReportsCarryTheirCaptionsAndPlainValues)
{
    using DayGlance::Grid;
    DayGlance::fillReport(db, Grid::Url, {{3, Odd}, {5, s("Home")}});
    EXPECT_EQ(direct("CVReportTemp", "SELECT URL, Count FROM CVReportTemp"),
              (QStringList{Odd + s("|3"), s("Home|5")}));
    DayGlance::fillReport(db, Grid::Position, {{Day, s("Home"), s("Alpha"), s("rye bread"), 7, 3, 4}});
    EXPECT_EQ(direct("CVReportTemp", "SELECT * FROM CVReportTemp"),
              (QStringList{s("2026-11-30|Home|Alpha|rye bread|7|3|4")}));
    QStringList names;
    for (const FieldDef& field : db.tableDef(s("CVReportTemp")).fields)
        names << field.name;
    EXPECT_EQ(names,
              (QStringList{s("xDate"), s("URL"), s("SearchEngine"), s("SearchTerm"), s("PriorDay"),
                           s("LastSession"), s("Difference")}));
    EXPECT_EQ(DayGlance::reportName(Grid::Position), s("PositionAct"));
    EXPECT_EQ(DayGlance::webAddress(s("bakery.example/shop")), s("http://www.bakery.example/shop"));
    EXPECT_EQ(DayGlance::webAddress(s("https://bakery.example")), s("https://bakery.example"));
}

// Full URL ------------------------------------------------------------------

TEST_F(day_views, FullUrlStatementGroupsCheckedItemsAndOrdersByTheGrouping)
{
    FullUrlQuery::Selection none;
    EXPECT_EQ(
        FullUrlQuery::statement(none),
        s("SELECT URL, SearchEngine, SearchTerm, Rank, Page, xDate, Project, FoundLink AS MemoFoundLink FROM "
          "CVRank ORDER BY MemoFoundLink, SearchEngine, SearchTerm, URL, Rank, Page NOCASE"));
    FullUrlQuery::Selection urls;
    urls.urls = {s("Home"), s("Rival \"A\"")};
    urls.grouping = {s("Rank"), s("URL"), s("Page"), s("Full Path"), s("Search Term"), s("Search Engine")};
    EXPECT_EQ(
        FullUrlQuery::statement(urls),
        s("SELECT URL, SearchEngine, SearchTerm, Rank, Page, xDate, Project, FoundLink AS MemoFoundLink FROM "
          "CVRank WHERE (URL = \"Home\" OR URL = \"Rival \"\"A\"\"\") ORDER BY Rank, URL, Page, "
          "MemoFoundLink, "
          "SearchTerm, SearchEngine NOCASE"));
    FullUrlQuery::Selection all;
    all.terms = {s("rye bread")};
    all.engines = {s("Alpha"), s("Beta")};
    all.urls = {s("Home")};
    EXPECT_TRUE(FullUrlQuery::statement(all).contains(
        s(" WHERE (SearchTerm = \"rye bread\") AND (SearchEngine = \"Alpha\" OR SearchEngine = \"Beta\") AND "
          "(URL = \"Home\") ORDER BY")));
    EXPECT_EQ(FullUrlQuery::filter(s("Bakery"), Day), s("Project = \"Bakery\" AND xDate = '2026-11-30'"));
}

TEST_F(day_views, FullUrlRowsMatchDirectSqlAndCopyIntoTheReportTable)
{
    mine();
    FullUrlQuery::Selection selection;
    selection.engines = {Odd, s("Alpha")};
    selection.terms = {Odd};
    Query result(&db, FullUrlQuery::runnableStatement(selection, s("Bakery"), Day));
    result.open();
    QStringList rows;
    for (result.first(); !result.eof(); result.next())
        rows << result.asString(s("MemoFoundLink")) + s("|") + result.asString(s("SearchEngine")) + s("|")
                + result.asString(s("URL"));
    const QByteArray odd = Odd.toUtf8().replace("'", "''");
    const QByteArray sql =
        "SELECT FoundLink, SearchEngine, URL FROM CVRank WHERE Project = 'Bakery' AND xDate = "
        "'2026-11-30' AND SearchTerm = '"
        + odd + "' AND (SearchEngine = '" + odd
        + "' OR SearchEngine = 'Alpha') ORDER BY FoundLink COLLATE NOCASE, SearchEngine COLLATE "
          "NOCASE, SearchTerm COLLATE NOCASE, URL COLLATE NOCASE, Rank, Page";
    EXPECT_EQ(rows, direct("CVRank", sql.constData()));
    EXPECT_FALSE(rows.isEmpty());

    FullUrlQuery::copyToReport(db, result);
    EXPECT_EQ(result.recNo(), 1);
    EXPECT_EQ(
        direct("CVReportTemp", "SELECT MemoFoundLink, SearchEngine, URL FROM CVReportTemp ORDER BY rowid"),
        rows);
    EXPECT_EQ(direct("CVReportTemp", "SELECT DISTINCT SearchTerm, Project, xDate FROM CVReportTemp"),
              QStringList{Odd + s("|Bakery|2026-11-30")});
    const TableDef report = db.tableDef(s("CVReportTemp"));
    ASSERT_EQ(report.fields.size(), 8);
    EXPECT_EQ(report.fields.at(0).size, 64);
    EXPECT_EQ(report.fields.at(7).name, s("MemoFoundLink"));
    EXPECT_EQ(report.fields.at(7).type, FieldType::Memo);
}

TEST_F(day_views, FullUrlSettingsFileRoundTripsOddNamesAndReadsItsOldDateForm)
{
    FullUrlSettings settings;
    settings.project = Odd;
    settings.day = Day;
    settings.selection.terms = {Odd, s("rye bread")};
    settings.selection.engines = {s("Ålpha")};
    settings.selection.grouping = {s("URL"),  s("Rank"),        s("Full Path"),
                                   s("Page"), s("Search Term"), s("Search Engine")};
    const QString path = profile.path(s("odd.ufp"));
    FullUrlSettingsFile::write(path, settings);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()),
              s("~~Project\n") + Odd
                  + s("\n~~Date\n2026-11-30\n~~Grouping\nURL\nRank\nFull Path\nPage\nSearch Term\n"
                      "Search Engine\n~~SearchTerm\n")
                  + Odd + s("\nrye bread\n~~SearchEngine\nÅlpha\n~~URL\n~~END\n"));
    const FullUrlSettings back = FullUrlSettingsFile::read(path);
    EXPECT_EQ(back.project, settings.project);
    EXPECT_EQ(back.day, settings.day);
    EXPECT_EQ(back.selection.terms, settings.selection.terms);
    EXPECT_EQ(back.selection.engines, settings.selection.engines);
    EXPECT_TRUE(back.selection.urls.isEmpty());
    EXPECT_EQ(back.selection.grouping, settings.selection.grouping);

    // A file written with the short date of its day, with Windows line ends.
    const FullUrlSettings old =
        FullUrlSettingsFile::parse(s("~~Project\r\nBakery\r\n~~Date\r\n11/30/"
                                     "26\r\n~~Grouping\r\nRank\r\n~~SearchTerm\r\n~~SearchEngine\r\n"
                                     "~~URL\r\nHome\r\n~~END\r\n"));
    EXPECT_EQ(old.day, Day);
    EXPECT_EQ(old.selection.urls, QStringList{s("Home")});
    EXPECT_EQ(old.selection.grouping.value(0), s("Rank"));
    EXPECT_EQ(old.selection.grouping.size(), 6);
}

// Items are lines: a name the file could not give back whole is refused,
// naming it, and a file already there stays as it was. A carriage return
// inside a name is kept.
TEST_F(day_views, FullUrlSettingsFileRefusesNamesItCannotKeep)
{
    FullUrlSettings settings;
    settings.project = s("Bakery");
    settings.day = Day;
    const QString path = profile.path(s("kept.ufp"));
    FullUrlSettingsFile::write(path, settings);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    const struct
    {
        QStringList FullUrlQuery::Selection::*list; // nullptr: the project
        QString name;
        const char* message;
    } cases[] = {
        {nullptr, s("Bak\nery"), "The project \"Bak\nery\" holds a line break"},
        {&FullUrlQuery::Selection::terms, s("rye\r\nbread"),
         "The search term \"rye\r\nbread\" holds a line break"},
        {&FullUrlQuery::Selection::engines, s("Ålpha\r"),
         "The search engine \"Ålpha\r\" ends in a line break"},
        {&FullUrlQuery::Selection::urls, s("~~END"), "The URL \"~~END\" begins with \"~~\""},
    };
    for (const auto& c : cases) {
        FullUrlSettings bad = settings;
        if (c.list)
            (bad.selection.*c.list) << s("plain") << c.name;
        else
            bad.project = c.name;
        try {
            FullUrlSettingsFile::write(path, bad);
            ADD_FAILURE() << c.message;
        } catch (const std::runtime_error& e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(s(c.message))) << e.what();
            EXPECT_TRUE(QString::fromUtf8(e.what()).endsWith(s("The settings were not saved."))) << e.what();
        }
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), before);
        file.close();
    }
    EXPECT_EQ(QDir(profile.path(s("."))).entryList({s("kept*")}, QDir::Files), QStringList{s("kept.ufp")});

    settings.selection.terms = {s("rye\rbread")};
    FullUrlSettingsFile::write(path, settings);
    EXPECT_EQ(FullUrlSettingsFile::read(path).selection.terms, settings.selection.terms);
}

TEST_F(day_views, DamagedFullUrlSettingsFilesNameWhatIsWrong)
{
    const struct
    {
        const char* text;
        const char* message;
    } cases[] = {
        {"", "names no project"},
        {"garbage\n~~END\n", "does not begin with \"~~Project\""},
        {"~~Project\nBakery\n~~Date\n31.02.x\n~~END\n", "\"31.02.x\" is not a date"},
        {"~~Project\nBakery\n~~Date\n2026-11-30\n~~Grouping\nColour\n~~END\n", "\"Colour\" is unknown"},
        {"~~Project\nBakery\n~~Date\n2026-11-30\n~~Grouping\nRank\n~~SearchTerm\nrye", "cut short"},
        {"~~Project\nBakery\n~~Datum\n2026-11-30\n~~END\n", "\"~~Datum\" is unknown"},
    };
    for (const auto& c : cases) {
        try {
            FullUrlSettingsFile::parse(s(c.text));
            ADD_FAILURE() << c.text;
        } catch (const std::runtime_error& e) {
            EXPECT_TRUE(QString::fromLocal8Bit(e.what()).contains(s(c.message))) << e.what();
        }
    }
    EXPECT_THROW(FullUrlSettingsFile::read(profile.path(s("missing.ufp"))), std::runtime_error);
}

// Log -------------------------------------------------------------------------

TEST_F(day_views, LogPeriodsAndTheLinesOfLogTxt)
{
    EXPECT_EQ(LogView::statement(LogView::Period::Entry, Day, Day),
              s("SELECT * FROM CVLog WHERE xDate = '2026-11-30' ORDER BY xTime ASC"));
    EXPECT_EQ(
        LogView::statement(LogView::Period::Week, {}, Day),
        s("SELECT * FROM CVLog WHERE xDate BETWEEN '2026-11-23' AND '2026-11-30' ORDER BY xDate, xTime ASC"));
    EXPECT_EQ(
        LogView::statement(LogView::Period::Month, {}, Day),
        s("SELECT * FROM CVLog WHERE xDate BETWEEN '2026-10-31' AND '2026-11-30' ORDER BY xDate, xTime ASC"));
    EXPECT_EQ(LogView::statement(LogView::Period::All, {}, Day),
              s("SELECT * FROM CVLog ORDER BY xDate, xTime ASC"));
    EXPECT_FALSE(LogView::lastEntryDate(db).isValid());

    log(Day.addDays(-20), "09:00:00", s("Session started"));
    log(Day.addDays(-20), "09:05:10", s("Engine <b>Alpha</b> & \"Beta\": no reply\nretrying"));
    log(Day.addDays(-20), "09:05:10", s("Zweite Meldung, gleiche Zeit"));
    log(Day.addDays(-21), "23:59:59", s("Ältere Sitzung"));
    EXPECT_EQ(LogView::lastEntryDate(db), Day.addDays(-20));

    Query query(&db);
    const QString path = profile.path(s("Log.txt"));
    const auto text = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : s("<missing>");
    };
    EXPECT_EQ(
        LogView::exportLog(query, LogView::statement(LogView::Period::Entry, Day.addDays(-20), Day), path),
        3);
    EXPECT_EQ(text(),
              s("11-10-2026:09:00:00:Session started\n"
                "11-10-2026:09:05:10:Engine <b>Alpha</b> & \"Beta\": no reply retrying\n"
                "11-10-2026:09:05:10:Zweite Meldung, gleiche Zeit\n"));
    EXPECT_FALSE(query.isOpen());
    // The newest record is older than a week: "1 Week" is empty, "1 Month" and "All" are not.
    EXPECT_EQ(LogView::exportLog(query, LogView::statement(LogView::Period::Week, {}, Day), path), 0);
    EXPECT_EQ(text(), QString());
    EXPECT_EQ(LogView::exportLog(query, LogView::statement(LogView::Period::Month, {}, Day), path), 4);
    EXPECT_TRUE(text().startsWith(s("11-09-2026:23:59:59:Ältere Sitzung\n")));
    // A folder that cannot take the file: an error naming it, the old text kept.
    EXPECT_THROW(LogView::exportLog(query, LogView::statement(LogView::Period::All, {}, Day),
                                    profile.path(s("no/such/folder/Log.txt"))),
                 std::runtime_error);
}

// Daily results -----------------------------------------------------------------

TEST_F(day_views, DailyChoicesBarsAndStatement)
{
    EXPECT_EQ(DailyResults::thenByChoices(s("URL")), (QStringList{s("Search Engine"), s("Search Term")}));
    EXPECT_EQ(DailyResults::detail(s("URL"), s("Search Term")), s("Search Engine"));
    EXPECT_EQ(DailyResults::detail(s("URL"), s("URL")), QString());
    EXPECT_EQ(DailyResults::barPercent(40, 40), 100);
    EXPECT_EQ(DailyResults::barPercent(1, 200), 1); // 0.5 % still shows
    EXPECT_EQ(DailyResults::barPercent(13, 40), 32);
    EXPECT_EQ(DailyResults::barPercent(0, 0), 1); // a day without positive ranks
    DailyResults::Input input;
    input.project = s("O'Reilly");
    input.day = Day;
    input.groupBy = s("URL");
    input.thenBy = s("Search Term");
    input.detailName = s("Search Engine");
    input.order = 1;
    EXPECT_EQ(DailyResults::statement(input),
              s("SELECT * FROM CVRank WHERE Project = 'O''Reilly' AND xDate = "
                "'2026-11-30' ORDER BY URL, SearchTerm, \nSearchEngine"));
}

TEST_F(day_views, DailyPageOfASmallProfileMatchesItsGoldenFile)
{
    // Seven URLs: the index has three rows, the last completed with two empty cells.
    const QStringList names{s("Home"), s("Rival A"), s("RivalB"), Odd, s("E"), s("F"), s("G")};
    for (int u = 0; u < names.size(); ++u) {
        rank(s("Bakery"), s("Alpha"), s("rye bread"), names.at(u), 1 + u * 6);
        if (u % 2 == 0)
            rank(s("Bakery"), Odd, s("rye bread"), names.at(u), 2 + u);
        if (u == 3)
            rank(s("Bakery"), s("Beta"), Odd, names.at(u), 40);
    }
    rank(s("Bakery"), s("Alpha"), s("rye bread"), s("Home"), 9, Day.addDays(-1));

    DailyResults::Input input;
    input.project = s("Bakery");
    input.dateText = s("11/30/2026");
    input.day = Day;
    input.groupBy = s("URL");
    input.thenBy = s("Search Term");
    input.detailName = s("Search Engine");
    input.order = 1;
    input.showIndex = true;
    input.dataFolder = profile.path();
    input.programFolder = profile.path(s("program/"));
    QDir().mkpath(input.programFolder);
    EXPECT_EQ(DailyResults::build(input), QString());
    QFile page(input.programFolder + s("Daily.html"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    QFile golden(s(CORVANE_GOLDEN_DIR) + s("/daily_small.html"));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    const QByteArray written = page.readAll();
    if (written != golden.readAll()) {
        QFile actual(s(CORVANE_GOLDEN_DIR) + s("/daily_small.actual.html"));
        if (actual.open(QIODevice::WriteOnly))
            actual.write(written);
        ADD_FAILURE() << "Daily.html differs from daily_small.html; see daily_small.actual.html";
    }
    EXPECT_TRUE(QFile::exists(input.programFolder + s("DailyBar.svg")));

    // Without the index and on a day without rows.
    page.close();
    input.showIndex = false;
    EXPECT_EQ(DailyResults::build(input), QString());
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString plain = QString::fromLatin1(page.readAll());
    EXPECT_FALSE(plain.contains(s("anchorE")));
    EXPECT_FALSE(plain.contains(s("<B>Index</B>")));
    EXPECT_TRUE(plain.contains(
        s("<CAPTION ALIGN=\"LEFT\"><FONT SIZE=\"+1\"><B>M&#252;ller &amp; &quot;S&#246;hne&quot; "
          "&lt;b&gt;O&#39;Reilly&lt;/b&gt;</B></FONT></CAPTION>")));
    page.close();
    input.day = Day.addDays(5);
    input.dateText = s("12/5/2026");
    EXPECT_EQ(DailyResults::build(input), QString());
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    EXPECT_EQ(
        QString::fromLatin1(page.readAll()),
        s("<HTML><HEAD><TITLE>Daily Results</TITLE></HEAD><BODY><TABLE WIDTH=\"600\" CELLPADDING=\"0\" "
          "CELLSPACING=\"0\" ALIGN=\"CENTER\"><TR><TD><FONT SIZE=\"+1\">Project: Bakery</FONT></TD><TD "
          "ALIGN=\"RIGHT\"><U>for 12/5/2026</U></TD></TR></TABLE><BR><P>No records found</P></BODY></HTML>"));
}

TEST_F(day_views, DailyRowsMatchDirectSqlOnAMinedProfile)
{
    mine();
    DailyResults::Input input;
    input.project = Odd;
    input.day = Day;
    input.groupBy = s("Search Engine");
    input.thenBy = s("URL");
    input.detailName = s("Search Term");
    input.order = 2;
    Query query(&db, DailyResults::statement(input));
    query.open();
    QStringList rows;
    for (query.first(); !query.eof(); query.next())
        rows << query.asString(s("SearchEngine")) + s("|") + query.asString(s("URL")) + s("|")
                + query.asString(s("SearchTerm")) + s("|") + query.asString(s("Page"));
    const QByteArray odd = Odd.toUtf8().replace("'", "''");
    const QByteArray all =
        "SELECT SearchEngine FROM CVRank WHERE Project = '" + odd + "' AND xDate = '2026-11-30'";
    EXPECT_EQ(rows.size(), direct("CVRank", all.constData()).size());
    QStringList sorted = rows;
    std::stable_sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        const QStringList x = a.split(QLatin1Char('|'));
        const QStringList y = b.split(QLatin1Char('|'));
        return x.mid(0, 2) != y.mid(0, 2) ? x.mid(0, 2) < y.mid(0, 2) : x.at(3).toInt() < y.at(3).toInt();
    });
    EXPECT_EQ(rows, sorted);
}

} // namespace
