#include "ui/MessageBoxStandIn.h"

#include "data/DM1.h"

#include <QApplication>
#include <QMessageBox>

namespace corvane {

namespace {

struct ButtonResult
{
    QMessageBox::StandardButton button;
    int result;
};

QList<ButtonResult> buttonSet(int type)
{
    using B = QMessageBox;
    switch (type) {
    case 1: return {{B::Ok, 1}, {B::Cancel, 2}};
    case 2: return {{B::Abort, 3}, {B::Retry, 4}, {B::Ignore, 5}};
    case 3: return {{B::Yes, 6}, {B::No, 7}, {B::Cancel, 2}};
    case 4: return {{B::Yes, 6}, {B::No, 7}};
    case 5: return {{B::Retry, 4}, {B::Cancel, 2}};
    default: return {{B::Ok, 1}};
    }
}

} // namespace

void installMessageBoxStandIn(TDM1& dataModule)
{
    dataModule.setMessagePresenter([](int type, const QString& title, const QString& text, const QString&) {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(title);
        box.setTextFormat(Qt::RichText);
        box.setText(text);
        const QList<ButtonResult> buttons = buttonSet(type);
        QMessageBox::StandardButtons all;
        for (const ButtonResult& b : buttons)
            all |= b.button;
        box.setStandardButtons(all);
        box.setEscapeButton(QMessageBox::NoButton);
        const int pressed = box.exec();
        for (const ButtonResult& b : buttons) {
            if (pressed == b.button)
                return b.result;
        }
        return 2; // closed by Escape
    });
}

} // namespace corvane
