// Every SQL statement and cursor filter the program builds, run through the
// data layer on a data folder holding every table of the schema.
//
// A statement is written as the program joins it: literal pieces and value
// slots. A slot '{name}' or "{name}" is a value that the program quotes with
// that quote character (through SqlQuote); {name} alone is a number. Sort
// columns and series columns are names, not values, and stand in the text as
// the program would put them. Every text value holds both quote characters,
// and the seeded rows carry the same values, so a statement that finds its
// row proves the quoting survives the translation.

#include "core/data/DatabaseError.h"
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/SqlDialect.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableDatabase.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTime>
#include <QVariant>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <set>
#include <sqlite3.h>
#include <string>
#include <utility>
#include <vector>

using namespace corvane;

void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {

// ---------------------------------------------------------------- values

const QMap<QString, QString>& textValues()
{
    static const QMap<QString, QString> values = {
        {QStringLiteral("project"), QStringLiteral("O'Reilly \"books\"")},
        {QStringLiteral("engine"), QStringLiteral("Eng'ine \"One\"")},
        {QStringLiteral("engine2"), QStringLiteral("Oth'er \"Two\"")},
        {QStringLiteral("term"), QStringLiteral("it's a \"term\"")},
        {QStringLiteral("term2"), QStringLiteral("an'other \"t\"")},
        {QStringLiteral("url"), QStringLiteral("Url'name \"A\"")},
        {QStringLiteral("chart"), QStringLiteral("Chart's \"best\"")},
        {QStringLiteral("country"), QStringLiteral("Co'untry \"X\"")},
        {QStringLiteral("country2"), QStringLiteral("Co'untry \"Y\"")},
        {QStringLiteral("group"), QStringLiteral("Gr'oup \"G\"")},
        // values that are stored but never written into a statement
        {QStringLiteral("address"), QStringLiteral("www.o'reilly.com/\"a\"")},
        {QStringLiteral("link"), QStringLiteral("http://www.o'reilly.com/?q=\"books\"")},
        {QStringLiteral("mix"), QStringLiteral("www.o'reilly.com/\"b\"")},
        {QStringLiteral("message"), QStringLiteral("Table's \"lock\" failed")},
        {QStringLiteral("content"), QStringLiteral("Engine O'Brien \"X\" updated")},
        {QStringLiteral("note"), QStringLiteral("Project:\nSearch Terms:\nit's a \"term\"")},
        {QStringLiteral("theme"), QStringLiteral("Th'eme \"1\"")},
        {QStringLiteral("query"), QStringLiteral("Q'uery \"1\"")},
    };
    return values;
}

const QMap<QString, QDate>& dateValues()
{
    static const QMap<QString, QDate> values = {
        {QStringLiteral("date"), QDate(2005, 12, 31)},
        {QStringLiteral("start"), QDate(2005, 12, 1)},
        {QStringLiteral("end"), QDate(2006, 1, 31)},
    };
    return values;
}

const QMap<QString, QString>& numberValues()
{
    static const QMap<QString, QString> values = {
        {QStringLiteral("limit"), QStringLiteral("10000")},
        {QStringLiteral("days"), QStringLiteral("10000")},
        {QStringLiteral("rows"), QStringLiteral("3000")},
    };
    return values;
}

QString valueOf(const char* name) { return textValues().value(QLatin1String(name)); }

QDate day(const char* name) { return dateValues().value(QLatin1String(name)); }

// Fills the slots the way the program does: through the quoting helper.
QString expand(const QString& pieces)
{
    static const QRegularExpression slot(QStringLiteral(R"('\{(\w+)\}'|"\{(\w+)\}"|\{(\w+)\})"));
    QString out;
    qsizetype last = 0;
    auto it = slot.globalMatch(pieces);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += pieces.mid(last, m.capturedStart() - last);
        last = m.capturedEnd();
        const QChar quote = !m.captured(1).isEmpty() ? QLatin1Char('\'') : QLatin1Char('"');
        const QString name = !m.captured(1).isEmpty() ? m.captured(1) : m.captured(2);
        if (!m.captured(3).isEmpty()) {
            const QString number = numberValues().value(m.captured(3));
            EXPECT_FALSE(number.isEmpty()) << "unknown number slot " << m.captured(3).toStdString();
            out += number;
        } else if (dateValues().contains(name)) {
            out += SqlQuote::date(dateValues().value(name), quote);
        } else {
            EXPECT_TRUE(textValues().contains(name)) << "unknown slot " << name.toStdString();
            out += SqlQuote::quoted(textValues().value(name), quote);
        }
    }
    out += pieces.mid(last);
    return out;
}

// "engine+url+term" joins the values of the named slots.
QString expected(const char* names)
{
    QString joined;
    for (const QString& name : QString::fromLatin1(names).split(QLatin1Char('+'))) {
        if (dateValues().contains(name))
            joined += dateValues().value(name).toString(QStringLiteral("yyyy-MM-dd"));
        else
            joined += textValues().value(name, name);
    }
    return joined;
}

// ---------------------------------------------------------------- the corpus

enum class Kind { Query, Filter };
enum class Prepare { Nothing, FreshReportTemp };

struct Statement
{
    std::string name;
    Kind kind = Kind::Query;
    QString pieces;
    QString table;               // filters: the cursor's table
    int minRows = 1;             // rows it must find
    int maxRows = -1;            // at most; -1: no bound
    const char* field = nullptr; // a field of some found row ...
    const char* value = nullptr; // ... equal to these slots' values
    Prepare prepare = Prepare::Nothing;
};

void PrintTo(const Statement& statement, std::ostream* out) { *out << statement.name; }

Statement query(const char* name, const char* pieces, int minRows = 1, const char* field = nullptr,
                const char* value = nullptr, int maxRows = -1)
{
    Statement s;
    s.name = name;
    s.kind = Kind::Query;
    s.pieces = QString::fromUtf8(pieces);
    s.minRows = minRows;
    s.maxRows = maxRows;
    s.field = field;
    s.value = value;
    return s;
}

Statement filter(const char* name, const char* table, const char* pieces, int minRows = 1,
                 const char* field = nullptr, const char* value = nullptr, int maxRows = -1)
{
    Statement s = query(name, pieces, minRows, field, value, maxRows);
    s.kind = Kind::Filter;
    s.table = QLatin1String(table);
    return s;
}

// The dashboard's Top 10 report: ten pieces, the first selecting into the
// report table, joined by UNION ALL and sorted.
QString top10Report()
{
    QStringList pieces;
    for (int slot = 0; slot < 10; ++slot) {
        QString piece = QStringLiteral("select '%1' as xOrder, xDate as 'Date', SearchTerm as 'Search Term', "
                                       "SearchEngine as 'Search Engine', Rank, Page ")
                            .arg(slot);
        if (slot == 0)
            piece += QStringLiteral("into CVReportTemp ");
        // the first slot holds the engine; slots without an engine ask for ""
        piece += QStringLiteral(
                     "from summary where Type = \"TopSE\" and Project = \"{project}\" and SearchEngine = ")
            + (slot == 0 ? QStringLiteral("\"{engine}\"") : QStringLiteral("\"\""))
            + QStringLiteral(" and xDate = \"{date}\"");
        pieces << piece;
    }
    return pieces.join(QLatin1String(" UNION ALL ")) + QStringLiteral(" order by SearchEngine, Rank nocase");
}

