#pragma once

#include "app/OutsidePrograms.h"
#include "app/RepairWatch.h"

#include <QMainWindow>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace corvane {

class FormPlacement;
class TDM1;

// The program's home window: the current project and the project list.
// The dashboard, menus and task bar of the full window build on this frame.
class TMainRankForm : public QMainWindow
{
    Q_OBJECT

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

private:
    void FormShow();
    void BuildProjectList();
    void ProjectListItemActivated(QTreeWidgetItem* item);
    void UpdateCaption();
    void SetCommandsEnabled(bool enabled);
    void RepairEnded();

    TDM1& m_dm;
    FormPlacement* m_placement = nullptr;
    bool m_autoLoad = true;
    bool m_shown = false;
    QTreeWidget* m_projectList;
    QLabel* m_projectLabel;
    OutsidePrograms m_programs;
    RepairWatch m_repairWatch;
};

} // namespace corvane
