#include "gui/maintenance/BackupForm.h"

#include "core/help/HelpContexts.h"
#include "core/maintenance/DataBackup.h"
#include "core/platform/Registry.h"
#include "core/settings/Settings.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvane {

namespace {

QString fileLocationsKey() { return SettingsKeys::path(QLatin1String(SettingsKeys::FileLocations)); }
QString startupKey() { return SettingsKeys::path(QLatin1String(SettingsKeys::StartupSettings)); }

} // namespace

TBackupForm::TBackupForm(QWidget* parent)
    : LibraryToolWindow(HelpContexts::Backup, parent)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setObjectName(QStringLiteral("BackupForm"));
    setWindowTitle(QStringLiteral("Data Backup"));
    resize(460, 400);

    auto* folderLabel = new QLabel(QStringLiteral("Backup to / Restore from:"), this);
    m_folder = new QLineEdit(this);
    m_folder->setObjectName(QStringLiteral("FolderEdit"));
    m_folder->setReadOnly(true);
    folderLabel->setBuddy(m_folder);
    connect(m_folder, &QLineEdit::textChanged, this, &TBackupForm::FolderChange);
    auto* browse = new QToolButton(this);
    browse->setObjectName(QStringLiteral("BrowseButton"));
    browse->setText(QStringLiteral("..."));
    browse->setToolTip(QStringLiteral("Choose the folder to back up to or restore from"));
    connect(browse, &QToolButton::clicked, this, &TBackupForm::BrowseButtonClick);

    m_lastBackup = new QLabel(this);
    m_lastBackup->setObjectName(QStringLiteral("LastBackupLabel"));

    m_log = new QListWidget(this);
    m_log->setObjectName(QStringLiteral("Log"));
    m_log->setSelectionMode(QAbstractItemView::SingleSelection);
    // A table's error names folders: long lines wrap rather than scroll.
    m_log->setWordWrap(true);
    m_log->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_log->setResizeMode(QListView::Adjust);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);

    m_backupButton = new QPushButton(QStringLiteral("Backup"), this);
    m_backupButton->setObjectName(QStringLiteral("BackupButton"));
    m_backupButton->setAutoDefault(false);
    connect(m_backupButton, &QPushButton::clicked, this, &TBackupForm::BackupButtonClick);
    m_restoreButton = new QPushButton(QStringLiteral("Restore"), this);
    m_restoreButton->setObjectName(QStringLiteral("RestoreButton"));
    m_restoreButton->setAutoDefault(false);
    connect(m_restoreButton, &QPushButton::clicked, this, &TBackupForm::RestoreButtonClick);
    m_closeButton = new QPushButton(QStringLiteral("Close"), this);
    m_closeButton->setObjectName(QStringLiteral("CloseButton"));
    m_closeButton->setAutoDefault(false);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browse);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_backupButton);
    buttons->addWidget(m_restoreButton);
    buttons->addStretch();
    buttons->addWidget(createHelpButton());
    buttons->addWidget(m_closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(folderLabel);
    layout->addLayout(folderRow);
    layout->addWidget(m_lastBackup);
    layout->addWidget(m_log, 1);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);

    FormCreate();
}

TBackupForm::~TBackupForm() = default;

void TBackupForm::FormCreate()
{
    const Registry registry;
    const RegistryKey locations(registry, fileLocationsKey());
    m_dataFolder = locations.readString(QStringLiteral("DataFolder"));
    m_exeFolder = locations.readString(QStringLiteral("ExeFolder"));
    m_backup = std::make_unique<DataBackup>(m_dataFolder);
    m_folder->setText(locations.readString(QStringLiteral("Backup")));
    ShowLastBackup(DataBackup::lastBackupTime(
        RegistryKey(registry, startupKey()).readString(QStringLiteral("LastBackup"))));
    FolderChange();
}

void TBackupForm::ShowLastBackup(const QDateTime& when)
{
    if (!when.isValid()) {
        m_lastBackup->clear();
        return;
    }
    const QLocale locale;
    m_lastBackup->setText(QStringLiteral("Last backup: ") + locale.toString(when.date(), QLocale::ShortFormat)
                          + QLatin1Char(' ') + locale.toString(when.time(), QLocale::ShortFormat));
}

void TBackupForm::BrowseButtonClick()
{
    const QString chosen =
        QFileDialog::getExistingDirectory(this, QStringLiteral("Select Directory"), m_folder->text());
    if (!chosen.isEmpty())
        m_folder->setText(chosen);
}

void TBackupForm::FolderChange()
{
    const bool chosen = !m_folder->text().isEmpty();
    m_backupButton->setEnabled(chosen);
    m_restoreButton->setEnabled(chosen);
}

void TBackupForm::AddLine(const QString& line)
{
    m_log->addItem(line);
    m_log->scrollToBottom();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TBackupForm::ShowProgress(int percent)
{
    if (m_progress->value() != percent) {
        m_progress->setValue(percent);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void TBackupForm::BackupButtonClick()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_log->clear();
    m_backup->backup(
        m_folder->text(), [this](const QString& line) { AddLine(line); },
        [this](int percent) { ShowProgress(percent); });
    // Partly successful backups count: the time is that of this run.
    const QDateTime now = QDateTime::currentDateTime();
    ShowLastBackup(now);
    Registry().writeString(startupKey(), QStringLiteral("LastBackup"), DataBackup::lastBackupText(now));
    m_log->setCurrentRow(m_log->count() - 1);
    QApplication::restoreOverrideCursor();
}

void TBackupForm::RestoreButtonClick()
{
    const QString question = QStringLiteral(
        "<P align=\"center\">You will be overwriting your current work with data<BR>and settings "
        "from the last time you did a backup.<BR>Are you sure you want to do this?</p>");
    if (ShowMessage(MessageButtons::OkCancel, QStringLiteral("Warning"), question) != MessageAnswer::Ok)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_backup->restore(
        m_folder->text(), [this](const QString& line) { AddLine(line); },
        [this](int percent) { ShowProgress(percent); });
    m_log->setCurrentRow(m_log->count() - 1);
    QApplication::restoreOverrideCursor();
}

void TBackupForm::done(int result)
{
    if (isVisible()) {
        Registry().writeString(fileLocationsKey(), QStringLiteral("Backup"), m_folder->text());
        if (!m_exeFolder.isEmpty())
            QDir::setCurrent(m_exeFolder);
    }
    LibraryToolWindow::done(result);
}

} // namespace corvane
