#include "core/data/DatasetModel.h"

#include "core/data/Dataset.h"

#include <QTimer>

#include <algorithm>

namespace corvane {

namespace {

bool isNumber(FieldType type)
{
    return type == FieldType::Integer || type == FieldType::Float || type == FieldType::AutoInc;
}

} // namespace

DatasetModel::DatasetModel(QObject* parent)
    : QAbstractTableModel(parent)
    , m_collectTimer(new QTimer(this))
{
    // One chunk per pass of the event loop, so input and painting go on between them.
    m_collectTimer->setInterval(0);
    connect(m_collectTimer, &QTimer::timeout, this, &DatasetModel::collectChunk);
}

void DatasetModel::setDataset(Dataset* dataset)
{
    m_dataset = dataset;
    reload();
}

void DatasetModel::setCaption(const QString& field, const QString& caption)
{
    m_captions.insert(field, caption);
    const int column = int(m_fields.indexOf(field));
    if (column >= 0)
        emit headerDataChanged(Qt::Horizontal, column, column);
}

void DatasetModel::reload()
{
    beginResetModel();
    m_blocks.clear();
    m_fields.clear();
    m_rightAligned.clear();
    m_totalRows = -1;
    if (m_dataset && m_dataset->isOpen()) {
        for (const FieldDef& field : m_dataset->fields()) {
            m_fields << field.name;
            m_rightAligned << isNumber(field.type);
        }
    }
    m_shownRows = std::min(datasetRows(), BlockRows);
    endResetModel();
    if (m_dataset && m_dataset->rowsPending())
        m_collectTimer->start();
    else
        m_collectTimer->stop();
}

bool DatasetModel::collectUntil(int rows)
{
    try {
        while (m_dataset->rowsPending() && m_dataset->recordCount() < rows)
            m_dataset->collectMoreRows();
    } catch (const DatabaseError& error) {
        m_collectTimer->stop();
        m_totalRows = m_dataset->recordCount();
        emit collectingFailed(error.message());
        return false;
    }
    m_totalRows = m_dataset->recordCount();
    return true;
}

void DatasetModel::collectChunk()
{
    if (!m_dataset || !m_dataset->isOpen()) {
        m_collectTimer->stop();
        return;
    }
    // (The dataset may have collected the rest itself, e.g. on last().)
    if (!collectUntil(m_dataset->recordCount() + 1))
        return;
    const bool complete = !m_dataset->rowsPending();
    if (complete)
        m_collectTimer->stop();
    // The first rows fill at least the first block, as after reload().
    const int shown = std::min(datasetRows(), BlockRows);
    if (shown > m_shownRows) {
        beginInsertRows({}, m_shownRows, shown - 1);
        m_shownRows = shown;
        endInsertRows();
    }
    emit rowsCollected(datasetRows(), complete);
}

int DatasetModel::datasetRows() const
{
    if (m_totalRows < 0)
        m_totalRows = m_dataset && m_dataset->isOpen() ? m_dataset->recordCount() : 0;
    return m_totalRows;
}

int DatasetModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_shownRows; }

int DatasetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_fields.size());
}

bool DatasetModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && (m_shownRows < datasetRows() || (m_dataset && m_dataset->rowsPending()));
}

void DatasetModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    // The view got ahead of the collection: the rows it asks for come now.
    if (m_dataset->rowsPending()) {
        const bool collected = collectUntil(m_shownRows + 4 * BlockRows);
        if (collected)
            emit rowsCollected(datasetRows(), !m_dataset->rowsPending());
    }
    const int more = std::min(datasetRows() - m_shownRows, 4 * BlockRows);
    if (more <= 0)
        return;
    beginInsertRows({}, m_shownRows, m_shownRows + more - 1);
    m_shownRows += more;
    endInsertRows();
}

const DatasetModel::Block& DatasetModel::block(int blockIndex) const
{
    const auto found = std::find_if(m_blocks.begin(), m_blocks.end(),
                                    [blockIndex](const auto& entry) { return entry.first == blockIndex; });
    if (found != m_blocks.end()) {
        m_blocks.splice(m_blocks.begin(), m_blocks, found);
        return m_blocks.front().second;
    }

    Block rows;
    const int first = blockIndex * BlockRows + 1;
    const int last = std::min(first + BlockRows - 1, datasetRows());
    rows.reserve(last - first + 1);
    const int cursor = m_dataset->recNo();
    m_dataset->moveTo(first);
    for (int recNo = first; recNo <= last && !m_dataset->eof(); ++recNo) {
        QVariantList values;
        values.reserve(m_fields.size());
        for (const QString& field : m_fields)
            values << m_dataset->value(field);
        rows << values;
        // Not past the last row: that would collect more of a query in chunks.
        if (recNo < last)
            m_dataset->next();
    }
    if (cursor > 0)
        m_dataset->moveTo(cursor);

    m_blocks.emplace_front(blockIndex, std::move(rows));
    if (m_blocks.size() > size_t(KeptBlocks))
        m_blocks.pop_back();
    return m_blocks.front().second;
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_dataset || index.row() >= m_shownRows || index.column() >= m_fields.size())
        return {};
    if (role == Qt::TextAlignmentRole)
        return int((m_rightAligned.at(index.column()) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const Block& rows = block(index.row() / BlockRows);
    const int row = index.row() % BlockRows;
    return row < rows.size() ? rows.at(row).value(index.column()) : QVariant();
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section < 0 || section >= m_fields.size())
        return {};
    const QString& field = m_fields.at(section);
    return m_captions.value(field, field);
}

} // namespace corvane
