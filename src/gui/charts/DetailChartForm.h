#pragma once

#include "core/charts/ChartCacheBuilder.h"
#include "gui/widgets/ToolWindow.h"

#include <QStringList>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QStandardItemModel;
class QTableView;
class QThread;
class QToolButton;

namespace corvane {

class ChartFrame;

// "Detail Chart": draws a saved chart of a project from its cache, or builds
// it from CVRank on a worker thread (Refresh) and caches the result. The
// working table of the chart shows in a collapsible grid under it.
class TDetailChartForm : public ToolWindow
{
    Q_OBJECT
    Q_PROPERTY(bool busy READ busy)

public:
    explicit TDetailChartForm(TDM1& dataModule, QWidget* parent = nullptr);
    ~TDetailChartForm() override;

    // Selects the project and, when named, the chart: loaded from the cache,
    // built when the cache holds nothing for it.
    void Open(const QString& project, const QString& chart = {});

    QString project() const;
    QString chart() const;
    QStringList chartNames() const;
    ChartFrame* chartFrame() const { return m_frame; }
    const ChartTable& workingTable() const { return m_table; }
    bool busy() const { return m_busy; }
    bool chartLoaded() const;
    // The banner drawn over the chart while busy; empty when idle.
    QString bannerText() const;
    QMenuBar* menuBar() const { return m_menu; }

    // Selects the chart and loads it from the cache; false when the cache was empty.
    bool SelectChart(const QString& chart);
    bool LoadFromCache();
    // Starts the build of the selected chart; returns at once.
    void RefreshClick();
    void ClearClick();
    void AutoBuildClick();
    void ChartBuilderClick();
    void ExtendedExport();
    void PrintDataAndChart();

    // The calls of the chart builder tools; the default loads CVSettings.so.
    std::function<bool(const QString& project)> runAutoBuild;
    std::function<bool(const QString& project, const QString& chart)> runChartBuilder;

signals:
    void buildFinished();

private:
    void ProjectChange();
    void FillCharts();
    void setBusy(bool busy, const QString& banner = {});
    void BuildFinished();
    void ShowTable();
    bool projectSelected();

    ChartCacheBuilder m_builder;
    ChartDefinition m_definition;
    ChartTable m_table;
    ChartTable m_built;
    QString m_buildError;
    QThread* m_thread = nullptr;
    bool m_busy = false;

    QMenuBar* m_menu;
    QComboBox* m_projects;
    QComboBox* m_charts;
    QPushButton* m_clearSpot;
    QPushButton* m_refreshSpot;
    QCheckBox* m_threeD;
    ChartFrame* m_frame;
    QLabel* m_banner;
    QToolButton* m_gridToggle;
    QTableView* m_grid;
    QStandardItemModel* m_model;
    QProgressBar* m_progress;
    QList<QWidget*> m_lockable;
};

} // namespace corvane
