// The dialect translator on its own: every rule with focused cases, and the
// translated text checked to prepare in SQLite.

#include "core/data/DatabaseError.h"
#include "core/data/SqlDialect.h"
#include "core/data/SqlQuote.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <ostream>
#include <sqlite3.h>

using namespace corvane;

void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {

QString sql(const char* dialect) { return translateSql(QString::fromUtf8(dialect)).sql; }

QString filter(const char* dialect) { return translateFilter(QString::fromUtf8(dialect)); }

void expectSyntaxError(const QString& text)
{
    try {
        translateSql(text);
        ADD_FAILURE() << "no error for: " << text.toStdString();
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.code(), DatabaseError::SyntaxError) << text.toStdString();
        EXPECT_FALSE(e.message().isEmpty());
    }
}

// An in-memory database with the columns the statements below use, and a
// stand-in for cv_plus, so that translated text can be prepared.
class Sqlite
{
public:
    Sqlite()
    {
        sqlite3_open(":memory:", &m_db);
        sqlite3_create_function(m_db, "cv_plus", 2, SQLITE_UTF8, nullptr, &plus, nullptr, nullptr);
        exec("CREATE TABLE CVRank(Project, SearchEngine, SearchTerm, URL, Rank, Page, xDate, FoundLink)");
        exec("CREATE TABLE summary(Project, xDate, Type, SearchEngine, SearchTerm, URL, Rank, Page)");
        exec("CREATE TABLE CVSE3(Name, Project, Popularity)");
        exec("CREATE TABLE SE3(Name, Country, Group1, Group2)");
        exec("CREATE TABLE CVLog(xDate, xTime, Message)");
    }
    ~Sqlite() { sqlite3_close(m_db); }

    void exec(const char* text) { sqlite3_exec(m_db, text, nullptr, nullptr, nullptr); }

    // Empty when the text prepares; SQLite's message otherwise.
    QString prepare(const QString& text)
    {
        sqlite3_stmt* statement = nullptr;
        const QByteArray utf8 = text.toUtf8();
        const int rc = sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &statement, nullptr);
        sqlite3_finalize(statement);
        return rc == SQLITE_OK ? QString() : QString::fromUtf8(sqlite3_errmsg(m_db));
    }

    QString scalar(const QString& text)
    {
        sqlite3_stmt* statement = nullptr;
        const QByteArray utf8 = text.toUtf8();
        if (sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &statement, nullptr) != SQLITE_OK)
            return QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(m_db));
        QString value;
        if (sqlite3_step(statement) == SQLITE_ROW)
            value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
        return value;
    }

private:
    static void plus(sqlite3_context* context, int, sqlite3_value** values)
    {
        if (sqlite3_value_type(values[0]) == SQLITE_TEXT || sqlite3_value_type(values[1]) == SQLITE_TEXT) {
            const QByteArray joined = QByteArray(reinterpret_cast<const char*>(sqlite3_value_text(values[0])))
                + reinterpret_cast<const char*>(sqlite3_value_text(values[1]));
            sqlite3_result_text(context, joined.constData(), int(joined.size()), SQLITE_TRANSIENT);
        } else {
            sqlite3_result_int64(context, sqlite3_value_int64(values[0]) + sqlite3_value_int64(values[1]));
        }
    }

    sqlite3* m_db = nullptr;
};

} // namespace

// ---------------------------------------------------------------- quoting

TEST(SqlQuote, DoublesTheQuoteCharacterOnly)
{
    const QString term = QStringLiteral("O'Reilly \"books\"");
    EXPECT_EQ(SqlQuote::quoted(term), QStringLiteral("'O''Reilly \"books\"'"));
    EXPECT_EQ(SqlQuote::quoted(term, QLatin1Char('"')), QStringLiteral("\"O'Reilly \"\"books\"\"\""));
    EXPECT_EQ(SqlQuote::quoted(QString()), QStringLiteral("''"));
}

