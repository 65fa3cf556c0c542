#include "core/repair/TableRebuild.h"

#include "core/data/FieldDefs.h"
#include "core/data/Schema.h"
#include "core/data/TableFile.h"
#include "core/repair/RawTableFile.h"
#include "core/repair/TableCheck.h"

#include <QFile>
#include <QFileInfo>
#include <QList>

#include <cstdio>
#include <limits>
#include <sqlite3.h>

namespace corvane::repair {

namespace {

// The table's layout as SQL: the table, its indexes, its columns.
struct Layout
{
    QString tableName;
    QString tableSql;
    QStringList indexSqls;
    QStringList columns;
    bool rowidColumn = false; // one column is the INTEGER PRIMARY KEY, i.e. the rowid itself
    bool fromSchema = false;
    bool passwordProtected = false;
};

bool readFileLayout(RawTableFile& file, const QString& wanted, Layout& layout)
{
    if (!file.isOpen())
        return false;
    Statement table = file.prepare(QStringLiteral(
        "SELECT name, sql FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE"));
    if (table.isNull())
        return false;
    table.bind(1, wanted);
    if (table.step() != SQLITE_ROW)
        return false;
    layout.tableName = table.column(0).toString();
    layout.tableSql = table.column(1).toString();

    Statement indexes = file.prepare(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'index' AND "
                                                    "tbl_name = ?1 COLLATE NOCASE AND sql IS NOT NULL"));
    if (indexes.isNull())
        return false;
    indexes.bind(1, layout.tableName);
    int rc = SQLITE_ROW;
    while ((rc = indexes.step()) == SQLITE_ROW)
        layout.indexSqls << indexes.column(0).toString();
    if (rc != SQLITE_DONE)
        return false;

    Statement columns = file.prepare(QStringLiteral("PRAGMA table_info(")
                                     + RawTableFile::quoteName(layout.tableName) + QLatin1Char(')'));
    if (columns.isNull())
        return false;
    int keyColumns = 0;
    bool integerKey = false;
    while ((rc = columns.step()) == SQLITE_ROW) {
        layout.columns << columns.column(1).toString();
        if (columns.column(5).toInt() > 0) {
            ++keyColumns;
            integerKey =
                columns.column(2).toString().compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
        }
    }
    layout.rowidColumn = keyColumns == 1 && integerKey;
    return rc == SQLITE_DONE && !layout.columns.isEmpty();
}

bool schemaLayout(const QString& wanted, Layout& layout)
{
    const TableDef* def = Schema::table(wanted);
    if (!def)
        return false;
    layout = {};
    layout.tableName = def->name;
    layout.tableSql = TableFile::createTableSql(*def);
    for (const IndexDef& index : def->indexes)
        layout.indexSqls << TableFile::createIndexSql(*def, index);
    for (const FieldDef& field : def->fields) {
        layout.columns << field.name;
        layout.rowidColumn = layout.rowidColumn || field.type == FieldType::AutoInc;
    }
    layout.fromSchema = true;
    layout.passwordProtected = def->passwordProtected;
    return true;
}

// The rows of the metadata table (format, password hash) that can be read.
QList<QPair<QString, QString>> readMeta(RawTableFile& file)
{
    QList<QPair<QString, QString>> rows;
    Statement meta =
        file.prepare(QStringLiteral("SELECT key, value FROM ") + QLatin1String(TableFile::MetaTable));
    if (meta.isNull())
        return rows;
    while (meta.step() == SQLITE_ROW)
        rows.append({meta.column(0).toString(), meta.column(1).toString()});
    return rows;
}

bool hasKey(const QList<QPair<QString, QString>>& rows, const QLatin1String& key)
{
    for (const auto& row : rows) {
        if (row.first == key)
            return true;
    }
    return false;
}

QString uniqueCopyName(const QString& path, const QDateTime& stamp)
{
    const QString base =
        path + QStringLiteral(".damaged-") + stamp.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = base;
    for (int n = 2; QFile::exists(name) || QFile::exists(name + QStringLiteral("-wal")); ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    return name;
}

void removeFileSet(const QString& path)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
}

// Copies the readable rows in rowid order. A damaged page breaks a scan; the
// copy then looks for the next readable row further on, in growing steps, and
// fills the gap it jumped over row by row, so only rows on damaged pages are lost.
class RowCopier
{
public:
    RowCopier(RawTableFile& source, RawTableFile& target, const Layout& layout, RebuildResult& result)
        : m_source(source)
        , m_target(target)
        , m_layout(layout)
        , m_result(result)
    {
    }

