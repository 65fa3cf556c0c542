#pragma once

#include "core/data/FieldDefs.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace corvane {

class Database;
class Query;

// What "Day at a Glance" shows for one project and one day: the position
// changes of the day (CVHiLo) and the hits per URL, search term and search
// engine (CVRank), each in a grid of its own that prints through a report of
// its own.
namespace DayGlance {

enum class Grid { Position = 0, Url = 1, SearchTerm = 2, SearchEngine = 3 };
inline constexpr Grid Grids[] = {Grid::Position, Grid::Url, Grid::SearchTerm, Grid::SearchEngine};

// The grid's columns, as the statement names them.
QStringList columns(Grid grid);
// The column the grid is first ordered by.
QString initialOrder(Grid grid);
// The grid's statement for the project and day, ordered by the column.
QString statement(Grid grid, const QString& project, const QDate& day, const QString& orderColumn);

// "Postion Activity (entries = 3)" and the like; titleWords without the count.
QString titleWords(Grid grid);
QString title(Grid grid, int entries);

// "PositionAct", "URLAct", "SearchTermAct", "SearchEngineAct".
QString reportName(Grid grid);
// The columns of CVReportTemp for the grid's report, in report order.
QList<FieldDef> reportFields(Grid grid);
// For each report field, the grid column it is taken from.
QList<int> reportSource(Grid grid);

// One grid's rows as plain values, in the grid's column order.
struct Rows
{
    QList<QVariantList> values;
};

// Runs the grid's statement on the query (whose progress handler stays as
// set), reads every row and closes the query again.
Rows read(Query& query, Grid grid, const QString& project, const QDate& day, const QString& orderColumn);

// Creates CVReportTemp afresh for the grid's report and fills it with the rows
// (plain values in grid column order).
void fillReport(Database& database, Grid grid, const QList<QVariantList>& rows);

// Where the link cells lead: the project's URL names to "http://www." and the
// address the name stands for; engine names to their home pages in SE3.
QHash<QString, QString> urlAddresses(Database& general, const QString& project);
QHash<QString, QString> engineHomePages(Database& se3);
// "http://www." + address, unless the stored address already names a scheme.
QString webAddress(const QString& storedAddress);

} // namespace DayGlance
} // namespace corvane
