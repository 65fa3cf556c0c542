#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

// The scheduled mining tasks: lines of the user's crontab that end in the
// marker comment "# Corvane task: <name>". The part before the marker is the
// cron time and the Harvester command with the task's projects as quoted
// arguments (quoteProject). The crontab is read with "crontab -l" and written
// with "crontab -"; $CORVANE_CRONTAB names a plain file to use instead.
class ScheduledTasks
{
public:
    // Reads the crontab; an absent one is empty. Throws std::runtime_error when
    // the crontab program fails.
    static ScheduledTasks load();
    // Writes the crontab back (file: temporary file and rename). Throws
    // std::runtime_error when that fails.
    void save() const;

    // A project name as a cron command argument: between double quotes, with
    // \ " $ ` escaped by a backslash and % (a line break to cron) as \%.
    static QString quoteProject(const QString& project);
    // The line of a task: time fields, command, quoted projects and marker.
    static QString taskLine(const QString& when, const QString& command, const QStringList& projects,
                            const QString& taskName);

    bool hasTask(const QString& taskName) const;
    // The line's text before the marker; empty when there is no such task.
    QString parameters(const QString& taskName) const;
    // Removes the project from the task; returns true when no project is left
    // (the caller then removes the task). Unknown task: false, nothing changed.
    bool removeProject(const QString& taskName, const QString& project);
    void renameProject(const QString& taskName, const QString& oldName, const QString& newName);
    void removeTask(const QString& taskName);
    // Puts the line in place of the task's line, or at the end when there is
    // no such task.
    void setTaskLine(const QString& taskName, const QString& line);

    // The task name a line carries in its marker; empty for any other line
    // (comments and lines of other programs).
    static QString taskNameOf(const QString& line);

    const QStringList& lines() const { return m_lines; }

private:
    int find(const QString& taskName) const;
    static QString marker(const QString& taskName);

    QStringList m_lines;
    bool m_changed = false;
};

} // namespace corvane
