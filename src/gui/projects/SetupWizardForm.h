#pragma once

#include "core/data/Dataset.h"
#include "core/data/DatasetModel.h"
#include "core/data/TableDatabase.h"
#include "core/projects/ProjectStore.h"
#include "gui/widgets/ToolWindow.h"

#include <QStringList>

#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;
class QStatusBar;
class QTableView;
class QTreeWidget;

namespace corvane {

class ProjectCascade;
struct CascadeEvents;

// The project wizard: projects, and per project the engines, URLs and
// search terms to watch, on four pages. It works on its own connection to
// the data folder ("WizDatabase"); deleting or renaming an item runs the
// cascades of ProjectCascade with their texts in the status bar. It cannot
// be left while a project lacks an engine, a URL or a term.
class TSetupWizardForm : public ToolWindow
{
    Q_OBJECT

public:
    enum Page { ProjectsPage, EnginesPage, UrlsPage, TermsPage };
    enum class Mode { Browse, Edit, Insert };

    explicit TSetupWizardForm(TDM1& dataModule, QWidget* parent = nullptr);
    ~TSetupWizardForm() override;

    void showPage(int page);
    int currentPage() const;
    QString selectedProject() const { return m_project; }
    void selectProject(const QString& name);
    QString statusText() const;
    const QStringList& createdProjects() const { return m_created; }
    Mode projectMode() const { return m_projectMode; }

    // The controls a test drives.
    QLineEdit* projectNameBox() const { return m_projectName; }
    QSpinBox* depthBox() const { return m_depth; }
    QCheckBox* bypassBox() const { return m_bypass; }
    QLineEdit* urlNameBox() const { return m_urlName; }
    QLineEdit* urlBox() const { return m_url; }
    QCheckBox* anyMatchBox() const { return m_anyMatch; }
    QCheckBox* useApiBox() const { return m_useApi; }
    QComboBox* keyUrlBox() const { return m_keyUrl; }
    QLineEdit* termBox() const { return m_term; }
    QTableView* inactiveGrid() const { return m_inactiveGrid; }
    QTableView* activeGrid() const { return m_activeGrid; }
    QTableView* urlGrid() const { return m_urlGrid; }
    QTableView* termGrid() const { return m_termGrid; }
    QListWidget* foundTerms() const { return m_foundTerms; }
    QTreeWidget* filterTree() const { return m_filters; }
    QRadioButton* orButton() const { return m_or; }
    const QString& inactiveSql() const { return m_inactiveSql; }
    Database& database() { return m_db; }

    // Buttons of the pages.
    void AddProjectClick();
    void DeleteProjectClick();
    bool SaveProjectClick();
    void CancelProjectClick();
    void ActivateClick();
    void DeactivateClick();
    void ShowAllEnginesClick();
    void SavePointsClick();
    void AddUrlClick();
    void DeleteUrlClick();
    bool SaveUrlClick();
    void CancelUrlClick();
    void KeyUrlChosen(const QString& name);
    void GatherKeywordTagsClick();
    void AddToSearchTermsClick();
    void AddTermClick();
    void DeleteTermClick();
    bool SaveTermClick();
    void CancelTermClick();
    void DictionaryWord(); // F10 in the term box

    // The close check: the incomplete projects, one line each ("" when all are complete).
    QStringList incompleteProjects() const;

    void done(int result) override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* createHeader();
    QWidget* createProjectsPage();
    QWidget* createEnginesPage();
    QWidget* createUrlsPage();
    QWidget* createTermsPage();
    QTableView* createGrid(DatasetModel* model);
    // A page's row of edit buttons: add, delete, save and cancel.
    QHBoxLayout* editButtons(const std::array<QString, 4>& texts,
                             const std::array<std::function<void()>, 4>& actions);
    // Asks before deleting the items selected in a grid ("URLs", "Search
    // Terms") and runs the cascade for each. False when nothing was deleted.
    bool deleteSelected(QTableView* grid, const QString& items, const QString& switchName,
                        void (ProjectCascade::*cascade)(const QString&, const QString&));

    void openTables();
    void refreshProjects();
    void refreshItems();
    void refreshInactive();
    void buildFilters();
    void readFilters();
    void showProjectRow();
    void showEngineDetails();
    void showUrlRow();
    void startProjectEdit();
    bool projectNameKey(QKeyEvent* key);
    bool termKey(QKeyEvent* key);
    bool dropText(QObject* watched, QEvent* event);

    QString gridValue(QTableView* grid, int column, int row = -1) const;
    QStringList selectedValues(QTableView* grid, int column) const;
    void selectGridRow(QTableView* grid, int column, const QString& value);
    CascadeEvents cascadeEvents();
    void setStatus(const QString& text);
    void error(const QString& text, QWidget* focus = nullptr);
    static QString centred(const QString& text);

    Session m_session;
    Database m_db;
    ProjectStore m_store;
    QString m_project;
    QString m_oldProject, m_oldUrl, m_oldTerm;
    Mode m_projectMode = Mode::Browse;
    Mode m_urlMode = Mode::Browse;
    Mode m_termMode = Mode::Browse;
    QStringList m_created;
    bool m_apiEnabled = false;
    bool m_closing = false;
    bool m_hintsAttached = true;
    QString m_statusText;
    EngineFilter m_filter;
    QString m_inactiveSql;

    Query m_projectQuery, m_inactiveQuery, m_activeQuery, m_urlQuery, m_termQuery;
    Query m_summaryEngines, m_summaryUrls, m_summaryTerms;
    DatasetModel* m_projectModel;
    DatasetModel* m_inactiveModel;
    DatasetModel* m_activeModel;
    DatasetModel* m_urlModel;
    DatasetModel* m_termModel;
    DatasetModel* m_summaryEngineModel;
    DatasetModel* m_summaryUrlModel;
    DatasetModel* m_summaryTermModel;

    QStackedWidget* m_pages = nullptr;
    QButtonGroup* m_pageButtons = nullptr;
    QLabel* m_projectLabel = nullptr;
    QStatusBar* m_status = nullptr;
    QTableView* m_projectGrid = nullptr;
    QLineEdit* m_projectName = nullptr;
    QLabel* m_nameNote = nullptr;
    QSpinBox* m_depth = nullptr;
    QCheckBox* m_fullUrl = nullptr;
    QCheckBox* m_bypass = nullptr;
    QTableView* m_inactiveGrid = nullptr;
    QTableView* m_activeGrid = nullptr;
    QTreeWidget* m_filters = nullptr;
    QRadioButton* m_and = nullptr;
    QRadioButton* m_or = nullptr;
    QLabel* m_engineDetails = nullptr;
    QPlainTextEdit* m_engineNotes = nullptr;
    QSpinBox* m_points = nullptr;
    QLineEdit* m_pointsNote = nullptr;
    QCheckBox* m_useApi = nullptr;
    QTableView* m_urlGrid = nullptr;
    QLineEdit* m_urlName = nullptr;
    QLineEdit* m_url = nullptr;
    QCheckBox* m_anyMatch = nullptr;
    QComboBox* m_keyUrl = nullptr;
    QListWidget* m_foundTerms = nullptr;
    QTableView* m_termGrid = nullptr;
    QLineEdit* m_term = nullptr;
};

} // namespace corvane
