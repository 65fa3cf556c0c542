#include "gui/widgets/HtmlItemDelegate.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPainter>
#include <QTextDocument>

namespace corvane {

namespace {

bool holdsHtml(const QString& text) { return text.contains(QLatin1Char('<')); }

void prepare(QTextDocument& document, const QStyleOptionViewItem& option)
{
    document.setDocumentMargin(2);
    document.setDefaultFont(option.font);
    document.setHtml(option.text);
}

} // namespace

void HtmlItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (!holdsHtml(opt.text)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QTextDocument document;
    prepare(document, opt);
    opt.text.clear();
    QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget);
    QAbstractTextDocumentLayout::PaintContext context;
    if (opt.state & QStyle::State_Selected)
        context.palette.setColor(QPalette::Text,
                                 opt.palette.color(QPalette::Active, QPalette::HighlightedText));
    else
        context.palette.setColor(QPalette::Text, opt.palette.color(QPalette::Active, QPalette::Text));
    painter->save();
    const int top = textRect.top() + std::max(0, (textRect.height() - int(document.size().height())) / 2);
    painter->translate(textRect.left(), top);
    painter->setClipRect(QRect(0, 0, textRect.width(), textRect.height()));
    document.documentLayout()->draw(painter, context);
    painter->restore();
}

QSize HtmlItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (!holdsHtml(opt.text))
        return QStyledItemDelegate::sizeHint(option, index);
    QTextDocument document;
    prepare(document, opt);
    return QSize(int(document.idealWidth()), int(document.size().height()));
}

} // namespace corvane
