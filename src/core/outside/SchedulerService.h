#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

// The system's task scheduling service, which the scheduler program needs:
// a cron daemon. It runs when the process table lists a live process of one
// of the daemons' names.
class SchedulerService
{
public:
    enum class Status {
        Running,
        Stopped,
        Unknown, // the process table cannot be read
    };

    // The process table is read from procfs mounted at this folder.
    explicit SchedulerService(const QString& processTable = QStringLiteral("/proc"));

    Status status() const;

    // The process names of the cron daemons the check knows.
    static const QStringList& daemonNames();

private:
    QString m_processTable;
};

} // namespace corvane