TEST(SqlQuote, DatesAsIsoText)
{
    EXPECT_EQ(SqlQuote::date(QDate(2005, 12, 31)), QStringLiteral("'2005-12-31'"));
    EXPECT_EQ(SqlQuote::date(QDate(2002, 1, 3), QLatin1Char('"')), QStringLiteral("\"2002-01-03\""));
}

TEST(SqlQuote, BothQuotedFormsReadBackAsTheSameLiteral)
{
    const QString term = QStringLiteral("O'Reilly \"books\"");
    const QString single = translateFilter(QStringLiteral("Name = ") + SqlQuote::quoted(term));
    const QString dbl = translateFilter(QStringLiteral("Name = ") + SqlQuote::quoted(term, QLatin1Char('"')));
    EXPECT_EQ(single, dbl);
    EXPECT_EQ(single, QStringLiteral("Name = 'O''Reilly \"books\"'"));
}

// ---------------------------------------------------------------- literals and names

TEST(SqlDialectQuotes, DoubleQuotedTextIsAStringLiteral)
{
    EXPECT_EQ(sql("select * from summary where Type = \"TopSE\""),
              QStringLiteral("select * from summary where Type = 'TopSE'"));
    EXPECT_EQ(sql("SELECT * FROM CVLog WHERE xDate BETWEEN \"2002-12-01\" AND \"2002-12-03\""),
              QStringLiteral("SELECT * FROM CVLog WHERE xDate BETWEEN '2002-12-01' AND '2002-12-03'"));
}

TEST(SqlDialectQuotes, SingleQuotedTextStaysAsItIs)
{
    EXPECT_EQ(sql("SELECT * FROM CVLog WHERE Message = 'it''s \"here\"'"),
              QStringLiteral("SELECT * FROM CVLog WHERE Message = 'it''s \"here\"'"));
    EXPECT_EQ(sql("select '0' as xOrder, xDate as 'Date' from summary"),
              QStringLiteral("select '0' as xOrder, xDate as 'Date' from summary"));
}

TEST(SqlDialectQuotes, DoubledQuotesInsideDoubleQuotedText)
{
    EXPECT_EQ(sql("SELECT * FROM CVRank WHERE URL = \"O'Reilly \"\"books\"\"\""),
              QStringLiteral("SELECT * FROM CVRank WHERE URL = 'O''Reilly \"books\"'"));
}

TEST(SqlDialectQuotes, DoubleQuotedTableNamesStayNames)
{
    EXPECT_EQ(sql("SELECT * FROM \"CVRank\" WHERE URL = \"x\""),
              QStringLiteral("SELECT * FROM \"CVRank\" WHERE URL = 'x'"));
    EXPECT_EQ(
        sql("SELECT * FROM \"summary\" su JOIN \"CVSE3\" se ON (su.SearchEngine = se.Name)"),
        QStringLiteral("SELECT * FROM \"summary\" su JOIN \"CVSE3\" se ON (su.SearchEngine = se.Name)"));
    EXPECT_EQ(sql("UPDATE \"CVRank\" SET URL = \"b\" WHERE URL = \"a\""),
              QStringLiteral("UPDATE \"CVRank\" SET URL = 'b' WHERE URL = 'a'"));
    EXPECT_EQ(sql("INSERT INTO \"CVLog\" (Message) VALUES (\"m\")"),
              QStringLiteral("INSERT INTO \"CVLog\" (Message) VALUES ('m')"));
    EXPECT_EQ(sql("DROP TABLE \"Temp\""), QStringLiteral("DROP TABLE \"Temp\""));
}

TEST(SqlDialectQuotes, CommaListOfTablesAfterFrom)
{
    EXPECT_EQ(
        sql("SELECT * FROM \"CVRank\" r, \"CVSE3\" AS s WHERE r.SearchEngine = s.Name AND s.Project = \"p\""),
        QStringLiteral(
            "SELECT * FROM \"CVRank\" r, \"CVSE3\" AS s WHERE r.SearchEngine = s.Name AND s.Project = 'p'"));
    // after WHERE a comma no longer starts a table
    EXPECT_EQ(sql("SELECT * FROM CVRank WHERE URL IN (\"a\", \"b\")"),
              QStringLiteral("SELECT * FROM CVRank WHERE URL IN ('a', 'b')"));
}

