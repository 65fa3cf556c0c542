#include "core/data/QueryRows.h"

#include "core/data/ColumnReader.h"
#include "core/data/DatabaseError.h"
#include "core/data/FieldCodec.h"
#include "core/data/TableDatabase.h"
#include "core/data/TableFile.h"

#include <QRegularExpression>
#include <QScopeGuard>

#include <algorithm>
#include <optional>
#include <sqlite3.h>

namespace corvane {

namespace {

QString q(const QString& name) { return Connection::quoteName(name); }

// About as many virtual machine steps as a scan spends on one row of a table
// (measured on scans, groupings and sorts of the rank table).
constexpr qint64 StepsPerRow = 16;

QString column(int i) { return QStringLiteral("c%1").arg(i); }

// Reports a statement's progress as a percentage: 0 first, then a share of
// an estimate of the virtual machine steps it takes (from the row counts of
// the tables it reads), never above 99 until it has run, and 100 at the end.
class ProgressMeter
{
public:
    ProgressMeter(Connection& connection, const std::function<void(int)>& report, qint64 estimatedSteps)
        : m_connection(connection)
        , m_report(report)
        , m_estimate(qMax<qint64>(estimatedSteps, 1))
    {
        if (!m_report)
            return;
        m_report(0);
        m_connection.setProgressHandler([this] {
            m_steps += 1000;
            const int percent = int(qMin<qint64>(99, m_steps * 100 / m_estimate));
            if (percent > m_last) {
                m_last = percent;
                m_report(percent);
            }
        });
    }
    ~ProgressMeter()
    {
        if (!m_report)
            return;
        m_connection.setProgressHandler({});
        m_report(100);
    }
    ProgressMeter(const ProgressMeter&) = delete;
    ProgressMeter& operator=(const ProgressMeter&) = delete;

private:
    Connection& m_connection;
    const std::function<void(int)>& m_report;
    qint64 m_estimate;
    qint64 m_steps = 0;
    int m_last = 0;
};

// The statement text with its string literals and quoted names blanked, upper-cased.
QString skeleton(const QString& sql)
{
    QString result;
    result.reserve(sql.size());
    QChar quote;
    for (const QChar c : sql) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            result += QLatin1Char(' ');
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[')
                   || c == QLatin1Char('`')) {
            quote = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            result += QLatin1Char(' ');
        } else {
            result += c.toUpper();
        }
    }
    return result.simplified();
}

// The parts of a plain "SELECT list FROM from rest" statement, found at the
// top level (outside brackets, strings and quoted names); nothing when the
// text is not of that form or holds a comment.
struct SelectParts
{
    QString list;
    QString from;
    QString rest; // WHERE, ORDER BY, LIMIT ... as written; may be empty
};

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

bool wordAt(const QString& sql, qsizetype at, QLatin1String word)
{
    const qsizetype end = at + word.size();
    if (end > sql.size() || (at > 0 && isWordChar(sql.at(at - 1))))
        return false;
    if (QStringView(sql).mid(at, word.size()).compare(word, Qt::CaseInsensitive) != 0)
        return false;
    return end == sql.size() || !isWordChar(sql.at(end));
}

// Walks sql outside strings, quoted names and bracketed names, keeping count
// of round brackets: visit(i, depth) sees every other character and may move i
// on; it returns false to stop. Returns whether the walk ended outside quotes
// and brackets.
template <typename Visit>
bool scanTopLevel(const QString& sql, Visit visit)
{
    int depth = 0;
    QChar quote;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
            quote = c;
        } else if (c == QLatin1Char('[')) {
            quote = QLatin1Char(']');
        } else if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            --depth;
        } else if (!visit(i, depth)) {
            break;
        }
    }
    return quote.isNull() && depth == 0;
}