// The query builder's condition text: pieces that each end with a blank, a
// line break and the connector, trimmed when they go into the statement.
const char* builderConditions()
{
    return "URL = \"{url}\" \r\nAND SearchEngine <> \"{engine2}\" \r\nAND SearchTerm = \"{term}\" \r\n"
           "AND Rank <= 10 \r\nAND Page = 1 \r\nAND xDate = \"{date}\" \r\n"
           "AND xDate BETWEEN \"{start}\" AND \"{end}\" \r\nAND xDate >= CURRENT_DATE - {days}";
}

std::vector<Statement> corpus()
{
    std::vector<Statement> all;
    auto add = [&](Statement s) { all.push_back(std::move(s)); };

    // -- dashboard
    add(query(
        "dashboard_top10_engines",
        R"(select distinct SearchEngine, Popularity from summary su join CVSE3 se3 on (su.SearchEngine = se3.Name) where su.xDate = "{date}" and su.Type = "TopSE" and su.Project = "{project}" order by Popularity DESC)",
        1, "SearchEngine", "engine", 1));
    add(query(
        "dashboard_top10_slot",
        R"(select * from summary where Type = "TopSE" and Project = "{project}" and SearchEngine = "{engine}" and xDate = "{date}" order by SearchTerm nocase)",
        1, "SearchTerm", "term"));
    {
        Statement s = query("dashboard_top10_report", "", 1, "Search Term", "term", 1);
        s.pieces = top10Report();
        add(s);
    }
    add(query(
        "dashboard_first_page",
        R"(select SearchEngine, SearchTerm, Rank from summary where Type = "PR1" and Project = "{project}" order by SearchEngine, SearchTerm, Rank nocase)",
        1, "SearchTerm", "term"));
    add(query(
        "dashboard_new_arrivals",
        R"(select * from summary where xDate = "{date}" and Type = "New" and Project = "{project}" order by SearchEngine, SearchTerm, Rank nocase)",
        1, "SearchEngine", "engine"));
    add(query(
        "dashboard_saturation",
        R"(select SearchEngine, Rank from summary where Type = "SAT" and Project = "{project}" order by Rank ASC, SearchEngine ASC nocase)",
        1, "SearchEngine", "engine"));
    add(query(
        "dashboard_print_first_page",
        R"(select SearchEngine, SearchTerm, Rank into CVReportTemp from summary where Type = "PR1" and Project = "{project}" order by SearchEngine, SearchTerm, Rank nocase)",
        1, "SearchTerm", "term"));
    add(query(
        "dashboard_print_new_arrivals",
        R"(select * into CVReportTemp from summary where xDate = "{date}" and Type = "New" and Project = "{project}" order by SearchEngine, SearchTerm, Rank nocase)",
        1, "Project", "project"));
    add(query(
        "dashboard_print_saturation",
        R"(select SearchEngine, Rank into CVReportTemp from summary where Type = "SAT" and Project = "{project}" order by Rank ASC, SearchEngine ASC nocase)",
        1, "SearchEngine", "engine"));
    add(query("dashboard_script_updates", R"(select * from CVNotable where Subject = "Script update")", 1,
              "Content", "content"));
    add(query("dashboard_optimization_notes",
              R"(select * from CVNotable where Project = "{project}" AND Subject = "Optimization")", 1,
              "Content", "note"));
    add(query(
        "dashboard_print_script_updates",
        R"(select xDate, xTime, Type, Subject, Content AS MemoContent, Project into CVReportTemp from CVNotable where Subject = "Script update")",
        1, "MemoContent", "content"));
    add(query(
        "dashboard_print_optimization_notes",
        R"(select xDate, xTime, Type, Subject, Content AS MemoContent, Project into CVReportTemp from CVNotable where Project = "{project}" AND Subject = "Optimization")",
        1, "Project", "project"));
    add(filter("status_rank_records", "CVRank", R"(Project = "{project}")", 3, "URL", "url"));
    add(filter("status_terms", "CVST", R"(Project = "{project}")", 1, "Virtual", "term"));
    add(filter("status_urls", "CVURL", R"(Project = "{project}")", 1, "URL", "address"));
    add(filter("status_engines", "CVSE3", R"(Project = "{project}")", 1, "Name", "engine"));
    add(filter("top10_design_row", "CVSQLTee", R"(Project = "{project}" AND File = "Top10")", 1, "Project",
               "project", 1));

    // -- typical reads of the rank tables
    add(query(
        "read_url_counts",
        R"(SELECT COUNT(URL) AS URLCount, URL FROM CVRank WHERE Project = '{project}' AND xDate = '{date}' GROUP BY URL ORDER BY URLCount)",
        1, "URL", "url", 1));
    add(query(
        "read_term_counts",
        R"(SELECT COUNT(SearchTerm) AS SearchTermCount, SearchTerm FROM CVRank WHERE Project = '{project}' AND xDate = '{date}' GROUP BY SearchTerm ORDER BY SearchTermCount)",
        2, "SearchTerm", "term2", 2));
    add(query(
        "read_engine_counts",
        R"(SELECT COUNT(SearchEngine) AS SearchEngineCount, SearchEngine FROM CVRANK WHERE Project = '{project}' AND xDate = '{date}' GROUP BY SearchEngine ORDER BY SearchEngineCount)",
        1, "SearchEngine", "engine", 1));
    add(query(
        "read_hilo_day",
        R"(SELECT xDate, URL, SearchEngine, SearchTerm, AltYesterday, AltToday, Difference FROM CVHiLo WHERE Project = '{project}' AND xDate = '{date}' ORDER BY URL)",
        1, "SearchTerm", "term", 1));
    add(query("read_rank_dates", R"(SELECT DISTINCT xDate FROM CVRANK WHERE Project = '{project}')", 2,
              "xDate", "start", 2));
    add(query("engine_work_unfinished",
              R"(SELECT * FROM CVEngine WHERE LastRecord < Depth ORDER BY LastRecord)", 1, "STName", "term"));

    // -- engines
    add(query("engine_countries", R"(SELECT DISTINCT country FROM SE3 ORDER BY country)", 2, "Country",
              "country2", 2));
    add(query("engine_names", R"(SELECT Name FROM SE3 ORDER BY Name NOCASE)", 2, "Name", "engine2", 2));
    add(query("engine_names_of_country",
              R"(SELECT Name FROM SE3 WHERE Country = "{country}" ORDER BY Name NOCASE)", 1, "Name", "engine",
              1));
    add(query(
        "wizard_inactive_engines",
        R"(SELECT * FROM SE3 WHERE Name NOT IN (SELECT Name FROM CVSE3 WHERE Project = "{project}") ORDER BY Name NOCASE)",
        1, "Name", "engine2", 1));
    add(query(
        "wizard_inactive_engines_and",
        R"(SELECT * FROM SE3 WHERE Name NOT IN (SELECT Name FROM CVSE3 WHERE Project = "{project}") AND (Country = "{country2}" AND Group1 = "{group}") ORDER BY Name NOCASE)",
        1, "Country", "country2", 1));
    add(query(
        "wizard_inactive_engines_or",
        R"(SELECT * FROM SE3 WHERE Name NOT IN (SELECT Name FROM CVSE3 WHERE Project = "{project}") AND (Country = "{country}" OR Group1 = "{group}" OR Group2 = "{group}") ORDER BY Name NOCASE)",
        1, "Name", "engine2", 1));
    add(filter("engine_info_project", "CVSE3", R"(Project = "{project}")", 1, "Popularity", "10"));
    add(filter("engine_info_country", "SE3", R"(Country = "{country}")", 1, "Name", "engine", 1));
    add(filter("engine_info_country_and_group", "SE3", R"(Country = "{country}" AND Group1 = "{group}")", 1,
               "Name", "engine", 1));
    add(filter("engine_info_two_countries_or", "SE3", R"(Country = "{country}" OR Country = "{country2}")", 2,
               "Name", "engine2", 2));
    add(filter("engine_info_two_countries_and", "SE3", R"(Country = "{country}" AND Country = "{country2}")",
               0, nullptr, nullptr, 0));
    add(query(
        "script_check_unique",
        R"(SELECT DISTINCT Completed, SE3Name, STName, Min(LastRecord) LastRecord FROM CVEngine GROUP BY SE3Name ORDER BY LastRecord)",
        1, "SE3Name", "engine", 1));
    add(query("script_check_all", R"(SELECT * FROM CVEngine ORDER BY LastRecord)", 1, "SE3Name", "engine"));
    add(query(
        "script_check_unique_below_depth",
        R"(SELECT DISTINCT Completed, SE3Name, STName, Min(LastRecord) LastRecord FROM CVEngine WHERE LastRecord < Depth GROUP BY SE3Name ORDER BY LastRecord)",
        1, "LastRecord", "5", 1));
    add(query("script_check_below_depth",
              R"(SELECT * FROM CVEngine WHERE LastRecord < Depth ORDER BY LastRecord)", 1, "SE3Name",
              "engine"));

    // -- competitor harvest report
    add(query("mix_report_by_count",
              R"(SELECT Name AS URL, URLCount AS Count INTO CVReportTemp FROM CVMix ORDER BY URLCount, Name)",
              1, "URL", "mix", 1));
    add(query("mix_report_by_name",
              R"(SELECT Name AS URL, URLCount AS Count INTO CVReportTemp FROM CVMix ORDER BY Name, URLCount)",
              1, "Count", "2", 1));

    // -- wizard cascades: term, URL and engine of a project
    add(filter("cascade_term_engine_work", "CVEngine", R"(Project = "{project}" AND STName = "{term}")", 1,
               "SE3Name", "engine", 1));
    add(filter("cascade_term_hilo", "CVHilo", R"(Project = "{project}" AND SearchTerm = "{term}")", 1, "URL",
               "url", 1));
    add(filter("cascade_term_rank", "CVRank", R"(Project = "{project}" AND SearchTerm = "{term}")", 2,
               "FoundLink", "link", 2));
    add(filter("cascade_term_summary", "Summary", R"(Project = "{project}" AND SearchTerm = "{term}")", 3,
               "Type", "TopSE", 3));
    add(filter("cascade_url_hilo", "CVHilo", R"(Project = "{project}" AND URL = "{url}")", 1, "SearchTerm",
               "term", 1));
    add(filter("cascade_url_rank", "CVRank", R"(Project = "{project}" AND URL = "{url}")", 3, "SearchTerm",
               "term2", 3));
    add(filter("cascade_url_summary", "Summary", R"(Project = "{project}" AND URL = "{url}")", 4, "Type",
               "SAT", 4));
    add(filter("cascade_engine_work", "CVEngine", R"(Project = "{project}" AND SE3Name = "{engine}")", 1,
               "STName", "term", 1));
    add(filter("cascade_engine_hilo", "CVHilo", R"(Project = "{project}" AND SearchEngine = "{engine}")", 1,
               "URL", "url", 1));
    add(filter("cascade_engine_rank", "CVRank", R"(Project = "{project}" AND SearchEngine = "{engine}")", 3,
               "URL", "url", 3));
    add(filter("cascade_engine_summary", "Summary", R"(Project = "{project}" AND SearchEngine = "{engine}")",
               4, "Type", "SAT", 4));
    add(filter("cascade_url_charts_first", "CVSQLTee",
               R"((PopOrder = "UST" OR PopOrder = "UTS") AND Project = "{project}")", 2, "ForEach", "url",
               2));
    add(filter("cascade_url_charts_second", "CVSQLTee",
               R"((PopOrder = "TUS" OR PopOrder = "SUT") AND Select1 = "{url}" AND Project = "{project}")", 2,
               "Select1", "url", 2));
    add(filter("cascade_url_charts_third", "CVSQLTee",
               R"((PopOrder = "STU" OR PopOrder = "TSU") AND Select2 = "{url}" AND Project = "{project}")", 2,
               "Select2", "url", 2));
    add(filter("cascade_term_charts_first", "CVSQLTee",
               R"((PopOrder = "TUS" OR PopOrder = "TSU") AND Project = "{project}")", 2, "ForEach", "term",
               2));
    add(filter("cascade_term_charts_second", "CVSQLTee",
               R"((PopOrder = "UTS" OR PopOrder = "STU") AND Select1 = "{term}" AND Project = "{project}")",
               2, "PopOrder", "STU", 2));
    add(filter("cascade_term_charts_third", "CVSQLTee",
               R"((PopOrder = "SUT" OR PopOrder = "UST") AND Select2 = "{term}" AND Project = "{project}")",
               2, "PopOrder", "SUT", 2));
    add(filter("cascade_engine_charts_first", "CVSQLTee",
               R"((PopOrder = "STU" OR PopOrder = "SUT") AND Project = "{project}")", 2, "ForEach", "engine",
               2));
    add(filter("cascade_engine_charts_second", "CVSQLTee",
               R"((PopOrder = "TSU" OR PopOrder = "UST") AND Select1 = "{engine}" AND Project = "{project}")",
               2, "PopOrder", "UST", 2));
    add(filter("cascade_engine_charts_third", "CVSQLTee",
               R"((PopOrder = "TUS" OR PopOrder = "UTS") AND Select2 = "{engine}" AND Project = "{project}")",
               2, "PopOrder", "TUS", 2));
    add(filter("cascade_notify", "CVNotify", R"(Project = "{project}")", 1, "URLs", "url", 1));

    // -- a project deleted or renamed: its rows in sixteen tables
    const char* projectTables[] = {"CVEngine",     "CVHilo",    "CVLog",     "CVNotable",
                                   "CVRank",       "CVSE3",     "CVSQLTee",  "CVST",
                                   "CVURL",        "Summary",   "CVNotify",  "CVEmail",
                                   "CVChartCache", "CVQueries", "CVReports", "CVReportTemp"};
    for (const char* table : projectTables) {
        Statement s = filter("", table, R"(Project = "{project}")", 1, "Project", "project");
        s.name = std::string("project_rows_") + table;
        if (QLatin1String(table) == QLatin1String("CVReportTemp"))
            s.prepare = Prepare::FreshReportTemp;
        add(s);
    }

    // -- URL and term dialogs: the project's lists
    add(filter("add_url_project_list", "CVURL", R"(Project = "{project}")", 1, "Name", "url", 1));

    // -- detail chart
    add(filter("chart_list", "CVSQLTee", R"(Project = '{project}' AND File <> 'GandLFile')", 7, "File",
               "chart", 7));
    add(query(
        "chart_series_range",
        R"(SELECT xDate, URL, MIN(Rank) AS Rank FROM CVRank WHERE Project = '{project}' AND (xDate BETWEEN '{start}' AND '{end}') AND SearchEngine = '{engine}' AND URL = '{url}' AND SearchTerm = '{term}' GROUP BY xDate ORDER BY xDate)",
        2, "URL", "url", 2));
    add(query(
        "chart_series_one_day",
        R"(SELECT xDate, SearchTerm, MIN(Rank) AS Rank FROM CVRank WHERE Project = '{project}' AND xDate = '{date}' AND SearchEngine = '{engine}' AND SearchTerm = '{term}' AND URL = '{url}' GROUP BY xDate ORDER BY xDate)",
        1, "SearchTerm", "term", 1));
    add(filter("chart_cache_write", "CVChartCache", R"(Project = "{project}" AND Chart = "{chart}")", 1,
               "Legend", "url", 1));
    add(filter("chart_cache_load", "CVChartCache", R"(Project = '{project}' AND Chart = '{chart}')", 1,
               "Chart", "chart", 1));
    add(filter("chart_design_row", "CVSQLTee", R"(Project = "{project}" AND File = "{chart}")", 1, "PopOrder",
               "UST", 1));
    add(filter("chart_design_themes", "CVReportThemes", R"(ThemeType = "Chart")", 1, "ThemeName", "theme",
               1));

    // -- gains and losses
    add(query(
        "gains_and_losses",
        R"(SELECT * FROM CVHilo WHERE xDate = '{date}' AND SearchEngine = '{engine}' AND Project = '{project}' ORDER BY URL, SearchTerm nocase)",
        1, "SearchTerm", "term", 1));
    add(filter("gains_and_losses_design_row", "CVSQLTee", R"(Project = "{project}" AND File = "GandLFile")",
               1, "PopOrder", "", 1));

    // -- scores
    add(query(
        "scores_one_engine",
        R"(SELECT SearchEngine, URL, Rank, COUNT(Rank) AS RankCount, AVG(Rank) AS RankAvg FROM CVRank WHERE SearchEngine = '{engine}' AND Project = '{project}' AND xDate = '{date}' GROUP BY URL ORDER BY SearchEngine nocase)",
        1, "URL", "url", 1));
    add(query(
        "scores_overall_keys",
        R"(SELECT SearchEngine+URL+SearchTerm AS SUK, SearchEngine, URL, SearchTerm, Rank INTO Temp FROM CVRank WHERE Project = '{project}' AND xDate = '{date}' AND Rank <= {limit} GROUP BY SUK)",
        2, "SUK", "engine+url+term", 2));
    add(query("scores_overall_chart", R"(SELECT URL, Rank FROM Temp2 GROUP BY URL)", 1, "URL", "url", 1));

    // -- day at a glance
    add(query(
        "glance_positions",
        R"(SELECT xDate, URL, SearchEngine, SearchTerm, AltYesterday, AltToday, Difference FROM CVHiLo WHERE Project = '{project}' AND xDate = '{date}' ORDER BY xDate nocase)",
        1, "URL", "url", 1));
    add(query(
        "glance_urls",
        R"(SELECT COUNT(URL) AS URLCount, URL FROM CVRank WHERE Project = '{project}' AND xDate = '{date}' GROUP BY URL ORDER BY URLCount ASC nocase)",
        1, "URLCount", "2", 1));
    add(query(
        "glance_terms",
        R"(SELECT COUNT(SearchTerm) AS SearchTermCount, SearchTerm FROM CVRank WHERE Project = '{project}' AND xDate = '{date}' GROUP BY SearchTerm ORDER BY SearchTermCount ASC nocase)",
        2, "SearchTerm", "term", 2));
    add(query(
        "glance_engines",
        R"(SELECT COUNT(SearchEngine) AS SearchEngineCount, SearchEngine FROM CVRANK WHERE Project = '{project}' AND xDate = '{date}' GROUP BY SearchEngine ORDER BY SearchEngineCount ASC nocase)",
        1, "SearchEngine", "engine", 1));

    // -- full URL view
    add(query(
        "full_url_all",
        R"(SELECT URL, SearchEngine, SearchTerm, Rank, Page, xDate, Project, FoundLink AS MemoFoundLink FROM CVRank ORDER BY MemoFoundLink, SearchEngine, SearchTerm, URL, Rank, Page NOCASE)",
        3, "MemoFoundLink", "link"));
    add(query(
        "full_url_checked",
        R"(SELECT URL, SearchEngine, SearchTerm, Rank, Page, xDate, Project, FoundLink AS MemoFoundLink FROM CVRank WHERE (SearchTerm = "{term}" OR SearchTerm = "{term2}") AND (SearchEngine = "{engine}") AND (URL = "{url}") ORDER BY Rank, MemoFoundLink, SearchEngine, SearchTerm, URL, Page NOCASE)",
        3, "SearchTerm", "term2", 3));
    add(query(
        "full_url_urls_only",
        R"(SELECT URL, SearchEngine, SearchTerm, Rank, Page, xDate, Project, FoundLink AS MemoFoundLink FROM CVRank WHERE (URL = "{url}") ORDER BY URL, MemoFoundLink, SearchEngine, SearchTerm, Rank, Page NOCASE)",
        3, "URL", "url", 3));
    add(filter("full_url_project_day", "CVRank", R"(Project = "{project}" AND xDate = '{date}')", 2,
               "FoundLink", "link", 2));

    // -- log view
    add(query("log_day", R"(SELECT * FROM CVLog WHERE xDate = '{date}' ORDER BY xTime ASC)", 1, "Message",
              "message", 1));
    add(query("log_period",
              R"(SELECT * FROM CVLog WHERE xDate BETWEEN '{start}' AND '{end}' ORDER BY xDate, xTime ASC)", 2,
              "Message", "message", 2));
    add(query("log_all", R"(SELECT * FROM CVLog ORDER BY xDate, xTime ASC)", 2, "Message", "message"));

    // -- query builder
    add(query("builder_all_fields", R"(SELECT * FROM CvRank WHERE (Project = "{project}") )", 3, "FoundLink",
              "link", 3));
    {
        Statement s = query("builder_fields_conditions", "", 1, "MemoFoundLink", "link", 1);
        s.pieces = QStringLiteral(
                       "SELECT URL, SearchEngine, SearchTerm, Rank, FoundLink AS MemoFoundLink FROM CvRank "
                       "WHERE (Project = \"{project}\") AND (")
            + QString::fromUtf8(builderConditions()) + QStringLiteral(") ORDER BY URL, Rank ASC");
        add(s);
    }
    {
        Statement s = query("builder_export", "", 1, "MemoFoundLink", "link", 1);
        s.pieces =
            QStringLiteral(
                "SELECT URL, SearchEngine, SearchTerm, Rank, Page, xDate, Project, FoundLink AS "
                "MemoFoundLink INTO \"CVReportTemp\" FROM CvRank WHERE (Project = \"{project}\") AND (")
            + QString::fromUtf8(builderConditions()) + QStringLiteral(") ORDER BY xDate DESC");
        add(s);
    }
    add(query(
        "builder_export_all_fields",
        R"(SELECT URL, SearchEngine, SearchTerm, Rank, Page, xDate, Project, FoundLink AS MemoFoundLink INTO "CVReportTemp" FROM CvRank WHERE (Project = "{project}") )",
        3, "Project", "project", 3));
    add(query("builder_limited",
              R"(SELECT * FROM CvRank WHERE (Project = "{project}") ORDER BY Rank DESC TOP {rows})", 3, "URL",
              "url", 3));
    add(query("builder_limited_to_two",
              R"(SELECT * FROM CvRank WHERE (Project = "{project}") ORDER BY Rank ASC TOP 2)", 2, "Rank", "1",
              2));
    add(query("builder_from_current_date",
              R"(SELECT * FROM CvRank WHERE (Project = "{project}") AND (xDate >= CURRENT_DATE - {days}) )",
              3, "SearchEngine", "engine", 3));
    add(filter("builder_saved_queries", "CVQueries", R"(Project = "{project}")", 1, "Name", "query", 1));

    // -- remote script update
    add(filter("update_script_messages", "CVNotable", R"(Subject = "Script update")", 1, "Content", "content",
               1));
    add(filter("update_terminated_work", "CVEngine", R"(SE3Name = "{engine}")", 1, "STName", "term", 1));
    add(filter("update_terminated_hilo", "CVHilo", R"(SearchEngine = "{engine}")", 1, "URL", "url", 1));
    // the other project's rank of the engine goes as well
    add(filter("update_terminated_rank", "CVRank", R"(SearchEngine = "{engine}")", 4, "URL", "url", 4));
    add(filter("update_terminated_project_engines", "CVSE3", R"(Name = "{engine}")", 1, "Project", "project",
               1));
    add(filter("update_terminated_summary", "Summary", R"(SearchEngine = "{engine}")", 4, "URL", "url", 4));
    add(filter("update_terminated_charts_second", "CVSQLTee", R"(Select1 = "{engine}")", 2, "PopOrder", "TSU",
               2));
    add(filter("update_terminated_charts_third", "CVSQLTee", R"(Select2 = "{engine}")", 2, "PopOrder", "UTS",
               2));
    add(filter("update_engine_series_charts", "CVSQLTee", R"(PopOrder = "STU" OR PopOrder = "SUT")", 2,
               "ForEach", "engine", 2));

    // -- daily results
    add(query("daily_by_engine_term",
              "SELECT * FROM CVRank WHERE Project = '{project}' AND xDate = '{date}' ORDER BY SearchEngine, "
              "SearchTerm, \r\nRank",
              2, "SearchTerm", "term2", 2));
    add(query("daily_by_url_term_detail",
              "SELECT * FROM CVRank WHERE Project = '{project}' AND xDate = '{date}' ORDER BY URL, "
              "SearchTerm, \r\nSearchEngine",
              2, "URL", "url", 2));
    add(query("daily_by_term_url_page",
              "SELECT * FROM CVRank WHERE Project = '{project}' AND xDate = '{date}' ORDER BY SearchTerm, "
              "URL, \r\nPage",
              2, "Page", "1", 2));

    return all;
}

