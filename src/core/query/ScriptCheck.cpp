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
    // Min() passes over NULLs: a row with a LastRecord comes first; an engine
    // whose rows have none is shown with its first row (not below any depth).
    const QString order = QStringLiteral(" ORDER BY LastRecord IS NULL, LastRecord, Depth, rowid LIMIT 1");
    Statement lowest = connection.prepare(
        QStringLiteral("SELECT rowid FROM CVEngine WHERE SE3Name = ?1") + below + order, EngineTable);
    Statement lowestUnnamed = connection.prepare(
        QStringLiteral("SELECT rowid FROM CVEngine WHERE SE3Name IS NULL") + below + order, EngineTable);

    QStringList rowids;
    const auto take = [&rowids](Statement& find) {
        if (find.step() == SQLITE_ROW)
            rowids << QString::number(find.columnInt64(0));
        find.reset();
    };
    take(lowestUnnamed);
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
        lowest.bind(1, name);
        take(lowest);
    }
    Statement emptyName = connection.prepare(
        QStringLiteral("SELECT rowid FROM CVEngine WHERE SE3Name = ''") + below + order, EngineTable);
    take(emptyName);

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