std::optional<SelectParts> selectParts(const QString& sql)
{
    static const QLatin1String restWords[] = {QLatin1String("WHERE"),  QLatin1String("ORDER"),
                                              QLatin1String("LIMIT"),  QLatin1String("GROUP"),
                                              QLatin1String("HAVING"), QLatin1String("WINDOW")};
    qsizetype listAt = -1;
    qsizetype fromAt = -1;
    qsizetype restAt = -1;
    bool refused = false;
    const bool balanced = scanTopLevel(sql, [&](qsizetype& i, int depth) {
        const QChar c = sql.at(i);
        const QChar next = i + 1 < sql.size() ? sql.at(i + 1) : QChar();
        if ((c == QLatin1Char('-') && next == QLatin1Char('-'))
            || (c == QLatin1Char('/') && next == QLatin1Char('*'))) {
            refused = true;
            return false;
        }
        if (depth != 0)
            return true;
        if (listAt < 0) {
            if (!wordAt(sql, i, QLatin1String("SELECT"))) {
                refused = true;
                return false;
            }
            listAt = i + 6;
            i += 5;
        } else if (fromAt < 0) {
            if (wordAt(sql, i, QLatin1String("FROM"))) {
                fromAt = i;
                i += 3;
            }
        } else {
            for (const QLatin1String& word : restWords)
                if (wordAt(sql, i, word))
                    restAt = i;
        }
        return restAt < 0;
    });
    if (refused || !balanced || listAt < 0 || fromAt < 0)
        return std::nullopt;
    if (restAt < 0)
        restAt = sql.size();
    return SelectParts{sql.mid(listAt, fromAt - listAt).trimmed(),
                       sql.mid(fromAt + 4, restAt - fromAt - 4).trimmed(), sql.mid(restAt).trimmed()};
}

// Where word first stands at the top level of sql (outside brackets, strings
// and quoted names), or -1.
qsizetype topLevelWord(const QString& sql, QLatin1String word)
{
    qsizetype at = -1;
    scanTopLevel(sql, [&](qsizetype i, int depth) {
        if (depth == 0 && wordAt(sql, i, word))
            at = i;
        return at < 0;
    });
    return at;
}

QString withoutTrailingSemicolons(QString sql)
{
    sql = sql.trimmed();
    while (sql.endsWith(QLatin1Char(';')))
        sql = sql.left(sql.size() - 1).trimmed();
    return sql;
}

} // namespace

QString QueryRows::tableName() const { return m_translated.tables.join(QLatin1String(", ")); }

bool QueryRows::returnsRows()
{
    if (!m_translatedValid || m_translatedFrom != sql) {
        m_translated = translateSql(sql);
        m_translated.sql = withoutTrailingSemicolons(m_translated.sql);
        m_translatedFrom = sql;
        m_translatedValid = true;
    }
    return m_translated.isSelect;
}

void QueryRows::attachTables(Database& database, const QStringList& skip)
{
    m_connection.setLockSettings(database.session().lockSettings());
    QStringList names;
    for (const QString& name : m_translated.tables) {
        if (!skip.contains(name, Qt::CaseInsensitive))
            names << name;
    }
    m_connection.open();
    m_connection.attach(database, names);
}

bool QueryRows::isSimpleSelect() const
{
    if (m_translated.tables.size() != 1)
        return false;
    const QString text = skeleton(m_translated.sql);
    if (!text.startsWith(QLatin1String("SELECT ")))
        return false;
    static const QLatin1String blockers[] = {
        QLatin1String(" DISTINCT "), QLatin1String(" GROUP BY "),    QLatin1String(" UNION "),
        QLatin1String(" JOIN "),     QLatin1String(" INTERSECT "),   QLatin1String(" EXCEPT "),
        QLatin1String("COUNT("),     QLatin1String("SUM("),          QLatin1String("AVG("),
        QLatin1String("TOTAL("),     QLatin1String("GROUP_CONCAT("), QLatin1String(" HAVING ")};
    const QString selectList = text.section(QLatin1String(" FROM "), 0, 0);
    for (const QLatin1String& blocker : blockers) {
        if (text.contains(blocker) && (blocker.front() == QLatin1Char(' ') || selectList.contains(blocker)))
            return false;
    }
    return !selectList.contains(QLatin1String("MIN(")) && !selectList.contains(QLatin1String("MAX("));
}

