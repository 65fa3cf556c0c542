#include "core/platform/MutexNames.h"
#include "core/platform/NamedMutex.h"
#include "core/settings/Settings.h"
#include "core/settings/StartUp.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

void touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

struct LeftoverFolder
{
    test::TempProfile profile;
    SettingsRecord settings;

    LeftoverFolder()
    {
        settings.ExeFolder = profile.path() + QLatin1Char('/');
        settings.DataFolder = settings.ExeFolder + QStringLiteral("Data/");
        QDir().mkpath(settings.DataFolder);
        for (const char* name : {"Merge.dat", "Merge.idx", "OLD.DAT", "keep.txt", "Data/CVRank.dat"})
            touch(settings.ExeFolder + QLatin1String(name));
    }
    bool has(const char* name) const { return QFile::exists(settings.ExeFolder + QLatin1String(name)); }
};

} // namespace

TEST(LeftoverTableFiles, AreDeletedFromTheProgramFolderWhileHarvesterIsStopped)
{
    LeftoverFolder folder;
    EXPECT_EQ(StartUp::RemoveLeftoverTableFiles(folder.settings), 3);
    EXPECT_FALSE(folder.has("Merge.dat"));
    EXPECT_FALSE(folder.has("Merge.idx"));
    EXPECT_FALSE(folder.has("OLD.DAT"));
    EXPECT_TRUE(folder.has("keep.txt"));
    EXPECT_TRUE(folder.has("Data/CVRank.dat"));
    EXPECT_FALSE(NamedMutex::exists(QLatin1String(MutexNames::Harvester)));
}

TEST(LeftoverTableFiles, AreKeptWhileHarvesterRuns)
{
    LeftoverFolder folder;
    NamedMutex harvester{QLatin1String(MutexNames::Harvester)};
    ASSERT_TRUE(harvester.isOwned());
    EXPECT_EQ(StartUp::RemoveLeftoverTableFiles(folder.settings), 0);
    EXPECT_TRUE(folder.has("Merge.dat"));
    EXPECT_TRUE(folder.has("Merge.idx"));
}

TEST(LeftoverTableFiles, TheDataFolderIsNeverCleanedEvenWhenItIsTheProgramFolder)
{
    LeftoverFolder folder;
    folder.settings.DataFolder = folder.settings.ExeFolder;
    EXPECT_EQ(StartUp::RemoveLeftoverTableFiles(folder.settings), 0);
    EXPECT_TRUE(folder.has("Merge.dat"));
}
