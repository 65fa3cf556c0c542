#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/platform/Registry.h"
#include "core/settings/ProfileSetup.h"
#include "core/settings/Settings.h"

#include "TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

int rowCount(Database& database, const QString& table)
{
    Query query(&database, QStringLiteral("SELECT COUNT(*) AS N FROM ") + table);
    query.open();
    return query.asInteger(QStringLiteral("N"));
}

} // namespace

TEST(ProfileSetup, CreatesFoldersSettingsAndEveryTable)
{
    test::TempProfile profile;
    Registry registry(profile.registryPath());
    ProfileSetup setup(registry, profile.path(QStringLiteral("Home")));
    ASSERT_TRUE(setup.run()) << qPrintable(setup.error());

    const QString program = profile.path(QStringLiteral("Home")) + QLatin1Char('/');
    const RegistryKey folders(registry, SettingsKeys::path(QStringLiteral("File Locations")));
    EXPECT_EQ(folders.readString(QStringLiteral("ExeFolder")), program);
    EXPECT_EQ(folders.readString(QStringLiteral("DataFolder")), program + QStringLiteral("Data/"));
    EXPECT_TRUE(QDir(program + QStringLiteral("Update")).exists());

    const RegistryKey switches(registry, SettingsKeys::path(QStringLiteral("MsgShow")));
    for (const QString& name : messageSwitchNames())
        EXPECT_EQ(switches.readString(name), QStringLiteral("true")) << qPrintable(name);
    EXPECT_TRUE(registry.keyExists(SettingsKeys::path(QStringLiteral("Tagmint"))));

    // Loading the new store needs no repair.
    SettingsRecord record;
    EXPECT_TRUE(loadSettings(registry, record).isEmpty());
    EXPECT_EQ(record.DataFolder, program + QStringLiteral("Data/"));

    Session session(QStringLiteral("Check"));
    session.addPassword(QLatin1String(Schema::SE3Password));
    Database data(QStringLiteral("Check"), &session);
    data.setDirectory(record.DataFolder);
    data.connect();
    for (const TableDef& def : Schema::tables())
        EXPECT_TRUE(data.tableExists(def.name)) << qPrintable(def.name);
    EXPECT_GE(rowCount(data, QStringLiteral("SE3")), 1);
    EXPECT_EQ(rowCount(data, QStringLiteral("Hint")), 10);
    EXPECT_EQ(rowCount(data, QStringLiteral("CVRank")), 0);

    // SE3 keeps its password: a session without it cannot open the table.
    Session bare(QStringLiteral("Bare"));
    Database locked(QStringLiteral("Bare"), &bare);
    locked.setDirectory(record.DataFolder);
    locked.connect();
    try {
        locked.checkTable(QStringLiteral("SE3"));
        ADD_FAILURE() << "SE3 opened without its password";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.code(), DatabaseError::PasswordRequired);
    }
}

TEST(ProfileSetup, ASecondRunChangesNothingAndKeepsUserValues)
{
    test::TempProfile profile;
    Registry registry(profile.registryPath());
    const QString home = profile.path(QStringLiteral("Home"));
    ASSERT_TRUE(ProfileSetup(registry, home).run());

    const QString network = SettingsKeys::path(QStringLiteral("Network"));
    registry.writeString(network, QStringLiteral("HTTPPort"), QStringLiteral("8080"));
    const QByteArray registryBefore = fileHash(profile.registryPath());
    const QByteArray hintBefore = fileHash(home + QStringLiteral("/Data/Hint.dat"));

    ProfileSetup again(registry, home);
    ASSERT_TRUE(again.run()) << qPrintable(again.error());
    EXPECT_TRUE(again.created().isEmpty()) << qPrintable(again.created().join(QLatin1Char('\n')));
    EXPECT_EQ(fileHash(profile.registryPath()), registryBefore);
    EXPECT_EQ(fileHash(home + QStringLiteral("/Data/Hint.dat")), hintBefore);
    EXPECT_EQ(RegistryKey(registry, network).readString(QStringLiteral("HTTPPort")), QStringLiteral("8080"));
}

