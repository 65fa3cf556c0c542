#pragma once

#include <QScrollArea>
#include <QWidget>

class QAction;
class QPushButton;
class QToolButton;
class QVBoxLayout;

namespace corvane {

// One collapsible group of the task bar: a header that folds the group, then
// its commands (each a flat link-like button that triggers the window's
// QAction and follows its enabled state) and any controls.
class TaskBarGroup : public QWidget
{
    Q_OBJECT

public:
    explicit TaskBarGroup(const QString& title, QWidget* parent = nullptr);

    QPushButton* addAction(QAction* action);
    void addWidget(QWidget* widget);

    void setExpanded(bool expanded);

private:
    QToolButton* m_header;
    QWidget* m_body;
    QVBoxLayout* m_bodyLayout;
};

// The column of groups on the left of the main window.
class TaskBar : public QScrollArea
{
    Q_OBJECT

public:
    explicit TaskBar(QWidget* parent = nullptr);

    TaskBarGroup* addGroup(const QString& title, const QString& objectName);

private:
    QVBoxLayout* m_layout;
};

} // namespace corvane