// ---------------------------------------------------------------- the data folder

// Table files are written with the engine's full syncing; a memory-backed
// temporary folder, where there is one, keeps tests that create and fill every
// table quick.
std::unique_ptr<QTemporaryDir> temporaryDataRoot()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    if (shm.isDir() && shm.isWritable()) {
        auto dir = std::make_unique<QTemporaryDir>(shm.filePath() + QStringLiteral("/corvane-test-XXXXXX"));
        if (dir->isValid())
            return dir;
    }
    return std::make_unique<QTemporaryDir>();
}

void append(Database& database, const char* table,
            std::initializer_list<std::pair<const char*, QVariant>> values)
{
    Table cursor(&database, QLatin1String(table));
    cursor.open();
    cursor.append();
    for (const auto& [field, value] : values)
        cursor.setValue(QLatin1String(field), value);
    cursor.post();
    cursor.close();
}

// The rows the statements above look for, and a few they must not find.
void seed(Database& db)
{
    const QString project = valueOf("project");
    const QString engine = valueOf("engine");
    const QString term = valueOf("term");
    const QString url = valueOf("url");
    const QDate date = day("date");
    const QDate start = day("start");

    append(db, "CVProject",
           {{"Name", project}, {"Depth", 50}, {"KeyURL", url}, {"FullURLData", true}, {"StopOnHit", false}});
    append(db, "CVURL",
           {{"Name", url}, {"URL", valueOf("address")}, {"Project", project}, {"AnyMatch", false}});
    append(db, "CVST",
           {{"Virtual", term},
            {"Physical", QString(term).replace(QLatin1Char(' '), QLatin1String("~~~"))},
            {"Project", project}});
    append(db, "CVSE3",
           {{"Name", engine},
            {"Project", project},
            {"Popularity", 10},
            {"Country", valueOf("country")},
            {"Group1", valueOf("group")},
            {"API", false}});
    append(db, "SE3",
           {{"Name", engine},
            {"Country", valueOf("country")},
            {"Group1", valueOf("group")},
            {"Popularity", 10},
            {"HomePage", QStringLiteral("http://one.example/")},
            {"HTTPStart", QStringLiteral("http://")}});
    append(db, "SE3",
           {{"Name", valueOf("engine2")},
            {"Country", valueOf("country2")},
            {"Group1", valueOf("group")},
            {"Popularity", 5}});

    const struct
    {
        const char* term;
        int rank;
        QDate day;
    } ranks[] = {{"term", 1, date}, {"term2", 3, date}, {"term", 2, start}};
    for (const auto& r : ranks) {
        append(db, "CVRank",
               {{"Project", project},
                {"SearchEngine", engine},
                {"SearchTerm", valueOf(r.term)},
                {"URL", url},
                {"Rank", r.rank},
                {"Page", 1},
                {"xDate", r.day},
                {"FoundLink", valueOf("link")}});
    }
    // another project's rank that no statement of the project may find
    append(db, "CVRank",
           {{"Project", QStringLiteral("Other")},
            {"SearchEngine", engine},
            {"SearchTerm", term},
            {"URL", QStringLiteral("Elsewhere")},
            {"Rank", 9},
            {"Page", 1},
            {"xDate", date}});

    append(db, "CVHilo",
           {{"Project", project},
            {"xDate", date},
            {"URL", url},
            {"SearchEngine", engine},
            {"SearchTerm", term},
            {"AltYesterday", 3},
            {"AltToday", 1},
            {"Difference", 2},
            {"Inc", 0}});
    for (const char* type : {"TopSE", "New", "PR1"}) {
        append(db, "Summary",
               {{"Project", project},
                {"xDate", date},
                {"Type", QLatin1String(type)},
                {"SearchEngine", engine},
                {"SearchTerm", term},
                {"URL", url},
                {"Rank", 1},
                {"Page", 1}});
    }
    append(db, "Summary",
           {{"Project", project},
            {"xDate", date},
            {"Type", QStringLiteral("SAT")},
            {"SearchEngine", engine},
            {"URL", url},
            {"Rank", 5}});
    append(db, "CVEngine",
           {{"Project", project},
            {"SE3Name", engine},
            {"STName", term},
            {"LastRecord", 5},
            {"Depth", 50},
            {"Completed", false}});

    // one chart per order of the three dimensions, each naming the same URL,
    // term and engine in its own places
    const struct
    {
        const char* order;
        const char* forEach;
        const char* select1;
        const char* select2;
    } charts[] = {{"UST", "url", "engine", "term"}, {"UTS", "url", "term", "engine"},
                  {"TUS", "term", "url", "engine"}, {"TSU", "term", "engine", "url"},
                  {"STU", "engine", "term", "url"}, {"SUT", "engine", "url", "term"}};
    for (const auto& c : charts) {
        const QString file = QLatin1String(c.order) == QLatin1String("UST")
            ? valueOf("chart")
            : valueOf("chart") + QLatin1Char(' ') + QLatin1String(c.order);
        append(db, "CVSQLTee",
               {{"Project", project},
                {"File", file},
                {"Chart", file},
                {"PopOrder", QLatin1String(c.order)},
                {"ForEach", valueOf(c.forEach)},
                {"Select1", valueOf(c.select1)},
                {"Select2", valueOf(c.select2)},
                {"DateType", QStringLiteral("V")},
                {"DateValue", 30},
                {"Design_SeriesType", 0}});
    }
    for (const char* file : {"Top10", "GandLFile"}) {
        append(db, "CVSQLTee",
               {{"Project", project},
                {"File", QLatin1String(file)},
                {"Design_Theme", QStringLiteral("Default")},
                {"Design_Palette", 1},
                {"Design_SeriesType", 2},
                {"Design_ShowMarks", true}});
    }
    append(
        db, "CVChartCache",
        {{"Project", project}, {"Chart", valueOf("chart")}, {"Legend", url}, {"xDate", date}, {"xValue", 1}});
    append(db, "CVReportThemes",
           {{"ThemeName", valueOf("theme")},
            {"ThemeType", QStringLiteral("Chart")},
            {"Chart_3D", QStringLiteral("False")}});
    append(db, "CVReportThemes",
           {{"ThemeName", QStringLiteral("Report look")}, {"ThemeType", QStringLiteral("Report")}});
    append(db, "CVReports", {{"Project", project}, {"Report", QStringLiteral("Top10")}});
    append(db, "CVLog",
           {{"xDate", date}, {"xTime", QTime(10, 0)}, {"Message", valueOf("message")}, {"Project", project}});
    append(db, "CVLog",
           {{"xDate", start},
            {"xTime", QTime(9, 30)},
            {"Message", QStringLiteral("earlier")},
            {"Project", project}});
    append(db, "CVNotable",
           {{"Project", project},
            {"xDate", date},
            {"xTime", QTime(11, 0)},
            {"Type", QStringLiteral("Message")},
            {"Subject", QStringLiteral("Script update")},
            {"Content", valueOf("content")}});
    append(db, "CVNotable",
           {{"Project", project},
            {"xDate", date},
            {"xTime", QTime(11, 5)},
            {"Type", QStringLiteral("Note")},
            {"Subject", QStringLiteral("Optimization")},
            {"Content", valueOf("note")}});
    append(
        db, "CVNotify",
        {{"Name", 1}, {"Project", project}, {"URLs", url}, {"SearchTerms", term}, {"SearchEngines", engine}});
    append(db, "CVEmail", {{"Name", 1}, {"Project", project}});
    append(db, "Schedule", {{"Name", QStringLiteral("Nightly")}, {"Projects", project}});
    append(db, "CVQueries",
           {{"Name", valueOf("query")},
            {"Project", project},
            {"FullSQL", QStringLiteral("SELECT * FROM CvRank")}});
    append(db, "CVMix", {{"Name", valueOf("mix")}, {"URLCount", 2}, {"SE", engine}});
    append(db, "Phrase", {{"Phrase", QStringLiteral("o'reilly")}, {"PhraseCount", 3}});
    append(db, "Hint",
           {{"Sequence", 1}, {"Caption", QStringLiteral("First")}, {"Hint", QStringLiteral("Use \"Go\".")}});
    append(db, "Temp2", {{"URL", url}, {"SearchEngine", engine}, {"Rank", 10}});
    append(db, "Merge", {{"xDate", date}});
}

