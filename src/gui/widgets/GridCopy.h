#pragma once

class QAbstractItemView;

namespace corvane::GridCopy {

// Puts the selected cells of the grid on the clipboard as text: cells of a row
// separated by tabs, rows by line ends, in row and column order.
void copySelection(const QAbstractItemView& grid);

} // namespace corvane::GridCopy