TEST(SqlDialectQuotes, LiteralsInJoinConditionsAndSubqueries)
{
    EXPECT_EQ(
        sql("SELECT * FROM summary su JOIN CVSE3 se ON su.SearchEngine = se.Name AND se.Project = \"p\""),
        QStringLiteral(
            "SELECT * FROM summary su JOIN CVSE3 se ON su.SearchEngine = se.Name AND se.Project = 'p'"));
    EXPECT_EQ(
        sql("SELECT * FROM SE3 WHERE Name NOT IN (SELECT Name FROM CVSE3 WHERE Project = \"p\")"),
        QStringLiteral("SELECT * FROM SE3 WHERE Name NOT IN (SELECT Name FROM CVSE3 WHERE Project = 'p')"));
}

TEST(SqlDialectQuotes, LineBreaksAndCommentsKept)
{
    EXPECT_EQ(sql("SELECT *\r\nFROM CVRank -- all\r\nWHERE Rank < 3"),
              QStringLiteral("SELECT *\r\nFROM CVRank -- all\r\nWHERE Rank < 3"));
}

// ---------------------------------------------------------------- tables

TEST(SqlDialectTables, EveryTableOnceWithoutAliases)
{
    const TranslatedSql t =
        translateSql(QStringLiteral("select distinct SearchEngine, Popularity from summary su join CVSE3 se3 "
                                    "on (su.SearchEngine = se3.Name) "
                                    "where su.xDate = \"2005-01-01\" and su.Type = \"TopSE\" and su.Project "
                                    "= \"p\" order by Popularity DESC"));
    EXPECT_EQ(t.tables, (QStringList{QStringLiteral("summary"), QStringLiteral("CVSE3")}));
    EXPECT_TRUE(t.isSelect);
    EXPECT_TRUE(t.intoTable.isEmpty());
}

TEST(SqlDialectTables, SubqueriesCommaListsAndCaseDuplicates)
{
    const TranslatedSql t = translateSql(QStringLiteral(
        "SELECT * FROM SE3 a, CVRank b WHERE a.Name NOT IN (SELECT Name FROM CVSE3 WHERE Project = \"p\") "
        "AND b.URL IN (SELECT URL FROM cvrank) AND EXISTS (SELECT 1 FROM \"Summary\" s)"));
    EXPECT_EQ(t.tables,
              (QStringList{QStringLiteral("SE3"), QStringLiteral("CVRank"), QStringLiteral("CVSE3"),
                           QStringLiteral("Summary")}));
}

TEST(SqlDialectTables, ChangingStatements)
{
    TranslatedSql t = translateSql(QStringLiteral("DELETE FROM CVRank WHERE Project = \"p\""));
    EXPECT_EQ(t.tables, QStringList{QStringLiteral("CVRank")});
    EXPECT_FALSE(t.isSelect);

    t = translateSql(QStringLiteral("UPDATE CVHilo SET Inc = 1 WHERE URL = \"u\""));
    EXPECT_EQ(t.tables, QStringList{QStringLiteral("CVHilo")});
    EXPECT_FALSE(t.isSelect);

    t = translateSql(QStringLiteral("INSERT INTO Temp2 (URL, Rank) SELECT URL, Rank FROM CVRank r"));
    EXPECT_EQ(t.tables, (QStringList{QStringLiteral("Temp2"), QStringLiteral("CVRank")}));
    EXPECT_TRUE(t.intoTable.isEmpty());
    EXPECT_FALSE(t.isSelect);
}

// ---------------------------------------------------------------- SELECT ... INTO

