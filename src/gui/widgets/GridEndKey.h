#pragma once

class QAbstractItemView;

namespace corvane {

// A grid whose model hands its rows to the view in steps (canFetchMore and
// fetchMore, as DatasetModel does) would take Ctrl+End to the last row handed
// over so far. A grid given to apply() fetches the rest first, so the key
// reaches the true last row.
class GridEndKey
{
public:
    static void apply(QAbstractItemView& view);
};

} // namespace corvane
