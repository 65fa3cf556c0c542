#include "core/harvest/SessionRecord.h"

#include "core/data/Connection.h"
#include "core/data/Dataset.h"
#include "core/data/FieldCodec.h"
#include "core/data/SqlQuote.h"

#include <QJsonArray>
#include <QSet>

#include <map>

namespace corvane {

namespace {

const QString DateFormat = QStringLiteral("yyyy-MM-dd");

QString dayText(const QDate& day) { return day.toString(DateFormat); }

// The best hit of one URL in one check; null when it was not found.
const CheckHit* bestHit(const TermCheck& check, int url)
{
    const CheckHit* best = nullptr;
    for (const CheckHit& hit : check.hits) {
        if (hit.url == url && (!best || hit.rank < best->rank))
            best = &hit;
    }
    return best;
}

QJsonArray rowsToJson(const QList<QVariantList>& rows)
{
    QJsonArray array;
    for (const QVariantList& row : rows)
        array.append(QJsonArray::fromVariantList(row));
    return array;
}

bool rowsFromJson(const QJsonValue& value, int columns, QList<QVariantList>* rows)
{
    if (!value.isArray())
        return false;
    for (const QJsonValue& row : value.toArray()) {
        if (!row.isArray() || row.toArray().size() != columns)
            return false;
        QVariantList values;
        for (const QJsonValue& cell : row.toArray()) {
            if (cell.isNull())
                values << QVariant();
            else if (cell.isDouble() && cell.toDouble() == double(qint64(cell.toDouble())))
                values << qint64(cell.toDouble());
            else
                values << cell.toVariant();
        }
        rows->append(values);
    }
    return true;
}

// The tables a session writes, with the columns of its rows.
struct Target
{
    const char* table;
    const char* columns;
    int count;
};

constexpr Target RankTarget{"CVRank", "Project, SearchEngine, SearchTerm, URL, Rank, Page, xDate, FoundLink",
                            8};
constexpr Target HiloTarget{
    "CVHilo", "Project, xDate, URL, SearchEngine, SearchTerm, AltYesterday, AltToday, Difference", 8};
constexpr Target SummaryTarget{"Summary", "Project, xDate, Type, SearchEngine, SearchTerm, URL, Rank, Page",
                               8};
constexpr Target EngineTarget{"CVEngine", "Project, SE3Name, STName, LastRecord, Depth, Completed", 6};
constexpr Target NotableTarget{"CVNotable", "Project, xDate, xTime, Type, Subject, Content", 6};

void insertRows(Connection& connection, const Target& target, const QList<QVariantList>& rows)
{
    if (rows.isEmpty())
        return;
    const QString table = QLatin1String(target.table);
    QStringList marks;
    for (int i = 0; i < target.count; ++i)
        marks << QStringLiteral("?");
    Statement insert =
        connection.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(table, QLatin1String(target.columns), marks.join(QLatin1Char(','))),
                           table);
    for (const QVariantList& row : rows) {
        insert.bindAll(row);
        connection.run(insert, table);
    }
}

void runWith(Connection& connection, const QString& sql, const QVariantList& values, const QString& table)
{
    Statement statement = connection.prepare(sql, table);
    statement.bindAll(values);
    connection.run(statement, table);
}

} // namespace

QString PreviousSession::key(const QString& engine, const QString& term, const QString& url)
{
    return engine + QChar(0x1f) + term + QChar(0x1f) + url;
}

int PreviousSession::bestRank(const QString& engine, const QString& term, const QString& url) const
{
    return best.value(key(engine, term, url), 0);
}

PreviousSession PreviousSession::load(Database& general, const ProjectPlan& plan, const QDate& date)
{
    PreviousSession previous;
    if (plan.lastRun.isValid() && plan.lastRun < date) {
        previous.date = plan.lastRun;
    } else {
        Query last(&general,
                   QStringLiteral("SELECT MAX(xDate) AS LastDay FROM CVRank WHERE Project = ")
                       + SqlQuote::quoted(plan.name) + QStringLiteral(" AND xDate < ")
                       + SqlQuote::date(date));
        last.open();
        previous.date = QDate::fromString(last.asString(QStringLiteral("LastDay")), DateFormat);
    }
    if (!previous.date.isValid())
        return previous;

    Query ranks(&general,
                QStringLiteral("SELECT SearchEngine, SearchTerm, URL, MIN(Rank) AS Best FROM CVRank "
                               "WHERE Project = ")
                    + SqlQuote::quoted(plan.name) + QStringLiteral(" AND xDate = ")
                    + SqlQuote::date(previous.date)
                    + QStringLiteral(" GROUP BY SearchEngine, SearchTerm, URL"));
    ranks.open();
    for (ranks.first(); !ranks.eof(); ranks.next()) {
        previous.best.insert(key(ranks.asString(QStringLiteral("SearchEngine")),
                                 ranks.asString(QStringLiteral("SearchTerm")),
                                 ranks.asString(QStringLiteral("URL"))),
                             ranks.asInteger(QStringLiteral("Best")));
    }
    return previous;
}

