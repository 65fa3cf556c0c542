#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QVariant>

#include <list>

class QTimer;

namespace corvane {

class Dataset;

// A grid's view of an open table cursor or query: one column per field, one
// row per record. Rows are handed to the view in steps (canFetchMore and
// fetchMore) and read from the dataset in blocks as the view asks for them,
// with a bounded number of blocks kept, so a grid over a million rows opens
// at once and holds only what it shows. Reading leaves the dataset's cursor
// where it was. After the dataset was reopened or changed, call reload().
//
// Over a query that collects its rows in chunks the model offers the rows
// collected so far and collects the rest a chunk at a time from the event
// loop (sooner where the view asks for rows not collected yet), reporting
// each chunk with rowsCollected.
class DatasetModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int BlockRows = 256;
    static constexpr int KeptBlocks = 64;

    explicit DatasetModel(QObject* parent = nullptr);

    // The dataset must outlive the model or be replaced first; nullptr empties it.
    void setDataset(Dataset* dataset);
    Dataset* dataset() const { return m_dataset; }

    // A column's heading instead of its field name.
    void setCaption(const QString& field, const QString& caption);

    // Forgets every row read and starts again from the dataset as it is now.
    void reload();

    // The record number (1-based) of a row, for moving the dataset's cursor
    // to the row the user chose.
    int recNo(const QModelIndex& index) const { return index.row() + 1; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

signals:
    // After each chunk of rows collected: how many the dataset holds now, and
    // whether that is all of them.
    void rowsCollected(int rows, bool complete);
    // A chunk could not be read: the rows collected before stay, no more come.
    void collectingFailed(const QString& message);

private:
    void collectChunk();
    bool collectUntil(int rows);
    using Block = QList<QVariantList>;
    const Block& block(int blockIndex) const;
    int datasetRows() const;

    Dataset* m_dataset = nullptr;
    QStringList m_fields;
    QList<bool> m_rightAligned;
    QHash<QString, QString> m_captions;
    int m_shownRows = 0;
    mutable int m_totalRows = -1;
    // Most recently used block first.
    mutable std::list<std::pair<int, Block>> m_blocks;
    QTimer* m_collectTimer;
};

} // namespace corvane
