#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The HTML pages of the print window, one pure function per print kind. Each
// takes plain texts (already formatted for the reader) and returns the whole
// page. Every inserted value is HTML-escaped, so a term such as <b>&"x"
// prints as written and never changes the page's markup; a line break inside
// a value becomes <BR>.
namespace corvane::PrintPages {

// The print kinds. 0, 2 and 4 build no page (kind 2 shows an empty page).
enum Kind : int {
    DetailChart = 1,
    EmptyPage = 2,
    QueryResult = 3,
    EngineList = 5,
    UrlList = 6,
    PageDetail = 7,
    MergedPhrases = 8,
    GainsAndLosses = 9,
    Scores = 10,
};

inline constexpr int FirstKind = 0;
inline constexpr int LastKind = 10;

// The page's file name ("DBChart1.html", "Grid.html", ...); empty for the
// kinds that build nothing.
QString pageFileName(int kind);
// "DBChart1.jpg" for the chart reports (kinds 1, 9 and 10); empty otherwise.
QString chartImageName(int kind);
// The logo is read from LogoSource and written beside the page as LogoImage.
inline constexpr const char* LogoSource = "Logo.bmp";
inline constexpr const char* LogoImage = "Logo.jpg";

// Logo positions of the project's Logo_Pos_Rpt: 0 centre, 1 left, else right.
struct Logo
{
    bool show = false;
    int position = 0;
    QString folder; // written in front of "Logo.jpg"; empty for a name relative to the page
};

// Text with <, >, &, " and ' replaced by entities and line breaks by <BR>.
// Characters beyond ASCII become numeric references, so a page reads the same
// whatever character set a browser assumes for it.
QString escaped(const QString& text);

// Kind 1: one row per date, one column per series; an empty value is a day
// without a position and prints as "-".
struct DetailChartPage
{
    QStringList titleLines;
    QStringList seriesTitles;
    struct Row
    {
        QString date;
        QList<std::optional<QString>> values; // one per series
    };
    QList<Row> rows;
    Logo logo;
};
QString detailChart(const DetailChartPage& page);

// Kind 3: the query's fields and rows, each row one text per field. The
// found-link field is headed "Fully Qualified Link"; Rank and Page are
// right-aligned.
struct QueryResultPage
{
    QString project;
    QString footer;
    QStringList fields;
    QList<QStringList> rows;
};
QString queryResult(const QueryResultPage& page);

// Kind 5.
struct EngineListPage
{
    QString project;
    struct Row
    {
        QString name, homePage, score, notes, country, lastUpdate;
    };
    QList<Row> rows;
    Logo logo;
};
QString engineList(const EngineListPage& page);

// Kind 6: the collected URLs with their counts.
struct UrlListPage
{
    QString name;
    struct Row
    {
        QString count, url;
    };
    QList<Row> rows;
};
QString urlList(const UrlListPage& page);

// Kind 7: one block per collected page.
struct PageDetailPage
{
    QString name;
    struct Page
    {
        QString url, count, title, description;
        QStringList tags;      // the page's keyword tag, one term each
        QStringList densities; // its frequent words with their density
    };
    QList<Page> pages;
};
QString pageDetail(const PageDetailPage& page);

// Kind 8: the merged phrases with their counts.
struct MergedPhrasesPage
{
    QString name;
    struct Row
    {
        QString phrase, count;
    };
    QList<Row> rows;
};
QString mergedPhrases(const MergedPhrasesPage& page);

// Kind 9.
struct GainsAndLossesPage
{
    QStringList titleLines;
    struct Row
    {
        QString date, searchTerm, priorDay, today, difference;
    };
    QList<Row> rows;
    Logo logo;
};
QString gainsAndLosses(const GainsAndLossesPage& page);

// Kind 10.
struct ScoresPage
{
    QStringList titleLines;
    struct Row
    {
        QString url, score;
    };
    QList<Row> rows;
    Logo logo;
};
QString scores(const ScoresPage& page);

} // namespace corvane::PrintPages