TEST(SqlDialectInto, IntoClauseIsRemovedAndReported)
{
    const TranslatedSql t = translateSql(QStringLiteral(
        "SELECT Name AS URL, URLCount AS Count INTO CVReportTemp FROM CVMix ORDER BY URLCount, Name"));
    EXPECT_EQ(t.sql,
              QStringLiteral("SELECT Name AS URL, URLCount AS Count FROM CVMix ORDER BY URLCount, Name"));
    EXPECT_EQ(t.intoTable, QStringLiteral("CVReportTemp"));
    EXPECT_FALSE(t.isSelect);
    EXPECT_EQ(t.tables, (QStringList{QStringLiteral("CVReportTemp"), QStringLiteral("CVMix")}));
}

TEST(SqlDialectInto, QuotedTargetAndLowerCase)
{
    TranslatedSql t =
        translateSql(QStringLiteral("SELECT * INTO \"CVReportTemp\" FROM CvRank WHERE (Project = \"p\") "));
    EXPECT_EQ(t.sql, QStringLiteral("SELECT * FROM CvRank WHERE (Project = 'p')"));
    EXPECT_EQ(t.intoTable, QStringLiteral("CVReportTemp"));

    t = translateSql(QStringLiteral(
        "select xDate, xTime, Type into CVReportTemp from CVNotable where Subject = \"Script update\""));
    EXPECT_EQ(t.sql,
              QStringLiteral("select xDate, xTime, Type from CVNotable where Subject = 'Script update'"));
    EXPECT_EQ(t.intoTable, QStringLiteral("CVReportTemp"));
}

TEST(SqlDialectInto, CompoundSelectKeepsItsOtherSelects)
{
    const TranslatedSql t =
        translateSql(QStringLiteral("select '0' as xOrder, SearchEngine as 'Search Engine', Rank into "
                                    "CVReportTemp from summary where Type = \"TopSE\""
                                    " UNION ALL select '1' as xOrder, SearchEngine as 'Search Engine', Rank "
                                    "from summary where Type = \"TopSE\""
                                    " order by SearchEngine, Rank nocase"));
    EXPECT_EQ(
        t.sql,
        QStringLiteral(
            "select '0' as xOrder, SearchEngine as 'Search Engine', Rank from summary where Type = 'TopSE'"
            " UNION ALL select '1' as xOrder, SearchEngine as 'Search Engine', Rank from summary where Type "
            "= 'TopSE'"
            " order by SearchEngine COLLATE NOCASE, Rank COLLATE NOCASE"));
    EXPECT_EQ(t.intoTable, QStringLiteral("CVReportTemp"));
    Sqlite db;
    EXPECT_EQ(db.prepare(t.sql), QString());
}

TEST(SqlDialectInto, MissingTargetIsASyntaxError)
{
    expectSyntaxError(QStringLiteral("SELECT * INTO FROM CVRank"));
}

// An empty name would stand for the file ".dat" of the data folder.
TEST(SqlDialectTables, EmptyTableNameIsASyntaxError)
{
    expectSyntaxError(QStringLiteral("SELECT * FROM \"\" WHERE Name = 1"));
    expectSyntaxError(QStringLiteral("SELECT a.URL FROM CVRank a JOIN \" \" b ON a.URL = b.URL"));
    expectSyntaxError(QStringLiteral("SELECT * INTO \"\" FROM CVRank"));
}

// ---------------------------------------------------------------- ORDER BY ... nocase

TEST(SqlDialectNocase, TrailingNocaseAppliesToEveryTerm)
{
    EXPECT_EQ(sql("select * from summary order by SearchEngine, SearchTerm, Rank nocase"),
              QStringLiteral(
                  "select * from summary order by SearchEngine COLLATE NOCASE, SearchTerm COLLATE NOCASE, "
                  "Rank COLLATE NOCASE"));
}

TEST(SqlDialectNocase, CollationGoesBeforeTheDirection)
{
    EXPECT_EQ(sql("select * from summary order by Rank ASC, SearchEngine ASC nocase"),
              QStringLiteral(
                  "select * from summary order by Rank COLLATE NOCASE ASC, SearchEngine COLLATE NOCASE ASC"));
    EXPECT_EQ(sql("SELECT * FROM CVRank ORDER BY URL NOCASE DESC"),
              QStringLiteral("SELECT * FROM CVRank ORDER BY URL COLLATE NOCASE DESC"));
}