qint64 QueryRows::materialise(const QString& table, const QString& selectSql, int columns, bool withBase,
                              Database& database)
{
    m_connection.exec(QStringLiteral("DROP TABLE IF EXISTS main.") + table);
    QStringList names{QStringLiteral("cv_base")};
    QStringList targets;
    if (withBase)
        targets << QStringLiteral("cv_base");
    for (int i = 0; i < columns; ++i) {
        names << column(i);
        targets << column(i);
    }
    m_connection.exec(QStringLiteral("CREATE TABLE main.") + table + QLatin1Char('(')
                      + names.join(QLatin1String(", ")) + QLatin1Char(')'));

    const qint64 estimate = rowEstimate();
    Q_UNUSED(database);

    Statement insert =
        m_connection.prepare(QStringLiteral("INSERT INTO main.") + table + QLatin1Char('(')
                                 + targets.join(QLatin1String(", ")) + QStringLiteral(") ") + selectSql,
                             tableName());
    ProgressMeter meter(m_connection, m_progress, estimate * StepsPerRow);
    return m_connection.run(insert, tableName());
}

Statement QueryRows::keyCollecting(const QString& from, const QString& rest)
{
    // Only "[WHERE condition] [ORDER BY terms]" with no subquery: a LIMIT
    // counts returned rows, and this statement returns none.
    static const QLatin1String others[] = {QLatin1String("LIMIT"), QLatin1String("OFFSET"),
                                           QLatin1String("GROUP"), QLatin1String("HAVING"),
                                           QLatin1String("WINDOW")};
    for (const QLatin1String& word : others)
        if (topLevelWord(rest, word) >= 0)
            return {};
    if (skeleton(rest).contains(QLatin1String("SELECT")))
        return {};
    const qsizetype where = topLevelWord(rest, QLatin1String("WHERE"));
    const qsizetype order = topLevelWord(rest, QLatin1String("ORDER"));
    if (where > 0 || (where < 0 && order != 0 && !rest.isEmpty()) || (where == 0 && order == 0))
        return {};
    const QString condition =
        where == 0 ? rest.mid(5, (order < 0 ? rest.size() : order) - 5).trimmed() : QString();
    const QString orderBy = order >= 0 ? rest.mid(order) : QString();
    const auto planOf = [this](const QString& statement) {
        QStringList details;
        Statement plan = m_connection.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + statement, tableName());
        while (plan.step() == SQLITE_ROW)
            details << plan.column(3).toString();
        return details;
    };
    // The key is taken only where the whole condition holds: inside a CASE,
    // SQLite cannot test it before the condition's own terms. Where the
    // condition needs its own term to keep its index, it is tested twice.
    const QString collect = QLatin1String(KeyCollector::FunctionName) + QStringLiteral("(rowid)");
    const QString tail = orderBy.isEmpty() ? QString() : QLatin1Char(' ') + orderBy;
    const QString head = QStringLiteral("SELECT rowid FROM ") + from + QStringLiteral(" WHERE ");
    QStringList candidates;
    if (condition.isEmpty()) {
        candidates << head + collect + tail;
    } else {
        const QString guarded = QStringLiteral("CASE WHEN (") + condition + QStringLiteral(") THEN ")
            + collect + QStringLiteral(" END");
        candidates << head + guarded + tail
                   << head + QLatin1Char('(') + condition + QStringLiteral(") AND ") + guarded + tail;
    }
    Statement collecting;
    try {
        // Rows are passed in result order only when the statement runs the
        // plain statement's plan and no sorting step comes between the scan
        // and the result.
        const QStringList plain =
            planOf(QStringLiteral("SELECT rowid FROM ") + from + QLatin1Char(' ') + rest);
        for (const QString& candidate : candidates) {
            const QStringList plan = planOf(candidate);
            if (plan == plain && !plan.join(QLatin1Char('\n')).contains(QLatin1String("TEMP B-TREE"))) {
                collecting = m_connection.prepare(candidate, tableName());
                break;
            }
        }
    } catch (const DatabaseError&) {
        return {};
    }
    return collecting;
}

