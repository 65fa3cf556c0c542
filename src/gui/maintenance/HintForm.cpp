#include "gui/maintenance/HintForm.h"

#include "core/data/DatabaseError.h"
#include "core/settings/Settings.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvane {

namespace {

const QString HintsValue = QStringLiteral("Hints");

QString readSetting(const Registry& registry, const char* key, const QString& name)
{
    return RegistryKey(registry, SettingsKeys::path(QLatin1String(key))).readString(name);
}

QString dataFolder(const Registry& registry)
{
    return readSetting(registry, SettingsKeys::FileLocations, QStringLiteral("DataFolder"));
}

} // namespace

THintForm::THintForm(QWidget* parent)
    : QDialog(parent)
    , m_tips(dataFolder(m_registry))
{
    // No Minimize: the window is a small modal dialog.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setObjectName(QStringLiteral("HintForm"));
    resize(500, 240);

    m_hintText = new QTextBrowser(this);
    m_hintText->setObjectName(QStringLiteral("HintText"));
    m_hintText->setReadOnly(true);
    m_hintText->setOpenLinks(false);
    m_hintText->document()->setDocumentMargin(10);

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(40, 40));
    icon->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    icon->setContentsMargins(4, 8, 4, 0);

    m_disableHints = new QCheckBox(QStringLiteral("Disable Hints"), this);
    m_disableHints->setObjectName(QStringLiteral("DisableHints"));

    m_leftArrow = new QToolButton(this);
    m_leftArrow->setObjectName(QStringLiteral("LeftArrow"));
    m_leftArrow->setArrowType(Qt::LeftArrow);
    m_leftArrow->setToolTip(QStringLiteral("Previous hint"));
    connect(m_leftArrow, &QToolButton::clicked, this, &THintForm::LeftArrowClick);

    m_rightArrow = new QToolButton(this);
    m_rightArrow->setObjectName(QStringLiteral("RightArrow"));
    m_rightArrow->setArrowType(Qt::RightArrow);
    m_rightArrow->setToolTip(QStringLiteral("Next hint"));
    connect(m_rightArrow, &QToolButton::clicked, this, &THintForm::RightArrowClick);

    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName(QStringLiteral("OKButton"));
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_disableHints);
    buttons->addStretch();
    buttons->addWidget(m_leftArrow);
    buttons->addWidget(m_rightArrow);
    buttons->addSpacing(12);
    buttons->addWidget(m_okButton);

    auto* tip = new QHBoxLayout;
    tip->addWidget(icon);
    tip->addWidget(m_hintText, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tip, 1);
    layout->addLayout(buttons);

    FormCreate();
}

void THintForm::FormCreate()
{
    const std::optional<int> lastShown =
        SettingText::toInteger(readSetting(m_registry, SettingsKeys::StartupSettings, HintsValue));
    const bool disabled = lastShown == HintTips::Disabled;
    m_disableHints->setChecked(disabled);

    try {
        m_tips.open();
    } catch (const DatabaseError& e) {
        ShowProblem(QStringLiteral("The hints cannot be shown."), e.message());
        return;
    }
    if (m_tips.isEmpty()) {
        ShowProblem(QStringLiteral("There are no hints to show."),
                    QStringLiteral("The Hint table in %1 holds no tips.").arg(dataFolder(m_registry)));
        return;
    }
    // A missing or damaged value is no tip's number: the first tip comes up.
    m_tips.showAfter(lastShown.value_or(HintTips::Disabled));
    ShowTip();
}

void THintForm::ShowTip()
{
    setWindowTitle(QStringLiteral("Hint: ") + m_tips.caption());
    const QString text = m_tips.text();
    if (Qt::mightBeRichText(text))
        m_hintText->setHtml(text);
    else
        m_hintText->setPlainText(text);
}

void THintForm::ShowProblem(const QString& headline, const QString& detail)
{
    setWindowTitle(QStringLiteral("Hint: none"));
    m_hintText->setHtml(QStringLiteral("<p align=\"center\"><b>") + headline.toHtmlEscaped()
                        + QStringLiteral("</b><br>") + detail.toHtmlEscaped() + QStringLiteral("</p>"));
    m_leftArrow->setEnabled(false);
    m_rightArrow->setEnabled(false);
}

void THintForm::LeftArrowClick()
{
    m_tips.prior();
    ShowTip();
}

void THintForm::RightArrowClick()
{
    m_tips.next();
    ShowTip();
}

void THintForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        FormKeyPress(QChar(27));
        return;
    }
    QDialog::keyPressEvent(event);
}

void THintForm::FormKeyPress(QChar key)
{
    if (key == QChar(27))
        close();
}

void THintForm::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void THintForm::FormClose()
{
    if (m_closed)
        return;
    m_closed = true;
    if (const std::optional<int> value = m_tips.valueToStore(m_disableHints->isChecked())) {
        m_registry.writeString(SettingsKeys::path(QLatin1String(SettingsKeys::StartupSettings)), HintsValue,
                               SettingText::fromInteger(*value));
    }
    m_tips.close();
}

} // namespace corvane
