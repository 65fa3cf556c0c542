#include "core/settings/StartUp.h"

#include "core/platform/MutexNames.h"
#include "core/platform/NamedMutex.h"
#include "core/settings/Settings.h"

#include <QDir>
#include <QFileInfo>

namespace corvane {

namespace {

bool sameFolder(const QString& a, const QString& b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

int removeFiles(const QDir& folder, const QString& pattern)
{
    int removed = 0;
    const QStringList names = folder.entryList({pattern}, QDir::Files | QDir::NoSymLinks);
    for (const QString& name : names) {
        if (QFile::remove(folder.filePath(name)))
            ++removed;
    }
    return removed;
}

} // namespace

int StartUp::RemoveLeftoverTableFiles(const SettingsRecord& settings)
{
    NamedMutex harvester{QLatin1String(MutexNames::Harvester)};
    if (!harvester.isOwned() || harvester.alreadyExisted())
        return 0;
    if (settings.ExeFolder.isEmpty() || sameFolder(settings.ExeFolder, settings.DataFolder))
        return 0;
    const QDir folder(settings.ExeFolder);
    return removeFiles(folder, QStringLiteral("*.dat")) + removeFiles(folder, QStringLiteral("*.idx"));
}

} // namespace corvane
