#pragma once

#include "core/messages/MessageKinds.h"

#include <QDialog>
#include <QList>
#include <QString>

class QCheckBox;
class QPushButton;
class QTextBrowser;
class QWidget;

namespace corvane {

class TDM1;

// The one window that shows the program's messages, warnings and questions:
// a title, an HTML text and one of six button sets, and for a message with a
// switch the check box that turns the message off for good. Created at start,
// it shows every message of the data module until it is destroyed.
class TMessageForm : public QDialog
{
    Q_OBJECT

public:
    static constexpr int Width = 420;
    static constexpr int HeightWithoutCheckBox = 144;
    static constexpr int HeightWithCheckBox = 164;
    static constexpr int ButtonWidth = 75;
    static constexpr int ButtonHeight = 25;

    // The data module's messages come here from now on.
    explicit TMessageForm(TDM1& dataModule, QWidget* parent = nullptr);
    ~TMessageForm() override;

    // Shows the request modally and returns the result of the button pressed:
    // Escape and the title bar's close button answer Cancel.
    MessageAnswer Execute(MessageButtons buttons, const QString& title, const QString& text,
                          const QString& key);

    // Fills the window for a request without showing it.
    void Prepare(MessageButtons buttons, const QString& title, const QString& text, const QString& key);

    // The left edges of count buttons of equal width in a panel: one button
    // centred, two or three side by side 5 pixels apart, the first at
    // (panel width - (count * width + 10)) / 2, halves rounded toward zero.
    static QList<int> ButtonLefts(int panelWidth, int buttonWidth, int count);

protected:
    void reject() override;

private:
    struct ButtonSpec
    {
        const char* caption;
        MessageAnswer result;
    };
    static QList<ButtonSpec> ButtonSet(MessageButtons buttons);

    void InstallPresenter();
    void LayOutButtons(int count);
    void CheckBox1Click(bool checked);
    void CentreOnScreen();

    TDM1& m_dm;
    QString m_key;
    QTextBrowser* m_text;
    QCheckBox* CheckBox1;
    QWidget* m_buttonPanel;
    QList<QPushButton*> m_buttons;
};

} // namespace corvane
