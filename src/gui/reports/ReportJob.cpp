#include "gui/reports/ReportJob.h"

#include "core/data/DatabaseError.h"
#include "core/data/Schema.h"
#include "core/datamodule/DM1.h"
#include "core/platform/Registry.h"
#include "core/settings/Settings.h"
#include "gui/reports/ReportDesignForm.h"
#include "gui/reports/ReportPreview.h"
#include "gui/reports/ReportRenderer.h"

#include <QApplication>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextStream>

namespace corvane::reports {

ReportJob::ReportJob(QCoreApplication* application, const QString& projectOrGroup, const QString& report)
    : m_owner(ownerWindow(application))
    , m_project(projectOrGroup)
    , m_report(report)
    , m_session(QStringLiteral("CVReportsSession"))
    , m_se3Session(QStringLiteral("CVReportsSE3Session"))
    , m_general(QStringLiteral("CVReportsDatabase"), &m_session)
    , m_se3(QStringLiteral("SE3"), &m_se3Session)
{
    m_se3Session.setPasswordHook([](Session& session) {
        session.addPassword(QLatin1String(Schema::SE3Password));
        return true;
    });
}

QWidget* ReportJob::ownerWindow(QCoreApplication* application)
{
    if (!application)
        return nullptr;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window->isVisible() && window->isWindow() && !window->windowFlags().testFlag(Qt::ToolTip)
            && !window->windowFlags().testFlag(Qt::Popup))
            return window;
    }
    return nullptr;
}

void ReportJob::showError(const QString& text) const
{
    const QString html =
        QStringLiteral("<P ALIGN=\"CENTER\">") + text.toHtmlEscaped() + QStringLiteral("</P>");
    if (DM1)
        DM1->ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"), html, true, {});
    else
        QTextStream(stderr) << "CVReports: " << text << Qt::endl;
}

QString ReportJob::title() const { return m_style.titleFor(m_report, m_project); }

bool ReportJob::prepare(bool needsReportTable)
{
    Registry registry;
    SettingsRecord settings;
    loadSettings(registry, settings);
    if (settings.DataFolder.isEmpty() || !QFileInfo(settings.DataFolder).isDir()) {
        showError(QStringLiteral("The data folder \"%1\" does not exist.").arg(settings.DataFolder));
        return false;
    }
    try {
        m_general.setDirectory(settings.DataFolder);
        m_se3.setDirectory(settings.DataFolder);
        m_general.connect();
        m_se3.connect();
        if (m_se3.tableExists(QLatin1String(ReportStyleStore::TableName)))
            m_style = ReportStyleStore(m_se3).load(m_report, m_project);
        if (!m_general.tableExists(QLatin1String(ReportTable))) {
            if (needsReportTable) {
                showError(
                    QStringLiteral("There is nothing to print: the report table %1 is missing from the data "
                                   "folder \"%2\".")
                        .arg(QLatin1String(ReportTable), settings.DataFolder));
                return false;
            }
            return true;
        }
        m_data = readReportData(m_general);
    } catch (const DatabaseError& e) {
        showError(e.message());
        return false;
    }
    return true;
}

void ReportJob::runPrint()
{
    if (!prepare(true))
        return;
    const ReportRenderer renderer(m_data, m_style, title());
    QPrinter printer(QPrinter::HighResolution);
    renderer.setUpPrinter(printer);
    QPrintDialog dialog(&printer, m_owner);
    dialog.setWindowTitle(QStringLiteral("Print - %1").arg(title()));
    if (dialog.exec() == QDialog::Accepted)
        renderer.render(printer);
}

void ReportJob::runPreview()
{
    if (prepare(true))
        runReportPreview(ReportRenderer(m_data, m_style, title()), title(), m_owner);
}

void ReportJob::runDesign()
{
    if (!prepare(false))
        return;
    TReportDesignForm form(m_data, m_style, m_report, m_project, m_owner);
    form.onSave = [this](const ReportStyle& style) {
        try {
            ReportStyleStore(m_se3).save(m_report, m_project, style);
            return true;
        } catch (const DatabaseError& e) {
            showError(e.message());
            return false;
        }
    };
    form.exec();
}

} // namespace corvane::reports