void QueryRows::collectKeys(size_t rows)
{
    const size_t target = rows == 0 ? SIZE_MAX : keys.size() + rows;
    int rc = SQLITE_ROW;
    if (m_collectInOneStep) {
        // Answers a row only to pause at the target.
        KeyCollector collector(keys, target);
        rc = m_collect.step();
    } else {
        while (keys.size() < target && (rc = m_collect.step()) == SQLITE_ROW)
            keys.push_back(m_collect.columnInt64(0));
    }
    if (rc == SQLITE_ROW)
        return;
    m_collect = Statement();
    if (rc != SQLITE_DONE)
        m_connection.fail(rc, tableName());
}

void QueryRows::collectMore()
{
    if (!m_collect.isNull())
        collectKeys(ChunkRows);
}

bool QueryRows::openByRowid(Statement& probe, const QList<std::optional<FieldDef>>& declared)
{
    if (!isSimpleSelect())
        return false;
    // Rows read again one by one must come out as they came out of the whole
    // statement: no window functions, nothing random, one table once.
    const QString text = skeleton(m_translated.sql);
    static const QRegularExpression perResult(
        QStringLiteral("\\b(OVER|RANDOM|RANDOMBLOB|LAST_INSERT_ROWID)\\b"));
    if (text.contains(perResult))
        return false;
    const std::optional<SelectParts> parts = selectParts(m_translated.sql);
    if (!parts || parts->list.isEmpty() || skeleton(parts->from).contains(QLatin1Char(',')))
        return false;
    // The rest must mean the same without the select list: no term that names
    // a result column by its alias or expression, no ORDER BY by position.
    const QString rest = skeleton(parts->rest);
    for (int i = 0; i < probe.columnCount(); ++i) {
        const QString name = probe.columnName(i);
        if (probe.columnOriginName(i).compare(name, Qt::CaseInsensitive) == 0)
            continue;
        const QRegularExpression named(QStringLiteral("(^|[^A-Z0-9_])")
                                       + QRegularExpression::escape(name.toUpper())
                                       + QStringLiteral("($|[^A-Z0-9_])"));
        if (rest.contains(named))
            return false;
    }
    static const QRegularExpression byPosition(
        QStringLiteral("(ORDER BY|,) ?[0-9]+ ?(ASC|DESC|COLLATE|,|LIMIT|$)"));
    if (rest.contains(byPosition))
        return false;

    Statement select;
    Statement fetchRow;
    try {
        select = m_connection.prepare(
            QStringLiteral("SELECT rowid FROM ") + parts->from + QLatin1Char(' ') + parts->rest, tableName());
        fetchRow = m_connection.prepare(QStringLiteral("SELECT ") + parts->list + QStringLiteral(" FROM ")
                                            + parts->from + QStringLiteral(" WHERE rowid = ?1"),
                                        tableName());
    } catch (const DatabaseError&) {
        return false; // e.g. a view or a table without rowids: the whole result is copied instead
    }
    if (fetchRow.columnCount() != probe.columnCount())
        return false;

    keys.clear();
    {
        const qint64 estimate = rowEstimate();
        // Room for every row of the table at once, rather than growing step by step.
        keys.reserve(size_t(qBound<qint64>(0, estimate, qint64(1) << 26)));
        ProgressMeter meter(m_connection, m_progress, estimate * StepsPerRow);
        m_collect = keyCollecting(parts->from, parts->rest);
        m_collectInOneStep = !m_collect.isNull();
        if (!m_collectInOneStep)
            m_collect = std::move(select);
        try {
            collectKeys(inChunks ? FirstChunkRows : 0);
        } catch (const DatabaseError&) {
            m_collect = Statement();
            keys.clear();
            throw;
        }
    }
    select = Statement();

    // Expressions are typed from their first value that is not NULL.
    fields.clear();
    const size_t sampled = std::min<size_t>(keys.size(), 64);
    for (int i = 0; i < probe.columnCount(); ++i) {
        if (declared.at(i)) {
            fields << *declared.at(i);
            continue;
        }
        int storage = SQLITE_NULL;
        for (size_t k = 0; k < sampled && storage == SQLITE_NULL; ++k) {
            fetchRow.bind(1, keys.at(k));
            if (fetchRow.step() == SQLITE_ROW)
                storage = fetchRow.columnType(i);
            fetchRow.reset();
        }
        fields << FieldCodec::fieldFromStorageClass(probe.columnName(i), storage);
    }
    m_fetch = std::move(fetchRow);
    m_byRowid = true;
    return true;
}

