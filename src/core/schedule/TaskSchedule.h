#pragma once

#include "core/schedule/CronTime.h"
#include "core/schedule/ScheduledTasks.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvane {

class Database;

// One scheduled mining task: Harvester runs the projects at the time.
struct ScheduledTask
{
    QString name;
    QStringList projects;
    QString when; // the five time fields of the crontab line

    bool operator==(const ScheduledTask&) const = default;
};

// The scheduled tasks as CVSchedule shows and edits them. The crontab is
// where they live (ScheduledTasks); the Schedule table follows it, one row
// per task with its projects one name a line, so that the project cascades
// find the tasks of a project.
class TaskSchedule
{
public:
    static constexpr int MaximumNameLength = 64; // Schedule.Name

    // harvester: the program the task lines run; by default the Harvester
    // beside the running executable.
    explicit TaskSchedule(Database& database, const QString& harvester = {});

    // Reads the crontab. Throws std::runtime_error when it cannot be read.
    void load();
    const QList<ScheduledTask>& tasks() const { return m_tasks; }
    const ScheduledTask* task(const QString& name) const;

    // What is wrong with the task, as a sentence for the user; empty when it
    // can be saved. replacing: the name of the task it replaces (empty for a
    // new task), which may keep its name.
    QString problem(const ScheduledTask& task, const QString& replacing = {}) const;

    // Adds the task, or replaces the task named replacing, in the crontab and
    // in the Schedule table. Returns problem() without changing anything when
    // it is not empty. Throws std::runtime_error (crontab) or DatabaseError.
    QString save(const ScheduledTask& task, const QString& replacing = {});
    // Removes the task from the crontab and its row from the Schedule table.
    void remove(const QString& name);

    // The crontab line of a task.
    QString taskLine(const ScheduledTask& task) const;
    // A task read back from a crontab line; nothing for a line that is not a
    // task's or whose time or arguments do not parse.
    static std::optional<ScheduledTask> parseLine(const QString& line);

    // Makes the Schedule table hold exactly the tasks of the crontab.
    void writeTable();

private:
    Database& m_db;
    QString m_harvester;
    ScheduledTasks m_crontab;
    QList<ScheduledTask> m_tasks;
};

} // namespace corvane