    bool run(QString& error)
    {
        QStringList names;
        for (const QString& column : m_layout.columns)
            names << RawTableFile::quoteName(column);
        const QString table = RawTableFile::quoteName(m_layout.tableName);
        const QString selected = QStringLiteral("SELECT rowid, ") + names.join(QLatin1String(", "))
            + QStringLiteral(" FROM ") + table;
        m_scan = m_source.prepare(selected + QStringLiteral(" WHERE rowid > ?1 ORDER BY rowid"));
        m_probe = m_source.prepare(selected + QStringLiteral(" WHERE rowid >= ?1 ORDER BY rowid LIMIT 1"));
        m_single = m_source.prepare(selected + QStringLiteral(" WHERE rowid = ?1"));

        QStringList targetNames = names;
        if (!m_layout.rowidColumn)
            targetNames.prepend(QStringLiteral("rowid"));
        QStringList placeholders;
        for (int i = 1; i <= targetNames.size(); ++i)
            placeholders << QLatin1Char('?') + QString::number(i);
        m_insert = m_target.prepare(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (")
                                    + targetNames.join(QLatin1String(", ")) + QStringLiteral(") VALUES (")
                                    + placeholders.join(QLatin1String(", ")) + QLatin1Char(')'));
        if (m_insert.isNull()) {
            error = QStringLiteral("The fresh table cannot take rows: %1").arg(m_target.lastError());
            return false;
        }
        if (m_scan.isNull()) {
            // Not even the scan can be prepared: the table's pages are beyond reach.
            ++m_result.readErrors;
            return true;
        }

        qint64 last = std::numeric_limits<qint64>::min();
        while (true) {
            const int rc = scanFrom(last, error);
            if (rc == SQLITE_DONE)
                return true;
            if (!error.isEmpty())
                return false;
            ++m_result.readErrors;
            if (!skipDamage(last, error))
                return error.isEmpty();
        }
    }

private:
    // Scans on from the last copied rowid; returns SQLITE_DONE or the read error.
    int scanFrom(qint64& last, QString& error)
    {
        m_scan.reset();
        m_scan.bind(1, QVariant(qlonglong(last)));
        int rc = SQLITE_ROW;
        while ((rc = m_scan.step()) == SQLITE_ROW) {
            last = m_scan.columnInt64(0);
            if (!copyRow(m_scan, error))
                return SQLITE_ERROR;
        }
        return rc;
    }

    // Finds the next readable row after a damaged place. Returns false when
    // nothing readable follows.
    bool skipDamage(qint64& last, QString& error)
    {
        quint64 step = 1;
        while (true) {
            if (last > std::numeric_limits<qint64>::max() - qint64(step))
                return false;
            const qint64 from = last + qint64(step);
            m_probe.reset();
            m_probe.bind(1, QVariant(qlonglong(from)));
            const int rc = m_probe.step();
            if (rc == SQLITE_DONE)
                return false; // the rest of the table reads, and holds nothing more
            if (rc == SQLITE_ROW) {
                const qint64 found = m_probe.columnInt64(0);
                fillGap(last + 1, from - 1, error);
                if (!error.isEmpty())
                    return false;
                if (!copyRow(m_probe, error))
                    return false;
                last = found;
                return true;
            }
            if (step > (quint64(1) << 62))
                return false;
            step *= 2;
        }
    }

    // Looks up the rowids of a skipped stretch one by one; small stretches only.
    void fillGap(qint64 from, qint64 to, QString& error)
    {
        constexpr qint64 LargestGap = 4096;
        if (to < from || to - from >= LargestGap)
            return;
        for (qint64 id = from; id <= to && error.isEmpty(); ++id) {
            m_single.reset();
            m_single.bind(1, QVariant(qlonglong(id)));
            if (m_single.step() == SQLITE_ROW)
                copyRow(m_single, error);
        }
    }

    bool copyRow(Statement& from, QString& error)
    {
        m_insert.reset();
        const int columnCount = from.columnCount();
        const int skip = m_layout.rowidColumn ? 1 : 0;
        for (int i = skip; i < columnCount; ++i)
            m_insert.bind(i - skip + 1, from.column(i));
        const int rc = m_insert.step();
        if (rc == SQLITE_DONE) {
            ++m_result.rowsCopied;
            return true;
        }
        if (rc == SQLITE_CONSTRAINT) {
            ++m_result.duplicateRows;
            return true;
        }
        error = QStringLiteral("A row cannot be written into the fresh table: %1").arg(m_target.lastError());
        return false;
    }

    RawTableFile& m_source;
    RawTableFile& m_target;
    const Layout& m_layout;
    RebuildResult& m_result;
    Statement m_scan;
    Statement m_probe;
    Statement m_single;
    Statement m_insert;
};

// Builds the fresh file at freshPath; false with result.error set on failure.
bool buildFreshFile(RawTableFile& source, const Layout& layout, const QString& freshPath,
                    RebuildResult& result)
{
    RawTableFile fresh(freshPath, RawTableFile::Open::Create);
    const auto fail = [&](const QString& what) {
        result.error = what + QStringLiteral(": ") + fresh.lastError();
        return false;
    };
    if (!fresh.isOpen()) {
        result.error =
            QStringLiteral("The fresh file \"%1\" cannot be created: %2").arg(freshPath, fresh.openError());
        return false;
    }
    if (!fresh.exec(QStringLiteral("BEGIN")) || !fresh.exec(layout.tableSql))
        return fail(QStringLiteral("The table cannot be created anew"));
    for (const QString& sql : layout.indexSqls) {
        if (!fresh.exec(sql))
            return fail(QStringLiteral("An index cannot be created anew"));
    }

    // The metadata keeps the file's format and its password protection.
    QList<QPair<QString, QString>> meta = readMeta(source);
    if (!hasKey(meta, QLatin1String("format")))
        meta.append({QStringLiteral("format"), QStringLiteral("1")});
    // A protected table gets the program's password, whatever the damaged file held.
    if (layout.passwordProtected) {
        meta.removeIf(
            [](const QPair<QString, QString>& row) { return row.first == QLatin1String("password"); });
        meta.append(
            {QStringLiteral("password"), TableFile::passwordHash(QLatin1String(Schema::SE3Password))});
    }
    if (!fresh.exec(QStringLiteral("CREATE TABLE ") + QLatin1String(TableFile::MetaTable)
                    + QStringLiteral(" (key TEXT PRIMARY KEY, value TEXT)")))
        return fail(QStringLiteral("The table's metadata cannot be written"));
    Statement insertMeta =
        fresh.prepare(QStringLiteral("INSERT OR REPLACE INTO ") + QLatin1String(TableFile::MetaTable)
                      + QStringLiteral(" VALUES (?1, ?2)"));
    for (const auto& row : meta) {
        insertMeta.reset();
        insertMeta.bind(1, row.first);
        insertMeta.bind(2, row.second);
        if (insertMeta.step() != SQLITE_DONE)
            return fail(QStringLiteral("The table's metadata cannot be written"));
    }
    insertMeta = {};

    QString error;
    if (!RowCopier(source, fresh, layout, result).run(error)) {
        result.error = error;
        return false;
    }
    if (!fresh.exec(QStringLiteral("COMMIT")))
        return fail(QStringLiteral("The rows cannot be saved"));
    // The table database keeps every file in WAL mode.
    if (!fresh.exec(QStringLiteral("PRAGMA journal_mode = WAL")))
        return fail(QStringLiteral("The fresh file cannot be switched to WAL mode"));
    return true;
}

} // namespace

RebuildResult rebuildTableFile(const QString& path, const QDateTime& stamp)
{
    RebuildResult result;
    const QString wanted = tableNameOf(path);
    const QString freshPath = path + QStringLiteral(".rebuild");
    removeFileSet(freshPath);

    Layout layout;
    {
        RawTableFile source(path);
        // Lets SQLite read a file shorter than its header says, as after a cut.
        source.exec(QStringLiteral("PRAGMA writable_schema = ON"));
        if (!readFileLayout(source, wanted, layout)) {
            if (!schemaLayout(wanted, layout)) {
                result.error = QStringLiteral("The layout of table \"%1\" cannot be read from the file, and "
                                              "it is none of the program's tables.")
                                   .arg(wanted);
                return result;
            }
        } else if (const TableDef* def = Schema::table(wanted)) {
            layout.passwordProtected = def->passwordProtected;
        }
        result.layoutFromSchema = layout.fromSchema;

        // The damaged file is kept as it is before anything else happens.
        result.keptCopy = uniqueCopyName(path, stamp);
        if (!QFile::copy(path, result.keptCopy)
            || (QFileInfo(path + QStringLiteral("-wal")).size() > 0
                && !QFile::copy(path + QStringLiteral("-wal"), result.keptCopy + QStringLiteral("-wal")))) {
            result.error =
                QStringLiteral("The damaged file cannot be copied to \"%1\".").arg(result.keptCopy);
            removeFileSet(result.keptCopy);
            result.keptCopy.clear();
            return result;
        }

        if (!buildFreshFile(source, layout, freshPath, result)) {
            removeFileSet(freshPath);
            removeFileSet(result.keptCopy);
            result.keptCopy.clear();
            return result;
        }
    }

    // The damaged file's log and shared memory must not be applied to the fresh file.
    QFile::remove(path + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
    QFile::remove(freshPath + QStringLiteral("-shm"));
    if (std::rename(QFile::encodeName(freshPath).constData(), QFile::encodeName(path).constData()) != 0) {
        result.error = QStringLiteral("The fresh file cannot take the place of \"%1\".").arg(path);
        removeFileSet(freshPath);
        return result; // the copy stays: the original's log is gone
    }
    result.done = true;
    return result;
}

} // namespace corvane::repair
