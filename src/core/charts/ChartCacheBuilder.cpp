#include "core/charts/ChartCacheBuilder.h"

#include "core/data/Connection.h"
#include "core/data/DatabaseError.h"
#include "core/data/Dataset.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableDatabase.h"
#include "core/data/Transaction.h"

#include <QHash>

#include <sqlite3.h>

namespace corvane {

namespace {

QString chartFilter(const QString& project, const QString& chart)
{
    return QStringLiteral("Project = ") + SqlQuote::quoted(project) + QStringLiteral(" AND File = ")
        + SqlQuote::quoted(chart);
}

} // namespace

ChartDefinition ChartDefinition::fromRow(const Dataset& row, QDate today)
{
    ChartDefinition d;
    d.project = row.asString(QStringLiteral("Project"));
    d.chart = row.asString(QStringLiteral("File"));
    d.popOrder = row.asString(QStringLiteral("PopOrder")).toUpper();
    // One name a line, ended by CR LF as every writer here ends them: a line
    // break (LF alone) inside a name stays part of it. A list written with LF
    // alone splits there.
    const QString forEach = row.asString(QStringLiteral("ForEach"));
    const bool crlf = forEach.contains(QLatin1String("\r\n"));
    const QStringList lines = crlf ? forEach.split(QLatin1String("\r\n")) : forEach.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (!crlf)
            line.remove(QLatin1Char('\r'));
        if (!line.trimmed().isEmpty())
            d.series.append(line);
    }
    d.select1 = row.asString(QStringLiteral("Select1"));
    d.select2 = row.asString(QStringLiteral("Select2"));
    if (row.asString(QStringLiteral("DateType")) == QLatin1String("V")) {
        d.start = today.addDays(-row.asInteger(QStringLiteral("DateValue")));
        d.end = today;
    } else {
        d.start = row.asDate(QStringLiteral("DateStart"));
        d.end = row.asDate(QStringLiteral("DateEnd"));
    }
    d.fillDates = row.asBoolean(QStringLiteral("FillDates"));
    d.showNoValue = row.asBoolean(QStringLiteral("ShowNoValue"));
    for (QString line : row.asString(QStringLiteral("Title")).split(QLatin1Char('\n'))) {
        line.remove(QLatin1Char('\r'));
        if (!line.isEmpty())
            d.titleLines.append(line);
    }
    return d;
}

void ChartTable::addRow(QDate day)
{
    if (!rows.contains(day))
        rows.insert(day, QList<int>(legends.size(), 0));
}

void ChartTable::setValue(QDate day, int column, int rank)
{
    addRow(day);
    rows[day][column] = rank;
}

void ChartTable::removeEmptyColumns()
{
    for (int column = legends.size() - 1; column >= 0; --column) {
        bool anyPositive = false;
        for (const QList<int>& values : std::as_const(rows))
            anyPositive = anyPositive || values.at(column) > 0;
        if (anyPositive)
            continue;
        legends.removeAt(column);
        for (QList<int>& values : rows)
            values.removeAt(column);
    }
}

namespace ChartNames {

QString legend(const QString& seriesValue)
{
    if (!seriesValue.isEmpty() && seriesValue.at(0).isLetter())
        return seriesValue;
    return QLatin1Char('_') + seriesValue;
}

QString seriesValue(const QString& legend)
{
    return legend.startsWith(QLatin1Char('_')) ? legend.mid(1) : legend;
}

QString rankColumn(QChar popOrderLetter)
{
    switch (popOrderLetter.toUpper().unicode()) {
    case 'S': return QStringLiteral("SearchEngine");
    case 'U': return QStringLiteral("URL");
    case 'T': return QStringLiteral("SearchTerm");
    default: return {};
    }
}

bool isSavedChart(const QString& file)
{
    return file != QLatin1String("Top10") && file != QLatin1String("ScoresForm")
        && file != QLatin1String("GandLFile");
}

} // namespace ChartNames

// A connection kept between calls with the statements prepared on it; they
// are prepared anew when the connection attached its file anew.
struct ChartCacheBuilder::KeptConnection
{
    explicit KeptConnection(const QString& folder)
        : session(QStringLiteral("ChartCacheSession"))
        , database(QStringLiteral("ChartCacheDatabase"), &session)
    {
        database.setDirectory(folder);
        database.connect();
        connection.setLockSettings(session.lockSettings());
    }

    Session session;
    Database database;
    Connection connection;
    Statement first;
    Statement second;
    QString preparedSql;
    quint64 preparedFor = 0; // the connection's generation the statements belong to
};

namespace {

// The kept connection with the table attached; a connection whose table
// cannot be attached now is dropped, so the next call looks for it afresh.
Connection& attachKept(std::unique_ptr<ChartCacheBuilder::KeptConnection>& kept, const QString& folder,
                       const QString& table)
{
    if (!kept)
        kept = std::make_unique<ChartCacheBuilder::KeptConnection>(folder);
    try {
        kept->connection.attach(kept->database, table);
    } catch (...) {
        kept.reset();
        throw;
    }
    return kept->connection;
}

} // namespace

