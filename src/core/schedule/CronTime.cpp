#include "core/schedule/CronTime.h"

#include <QRegularExpression>
#include <QStringList>
#include <QTimeZone>

namespace corvane {

namespace {

// Sets the bits of one field; false when the field is not valid.
template <std::size_t N>
bool parseField(const QString& field, int low, int high, std::bitset<N>& bits, bool sundaySeven = false)
{
    if (field.isEmpty())
        return false;
    const auto number = [](const QString& text, int& value) {
        bool ok = false;
        value = text.toInt(&ok);
        return ok && !text.startsWith(QLatin1Char('+')) && !text.startsWith(QLatin1Char('-'));
    };
    const int top = sundaySeven ? 7 : high;
    for (const QString& part : field.split(QLatin1Char(','))) {
        QString range = part;
        int step = 1;
        const qsizetype slash = part.indexOf(QLatin1Char('/'));
        if (slash >= 0) {
            if (!number(part.mid(slash + 1), step) || step < 1)
                return false;
            range = part.left(slash);
        }
        int from = low;
        int to = high;
        if (range != QLatin1String("*")) {
            const qsizetype dash = range.indexOf(QLatin1Char('-'));
            if (dash > 0) {
                if (!number(range.left(dash), from) || !number(range.mid(dash + 1), to))
                    return false;
            } else {
                if (!number(range, from))
                    return false;
                // "5/10" runs from 5 to the end, as in cron.
                to = slash >= 0 ? top : from;
            }
            if (from < low || to > top || from > to)
                return false;
        }
        for (int v = from; v <= to; v += step)
            bits.set(sundaySeven && v == 7 ? 0 : v);
    }
    return true;
}

const char* const DayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

} // namespace

std::optional<CronTime> CronTime::parse(const QString& fields)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList parts = fields.trimmed().split(blanks, Qt::SkipEmptyParts);
    if (parts.size() != 5)
        return std::nullopt;
    CronTime t;
    if (!parseField(parts[0], 0, 59, t.m_minutes) || !parseField(parts[1], 0, 23, t.m_hours)
        || !parseField(parts[2], 1, 31, t.m_monthDays) || !parseField(parts[3], 1, 12, t.m_months)
        || !parseField(parts[4], 0, 6, t.m_weekDays, true))
        return std::nullopt;
    t.m_anyMonthDay = parts[2].startsWith(QLatin1Char('*'));
    t.m_anyWeekDay = parts[4].startsWith(QLatin1Char('*'));
    t.m_text = parts.join(QLatin1Char(' '));
    return t;
}

std::optional<CronTime> CronTime::weekly(Days days, QTime time)
{
    if (days.none() || !time.isValid())
        return std::nullopt;
    QString dayField;
    if (days.all()) {
        dayField = QStringLiteral("*");
    } else {
        QStringList list;
        for (int d = 0; d < 7; ++d)
            if (days.test(d))
                list << QString::number(d);
        dayField = list.join(QLatin1Char(','));
    }
    return parse(QStringLiteral("%1 %2 * * %3").arg(time.minute()).arg(time.hour()).arg(dayField));
}

std::optional<QTime> CronTime::parseTimeOfDay(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d{1,2}):(\\d{2})\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const int hour = m.captured(1).toInt();
    const int minute = m.captured(2).toInt();
    if (hour > 23 || minute > 59)
        return std::nullopt;
    return QTime(hour, minute);
}

bool CronTime::isWeekly() const
{
    return m_minutes.count() == 1 && m_hours.count() == 1 && m_anyMonthDay && m_months.count() == 12;
}

CronTime::Days CronTime::days() const { return m_weekDays; }

QTime CronTime::timeOfDay() const
{
    int minute = 0;
    int hour = 0;
    while (minute < 59 && !m_minutes.test(minute))
        ++minute;
    while (hour < 23 && !m_hours.test(hour))
        ++hour;
    return QTime(hour, minute);
}

QString CronTime::description() const
{
    if (!isWeekly())
        return m_text;
    const QString at = QStringLiteral(" at ") + timeOfDay().toString(QStringLiteral("HH:mm"));
    if (m_weekDays.all())
        return QStringLiteral("Every day") + at;
    QStringList names;
    // Monday first, as the window lists the days.
    for (int i = 1; i <= 7; ++i)
        if (m_weekDays.test(i % 7))
            names << QLatin1String(DayNames[i % 7]);
    return names.join(QStringLiteral(", ")) + at;
}

bool CronTime::matchesDay(QDate date) const
{
    if (!m_months.test(date.month()))
        return false;
    const bool monthDay = m_monthDays.test(date.day());
    const bool weekDay = m_weekDays.test(date.dayOfWeek() % 7);
    if (!m_anyMonthDay && !m_anyWeekDay)
        return monthDay || weekDay;
    return monthDay && weekDay;
}

QDateTime CronTime::nextRun(const QDateTime& after) const
{
    if (m_text.isEmpty())
        return {};
    // From the next whole minute on.
    QDateTime start = after.addSecs(60);
    start.setTime(QTime(start.time().hour(), start.time().minute()));
    QDate day = start.date();
    int fromMinuteOfDay = start.time().hour() * 60 + start.time().minute();
    for (int n = 0; n < 366 * 8; ++n, day = day.addDays(1), fromMinuteOfDay = 0) {
        if (!matchesDay(day))
            continue;
        for (int m = fromMinuteOfDay; m < 24 * 60; ++m) {
            if (m_hours.test(m / 60) && m_minutes.test(m % 60)) {
                QDateTime run = after;
                run.setDate(day);
                run.setTime(QTime(m / 60, m % 60));
                // A minute that the clock skips (summer time) does not run: look on.
                if (run.isValid() && run > after)
                    return run;
            }
        }
    }
    return {};
}

} // namespace corvane
