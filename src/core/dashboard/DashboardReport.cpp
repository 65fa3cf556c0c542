#include "core/dashboard/DashboardReport.h"

#include "core/dashboard/DashboardData.h"
#include "core/dashboard/DashboardQueries.h"
#include "core/data/Dataset.h"
#include "core/data/FieldDefs.h"
#include "core/data/TableDatabase.h"

#include <QFile>
#include <QMap>

namespace corvane::DashboardReport {

namespace {

const QString ReportTableName = QStringLiteral("CVReportTemp");

void runInto(Database& general, const QString& sql)
{
    general.deleteTable(ReportTableName);
    Query query(&general, sql);
    query.execSql();
}

// The Top 10 report: one row per chart with its text and its picture.
void fillTopTen(Database& general, const Request& request)
{
    QStringList pieces;
    for (int slot = 0; slot < DashboardData::SlotCount; ++slot)
        pieces << DashboardQueries::topReportPiece(slot, request.project, request.topEngines.value(slot),
                                                   request.date);
    runInto(general, DashboardQueries::topReport(pieces));

    QMap<int, QList<TopTenRow>> charts;
    {
        Table rows(&general, ReportTableName);
        rows.open();
        for (rows.first(); !rows.eof(); rows.next())
            charts[rows.asString(QStringLiteral("xOrder")).toInt()].append(
                {rows.asString(QStringLiteral("Date")), rows.asString(QStringLiteral("Search Engine")),
                 rows.asString(QStringLiteral("Search Term")), rows.asInteger(QStringLiteral("Rank"))});
    }

    general.deleteTable(ReportTableName);
    TableDef def;
    def.name = ReportTableName;
    def.fields = {FieldDef{QStringLiteral("MemoData"), FieldType::Memo},
                  FieldDef{QStringLiteral("Chart"), FieldType::Graphic}};
    general.createTable(def);
    Table report(&general, ReportTableName);
    report.open();
    for (int slot = 0; slot < DashboardData::SlotCount; ++slot) {
        QFile image(request.imageFolder + QStringLiteral("Top10_%1.jpg").arg(slot + 1));
        report.append();
        report.setValue(QStringLiteral("MemoData"), topTenText(charts.value(slot)));
        if (image.open(QIODevice::ReadOnly))
            report.setValue(QStringLiteral("Chart"), image.readAll());
        report.post();
    }
}

} // namespace

QString caption(Selection selection)
{
    switch (selection) {
    case Selection::SessionInfo: return QStringLiteral("Session Info Selected for Print");
    case Selection::FirstPage: return QStringLiteral("1st Page List Selected for Print");
    case Selection::NewArrivals: return QStringLiteral("New Arrivals Selected for Print");
    case Selection::Saturation: return QStringLiteral("Saturation Selected for Print");
    case Selection::TopTen: return QStringLiteral("Top 10 Charts Selected for Print");
    case Selection::None: break;
    }
    return QStringLiteral("None Selected for Print");
}

QString topTenText(const QList<TopTenRow>& rows)
{
    if (rows.isEmpty())
        return {};
    QStringList lines{QStringLiteral("Date: ") + rows.first().date + QStringLiteral(" -- Search Engine: ")
                      + rows.first().engine};
    for (const TopTenRow& row : rows)
        lines << QStringLiteral("Search Term: ") + row.term + QStringLiteral(" -- Rank ")
                + QString::number(row.rank);
    return lines.join(QLatin1Char('\n'));
}

QString fill(Database& general, const Request& request)
{
    switch (request.selection) {
    case Selection::FirstPage:
        runInto(general, DashboardQueries::firstPage(request.project, true));
        return QStringLiteral("FirstPage");
    case Selection::NewArrivals:
        runInto(general, DashboardQueries::newArrivals(request.project, request.date, true));
        return QStringLiteral("NewArrivals");
    case Selection::Saturation:
        runInto(general, DashboardQueries::saturation(request.project, true));
        return QStringLiteral("Saturation");
    case Selection::SessionInfo: {
        const bool updates = request.sessionPart == SessionPart::ScriptUpdates;
        runInto(general,
                DashboardQueries::notesReport(
                    updates ? DashboardQueries::scriptUpdatesCondition()
                            : DashboardQueries::optimizationNotesCondition(request.project)));
        return updates ? QStringLiteral("SessionInfo1") : QStringLiteral("SessionInfo2");
    }
    case Selection::TopTen: fillTopTen(general, request); return QStringLiteral("Top10");
    case Selection::None: break;
    }
    return {};
}

} // namespace corvane::DashboardReport
