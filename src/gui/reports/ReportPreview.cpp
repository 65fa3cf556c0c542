#include "gui/reports/ReportPreview.h"

#include "gui/reports/ReportRenderer.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

namespace corvane::reports {

void runReportPreview(const ReportRenderer& renderer, const QString& title, QWidget* owner)
{
    QPrinter printer(QPrinter::HighResolution);
    renderer.setUpPrinter(printer);
    QPrintPreviewDialog preview(&printer, owner);
    preview.setObjectName(QStringLiteral("ReportPreview"));
    preview.setWindowTitle(QStringLiteral("Print Preview - %1").arg(title));
    preview.resize(900, 700);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&renderer](QPrinter* target) { renderer.render(*target); });
    preview.exec();
}

} // namespace corvane::reports
