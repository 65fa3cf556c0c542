#include "core/schedule/ScheduledTasks.h"

#include <QFile>
#include <QProcess>
#include <QSaveFile>

#include <stdexcept>

namespace corvane {

namespace {

QString crontabFile() { return qEnvironmentVariable("CORVANE_CRONTAB"); }

const QLatin1String Marker("# Corvane task: ");

} // namespace

ScheduledTasks ScheduledTasks::load()
{
    ScheduledTasks tasks;
    QByteArray text;
    const QString file = crontabFile();
    if (!file.isEmpty()) {
        QFile f(file);
        if (f.exists()) {
            if (!f.open(QIODevice::ReadOnly))
                throw std::runtime_error("Cannot read the crontab file " + file.toStdString() + ": "
                                         + f.errorString().toStdString());
            text = f.readAll();
        }
    } else {
        QProcess crontab;
        crontab.start(QStringLiteral("crontab"), {QStringLiteral("-l")});
        if (!crontab.waitForFinished(10000))
            throw std::runtime_error("crontab -l did not run: " + crontab.errorString().toStdString());
        // "no crontab for <user>" ends with status 1 and counts as empty.
        if (crontab.exitCode() == 0)
            text = crontab.readAllStandardOutput();
    }
    tasks.m_lines = QString::fromUtf8(text).split(QLatin1Char('\n'));
    if (!tasks.m_lines.isEmpty() && tasks.m_lines.constLast().isEmpty())
        tasks.m_lines.removeLast();
    return tasks;
}

void ScheduledTasks::save() const
{
    if (!m_changed)
        return;
    QByteArray text;
    for (const QString& line : m_lines)
        text += line.toUtf8() + '\n';
    const QString file = crontabFile();
    if (!file.isEmpty()) {
        QSaveFile f(file);
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size() || !f.commit())
            throw std::runtime_error("Cannot write the crontab file " + file.toStdString() + ": "
                                     + f.errorString().toStdString());
        return;
    }
    QProcess crontab;
    crontab.start(QStringLiteral("crontab"), {QStringLiteral("-")});
    crontab.write(text);
    crontab.closeWriteChannel();
    if (!crontab.waitForFinished(10000) || crontab.exitCode() != 0)
        throw std::runtime_error(
            "crontab - failed: "
            + QString::fromLocal8Bit(crontab.readAllStandardError()).trimmed().toStdString());
}

QString ScheduledTasks::quoteProject(const QString& project)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : project) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"') || c == QLatin1Char('$') || c == QLatin1Char('`')
            || c == QLatin1Char('%'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    return quoted + QLatin1Char('"');
}

QString ScheduledTasks::marker(const QString& taskName) { return Marker + taskName; }

QString ScheduledTasks::taskLine(const QString& when, const QString& command, const QStringList& projects,
                                 const QString& taskName)
{
    QString line = when + QLatin1Char(' ') + command;
    for (const QString& project : projects)
        line += QLatin1Char(' ') + quoteProject(project);
    return line + QLatin1Char(' ') + marker(taskName);
}

int ScheduledTasks::find(const QString& taskName) const
{
    const QString tail = marker(taskName);
    for (int i = 0; i < m_lines.size(); ++i)
        if (m_lines.at(i).endsWith(tail) && !m_lines.at(i).trimmed().startsWith(QLatin1Char('#')))
            return i;
    return -1;
}

bool ScheduledTasks::hasTask(const QString& taskName) const { return find(taskName) >= 0; }

QString ScheduledTasks::parameters(const QString& taskName) const
{
    const int i = find(taskName);
    if (i < 0)
        return {};
    const QString& line = m_lines.at(i);
    return line.left(line.size() - marker(taskName).size()).trimmed();
}

bool ScheduledTasks::removeProject(const QString& taskName, const QString& project)
{
    const int i = find(taskName);
    if (i < 0)
        return false;
    QString params = parameters(taskName);
    const QString quoted = quoteProject(project);
    if (params.contains(quoted)) {
        params.replace(QLatin1Char(' ') + quoted, QString());
        params.replace(quoted, QString());
        while (params.contains(QLatin1String("  ")))
            params.replace(QLatin1String("  "), QLatin1String(" "));
        m_lines[i] = params.trimmed() + QLatin1Char(' ') + marker(taskName);
        m_changed = true;
    }
    // A task that names no project any more has nothing left to mine.
    return !params.contains(QLatin1Char('"'));
}

void ScheduledTasks::renameProject(const QString& taskName, const QString& oldName, const QString& newName)
{
    const int i = find(taskName);
    if (i < 0)
        return;
    QString params = parameters(taskName);
    const QString oldQuoted = quoteProject(oldName);
    if (!params.contains(oldQuoted))
        return;
    params.replace(oldQuoted, quoteProject(newName));
    m_lines[i] = params + QLatin1Char(' ') + marker(taskName);
    m_changed = true;
}

void ScheduledTasks::removeTask(const QString& taskName)
{
    const int i = find(taskName);
    if (i < 0)
        return;
    m_lines.removeAt(i);
    m_changed = true;
}

void ScheduledTasks::setTaskLine(const QString& taskName, const QString& line)
{
    const int i = find(taskName);
    if (i >= 0)
        m_lines[i] = line;
    else
        m_lines.append(line);
    m_changed = true;
}

QString ScheduledTasks::taskNameOf(const QString& line)
{
    const qsizetype at = line.indexOf(Marker);
    if (at < 0 || line.trimmed().startsWith(QLatin1Char('#')))
        return {};
    return line.mid(at + Marker.size());
}

} // namespace corvane