SessionRows SessionRows::build(const ProjectPlan& plan, const QList<TermCheck>& checks, const QDate& date,
                               const PreviousSession& previous, const QDateTime& now)
{
    SessionRows rows;
    rows.project = plan.name;
    rows.date = date;
    rows.latest = !plan.lastRun.isValid() || date >= plan.lastRun;
    rows.lastRun = FieldCodec::toDayCount(QDateTime(date, now.time()));
    const QString day = dayText(date);
    const int notFound = plan.depth + 1;
    const int key = plan.keyUrlIndex();
    std::map<QString, int> termsFoundPerEngine; // SAT, in engine order of the checks
    QStringList engineOrder;

    for (const TermCheck& check : checks) {
        for (const CheckHit& hit : check.hits) {
            rows.rank.append({plan.name, check.engine, check.term, plan.urls.at(hit.url).name, hit.rank,
                              hit.page, day, plan.fullUrlData ? QVariant(hit.foundLink) : QVariant()});
        }
        rows.engine.append(
            {plan.name, check.engine, check.term, check.lastRecord, plan.depth, check.completed()});

        if (previous.date.isValid() && check.completed()) {
            for (int u = 0; u < plan.urls.size(); ++u) {
                const CheckHit* best = bestHit(check, u);
                const int today = best ? best->rank : 0;
                const int yesterday = previous.bestRank(check.engine, check.term, plan.urls.at(u).name);
                if (today == yesterday)
                    continue;
                const int difference = (yesterday ? yesterday : notFound) - (today ? today : notFound);
                rows.hilo.append({plan.name, day, plan.urls.at(u).name, check.engine, check.term, yesterday,
                                  today, difference});
            }
        }

        if (key < 0)
            continue;
        if (!engineOrder.contains(check.engine))
            engineOrder << check.engine;
        const QString keyName = plan.urls.at(key).name;
        const CheckHit* best = bestHit(check, key);
        if (!best)
            continue;
        ++termsFoundPerEngine[check.engine];
        rows.summary.append({plan.name, day, QStringLiteral("TopSE"), check.engine, check.term, keyName,
                             best->rank, best->page});
        if (!previous.date.isValid() || previous.bestRank(check.engine, check.term, keyName) == 0) {
            rows.summary.append({plan.name, day, QStringLiteral("New"), check.engine, check.term, keyName,
                                 best->rank, best->page});
        }
        for (const CheckHit& hit : check.hits) {
            if (hit.url == key && hit.page == 1) {
                rows.summary.append({plan.name, day, QStringLiteral("PR1"), check.engine, check.term, keyName,
                                     hit.rank, hit.page});
            }
        }
    }
    if (key >= 0) {
        for (const QString& engine : engineOrder) {
            const auto found = termsFoundPerEngine.find(engine);
            rows.summary.append({plan.name, day, QStringLiteral("SAT"), engine, QVariant(),
                                 plan.urls.at(key).name,
                                 found == termsFoundPerEngine.end() ? 0 : found->second, QVariant()});
        }
    }

    const QString note = optimizationNote(plan, checks);
    if (!note.isEmpty()) {
        rows.notable.append({plan.name, day, now.time().toString(QStringLiteral("hh:mm:ss")),
                             QStringLiteral("Harvester"), QStringLiteral("Optimization"), note});
    }
    return rows;
}

QString SessionRows::optimizationNote(const ProjectPlan& plan, const QList<TermCheck>& checks)
{
    // Only completed checks tell that something was not found.
    QSet<QString> termsChecked, termsHit, enginesChecked, enginesHit;
    QSet<int> urlsHit;
    bool anyCompleted = false;
    for (const TermCheck& check : checks) {
        if (check.completed()) {
            anyCompleted = true;
            termsChecked << check.term;
            enginesChecked << check.engine;
        }
        if (!check.hits.isEmpty()) {
            termsHit << check.term;
            enginesHit << check.engine;
        }
        for (const CheckHit& hit : check.hits)
            urlsHit << hit.url;
    }
    if (!anyCompleted)
        return {};

    QStringList terms, urls, engines;
    for (const QString& term : plan.terms) {
        if (termsChecked.contains(term) && !termsHit.contains(term))
            terms << term;
    }
    for (int u = 0; u < plan.urls.size(); ++u) {
        if (!urlsHit.contains(u))
            urls << plan.urls.at(u).name;
    }
    for (const EngineScript& engine : plan.engines) {
        if (enginesChecked.contains(engine.Name) && !enginesHit.contains(engine.Name))
            engines << engine.Name;
    }
    if (terms.isEmpty() && urls.isEmpty() && engines.isEmpty())
        return {};

    QStringList lines{QStringLiteral("Project: ") + plan.name};
    if (!terms.isEmpty())
        lines << QStringLiteral("Search Terms:") << terms;
    if (!urls.isEmpty())
        lines << QStringLiteral("URLs:") << urls;
    if (!engines.isEmpty())
        lines << QStringLiteral("Search Engines:") << engines;
    return lines.join(QStringLiteral("\r\n"));
}

