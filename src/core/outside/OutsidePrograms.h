#pragma once

#include "core/outside/SchedulerService.h"
#include "core/platform/AppFolders.h"

#include <QString>
#include <QStringList>

namespace corvane {

class TDM1;

// Starts the product's outside programs the way the shell's "open" does:
// found beside the running executable, run in the program folder (ExeFolder),
// not waited for, their start not checked. A program file that is missing or
// not executable is told to the user instead of failing silently.
class OutsidePrograms
{
public:
    explicit OutsidePrograms(TDM1& dataModule, const QString& binariesFolder = AppFolders::binariesFolder());

    // For tests: where the programs are looked for, and the service to ask.
    void setBinariesFolder(const QString& folder)
    {
        m_binariesFolder = AppFolders::withTrailingSlash(folder);
    }
    void setSchedulerService(const SchedulerService& service) { m_scheduler = service; }

    // "Harvester.exe"
    bool StartHarvester();
    // "CVSchedule.exe", once the scheduling service is running or the user
    // chose to go on.
    bool StartScheduler();
    // "CVRepair.exe" with "false" "false".
    bool StartRepair();

    // False, after telling the user, when the program file cannot be run.
    bool CheckProgram(const QString& program);

    // Starts the program; false only when its file cannot be run.
    bool Start(const QString& program, const QStringList& arguments = {});

    static constexpr const char* Harvester = "Harvester";
    static constexpr const char* Scheduler = "CVSchedule";
    static constexpr const char* Repair = "CVRepair";

    static QString ServiceStoppedText();
    static QString ServiceUnknownText();

private:
    TDM1& m_dm;
    QString m_binariesFolder;
    SchedulerService m_scheduler;
};

} // namespace corvane
