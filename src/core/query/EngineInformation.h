#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace corvane {

class Database;
class Table;

// The logic of the search engine information window: the engines of SE3 (or
// of one project's CVSE3 rows), narrowed by checked filter values, and the
// recalculation of the engines' points.
namespace EngineInformation {

// The first entry of the project choice.
inline constexpr const char* AllEngines = "All Search Engines";

// The five filter sections: their titles and the SE3 column each filters.
struct FilterSection
{
    const char* title;
    const char* column;
};
inline constexpr FilterSection Sections[] = {
    {"Country", "Country"}, {"Group", "Group1"},  {"Type", "Group2"},
    {"Locality", "Group3"}, {"Engine", "Group4"},
};

// One checked filter value.
struct FilterItem
{
    QString column;
    QString value;
};

// The checked values as one filter expression: `Column = "value"` each
// (an empty value: the column is empty or NULL), joined with " AND " or
// " OR "; empty when nothing is checked.
QString filterText(const QList<FilterItem>& checked, bool joinWithAnd);

// One listed engine.
struct EngineRow
{
    QString name;
    QString homePage;
    QString addPage;
    int popularity = 0;
    QString popSource;
    QString country;
    QString group1, group2, group3, group4;
    QDate lastUpdate;
    QString notes;
};

// The grid's headings, in column order.
const QStringList& headings();

// The engines in name order: every SE3 row matching the filter, or, for a
// project, the engines of its CVSE3 rows that match it. The SE3 database
// holds SE3; the general one CVSE3.
QList<EngineRow> listEngines(Database& se3Database, Database& general, const QString& project,
                             const QString& filter);

// The distinct non-empty values of an SE3 column, sorted.
QStringList distinctValues(Database& se3Database, const QString& column);
// True when some SE3 row has no value in the column.
bool anyEmptyValue(Database& se3Database, const QString& column);

// The engine count label.
QString countText(int count);

// Recalc's question and its final message.
QString recalcQuestion();
inline constexpr const char* RecalcDone = "<P align=\"center\">Points recalculated</P>";

// The points of one engine from its Pop columns and the sum of Pop1 over SE3;
// an engine whose Pop1 is 0 keeps its points.
int recalculatedPoints(qint64 pop1Sum, int pop1, int pop2, int pop3, int current);

// Recalculates every SE3 row's Popularity and copies it into the CVSE3 rows
// of the same engine name. Both tables are closed again afterwards.
void recalc(Table& se3, Table& cvse3);

} // namespace EngineInformation
} // namespace corvane
