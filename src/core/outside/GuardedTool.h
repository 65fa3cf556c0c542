#pragma once

#include <QString>

#include <functional>

namespace corvane {

class TDM1;

// The tools that must not run beside a Harvester session. Harvester holds
// "NoCV.Mutex" while a session runs; Corvane holds "NoHV.Mutex" while one of
// these tools is open, so that no session starts meanwhile.
class GuardedTool
{
public:
    // The names the refusal message uses.
    static constexpr const char* ProjectWizard = "Project Wizard";
    static constexpr const char* DuvudaDuvedozo = "Duvuda Duvedozo";
    static constexpr const char* RurederOrad = "Rureder Orad";
    static constexpr const char* Backup = "The Backup Utility";
    static constexpr const char* RemoteScriptUpdate = "Remote Script Update";
    static constexpr const char* TableRepair = "Table Repair";

    // True while Harvester runs a session, i.e. another process holds
    // "NoCV.Mutex". Probing takes the mutex for a moment and gives it back.
    static bool HarvesterSessionRunning();

    // False, after telling the user, while a session runs.
    static bool MayOpen(TDM1& dataModule, const QString& toolName);

    // Runs the tool unless a session runs (then false, as MayOpen). While the
    // tool runs, "NoHV.Mutex" is held; it is given up when the tool returns
    // or throws.
    static bool Run(TDM1& dataModule, const QString& toolName, const std::function<void()>& tool);

    // The refusal shown while a session runs.
    static QString RefusalText(const QString& toolName);
};

} // namespace corvane
