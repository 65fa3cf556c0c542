// The scheduled tasks: cron times, the crontab lines CVSchedule writes (which
// cron's own parser must accept), the Schedule table that follows them, and
// the project cascades working on what CVSchedule wrote.
#include "core/data/Dataset.h"
#include "core/projects/ProjectCascade.h"
#include "core/schedule/CronTime.h"
#include "core/schedule/TaskSchedule.h"

#include "CascadeProfile.h"
#include "TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

using namespace corvane;
using test::CascadeProfile;

namespace {

QDateTime at(const char* text) { return QDateTime::fromString(QLatin1String(text), Qt::ISODate); }

QString nextRun(const char* fields, const char* after)
{
    const std::optional<CronTime> t = CronTime::parse(QLatin1String(fields));
    return t ? t->nextRun(at(after)).toString(Qt::ISODate) : QStringLiteral("(does not parse)");
}

CronTime::Days days(std::initializer_list<int> list)
{
    CronTime::Days d;
    for (int day : list)
        d.set(day);
    return d;
}

class TaskScheduleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("CORVANE_CRONTAB", crontabPath().toUtf8());
        // Lines of the user's own stay as they are, in their place.
        writeCrontab("MAILTO=\"\"\n# my own jobs\n15 * * * * /usr/bin/true\n");
    }
    void TearDown() override { qunsetenv("CORVANE_CRONTAB"); }

    QString crontabPath() const { return m_profile.path(QStringLiteral("crontab")); }
    QByteArray crontab() const
    {
        QFile f(crontabPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeCrontab(const QByteArray& text) const
    {
        QFile f(crontabPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    // "Name|Projects" per row, in row order.
    QStringList scheduleRows() const
    {
        QStringList rows;
        for (QString row : m_data.dump(QStringLiteral("Schedule"))) {
            row.chop(1);
            rows << row.replace(QLatin1Char('\t'), QLatin1Char('|'));
        }
        return rows;
    }

    test::TempProfile m_profile;
    CascadeProfile m_data{m_profile.path(QStringLiteral("Data/"))};
    const QString m_harvester = QStringLiteral("/opt/Corvane Files/Harvester");
};

} // namespace

TEST(CronTimeTest, ParsesTheFieldsCronAccepts)
{
    for (const char* good : {"0 3 * * *", "*/15 8-18 * * 1-5", "5,35 0 1,15 * *", "0 0 29 2 *", "0 12 * * 7",
                             " 1  2 3 4 5 ", "0-59/20 * * 1-12/3 0"})
        EXPECT_TRUE(CronTime::parse(QLatin1String(good))) << good;
    for (const char* bad :
         {"", "0 3 * *", "0 3 * * * *", "60 3 * * *", "0 24 * * *", "0 3 0 * *", "0 3 * 13 *", "0 3 * * 8",
          "0 3 * * mon", "*/0 * * * *", "5-1 * * * *", "0 -3 * * *", "1,,2 * * * *", "@daily"})
        EXPECT_FALSE(CronTime::parse(QLatin1String(bad))) << bad;
}

TEST(CronTimeTest, WeeklyTimesAreWrittenAndDescribed)
{
    const std::optional<CronTime> weekdays = CronTime::weekly(days({1, 2, 3, 4, 5}), QTime(3, 5));
    ASSERT_TRUE(weekdays);
    EXPECT_EQ(weekdays->text(), QStringLiteral("5 3 * * 1,2,3,4,5"));
    EXPECT_EQ(weekdays->description(), QStringLiteral("Mon, Tue, Wed, Thu, Fri at 03:05"));
    EXPECT_TRUE(weekdays->isWeekly());
    EXPECT_EQ(weekdays->timeOfDay(), QTime(3, 5));
    EXPECT_EQ(weekdays->days(), days({1, 2, 3, 4, 5}));

    const std::optional<CronTime> daily = CronTime::weekly(CronTime::Days().set(), QTime(21, 30));
    EXPECT_EQ(daily->text(), QStringLiteral("30 21 * * *"));
    EXPECT_EQ(daily->description(), QStringLiteral("Every day at 21:30"));
    EXPECT_EQ(CronTime::weekly(days({0, 6}), QTime(0, 0))->description(),
              QStringLiteral("Sat, Sun at 00:00"));
    EXPECT_EQ(CronTime::parse(QStringLiteral("0 12 * * 7"))->description(), QStringLiteral("Sun at 12:00"));

    EXPECT_FALSE(CronTime::weekly({}, QTime(3, 0)));
    EXPECT_EQ(CronTime::parse(QStringLiteral("*/15 * * * *"))->description(), QStringLiteral("*/15 * * * *"));
    EXPECT_FALSE(CronTime::parse(QStringLiteral("*/15 * * * *"))->isWeekly());
}

TEST(CronTimeTest, TimesOfDayParseAsHoursAndMinutes)
{
    EXPECT_EQ(CronTime::parseTimeOfDay(QStringLiteral("3:05")), QTime(3, 5));
    EXPECT_EQ(CronTime::parseTimeOfDay(QStringLiteral(" 23:59 ")), QTime(23, 59));
    EXPECT_EQ(CronTime::parseTimeOfDay(QStringLiteral("00:00")), QTime(0, 0));
    for (const char* bad : {"", "24:00", "12:60", "3", "3:5", "3.05", "-1:00", "12:00 pm", "١٢:٠٠"})
        EXPECT_FALSE(CronTime::parseTimeOfDay(QString::fromUtf8(bad))) << bad;
}

TEST(CronTimeTest, NextRunIsTheFirstMatchingMinuteAfterTheMoment)
{
    // 2026-12-06 is a Sunday.
    EXPECT_EQ(nextRun("0 3 * * 1,3", "2026-12-06T12:00:00"), QStringLiteral("2026-12-07T03:00:00"));
    EXPECT_EQ(nextRun("0 3 * * 1,3", "2026-12-07T03:00:00"), QStringLiteral("2026-12-09T03:00:00"));
    EXPECT_EQ(nextRun("0 3 * * 1,3", "2026-12-07T02:59:30"), QStringLiteral("2026-12-07T03:00:00"));
    EXPECT_EQ(nextRun("30 21 * * *", "2026-12-31T22:00:00"), QStringLiteral("2027-01-01T21:30:00"));
    EXPECT_EQ(nextRun("*/20 * * * *", "2026-12-06T12:41:00"), QStringLiteral("2026-12-06T13:00:00"));
    EXPECT_EQ(nextRun("0 0 29 2 *", "2026-03-01T00:00:00"), QStringLiteral("2028-02-29T00:00:00"));
    // Day of month and day of week both given: either one runs.
    EXPECT_EQ(nextRun("0 6 15 * 5", "2026-12-06T00:00:00"), QStringLiteral("2026-12-11T06:00:00"));
    EXPECT_EQ(nextRun("0 6 8 * 5", "2026-12-06T00:00:00"), QStringLiteral("2026-12-08T06:00:00"));
    // A day that never comes.
    EXPECT_EQ(nextRun("0 0 31 2 *", "2026-12-06T00:00:00"), QString());
}

TEST_F(TaskScheduleTest, TasksRoundTripThroughACrontabThatCronAccepts)
{
    TaskSchedule schedule(m_data.db(), m_harvester);
    schedule.load();
    EXPECT_TRUE(schedule.tasks().isEmpty());

    const ScheduledTask nightly{QStringLiteral("Nächtlich \"A&B\" <b>"),
                                {CascadeProfile::Project, CascadeProfile::Other},
                                QStringLiteral("0 3 * * *")};
    const ScheduledTask weekly{
        QStringLiteral("Mondays"), {CascadeProfile::Other}, QStringLiteral("30  6 * * 1")};
    ASSERT_EQ(schedule.save(nightly), QString());
    ASSERT_EQ(schedule.save(weekly), QString());

    const QStringList lines = QString::fromUtf8(crontab()).split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 6) << crontab().constData();
    EXPECT_EQ(lines.mid(0, 3),
              (QStringList{QStringLiteral("MAILTO=\"\""), QStringLiteral("# my own jobs"),
                           QStringLiteral("15 * * * * /usr/bin/true")}));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("0 3 * * * CORVANE_REGISTRY=")));
    EXPECT_TRUE(lines[3].contains(QStringLiteral(" '/opt/Corvane Files/Harvester' ")));
    EXPECT_TRUE(lines[3].endsWith(
        QStringLiteral(R"("Ñandú\"O'K\\50\%" "Other" # Corvane task: Nächtlich "A&B" <b>)")))
        << lines[3].toStdString();
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("30 6 * * 1 ")));
    EXPECT_EQ(lines[5], QString());

    // cron's own parser (a dry run: nothing is installed).
    const QString crontabProgram = QStandardPaths::findExecutable(QStringLiteral("crontab"));
    if (!crontabProgram.isEmpty()) {
        QProcess check;
        check.start(crontabProgram, {QStringLiteral("-n"), crontabPath()});
        ASSERT_TRUE(check.waitForFinished(10000));
        EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardError().constData();
    }

    // Read back by a new schedule: the same tasks, times in their written form.
    TaskSchedule again(m_data.db(), m_harvester);
    again.load();
    ASSERT_EQ(again.tasks().size(), 2);
    EXPECT_EQ(again.tasks()[0], nightly);
    EXPECT_EQ(again.tasks()[1].projects, weekly.projects);
    EXPECT_EQ(again.tasks()[1].when, QStringLiteral("30 6 * * 1"));

    // The Schedule table holds one row per task, projects one a line.
    EXPECT_EQ(scheduleRows(),
              (QStringList{QStringLiteral("Nächtlich \"A&B\" <b>|") + CascadeProfile::Project
                               + QStringLiteral("\r\nOther"),
                           QStringLiteral("Mondays|Other")}));
}

