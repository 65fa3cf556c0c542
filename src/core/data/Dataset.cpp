// Datasets of the table database.
//
// Every dataset owns one Connection: an SQLite connection whose main database
// is in memory and to which the files of the tables it uses are attached, one
// schema per table named after it (so the program's unqualified table names
// resolve). The connection and its attachments outlive close()/open() and
// setSql(); an attachment is checked against the file on every use and made
// anew when the file was deleted or replaced.
//
// Rows come from a RowSource that keeps the keys of the rows in dataset order:
//  - a Table (TableRows) takes a snapshot of the table's rowids in index order
//    (the index's fields with its collation and direction, then rowid),
//    narrowed by the filter and range, and reads the current row by rowid.
//    Opening a large table therefore reads one index; a filtered or ranged
//    one reads only what qualifies. After a post the snapshot is taken again
//    when the row may have moved, and the cursor stands on the posted row.
//  - a Query (QueryRows) runs its statement into a table of the in-memory
//    main database and reads rows from there by position; a live query over
//    one table keeps each row's source rowid and writes changes through.
//
// Edits are buffered in stored form (FieldCodec) and written by post() with
// the fields that were set. Writes are single autocommit statements, so a
// writer that finds the file locked waits in the busy handler within the
// session's lock settings. A failed post, edit or delete goes to its error
// event: Abort discards the change and returns to Browse without an error,
// Retry tries again, Fail (or no handler) throws.
#include "core/data/Dataset.h"

#include "core/data/Connection.h"
#include "core/data/FieldCodec.h"
#include "core/data/QueryRows.h"
#include "core/data/TableDatabase.h"
#include "core/data/TableRows.h"

#include <QHash>
#include <QScopeGuard>

namespace corvane {

struct Dataset::Impl
{
    Connection connection;
    std::unique_ptr<RowSource> source;

    int position = -1;
    bool eof = true;
    bool bof = true;

    bool cached = false;
    qint64 cachedKey = 0;
    QVariantList cachedRow;

    QVariantList buffer; // the row being edited or inserted, stored form
    QList<bool> assigned;
    QHash<QString, int> fieldIndex;

    // The names last asked for, held so that their text stays alive: a name
    // that shares its text with one of them (the same literal or the same
    // string object, as in a loop over rows) is found without hashing. Each
    // name has one slot, chosen by the address of its text.
    struct RecentName
    {
        QString name;
        int position;
    };
    static constexpr int RecentNames = 64;
    static constexpr int RecentProbes = 4;
    RecentName recent[RecentNames];

    int positionOf(const QString& field, const RowSource& src);

    int count() const { return int(source->keys.size()); }

    const QVariantList& currentRow()
    {
        static const QVariantList none;
        if (position < 0 || position >= count())
            return none;
        const qint64 key = source->keys.at(size_t(position));
        if (!cached || cachedKey != key) {
            cachedRow = source->fetch(key);
            cachedKey = key;
            cached = true;
        }
        return cachedRow;
    }

    QStringList indexedNames; // the field names fieldIndex was built for

    void indexFields()
    {
        // Opening the same statement again finds the same fields: the index
        // and the recent names still hold.
        QStringList names;
        names.reserve(source->fields.size());
        for (const FieldDef& field : source->fields)
            names << field.name;
        if (names == indexedNames && !fieldIndex.isEmpty())
            return;
        indexedNames = names;
        for (RecentName& r : recent)
            r = {};
        fieldIndex.clear();
        for (int i = int(source->fields.size()) - 1; i >= 0; --i)
            fieldIndex.insert(source->fields.at(i).name.toLower(), i);
        // the names as spelt too, so that the usual lookup needs no case folding
        for (int i = int(source->fields.size()) - 1; i >= 0; --i) {
            const QString& name = source->fields.at(i).name;
            if (name != name.toLower() && !fieldIndex.contains(name))
                fieldIndex.insert(name, i);
        }
    }

