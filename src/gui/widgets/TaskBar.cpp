#include "gui/widgets/TaskBar.h"

#include <QAction>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvane {

TaskBarGroup::TaskBarGroup(const QString& title, QWidget* parent)
    : QWidget(parent)
    , m_header(new QToolButton)
    , m_body(new QWidget)
    , m_bodyLayout(new QVBoxLayout(m_body))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_header->setText(title);
    m_header->setCheckable(true);
    m_header->setChecked(true);
    m_header->setArrowType(Qt::DownArrow);
    m_header->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_header->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_header->setStyleSheet(QStringLiteral(
        "QToolButton { font-weight: bold; color: white; background: #3b6ea5; border: none;"
        " border-top-left-radius: 5px; border-top-right-radius: 5px; padding: 4px; text-align: left; }"));
    connect(m_header, &QToolButton::toggled, this, &TaskBarGroup::setExpanded);
    layout->addWidget(m_header);

    m_body->setObjectName(QStringLiteral("TaskBarGroupBody"));
    m_body->setAttribute(Qt::WA_StyledBackground);
    m_body->setStyleSheet(
        QStringLiteral("#TaskBarGroupBody { background: #eef3fa; border: 1px solid #b9cbe3; }"));
    m_bodyLayout->setContentsMargins(6, 4, 6, 6);
    m_bodyLayout->setSpacing(1);
    layout->addWidget(m_body);
}

QPushButton* TaskBarGroup::addAction(QAction* action)
{
    auto* button = new QPushButton(action->text());
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(
        QStringLiteral("QPushButton { color: #1c3f6e; text-align: left; padding: 2px 4px; border: none; }"
                       "QPushButton:hover { text-decoration: underline; }"
                       "QPushButton:disabled { color: #8a9bb0; }"));
    button->setEnabled(action->isEnabled());
    connect(button, &QPushButton::clicked, action, &QAction::trigger);
    connect(action, &QAction::changed, button, [button, action] { button->setEnabled(action->isEnabled()); });
    m_bodyLayout->addWidget(button);
    return button;
}

void TaskBarGroup::addWidget(QWidget* widget) { m_bodyLayout->addWidget(widget); }

void TaskBarGroup::setExpanded(bool expanded)
{
    m_header->setChecked(expanded);
    m_header->setArrowType(expanded ? Qt::DownArrow : Qt::RightArrow);
    m_body->setVisible(expanded);
}

TaskBar::TaskBar(QWidget* parent)
    : QScrollArea(parent)
{
    auto* content = new QWidget;
    m_layout = new QVBoxLayout(content);
    m_layout->setContentsMargins(6, 6, 6, 6);
    m_layout->setSpacing(8);
    m_layout->addStretch(1);
    setWidget(content);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setMinimumWidth(230);
    setMaximumWidth(260);
}

TaskBarGroup* TaskBar::addGroup(const QString& title, const QString& objectName)
{
    auto* group = new TaskBarGroup(title);
    group->setObjectName(objectName);
    m_layout->insertWidget(m_layout->count() - 1, group);
    return group;
}

} // namespace corvane
