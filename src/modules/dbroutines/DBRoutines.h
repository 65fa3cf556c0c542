#pragma once

// The exports of CVDBRoutines.so, the maintenance library. The program loads
// it by file name, looks an entry up by its exported name, calls it and
// unloads the library again; each entry shows one modal window of the
// library, owned by the caller's main window, and returns when it has closed.
// Argument forms: core/outside/LibraryEntries.h.

#include <QtGlobal>

class QCoreApplication;

namespace corvane {
class THintForm;
class TChartCacheForm;
class TCVDailyForm;
class TBackupForm;
class TRemoteUpdateForm;
class TDirectoryChangerForm;
class TMessageForm;
} // namespace corvane

extern "C" {

// The window each entry shows while its call runs; null at every other time.
// They let a window's handlers reach their own window.
Q_DECL_EXPORT extern corvane::THintForm* _HintForm;
Q_DECL_EXPORT extern corvane::TBackupForm* _BackupForm;
Q_DECL_EXPORT extern corvane::TRemoteUpdateForm* _RemoteUpdateForm;
Q_DECL_EXPORT extern corvane::TDirectoryChangerForm* _DirectoryChangerForm;
Q_DECL_EXPORT extern corvane::TCVDailyForm* _CVDailyForm;
Q_DECL_EXPORT extern corvane::TChartCacheForm* _ChartCacheForm;
// The message window of the library's own windows while it shows one of their
// messages (the backup's, the remote update's, the directory changer's).
Q_DECL_EXPORT extern corvane::TMessageForm* _MessageForm;

// "Hint"
Q_DECL_EXPORT void _RunHints(QCoreApplication* application);
// "Data Backup"
Q_DECL_EXPORT void _RunBackup(QCoreApplication* application);
// "Remote Script Update"; automatic and showResetOptions are 0 or 1.
Q_DECL_EXPORT void _RunRemoteUpdate(QCoreApplication* application, unsigned char automatic,
                                    unsigned char showResetOptions);
// "Directory Changer"
Q_DECL_EXPORT void _RunDirectoryChanger(QCoreApplication* application);
// "Daily Results" for the project named.
Q_DECL_EXPORT void _RunCVDaily(QCoreApplication* application, const char16_t* project);
// "Building Chart Cache" for the saved charts of the project named.
Q_DECL_EXPORT void _BuildChartCache(QCoreApplication* application, const char16_t* project);

} // extern "C"
