#pragma once

#include "core/livecheck/DuvudaResultRow.h"

#include <QAbstractTableModel>
#include <QList>

namespace corvane {

// The rows of the Duvuda Duvedozo grid. An empty grid holds one blank row,
// which the first appended result takes over. Sorting compares dates as
// dates, ranks and pages as numbers and the HTML columns by their visible
// text without regard to case; the blank row stays last.
class DuvudaResultModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit DuvudaResultModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    const QList<DuvudaResultRow>& rows() const { return m_rows; }
    // The rows that hold a result.
    QList<DuvudaResultRow> resultRows() const;
    // True when the first row holds a result (has a date).
    bool hasResults() const;

    void appendRow(const DuvudaResultRow& row);
    void removeResultRow(int row);
    // Back to one blank row.
    void clear();
    // Replaces every row; none leaves the blank row.
    void setRows(const QList<DuvudaResultRow>& rows);

    // The cells of the given indexes as lines of tab-separated cells, with
    // or without their HTML tags.
    QString cellsText(const QModelIndexList& indexes, bool withTags) const;

private:
    QList<DuvudaResultRow> m_rows;
};

} // namespace corvane