// The report table as the full URL view lays it out, with one row.
void freshReportTemp(Database& db)
{
    if (db.tableExists(QStringLiteral("CVReportTemp")))
        db.deleteTable(QStringLiteral("CVReportTemp"));
    TableDef def;
    def.name = QStringLiteral("CVReportTemp");
    const struct
    {
        const char* name;
        FieldType type;
        int size;
    } fields[] = {{"URL", FieldType::String, 64},        {"SearchEngine", FieldType::String, 32},
                  {"SearchTerm", FieldType::String, 64}, {"Rank", FieldType::Integer, 0},
                  {"Page", FieldType::Integer, 0},       {"xDate", FieldType::Date, 0},
                  {"Project", FieldType::String, 32},    {"MemoFoundLink", FieldType::Memo, 0}};
    for (const auto& f : fields) {
        FieldDef field;
        field.name = QLatin1String(f.name);
        field.type = f.type;
        field.size = f.size;
        def.fields << field;
    }
    db.createTable(def);
    append(db, "CVReportTemp",
           {{"URL", valueOf("url")}, {"Project", valueOf("project")}, {"MemoFoundLink", valueOf("link")}});
}

class DialectStatements : public ::testing::TestWithParam<Statement>
{
public:
    static void SetUpTestSuite()
    {
        s_root = temporaryDataRoot().release();
        s_session = new Session(QStringLiteral("StatementsTest"));
        s_session->setPasswordHook([](Session& session) {
            session.addPassword(QLatin1String(Schema::SE3Password));
            return true;
        });
        s_database = new Database(QStringLiteral("StatementsTest"), s_session);
        const QString folder = s_root->filePath(QStringLiteral("Data"));
        QDir().mkpath(folder);
        try {
            s_database->setDirectory(folder);
            s_database->connect();
            for (const TableDef& def : Schema::tables())
                s_database->createTable(
                    def, def.passwordProtected ? QLatin1String(Schema::SE3Password) : QString());
            seed(*s_database);
        } catch (const DatabaseError& e) {
            s_setupError = QStringLiteral("setting the data folder up failed: ") + e.message();
        } catch (const std::exception& e) {
            s_setupError =
                QStringLiteral("setting the data folder up failed: ") + QString::fromUtf8(e.what());
        }
    }