QJsonObject SessionRows::toJson() const
{
    return {{QStringLiteral("project"), project},
            {QStringLiteral("date"), dayText(date)},
            {QStringLiteral("latest"), latest},
            {QStringLiteral("lastRun"), lastRun},
            {QLatin1String(RankTarget.table), rowsToJson(rank)},
            {QLatin1String(HiloTarget.table), rowsToJson(hilo)},
            {QLatin1String(SummaryTarget.table), rowsToJson(summary)},
            {QLatin1String(EngineTarget.table), rowsToJson(engine)},
            {QLatin1String(NotableTarget.table), rowsToJson(notable)}};
}

bool SessionRows::fromJson(const QJsonObject& json, SessionRows* rows)
{
    SessionRows read;
    read.project = json.value(QStringLiteral("project")).toString();
    read.date = QDate::fromString(json.value(QStringLiteral("date")).toString(), DateFormat);
    read.latest = json.value(QStringLiteral("latest")).toBool();
    read.lastRun = json.value(QStringLiteral("lastRun")).toDouble();
    const bool ok = !read.project.isEmpty() && read.date.isValid()
        && rowsFromJson(json.value(QLatin1String(RankTarget.table)), RankTarget.count, &read.rank)
        && rowsFromJson(json.value(QLatin1String(HiloTarget.table)), HiloTarget.count, &read.hilo)
        && rowsFromJson(json.value(QLatin1String(SummaryTarget.table)), SummaryTarget.count, &read.summary)
        && rowsFromJson(json.value(QLatin1String(EngineTarget.table)), EngineTarget.count, &read.engine)
        && rowsFromJson(json.value(QLatin1String(NotableTarget.table)), NotableTarget.count, &read.notable);
    if (ok)
        *rows = read;
    return ok;
}

void SessionRows::apply(Database& general) const
{
    const QStringList tables{QStringLiteral("CVRank"),    QStringLiteral("CVHilo"),
                             QStringLiteral("Summary"),   QStringLiteral("CVEngine"),
                             QStringLiteral("CVNotable"), QStringLiteral("CVProject")};
    const QString names = tables.join(QStringLiteral(", "));
    Connection connection;
    connection.setLockSettings(general.session().lockSettings());
    connection.attach(general, tables);
    connection.exec(QStringLiteral("BEGIN IMMEDIATE"), names);
    try {
        const QString day = dayText(date);
        const QVariantList projectDay{project, day};
        runWith(connection, QStringLiteral("DELETE FROM CVRank WHERE Project = ? AND xDate = ?"), projectDay,
                QStringLiteral("CVRank"));
        runWith(connection, QStringLiteral("DELETE FROM CVHilo WHERE Project = ? AND xDate = ?"), projectDay,
                QStringLiteral("CVHilo"));
        runWith(connection,
                QStringLiteral(
                    "DELETE FROM Summary WHERE Project = ? AND xDate = ? AND Type IN ('TopSE', 'New')"),
                projectDay, QStringLiteral("Summary"));
        if (latest) {
            runWith(connection,
                    QStringLiteral("DELETE FROM Summary WHERE Project = ? AND Type IN ('PR1', 'SAT')"),
                    {project}, QStringLiteral("Summary"));
            runWith(connection, QStringLiteral("DELETE FROM CVEngine WHERE Project = ?"), {project},
                    QStringLiteral("CVEngine"));
            runWith(connection,
                    QStringLiteral("DELETE FROM CVNotable WHERE Project = ? AND Subject = 'Optimization'"),
                    {project}, QStringLiteral("CVNotable"));
            runWith(connection, QStringLiteral("UPDATE CVProject SET LastRun = ? WHERE Name = ?"),
                    {lastRun, project}, QStringLiteral("CVProject"));
        }
        insertRows(connection, RankTarget, rank);
        insertRows(connection, HiloTarget, hilo);
        QList<QVariantList> summaryRows = summary;
        if (!latest) {
            summaryRows.removeIf([](const QVariantList& row) {
                const QString type = row.at(2).toString();
                return type == QLatin1String("PR1") || type == QLatin1String("SAT");
            });
        }
        insertRows(connection, SummaryTarget, summaryRows);
        if (latest) {
            insertRows(connection, EngineTarget, engine);
            insertRows(connection, NotableTarget, notable);
        }
        connection.exec(QStringLiteral("COMMIT"), names);
    } catch (...) {
        // A failed statement may have ended the transaction already.
        try {
            connection.exec(QStringLiteral("ROLLBACK"), names);
        } catch (const DatabaseError&) {
        }
        throw;
    }
}

} // namespace corvane
