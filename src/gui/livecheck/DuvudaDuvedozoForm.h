#pragma once

#include "core/data/Dataset.h"
#include "core/data/TableDatabase.h"
#include "core/livecheck/DuvudaResultModel.h"
#include "core/livecheck/TextHistory.h"

#include <QDialog>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableView;

namespace corvane {

class FormPlacement;
class TDM1;

// Duvuda Duvedozo: the interactive rank check of one search term and one URL
// on the chosen engines, live, page by page down to the Search Depth. Hits
// collect in an HTML grid that can be saved (.pp), exported and printed.
class TDuvudaDuvedozoForm : public QDialog
{
    Q_OBJECT

public:
    explicit TDuvudaDuvedozoForm(TDM1& dataModule, QWidget* parent = nullptr);
    ~TDuvudaDuvedozoForm() override;

    DuvudaResultModel& results() { return m_results; }
    QString statusText() const;
    bool running() const { return m_running; }
    const QString& exportFolder() const { return PPExportFolder; }

    // The file commands without their dialogs; false after a message.
    bool OpenResultsFile(const QString& path);
    bool SaveResultsFile(const QString& path);

    // The database the window reads SE3 through (the data folder).
    Session QuickHVSession;
    Database QuickHVDatabase;
    Table SE3Table;
    Query QuickHVQuery;
    Table PPTable;

public slots:
    void GoButtonClick();
    void StopButtonClick();
    void UpdateScriptsButtonClick();
    void OpenResultsClick();
    void SaveResultsClick();
    void ClearResultsClick();
    void ExportClick();
    void PrintClick();
    void PreviewClick();
    void PrintStyleClick();
    void DeleteRowClick();
    void CopyWithTagsClick();
    void CopyWithoutTagsClick();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void FormShow();
    void FormClose();
    void FillCountryCombo();
    void CountryComboChange();
    void EngineListClick();
    void ShowEngine(const QString& name);
    void UpdateGoEnabled();
    void UpdateResultCommands();
    void SetInputsEnabled(bool enabled);
    void ShowStatus(const QString& text);
    void ShowHint(const QString& hint);
    QStringList SelectedEngines() const;
    QString FormIniPath() const;
    QString ExportFolderPath() const;
    void RememberFolderOf(const QString& file);
    bool EnsureExportTable();
    void ShowError(const QString& text);

    // The calls into the run-time modules, one place each.
    void RunRemoteUpdateLibrary();
    void RunReportLibrary(const char* entryName);
    void PrintThroughReportLibrary(const char* entryName);

    TDM1& m_dm;
    QString PPExportFolder;
    bool m_abort = false;
    bool m_running = false;
    bool m_shown = false;
    DuvudaResultModel m_results;
    TextHistory m_termHistory;
    TextHistory m_urlHistory;
    FormPlacement* m_placement = nullptr;
    int m_contextRow = -1;

    QComboBox* m_countryCombo;
    QListWidget* m_engineList;
    QLabel* m_engineLink;
    QPlainTextEdit* m_engineNotes;
    QComboBox* m_termCombo;
    QComboBox* m_urlCombo;
    QSpinBox* m_depthSpin;
    QCheckBox* m_anyMatchCheck;
    QPushButton* m_goButton;
    QPushButton* m_stopButton;
    QPushButton* m_updateButton;
    QPushButton* m_closeButton;
    QPushButton* m_helpButton;
    QLabel* m_statusLabel;
    QProgressBar* m_progressBar;
    QTableView* m_grid;
    QLabel* m_hintLabel;
    QList<QAction*> m_fileActions;
    QList<QAction*> m_resultActions;
};

} // namespace corvane
