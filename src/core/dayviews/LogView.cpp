#include "core/dayviews/LogView.h"

#include "core/data/Dataset.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableDatabase.h"

#include <QSaveFile>

#include <stdexcept>

namespace corvane::LogView {

QString key(Period period)
{
    switch (period) {
    case Period::Entry: return QStringLiteral("Entry");
    case Period::Session: return QStringLiteral("Session");
    case Period::Week: return QStringLiteral("1 Week");
    case Period::Month: return QStringLiteral("1 Month");
    case Period::All: return QStringLiteral("All");
    }
    return {};
}

QString statement(Period period, const QDate& day, const QDate& today)
{
    switch (period) {
    case Period::Entry:
    case Period::Session:
        return QStringLiteral("SELECT * FROM CVLog WHERE xDate = ") + SqlQuote::date(day)
            + QStringLiteral(" ORDER BY xTime ASC");
    case Period::Week:
    case Period::Month:
        return QStringLiteral("SELECT * FROM CVLog WHERE xDate BETWEEN ")
            + SqlQuote::date(today.addDays(period == Period::Week ? -7 : -30)) + QStringLiteral(" AND ")
            + SqlQuote::date(today) + QStringLiteral(" ORDER BY xDate, xTime ASC");
    case Period::All: return QStringLiteral("SELECT * FROM CVLog ORDER BY xDate, xTime ASC");
    }
    return {};
}

QDate lastEntryDate(Database& general)
{
    Query query(&general, QStringLiteral("SELECT MAX(xDate) AS LastDate FROM CVLog"));
    query.open();
    return QDate::fromString(query.asString(QStringLiteral("LastDate")), Qt::ISODate);
}

QString line(const QDate& date, const QString& time, const QString& message)
{
    return date.toString(QStringLiteral("MM-dd-yyyy")) + QLatin1Char(':') + time + QLatin1Char(':') + message;
}

int exportLog(Query& query, const QString& statement, const QString& filePath)
{
    query.close();
    query.setRequestLive(false);
    query.setSql(statement);
    query.open();
    QString text;
    int count = 0;
    const QString dateField = QStringLiteral("xDate");
    const QString timeField = QStringLiteral("xTime");
    const QString messageField = QStringLiteral("Message");
    for (query.first(); !query.eof(); query.next()) {
        QString message = query.asString(messageField);
        // A record is one line of the text, whatever its message holds.
        message.replace(QLatin1String("\r\n"), QLatin1String(" "))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
        QString time = query.asString(timeField);
        if (time.size() > 8)
            time.truncate(8);
        text += line(query.asDate(dateField), time, message);
        text += QLatin1Char('\n');
        ++count;
    }
    query.close();
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text) || file.write(text.toUtf8()) < 0 || !file.commit())
        throw std::runtime_error(
            QString(QStringLiteral("Cannot write ") + filePath + QStringLiteral(": ") + file.errorString())
                .toStdString());
    return count;
}

} // namespace corvane::LogView