TEST(ProfileSetup, FailsClearlyOnAFolderThatCannotBeCreated)
{
    test::TempProfile profile;
    QFile blocker(profile.path(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Registry registry(profile.registryPath());
    ProfileSetup setup(registry, profile.path(QStringLiteral("file/profile")));
    EXPECT_FALSE(setup.run());
    EXPECT_TRUE(setup.error().contains(QStringLiteral("file/profile"))) << qPrintable(setup.error());
    EXPECT_FALSE(QFile::exists(profile.registryPath()));
}

TEST(ProfileSetup, RefusesToRepointAStoreThatBelongsToAnotherProfile)
{
    test::TempProfile profile;
    Registry registry(profile.registryPath());
    ASSERT_TRUE(ProfileSetup(registry, profile.path(QStringLiteral("First"))).run());
    ProfileSetup second(registry, profile.path(QStringLiteral("Second")));
    EXPECT_FALSE(second.run());
    EXPECT_TRUE(second.error().contains(QStringLiteral("CORVANE_REGISTRY")));
    EXPECT_EQ(RegistryKey(registry, SettingsKeys::path(QStringLiteral("File Locations")))
                  .readString(QStringLiteral("ExeFolder")),
              profile.path(QStringLiteral("First")) + QLatin1Char('/'));
}

// A user's first start: only the user's own store, in the XDG folders, and only once.
TEST(ProfileSetup, FirstStartCreatesTheUsersProfileInTheXdgFoldersOnce)
{
    test::TempProfile profile;
    const QString config = profile.path(QStringLiteral("config"));
    const QString data = profile.path(QStringLiteral("data home"));
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME"), oldData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());
    qputenv("XDG_DATA_HOME", data.toLocal8Bit());

    // A store named by CORVANE_REGISTRY is never created unasked.
    EXPECT_TRUE(ProfileSetup::createOnFirstStart().createdFolder.isEmpty());
    EXPECT_FALSE(QFile::exists(profile.registryPath()));
    EXPECT_FALSE(QFile::exists(data));

    const QByteArray oldRegistry = qgetenv("CORVANE_REGISTRY");
    qunsetenv("CORVANE_REGISTRY");
    const ProfileSetup::FirstStart first = ProfileSetup::createOnFirstStart();
    const ProfileSetup::FirstStart again = ProfileSetup::createOnFirstStart();
    const QString store = config + QStringLiteral("/Corvane/registry.reg");
    const QByteArray storeAfterFirst = fileHash(store);

    // An unwritable data folder is named; nothing is half created.
    qputenv("XDG_CONFIG_HOME", profile.path(QStringLiteral("config2")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", QByteArray("/proc/corvane"));
    const ProfileSetup::FirstStart failed = ProfileSetup::createOnFirstStart();

    qputenv("CORVANE_REGISTRY", oldRegistry);
    qputenv("XDG_CONFIG_HOME", oldConfig);
    qputenv("XDG_DATA_HOME", oldData);

    EXPECT_TRUE(first.error.isEmpty()) << qPrintable(first.error);
    EXPECT_EQ(first.createdFolder, data + QStringLiteral("/Corvane/"));
    EXPECT_TRUE(QFile::exists(data + QStringLiteral("/Corvane/Data/CVProject.dat")));
    Registry registry(store);
    EXPECT_EQ(RegistryKey(registry, SettingsKeys::path(QStringLiteral("File Locations")))
                  .readString(QStringLiteral("DataFolder")),
              data + QStringLiteral("/Corvane/Data/"));
    EXPECT_TRUE(again.createdFolder.isEmpty());
    EXPECT_TRUE(again.error.isEmpty());
    EXPECT_EQ(fileHash(store), storeAfterFirst);

    EXPECT_TRUE(failed.error.contains(QStringLiteral("/proc/corvane"))) << qPrintable(failed.error);
    EXPECT_FALSE(QFile::exists(profile.path(QStringLiteral("config2/Corvane/registry.reg"))));
}