    static void TearDownTestSuite()
    {
        delete s_database;
        delete s_session;
        delete s_root;
        s_database = nullptr;
        s_session = nullptr;
        s_root = nullptr;
    }

protected:
    void SetUp() override
    {
        if (!s_setupError.isEmpty())
            GTEST_FAIL() << s_setupError.toStdString();
    }

    // Counts the rows and looks for one whose field holds the expected value.
    static void checkRows(Dataset& rows, const Statement& s)
    {
        const int count = rows.recordCount();
        EXPECT_GE(count, s.minRows);
        if (s.maxRows >= 0) {
            EXPECT_LE(count, s.maxRows);
        }
        if (!s.field)
            return;
        const QString wanted = expected(s.value);
        QStringList seen;
        bool found = false;
        rows.first();
        while (!rows.eof()) {
            const QString value = rows.asString(QLatin1String(s.field));
            seen << value;
            found = found || value == wanted;
            rows.next();
        }
        EXPECT_TRUE(found) << s.field << " should hold " << wanted.toStdString() << "; found "
                           << seen.join(QLatin1String(" | ")).toStdString();
    }

    static Database& database() { return *s_database; }

private:
    static inline QTemporaryDir* s_root = nullptr;
    static inline Session* s_session = nullptr;
    static inline Database* s_database = nullptr;
    static inline QString s_setupError;
};

