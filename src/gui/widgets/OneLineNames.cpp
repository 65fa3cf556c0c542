#include "gui/widgets/OneLineNames.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOption>

namespace corvane {

namespace {

// The application's style, with the item texts of combo boxes, their lists
// and list views put on one line before they are measured or drawn.
class OneLineStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        if (const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option);
            combo && element == CE_ComboBoxLabel) {
            QStyleOptionComboBox copy(*combo);
            copy.currentText = OneLineNames::text(copy.currentText);
            QProxyStyle::drawControl(element, &copy, painter, widget);
        } else if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
            QStyleOptionMenuItem copy(*item);
            copy.text = OneLineNames::text(copy.text);
            QProxyStyle::drawControl(element, &copy, painter, widget);
        } else if (const auto* cell = qstyleoption_cast<const QStyleOptionViewItem*>(option)) {
            QStyleOptionViewItem copy(*cell);
            copy.text = OneLineNames::text(copy.text);
            QProxyStyle::drawControl(element, &copy, painter, widget);
        } else {
            QProxyStyle::drawControl(element, option, painter, widget);
        }
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override
    {
        if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
            QStyleOptionMenuItem copy(*item);
            copy.text = OneLineNames::text(copy.text);
            return QProxyStyle::sizeFromContents(type, &copy, size, widget);
        }
        if (const auto* cell = qstyleoption_cast<const QStyleOptionViewItem*>(option)) {
            QStyleOptionViewItem copy(*cell);
            copy.text = OneLineNames::text(copy.text);
            return QProxyStyle::sizeFromContents(type, &copy, size, widget);
        }
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }
};

// One style for all such widgets, owned by the application.
QStyle* oneLineStyle()
{
    static QPointer<OneLineStyle> style;
    if (!style) {
        style = new OneLineStyle(QApplication::style()->name());
        style->setParent(qApp);
    }
    return style;
}

} // namespace

QString OneLineNames::text(const QString& name)
{
    QString out = name;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\u23CE"));
    for (QChar& c : out) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator)
            c = QChar(0x23CE);
        else if (c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    }
    return out;
}

void OneLineNames::apply(QComboBox& combo)
{
    combo.setStyle(oneLineStyle());
    combo.view()->setStyle(oneLineStyle());
}

void OneLineNames::apply(QAbstractItemView& view) { view.setStyle(oneLineStyle()); }

} // namespace corvane
