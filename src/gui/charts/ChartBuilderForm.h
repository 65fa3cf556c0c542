#pragma once

#include "core/charts/ChartBuilder.h"

#include <QDialog>

#include <memory>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QSpinBox;

namespace corvane {

class Database;
class Session;

// "Chart Builder": creates or edits one saved chart of a project: its name,
// the dimension whose values are the series, the values checked, the two
// fixed values, the days and the title. The window of CVSettings.so's
// _RunChartBuilder.
class TChartBuilderForm : public QDialog
{
    Q_OBJECT

public:
    explicit TChartBuilderForm(const QString& dataFolder, QWidget* parent = nullptr);
    ~TChartBuilderForm() override;

    // The project and the chart to edit (empty: a new chart).
    void setChart(const QString& project, const QString& chart);

    // Fills the window from a definition (the series values are checked).
    void setDefinition(const ChartBuilder::Definition& definition);
    ChartBuilder::Definition definition() const;
    // The problem the last Save found; empty after a successful one.
    QString problem() const;

    // Checks and writes the chart; closes the window when it was saved.
    bool SaveClick();

private:
    void SeriesKindChange();
    QString order() const;

    std::unique_ptr<Session> m_session;
    std::unique_ptr<Database> m_database;
    QString m_project;
    QString m_originalName;
    QLineEdit* m_name;
    QLineEdit* m_title;
    QComboBox* m_seriesKind;
    QListWidget* m_series;
    QLabel* m_select1Label;
    QComboBox* m_select1;
    QLabel* m_select2Label;
    QComboBox* m_select2;
    QButtonGroup* m_dateKind;
    QSpinBox* m_lastDays;
    QDateEdit* m_start;
    QDateEdit* m_end;
    QCheckBox* m_fillDates;
    QCheckBox* m_showNoValue;
    QLabel* m_problem;
};

// "Auto Build Charts": adds the default set of charts to a project once it
// is shown and lists what it added. The window of _RunAutoBuildChart.
class TAutoBuildChartForm : public QDialog
{
    Q_OBJECT

public:
    explicit TAutoBuildChartForm(const QString& dataFolder, QWidget* parent = nullptr);

    void setProjectName(const QString& project) { m_project = project; }
    // Runs the build (once); the list shows the result.
    void Build();
    const QStringList& added() const { return m_added; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString m_dataFolder;
    QString m_project;
    QStringList m_added;
    bool m_built = false;
    QPlainTextEdit* m_log;
};

} // namespace corvane
