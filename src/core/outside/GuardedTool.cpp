#include "core/outside/GuardedTool.h"

#include "core/datamodule/DM1.h"
#include "core/platform/MutexNames.h"
#include "core/platform/NamedMutex.h"

namespace corvane {

bool GuardedTool::HarvesterSessionRunning()
{
    // Created and dropped again at once when nobody else holds it.
    const NamedMutex probe{QLatin1String(MutexNames::NoCV)};
    return probe.alreadyExisted();
}

QString GuardedTool::RefusalText(const QString& toolName)
{
    return QStringLiteral("<P ALIGN=\"CENTER\">") + toolName
        + QStringLiteral(" is unavailable while Harvester is running a session.</P>");
}

bool GuardedTool::MayOpen(TDM1& dataModule, const QString& toolName)
{
    if (!HarvesterSessionRunning())
        return true;
    dataModule.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Warning"), RefusalText(toolName), true, {});
    return false;
}

bool GuardedTool::Run(TDM1& dataModule, const QString& toolName, const std::function<void()>& tool)
{
    // Ours first, then look for the session's: Harvester takes its own before
    // looking for ours, so a session starting at the same moment waits.
    NamedMutex toolOpen{QLatin1String(MutexNames::NoHV)};
    if (HarvesterSessionRunning()) {
        toolOpen.release();
        dataModule.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Warning"), RefusalText(toolName), true,
                                  {});
        return false;
    }
    tool();
    return true;
}

} // namespace corvane