// The single tests share the seeded folder of the corpus.
class DialectStatementData : public DialectStatements
{ };

bool isPerUseTable(const QString& name)
{
    return name.compare(QLatin1String("CVReportTemp"), Qt::CaseInsensitive) == 0
        || name.compare(QLatin1String("Temp"), Qt::CaseInsensitive) == 0;
}

} // namespace

TEST(DialectCorpus, GathersTheProgramsStatements)
{
    const std::vector<Statement> all = corpus();
    EXPECT_GE(all.size(), 100u);
    std::set<std::string> names;
    for (const Statement& s : all) {
        EXPECT_TRUE(names.insert(s.name).second) << "twice: " << s.name;
        EXPECT_FALSE(s.pieces.isEmpty()) << s.name;
    }
}

TEST(DialectCorpus, TranslatesAndNamesOnlyKnownTables)
{
    for (const Statement& s : corpus()) {
        SCOPED_TRACE(s.name);
        const QString text = expand(s.pieces);
        if (s.kind == Kind::Filter) {
            EXPECT_NO_THROW(translateFilter(text));
            EXPECT_TRUE(Schema::table(s.table) || isPerUseTable(s.table)) << s.table.toStdString();
            continue;
        }
        TranslatedSql translated;
        ASSERT_NO_THROW(translated = translateSql(text));
        EXPECT_FALSE(translated.tables.isEmpty());
        for (const QString& table : std::as_const(translated.tables))
            EXPECT_TRUE(Schema::table(table) || isPerUseTable(table)) << table.toStdString();
        // no double-quoted value may reach SQLite as a name
        for (const QString& name : textValues())
            EXPECT_FALSE(translated.sql.contains(SqlQuote::quoted(name, QLatin1Char('"'))))
                << translated.sql.toStdString();
    }
}

