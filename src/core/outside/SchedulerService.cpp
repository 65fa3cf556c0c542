#include "core/outside/SchedulerService.h"

#include <QDir>
#include <QFile>

namespace corvane {

namespace {

// The name and state of one process from its "stat" line:
// "<pid> (<name>) <state> ...". The name may itself hold blanks and
// parentheses, so it ends at the last ')'.
struct ProcessStat
{
    QString name;
    QChar state;
};

bool readStat(const QString& path, ProcessStat& stat)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = file.read(4096);
    const qsizetype open = line.indexOf('(');
    const qsizetype close = line.lastIndexOf(')');
    if (open < 0 || close < open || close + 2 >= line.size())
        return false;
    stat.name = QString::fromLocal8Bit(line.mid(open + 1, close - open - 1));
    stat.state = QLatin1Char(line.at(close + 2));
    return true;
}

bool isNumber(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (const QChar ch : name) {
        if (!ch.isDigit())
            return false;
    }
    return true;
}

} // namespace

SchedulerService::SchedulerService(const QString& processTable)
    : m_processTable(processTable)
{
}

const QStringList& SchedulerService::daemonNames()
{
    static const QStringList names = {QStringLiteral("cron"), QStringLiteral("crond"),
                                      QStringLiteral("fcron")};
    return names;
}

SchedulerService::Status SchedulerService::status() const
{
    const QDir table(m_processTable);
    if (!table.exists())
        return Status::Unknown;
    bool anyProcess = false;
    const QStringList entries = table.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (!isNumber(entry))
            continue;
        ProcessStat stat;
        // A process may end between listing and reading.
        if (!readStat(table.filePath(entry + QStringLiteral("/stat")), stat))
            continue;
        anyProcess = true;
        const bool alive = stat.state != QLatin1Char('Z') && stat.state != QLatin1Char('X');
        if (alive && daemonNames().contains(stat.name))
            return Status::Running;
    }
    // A readable process table lists at least the reader itself.
    return anyProcess ? Status::Stopped : Status::Unknown;
}

} // namespace corvane
