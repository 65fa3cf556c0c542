#pragma once

#include "gui/widgets/ToolWindow.h"

#include <QString>

class QLabel;
class QSortFilterProxyModel;
class QTableView;

namespace corvane {

class DatasetModel;

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
    bool RunQuery(const QString& sql, const QString& project);

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

    DatasetModel* m_model;
    QSortFilterProxyModel* m_sorter;
    QTableView* m_grid;
    QLabel* m_label;
    QLabel* m_recordsPanel;
    QLabel* m_projectPanel;
    QString m_sql;
    QString m_project;
};

} // namespace corvane
