#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

class Database;

// What the dashboard's Print, Page Setup and Preview commands act on, and how
// each selection fills the report table for the report library.
namespace DashboardReport {

enum class Selection { None, SessionInfo, FirstPage, NewArrivals, Saturation, TopTen };

// "Session Info Selected for Print" ... "None Selected for Print"
QString caption(Selection selection);

// The session page's two parts, chosen before a Session Info report.
enum class SessionPart { ScriptUpdates, OptimizationNotes };

struct Request
{
    Selection selection = Selection::None;
    QString project;
    QString date;           // "yyyy-mm-dd", the project's last run
    QStringList topEngines; // the ten slots' engines, "" for empty slots
    SessionPart sessionPart = SessionPart::ScriptUpdates;
    QString imageFolder; // where "Top10_1.jpg" ... "Top10_10.jpg" lie
};

// Recreates CVReportTemp in the database's folder for the request and returns
// the report name ("FirstPage", "NewArrivals", "Saturation", "SessionInfo1",
// "SessionInfo2" or "Top10"); empty for no selection. Throws DatabaseError.
QString fill(Database& general, const Request& request);

// The text of one Top 10 chart in the Top 10 report.
struct TopTenRow
{
    QString date;
    QString engine;
    QString term;
    int rank = 0;
};
QString topTenText(const QList<TopTenRow>& rows);

} // namespace DashboardReport
} // namespace corvane