    void stand(int newPosition)
    {
        cached = false;
        position = count() == 0 ? -1 : qBound(0, newPosition, count() - 1);
        eof = bof = count() == 0;
    }
};

namespace {

const QList<FieldDef>& noFields()
{
    static const QList<FieldDef> none;
    return none;
}

} // namespace

// ------------------------------------------------------------------ Dataset

Dataset::Dataset(Database* database)
    : d(std::make_unique<Impl>())
    , m_database(database)
{
}

Dataset::~Dataset() = default;

void Dataset::setDatabase(Database* database)
{
    if (database == m_database)
        return;
    close();
    d->connection.close();
    m_database = database;
}

void Dataset::close()
{
    if (m_state == State::Inactive)
        return;
    d->buffer.clear();
    d->assigned.clear();
    d->source->close();
    d->fieldIndex.clear();
    d->stand(-1);
    m_state = State::Inactive;
}

static void checkOpen(const Dataset& dataset)
{
    if (!dataset.isOpen())
        throw DatabaseError(DatabaseError::General,
                            QStringLiteral("Cannot perform this operation on a closed dataset."));
}

void Dataset::first()
{
    checkOpen(*this);
    if (m_state != State::Browse)
        post();
    d->stand(0);
    d->bof = true;
}

void Dataset::next()
{
    checkOpen(*this);
    if (m_state != State::Browse)
        post();
    if (d->position + 1 >= d->count()) {
        while (d->source->collecting() && d->position + 1 >= d->count())
            d->source->collectMore();
    }
    if (d->position + 1 < d->count()) {
        ++d->position;
        d->bof = false;
        d->eof = false;
    } else {
        d->eof = true;
    }
}

void Dataset::prior()
{
    checkOpen(*this);
    if (m_state != State::Browse)
        post();
    if (d->position > 0) {
        --d->position;
        d->bof = false;
        d->eof = false;
    } else {
        d->bof = true;
    }
}

void Dataset::last()
{
    checkOpen(*this);
    if (m_state != State::Browse)
        post();
    while (d->source->collecting())
        d->source->collectMore();
    d->stand(d->count() - 1);
    d->eof = true;
}

bool Dataset::eof() const { return !isOpen() || d->eof || d->count() == 0; }

bool Dataset::bof() const { return !isOpen() || d->bof || d->count() == 0; }

int Dataset::recordCount() const { return isOpen() ? d->count() : 0; }

bool Dataset::rowsPending() const { return isOpen() && d->source->collecting(); }

void Dataset::collectMoreRows()
{
    if (rowsPending())
        d->source->collectMore();
}

int Dataset::recNo() const { return isOpen() && d->count() > 0 ? d->position + 1 : 0; }

void Dataset::moveTo(int recNo)
{
    checkOpen(*this);
    if (m_state != State::Browse)
        post();
    while (d->source->collecting() && recNo > d->count())
        d->source->collectMore();
    d->stand(recNo - 1);
}

const QList<FieldDef>& Dataset::fields() const { return isOpen() ? d->source->fields : noFields(); }

bool Dataset::hasField(const QString& name) const
{
    return isOpen() && d->fieldIndex.contains(name.toLower());
}

static int fieldPosition(const QHash<QString, int>& index, const QString& field, const RowSource& source)
{
    auto it = index.constFind(field);
    if (it != index.constEnd())
        return it.value();
    it = index.constFind(field.toLower());
    if (it == index.constEnd()) {
        const QString table = source.tableName(); // built only for the message
        throw DatabaseError(DatabaseError::FieldMissing,
                            QStringLiteral("Field \"%1\" not found in \"%2\".").arg(field, table), table);
    }
    return it.value();
}

int Dataset::Impl::positionOf(const QString& field, const RowSource& src)
{
    // The slots of a name follow from where its text lives; a name that
    // finds its home slot taken tries the next few.
    const QChar* text = field.constData();
    const quintptr home =
        (quintptr(reinterpret_cast<quintptr>(text) * 0x9E3779B97F4A7C15ull) >> 32) % RecentNames;
    for (quintptr probe = 0; probe < RecentProbes; ++probe) {
        const RecentName& r = recent[(home + probe) % RecentNames];
        if (r.name.constData() == text && r.name.size() == field.size() && !r.name.isNull())
            return r.position;
    }
    const int found = fieldPosition(fieldIndex, field, src);
    for (quintptr probe = 0; probe < RecentProbes; ++probe) {
        RecentName& r = recent[(home + probe) % RecentNames];
        if (r.name.isNull() || probe + 1 == RecentProbes) {
            r = {field, found};
            break;
        }
    }
    return found;
}

QVariant Dataset::value(const QString& field) const
{
    checkOpen(*this);
    const int i = d->positionOf(field, *d->source);
    const bool editing = m_state == State::Edit || m_state == State::Insert;
    if (!editing && d->position >= 0 && d->position < d->count()) {
        if (const QVariant* values = d->source->valuesAt(d->source->keys[size_t(d->position)]))
            return values[i];
    }
    static const QVariant none;
    const QVariantList& row = editing ? d->buffer : d->currentRow();
    const QVariant& stored = i < row.size() ? row.at(i) : none;
    return FieldCodec::fromStored(d->source->fields.at(i).type, stored);
}

QString Dataset::asString(const QString& field) const
{
    const QVariant v = value(field);
    if (!v.isValid())
        return {};
    switch (v.typeId()) {
    case QMetaType::QDate: return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QTime: return v.toTime().toString(QStringLiteral("hh:mm:ss"));
    case QMetaType::QDateTime: return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QByteArray: return QString::fromUtf8(v.toByteArray());
    default: return v.toString();
    }
}

int Dataset::asInteger(const QString& field) const
{
    const QVariant v = value(field);
    if (v.typeId() == QMetaType::Double)
        return int(qRound64(v.toDouble()));
    bool ok = false;
    const int n = v.toInt(&ok);
    if (ok)
        return n;
    return int(qRound64(v.toDouble()));
}

bool Dataset::asBoolean(const QString& field) const
{
    const QVariant v = value(field);
    if (v.typeId() == QMetaType::QString) {
        const QString t = v.toString().trimmed().toUpper();
        return t == QLatin1String("TRUE") || t == QLatin1String("T") || t == QLatin1String("YES")
            || t.toLongLong() != 0;
    }
    return v.toBool();
}

QDate Dataset::asDate(const QString& field) const
{
    const QVariant v = value(field);
    switch (v.typeId()) {
    case QMetaType::QDate: return v.toDate();
    case QMetaType::QDateTime: return v.toDateTime().date();
    case QMetaType::QString: return QDate::fromString(v.toString().left(10), QStringLiteral("yyyy-MM-dd"));
    default: return {};
    }
}

void Dataset::setValue(const QString& field, const QVariant& value)
{
    checkOpen(*this);
    if (m_state != State::Edit && m_state != State::Insert) {
        throw DatabaseError(
            DatabaseError::NotEditable,
            QStringLiteral("Dataset \"%1\" is not in edit or insert mode.").arg(d->source->tableName()),
            d->source->tableName());
    }
    const int i = d->positionOf(field, *d->source);
    d->buffer[i] = FieldCodec::toStored(d->source->fields.at(i), value);
    d->assigned[i] = true;
}

static void checkModifiable(const RowSource& source)
{
    if (!source.canModify()) {
        throw DatabaseError(DatabaseError::NotEditable,
                            QStringLiteral("Cannot modify a read-only dataset (%1).").arg(source.tableName()),
                            source.tableName());
    }
}

void Dataset::append()
{
    checkOpen(*this);
    if (m_state != State::Browse)
        post();
    checkModifiable(*d->source);
    const int n = int(d->source->fields.size());
    d->buffer = QVariantList(n);
    d->assigned = QList<bool>(n, false);
    m_state = State::Insert;
}

void Dataset::edit()
{
    checkOpen(*this);
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    checkModifiable(*d->source);
    if (d->count() == 0) {
        append();
        return;
    }
    for (;;) {
        d->cached = false;
        const QVariantList row = d->currentRow();
        if (!row.isEmpty()) {
            d->buffer = row;
            d->assigned = QList<bool>(row.size(), false);
            m_state = State::Edit;
            return;
        }
        const DatabaseError error(
            DatabaseError::General,
            QStringLiteral("The record of \"%1\" was deleted by another user.").arg(d->source->tableName()),
            d->source->tableName());
        const DataAction action = onEditError ? onEditError(*this, error) : DataAction::Fail;
        if (action == DataAction::Retry)
            continue;
        if (action == DataAction::Abort)
            return;
        throw error;
    }
}

void Dataset::post()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    if (beforePost)
        beforePost(*this);
    for (;;) {
        try {
            const int position = m_state == State::Insert
                ? d->source->insert(d->buffer, d->assigned)
                : d->source->update(d->position, d->buffer, d->assigned);
            m_state = State::Browse;
            d->buffer.clear();
            d->assigned.clear();
            d->stand(position);
            return;
        } catch (const DatabaseError& error) {
            const DataAction action = onPostError ? onPostError(*this, error) : DataAction::Fail;
            if (action == DataAction::Retry)
                continue;
            if (action == DataAction::Abort) {
                cancel();
                return;
            }
            throw;
        }
    }
}

