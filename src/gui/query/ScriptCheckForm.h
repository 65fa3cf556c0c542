#pragma once

#include "core/data/Dataset.h"
#include "gui/widgets/ToolWindow.h"

class QCheckBox;
class QLabel;
class QRadioButton;
class QTableView;

namespace corvane {

class DatasetModel;

// "Script Check": from CVEngine, which Harvester fills during a session, how
// far each engine and search term got, so that scripts that no longer reach
// the search depth stand out.
class TScriptCheckForm : public ToolWindow
{
    Q_OBJECT

public:
    explicit TScriptCheckForm(TDM1& dataModule, QWidget* parent = nullptr);
    ~TScriptCheckForm() override;

    // Runs the statement of the current choice.
    void RunQuery();
    void SetChoice(bool belowDepth, bool unique);
    void PrintButtonClick();
    void CopyClick();

    QString countText() const;
    QString lastRunText() const;
    const Query& query() const { return m_query; }
    QTableView* grid() const { return m_grid; }

private:
    void ShowError(const QString& message);

    Query m_query;
    DatasetModel* m_model;
    QTableView* m_grid;
    QLabel* m_lastRunLabel;
    QLabel* m_countLabel;
    QRadioButton* m_allButton;
    QRadioButton* m_belowButton;
    QCheckBox* m_uniqueCheck;
    bool m_filling = false;
};

} // namespace corvane