ChartCacheBuilder::ChartCacheBuilder(const QString& dataFolder)
    : m_dataFolder(dataFolder)
{
}

ChartCacheBuilder::~ChartCacheBuilder() = default;
ChartCacheBuilder::ChartCacheBuilder(ChartCacheBuilder&& other) noexcept = default;
ChartCacheBuilder& ChartCacheBuilder::operator=(ChartCacheBuilder&& other) noexcept = default;

void ChartCacheBuilder::closeConnections()
{
    m_reader.reset();
    m_writer.reset();
}

QStringList ChartCacheBuilder::charts(const QString& project) const
{
    Session session(QStringLiteral("ChartCacheSession"));
    Database database(QStringLiteral("ChartCacheDatabase"), &session);
    database.setDirectory(m_dataFolder);
    database.connect();
    Table table(&database, QStringLiteral("CVSQLTee"));
    table.setFilter(QStringLiteral("Project = ") + SqlQuote::quoted(project));
    table.setFiltered(true);
    table.open();
    QStringList names;
    for (table.first(); !table.eof(); table.next()) {
        const QString file = table.asString(QStringLiteral("File"));
        if (ChartNames::isSavedChart(file))
            names.append(file);
    }
    return names;
}

ChartDefinition ChartCacheBuilder::definition(const QString& project, const QString& chart, QDate today) const
{
    Session session(QStringLiteral("ChartCacheSession"));
    Database database(QStringLiteral("ChartCacheDatabase"), &session);
    database.setDirectory(m_dataFolder);
    database.connect();
    Table table(&database, QStringLiteral("CVSQLTee"));
    table.setFilter(chartFilter(project, chart));
    table.setFiltered(true);
    table.open();
    if (table.eof())
        throw DatabaseError(
            DatabaseError::General,
            QStringLiteral("Chart \"%1\" of project \"%2\" does not exist.").arg(chart, project));
    return ChartDefinition::fromRow(table, today);
}

ChartTable ChartCacheBuilder::buildTable(const ChartDefinition& d,
                                         const std::function<void(int done, int total)>& progress) const
{
    ChartTable table;
    for (const QString& value : d.series)
        table.legends.append(ChartNames::legend(value));
    if (d.fillDates && d.start.isValid() && d.end.isValid())
        for (QDate day = d.start; day <= d.end; day = day.addDays(1))
            table.addRow(day);

    const auto column = [&d](int letter) {
        return letter < d.popOrder.size() ? ChartNames::rankColumn(d.popOrder.at(letter)) : QString();
    };
    const QString c1 = column(0);
    const QString c2 = column(1);
    const QString c3 = column(2);
    if (c1.isEmpty() || c2.isEmpty() || c3.isEmpty())
        throw DatabaseError(
            DatabaseError::General,
            QStringLiteral("Chart \"%1\" has the invalid series order \"%2\".").arg(d.chart, d.popOrder));

    const QString rankTable = QStringLiteral("CVRank");
    Connection& connection = attachKept(m_reader, m_dataFolder, rankTable);
    KeptConnection& r = *m_reader;
    // One statement for every series, its values bound: the series differ in
    // one value only, so the statement is prepared once and each row is read
    // straight from SQLite, dates parsed once per distinct day.
    const QString sql =
        QStringLiteral(
            "SELECT xDate, MIN(Rank) FROM CVRank WHERE Project = ?1 AND xDate BETWEEN ?2 AND ?3 AND ")
        + c2 + QStringLiteral(" = ?4 AND ") + c1 + QStringLiteral(" = ?5 AND ") + c3
        + QStringLiteral(" = ?6 GROUP BY xDate ORDER BY xDate");
    if (r.first.isNull() || r.preparedFor != connection.generation() || r.preparedSql != sql) {
        r.first = connection.prepare(sql, rankTable);
        r.preparedSql = sql;
        r.preparedFor = connection.generation();
    }
    Statement& select = r.first;
    // however the loop ends, the kept statement holds no read transaction open
    struct ResetAtEnd
    {
        Statement& statement;
        ~ResetAtEnd() { statement.reset(); }
    } resetAtEnd{select};
    const QString first = d.start.toString(QStringLiteral("yyyy-MM-dd"));
    const QString last = d.end.toString(QStringLiteral("yyyy-MM-dd"));
    QHash<QString, QDate> days;
    for (int series = 0; series < table.legends.size(); ++series) {
        select.reset();
        select.bindAll({d.project, first, last, d.select1, ChartNames::seriesValue(table.legends.at(series)),
                        d.select2});
        int rc;
        while ((rc = select.step()) == SQLITE_ROW) {
            const QString text = select.column(0).toString();
            auto day = days.constFind(text);
            if (day == days.cend())
                day = days.insert(text, QDate::fromString(text, Qt::ISODate));
            if (day->isValid())
                table.setValue(*day, series, int(select.columnInt64(1)));
        }
        if (rc != SQLITE_DONE)
            connection.fail(rc, rankTable);
        if (progress)
            progress(series + 1, int(table.legends.size()));
    }
    if (d.showNoValue)
        table.removeEmptyColumns();
    return table;
}

