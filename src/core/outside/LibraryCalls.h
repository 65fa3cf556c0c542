#pragma once

#include "core/outside/LibraryEntries.h"
#include "core/platform/AppFolders.h"

#include <QString>
#include <QtGlobal>

#include <functional>

namespace corvane {

class TDM1;

// One entry point of a run-time module and how a failure to reach it is told.
struct LibraryBinding
{
    QString fileName;      // the module beside the executable, e.g. "CVSettings.so"
    const char* entryName; // the exported name, e.g. "_RunNotification"
    QString title;         // the message title, e.g. "RunNotification"
    QString libraryText;   // the library as the load message names it, e.g. "CVSettings.DLL";
                           // empty: both failures show the system's text alone
};

// Calls into the run-time modules. Every call loads the module, looks the
// entry up, calls it and unloads the module again; nothing stays loaded
// between calls. A module that cannot be loaded or lacks the entry is told to
// the user (OK only, not suppressible) and the call returns false.
//
//     LibraryCalls(*DM1, qApp).RunRemoteUpdate(false, true);
//
// An exception escaping an entry is rethrown as std::runtime_error once the
// module is unloaded, for the application's exception display.
class LibraryCalls
{
public:
    // How a caller other than the main window words the failures.
    enum class FailureText {
        AsBound,           // the binding's title and texts
        SystemText,        // the system's text alone
        CentredSystemText, // the system's text as a centred paragraph
    };

    LibraryCalls(TDM1& dataModule, QCoreApplication* application,
                 const QString& moduleFolder = AppFolders::binariesFolder());

    // Reports failures under this title and in this form instead of the
    // binding's (the tool windows use "Error" and the bare text).
    LibraryCalls& ReportFailuresAs(const QString& title, FailureText text);

    // CVDBRoutines.so
    bool RunDirectoryChanger();
    bool RunBackup();
    bool RunRemoteUpdate(bool automatic, bool showResetOptions);
    bool RunHints();
    bool RunCVDaily(const QString& project);

    // CVSettings.so
    bool RunNotification();
    bool RunSEAPI();
    bool RunAdvThrottle();
    bool RunSetStuntValues();
    bool RunEngInc();
    bool RunAutoBuildChart(const QString& project);
    bool RunChartBuilder(const QString& project, const QString& chart);

    // CVReports.so
    bool RunPrint(const QString& projectOrGroup, const QString& report);
    bool RunPreview(const QString& projectOrGroup, const QString& report);
    bool RunReports(const QString& projectOrGroup, const QString& report);

    // Any entry: loads, looks up, hands the address to invoke, unloads.
    bool Call(const LibraryBinding& binding, const std::function<void(QFunctionPointer)>& invoke);

    // The texts of the two failures.
    QString LoadFailureText(const LibraryBinding& binding, const QString& systemText) const;
    QString EntryFailureText(const LibraryBinding& binding, const QString& systemText) const;

private:
    bool CallPlain(const LibraryBinding& binding);
    bool CallTwoTexts(const LibraryBinding& binding, const QString& first, const QString& second);

    TDM1& m_dm;
    QCoreApplication* m_application;
    QString m_moduleFolder;
    QString m_failureTitle; // empty: the binding's
    FailureText m_failureText = FailureText::AsBound;
};

} // namespace corvane
