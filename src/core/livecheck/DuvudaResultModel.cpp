#include "core/livecheck/DuvudaResultModel.h"

#include "core/export/HtmlCellText.h"

#include <QMimeData>

#include <algorithm>
#include <map>
#include <numeric>

namespace corvane {

DuvudaResultModel::DuvudaResultModel(QObject* parent)
    : QAbstractTableModel(parent)
    , m_rows{DuvudaResultRow{}}
{
}

int DuvudaResultModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int DuvudaResultModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : DuvudaResultRow::ColumnCount;
}

QVariant DuvudaResultModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const QString& cell = m_rows.at(index.row()).cells.at(size_t(index.column()));
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return cell;
    case Qt::ToolTipRole:
        return index.column() >= DuvudaResultRow::URL ? HtmlCellText::linkAddress(cell) : QVariant();
    case Qt::TextAlignmentRole:
        return index.column() == DuvudaResultRow::Rank || index.column() == DuvudaResultRow::Page
            ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter))
            : QVariant();
    default: return {};
    }
}

QVariant DuvudaResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return DuvudaResultRow::headers().value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags DuvudaResultModel::flags(const QModelIndex& index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemIsDragEnabled;
}

void DuvudaResultModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= DuvudaResultRow::ColumnCount)
        return;
    const auto less = [column](const DuvudaResultRow& a, const DuvudaResultRow& b) {
        switch (column) {
        case DuvudaResultRow::Date: return a.date < b.date;
        case DuvudaResultRow::Rank:
        case DuvudaResultRow::Page:
            return a.cells.at(size_t(column)).toInt() < b.cells.at(size_t(column)).toInt();
        default:
            return HtmlCellText::visibleText(a.cells.at(size_t(column)))
                       .compare(HtmlCellText::visibleText(b.cells.at(size_t(column))), Qt::CaseInsensitive)
                < 0;
        }
    };
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    QList<int> sourceRows(m_rows.size());
    std::iota(sourceRows.begin(), sourceRows.end(), 0);
    std::stable_sort(sourceRows.begin(), sourceRows.end(), [&](int x, int y) {
        const DuvudaResultRow& a = m_rows.at(x);
        const DuvudaResultRow& b = m_rows.at(y);
        if (a.isBlank() != b.isBlank())
            return b.isBlank();
        return order == Qt::AscendingOrder ? less(a, b) : less(b, a);
    });
    QList<DuvudaResultRow> sorted;
    std::map<int, int> newRowOf;
    for (int i = 0; i < sourceRows.size(); ++i) {
        sorted.append(m_rows.at(sourceRows.at(i)));
        newRowOf[sourceRows.at(i)] = i;
    }
    m_rows = sorted;
    QModelIndexList after;
    for (const QModelIndex& index : before)
        after << this->index(newRowOf[index.row()], index.column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QStringList DuvudaResultModel::mimeTypes() const { return {QStringLiteral("text/plain")}; }

QMimeData* DuvudaResultModel::mimeData(const QModelIndexList& indexes) const
{
    auto* mime = new QMimeData;
    mime->setText(cellsText(indexes, false));
    return mime;
}

QList<DuvudaResultRow> DuvudaResultModel::resultRows() const
{
    QList<DuvudaResultRow> results;
    for (const DuvudaResultRow& row : m_rows) {
        if (!row.isBlank())
            results.append(row);
    }
    return results;
}

bool DuvudaResultModel::hasResults() const { return !m_rows.isEmpty() && !m_rows.first().isBlank(); }

void DuvudaResultModel::appendRow(const DuvudaResultRow& row)
{
    if (!m_rows.isEmpty() && m_rows.first().isBlank()) {
        m_rows.first() = row;
        emit dataChanged(index(0, 0), index(0, DuvudaResultRow::ColumnCount - 1));
        return;
    }
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size()));
    m_rows.append(row);
    endInsertRows();
}

void DuvudaResultModel::removeResultRow(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    if (m_rows.size() == 1) {
        clear();
        return;
    }
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    endRemoveRows();
}

void DuvudaResultModel::clear() { setRows({}); }

void DuvudaResultModel::setRows(const QList<DuvudaResultRow>& rows)
{
    beginResetModel();
    m_rows = rows.isEmpty() ? QList<DuvudaResultRow>{DuvudaResultRow{}} : rows;
    endResetModel();
}

QString DuvudaResultModel::cellsText(const QModelIndexList& indexes, bool withTags) const
{
    QModelIndexList sorted = indexes;
    std::sort(sorted.begin(), sorted.end(), [](const QModelIndex& a, const QModelIndex& b) {
        return a.row() != b.row() ? a.row() < b.row() : a.column() < b.column();
    });
    QString text;
    int lastRow = -1;
    for (const QModelIndex& index : sorted) {
        if (index.row() >= m_rows.size())
            continue;
        if (lastRow >= 0)
            text += index.row() == lastRow ? QLatin1Char('\t') : QLatin1Char('\n');
        lastRow = index.row();
        const QString& cell = m_rows.at(index.row()).cells.at(size_t(index.column()));
        text += withTags ? cell : HtmlCellText::visibleText(cell);
    }
    return text;
}

} // namespace corvane
