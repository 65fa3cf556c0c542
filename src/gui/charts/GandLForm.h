#pragma once

#include "core/charts/GainsLosses.h"
#include "gui/charts/ChartWindowSupport.h"
#include "gui/widgets/ToolWindow.h"

class QMenuBar;
class QProgressBar;

namespace corvane {

class ChartFrame;

// "Gains and Losses - Project ...": how each URL and term pair of a project
// moved on one engine between a day's session and the one before, one
// horizontal bar per pair, from the changes Harvester stored in CVHilo.
class TGandLForm : public ToolWindow
{
    Q_OBJECT

public:
    explicit TGandLForm(TDM1& dataModule, QWidget* parent = nullptr);

    // Selects the project, fills its engines, sets the date to its last run
    // and draws the chart.
    void Open(const QString& project);

    QString project() const;
    QString engine() const;
    QDate day() const;
    void setEngine(const QString& engine);
    void setDay(QDate day);

    const QList<GainsLosses::Row>& rows() const { return m_rows; }
    ChartFrame* chartFrame() const { return m_frame; }
    QMenuBar* menuBar() const { return m_menu; }

    void Build();
    void ExtendedExport();
    void PrintDataAndChart();

private:
    void ProjectChange();

    QList<GainsLosses::Row> m_rows;
    QMenuBar* m_menu;
    ChartWindowSupport::EngineDayChoices m_choices;
    ChartFrame* m_frame;
    QProgressBar* m_progress;
};

} // namespace corvane
