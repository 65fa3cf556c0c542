#pragma once

#include <QDate>
#include <QString>

namespace corvane {

class Database;
class Query;

// The log window's periods and the text file "Log.txt" it shows: the CVLog
// records of the period, one line each, "mm-dd-yyyy:hh:mm:ss:message".
namespace LogView {

enum class Period { Entry, Session, Week, Month, All };

// The window's key of the period: "Entry", "Session", "1 Week", "1 Month", "All".
QString key(Period period);

// The statement of the period. day is the last entry's date (Entry) or the
// project's last-run date (Session); today is the system date.
QString statement(Period period, const QDate& day, const QDate& today);

// The date of the last CVLog record in date and time order; invalid when the
// log is empty.
QDate lastEntryDate(Database& general);

// One record as a line of Log.txt, without the line end.
QString line(const QDate& date, const QString& time, const QString& message);

// Runs the statement on the query, writes every record as a line to the file
// (a temporary file renamed over it, so a failed write leaves the old one)
// and closes the query. Returns the number of records; throws
// std::runtime_error naming the file when it cannot be written.
int exportLog(Query& query, const QString& statement, const QString& filePath);

} // namespace LogView
} // namespace corvane