QList<FieldDef> QueryRows::describe(Statement& probe, const QString& table)
{
    QList<FieldDef> result;
    const int count = probe.columnCount();
    for (int i = 0; i < count; ++i) {
        const QString name = probe.columnName(i);
        const QString declared = probe.columnDeclType(i);
        if (!declared.isEmpty()) {
            result << FieldCodec::fieldFromDeclared(name, declared);
            continue;
        }
        Statement kind = m_connection.prepare(
            QStringLiteral("SELECT typeof(") + column(i) + QStringLiteral(") FROM main.") + table
            + QStringLiteral(" WHERE ") + column(i) + QStringLiteral(" IS NOT NULL LIMIT 1"));
        int storage = SQLITE_NULL;
        if (kind.step() == SQLITE_ROW) {
            const QString type = kind.column(0).toString();
            storage = type == QLatin1String("integer") ? SQLITE_INTEGER
                : type == QLatin1String("real")        ? SQLITE_FLOAT
                : type == QLatin1String("blob")        ? SQLITE_BLOB
                                                       : SQLITE_TEXT;
        }
        result << FieldCodec::fieldFromStorageClass(name, storage);
    }
    return result;
}

void QueryRows::open(Database& database)
{
    returnsRows();
    attachTables(database);
    m_writable = false;
    m_origins.clear();
    m_baseTable.clear();
    m_baseSchema.clear();

    // Opening the same statement again reuses its prepared form.
    if (m_probe.isNull() || m_probeSql != m_translated.sql
        || m_probeGeneration != m_connection.generation()) {
        m_probe = Statement();
        m_probe = m_connection.prepare(m_translated.sql, tableName());
        m_probeSql = m_translated.sql;
        m_probeGeneration = m_connection.generation();
    }
    Statement& probe = m_probe;
    // Reset when done, whatever happens, so no read stays open on the tables.
    const auto release = qScopeGuard([&probe] { probe.reset(); });
    const int columns = probe.columnCount();

    QString selectSql = m_translated.sql;
    const bool writable = live && isSimpleSelect();
    if (writable) {
        // The rowid of the source row rides along in cv_base.
        const int start = int(selectSql.indexOf(QLatin1String("SELECT"), 0, Qt::CaseInsensitive));
        selectSql = selectSql.left(start + 6) + QStringLiteral(" rowid,") + selectSql.mid(start + 6);
        m_baseTable = m_connection.attachedName(m_translated.tables.first());
        m_baseSchema = m_connection.schemaOf(m_translated.tables.first());
        for (int i = 0; i < columns; ++i) {
            const bool ours = probe.columnTableName(i).compare(m_baseTable, Qt::CaseInsensitive) == 0;
            m_origins << (ours ? probe.columnOriginName(i) : QString());
        }
    }

    m_values.clear();
    m_columns = columns;
    m_inMemory = false;
    m_byRowid = false;
    if (!writable) {
        bool fits = true;
        // Columns read straight from a table carry their declared type;
        // the others (expressions) are typed from their first value.
        QList<std::optional<FieldDef>> declared;
        std::vector<std::optional<FieldType>> types;
        for (int i = 0; i < columns; ++i) {
            const QString declaredType = probe.columnDeclType(i);
            if (declaredType.isEmpty()) {
                declared << std::nullopt;
                types.push_back(std::nullopt);
            } else {
                declared << FieldCodec::fieldFromDeclared(probe.columnName(i), declaredType);
                types.push_back(declared.last()->type);
            }
        }
        if (onDemand && openByRowid(probe, declared))
            return;
        {
            ProgressMeter meter(m_connection, m_progress, m_progress ? rowEstimate() * 40 : 0);
            int rc = SQLITE_ROW;
            // The same statement opened again meets the same texts.
            if (!m_reader || m_readerSql != m_translated.sql || m_reader->types() != types) {
                m_reader.emplace(types);
                m_readerSql = m_translated.sql;
            }
            ColumnReader& reader = *m_reader;
            while ((rc = probe.step()) == SQLITE_ROW) {
                if (rowCount() >= InMemoryRows) {
                    fits = false;
                    break;
                }
                for (int i = 0; i < columns; ++i)
                    reader.appendTo(m_values, probe.handle(), i);
            }
            if (fits && rc != SQLITE_DONE)
                m_connection.fail(rc, tableName());
        }
        if (fits) {
            fields.clear();
            for (int i = 0; i < columns; ++i) {
                if (declared.at(i)) {
                    fields << *declared.at(i);
                    continue;
                }
                const QString name = probe.columnName(i);
                int storage = SQLITE_NULL;
                for (size_t r = 0; r < rowCount(); ++r) {
                    const QVariant& v = m_values.at(qsizetype(r) * columns + i);
                    if (!v.isValid())
                        continue;
                    storage = v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int
                        ? SQLITE_INTEGER
                        : v.typeId() == QMetaType::Double     ? SQLITE_FLOAT
                        : v.typeId() == QMetaType::QByteArray ? SQLITE_BLOB
                                                              : SQLITE_TEXT;
                    break;
                }
                fields << FieldCodec::fieldFromStorageClass(name, storage);
            }
            keys.clear();
            keys.reserve(rowCount());
            for (size_t key = 1; key <= rowCount(); ++key)
                keys.push_back(qint64(key));
            m_fetch = Statement();
            m_inMemory = true;
            return;
        }
        // Too many rows to keep as values: run it again into cv_result.
        m_values.clear();
        probe.reset();
    }

    const qint64 count = materialise(QStringLiteral("cv_result"), selectSql, columns, writable, database);
    fields = describe(probe, QStringLiteral("cv_result"));
    m_writable = writable;

    keys.clear();
    keys.reserve(size_t(count));
    for (qint64 key = 1; key <= count; ++key)
        keys.push_back(key);

    QStringList names;
    for (int i = 0; i < columns; ++i)
        names << column(i);
    m_fetch =
        m_connection.prepare(QStringLiteral("SELECT ")
                             + (names.isEmpty() ? QStringLiteral("NULL") : names.join(QLatin1String(", ")))
                             + QStringLiteral(" FROM main.cv_result WHERE rowid = ?1"));
}

