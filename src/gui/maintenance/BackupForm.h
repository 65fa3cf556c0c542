#pragma once

#include "gui/maintenance/LibraryToolWindow.h"

#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace corvane {

class DataBackup;

// "Data Backup": copies every table of the data folder into the folder
// "CVBackup" under a root the user picks, and back again on request, with a
// log line per table and a progress bar for the table in hand.
class TBackupForm : public LibraryToolWindow
{
    Q_OBJECT

public:
    explicit TBackupForm(QWidget* parent = nullptr);
    ~TBackupForm() override;

    void done(int result) override;

private:
    void FormCreate();
    void BrowseButtonClick();
    void FolderChange();
    void BackupButtonClick();
    void RestoreButtonClick();
    void AddLine(const QString& line);
    void ShowProgress(int percent);
    void ShowLastBackup(const QDateTime& when);

    QString m_dataFolder;
    QString m_exeFolder;
    std::unique_ptr<DataBackup> m_backup;
    QLineEdit* m_folder;
    QLabel* m_lastBackup;
    QPushButton* m_backupButton;
    QPushButton* m_restoreButton;
    QPushButton* m_closeButton;
    QListWidget* m_log;
    QProgressBar* m_progress;
};

} // namespace corvane
