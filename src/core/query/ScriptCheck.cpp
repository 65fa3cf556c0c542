#include "core/query/ScriptCheck.h"

#include "core/data/Connection.h"
#include "core/data/Dataset.h"
#include "core/data/FieldCodec.h"
#include "core/data/Schema.h"
#include "core/data/TableFile.h"

#include <sqlite3.h>

namespace corvane::ScriptCheck {

QString statement(bool belowDepth, bool unique)
{
    if (unique)
        return belowDepth
            ? QStringLiteral("SELECT DISTINCT Completed, SE3Name, STName, Min(LastRecord) LastRecord "
                             "FROM CVEngine WHERE LastRecord < Depth GROUP BY SE3Name ORDER BY "
                             "LastRecord")
            : QStringLiteral("SELECT DISTINCT Completed, SE3Name, STName, Min(LastRecord) LastRecord "
                             "FROM CVEngine GROUP BY SE3Name ORDER BY LastRecord");
    return belowDepth ? QStringLiteral("SELECT * FROM CVEngine WHERE LastRecord < Depth ORDER BY LastRecord")
                      : QStringLiteral("SELECT * FROM CVEngine ORDER BY LastRecord");
}

namespace {

const QString EngineTable = QStringLiteral("CVEngine");

} // namespace

QString viewStatement(Database& general, bool belowDepth, bool unique)
{
    if (!unique)
        return statement(belowDepth, false);

    // GROUP BY SE3Name with Min(LastRecord) reads every row; the engines are
    // few, so each one's lowest row is found by two seeks in EngineNameidx.
    Connection connection;
    connection.setLockSettings(general.session().lockSettings());
    connection.open();
    connection.attach(general, EngineTable);
    Statement nextEngine = connection.prepare(
        QStringLiteral("SELECT min(SE3Name) FROM CVEngine WHERE SE3Name > ?1"), EngineTable);
    const QString below = belowDepth ? QStringLiteral(" AND LastRecord < Depth") : QString();
    // Min() passes over NULLs: the lowest row with a LastRecord; an engine
    // whose rows have none is shown with its first row in index order. Each
    // order is the index's own, so LIMIT 1 stops at the first entry.
    const QString order = QStringLiteral(" ORDER BY LastRecord, Depth, rowid LIMIT 1");
    const auto prepare = [&connection](const QString& sql) { return connection.prepare(sql, EngineTable); };
    Statement lowest =
        prepare(QStringLiteral("SELECT rowid FROM CVEngine WHERE SE3Name = ?1 AND LastRecord IS NOT NULL")
                + below + order);
    Statement anyRow = prepare(QStringLiteral("SELECT rowid FROM CVEngine WHERE SE3Name = ?1") + order);
    Statement lowestUnnamed =
        prepare(QStringLiteral("SELECT rowid FROM CVEngine WHERE SE3Name IS NULL AND LastRecord IS NOT NULL")
                + below + order);
    Statement anyUnnamed =
        prepare(QStringLiteral("SELECT rowid FROM CVEngine WHERE SE3Name IS NULL") + order);

    QStringList rowids;
    const auto take = [&rowids, belowDepth](Statement& find, Statement& fallback, const QVariant& name) {
        for (Statement* statement : {&find, &fallback}) {
            if (name.isValid())
                statement->bind(1, name);
            const bool found = statement->step() == SQLITE_ROW;
            if (found)
                rowids << QString::number(statement->columnInt64(0));
            statement->reset();
            // Below depth, a row without a LastRecord is never shown.
            if (found || belowDepth)
                return;
        }
    };
    take(lowestUnnamed, anyUnnamed, QVariant());
    QVariant name = QStringLiteral(""); // "" sorts before every other text
    for (;;) {
        nextEngine.bind(1, name);
        const int rc = nextEngine.step();
        if (rc != SQLITE_ROW)
            connection.fail(rc, EngineTable);
        name = nextEngine.column(0);
        nextEngine.reset();
        if (!name.isValid())
            break;
        take(lowest, anyRow, name);
    }
    take(lowest, anyRow, QStringLiteral("")); // "" is not greater than itself

    const QString chosen = rowids.isEmpty()
        ? QStringLiteral("0 = 1")
        : QStringLiteral("rowid IN (") + rowids.join(QLatin1Char(',')) + QLatin1Char(')');
    return QStringLiteral("SELECT Completed, SE3Name, STName, LastRecord FROM CVEngine WHERE ") + chosen
        + QStringLiteral(" ORDER BY LastRecord, SE3Name");
}

void addMissingIndexes(Database& general)
{
    const TableDef* def = Schema::table(EngineTable);
    if (!def || !general.tableExists(EngineTable))
        return;
    Connection connection;
    connection.setLockSettings(general.session().lockSettings());
    connection.open();
    const QString schema = connection.attach(general, EngineTable);
    Statement exists =
        connection.prepare(QStringLiteral("SELECT 1 FROM ") + Connection::quoteName(schema)
                               + QStringLiteral(".sqlite_master WHERE type = 'index' AND name = ?1 "
                                                "COLLATE NOCASE"),
                           EngineTable);
    for (const IndexDef& index : def->indexes) {
        exists.bind(1, index.name);
        const bool present = exists.step() == SQLITE_ROW;
        exists.reset();
        if (!present)
            connection.exec(TableFile::createIndexSql(*def, index, schema), EngineTable);
    }
}

const QStringList& headings()
{
    static const QStringList list{QStringLiteral("Completed"), QStringLiteral("Search Engine"),
                                  QStringLiteral("Search Term"), QStringLiteral("Last Record")};
    return list;
}

QString countText(int count) { return QStringLiteral("Showing %1 records").arg(count); }

QDate lastRun(Database& general)
{
    Query query(&general, QStringLiteral("SELECT Max(LastRun) AS LastRun FROM CVProject"));
    query.open();
    const QVariant value = query.value(QStringLiteral("LastRun"));
    if (!value.isValid() || value.toDouble() < 1.0)
        return {};
    return FieldCodec::fromDayCount(value.toDouble()).date();
}

} // namespace corvane::ScriptCheck
