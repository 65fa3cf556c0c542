#pragma once

#include <QStyledItemDelegate>

namespace corvane {

// Draws grid cells that hold HTML (anchors, bold text) as rich text; cells
// without a tag are drawn as plain text, keeping their alignment.
class HtmlItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace corvane
