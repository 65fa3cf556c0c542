#pragma once

#include "gui/widgets/ToolWindow.h"

#include <QElapsedTimer>
#include <QString>

class QLabel;
class QSortFilterProxyModel;
class QTableView;

namespace corvane {

class DatasetModel;
class QueryRunPanel;

// The query window ("Query"): the result of a statement over CVRank in a
// grid that fetches rows as it scrolls, with export, print and copy. The
// statement runs in the data module's GridQuery only when it reads, so a
// hand-edited statement that would change data is refused.
class TGridForm : public ToolWindow
{
    Q_OBJECT

public:
    explicit TGridForm(TDM1& dataModule, QWidget* parent = nullptr);
    ~TGridForm() override;

    // Runs the statement for the project. True when a result is shown; false
    // when the engine refused it (its error is shown) or the user cancelled.
    // While it runs, the window's run panel (and `alsoShowIn`, the builder's,
    // when given) shows its progress, the time so far and "Cancel".
    bool RunQuery(const QString& sql, const QString& project, QueryRunPanel* alsoShowIn = nullptr);
    bool running() const { return m_running; }
    // Stops a running statement; the window then shows the cancelled state.
    void CancelQuery();
    QueryRunPanel* runPanel() const { return m_runPanel; }

    // Menu commands.
    void CreateQuery1Click();
    void Export1Click();
    void Print1Click();
    void Preview1Click();
    void PrintDesign1Click();
    void Copy1Click();

    QTableView* grid() const { return m_grid; }
    QString recordsText() const;
    QString projectText() const;
    const QString& currentSql() const { return m_sql; }
    const QString& currentProject() const { return m_project; }
    // Whether the shown result sizes its columns and sorts on a header click.
    bool sortable() const;

    // Fills the report table CVReportTemp with the shown rows; false (after
    // telling the user) when it cannot be written.
    bool FillReportTable();

protected:
    void done(int result) override;

private:
    void SetStatus(const QString& records, const QString& project);
    void Detach();
    void Attach(bool sized);
    void RunReportLibrary(int mode);
    // While a statement runs: keeps the windows painted and "Cancel" alive.
    bool KeepResponsive();

    DatasetModel* m_model;
    QSortFilterProxyModel* m_sorter;
    QTableView* m_grid;
    QLabel* m_label;
    QLabel* m_recordsPanel;
    QLabel* m_projectPanel;
    QueryRunPanel* m_runPanel;
    QueryRunPanel* m_extraPanel = nullptr;
    QWidget* m_menuBar;
    QElapsedTimer m_lastPump;
    bool m_running = false;
    bool m_cancelRequested = false;
    QString m_sql;
    QString m_project;
};

} // namespace corvane