TEST(SqlDialectNocase, NocaseOnOneTermOnly)
{
    EXPECT_EQ(sql("SELECT Name FROM SE3 ORDER BY Name NOCASE"),
              QStringLiteral("SELECT Name FROM SE3 ORDER BY Name COLLATE NOCASE"));
    EXPECT_EQ(sql("SELECT * FROM SE3 ORDER BY Name NOCASE, Country"),
              QStringLiteral("SELECT * FROM SE3 ORDER BY Name COLLATE NOCASE, Country"));
}

TEST(SqlDialectNocase, ExpressionTermsAreBracketed)
{
    EXPECT_EQ(sql("SELECT * FROM CVRank ORDER BY SearchEngine + URL nocase"),
              QStringLiteral("SELECT * FROM CVRank ORDER BY (cv_plus(SearchEngine, URL)) COLLATE NOCASE"));
    EXPECT_EQ(sql("SELECT * FROM CVRank ORDER BY lower(URL) nocase"),
              QStringLiteral("SELECT * FROM CVRank ORDER BY lower(URL) COLLATE NOCASE"));
}

TEST(SqlDialectNocase, EmptyTermIsASyntaxError)
{
    expectSyntaxError(QStringLiteral("SELECT * FROM CVRank ORDER BY Rank,, URL nocase"));
    expectSyntaxError(QStringLiteral("SELECT * FROM CVRank ORDER BY , URL NOCASE"));
}

TEST(SqlDialectNocase, WithoutNocaseNothingChanges)
{
    EXPECT_EQ(sql("SELECT * FROM CVEngine ORDER BY LastRecord"),
              QStringLiteral("SELECT * FROM CVEngine ORDER BY LastRecord"));
    EXPECT_EQ(sql("SELECT * FROM CVLog ORDER BY xDate, xTime ASC"),
              QStringLiteral("SELECT * FROM CVLog ORDER BY xDate, xTime ASC"));
}

TEST(SqlDialectNocase, SortsWithoutRegardToCase)
{
    Sqlite db;
    db.exec("INSERT INTO SE3(Name) VALUES ('beta'), ('Alpha'), ('Gamma')");
    EXPECT_EQ(db.scalar(sql("SELECT Name FROM SE3 ORDER BY Name NOCASE")), QStringLiteral("Alpha"));
    EXPECT_EQ(db.scalar(sql("SELECT Name FROM SE3 ORDER BY Name NOCASE DESC")), QStringLiteral("Gamma"));
}

// ---------------------------------------------------------------- TOP n

TEST(SqlDialectTop, AppendedTopBecomesLimit)
{
    EXPECT_EQ(sql("SELECT * FROM CvRank WHERE (Project = \"p\") ORDER BY Rank ASC TOP 3000"),
              QStringLiteral("SELECT * FROM CvRank WHERE (Project = 'p') ORDER BY Rank ASC LIMIT 3000"));
    EXPECT_EQ(sql("SELECT * FROM CvRank WHERE (Project = \"p\")  TOP 3000"),
              QStringLiteral("SELECT * FROM CvRank WHERE (Project = 'p')  LIMIT 3000"));
    EXPECT_EQ(sql("SELECT * FROM CVRank ORDER BY URL nocase TOP 5"),
              QStringLiteral("SELECT * FROM CVRank ORDER BY URL COLLATE NOCASE LIMIT 5"));
}

TEST(SqlDialectTop, TopWithoutCountIsASyntaxError)
{
    expectSyntaxError(QStringLiteral("SELECT * FROM CVRank TOP"));
    expectSyntaxError(QStringLiteral("SELECT * FROM CVRank TOP x"));
}

// ---------------------------------------------------------------- CURRENT_DATE

