#include "core/platform/ShellOpen.h"

#include <QProcess>

namespace corvane::ShellOpen {

bool openProgram(const QString& program, const QStringList& arguments, const QString& workingFolder)
{
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, arguments, workingFolder);
}

} // namespace corvane::ShellOpen
