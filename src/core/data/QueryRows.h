#pragma once

#include "core/data/ColumnReader.h"
#include "core/data/Connection.h"
#include "core/data/RowSource.h"
#include "core/data/SqlDialect.h"

#include <functional>
#include <vector>

namespace corvane {

// The rows of a statement, materialised in the connection's in-memory main
// database (table cv_result: the hidden column cv_base, then one column per
// result column), so that a large result costs SQLite's compact records and
// recordCount is exact. A live query over one table also keeps the rowid of
// each row's source row in cv_base and writes changes through to the table.
//
// A read-only query that asks for rows on demand keeps, for a plain SELECT
// over one table, only the rowids of its rows in result order and reads each
// row from the table when it is looked at: opening a million rows then costs
// one pass over an index and eight bytes a row. Like a table cursor, such a
// result shows a row as the table holds it when it is read; a row deleted
// since reads as empty. In chunks, open() collects the first rowids only and
// leaves its read open, paused, for collectMore(): the rowids of one snapshot
// of the table, each row once, whatever is written meanwhile.
class QueryRows : public RowSource
{
public:
    QueryRows(Connection& connection, const std::function<void(int)>& progress)
        : RowSource(connection)
        , m_progress(progress)
    {
    }

    QString sql; // dialect text
    bool live = false;
    bool onDemand = false;
    bool inChunks = false; // with onDemand

    bool collecting() const override { return !m_collect.isNull(); }
    void collectMore() override;

    void open(Database& database) override;
    void close() override;
    QVariantList fetch(qint64 key) override;
    const QVariant* valuesAt(qint64 key) override;
    bool canModify() const override { return m_writable; }
    QString tableName() const override;

    int insert(const QVariantList& stored, const QList<bool>& assigned) override;
    int update(int position, const QVariantList& stored, const QList<bool>& assigned) override;
    void remove(int position) override;

    // Runs a statement that returns no rows, or SELECT ... INTO; returns the
    // number of rows changed or written.
    qint64 exec(Database& database);
    // Whether the text is a statement that returns rows.
    bool returnsRows();

private:
    void attachTables(Database& database, const QStringList& skip = {});
    QList<FieldDef> describe(Statement& probe, const QString& table);
    qint64 materialise(const QString& table, const QString& selectSql, int columns, bool withBase,
                       Database& database);
    qint64 selectInto(Database& database);
    qint64 baseKey(qint64 key);
    bool isSimpleSelect() const;
    // Opens the result as the rowids of its rows (see above); false when the
    // statement is not one whose rows can be read again by rowid.
    bool openByRowid(Statement& probe, const QList<std::optional<FieldDef>>& declared);
    // The statement that reads the rowids of "SELECT ... FROM from rest" in
    // result order into keys inside one step (see KeyCollector); null when
    // the statement's form or plan does not allow it.
    Statement keyCollecting(const QString& from, const QString& rest);
    // Steps m_collect until keys holds rows more (every key when rows is 0);
    // the statement is released at its end.
    void collectKeys(size_t rows);
    // About how many rows the statement's tables hold, for progress.
    qint64 rowEstimate();

    const std::function<void(int)>& m_progress;
    TranslatedSql m_translated;
    bool m_translatedValid = false;
    QString m_translatedFrom;
    bool m_writable = false;
    QString m_baseTable;
    QString m_baseSchema;
    QStringList m_origins; // per field: the base table's column, or empty
    Statement m_fetch;
    // The read of the rowids while they are collected in chunks.
    Statement m_collect;
    bool m_collectInOneStep = false;
    // The first chunk fills the first screens; each further one takes a few
    // milliseconds.
    static constexpr size_t FirstChunkRows = 4096;
    static constexpr size_t ChunkRows = 65536;
    // A read-only result of up to InMemoryRows rows is kept as values; a larger
    // one (or a live one) goes into cv_result.
    static constexpr size_t InMemoryRows = 20000;
    static constexpr qsizetype RetainedValues = 65536;
    Statement m_probe; // the prepared statement, kept for the next open
    QString m_probeSql;
    quint64 m_probeGeneration = 0;
    std::optional<ColumnReader> m_reader;
    QString m_readerSql;
    QVariantList m_values; // row after row, in read form (QVariant moves by memcpy here)
    int m_columns = 0;
    bool m_inMemory = false;
    bool m_byRowid = false;
    size_t rowCount() const { return m_columns ? m_values.size() / size_t(m_columns) : 0; }
};

} // namespace corvane
