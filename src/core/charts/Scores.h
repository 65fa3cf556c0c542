#pragma once

#include "core/charts/ChartData.h"
#include "core/print/PrintPages.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

namespace corvane {

class Database;

// Scores of a project's URLs on one day of rankings.
namespace Scores {

struct Row
{
    QString url;
    double score = 0;
};

// The entry of the engine list that scores all engines together.
QString overall();

// One engine: per URL, (100 - average rank) x (rank count / engineCount) + 1,
// where engineCount is the number of the project's engines.
QList<Row> engineScores(Database& general, const QString& project, const QString& engine, QDate day,
                        int engineCount);

// All engines: per engine, URL and term the best rank up to the limit (every
// rank when disregard is 0) gives Popularity / rank points, truncated; a URL's
// score is the sum of its points. Rows of engines without a popularity entry
// are left out.
QList<Row> overallScores(Database& general, const QHash<QString, int>& popularity, const QString& project,
                         QDate day, int disregard);

// The Popularity of every engine of SE3, by name.
QHash<QString, int> enginePopularity(Database& se3);

// The chart: one bar per URL, labelled with the URL.
ChartData chartData(const QList<Row>& rows, const QStringList& titleLines, const QString& valueTitle);

// The title lines: engine and "Score for " + date, or "Overall score for " + date.
QStringList titleLines(const QString& engine, QDate day);
QString overallAxisTitle();

PrintPages::ScoresPage printPage(const QList<Row>& rows, const QStringList& titleLines);

// A score as shown: whole numbers without decimals, others with one.
QString scoreText(double score);

QString introduction();

} // namespace Scores

} // namespace corvane
