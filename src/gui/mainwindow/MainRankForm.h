#pragma once

#include "core/dashboard/DashboardReport.h"
#include "core/outside/OutsidePrograms.h"
#include "core/outside/RepairWatch.h"

#include <QDate>
#include <QMainWindow>

#include <functional>

class QAction;
class QActionGroup;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTableWidget;
class QTextBrowser;

namespace corvane {

class FormPlacement;
class HVThread;
class TDM1;
class TaskBar;
class TaskBarGroup;
class TopTenCharts;
struct SummaryRow;

// The program's home: the menus and task bar with every command, the status
// bar with the current project's counts, and the dashboard of the project's
// last mining session.
class TMainRankForm : public QMainWindow
{
    Q_OBJECT
    friend struct MainCommandTable; // the handlers of the command table

public:
    explicit TMainRankForm(TDM1& dataModule, QWidget* parent = nullptr);
    ~TMainRankForm() override;

    // The marker for no automatic dashboard: the opposite of SummaryLoad.
    bool autoLoad() const { return m_autoLoad; }
    // True when FORM.INI existed at construction and keeps the placement.
    bool keepsPlacement() const { return m_placement != nullptr; }

    // Selects a project by name; an empty name or one not in the project list
    // takes the first project.
    void SelectProject(const QString& name);
    // Fills the status bar panels from the current project.
    void RefreshStatusBar();
    // The pause after each Top 10 chart appears, so the charts come in one by one.
    static constexpr int ChartRevealPauseMs = 30;
    // Rebuilds the dashboard from what the last session left behind; the
    // benchmark passes 0 to time the build without the pauses.
    void BuildDashboard(int chartRevealPauseMs = ChartRevealPauseMs);
    bool dashboardBusy() const { return m_builder != nullptr; }
    // The running build, to follow its steps; null when none runs.
    HVThread* dashboardBuilder() const { return m_builder; }

    // For tests and the screenshot tour.
    QAction* command(const QString& objectName) const;
    TopTenCharts* topTenCharts() const { return m_topTen; }
    DashboardReport::Selection printSelection() const { return m_printSelection; }
    void showPanel(int panel); // 0 session info, 1 first page, 2 new arrivals, 3 saturation

    // "Table Repair...": unless Harvester runs a session or the repair program
    // is missing, minimises the window, closes every dataset, disables the
    // commands and starts the repair program; the window comes back at normal
    // size once the program has ended.
    void RunTableRepair();
    bool isWaitingForRepair() const { return m_repairWatch.isWatching(); }
    // The outside programs this window starts.
    OutsidePrograms& programs() { return m_programs; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Building the window
    void CreateCommands();
    void CreateTaskBar();
    QWidget* CreateDashboard();
    void CreateStatusBar();

    // First showing and the project list
    void FormShow();
    void BuildProjectList();
    void ProjectMenuTriggered(QAction* action);
    void ComboBox1Change(int index);
    void SetCommandsEnabled(bool enabled);
    void RepairEnded();
    void ChangeDataFolder();

    // Dashboard
    void ShowSessionInfo(const QString& html);
    // Tells the user that a file of the dashboard could not be written.
    void ReportWriteFailure(const QString& what, const QString& folder, const QString& reason);
    void FillList(QTableWidget* table, const QList<SummaryRow>& rows, bool withTerm, bool withPage);
    DashboardReport::Selection PanelSelection(const QWidget* widget) const;
    void FocusChanged(QWidget* now);
    void SetPrintSelection(DashboardReport::Selection selection);
    void RunReport(const char* entry);

    // Commands
    void ProjectWizard1Click();
    void Refresh1Click();
    void Exit1Click();
    void TopTenStyles1Click();
    void MiscSettings1Click();
    void ScheduleHarvester1Click();
    void Notification1Click();
    void SearchEngineAPI1Click();
    void Harvester1Click();
    void DuvudaDuvedozo1Click();
    void RurederOrad1Click();
    void DetailChart1Click();
    void DailyResults1Click();
    void GainsLosses1Click();
    void Scores1Click();
    void FullURL1Click();
    void DayGlance1Click();
    void DataQuery1Click();
    void SearchEngines1Click();
    void LogFile1Click();
    void TableRepair1Click();
    void RemoteScriptUpdate1Click();
    void Backup1Click();
    void ScriptCheck1Click();
    void Contents1Click();
    void Hints1Click();
    void ShowMessages1Click();
    void About1Click();
    void Copy1Click();
    void Print1Click();
    void PageSetup1Click();
    void Preview1Click();
    void DoNotLoadClick(bool checked);
    void ShowTraditionalMenuClick(bool checked);

    // Says plainly that a tool of a later version is not available yet.
    void NotAvailable(const QString& tool);
    // The saved charts of the project, the chosen one kept when it is still there.
    void FillChartBox(const QString& project);

    TDM1& m_dm;
    FormPlacement* m_placement = nullptr;
    bool m_autoLoad = true;
    bool m_shown = false;
    QDate m_lastRun;
    QString m_keyUrl;

    QList<QAction*> m_commands;
    QMenu* m_openProjectMenu = nullptr;
    QAction* m_allProjects = nullptr;
    QActionGroup* m_projectGroup = nullptr;

    TaskBar* m_taskBar = nullptr;
    QComboBox* m_projectBox = nullptr;
    QComboBox* m_chartBox = nullptr;
    QCheckBox* m_doNotLoad = nullptr;
    QCheckBox* m_showMenu = nullptr;
    QPushButton* m_printButton = nullptr;
    QPushButton* m_pageSetupButton = nullptr;
    QPushButton* m_previewButton = nullptr;
    QButtonGroup* m_panelButtons = nullptr;

    QLabel* m_currentProject = nullptr;
    QLabel* m_lastSession = nullptr;
    QLabel* m_keyUrlLabel = nullptr;
    QLabel* m_description = nullptr;
    QLabel* m_printCaption = nullptr;
    TopTenCharts* m_topTen = nullptr;
    QStackedWidget* m_panels = nullptr;
    QTextBrowser* m_sessionInfo = nullptr;
    QTableWidget* m_firstPage = nullptr;
    QTableWidget* m_newArrivals = nullptr;
    QTableWidget* m_saturation = nullptr;
    DashboardReport::Selection m_printSelection = DashboardReport::Selection::None;
    QStringList m_topEngines;

    QList<QLabel*> m_statusPanels;
    QProgressBar* m_progress = nullptr;
    HVThread* m_builder = nullptr;
    OutsidePrograms m_programs;
    RepairWatch m_repairWatch;
};

} // namespace corvane
