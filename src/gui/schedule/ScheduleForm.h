#pragma once

#include "core/outside/SchedulerService.h"
#include "core/schedule/TaskSchedule.h"
#include "gui/widgets/ToolWindow.h"

#include <QDateTime>

#include <functional>

class QLabel;
class QPushButton;
class QTableWidget;

namespace corvane {

class TDM1;
class TScheduleTaskForm;

// CVSchedule's window, "Corvane Project Scheduler": the scheduled mining
// tasks (name, projects, days and time, next run) with Add, Edit and Delete.
// Every change goes straight into the crontab and the Schedule table. A line
// above the list warns when no cron daemon runs.
class TScheduleForm : public ToolWindow
{
    Q_OBJECT

public:
    TScheduleForm(TDM1& dataModule, const SchedulerService& service = SchedulerService(),
                  QWidget* parent = nullptr);

    QTableWidget* taskGrid() const { return TaskGrid; }
    QLabel* serviceWarning() const { return ServiceWarning; }
    QPushButton* addButton() const { return AddButton; }
    QPushButton* editButton() const { return EditButton; }
    QPushButton* deleteButton() const { return DeleteButton; }
    TaskSchedule& schedule() { return m_schedule; }

    // The moment "Next Run" is counted from; now when not set (tests fix it).
    void setClock(const QDateTime& now) { m_now = now; }

    // Re-reads the crontab and fills the list; a crontab that cannot be
    // read is told to the user.
    void Reload();

    void AddClick();
    void EditClick();
    void DeleteClick();

    // Called with the task editor before it runs (tests fill it in).
    std::function<void(TScheduleTaskForm&)> onEditorShown;

private:
    void fillGrid();
    void showTaskEditor(const ScheduledTask* task);
    void enableButtons();
    void showError(const QString& text);

    TaskSchedule m_schedule;
    QDateTime m_now;
    QLabel* ServiceWarning;
    QTableWidget* TaskGrid;
    QPushButton* AddButton;
    QPushButton* EditButton;
    QPushButton* DeleteButton;
    QPushButton* HelpButton;
    QPushButton* CloseButton;
};

} // namespace corvane
