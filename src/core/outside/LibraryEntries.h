#pragma once

// The calling contract between the program and its run-time modules
// (CVDBRoutines.so, CVSettings.so, CVReports.so). Every entry point is an
// unmangled extern "C" function whose first argument is the caller's
// application object; text arguments are the caller's strings passed as a
// pointer to their null-terminated UTF-16 characters (QString::utf16()).
// Entries return nothing the caller uses; each returns when its window closes.

class QCoreApplication;

namespace corvane::entry {

// _RunHints, _RunBackup, _RunDirectoryChanger, _RunNotification, _RunSEAPI,
// _RunAdvThrottle, _RunSetStuntValues, _RunEngInc
using Plain = void (*)(QCoreApplication* application);

// _RunRemoteUpdate(application, automatic, showResetOptions), flags 0 or 1
using RemoteUpdate = void (*)(QCoreApplication* application, unsigned char automatic,
                              unsigned char showResetOptions);

// _RunCVDaily(application, project), _BuildChartCache(application, name),
// _RunAutoBuildChart(application, project)
using OneText = void (*)(QCoreApplication* application, const char16_t* text);

// _RunChartBuilder(application, project, chart),
// _RunPrint / _RunPreview / _RunReports(application, projectOrGroup, report)
using TwoTexts = void (*)(QCoreApplication* application, const char16_t* first, const char16_t* second);

} // namespace corvane::entry
