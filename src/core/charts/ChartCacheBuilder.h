#pragma once

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace corvane {

class Dataset;

// A saved chart: one CVSQLTee row. The first letter of PopOrder names the
// series dimension (S engine, U URL, T term); Select1 and Select2 fix the
// other two.
struct ChartDefinition
{
    QString project;
    QString chart; // the row's File
    QString popOrder;
    QStringList series; // ForEach, one value per line, empty lines skipped
    QString select1;
    QString select2;
    QDate start;
    QDate end;
    bool fillDates = false;
    bool showNoValue = false;
    QStringList titleLines; // Title, one entry per line

    // Reads the current row; a "V" DateType means the last DateValue days up to today.
    static ChartDefinition fromRow(const Dataset& row, QDate today);
};

// The chart's working table: one row per date, one column per series.
// A value of 0 means no position that day.
struct ChartTable
{
    QStringList legends;          // column names
    QMap<QDate, QList<int>> rows; // date order

    void addRow(QDate day);
    void setValue(QDate day, int column, int rank);
    // Drops the columns without any positive value, from the last to the first.
    void removeEmptyColumns();
};

namespace ChartNames {
// The column name of a series value: an underscore in front when the value
// does not begin with a letter.
QString legend(const QString& seriesValue);
// The value a column name stands for.
QString seriesValue(const QString& legend);
// CVRank's column for a letter of PopOrder; empty for any other letter.
QString rankColumn(QChar popOrderLetter);
// Rows of CVSQLTee that belong to other windows and are not saved charts.
bool isSavedChart(const QString& file);
} // namespace ChartNames

// Builds saved charts from CVRank and stores them in CVChartCache, one row
// per date and series (Project, Chart, Legend, xDate, xValue; xValue empty
// where the chart has no position).
class ChartCacheBuilder
{
public:
    explicit ChartCacheBuilder(const QString& dataFolder);
    ~ChartCacheBuilder();
    ChartCacheBuilder(ChartCacheBuilder&& other) noexcept;
    ChartCacheBuilder& operator=(ChartCacheBuilder&& other) noexcept;

    // The saved charts of the project, in table order.
    QStringList charts(const QString& project) const;

    // Queries one series line after the other, as the chart window does;
    // progress hears of every series done. Its connection to CVRank stays
    // open for the next build, as the cache write's does; one thread at a
    // time may build or write with one builder.
    ChartTable buildTable(const ChartDefinition& definition,
                          const std::function<void(int done, int total)>& progress = {}) const;

    // The chart's definition. Throws DatabaseError when the chart does not exist.
    ChartDefinition definition(const QString& project, const QString& chart, QDate today) const;

    // Replaces the chart's cache rows by the table; returns the number of rows written.
    // The connection to CVChartCache stays open for the next write (a file
    // replaced meanwhile, as a restore does, is opened anew), so a Refresh
    // does not pay for opening the file and for the checkpoint of its
    // write-ahead log that the last connection's close does.
    int writeCache(const ChartDefinition& definition, const ChartTable& table);
    // Closes the connections buildTable and writeCache keep; the next call opens them again.
    void closeConnections();

    // The chart as the cache holds it: one column per legend in order of
    // appearance, one row per cached date, and with fillDates a row for every
    // day between the first and the last cached date. No legends when the
    // cache holds nothing for the chart.
    ChartTable loadCache(const QString& project, const QString& chart, bool fillDates) const;

    // Rebuilds one chart's cache; returns the number of cache rows written.
    // Throws DatabaseError when the chart does not exist or a table fails.
    int build(const QString& project, const QString& chart, QDate today = QDate::currentDate());

    // Rebuilds every saved chart of the project; progress gets one line per chart.
    // Returns the number of charts built.
    int buildAll(const QString& project, const std::function<void(const QString&)>& progress = {},
                 QDate today = QDate::currentDate());

    struct KeptConnection;

private:
    QString m_dataFolder;
    mutable std::unique_ptr<KeptConnection> m_reader; // CVRank, for buildTable
    std::unique_ptr<KeptConnection> m_writer;         // CVChartCache, for writeCache
};

} // namespace corvane
