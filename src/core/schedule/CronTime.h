#pragma once

#include <QDateTime>
#include <QString>
#include <QTime>

#include <bitset>
#include <optional>

namespace corvane {

// The time fields of a crontab line: minute, hour, day of month, month and
// day of week, each "*", a number, a range "a-b", a step "*/n" or "a-b/n",
// or a comma-separated list of those (names of months and days are not
// used). Day 7 is Sunday like day 0. As in cron, when both the day of month
// and the day of week are restricted, a day matching either one runs.
class CronTime
{
public:
    // Days of the week as cron counts them, Sunday first.
    using Days = std::bitset<7>;

    // Nothing when the text is not five valid fields.
    static std::optional<CronTime> parse(const QString& fields);

    // The time of a task run on the given days at the given time of day
    // ("M H * * d,d,..." or "M H * * *" for every day). No day: nothing.
    static std::optional<CronTime> weekly(Days days, QTime time);

    // "3:05", "03:05" or "23:59": hours 0-23 and minutes 0-59. Nothing when
    // the text is anything else.
    static std::optional<QTime> parseTimeOfDay(const QString& text);

    // The five fields as written into the crontab.
    QString text() const { return m_text; }

    // True when the time is one day-of-week list and a single minute and hour
    // (what weekly() writes); days() and timeOfDay() then describe it.
    bool isWeekly() const;
    Days days() const;
    QTime timeOfDay() const;

    // "Every day at 03:00", "Mon, Wed, Fri at 21:30"; the fields themselves
    // for any other time.
    QString description() const;

    // The first minute after the given moment at which the task runs; an
    // invalid QDateTime when none falls within the next eight years.
    QDateTime nextRun(const QDateTime& after) const;

private:
    bool matchesDay(QDate date) const;

    QString m_text;
    std::bitset<60> m_minutes;
    std::bitset<24> m_hours;
    std::bitset<32> m_monthDays; // 1-31
    std::bitset<13> m_months;    // 1-12
    Days m_weekDays;
    bool m_anyMonthDay = true;
    bool m_anyWeekDay = true;
};

} // namespace corvane
