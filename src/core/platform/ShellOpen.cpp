#include "platform/ShellOpen.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace corvane::ShellOpen {

bool openProgram(const QString& program, const QStringList& arguments,
                 const QString& workingFolder)
{
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, arguments, workingFolder);
}

bool openAddress(const QString& address)
{
    const QUrl url = QUrl::fromUserInput(address.trimmed());
    if (!url.isValid())
        return false;
    return QDesktopServices::openUrl(url);
}

} // namespace corvane::ShellOpen
