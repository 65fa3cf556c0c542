#include "core/platform/AppFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace corvane::AppFolders {

QString binariesFolder()
{
    QString folder;
    if (QCoreApplication::instance()) {
        folder = QCoreApplication::applicationDirPath();
    } else {
        // No application object yet (or a library's own test): ask the kernel.
        const QString executable = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
        if (!executable.isEmpty())
            folder = QFileInfo(executable).absolutePath();
    }
    return withTrailingSlash(folder);
}

QString binaryPath(const QString& fileName)
{
    if (QDir::isAbsolutePath(fileName))
        return fileName;
    return binariesFolder() + fileName;
}

QString withTrailingSlash(const QString& folder)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

QString documentsFolder()
{
    return withTrailingSlash(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

} // namespace corvane::AppFolders
