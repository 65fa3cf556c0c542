#include "core/livecheck/DuvudaExport.h"

#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/export/HtmlCellText.h"
#include "core/print/ReportTable.h"

namespace corvane {

QString DuvudaExport::cellValue(const QString& cell, DuvudaExportKind kind)
{
    switch (kind) {
    case DuvudaExportKind::Labels: return HtmlCellText::visibleText(cell);
    case DuvudaExportKind::Links: return HtmlCellText::linkAddress(cell);
    case DuvudaExportKind::Html: return cell;
    }
    return cell;
}

void DuvudaExport::fillTable(Table& table, const QList<DuvudaResultRow>& rows, DuvudaExportKind kind)
{
    table.emptyTable();
    for (const DuvudaResultRow& row : rows) {
        if (row.isBlank())
            continue;
        table.append();
        table.setValue(QStringLiteral("xDate"), row.date);
        table.setValue(QStringLiteral("Rank"), row.cells[DuvudaResultRow::Rank].toInt());
        table.setValue(QStringLiteral("Page"), row.cells[DuvudaResultRow::Page].toInt());
        table.setValue(QStringLiteral("URL"), cellValue(row.cells[DuvudaResultRow::URL], kind));
        table.setValue(QStringLiteral("SearchTerm"), cellValue(row.cells[DuvudaResultRow::SearchTerm], kind));
        table.setValue(QStringLiteral("SearchEngine"),
                       cellValue(row.cells[DuvudaResultRow::SearchEngine], kind));
        table.post();
    }
}

void DuvudaExport::fillReportTable(Database& database, const QList<DuvudaResultRow>& rows)
{
    ReportTable::recreate(database, Schema::table(QStringLiteral("PPExport"))->fields);
    Table report(&database, QLatin1String(ReportTable::Name));
    report.open();
    fillTable(report, rows, DuvudaExportKind::Labels);
    report.close();
}

} // namespace corvane
