#pragma once

#include "core/charts/ChartData.h"
#include "core/charts/ChartDesign.h"
#include "gui/charts/ChartWindowSupport.h"
#include "gui/widgets/ToolWindow.h"

#include <functional>

class QMenuBar;
class QProgressBar;

namespace corvane {

class ChartFrame;

// The windows that chart one day of one engine of a project (gains and
// losses, scores): a menu bar with the chart frame's File and Edit Charts
// commands, an introduction, the project, engine and date choices, the chart,
// a progress bar and the Close and help buttons. A window supplies what it
// loads and draws, exports and prints.
class EngineDayChartWindow : public ToolWindow
{
    Q_OBJECT

public:
    // Selects the project, fills its engines, sets the date to its last run
    // and draws the chart.
    void Open(const QString& project);

    QString project() const;
    QString engine() const;
    QDate day() const;
    void setEngine(const QString& engine);
    void setDay(QDate day);

    ChartFrame* chartFrame() const { return m_frame; }
    QMenuBar* menuBar() const { return m_menu; }

    virtual void Build() = 0;
    virtual void ExtendedExport() = 0;
    virtual void PrintDataAndChart() = 0;

protected:
    // The object names of the three choices, as the window's fields are named.
    struct ChoiceNames
    {
        QString projects;
        QString engines;
        QString date;
    };

    EngineDayChartWindow(TDM1& dataModule, const char* formSection, int helpContext, const ChoiceNames& names,
                         const QString& introduction, QWidget* parent);

    // The caption for the chosen project.
    virtual QString caption() const = 0;
    // After a project's engines and date are shown, before the chart is drawn.
    virtual void projectShown() { }
    // Whether the window holds rows to print.
    virtual bool hasRows() const = 0;

    // A further field after the date, with its label.
    void addChoice(const QString& label, QWidget* field);
    QComboBox* engineList() const { return m_choices.engines; }
    QDateEdit* datePicker() const { return m_choices.date; }

    // Runs a window's loading with the wait cursor; returns the message of a
    // table error, or an empty text.
    QString load(const std::function<void()>& work);
    // Draws what was loaded under the project's design, then shows the error
    // the loading met, if any.
    void draw(ChartKind kind, const QString& designFile, const ChartDesign& design, ChartData content,
              const QString& logoFlag, bool loaded, const QString& failure);

private:
    void ProjectChange();

    QMenuBar* m_menu;
    ChartWindowSupport::EngineDayChoices m_choices;
    ChartFrame* m_frame;
    QProgressBar* m_progress;
};

} // namespace corvane
