#include "gui/messages/MessageForm.h"

#include "core/datamodule/DM1.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>

namespace corvane {

namespace {

constexpr int Margin = 8;
constexpr int ButtonPanelHeight = 41;
constexpr int CheckBoxHeight = 20;

} // namespace

TMessageForm::TMessageForm(TDM1& dataModule, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_dm(dataModule)
    , m_text(new QTextBrowser(this))
    , CheckBox1(new QCheckBox(QStringLiteral("Do not again show this message "), this))
    , m_buttonPanel(new QWidget(this))
{
    setObjectName(QStringLiteral("MessageForm"));
    setModal(true);

    m_text->setObjectName(QStringLiteral("MessageText"));
    m_text->setFrameShape(QFrame::NoFrame);
    m_text->setOpenLinks(false);
    m_text->setFocusPolicy(Qt::NoFocus);
    m_text->viewport()->setAutoFillBackground(false);
    m_text->setAutoFillBackground(false);

    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    connect(CheckBox1, &QCheckBox::clicked, this, &TMessageForm::CheckBox1Click);

    m_buttonPanel->setObjectName(QStringLiteral("ButtonPanel"));
    for (int i = 0; i < 3; ++i) {
        auto* button = new QPushButton(m_buttonPanel);
        button->setObjectName(QStringLiteral("Button%1").arg(i + 1));
        connect(button, &QPushButton::clicked, this,
                [this, button] { done(button->property("result").toInt()); });
        m_buttons << button;
    }

    InstallPresenter();
}

TMessageForm::~TMessageForm() { m_dm.setMessagePresenter(nullptr); }

void TMessageForm::InstallPresenter()
{
    m_dm.setMessagePresenter(
        [this](MessageButtons buttons, const QString& title, const QString& text, const QString& key) {
            if (!isVisible())
                return Execute(buttons, title, text, key);
            // A message raised while another is open gets a window of its own,
            // which takes over the data module's messages until it is gone.
            MessageAnswer result = MessageAnswer::None;
            {
                TMessageForm nested(m_dm);
                result = nested.Execute(buttons, title, text, key);
            }
            InstallPresenter();
            return result;
        });
}

QList<TMessageForm::ButtonSpec> TMessageForm::ButtonSet(MessageButtons buttons)
{
    using A = MessageAnswer;
    switch (buttons) {
    case MessageButtons::OkCancel: return {{"OK", A::Ok}, {"Cancel", A::Cancel}};
    case MessageButtons::AbortRetryIgnore:
        return {{"Abort", A::Abort}, {"Retry", A::Retry}, {"Ignore", A::Ignore}};
    case MessageButtons::YesNoCancel: return {{"Yes", A::Yes}, {"No", A::No}, {"Cancel", A::Cancel}};
    case MessageButtons::YesNo: return {{"Yes", A::Yes}, {"No", A::No}};
    case MessageButtons::RetryCancel: return {{"Retry", A::Retry}, {"Cancel", A::Cancel}};
    case MessageButtons::Ok: break;
    }
    return {{"OK", A::Ok}};
}

QList<int> TMessageForm::ButtonLefts(int panelWidth, int buttonWidth, int count)
{
    if (count <= 1)
        return {(panelWidth - buttonWidth) / 2};
    QList<int> lefts;
    const int first = (panelWidth - (count * buttonWidth + 10)) / 2;
    for (int i = 0; i < count; ++i)
        lefts << first + i * (buttonWidth + 5);
    return lefts;
}

void TMessageForm::Prepare(MessageButtons buttons, const QString& title, const QString& text,
                           const QString& key)
{
    setWindowTitle(title);
    m_text->setHtml(text);
    m_key = key;

    const bool switchable = !key.isEmpty();
    CheckBox1->setVisible(switchable);
    CheckBox1->setChecked(false);
    const int height = switchable ? HeightWithCheckBox : HeightWithoutCheckBox;
    setFixedSize(Width, height);

    const int panelTop = height - ButtonPanelHeight;
    const int textBottom = switchable ? panelTop - CheckBoxHeight : panelTop;
    m_text->setGeometry(Margin, Margin, Width - 2 * Margin, textBottom - Margin);
    CheckBox1->setGeometry(Margin + 4, textBottom, Width - 2 * Margin, CheckBoxHeight);
    m_buttonPanel->setGeometry(0, panelTop, Width, ButtonPanelHeight);

    const QList<ButtonSpec> set = ButtonSet(buttons);
    for (int i = 0; i < m_buttons.size(); ++i) {
        QPushButton* button = m_buttons[i];
        const bool used = i < set.size();
        button->setVisible(used);
        button->setDefault(i == 0);
        if (used) {
            button->setText(QLatin1String(set[i].caption));
            button->setProperty("result", int(set[i].result));
        }
    }
    LayOutButtons(int(set.size()));
    m_buttons.first()->setFocus();
}

void TMessageForm::LayOutButtons(int count)
{
    const QList<int> lefts = ButtonLefts(m_buttonPanel->width(), ButtonWidth, count);
    const int top = (ButtonPanelHeight - ButtonHeight) / 2;
    for (int i = 0; i < count; ++i)
        m_buttons[i]->setGeometry(lefts[i], top, ButtonWidth, ButtonHeight);
}

MessageAnswer TMessageForm::Execute(MessageButtons buttons, const QString& title, const QString& text,
                                    const QString& key)
{
    Prepare(buttons, title, text, key);
    CentreOnScreen();
    return MessageAnswer(exec());
}

void TMessageForm::CentreOnScreen()
{
    const QWidget* active = QApplication::activeWindow();
    const QScreen* screen = active ? active->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void TMessageForm::reject() { done(int(MessageAnswer::Cancel)); }

void TMessageForm::CheckBox1Click(bool checked) { m_dm.StoreMessageSwitch(m_key, !checked); }

} // namespace corvane