TEST_P(DialectStatements, RunsAndFindsTheQuotedValues)
{
    const Statement& s = GetParam();
    const QString text = expand(s.pieces);
    SCOPED_TRACE(text.toStdString());
    try {
        if (s.prepare == Prepare::FreshReportTemp)
            freshReportTemp(database());

        if (s.kind == Kind::Filter) {
            Table cursor(&database(), s.table);
            cursor.setFilter(text);
            cursor.setFiltered(true);
            cursor.open();
            checkRows(cursor, s);
            return;
        }

        const TranslatedSql translated = translateSql(text);
        Query statement(&database(), text);
        if (translated.isSelect) {
            statement.open();
            checkRows(statement, s);
            return;
        }
        const int written = statement.execSql();
        ASSERT_FALSE(translated.intoTable.isEmpty());
        EXPECT_GE(written, s.minRows);
        Table target(&database(), translated.intoTable);
        target.open();
        checkRows(target, s);
    } catch (const DatabaseError& e) {
        FAIL() << "DatabaseError " << e.code() << ": " << e.message().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, DialectStatements, ::testing::ValuesIn(corpus()),
                         [](const ::testing::TestParamInfo<Statement>& param) { return param.param.name; });

// ---------------------------------------------------------------- the live query of gains and losses

TEST_F(DialectStatementData, GainsAndLossesNumbersTheRowsThroughALiveQuery)
{
    const QString text = expand(QStringLiteral(
        "SELECT * FROM CVHilo WHERE xDate = '{date}' AND SearchEngine = '{engine}' AND Project = '{project}' "
        "ORDER BY URL, SearchTerm nocase"));
    try {
        Query live(&database(), text);
        live.setRequestLive(true);
        live.open();
        ASSERT_EQ(live.recordCount(), 1);
        live.edit();
        live.setValue(QStringLiteral("Inc"), 7);
        live.post();
        live.close();

        Table hilo(&database(), QStringLiteral("CVHilo"));
        hilo.setFilter(expand(QStringLiteral("Project = \"{project}\" AND SearchTerm = \"{term}\"")));
        hilo.setFiltered(true);
        hilo.open();
        ASSERT_EQ(hilo.recordCount(), 1);
        EXPECT_EQ(hilo.asInteger(QStringLiteral("Inc")), 7);
        EXPECT_EQ(hilo.asString(QStringLiteral("SearchTerm")), valueOf("term"));
    } catch (const DatabaseError& e) {
        FAIL() << "DatabaseError " << e.code() << ": " << e.message().toStdString();
    }
}

// ---------------------------------------------------------------- SELECT ... INTO twice

TEST_F(DialectStatementData, SelectIntoRecreatesItsTable)
{
    const QString text = expand(
        QStringLiteral("SELECT SearchEngine+URL+SearchTerm AS SUK, SearchEngine, URL, SearchTerm, Rank INTO "
                       "Temp FROM CVRank "
                       "WHERE Project = '{project}' AND xDate = '{date}' AND Rank <= {limit} GROUP BY SUK"));
    try {
        for (int run = 1; run <= 2; ++run) {
            Query statement(&database(), text);
            EXPECT_EQ(statement.execSql(), 2) << "run " << run;
        }
        Table temp(&database(), QStringLiteral("Temp"));
        temp.open();
        EXPECT_EQ(temp.recordCount(), 2);
        QStringList keys;
        for (temp.first(); !temp.eof(); temp.next())
            keys << temp.asString(QStringLiteral("SUK"));
        keys.sort();
        EXPECT_EQ(keys, (QStringList{expected("engine+url+term2"), expected("engine+url+term")}));
    } catch (const DatabaseError& e) {
        FAIL() << "DatabaseError " << e.code() << ": " << e.message().toStdString();
    }
}

// ---------------------------------------------------------------- indexes of the frequent statements

namespace {

// The statements that run for every dashboard, chart and day view. Each large
// table (by the name or alias the statement gives it) must be searched
// through an index on at least the columns named, never scanned: a year of
// rank data holds about a million rows per project.
struct Search
{
    QString table;
    QString constraint;
};

const struct
{
    const char* statement;
    QList<Search> searches;
} frequentStatements[] = {
    {"dashboard_top10_engines",
     {{QStringLiteral("su"), QStringLiteral("Project=? AND Type=? AND xDate=?")},
      {QStringLiteral("se3"), QStringLiteral("Name=?")}}},
    {"dashboard_top10_slot",
     {{QStringLiteral("summary"), QStringLiteral("Project=? AND Type=? AND xDate=?")}}},
    {"dashboard_first_page", {{QStringLiteral("summary"), QStringLiteral("Project=? AND Type=?")}}},
    {"dashboard_new_arrivals",
     {{QStringLiteral("summary"), QStringLiteral("Project=? AND Type=? AND xDate=?")}}},
    {"dashboard_saturation", {{QStringLiteral("summary"), QStringLiteral("Project=? AND Type=?")}}},
    {"glance_positions", {{QStringLiteral("CVHiLo"), QStringLiteral("Project=? AND xDate=?")}}},
    {"glance_urls", {{QStringLiteral("CVRank"), QStringLiteral("Project=? AND xDate=?")}}},
    {"glance_terms", {{QStringLiteral("CVRank"), QStringLiteral("Project=? AND xDate=?")}}},
    {"glance_engines", {{QStringLiteral("CVRANK"), QStringLiteral("Project=? AND xDate=?")}}},
    {"gains_and_losses",
     {{QStringLiteral("CVHilo"), QStringLiteral("Project=? AND xDate=? AND SearchEngine=?")}}},
    {"chart_series_range", {{QStringLiteral("CVRank"), QStringLiteral("URL=? AND xDate>? AND xDate<?")}}},
    {"chart_series_one_day", {{QStringLiteral("CVRank"), QStringLiteral("URL=?")}}},
    {"scores_one_engine",
     {{QStringLiteral("CVRank"), QStringLiteral("Project=? AND xDate=? AND SearchEngine=?")}}},
    {"scores_overall_keys", {{QStringLiteral("CVRank"), QStringLiteral("Project=? AND xDate=?")}}},
    {"read_rank_dates", {{QStringLiteral("CVRANK"), QStringLiteral("Project=?")}}},
    {"daily_by_engine_term", {{QStringLiteral("CVRank"), QStringLiteral("Project=? AND xDate=?")}}},
    {"daily_by_url_term_detail", {{QStringLiteral("CVRank"), QStringLiteral("Project=? AND xDate=?")}}},
    {"builder_all_fields", {{QStringLiteral("CvRank"), QStringLiteral("Project=?")}}},
    {"log_day", {{QStringLiteral("CVLog"), QStringLiteral("xDate=?")}}},
};

void plusStandIn(sqlite3_context* context, int, sqlite3_value**) { sqlite3_result_null(context); }

} // namespace

TEST_F(DialectStatementData, FrequentStatementsSearchAnIndex)
{
    // the table files, attached to one connection as they are to a dataset's
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    sqlite3_create_function(db, PlusFunctionName, 2, SQLITE_UTF8, nullptr, &plusStandIn, nullptr, nullptr);
    const auto exec = [&](const QString& sql) {
        char* error = nullptr;
        const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
        const QString message = error ? QString::fromUtf8(error) : QString();
        sqlite3_free(error);
        EXPECT_EQ(rc, SQLITE_OK) << sql.toStdString() << ": " << message.toStdString();
    };

    const std::vector<Statement> all = corpus();
    for (const auto& frequent : frequentStatements) {
        SCOPED_TRACE(frequent.statement);
        const auto it = std::find_if(all.begin(), all.end(),
                                     [&](const Statement& s) { return s.name == frequent.statement; });
        ASSERT_NE(it, all.end());
        const TranslatedSql translated = translateSql(expand(it->pieces));
        QStringList attached;
        for (const QString& table : translated.tables) {
            if (isPerUseTable(table))
                continue;
            const QString path = database().tableFilePath(table);
            ASSERT_FALSE(path.isEmpty()) << table.toStdString();
            const QString schema = QStringLiteral("t_") + table.toLower();
            exec(QStringLiteral("ATTACH DATABASE ") + SqlQuote::quoted(path) + QStringLiteral(" AS ")
                 + schema);
            attached << schema;
        }

        sqlite3_stmt* plan = nullptr;
        const QByteArray sql = (QStringLiteral("EXPLAIN QUERY PLAN ") + translated.sql).toUtf8();
        ASSERT_EQ(sqlite3_prepare_v2(db, sql.constData(), -1, &plan, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db);
        QStringList lines;
        while (sqlite3_step(plan) == SQLITE_ROW)
            lines << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(plan, 3)));
        sqlite3_finalize(plan);

        const QString planText = lines.join(QLatin1String("; "));
        for (const Search& search : frequent.searches) {
            bool searched = false;
            for (const QString& line : std::as_const(lines)) {
                if (line.startsWith(QStringLiteral("SCAN ") + search.table + QLatin1Char(' '),
                                    Qt::CaseInsensitive)
                    || line.compare(QStringLiteral("SCAN ") + search.table, Qt::CaseInsensitive) == 0)
                    ADD_FAILURE() << "scans " << search.table.toStdString() << ": " << planText.toStdString();
                if (line.startsWith(QStringLiteral("SEARCH ") + search.table + QLatin1Char(' '),
                                    Qt::CaseInsensitive)
                    && line.contains(QLatin1String(" INDEX ")) && line.contains(search.constraint))
                    searched = true;
            }
            EXPECT_TRUE(searched) << search.table.toStdString() << " by " << search.constraint.toStdString()
                                  << ": " << planText.toStdString();
        }

        for (const QString& schema : std::as_const(attached))
            exec(QStringLiteral("DETACH DATABASE ") + schema);
    }
    sqlite3_close(db);
}
