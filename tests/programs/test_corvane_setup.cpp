#include "../core/TestSupport.h"
#include "ProgramRunner.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

// Hashes every file of a folder tree, so that a run that changes nothing is visible.
QMap<QString, QByteArray> snapshot(const QString& root)
{
    QMap<QString, QByteArray> files;
    const QDir dir(root);
    const QStringList names = dir.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QString path = dir.filePath(name);
        if (QFileInfo(path).isDir()) {
            files.insert(snapshot(path));
        } else if (!name.endsWith(QLatin1String("-shm")) && !name.endsWith(QLatin1String("-wal"))) {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            files.insert(path, QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256));
        }
    }
    return files;
}

} // namespace

TEST(CorvaneSetup, HelpDescribesTheCommand)
{
    const auto result = test::runProgram(QStringLiteral("corvane-setup"), {QStringLiteral("--help")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.out.contains(QStringLiteral("--profile"))) << qPrintable(result.out);
}

TEST(CorvaneSetup, ASecondRunRightAfterTheFirstChangesNothing)
{
    test::TempProfile profile;
    const QString home = profile.path(QStringLiteral("Home"));
    const auto first = test::runProgram(QStringLiteral("corvane-setup"), {QStringLiteral("--profile"), home});
    ASSERT_EQ(first.exitCode, 0) << qPrintable(first.err);
    EXPECT_TRUE(first.out.contains(QStringLiteral("table CVRank"))) << qPrintable(first.out);

    const auto before = snapshot(profile.path());
    const auto second =
        test::runProgram(QStringLiteral("corvane-setup"), {QStringLiteral("--profile"), home});
    EXPECT_EQ(second.exitCode, 0) << qPrintable(second.err);
    EXPECT_TRUE(second.out.contains(QStringLiteral("nothing was changed"))) << qPrintable(second.out);
    EXPECT_EQ(snapshot(profile.path()), before);
}

TEST(CorvaneSetup, AnUnwritableFolderGivesAClearErrorAndANonZeroExit)
{
    test::TempProfile profile;
    QFile blocker(profile.path(QStringLiteral("plain-file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString target = profile.path(QStringLiteral("plain-file/profile"));
    const auto result =
        test::runProgram(QStringLiteral("corvane-setup"), {QStringLiteral("--profile"), target});
    EXPECT_NE(result.exitCode, 0);
    EXPECT_TRUE(result.err.contains(target)) << qPrintable(result.err);
}

TEST(CorvaneSetup, UnknownArgumentsAreRefused)
{
    const auto result = test::runProgram(QStringLiteral("corvane-setup"), {QStringLiteral("--bogus")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_FALSE(result.err.isEmpty());
}

TEST(CorvaneSetup, AnEmptyProfileOrDemoDaysWithoutDemoAreRefusedAndCreateNothing)
{
    test::TempProfile profile;
    const QString work = profile.path(QStringLiteral("work"));
    ASSERT_TRUE(QDir().mkpath(work));
    const struct
    {
        QStringList arguments;
        const char* message;
    } cases[] = {
        {{QStringLiteral("--profile"), QString()}, "--profile was given an empty folder name"},
        {{QStringLiteral("--profile"), QStringLiteral("  ")}, "--profile was given an empty folder name"},
        {{QStringLiteral("--profile"), profile.path(QStringLiteral("Home")), QStringLiteral("--demo-days"),
          QStringLiteral("5")},
         "--demo-days needs --demo"},
    };
    for (const auto& c : cases) {
        QProcess process;
        process.setWorkingDirectory(work);
        process.start(QStringLiteral(CORVANE_BIN_DIR "/corvane-setup"), c.arguments);
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), 2) << c.message;
        EXPECT_TRUE(QString::fromLocal8Bit(process.readAllStandardError()).contains(QLatin1String(c.message)))
            << c.message;
    }
    EXPECT_TRUE(QDir(work).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(profile.path(QStringLiteral("Home"))));
    EXPECT_FALSE(QFileInfo::exists(profile.registryPath()));
}
