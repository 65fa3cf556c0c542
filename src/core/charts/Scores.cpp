#include "core/charts/Scores.h"

#include "core/data/Dataset.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableDatabase.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace corvane::Scores {

QString overall() { return QStringLiteral("Overall"); }

QList<Row> engineScores(Database& general, const QString& project, const QString& engine, QDate day,
                        int engineCount)
{
    QList<Row> rows;
    if (engineCount <= 0)
        return rows;
    Query query(&general);
    query.setSql(QStringLiteral("SELECT SearchEngine, URL, COUNT(Rank) AS RankCount, AVG(Rank) AS RankAvg "
                                "FROM CVRank WHERE SearchEngine = ")
                 + SqlQuote::quoted(engine) + QStringLiteral(" AND Project = ") + SqlQuote::quoted(project)
                 + QStringLiteral(" AND xDate = ") + SqlQuote::date(day)
                 + QStringLiteral(" GROUP BY URL ORDER BY SearchEngine nocase"));
    query.open();
    for (query.first(); !query.eof(); query.next()) {
        const double count = query.value(QStringLiteral("RankCount")).toDouble();
        const double average = query.value(QStringLiteral("RankAvg")).toDouble();
        rows.append({query.asString(QStringLiteral("URL")), (100.0 - average) * (count / engineCount) + 1.0});
    }
    return rows;
}

QList<Row> overallScores(Database& general, const QHash<QString, int>& popularity, const QString& project,
                         QDate day, int disregard)
{
    const int limit = disregard == 0 ? 10000 : disregard;
    // One row per engine, URL and term: grouped on the three columns rather
    // than on their joined text (which two different triples can share), and
    // the best rank where a URL was found twice for one engine and term.
    Query query(&general);
    query.setSql(QStringLiteral("SELECT SearchEngine, URL, SearchTerm, MIN(Rank) AS Rank FROM CVRank "
                                "WHERE Project = ")
                 + SqlQuote::quoted(project) + QStringLiteral(" AND xDate = ") + SqlQuote::date(day)
                 + QStringLiteral(" AND Rank > 0 AND Rank <= ") + QString::number(limit)
                 + QStringLiteral(" GROUP BY SearchEngine, URL, SearchTerm"));
    query.open();
    QList<Row> rows;
    QHash<QString, qsizetype> place;
    for (query.first(); !query.eof(); query.next()) {
        const auto engine = popularity.constFind(query.asString(QStringLiteral("SearchEngine")));
        if (engine == popularity.cend())
            continue;
        const int points = int(std::trunc(double(*engine) / query.asInteger(QStringLiteral("Rank"))));
        const QString url = query.asString(QStringLiteral("URL"));
        const auto found = place.constFind(url);
        if (found == place.cend()) {
            place.insert(url, rows.size());
            rows.append({url, double(points)});
        } else {
            rows[*found].score += points;
        }
    }
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.url < b.url; });
    return rows;
}

QHash<QString, int> enginePopularity(Database& se3)
{
    QHash<QString, int> popularity;
    Query query(&se3, QStringLiteral("SELECT Name, Popularity FROM SE3"));
    query.open();
    for (query.first(); !query.eof(); query.next())
        popularity.insert(query.asString(QStringLiteral("Name")),
                          query.asInteger(QStringLiteral("Popularity")));
    return popularity;
}

ChartData chartData(const QList<Row>& rows, const QStringList& titleLines, const QString& valueTitle)
{
    ChartData data;
    data.titleLines = titleLines;
    data.categoryTitle = QStringLiteral("URL");
    data.valueTitle = valueTitle;
    data.valueKind = ChartData::ValueKind::Amount;
    ChartSeriesData series;
    series.name = QStringLiteral("Score");
    for (const Row& row : rows) {
        data.categories.append(row.url);
        series.values.append(row.score);
        series.captions.append(scoreText(row.score));
    }
    if (!rows.isEmpty())
        data.series.append(series);
    return data;
}

QStringList titleLines(const QString& engine, QDate day)
{
    const QString date = QLocale().toString(day, QLocale::ShortFormat);
    if (engine == overall())
        return {QStringLiteral("Overall score for ") + date};
    return {engine, QStringLiteral("Score for ") + date};
}

QString overallAxisTitle()
{
    return QStringLiteral(
        "Overall results are relative to other URLs and Search Engines that exist inside this project.");
}

PrintPages::ScoresPage printPage(const QList<Row>& rows, const QStringList& titleLines)
{
    PrintPages::ScoresPage page;
    page.titleLines = titleLines;
    for (const Row& row : rows)
        page.rows.append({row.url, scoreText(row.score)});
    return page;
}

QString scoreText(double score)
{
    const double whole = std::round(score);
    if (std::abs(score - whole) < 0.05)
        return QString::number(qint64(whole));
    return QString::number(score, 'f', 1);
}

QString introduction()
{
    return QStringLiteral(
        "Use Scores to compare your site URL to you competitor URLs.  Scores are relative and in order for "
        "them to work properly you must assign point values to Search Engines.  This only applies when "
        "viewing All Search Engines.");
}

} // namespace corvane::Scores
