#pragma once

#include "core/charts/Scores.h"
#include "gui/charts/ChartWindowSupport.h"
#include "gui/widgets/ToolWindow.h"

class QMenuBar;
class QProgressBar;
class QSpinBox;

namespace corvane {

class ChartFrame;

// "Scores - Project ...": one score per URL of a project on one day, for one
// engine or for all engines weighted by their popularity ("Overall").
class TScoresForm : public ToolWindow
{
    Q_OBJECT

public:
    explicit TScoresForm(TDM1& dataModule, QWidget* parent = nullptr);

    // Selects the project, fills its engines with "Overall" last and chosen,
    // sets the date to the project's last run and draws the chart.
    void Open(const QString& project);

    QString project() const;
    QString engine() const;
    QStringList engineEntries() const;
    QDate day() const;
    void setEngine(const QString& engine);
    void setDay(QDate day);
    void setDisregard(int ranks);

    const QList<Scores::Row>& rows() const { return m_rows; }
    ChartFrame* chartFrame() const { return m_frame; }
    QMenuBar* menuBar() const { return m_menu; }

    void Build();
    void ExtendedExport();
    void PrintDataAndChart();

private:
    void ProjectChange();
    QStringList titleLines() const;

    QList<Scores::Row> m_rows;
    QMenuBar* m_menu;
    ChartWindowSupport::EngineDayChoices m_choices;
    QSpinBox* m_disregard;
    ChartFrame* m_frame;
    QProgressBar* m_progress;
};

} // namespace corvane
