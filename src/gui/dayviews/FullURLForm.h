#pragma once

#include "core/data/Dataset.h"
#include "core/dayviews/FullUrlSettingsFile.h"
#include "gui/widgets/ToolWindow.h"

#include <QDate>
#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QStackedWidget;
class QStandardItemModel;
class QTreeView;

namespace corvane {

class BrowserPane;

// "URL Full Path": every ranking hit of one project and day with the exact
// page address the engine returned for it, grouped by a chosen order in a
// collapsible grid, with a web browser beside it to open those pages.
class TFullURLForm : public ToolWindow
{
    Q_OBJECT

public:
    enum class List { Terms = 0, Engines = 1, Urls = 2 };

    explicit TFullURLForm(TDM1& dataModule, QWidget* parent = nullptr);
    ~TFullURLForm() override;

    // Handlers
    void ComboBox1Change();
    void RunButtonClick();
    void UpButtonClick();
    void DownButtonClick();
    void ClearCurrentClick();
    void ClearAllClick();
    void ExpandAllClick();
    void CollapseAllClick();
    void Save1Click();
    void Open1Click();
    void Export1Click();
    void Print1Click();
    void Preview1Click();
    void Design1Click();
    void AddressGoClick();

    // Runs the statement of the window's choices and fills the grid.
    void RunQuery();
    // Settings files without their dialogs. OpenSettings returns false when
    // the file could not be used (its message shown).
    void SaveSettings(const QString& filePath);
    bool OpenSettings(const QString& filePath);
    FullUrlSettings currentSettings() const;

    // Opens the found link of a grid cell as the "Integrated Browser" box says.
    void OpenLink(const QString& address);

    void setProject(const QString& project);
    QString project() const;
    void setDate(const QDate& day);
    QDate date() const;
    QStringList grouping() const;
    void setGrouping(const QStringList& order);
    // The items of a check list and the checked ones; checks an item by text.
    QStringList items(List list) const;
    QStringList checkedItems(List list) const;
    bool checkItem(List list, const QString& text, bool checked = true);
    void showList(List list);
    int visibleList() const;

    QTreeView* grid() const { return m_grid; }
    QStandardItemModel* gridModel() const { return m_model; }
    BrowserPane* browser() const { return m_browser; }
    QCheckBox* integratedBrowser() const { return m_integrated; }
    QLineEdit* addressBox() const { return m_address; }
    QString recordsText() const;
    QString statusText() const;
    QString browserStatusText() const;
    QString bytesText() const;
    const QString& lastStatement() const { return m_statement; }
    // The statuses shown while the last run went on.
    const QStringList& runStatuses() const { return m_runStatuses; }
    Query& result() { return m_result; }

    void done(int result) override;

private:
    QListWidget* list(List which) const;
    void SetStatus(const QString& text);
    void FillGrid();
    void StoreColumnWidths() const;
    void RestoreColumnWidths();
    void RunReportLibrary(int mode);
    void ShowCentred(const QString& title, const QString& text);

    Query m_result;
    QString m_statement;
    QString m_resultProject;
    QStringList m_runStatuses;
    QComboBox* m_projects;
    QDateEdit* m_date;
    QListWidget* m_grouping;
    QRadioButton* m_listButtons[3];
    QStackedWidget* m_lists;
    QListWidget* m_checkLists[3];
    QTreeView* m_grid;
    QStandardItemModel* m_model;
    QCheckBox* m_integrated;
    QLineEdit* m_address;
    BrowserPane* m_browser;
    QLabel* m_status;
    QLabel* m_records;
    QLabel* m_browserStatus;
    QLabel* m_bytes;
};

} // namespace corvane
