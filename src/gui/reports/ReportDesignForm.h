#pragma once

#include "core/reports/ReportData.h"
#include "core/reports/ReportStyle.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace corvane::reports {

// The design window of one report's style: its title, orientation, font size
// and which columns of the report table it prints. "Preview..." shows the
// report as it stands in the window; OK stores the style, Cancel drops it.
class TReportDesignForm : public QDialog
{
    Q_OBJECT

public:
    TReportDesignForm(const ReportData& reportData, const ReportStyle& storedStyle, const QString& report,
                      const QString& project, QWidget* parent = nullptr);

    // The style as the window shows it.
    ReportStyle style() const;

    // Stores the style; false keeps the window open (the store told the user why).
    std::function<bool(const ReportStyle&)> onSave;

private:
    void PreviewButtonClick();
    void OKButtonClick();

    ReportData m_data;
    ReportStyle m_stored;
    QString m_report;
    QString m_project;
    QLineEdit* m_titleEdit;
    QComboBox* m_orientationBox;
    QSpinBox* m_fontSizeBox;
    QListWidget* m_columnList;
    QPushButton* m_previewButton;
};

} // namespace corvane::reports
