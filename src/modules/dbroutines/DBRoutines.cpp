#include "modules/dbroutines/DBRoutines.h"

#include "core/outside/LibraryEntries.h"
#include "gui/maintenance/BackupForm.h"
#include "gui/maintenance/CVDailyForm.h"
#include "gui/maintenance/ChartCacheForm.h"
#include "gui/maintenance/DirectoryChangerForm.h"
#include "gui/maintenance/HintForm.h"
#include "gui/maintenance/RemoteUpdateForm.h"
#include "modules/dbroutines/LibraryWindowCall.h"

#include <type_traits>

using namespace corvane;

static_assert(std::is_same_v<decltype(&_RunHints), entry::Plain>);
static_assert(std::is_same_v<decltype(&_RunBackup), entry::Plain>);
static_assert(std::is_same_v<decltype(&_RunDirectoryChanger), entry::Plain>);
static_assert(std::is_same_v<decltype(&_RunRemoteUpdate), entry::RemoteUpdate>);
static_assert(std::is_same_v<decltype(&_RunCVDaily), entry::OneText>);
static_assert(std::is_same_v<decltype(&_BuildChartCache), entry::OneText>);

extern "C" {

THintForm* _HintForm = nullptr;
TBackupForm* _BackupForm = nullptr;
TRemoteUpdateForm* _RemoteUpdateForm = nullptr;
TDirectoryChangerForm* _DirectoryChangerForm = nullptr;
TCVDailyForm* _CVDailyForm = nullptr;
TChartCacheForm* _ChartCacheForm = nullptr;
TMessageForm* _MessageForm = nullptr;

void _RunHints(QCoreApplication* application)
{
    guarded([&] { RunLibraryWindow(application, _HintForm, [](THintForm&) {}); });
}

void _RunBackup(QCoreApplication* application)
{
    guarded([&] {
        RunLibraryWindow(application, _BackupForm,
                         [](TBackupForm& window) { window.setMessageExport(&_MessageForm); });
    });
}

void _RunRemoteUpdate(QCoreApplication* application, unsigned char automatic, unsigned char showResetOptions)
{
    guarded([&] {
        RunLibraryWindow(application, _RemoteUpdateForm, [&](TRemoteUpdateForm& window) {
            window.setRemoteUpdateFlags(automatic != 0, showResetOptions != 0);
            window.setMessageExport(&_MessageForm);
        });
    });
}

void _RunDirectoryChanger(QCoreApplication* application)
{
    guarded([&] {
        RunLibraryWindow(application, _DirectoryChangerForm,
                         [](TDirectoryChangerForm& window) { window.setMessageExport(&_MessageForm); });
    });
}

void _RunCVDaily(QCoreApplication* application, const char16_t* project)
{
    const QString name = textArgument(project);
    guarded([&] {
        RunLibraryWindow(application, _CVDailyForm,
                         [&](TCVDailyForm& window) { window.setProjectName(name); });
    });
}

void _BuildChartCache(QCoreApplication* application, const char16_t* project)
{
    const QString name = textArgument(project);
    guarded([&] {
        RunLibraryWindow(application, _ChartCacheForm,
                         [&](TChartCacheForm& window) { window.setProjectName(name); });
    });
}

} // extern "C"
