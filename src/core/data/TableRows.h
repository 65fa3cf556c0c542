#pragma once

#include "core/data/Connection.h"
#include "core/data/RowSource.h"

#include <QVariantList>

namespace corvane {

// The rows of one table file in index order, narrowed by a filter and a
// range on the leading index fields. The row keys are the table's rowids.
class TableRows : public RowSource
{
public:
    explicit TableRows(Connection& connection)
        : RowSource(connection)
    {
    }

    QString name;      // as the program names the table
    QString indexName; // empty: rowid (insertion) order
    QString filter;    // dialect text
    bool filtered = false;
    bool ranged = false;
    QVariantList rangeStart;
    QVariantList rangeEnd;

    void open(Database& database) override;
    void close() override;
    QVariantList fetch(qint64 key) override;
    bool canModify() const override { return true; }
    QString tableName() const override { return m_def.name.isEmpty() ? name : m_def.name; }

    int insert(const QVariantList& stored, const QList<bool>& assigned) override;
    int update(int position, const QVariantList& stored, const QList<bool>& assigned) override;
    void remove(int position) override;

    // Takes the snapshot of row keys again (after a change of order, filter or range).
    void reload();
    int positionOf(qint64 key) const;
    // Position of the first row (in cursor order) whose fields equal the values; -1 when none.
    int find(const QStringList& fieldNames, const QVariantList& values, bool caseInsensitive);
    // Position of the first row whose leading index fields equal the values.
    int findKey(const QVariantList& values);
    void empty();

private:
    QString table() const; // "schema"."table"
    QString whereClause(QVariantList& binds) const;
    QString orderClause() const;
    bool orderIsRowid() const;
    // Puts a new or moved row into the snapshot at its place in cursor order
    // (a binary search over the index keys); -1 when it is not in the cursor.
    int place(qint64 key);
    QVariantList indexKey(qint64 key);
    bool qualifies(qint64 key);
    const FieldDef& fieldNamed(const QString& fieldName) const;

    QString m_schema;
    TableDef m_def;
    IndexDef m_index;
    bool m_hasIndex = false;
    QString m_columnList;
    Statement m_fetch;
    Statement m_keyFetch;
};

} // namespace corvane
