#include "core/schedule/TaskSchedule.h"

#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/platform/AppFolders.h"

#include <QRegularExpression>

namespace corvane {

namespace {

const QString ScheduleTable = QStringLiteral("Schedule");

// The projects as the Schedule table keeps them: one name a line.
QString joinLines(const QStringList& lines) { return lines.join(QStringLiteral("\r\n")); }

// A program path as a shell word: bare when it needs no quoting, else
// between single quotes (in which only ' itself needs care).
QString shellWord(const QString& text)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./+-]+$"));
    if (plain.match(text).hasMatch())
        return text;
    QString word = text;
    word.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    word.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    return QLatin1Char('\'') + word + QLatin1Char('\'');
}

// Splits the command part of a task line into shell words: double quotes
// with backslash escapes (as quoteProject writes them), single quotes, bare
// words. False when a quote is left open.
bool shellWords(const QString& text, QStringList& words)
{
    QString word;
    bool inWord = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isSpace()) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else if (c == QLatin1Char('"')) {
            inWord = true;
            for (++i;; ++i) {
                if (i >= text.size())
                    return false;
                QChar d = text.at(i);
                if (d == QLatin1Char('"'))
                    break;
                if (d == QLatin1Char('\\') && i + 1 < text.size())
                    d = text.at(++i);
                word += d;
            }
        } else if (c == QLatin1Char('\'')) {
            inWord = true;
            const qsizetype end = text.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0)
                return false;
            word += text.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            inWord = true;
            word += text.at(++i);
        } else {
            inWord = true;
            word += c;
        }
    }
    if (inWord)
        words << word;
    return true;
}

} // namespace

TaskSchedule::TaskSchedule(Database& database, const QString& harvester)
    : m_db(database)
    , m_harvester(harvester.isEmpty() ? AppFolders::binariesFolder() + QStringLiteral("Harvester")
                                      : harvester)
{
}

void TaskSchedule::load()
{
    m_crontab = ScheduledTasks::load();
    m_tasks.clear();
    for (const QString& line : m_crontab.lines())
        if (const std::optional<ScheduledTask> task = parseLine(line))
            m_tasks.append(*task);
}

const ScheduledTask* TaskSchedule::task(const QString& name) const
{
    for (const ScheduledTask& t : m_tasks)
        if (t.name == name)
            return &t;
    return nullptr;
}

std::optional<ScheduledTask> TaskSchedule::parseLine(const QString& line)
{
    const QString name = ScheduledTasks::taskNameOf(line);
    if (name.isEmpty())
        return std::nullopt;
    static const QRegularExpression fields(QStringLiteral("^\\s*((?:\\S+\\s+){4}\\S+)\\s+(.*)$"));
    const QString before = line.left(line.lastIndexOf(QStringLiteral("# Corvane task: "))).trimmed();
    const QRegularExpressionMatch m = fields.match(before);
    if (!m.hasMatch())
        return std::nullopt;
    const std::optional<CronTime> when = CronTime::parse(m.captured(1));
    QStringList words;
    // cron reads an unescaped % as the end of the command; quoteProject escapes it.
    QString command = m.captured(2);
    command.replace(QStringLiteral("\\%"), QStringLiteral("%"));
    if (!when || !shellWords(command, words) || words.isEmpty())
        return std::nullopt;
    // Settings named for the run ("CORVANE_REGISTRY=..."), then the program.
    static const QRegularExpression assignment(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*="));
    while (!words.isEmpty() && assignment.match(words.constFirst()).hasMatch())
        words.removeFirst();
    if (words.isEmpty())
        return std::nullopt;
    words.removeFirst();
    return ScheduledTask{name, words, when->text()};
}

QString TaskSchedule::problem(const ScheduledTask& task, const QString& replacing) const
{
    const QString name = task.name;
    if (name.trimmed().isEmpty())
        return QStringLiteral("Please enter a name for the task.");
    if (name != name.trimmed())
        return QStringLiteral("The task name \"%1\" begins or ends with a blank.").arg(name);
    if (name.size() > MaximumNameLength)
        return QStringLiteral("The task name is longer than %1 characters.").arg(MaximumNameLength);
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control || c == QLatin1Char('%'))
            return QStringLiteral("The task name may not hold a line break, a tab or \"%\".");
    for (const ScheduledTask& other : m_tasks)
        if (other.name.compare(name, Qt::CaseInsensitive) == 0
            && other.name.compare(replacing, Qt::CaseInsensitive) != 0)
            return QStringLiteral("There is already a task named \"%1\".").arg(other.name);
    if (!CronTime::parse(task.when))
        return QStringLiteral("The time of the task does not parse: \"%1\".").arg(task.when);
    if (task.projects.isEmpty())
        return QStringLiteral("Please choose at least one project for the task.");
    for (const QString& project : task.projects)
        if (project.contains(QLatin1Char('\n')) || project.contains(QLatin1Char('\r')))
            return QStringLiteral("The project name \"%1\" holds a line break.").arg(project.simplified());
    return {};
}

QString TaskSchedule::taskLine(const ScheduledTask& task) const
{
    // A profile of its own (CORVANE_REGISTRY) goes with the task, so cron
    // mines the same profile.
    QString command = shellWord(m_harvester);
    if (const QString registry = qEnvironmentVariable("CORVANE_REGISTRY"); !registry.isEmpty())
        command = QStringLiteral("CORVANE_REGISTRY=") + shellWord(registry) + QLatin1Char(' ') + command;
    return ScheduledTasks::taskLine(CronTime::parse(task.when)->text(), command, task.projects, task.name);
}

QString TaskSchedule::save(const ScheduledTask& task, const QString& replacing)
{
    if (const QString fault = problem(task, replacing); !fault.isEmpty())
        return fault;
    ScheduledTask stored = task;
    stored.when = CronTime::parse(task.when)->text();
    m_crontab.setTaskLine(replacing.isEmpty() ? task.name : replacing, taskLine(stored));
    m_crontab.save();
    load();
    writeTable();
    return {};
}

void TaskSchedule::remove(const QString& name)
{
    m_crontab.removeTask(name);
    m_crontab.save();
    load();
    writeTable();
}

void TaskSchedule::writeTable()
{
    if (!m_db.tableExists(ScheduleTable))
        m_db.createTable(*Schema::table(ScheduleTable));
    Table rows(&m_db, ScheduleTable);
    rows.open();
    QStringList written;
    rows.first();
    while (!rows.eof()) {
        const QString name = rows.asString(QStringLiteral("Name"));
        const ScheduledTask* t = task(name);
        if (!t || written.contains(name)) {
            rows.remove();
            continue;
        }
        const QString projects = joinLines(t->projects);
        if (rows.asString(QStringLiteral("Projects")) != projects) {
            rows.edit();
            rows.setValue(QStringLiteral("Projects"), projects);
            rows.post();
        }
        written << name;
        rows.next();
    }
    for (const ScheduledTask& t : m_tasks) {
        if (written.contains(t.name))
            continue;
        rows.append();
        rows.setValue(QStringLiteral("Name"), t.name);
        rows.setValue(QStringLiteral("Projects"), joinLines(t.projects));
        rows.post();
    }
    rows.close();
}

} // namespace corvane