void QueryRows::close()
{
    m_collect = Statement();
    m_fetch = Statement();
    keys.clear();
    keys.shrink_to_fit();
    fields.clear();
    m_writable = false;
    // A small result's buffer is kept for the next open: the dashboard and
    // the views open the same queries again and again.
    if (m_values.capacity() <= RetainedValues)
        m_values.clear();
    else
        m_values = QVariantList();
    const bool materialised = !m_inMemory && !m_byRowid;
    m_inMemory = false;
    m_byRowid = false;
    if (materialised && m_connection.isOpen())
        m_connection.exec(QStringLiteral("DROP TABLE IF EXISTS main.cv_result"));
}

QVariantList QueryRows::fetch(qint64 key)
{
    if (m_inMemory) {
        const QVariant* values = valuesAt(key);
        return values ? QVariantList(values, values + m_columns) : QVariantList();
    }
    m_fetch.bind(1, key);
    QVariantList row;
    const int rc = m_fetch.step();
    if (rc == SQLITE_ROW) {
        row.reserve(fields.size());
        for (int i = 0; i < fields.size(); ++i)
            row << m_fetch.column(i);
    }
    m_fetch.reset();
    return row;
}

const QVariant* QueryRows::valuesAt(qint64 key)
{
    if (!m_inMemory || key < 1 || size_t(key) > rowCount())
        return nullptr;
    return m_values.constData() + size_t(key - 1) * size_t(m_columns);
}

qint64 QueryRows::baseKey(qint64 key)
{
    Statement statement =
        m_connection.prepare(QStringLiteral("SELECT cv_base FROM main.cv_result WHERE rowid = ?1"));
    statement.bind(1, key);
    return statement.step() == SQLITE_ROW ? statement.columnInt64(0) : -1;
}