void Dataset::cancel()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    d->buffer.clear();
    d->assigned.clear();
    d->cached = false;
    m_state = State::Browse;
}

void Dataset::remove()
{
    checkOpen(*this);
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    cancel();
    if (d->count() == 0) {
        throw DatabaseError(
            DatabaseError::General,
            QStringLiteral("Cannot delete from an empty dataset (%1).").arg(d->source->tableName()),
            d->source->tableName());
    }
    checkModifiable(*d->source);
    for (;;) {
        try {
            const int position = d->position;
            d->source->remove(position);
            d->stand(position);
            return;
        } catch (const DatabaseError& error) {
            const DataAction action = onDeleteError ? onDeleteError(*this, error) : DataAction::Fail;
            if (action == DataAction::Retry)
                continue;
            if (action == DataAction::Abort)
                return;
            throw;
        }
    }
}

// -------------------------------------------------------------------- Table

static TableRows& tableRows(const std::unique_ptr<RowSource>& source)
{
    return static_cast<TableRows&>(*source);
}

static void checkDatabase(const Database* database, const QString& what)
{
    if (!database) {
        throw DatabaseError(DatabaseError::General, QStringLiteral("\"%1\" has no database.").arg(what),
                            what);
    }
}

Table::Table(Database* database, const QString& tableName, const QString& indexName)
    : Dataset(database)
    , m_tableName(tableName)
    , m_indexName(indexName)
{
    d->source = std::make_unique<TableRows>(d->connection);
}

