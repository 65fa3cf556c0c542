#pragma once

#include "core/data/TableDatabase.h"
#include "core/reports/ReportData.h"
#include "core/reports/ReportStyle.h"

#include <QString>

class QCoreApplication;
class QWidget;

namespace corvane::reports {

// One call into the report library: the report table of the data folder (as
// the settings store names it), the report's style, and the windows that
// print, preview or design it. Every window is modal and owned by the
// caller's main window; each run returns when its window closes. Failures are
// shown to the user and end the call; nothing escapes it.
class ReportJob
{
public:
    ReportJob(QCoreApplication* application, const QString& projectOrGroup, const QString& report);

    // The system print dialog, then the report on the chosen printer.
    void runPrint();
    // Qt's print preview of the report.
    void runPreview();
    // The design window of the report's style.
    void runDesign();

    // The caller's main window: its active window, else its first visible
    // top-level window; null when it shows none.
    static QWidget* ownerWindow(QCoreApplication* application);

private:
    // Opens the data folder and reads the report table and the style; false
    // (with the user told why) when that fails.
    bool prepare(bool needsReportTable);
    void showError(const QString& text) const;
    QString title() const;

    QWidget* m_owner;
    QString m_project;
    QString m_report;
    Session m_session;
    Session m_se3Session;
    Database m_general;
    Database m_se3;
    ReportData m_data;
    ReportStyle m_style;
};

} // namespace corvane::reports
