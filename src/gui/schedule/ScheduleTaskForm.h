#pragma once

#include "core/schedule/TaskSchedule.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace corvane {

class TDM1;

// The editor of one scheduled task: its name, the projects Harvester mines,
// the days of the week and the time. OK saves through the schedule and stays
// open, naming the fault, when the task cannot be saved.
class TScheduleTaskForm : public QDialog
{
    Q_OBJECT

public:
    // task: the task to edit, or null for a new one. projects: the names the
    // list offers.
    TScheduleTaskForm(TDM1& dataModule, TaskSchedule& schedule, const ScheduledTask* task,
                      const QStringList& projects, QWidget* parent = nullptr);

    QLineEdit* nameEdit() const { return NameEdit; }
    QLineEdit* timeEdit() const { return TimeEdit; }
    QListWidget* projectList() const { return ProjectList; }
    // Sunday first, as cron counts the days.
    QCheckBox* dayCheck(int cronDay) const { return m_days[cronDay]; }

    // Checks the named projects and nothing else.
    void checkProjects(const QStringList& names);

    // The task as the editor shows it; an empty time field keeps a time the
    // editor cannot show (a hand-written cron time).
    ScheduledTask typedTask(QString& fault) const;

    void OkClick();

private:
    TDM1& m_dm;
    TaskSchedule& m_schedule;
    QString m_replacing;
    QString m_customWhen;
    QLineEdit* NameEdit;
    QListWidget* ProjectList;
    QCheckBox* m_days[7];
    QLineEdit* TimeEdit;
    QLabel* CustomNote;
};

} // namespace corvane