void Table::setTableName(const QString& name)
{
    if (name == m_tableName)
        return;
    close();
    m_tableName = name;
}

void Table::setIndexName(const QString& name)
{
    if (name == m_indexName)
        return;
    m_indexName = name;
    TableRows& rows = tableRows(d->source);
    rows.indexName = name;
    if (!isOpen())
        return;
    if (m_state != State::Browse)
        post();
    const qint64 key = d->position >= 0 ? rows.keys.at(size_t(d->position)) : -1;
    rows.open(*m_database);
    d->indexFields();
    d->stand(qMax(0, rows.positionOf(key)));
}

static void reopenRows(Dataset& dataset, TableRows& rows, const std::function<void()>& first)
{
    if (!dataset.isOpen())
        return;
    if (dataset.state() != Dataset::State::Browse)
        dataset.post();
    rows.reload();
    first();
}

void Table::setFilter(const QString& filter)
{
    m_filter = filter;
    TableRows& rows = tableRows(d->source);
    rows.filter = filter;
    if (m_filtered)
        reopenRows(*this, rows, [this] { first(); });
}

void Table::setFiltered(bool on)
{
    if (on == m_filtered)
        return;
    m_filtered = on;
    TableRows& rows = tableRows(d->source);
    rows.filtered = on;
    reopenRows(*this, rows, [this] { first(); });
}

