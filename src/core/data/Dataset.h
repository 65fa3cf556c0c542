#pragma once

#include "core/data/DatabaseError.h"
#include "core/data/FieldDefs.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <memory>

namespace corvane {

class Database;
class Connection;

// The common part of table cursors and queries: a current row, navigation
// and field access by column name.
class Dataset
{
public:
    enum class State { Inactive, Browse, Edit, Insert };
    // What an error handler answers.
    enum class DataAction { Fail, Abort, Retry };

    explicit Dataset(Database* database);
    virtual ~Dataset();

    Dataset(const Dataset&) = delete;
    Dataset& operator=(const Dataset&) = delete;

    Database* database() const { return m_database; }
    void setDatabase(Database* database);

    virtual void open() = 0;
    virtual void close();
    bool isOpen() const { return m_state != State::Inactive; }
    bool active() const { return isOpen(); }
    State state() const { return m_state; }

    // A query that collects its rows in chunks (Query::setRowsInChunks) holds
    // only its first rows after open(): recordCount() counts the rows collected
    // so far, next() and moveTo() collect further when they reach the end, and
    // last() collects every row.
    void first();
    void next();
    void prior();
    void last();
    bool eof() const;
    bool bof() const;
    int recordCount() const;
    // Whether rows remain to be collected, and the next chunk of them. Throws
    // DatabaseError; the rows collected before stay, and no more follow.
    bool rowsPending() const;
    void collectMoreRows();
    int recNo() const;      // 1-based; 0 when empty
    void moveTo(int recNo); // 1-based

    // Columns of the open dataset.
    const QList<FieldDef>& fields() const;
    bool hasField(const QString& name) const;

    // Field access by column name, without regard to case. Dates read as
    // QDate, times as QTime, flags as bool, memos as QString, pictures as
    // QByteArray; a NULL reads as an invalid QVariant. Throws FieldMissing.
    QVariant value(const QString& field) const;
    QString asString(const QString& field) const; // NULL reads as ""
    int asInteger(const QString& field) const;    // NULL reads as 0
    bool asBoolean(const QString& field) const;   // NULL reads as false
    QDate asDate(const QString& field) const;

    // Sets a field of the row being edited or inserted.
    void setValue(const QString& field, const QVariant& value);

    void append(); // new empty row; appending copies nothing of the current row
    void edit();
    void post();
    void cancel();
    void remove(); // the dataset's "Delete": the cursor then stands on the next row

    // Events. A handler that answers Abort cancels the operation silently;
    // Fail lets the error reach the caller; Retry tries once more.
    std::function<void(Dataset&)> beforePost;
    std::function<DataAction(Dataset&, const DatabaseError&)> onPostError;
    std::function<DataAction(Dataset&, const DatabaseError&)> onEditError;
    std::function<DataAction(Dataset&, const DatabaseError&)> onDeleteError;

protected:
    struct Impl;
    std::unique_ptr<Impl> d;
    Database* m_database;
    State m_state = State::Inactive;
};

// A cursor over one table in the order of one of its indexes, optionally
// narrowed by a filter expression and by a range on the index fields.
class Table : public Dataset
{
public:
    explicit Table(Database* database, const QString& tableName = {}, const QString& indexName = {});

    void setTableName(const QString& name);
    const QString& tableName() const { return m_tableName; }

    // Empty: the table's natural (insertion) order.
    void setIndexName(const QString& name);
    const QString& indexName() const { return m_indexName; }

    // A filter in the dialect of SqlDialect.h, applied while filtered() is true.
    void setFilter(const QString& filter);
    const QString& filter() const { return m_filter; }
    void setFiltered(bool on);
    bool filtered() const { return m_filtered; }

    // Limits the rows to those whose leading index fields lie between the two
    // key lists (inclusive). Needs an index.
    void setRange(const QVariantList& startKey, const QVariantList& endKey);
    void cancelRange();

    void open() override;
    void refresh();

    // Moves to the row whose index key equals the values; false leaves the
    // cursor where it was.
    bool findKey(const QVariantList& keyValues);
    // Moves to the first row whose fields equal the values.
    bool locate(const QStringList& fields, const QVariantList& values, bool caseInsensitive = false);

    void emptyTable();

private:
    QString m_tableName;
    QString m_indexName;
    QString m_filter;
    bool m_filtered = false;
};

// A statement in the program's SQL dialect. open() runs a statement that
// returns rows; execSql() runs any other (and SELECT ... INTO).
class Query : public Dataset
{
public:
    explicit Query(Database* database, const QString& sql = {});

    void setSql(const QString& sql);
    const QString& sql() const { return m_sql; }

    void open() override;
    // Returns the number of rows changed (for SELECT ... INTO, rows written).
    int execSql();

    // A live query allows edit/post/delete on rows of a single-table SELECT.
    void setRequestLive(bool live) { m_requestLive = live; }
    // A read-only query over one table may keep only the rowids of a large
    // result and read its rows from the table as they are looked at (see
    // QueryRows.h); for grids over results of any size.
    void setRowsOnDemand(bool onDemand) { m_rowsOnDemand = onDemand; }
    // With rows on demand, open() collects the rowids of the first rows only
    // and leaves the rest to be collected in chunks (see Dataset): a window
    // shows a long result at once and stays responsive while it completes.
    // The read stays open until the last chunk or close().
    void setRowsInChunks(bool inChunks) { m_rowsInChunks = inChunks; }

    // Called with a percentage from 0 to 100 while the statement runs; the
    // last call is always 100.
    std::function<void(int percent)> onProgress;
    // Asked every few thousand virtual machine steps while the statement runs;
    // true stops it, and open() throws DatabaseError::Cancelled.
    std::function<bool()> isCancelled;

private:
    QString m_sql;
    bool m_requestLive = false;
    bool m_rowsOnDemand = false;
    bool m_rowsInChunks = false;
};

} // namespace corvane
