#pragma once

#include <QString>

class QWidget;

namespace corvane::reports {

class ReportRenderer;

// Shows Qt's print preview of a report, modal to the owner, and returns when
// it closes. The preview can print the report from there.
void runReportPreview(const ReportRenderer& renderer, const QString& title, QWidget* owner);

} // namespace corvane::reports