TEST(SqlDialectCurrentDate, DaysBack)
{
    EXPECT_EQ(sql("SELECT * FROM CVRank WHERE xDate >= CURRENT_DATE - 30"),
              QStringLiteral("SELECT * FROM CVRank WHERE xDate >= date('now','localtime','-30 days')"));
    EXPECT_EQ(
        sql("SELECT * FROM CVRank WHERE xDate >= CURRENT_DATE-7 AND Rank < 3"),
        QStringLiteral("SELECT * FROM CVRank WHERE xDate >= date('now','localtime','-7 days') AND Rank < 3"));
    EXPECT_EQ(sql("SELECT * FROM CVRank WHERE xDate <= CURRENT_DATE + 1"),
              QStringLiteral("SELECT * FROM CVRank WHERE xDate <= date('now','localtime','+1 days')"));
}

TEST(SqlDialectCurrentDate, Today)
{
    EXPECT_EQ(sql("SELECT * FROM CVRank WHERE xDate = CURRENT_DATE"),
              QStringLiteral("SELECT * FROM CVRank WHERE xDate = date('now','localtime')"));
    EXPECT_EQ(sql("SELECT * FROM CVRank WHERE xDate = current_date AND Rank = 1"),
              QStringLiteral("SELECT * FROM CVRank WHERE xDate = date('now','localtime') AND Rank = 1"));
}

TEST(SqlDialectCurrentDate, ComputedOffset)
{
    EXPECT_EQ(sql("SELECT * FROM CVRank WHERE xDate >= CURRENT_DATE - 2 * 7"),
              QStringLiteral(
                  "SELECT * FROM CVRank WHERE xDate >= date('now','localtime','-' || (2 * 7) || ' days')"));
}

TEST(SqlDialectCurrentDate, GivesTheLocalDate)
{
    Sqlite db;
    const QDate today = QDate::currentDate();
    EXPECT_EQ(db.scalar(sql("SELECT CURRENT_DATE")), today.toString(QStringLiteral("yyyy-MM-dd")));
    EXPECT_EQ(db.scalar(sql("SELECT CURRENT_DATE - 30")),
              today.addDays(-30).toString(QStringLiteral("yyyy-MM-dd")));
}

// ---------------------------------------------------------------- +

TEST(SqlDialectPlus, SimpleAndChained)
{
    EXPECT_EQ(filter("a + b"), QStringLiteral("cv_plus(a, b)"));
    EXPECT_EQ(sql("SELECT SearchEngine+URL+SearchTerm AS SUK FROM CVRank GROUP BY SUK"),
              QStringLiteral(
                  "SELECT cv_plus(cv_plus(SearchEngine, URL), SearchTerm) AS SUK FROM CVRank GROUP BY SUK"));
}

TEST(SqlDialectPlus, LeftAssociativeWithMinus)
{
    EXPECT_EQ(filter("a + b - c"), QStringLiteral("cv_plus(a, b) - c"));
    EXPECT_EQ(filter("a - b + c"), QStringLiteral("cv_plus(a - b, c)"));
    EXPECT_EQ(filter("a - b - c"), QStringLiteral("a - b - c"));
}

TEST(SqlDialectPlus, MultiplicationBindsTighter)
{
    EXPECT_EQ(filter("a + b * c"), QStringLiteral("cv_plus(a, b * c)"));
    EXPECT_EQ(filter("a * b + c / d"), QStringLiteral("cv_plus(a * b, c / d)"));
    EXPECT_EQ(filter("a || b + c"), QStringLiteral("cv_plus(a || b, c)"));
}

TEST(SqlDialectPlus, ComparisonAndLogicBindLooser)
{
    EXPECT_EQ(filter("Rank + 1 <= Page + 2 AND x = y + \"z\" OR NOT u + v > 3"),
              QStringLiteral(
                  "cv_plus(Rank, 1) <= cv_plus(Page, 2) AND x = cv_plus(y, 'z') OR NOT cv_plus(u, v) > 3"));
    EXPECT_EQ(filter("Rank BETWEEN a + 1 AND b + 2"),
              QStringLiteral("Rank BETWEEN cv_plus(a, 1) AND cv_plus(b, 2)"));
}