int ChartCacheBuilder::writeCache(const ChartDefinition& d, const ChartTable& table)
{
    const QString cacheTable = QStringLiteral("CVChartCache");
    Connection& connection = attachKept(m_writer, m_dataFolder, cacheTable);
    KeptConnection& w = *m_writer;
    if (w.first.isNull() || w.preparedFor != connection.generation()) {
        w.first = connection.prepare(
            QStringLiteral("DELETE FROM CVChartCache WHERE Project = ?1 AND Chart = ?2"), cacheTable);
        w.second = connection.prepare(QStringLiteral("INSERT INTO CVChartCache (xDate, Project, Chart, "
                                                     "Legend, xValue) VALUES (?1, ?2, ?3, ?4, ?5)"),
                                      cacheTable);
        w.preparedFor = connection.generation();
    }

    // The old points go and the new ones come in one transaction: one commit
    // instead of one per statement, and a reader never sees the chart half written.
    Transaction transaction(connection, cacheTable);
    w.first.bindAll({d.project, d.chart});
    connection.run(w.first, cacheTable);

    // Every text is encoded once and bound without a copy; only the date and
    // the value change from row to row, the rest stays bound.
    const QByteArray project = d.project.toUtf8();
    const QByteArray chart = d.chart.toUtf8();
    QList<QByteArray> legends;
    for (const QString& legend : table.legends)
        legends.append(legend.toUtf8());
    sqlite3_stmt* insert = w.second.handle();
    const auto bindText = [insert](int index, const QByteArray& text) {
        sqlite3_bind_text(insert, index, text.constData(), int(text.size()), SQLITE_STATIC);
    };
    bindText(2, project);
    bindText(3, chart);
    int written = 0;
    for (auto row = table.rows.cbegin(); row != table.rows.cend(); ++row) {
        const QByteArray day = row.key().toString(QStringLiteral("yyyy-MM-dd")).toLatin1();
        bindText(1, day);
        for (int column = 0; column < legends.size(); ++column) {
            const int rank = row.value().at(column);
            bindText(4, legends.at(column));
            if (rank > 0)
                sqlite3_bind_int(insert, 5, rank);
            else
                sqlite3_bind_null(insert, 5);
            if (sqlite3_step(insert) != SQLITE_DONE) {
                const int code = sqlite3_extended_errcode(connection.handle());
                const QString message = QString::fromUtf8(sqlite3_errmsg(connection.handle()));
                w.second.reset();
                connection.fail(code, message, cacheTable);
            }
            sqlite3_reset(insert);
            ++written;
        }
    }
    // nothing stays bound to the texts of this call
    w.second.reset();
    transaction.commit();
    return written;
}

ChartTable ChartCacheBuilder::loadCache(const QString& project, const QString& chart, bool fillDates) const
{
    Session session(QStringLiteral("ChartCacheSession"));
    Database database(QStringLiteral("ChartCacheDatabase"), &session);
    database.setDirectory(m_dataFolder);
    database.connect();
    Query query(&database);
    query.setSql(QStringLiteral("SELECT xDate, Legend, xValue FROM CVChartCache WHERE Project = ")
                 + SqlQuote::quoted(project) + QStringLiteral(" AND Chart = ") + SqlQuote::quoted(chart));
    query.open();
    ChartTable table;
    QHash<QString, int> columns;
    struct Cell
    {
        QDate day;
        int column;
        int value;
    };
    QList<Cell> cells;
    for (query.first(); !query.eof(); query.next()) {
        const QString legend = query.asString(QStringLiteral("Legend"));
        auto column = columns.constFind(legend);
        if (column == columns.cend()) {
            column = columns.insert(legend, int(table.legends.size()));
            table.legends.append(legend);
        }
        cells.append(
            {query.asDate(QStringLiteral("xDate")), *column, query.asInteger(QStringLiteral("xValue"))});
    }
    if (cells.isEmpty())
        return table;
    for (const Cell& cell : std::as_const(cells))
        table.addRow(cell.day);
    if (fillDates)
        for (QDate day = table.rows.firstKey(); day <= table.rows.lastKey(); day = day.addDays(1))
            table.addRow(day);
    for (const Cell& cell : std::as_const(cells))
        table.rows[cell.day][cell.column] = cell.value;
    return table;
}

int ChartCacheBuilder::build(const QString& project, const QString& chart, QDate today)
{
    const ChartDefinition d = definition(project, chart, today);
    return writeCache(d, buildTable(d));
}

int ChartCacheBuilder::buildAll(const QString& project, const std::function<void(const QString&)>& progress,
                                QDate today)
{
    const QStringList names = charts(project);
    int built = 0;
    for (const QString& chart : names) {
        const int rows = build(project, chart, today);
        ++built;
        if (progress)
            progress(QStringLiteral("%1: %2 cache rows").arg(chart).arg(rows));
    }
    return built;
}

} // namespace corvane