void Table::setRange(const QVariantList& startKey, const QVariantList& endKey)
{
    TableRows& rows = tableRows(d->source);
    rows.ranged = true;
    rows.rangeStart = startKey;
    rows.rangeEnd = endKey;
    reopenRows(*this, rows, [this] { first(); });
}

void Table::cancelRange()
{
    TableRows& rows = tableRows(d->source);
    if (!rows.ranged)
        return;
    rows.ranged = false;
    rows.rangeStart.clear();
    rows.rangeEnd.clear();
    reopenRows(*this, rows, [this] { first(); });
}

void Table::open()
{
    if (isOpen())
        return;
    checkDatabase(m_database, m_tableName);
    TableRows& rows = tableRows(d->source);
    rows.name = m_tableName;
    rows.indexName = m_indexName;
    rows.filter = m_filter;
    rows.filtered = m_filtered;
    try {
        rows.open(*m_database);
    } catch (...) {
        rows.close();
        throw;
    }
    d->indexFields();
    m_state = State::Browse;
    first();
}

void Table::refresh()
{
    checkOpen(*this);
    if (m_state != State::Browse)
        post();
    TableRows& rows = tableRows(d->source);
    const qint64 key = d->position >= 0 ? rows.keys.at(size_t(d->position)) : -1;
    const int old = d->position;
    rows.reload();
    const int found = rows.positionOf(key);
    d->stand(found >= 0 ? found : old);
}

bool Table::findKey(const QVariantList& keyValues)
{
    checkOpen(*this);
    if (m_state != State::Browse)
        post();
    const int found = tableRows(d->source).findKey(keyValues);
    if (found < 0)
        return false;
    d->stand(found);
    return true;
}

bool Table::locate(const QStringList& fields, const QVariantList& values, bool caseInsensitive)
{
    checkOpen(*this);
    if (m_state != State::Browse)
        post();
    const int found = tableRows(d->source).find(fields, values, caseInsensitive);
    if (found < 0)
        return false;
    d->stand(found);
    return true;
}

void Table::emptyTable()
{
    if (!isOpen()) {
        checkDatabase(m_database, m_tableName);
        m_database->emptyTable(m_tableName);
        return;
    }
    cancel();
    tableRows(d->source).empty();
    d->stand(-1);
}

// -------------------------------------------------------------------- Query

static QueryRows& queryRows(const std::unique_ptr<RowSource>& source)
{
    return static_cast<QueryRows&>(*source);
}

Query::Query(Database* database, const QString& sql)
    : Dataset(database)
    , m_sql(sql)
{
    d->source = std::make_unique<QueryRows>(d->connection, onProgress);
}

void Query::setSql(const QString& sql)
{
    if (isOpen())
        close();
    m_sql = sql;
}

void Query::open()
{
    if (isOpen())
        return;
    checkDatabase(m_database, QStringLiteral("Query"));
    QueryRows& rows = queryRows(d->source);
    rows.sql = m_sql;
    rows.live = m_requestLive;
    rows.onDemand = m_rowsOnDemand && !m_requestLive;
    rows.inChunks = rows.onDemand && m_rowsInChunks;
    d->connection.setCancelCheck(isCancelled);
    const auto uncheck = qScopeGuard([this] { d->connection.setCancelCheck({}); });
    // A statement without rows (SELECT ... INTO among them) just runs.
    if (!rows.returnsRows()) {
        rows.exec(*m_database);
        return;
    }
    try {
        rows.open(*m_database);
    } catch (...) {
        rows.close();
        throw;
    }
    d->indexFields();
    m_state = State::Browse;
    first();
}

int Query::execSql()
{
    checkDatabase(m_database, QStringLiteral("Query"));
    QueryRows& rows = queryRows(d->source);
    if (isOpen() && rows.sql != m_sql)
        close();
    rows.sql = m_sql;
    rows.live = m_requestLive;
    return int(rows.exec(*m_database));
}

} // namespace corvane
