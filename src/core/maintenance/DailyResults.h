#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QThread>

namespace corvane {

// Daily Results: every stored rank of one project and one day as an HTML page
// ("Daily.html" in the program folder), grouped by one of search engine,
// search term and URL, sub-grouped by a second, one line per remaining item
// with its position, page and a bar as long as the rank is against the day's
// worst rank. The bar is a picture the page finds beside itself.
namespace DailyResults {

inline constexpr const char* PageFile = "Daily.html";
inline constexpr const char* BarFile = "DailyBar.svg";

// "Search Engine", "Search Term", "URL".
QStringList groupChoices();
// The column of a display name ("Search Engine" is SearchEngine); empty for
// an unknown name.
QString column(const QString& displayName);
// The "Then by" choices of a "Group by" choice.
QStringList thenByChoices(const QString& groupBy);
// The one of the three that is neither.
QString detail(const QString& groupBy, const QString& thenBy);

// What the worker is given when it is created.
struct Input
{
    QString project;
    QString dateText; // the date as the list shows it
    QDate day;
    QString groupBy;
    QString thenBy;
    QString detailName;
    int order = 0; // 0 by rank, 1 by the detail column, 2 by page
    bool showIndex = false;
    QString dataFolder;
    QString programFolder;
};

QString statement(const Input& input);

struct Row
{
    QString major;
    QString minor;
    QString detail;
    int rank = 0;
    int page = 0;
};

// The page of the rows (in statement order); the short page without rows.
// Every value is escaped; characters beyond ASCII become numeric references.
QString page(const Input& input, const QList<Row>& rows);
QString shortPage(const Input& input);

// The bar's share of the row: whole percent of rank against the worst rank,
// at least 1 (also when the day has no positive rank).
int barPercent(int rank, int worstRank);

// Runs the statement on a database of its own, writes the page and the bar
// picture into the program folder. Returns an empty text on success, else
// what went wrong.
QString build(const Input& input);

} // namespace DailyResults

// The worker that builds the page at lower priority; it deletes itself when
// done. finishedBuilding reaches the window on its own thread.
class DailyThread : public QThread
{
    Q_OBJECT

public:
    explicit DailyThread(DailyResults::Input input);

signals:
    // error is empty when the page was written.
    void finishedBuilding(const QString& error);

protected:
    void run() override;

private:
    DailyResults::Input m_input;
};

} // namespace corvane
