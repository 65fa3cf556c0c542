#include "core/outside/OutsidePrograms.h"

#include "core/datamodule/DM1.h"
#include "core/platform/ShellOpen.h"

#include <QFileInfo>

namespace corvane {

OutsidePrograms::OutsidePrograms(TDM1& dataModule, const QString& binariesFolder)
    : m_dm(dataModule)
    , m_binariesFolder(AppFolders::withTrailingSlash(binariesFolder))
{
}

QString OutsidePrograms::ServiceStoppedText()
{
    return QStringLiteral(
        "<P ALIGN=\"CENTER\"><B>Your Windows Task Scheduler is not running.</B><BR>"
        "Clicking OK will start you Windows Task Scheduler and open the Corvane Project "
        "Scheduler.  Any 3rd party tasks may start as well when the scheduler is started.</P>");
}

QString OutsidePrograms::ServiceUnknownText()
{
    return QStringLiteral("<P ALIGN=\"CENTER\"><B>Corvane was unable to determine if your Scheduling Service "
                          "is running.</B><BR>Click OK to try anyway.</P>");
}

bool OutsidePrograms::CheckProgram(const QString& program)
{
    const QFileInfo file(m_binariesFolder + program);
    QString problem;
    if (!file.exists())
        problem = QStringLiteral("The program file %1 was not found.");
    else if (!file.isFile() || !file.isExecutable())
        problem = QStringLiteral("The file %1 is not a program that can be started.");
    if (problem.isEmpty())
        return true;
    m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"),
                        QStringLiteral("<P align=\"center\"><B>Unable to start ") + program.toHtmlEscaped()
                            + QStringLiteral("</B><BR>") + problem.arg(file.filePath().toHtmlEscaped())
                            + QStringLiteral("</P>"),
                        true, {});
    return false;
}

bool OutsidePrograms::Start(const QString& program, const QStringList& arguments)
{
    if (!CheckProgram(program))
        return false;
    // Like the shell, this hands the program over and does not look back.
    ShellOpen::openProgram(m_binariesFolder + program, arguments, m_dm.Settings.ExeFolder);
    return true;
}

bool OutsidePrograms::StartHarvester() { return Start(QLatin1String(Harvester)); }

bool OutsidePrograms::StartScheduler()
{
    switch (m_scheduler.status()) {
    case SchedulerService::Status::Running: break;
    case SchedulerService::Status::Stopped:
        if (m_dm.ShowMessageBox(MessageButtons::OkCancel, QStringLiteral("Warning"), ServiceStoppedText(),
                                true, {})
            != MessageAnswer::Ok)
            return false;
        break;
    case SchedulerService::Status::Unknown:
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Warning"), ServiceUnknownText(), true, {});
        break;
    }
    return Start(QLatin1String(Scheduler));
}

bool OutsidePrograms::StartRepair()
{
    return Start(QLatin1String(Repair), {QStringLiteral("false"), QStringLiteral("false")});
}

} // namespace corvane
