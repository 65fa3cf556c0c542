#include "core/data/TableRows.h"

#include "core/data/DatabaseError.h"
#include "core/data/FieldCodec.h"
#include "core/data/SqlDialect.h"
#include "core/data/TableDatabase.h"
#include "core/data/TableFile.h"

#include <algorithm>
#include <cstring>
#include <sqlite3.h>

namespace corvane {

namespace {

QString q(const QString& name) { return Connection::quoteName(name); }

} // namespace

void TableRows::open(Database& database)
{
    m_connection.setLockSettings(database.session().lockSettings());
    m_schema = m_connection.attach(database, name);
    m_def = TableFile::readDef(m_connection, m_schema, name);
    fields = m_def.fields;
    m_hasIndex = false;
    if (!indexName.isEmpty()) {
        const IndexDef* index = m_def.index(indexName);
        if (!index) {
            throw DatabaseError(
                DatabaseError::General,
                QStringLiteral("Index \"%1\" does not exist on table \"%2\".").arg(indexName, m_def.name),
                m_def.name);
        }
        m_index = *index;
        m_hasIndex = true;
    }
    QStringList columns;
    for (const FieldDef& field : fields)
        columns << q(field.name);
    m_columnList = columns.join(QLatin1String(", "));
    m_keyFetch = Statement();
    m_fetch = m_connection.prepare(QStringLiteral("SELECT ") + m_columnList + QStringLiteral(" FROM ")
                                       + table() + QStringLiteral(" WHERE rowid = ?1"),
                                   m_def.name);
    reload();
}

void TableRows::close()
{
    m_fetch = Statement();
    m_keyFetch = Statement();
    keys.clear();
    keys.shrink_to_fit();
}

QString TableRows::table() const { return q(m_schema) + QLatin1Char('.') + q(m_def.name); }

const FieldDef& TableRows::fieldNamed(const QString& fieldName) const
{
    const FieldDef* field = m_def.field(fieldName);
    if (!field) {
        throw DatabaseError(
            DatabaseError::FieldMissing,
            QStringLiteral("Field \"%1\" does not exist in table \"%2\".").arg(fieldName, m_def.name),
            m_def.name);
    }
    return *field;
}

bool TableRows::orderIsRowid() const { return !m_hasIndex; }

QString TableRows::orderClause() const
{
    if (!m_hasIndex)
        return QStringLiteral("rowid");
    QStringList terms;
    for (const QString& field : m_index.fields) {
        QString term = q(field);
        if (m_index.caseInsensitive)
            term += QLatin1String(" COLLATE NOCASE");
        if (m_index.descending)
            term += QLatin1String(" DESC");
        terms << term;
    }
    terms << QStringLiteral("rowid");
    return terms.join(QLatin1String(", "));
}

QString TableRows::whereClause(QVariantList& binds) const
{
    QStringList conditions;
    if (filtered && !filter.trimmed().isEmpty())
        conditions << QLatin1Char('(') + translateFilter(filter) + QLatin1Char(')');
    if (ranged) {
        if (!m_hasIndex) {
            throw DatabaseError(DatabaseError::General,
                                QStringLiteral("A range on table \"%1\" needs an index.").arg(m_def.name),
                                m_def.name);
        }
        const int width = int(m_index.fields.size());
        const auto stored = [&](const QVariantList& values) {
            QVariantList result;
            for (int i = 0; i < qMin(int(values.size()), width); ++i)
                result << FieldCodec::toStored(fieldNamed(m_index.fields.at(i)), values.at(i));
            return result;
        };
        const QVariantList low = stored(rangeStart);
        const QVariantList high = stored(rangeEnd);
        const auto key = [&](int i) -> QString {
            return q(m_index.fields.at(i))
                + (m_index.caseInsensitive ? QStringLiteral(" COLLATE NOCASE") : QString());
        };
        const auto same = [&](const QVariant& a, const QVariant& b) {
            if (a.typeId() == QMetaType::QString && b.typeId() == QMetaType::QString)
                return a.toString().compare(b.toString(),
                                            m_index.caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive)
                    == 0;
            return a == b;
        };
        // Leading fields where both ends agree become equalities, so that
        // SQLite can search the index on them and on the next field's bounds.
        int equal = 0;
        while (equal < low.size() && equal < high.size() && same(low.at(equal), high.at(equal))) {
            conditions << key(equal) + QStringLiteral(" = ?");
            binds << low.at(equal);
            ++equal;
        }
        const auto bound = [&](const QVariantList& values, bool lower) {
            if (values.size() <= equal)
                return;
            // A descending index runs from the larger key to the smaller.
            const QLatin1String op =
                (lower != m_index.descending) ? QLatin1String(" >= ") : QLatin1String(" <= ");
            conditions << key(equal) + op + QLatin1Char('?');
            binds << values.at(equal);
            if (values.size() - equal > 1) {
                QStringList columns;
                QStringList marks;
                for (int i = equal; i < values.size(); ++i) {
                    columns << key(i);
                    marks << QStringLiteral("?");
                    binds << values.at(i);
                }
                conditions << QLatin1Char('(') + columns.join(QLatin1String(", ")) + QLatin1Char(')') + op
                        + QLatin1Char('(') + marks.join(QLatin1String(", ")) + QLatin1Char(')');
            }
        };
        bound(low, true);
        bound(high, false);
    }
    return conditions.isEmpty() ? QString()
                                : QStringLiteral(" WHERE ") + conditions.join(QLatin1String(" AND "));
}

void TableRows::reload()
{
    QVariantList binds;
    const QString sql = QStringLiteral("SELECT rowid FROM ") + table() + whereClause(binds)
        + QStringLiteral(" ORDER BY ") + orderClause();
    Statement statement = m_connection.prepare(sql, m_def.name);
    statement.bindAll(binds);
    std::vector<qint64> fresh;
    fresh.reserve(keys.size());
    int rc = SQLITE_ROW;
    while ((rc = statement.step()) == SQLITE_ROW)
        fresh.push_back(statement.columnInt64(0));
    if (rc != SQLITE_DONE)
        m_connection.fail(rc, m_def.name);
    keys = std::move(fresh);
}

int TableRows::positionOf(qint64 key) const
{
    const auto it = std::find(keys.cbegin(), keys.cend(), key);
    return it == keys.cend() ? -1 : int(it - keys.cbegin());
}

QVariantList TableRows::fetch(qint64 key)
{
    m_fetch.bind(1, key);
    QVariantList row;
    const int rc = m_fetch.step();
    if (rc == SQLITE_ROW) {
        const int count = m_fetch.columnCount();
        row.reserve(count);
        for (int i = 0; i < count; ++i)
            row << m_fetch.column(i);
    }
    m_fetch.reset();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        m_connection.fail(rc, m_def.name);
    return row;
}

int TableRows::find(const QStringList& fieldNames, const QVariantList& values, bool caseInsensitive)
{
    // A text longer than its field is looked for as given first: another
    // program may have stored it whole. Only then as the field would keep it.
    QVariantList whole, kept;
    QStringList conditions;
    for (int i = 0; i < fieldNames.size() && i < values.size(); ++i) {
        const FieldDef& field = fieldNamed(fieldNames.at(i));
        const bool text = field.type == FieldType::String || field.type == FieldType::Memo;
        conditions << q(field.name)
                + ((caseInsensitive && text) ? QStringLiteral(" COLLATE NOCASE") : QString())
                + QStringLiteral(" IS ?");
        kept << FieldCodec::toStored(field, values.at(i));
        if (field.type == FieldType::String && field.size > 0 && values.at(i).typeId() == QMetaType::QString
            && values.at(i).toString().size() > field.size)
            whole << values.at(i).toString();
        else
            whole << kept.constLast();
    }
    QVariantList binds;
    QString where = whereClause(binds);
    if (!conditions.isEmpty())
        where += (where.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND "))
            + conditions.join(QLatin1String(" AND "));
    Statement statement =
        m_connection.prepare(QStringLiteral("SELECT rowid FROM ") + table() + where
                                 + QStringLiteral(" ORDER BY ") + orderClause() + QStringLiteral(" LIMIT 1"),
                             m_def.name);
    for (const QVariantList* lookup : {&whole, &kept}) {
        if (lookup == &kept && kept == whole)
            break;
        statement.bindAll(binds + *lookup);
        const int rc = statement.step();
        if (rc == SQLITE_ROW)
            return positionOf(statement.columnInt64(0));
        if (rc != SQLITE_DONE)
            m_connection.fail(rc, m_def.name);
        statement.reset();
    }
    return -1;
}

int TableRows::findKey(const QVariantList& values)
{
    if (!m_hasIndex) {
        throw DatabaseError(DatabaseError::General,
                            QStringLiteral("A key lookup on table \"%1\" needs an index.").arg(m_def.name),
                            m_def.name);
    }
    const QStringList keyFields = m_index.fields.mid(0, values.size());
    return find(keyFields, values.mid(0, keyFields.size()), m_index.caseInsensitive);
}

int TableRows::insert(const QVariantList& stored, const QList<bool>& assigned)
{
    QStringList columns;
    QStringList marks;
    QVariantList binds;
    for (int i = 0; i < fields.size(); ++i) {
        if (!assigned.value(i))
            continue;
        columns << q(fields.at(i).name);
        marks << QStringLiteral("?");
        binds << stored.value(i);
    }
    QString sql = QStringLiteral("INSERT INTO ") + table();
    if (columns.isEmpty())
        sql += QStringLiteral(" DEFAULT VALUES");
    else
        sql += QStringLiteral(" (") + columns.join(QLatin1String(", ")) + QStringLiteral(") VALUES (")
            + marks.join(QLatin1String(", ")) + QLatin1Char(')');
    Statement statement = m_connection.prepare(sql, m_def.name);
    statement.bindAll(binds);
    m_connection.run(statement, m_def.name);
    const qint64 key = m_connection.lastInsertRowId();

    // In rowid order a new row normally comes last; when its rowid shows
    // that another program added rows meanwhile, the snapshot is taken anew.
    if (orderIsRowid() && !(keys.empty() ? key == 1 : key == keys.back() + 1)) {
        reload();
        const int position = positionOf(key);
        return position >= 0 ? position : qMax(0, int(keys.size()) - 1);
    }
    const int position = place(key);
    return position >= 0 ? position : qMax(0, int(keys.size()) - 1);
}

QVariantList TableRows::indexKey(qint64 key)
{
    QVariantList values;
    if (!m_hasIndex)
        return values;
    if (m_keyFetch.isNull()) {
        QStringList columns;
        for (const QString& field : m_index.fields)
            columns << q(field);
        m_keyFetch = m_connection.prepare(QStringLiteral("SELECT ") + columns.join(QLatin1String(", "))
                                              + QStringLiteral(" FROM ") + table()
                                              + QStringLiteral(" WHERE rowid = ?1"),
                                          m_def.name);
    }
    m_keyFetch.bind(1, key);
    if (m_keyFetch.step() == SQLITE_ROW) {
        for (int i = 0; i < m_keyFetch.columnCount(); ++i)
            values << m_keyFetch.column(i);
    }
    m_keyFetch.reset();
    return values;
}

bool TableRows::qualifies(qint64 key)
{
    QVariantList binds;
    const QString where = whereClause(binds);
    if (where.isEmpty())
        return true;
    Statement statement = m_connection.prepare(
        QStringLiteral("SELECT 1 FROM ") + table() + where + QStringLiteral(" AND rowid = ?"), m_def.name);
    binds << key;
    statement.bindAll(binds);
    return statement.step() == SQLITE_ROW;
}

namespace {

// Compares two stored values the way an SQLite index orders them: NULL,
// then numbers, then text (by the collation), then bytes.
int compareStored(const QVariant& a, const QVariant& b, bool noCase)
{
    const auto rank = [](const QVariant& v) {
        if (!v.isValid() || v.isNull())
            return 0;
        switch (v.typeId()) {
        case QMetaType::QString: return 2;
        case QMetaType::QByteArray: return 3;
        default: return 1;
        }
    };
    const int ra = rank(a);
    const int rb = rank(b);
    if (ra != rb)
        return ra < rb ? -1 : 1;
    if (ra == 0)
        return 0;
    if (ra == 1) {
        if (a.typeId() == QMetaType::LongLong && b.typeId() == QMetaType::LongLong)
            return a.toLongLong() < b.toLongLong() ? -1 : (a.toLongLong() > b.toLongLong() ? 1 : 0);
        return a.toDouble() < b.toDouble() ? -1 : (a.toDouble() > b.toDouble() ? 1 : 0);
    }
    QByteArray x = ra == 2 ? a.toString().toUtf8() : a.toByteArray();
    QByteArray y = ra == 2 ? b.toString().toUtf8() : b.toByteArray();
    if (ra == 2 && noCase) {
        // NOCASE folds ASCII letters only.
        for (char& c : x)
            c = (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
        for (char& c : y)
            c = (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
    }
    const int common = int(qMin(x.size(), y.size()));
    const int c = common > 0 ? std::memcmp(x.constData(), y.constData(), size_t(common)) : 0;
    if (c != 0)
        return c < 0 ? -1 : 1;
    return x.size() < y.size() ? -1 : (x.size() > y.size() ? 1 : 0);
}

} // namespace

int TableRows::place(qint64 key)
{
    if (!qualifies(key))
        return -1;
    const QVariantList mine = indexKey(key);
    // Whether the row at keys[i] comes before the new row in cursor order.
    const auto before = [&](qint64 other) {
        const QVariantList theirs = indexKey(other);
        for (int i = 0; i < mine.size(); ++i) {
            int c = compareStored(theirs.value(i), mine.at(i), m_index.caseInsensitive);
            if (m_index.descending)
                c = -c;
            if (c != 0)
                return c < 0;
        }
        return other < key;
    };
    size_t low = 0;
    size_t high = keys.size();
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        if (before(keys[middle]))
            low = middle + 1;
        else
            high = middle;
    }
    keys.insert(keys.begin() + qint64(low), key);
    return int(low);
}

int TableRows::update(int position, const QVariantList& stored, const QList<bool>& assigned)
{
    qint64 key = keys.at(size_t(position));
    QStringList sets;
    QVariantList binds;
    bool orderChanges = (filtered && !filter.trimmed().isEmpty()) || ranged;
    for (int i = 0; i < fields.size(); ++i) {
        if (!assigned.value(i))
            continue;
        sets << q(fields.at(i).name) + QStringLiteral(" = ?");
        binds << stored.value(i);
        if (m_hasIndex && m_index.fields.contains(fields.at(i).name, Qt::CaseInsensitive))
            orderChanges = true;
        if (fields.at(i).type == FieldType::AutoInc && stored.value(i).isValid()) {
            key = stored.value(i).toLongLong();
            orderChanges = true;
        }
    }
    if (sets.isEmpty())
        return position;
    binds << keys.at(size_t(position));
    Statement statement =
        m_connection.prepare(QStringLiteral("UPDATE ") + table() + QStringLiteral(" SET ")
                                 + sets.join(QLatin1String(", ")) + QStringLiteral(" WHERE rowid = ?"),
                             m_def.name);
    statement.bindAll(binds);
    if (m_connection.run(statement, m_def.name) == 0) {
        throw DatabaseError(
            DatabaseError::General,
            QStringLiteral("The record of table \"%1\" was deleted by another user.").arg(m_def.name),
            m_def.name);
    }
    if (!orderChanges)
        return position;
    keys.erase(keys.begin() + position);
    const int moved = place(key);
    return moved >= 0 ? moved : qMin(position, int(keys.size()) - 1);
}

void TableRows::remove(int position)
{
    Statement statement = m_connection.prepare(
        QStringLiteral("DELETE FROM ") + table() + QStringLiteral(" WHERE rowid = ?1"), m_def.name);
    statement.bind(1, keys.at(size_t(position)));
    m_connection.run(statement, m_def.name);
    keys.erase(keys.begin() + position);
}

void TableRows::empty()
{
    m_connection.exec(QStringLiteral("DELETE FROM ") + table(), m_def.name);
    keys.clear();
}

} // namespace corvane
