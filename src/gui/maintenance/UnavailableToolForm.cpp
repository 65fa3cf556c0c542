#include "gui/maintenance/UnavailableToolForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane {

TUnavailableToolForm::TUnavailableToolForm(const QString& caption, QWidget* parent)
    : QDialog(parent)
    , m_tool(caption)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setObjectName(QStringLiteral("UnavailableToolForm"));
    setWindowTitle(caption);

    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("Text"));
    m_text->setTextFormat(Qt::RichText);
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setWordWrap(true);
    m_text->setMinimumWidth(360);

    auto* closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("CloseButton"));
    closeButton->setDefault(true);
    connect(closeButton, &QPushButton::clicked, this, &TUnavailableToolForm::CloseButtonClick);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(closeButton);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(16);
    layout->addWidget(m_text, 1);
    layout->addLayout(buttons);

    UpdateText();
}

void TUnavailableToolForm::setProjectName(const QString& project)
{
    m_projectName = project;
    UpdateText();
}

void TUnavailableToolForm::setRemoteUpdateFlags(bool automatic, bool showResetOptions)
{
    m_automatic = automatic;
    m_showResetOptions = showResetOptions;
}

void TUnavailableToolForm::UpdateText()
{
    QString text = QStringLiteral("<p><b>") + m_tool.toHtmlEscaped()
        + QStringLiteral(" is not available yet.</b></p>"
                         "<p>This tool comes with a later version of Corvane. "
                         "Nothing has been changed.</p>");
    if (!m_projectName.isEmpty())
        text += QStringLiteral("<p>Project: ") + m_projectName.toHtmlEscaped() + QStringLiteral("</p>");
    m_text->setText(text);
}

void TUnavailableToolForm::CloseButtonClick() { reject(); }

} // namespace corvane