int QueryRows::update(int position, const QVariantList& stored, const QList<bool>& assigned)
{
    const qint64 key = keys.at(size_t(position));
    QStringList baseSets;
    QStringList resultSets;
    QVariantList baseBinds;
    QVariantList resultBinds;
    for (int i = 0; i < fields.size(); ++i) {
        if (!assigned.value(i))
            continue;
        resultSets << column(i) + QStringLiteral(" = ?");
        resultBinds << stored.value(i);
        if (!m_origins.value(i).isEmpty()) {
            baseSets << q(m_origins.at(i)) + QStringLiteral(" = ?");
            baseBinds << stored.value(i);
        }
    }
    if (!baseSets.isEmpty()) {
        baseBinds << baseKey(key);
        Statement statement = m_connection.prepare(
            QStringLiteral("UPDATE ") + q(m_baseSchema) + QLatin1Char('.') + q(m_baseTable)
                + QStringLiteral(" SET ") + baseSets.join(QLatin1String(", "))
                + QStringLiteral(" WHERE rowid = ?"),
            m_baseTable);
        statement.bindAll(baseBinds);
        if (m_connection.run(statement, m_baseTable) == 0) {
            throw DatabaseError(
                DatabaseError::General,
                QStringLiteral("The record of table \"%1\" was deleted by another user.").arg(m_baseTable),
                m_baseTable);
        }
    }
    if (!resultSets.isEmpty()) {
        resultBinds << key;
        Statement statement =
            m_connection.prepare(QStringLiteral("UPDATE main.cv_result SET ")
                                 + resultSets.join(QLatin1String(", ")) + QStringLiteral(" WHERE rowid = ?"));
        statement.bindAll(resultBinds);
        m_connection.run(statement);
    }
    return position;
}

int QueryRows::insert(const QVariantList& stored, const QList<bool>& assigned)
{
    QStringList columns;
    QStringList marks;
    QVariantList binds;
    for (int i = 0; i < fields.size(); ++i) {
        if (!assigned.value(i) || m_origins.value(i).isEmpty())
            continue;
        columns << q(m_origins.at(i));
        marks << QStringLiteral("?");
        binds << stored.value(i);
    }
    const QString table = q(m_baseSchema) + QLatin1Char('.') + q(m_baseTable);
    QString text = QStringLiteral("INSERT INTO ") + table;
    if (columns.isEmpty())
        text += QStringLiteral(" DEFAULT VALUES");
    else
        text += QStringLiteral(" (") + columns.join(QLatin1String(", ")) + QStringLiteral(") VALUES (")
            + marks.join(QLatin1String(", ")) + QLatin1Char(')');
    Statement statement = m_connection.prepare(text, m_baseTable);
    statement.bindAll(binds);
    m_connection.run(statement, m_baseTable);
    const qint64 base = m_connection.lastInsertRowId();

    // The new row as the table holds it (defaults and counters filled in).
    QVariantList row = stored;
    QStringList origins;
    QList<int> originFields;
    for (int i = 0; i < fields.size(); ++i) {
        if (!m_origins.value(i).isEmpty()) {
            origins << q(m_origins.at(i));
            originFields << i;
        }
    }
    if (!origins.isEmpty()) {
        Statement read =
            m_connection.prepare(QStringLiteral("SELECT ") + origins.join(QLatin1String(", "))
                                     + QStringLiteral(" FROM ") + table + QStringLiteral(" WHERE rowid = ?1"),
                                 m_baseTable);
        read.bind(1, base);
        if (read.step() == SQLITE_ROW) {
            for (int j = 0; j < originFields.size(); ++j)
                row[originFields.at(j)] = read.column(j);
        }
    }
    QStringList targets{QStringLiteral("cv_base")};
    QStringList resultMarks{QStringLiteral("?")};
    QVariantList resultBinds{base};
    for (int i = 0; i < fields.size(); ++i) {
        targets << column(i);
        resultMarks << QStringLiteral("?");
        resultBinds << row.value(i);
    }
    Statement add = m_connection.prepare(QStringLiteral("INSERT INTO main.cv_result (")
                                         + targets.join(QLatin1String(", ")) + QStringLiteral(") VALUES (")
                                         + resultMarks.join(QLatin1String(", ")) + QLatin1Char(')'));
    add.bindAll(resultBinds);
    m_connection.run(add);
    keys.push_back(m_connection.lastInsertRowId());
    return int(keys.size()) - 1;
}

