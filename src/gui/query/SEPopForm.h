#pragma once

#include "core/query/EngineInformation.h"
#include "gui/widgets/ToolWindow.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QRadioButton;
class QTableWidget;
class QTreeWidget;

namespace corvane {

// "Search Engine Information": the engines of SE3 or of one project with
// their descriptive columns, filtered by country and the four group labels,
// printed through the report library, and the engines' points recalculated.
class TSEPopForm : public ToolWindow
{
    Q_OBJECT

public:
    explicit TSEPopForm(TDM1& dataModule, QWidget* parent = nullptr);

    // Re-reads the list for the chosen project, checked items and AND/OR.
    void BuildList();
    void SelectProject(const QString& projectOrAll);
    // Checks the item of a section (by its title) with that value.
    void CheckItem(const QString& section, const QString& value, bool checked = true);
    void SetJoinWithAnd(bool joinWithAnd);
    void ShowAllButtonClick();
    void RecalcButtonClick();
    void PrintButtonClick();
    void PreviewButtonClick();
    void PageSetupButtonClick();
    void CopyClick();

    const QList<EngineInformation::EngineRow>& rows() const { return m_rows; }
    QString countText() const;
    QString notesText() const;
    QTableWidget* grid() const { return m_grid; }

    // Writes the listed rows into a fresh CVReportTemp; false (after telling
    // the user) when it cannot be written.
    bool FillReportTable();

private:
    void FillFilterTree();
    void ShowNotes();
    void RunReportLibrary(int mode);
    void ShowError(const QString& text);

    QComboBox* m_projectCombo;
    QTreeWidget* m_filterTree;
    QRadioButton* m_andButton;
    QRadioButton* m_orButton;
    QTableWidget* m_grid;
    QLabel* m_countLabel;
    QPlainTextEdit* m_notes;
    QList<EngineInformation::EngineRow> m_rows;
    bool m_filling = false;
};

} // namespace corvane
