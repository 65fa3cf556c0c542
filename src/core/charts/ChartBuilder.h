#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace corvane {

class Database;

// Creates and edits saved chart definitions (CVSQLTee rows) for the chart
// builder and auto-build tools.
namespace ChartBuilder {

// What the chart builder edits: one saved chart.
struct Definition
{
    QString project;
    QString name;
    QString popOrder = QStringLiteral("UTS"); // the first letter is the series dimension
    QStringList series;
    QString select1;
    QString select2;
    int lastDays = 30; // above 0: the last lastDays days; 0: the range below
    QDate start;
    QDate end;
    bool fillDates = true;
    bool showNoValue = false;
    QString title;
};

// The most series auto-build puts into one chart.
inline constexpr int MaxSeries = 18;

// The message that names what is wrong with the name, or an empty text when
// the name can be saved. originalName is the chart's name before editing
// (empty for a new chart): keeping it is no duplicate.
QString nameProblem(Database& general, const QString& project, const QString& name,
                    const QString& originalName = {});
// The message that names what is wrong with the rest of the definition, or empty.
QString definitionProblem(const Definition& definition);

// Reads a saved chart; false when there is none of that name.
bool load(Database& general, const QString& project, const QString& name, Definition& definition);

// Writes the chart: the row of originalName is updated (and renamed), else a
// row is appended with the detail chart's default design. A renamed chart's
// cache goes with it. Throws DatabaseError; checks nothing (see nameProblem).
void save(Database& general, const Definition& definition, const QString& originalName = {});

// The values a dimension offers for the project: URL names (U), search terms
// (T) or engine names (S), in table order.
QStringList choices(Database& general, const QString& project, QChar letter);

// The values shared out into as few charts as hold them, each with at most
// MaxSeries and the parts differing by one value at most (20 become 10 + 10).
QList<QStringList> shareOut(const QStringList& values);

// Adds a useful set of charts: the key URL on each engine across the terms,
// and each term across the URLs on the most popular engine; at most MaxSeries
// series a chart (more are shared out into numbered parts), charts whose name exists are
// left alone. Returns the names added.
QStringList autoBuild(Database& general, const QString& project);

} // namespace ChartBuilder

} // namespace corvane