void QueryRows::remove(int position)
{
    const qint64 key = keys.at(size_t(position));
    Statement statement =
        m_connection.prepare(QStringLiteral("DELETE FROM ") + q(m_baseSchema) + QLatin1Char('.')
                                 + q(m_baseTable) + QStringLiteral(" WHERE rowid = ?1"),
                             m_baseTable);
    statement.bind(1, baseKey(key));
    m_connection.run(statement, m_baseTable);
    Statement drop = m_connection.prepare(QStringLiteral("DELETE FROM main.cv_result WHERE rowid = ?1"));
    drop.bind(1, key);
    m_connection.run(drop);
    keys.erase(keys.begin() + position);
}

qint64 QueryRows::rowEstimate()
{
    qint64 estimate = 0;
    for (const QString& name : m_translated.tables)
        estimate += m_connection.rowEstimate(name);
    return estimate;
}

qint64 QueryRows::exec(Database& database)
{
    returnsRows();
    if (!m_translated.intoTable.isEmpty())
        return selectInto(database);
    attachTables(database);

    ProgressMeter meter(m_connection, m_progress, rowEstimate() * StepsPerRow);

    // The text may hold several statements; each runs in turn.
    const QByteArray utf8 = m_translated.sql.toUtf8();
    const char* tail = utf8.constData();
    const char* end = tail + utf8.size();
    qint64 changed = 0;
    while (tail < end) {
        sqlite3_stmt* raw = nullptr;
        const char* next = nullptr;
        const int rc = sqlite3_prepare_v2(m_connection.handle(), tail, int(end - tail), &raw, &next);
        if (rc != SQLITE_OK) {
            sqlite3_finalize(raw);
            m_connection.fail(rc, tableName());
        }
        tail = next;
        if (!raw)
            continue;
        Statement statement(raw);
        changed += m_connection.run(statement, tableName());
    }
    return changed;
}

qint64 QueryRows::selectInto(Database& database)
{
    const QString target = m_translated.intoTable;
    // The target need not exist yet; when it does, the statement may read it too.
    attachTables(database, database.tableExists(target) ? QStringList() : QStringList{target});

    Statement probe = m_connection.prepare(m_translated.sql, tableName());
    const int columns = probe.columnCount();
    const qint64 count = materialise(QStringLiteral("cv_into"), m_translated.sql, columns, false, database);
    QList<FieldDef> newFields = describe(probe, QStringLiteral("cv_into"));
    probe = Statement();

    // Result columns become the new table's fields, each name once.
    TableDef def;
    def.name = target;
    QStringList used;
    for (FieldDef field : newFields) {
        field.required = false;
        if (field.type == FieldType::AutoInc)
            field.type = FieldType::Integer;
        QString name = field.name.isEmpty() ? QStringLiteral("Field") : field.name;
        const QString base = name;
        for (int n = 1; used.contains(name, Qt::CaseInsensitive); ++n)
            name = base + QLatin1Char('_') + QString::number(n);
        used << name;
        field.name = name;
        def.fields << field;
    }

    m_connection.detach(target);
    database.deleteTable(target);
    database.createTable(def);
    const QString schema = m_connection.attach(database, target);
    QStringList names;
    for (int i = 0; i < columns; ++i)
        names << column(i);
    m_connection.exec(QStringLiteral("INSERT INTO ") + q(schema) + QLatin1Char('.')
                          + q(m_connection.attachedName(target)) + QStringLiteral(" SELECT ")
                          + names.join(QLatin1String(", "))
                          + QStringLiteral(" FROM main.cv_into ORDER BY rowid"),
                      target);
    m_connection.exec(QStringLiteral("DROP TABLE main.cv_into"));
    return count;
}

} // namespace corvane
