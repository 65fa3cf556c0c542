#pragma once

namespace corvane {

// The help context number of each topic. A window's "?" button opens the
// topic of its number (HelpForm::showTopic); the numbers of the older help
// file are kept where a window already had one.
namespace HelpContexts {
inline constexpr int MainWindow = 100;
inline constexpr int GettingStarted = 110;
inline constexpr int HarvesterSessions = 120;
inline constexpr int Messages = 130;

inline constexpr int DetailChart = 200;
inline constexpr int DailyResults = 202;
inline constexpr int GainsAndLosses = 210;
inline constexpr int Scores = 220;
inline constexpr int DayAtAGlance = 230;
inline constexpr int FullUrl = 240;
inline constexpr int DataQuery = 250;
inline constexpr int PrintWindow = 260;
inline constexpr int ChartDesigner = 270;

inline constexpr int ProjectWizard = 300;
inline constexpr int AddUrl = 310;
inline constexpr int AddSearchTerm = 320;

inline constexpr int DuvudaDuvedozo = 400;
inline constexpr int RurederOrad = 410;
inline constexpr int SearchEngineInformation = 420;
inline constexpr int ScriptCheck = 430;

inline constexpr int Log = 450;

inline constexpr int MiscellaneousSettings = 600;
inline constexpr int NetworkSettings = 610;

inline constexpr int Backup = 670;
inline constexpr int RemoteScriptUpdate = 680;
inline constexpr int DirectoryChanger = 690;
inline constexpr int Hints = 695;

// Every number above, in order.
inline constexpr int All[] = {
    MainWindow,
    GettingStarted,
    HarvesterSessions,
    Messages,
    DetailChart,
    DailyResults,
    GainsAndLosses,
    Scores,
    DayAtAGlance,
    FullUrl,
    DataQuery,
    PrintWindow,
    ChartDesigner,
    ProjectWizard,
    AddUrl,
    AddSearchTerm,
    DuvudaDuvedozo,
    RurederOrad,
    SearchEngineInformation,
    ScriptCheck,
    Log,
    MiscellaneousSettings,
    NetworkSettings,
    Backup,
    RemoteScriptUpdate,
    DirectoryChanger,
    Hints,
};
} // namespace HelpContexts

} // namespace corvane