TEST_F(TaskScheduleTest, FaultyTasksAreRefusedAndChangeNothing)
{
    TaskSchedule schedule(m_data.db(), m_harvester);
    schedule.load();
    ASSERT_EQ(
        schedule.save({QStringLiteral("Nightly"), {QStringLiteral("Other")}, QStringLiteral("0 3 * * *")}),
        QString());
    const QByteArray before = crontab();
    const QStringList rowsBefore = scheduleRows();

    const struct
    {
        ScheduledTask task;
        const char* message;
    } cases[] = {
        {{QStringLiteral("  "), {QStringLiteral("Other")}, QStringLiteral("0 3 * * *")},
         "Please enter a name for the task."},
        {{QStringLiteral("NIGHTLY"), {QStringLiteral("Other")}, QStringLiteral("0 4 * * *")},
         "There is already a task named \"Nightly\"."},
        {{QStringLiteral("Later"), {QStringLiteral("Other")}, QStringLiteral("0 25 * * *")},
         "The time of the task does not parse: \"0 25 * * *\"."},
        {{QStringLiteral("Later"), {}, QStringLiteral("0 4 * * *")},
         "Please choose at least one project for the task."},
        {{QStringLiteral("Two\nlines"), {QStringLiteral("Other")}, QStringLiteral("0 4 * * *")},
         "The task name may not hold a line break, a tab or \"%\"."},
        {{QString(65, QLatin1Char('x')), {QStringLiteral("Other")}, QStringLiteral("0 4 * * *")},
         "The task name is longer than 64 characters."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(schedule.save(c.task), QString::fromUtf8(c.message));
        EXPECT_EQ(crontab(), before);
        EXPECT_EQ(scheduleRows(), rowsBefore);
    }
    // A task may keep its own name when edited, in any case.
    EXPECT_EQ(
        schedule.problem({QStringLiteral("Nightly"), {QStringLiteral("Other")}, QStringLiteral("0 4 * * *")},
                         QStringLiteral("nightly")),
        QString());
}

TEST_F(TaskScheduleTest, EditingKeepsTheLineInPlaceAndDeletingRemovesRowAndLine)
{
    TaskSchedule schedule(m_data.db(), m_harvester);
    schedule.load();
    ASSERT_EQ(schedule.save({QStringLiteral("A"), {QStringLiteral("Other")}, QStringLiteral("0 3 * * *")}),
              QString());
    ASSERT_EQ(schedule.save({QStringLiteral("B"), {QStringLiteral("Other")}, QStringLiteral("0 4 * * *")}),
              QString());

    ASSERT_EQ(schedule.save({QStringLiteral("A2"), {CascadeProfile::Project}, QStringLiteral("15 2 * * 0,6")},
                            QStringLiteral("A")),
              QString());
    ASSERT_EQ(schedule.tasks().size(), 2);
    EXPECT_EQ(schedule.tasks()[0].name, QStringLiteral("A2"));
    EXPECT_EQ(schedule.tasks()[0].when, QStringLiteral("15 2 * * 0,6"));
    EXPECT_EQ(scheduleRows(),
              (QStringList{QStringLiteral("B|Other"), QStringLiteral("A2|") + CascadeProfile::Project}));

    schedule.remove(QStringLiteral("B"));
    EXPECT_EQ(schedule.tasks().size(), 1);
    EXPECT_FALSE(crontab().contains("# Corvane task: B\n"));
    EXPECT_TRUE(crontab().startsWith("MAILTO=\"\"\n# my own jobs\n15 * * * * /usr/bin/true\n"));
    EXPECT_EQ(scheduleRows(), (QStringList{QStringLiteral("A2|") + CascadeProfile::Project}));
}

TEST_F(TaskScheduleTest, ProjectCascadesFollowTheTasksCVScheduleWrote)
{
    m_data.seed();
    // seed() wrote tasks of its own into the crontab; start from the user's lines again.
    writeCrontab("MAILTO=\"\"\n");
    TaskSchedule schedule(m_data.db(), m_harvester);
    schedule.load();
    ASSERT_EQ(schedule.save({QStringLiteral("Both"),
                             {CascadeProfile::Project, CascadeProfile::Other},
                             QStringLiteral("0 3 * * *")}),
              QString());
    ASSERT_EQ(schedule.save({QStringLiteral("Only"), {CascadeProfile::Project}, QStringLiteral("0 5 * * 1")}),
              QString());

    const QString renamed = QStringLiteral("Ñandú \"neu\" $HOME `x`");
    ProjectCascade(m_data.db()).renameProject(CascadeProfile::Project, renamed);
    schedule.load();
    ASSERT_EQ(schedule.tasks().size(), 2);
    EXPECT_EQ(schedule.tasks()[0].projects, (QStringList{renamed, CascadeProfile::Other}));
    EXPECT_EQ(schedule.tasks()[1].projects, (QStringList{renamed}));

    ProjectCascade(m_data.db()).deleteProject(renamed);
    schedule.load();
    ASSERT_EQ(schedule.tasks().size(), 1);
    EXPECT_EQ(schedule.tasks()[0].name, QStringLiteral("Both"));
    EXPECT_EQ(schedule.tasks()[0].projects, (QStringList{CascadeProfile::Other}));
    EXPECT_EQ(scheduleRows(), (QStringList{QStringLiteral("Both|Other")}));
}
