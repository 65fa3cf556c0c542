#include "gui/widgets/GridCopy.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>

#include <algorithm>

namespace corvane::GridCopy {

void copySelection(const QAbstractItemView& grid)
{
    const QItemSelectionModel* selection = grid.selectionModel();
    if (!selection || !grid.model())
        return;
    QModelIndexList cells = selection->selectedIndexes();
    if (cells.isEmpty())
        return;
    std::sort(cells.begin(), cells.end(), [](const QModelIndex& a, const QModelIndex& b) {
        if (a.parent() != b.parent())
            return a.parent().row() < b.parent().row();
        return a.row() != b.row() ? a.row() < b.row() : a.column() < b.column();
    });
    QString text;
    QModelIndex rowStart = cells.first();
    bool firstInRow = true;
    for (const QModelIndex& cell : cells) {
        if (cell.row() != rowStart.row() || cell.parent() != rowStart.parent()) {
            text += QLatin1Char('\n');
            rowStart = cell;
            firstInRow = true;
        }
        if (!firstInRow)
            text += QLatin1Char('\t');
        text += cell.data(Qt::DisplayRole).toString();
        firstInRow = false;
    }
    QGuiApplication::clipboard()->setText(text + QLatin1Char('\n'));
}

} // namespace corvane::GridCopy
