#pragma once

#include "core/data/FieldDefs.h"

#include <QList>
#include <QString>
#include <QVariantList>

#include <vector>

namespace corvane {

class Connection;
class Database;

// Where a dataset's rows come from. A source keeps the keys of its rows in
// dataset order (a snapshot taken on open and after changes) and fetches a
// row by key on demand, so a dataset over a large table holds one integer
// per row and only the rows that are looked at. Values are in stored form.
class RowSource
{
public:
    explicit RowSource(Connection& connection)
        : m_connection(connection)
    {
    }
    virtual ~RowSource() = default;
    RowSource(const RowSource&) = delete;
    RowSource& operator=(const RowSource&) = delete;

    virtual void open(Database& database) = 0;
    virtual void close() = 0;
    // The stored values of one row, one per field; empty when the row is gone.
    virtual QVariantList fetch(qint64 key) = 0;
    // The values of one row where the source keeps them in memory in the
    // form they are read in, one per field; null otherwise.
    virtual const QVariant* valuesAt(qint64 key)
    {
        Q_UNUSED(key);
        return nullptr;
    }
    // A source that collects its keys in chunks: whether keys is still short
    // of the last rows, and the next chunk (throws DatabaseError, keeping the
    // keys collected so far and collecting no more).
    virtual bool collecting() const { return false; }
    virtual void collectMore() { }
    virtual bool canModify() const = 0;
    // Names the table (or tables) in messages.
    virtual QString tableName() const = 0;

    // Write operations; each returns the position the cursor stands on after
    // it. assigned marks the fields that were set.
    virtual int insert(const QVariantList& stored, const QList<bool>& assigned) = 0;
    virtual int update(int position, const QVariantList& stored, const QList<bool>& assigned) = 0;
    virtual void remove(int position) = 0;

    QList<FieldDef> fields;
    std::vector<qint64> keys;

protected:
    Connection& m_connection;
};

} // namespace corvane
