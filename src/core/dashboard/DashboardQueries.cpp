#include "core/dashboard/DashboardQueries.h"

#include "core/data/SqlQuote.h"

namespace corvane::DashboardQueries {

namespace {

QString dq(const QString& value) { return SqlQuote::quoted(value, QLatin1Char('"')); }

QString intoReport(bool into) { return into ? QStringLiteral(" into CVReportTemp") : QString(); }

} // namespace

QString topEngines(const QString& project, const QString& date)
{
    return QStringLiteral("select distinct SearchEngine, Popularity from summary su join CVSE3 se3 on "
                          "(su.SearchEngine = se3.Name) where su.xDate = ")
        + dq(date) + QStringLiteral(" and su.Type = \"TopSE\" and su.Project = ") + dq(project)
        + QStringLiteral(" order by Popularity DESC");
}

QString topSlot(const QString& project, const QString& engine, const QString& date)
{
    return QStringLiteral("select * from summary where Type = \"TopSE\" and Project = ") + dq(project)
        + QStringLiteral(" and SearchEngine = ") + dq(engine) + QStringLiteral(" and xDate = ") + dq(date)
        + QStringLiteral(" order by SearchTerm nocase");
}

QString topReportPiece(int slot, const QString& project, const QString& engine, const QString& date)
{
    return QStringLiteral("select '") + QString::number(slot)
        + QStringLiteral("' as xOrder, xDate as 'Date', SearchTerm as 'Search Term', SearchEngine as 'Search "
                         "Engine', Rank, Page")
        + intoReport(slot == 0) + QStringLiteral(" from summary where Type = \"TopSE\" and Project = ")
        + dq(project) + QStringLiteral(" and SearchEngine = ") + dq(engine) + QStringLiteral(" and xDate = ")
        + dq(date);
}

QString topReport(const QStringList& pieces)
{
    return pieces.join(QStringLiteral(" UNION ALL ")) + QStringLiteral(" order by SearchEngine, Rank nocase");
}

QString firstPage(const QString& project, bool into)
{
    return QStringLiteral("select SearchEngine, SearchTerm, Rank") + intoReport(into)
        + QStringLiteral(" from summary where Type = \"PR1\" and Project = ") + dq(project)
        + QStringLiteral(" order by SearchEngine, SearchTerm, Rank nocase");
}

QString newArrivals(const QString& project, const QString& date, bool into)
{
    return QStringLiteral("select *") + intoReport(into) + QStringLiteral(" from summary where xDate = ")
        + dq(date) + QStringLiteral(" and Type = \"New\" and Project = ") + dq(project)
        + QStringLiteral(" order by SearchEngine, SearchTerm, Rank nocase");
}

QString saturation(const QString& project, bool into)
{
    return QStringLiteral("select SearchEngine, Rank") + intoReport(into)
        + QStringLiteral(" from summary where Type = \"SAT\" and Project = ") + dq(project)
        + QStringLiteral(" order by Rank ASC, SearchEngine ASC nocase");
}

QString scriptUpdatesCondition() { return QStringLiteral("Subject = \"Script update\""); }

QString optimizationNotesCondition(const QString& project)
{
    return QStringLiteral("Project = ") + dq(project) + QStringLiteral(" AND Subject = \"Optimization\"");
}

QString notes(const QString& condition)
{
    return QStringLiteral("select * from CVNotable where ") + condition;
}

QString notesReport(const QString& condition)
{
    return QStringLiteral("select xDate, xTime, Type, Subject, Content AS MemoContent, Project into "
                          "CVReportTemp from CVNotable where ")
        + condition;
}

QString chartTitle(int slot, const QString& engine, int points)
{
    if (engine.isEmpty())
        return QString::number(slot + 1) + QStringLiteral(" - No data");
    return QString::number(slot + 1) + QStringLiteral(" - ") + engine + QStringLiteral(" (")
        + QString::number(points) + QStringLiteral(" points)");
}

} // namespace corvane::DashboardQueries