TEST(SqlDialectPlus, UnaryPlusLeftAlone)
{
    EXPECT_EQ(filter("Rank = +5"), QStringLiteral("Rank = +5"));
    EXPECT_EQ(filter("a + -b"), QStringLiteral("cv_plus(a, -b)"));
    EXPECT_EQ(filter("-a + b"), QStringLiteral("cv_plus(-a, b)"));
    EXPECT_EQ(filter("a + +b"), QStringLiteral("cv_plus(a, +b)"));
}

TEST(SqlDialectPlus, NestedInCallsGroupsAndCase)
{
    EXPECT_EQ(filter("f(a + b) + 1"), QStringLiteral("cv_plus(f(cv_plus(a, b)), 1)"));
    EXPECT_EQ(filter("(a + b) * c"), QStringLiteral("(cv_plus(a, b)) * c"));
    EXPECT_EQ(filter("r.URL + s.Name = 'x'"), QStringLiteral("cv_plus(r.URL, s.Name) = 'x'"));
    EXPECT_EQ(filter("CASE WHEN a + 1 > 2 THEN b + c ELSE d END + e"),
              QStringLiteral("cv_plus(CASE WHEN cv_plus(a, 1) > 2 THEN cv_plus(b, c) ELSE d END, e)"));
    EXPECT_EQ(filter("x COLLATE NOCASE + y"), QStringLiteral("cv_plus(x COLLATE NOCASE, y)"));
}

TEST(SqlDialectPlus, ConcatenatesTextAndAddsNumbers)
{
    Sqlite db;
    EXPECT_EQ(db.scalar(sql("SELECT 'a' + \"b\" + 'c'")), QStringLiteral("abc"));
    EXPECT_EQ(db.scalar(sql("SELECT 1 + 2 * 3")), QStringLiteral("7"));
    EXPECT_EQ(db.scalar(sql("SELECT 10 - 2 + 3")), QStringLiteral("11"));
}

// ---------------------------------------------------------------- filters

TEST(SqlDialectFilter, CursorFilters)
{
    EXPECT_EQ(filter("Project = \"X\""), QStringLiteral("Project = 'X'"));
    EXPECT_EQ(filter("Project = 'X' and File <> 'GandLFile'"),
              QStringLiteral("Project = 'X' and File <> 'GandLFile'"));
    EXPECT_EQ(filter("(PopOrder = \"UST\" or PopOrder = \"UTS\") and not Select1 = \"a\""),
              QStringLiteral("(PopOrder = 'UST' or PopOrder = 'UTS') and not Select1 = 'a'"));
    EXPECT_EQ(filter("  "), QString());
}

TEST(SqlDialectFilter, FiltersPrepareAsWhereClauses)
{
    Sqlite db;
    const char* filters[] = {
        "Project = \"p\" AND xDate = '2005-01-01'",
        "Project = 'p' and SearchTerm = \"it's\" or not Rank > 3",
        "xDate >= CURRENT_DATE - 7",
    };
    for (const char* f : filters)
        EXPECT_EQ(db.prepare(QStringLiteral("SELECT * FROM CVRank WHERE ") + filter(f)), QString()) << f;
}

// ---------------------------------------------------------------- errors

TEST(SqlDialectErrors, UnterminatedQuotes)
{
    expectSyntaxError(QStringLiteral("SELECT * FROM CVRank WHERE URL = 'abc"));
    expectSyntaxError(QStringLiteral("SELECT * FROM CVRank WHERE URL = \"abc"));
    expectSyntaxError(QStringLiteral("SELECT * FROM CVRank WHERE URL = \"abc\"\""));
    EXPECT_THROW(translateFilter(QStringLiteral("Project = \"p")), DatabaseError);
}

TEST(SqlDialectErrors, UnbalancedBrackets)
{
    expectSyntaxError(QStringLiteral("SELECT * FROM CVRank WHERE (Rank = 1"));
    expectSyntaxError(QStringLiteral("SELECT * FROM CVRank WHERE Rank = 1)"));
    expectSyntaxError(QStringLiteral("SELECT CASE WHEN Rank = 1 THEN 2 FROM CVRank"));
    expectSyntaxError(QStringLiteral("SELECT * FROM CVRank /* open"));
}
