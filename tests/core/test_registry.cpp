#include "core/platform/Registry.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

using corvane::Registry;
using corvane::RegistryKey;
using corvane::test::TempProfile;

namespace {

const QString StartupKey = QStringLiteral("Software\\Corvane\\Startup Settings");
const QString NetworkKey = QStringLiteral("Software\\Corvane\\Network");

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// A writer process started with its stdin on a pipe; it starts writing when
// the pipe gives it a line.
struct Writer
{
    pid_t pid = -1;
    int input = -1;
};

Writer startWriter(const std::vector<std::string>& arguments)
{
    Writer writer;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return writer;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(REGISTRY_WRITER_PATH));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    if (posix_spawn(&writer.pid, REGISTRY_WRITER_PATH, &actions, nullptr, argv.data(), environ) != 0)
        writer.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[0]);
    writer.input = fds[1];
    return writer;
}

int exitCodeOf(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(registry, DefaultPathFollowsEnvironment)
{
    const TempProfile profile;
    EXPECT_EQ(Registry::defaultFilePath(), profile.registryPath());

    const QByteArray oldRegistry = qgetenv("CORVANE_REGISTRY");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qunsetenv("CORVANE_REGISTRY");
    qputenv("XDG_CONFIG_HOME", profile.path(QStringLiteral("config")).toLocal8Bit());
    EXPECT_EQ(Registry::defaultFilePath(), profile.path(QStringLiteral("config/Corvane/registry.reg")));
    qputenv("CORVANE_REGISTRY", oldRegistry);
    if (oldConfig.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldConfig);
}

TEST(registry, MissingKeyReadsEmptyAndLosesWrites)
{
    const TempProfile profile;
    Registry registry(profile.path(QStringLiteral("sub/folder/registry.reg")));

    // No file at all: nothing exists, and a write creates nothing.
    EXPECT_FALSE(registry.keyExists(StartupKey));
    EXPECT_EQ(registry.readString(StartupKey, QStringLiteral("SummaryLoad")), QString());
    EXPECT_FALSE(registry.writeString(StartupKey, QStringLiteral("SummaryLoad"), QStringLiteral("true")));
    EXPECT_FALSE(QFileInfo::exists(registry.filePath()));

    // createKey makes the folder and a private file.
    ASSERT_TRUE(registry.createKey(NetworkKey));
    ASSERT_TRUE(registry.writeString(NetworkKey, QStringLiteral("ProxyPort"), QStringLiteral("8080")));
    struct stat info
    { };
    ASSERT_EQ(::stat(QFile::encodeName(registry.filePath()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    const QByteArray before = fileBytes(registry.filePath());
    EXPECT_FALSE(registry.keyExists(StartupKey));
    EXPECT_EQ(registry.readString(StartupKey, QStringLiteral("ProxyPort")), QString());
    EXPECT_FALSE(registry.writeString(StartupKey, QStringLiteral("SummaryLoad"), QStringLiteral("true")));
    EXPECT_EQ(fileBytes(registry.filePath()), before);

    const RegistryKey missing(registry, StartupKey);
    EXPECT_FALSE(missing.isOpen());
    EXPECT_EQ(missing.readString(QStringLiteral("SummaryLoad")), QString());

    // A missing value of an existing key reads empty too.
    EXPECT_EQ(registry.readString(NetworkKey, QStringLiteral("ProxyHost")), QString());
}

TEST(registry, ParentsOfAKeyExistAndAcceptWrites)
{
    const TempProfile profile;
    Registry registry(profile.registryPath());
    ASSERT_TRUE(registry.createKey(StartupKey));

    EXPECT_TRUE(registry.keyExists(QStringLiteral("Software\\Corvane")));
    EXPECT_TRUE(registry.keyExists(QStringLiteral("Software")));
    EXPECT_FALSE(registry.keyExists(QStringLiteral("Software\\Corv")));
    EXPECT_FALSE(registry.keyExists(QStringLiteral("Software\\Corvane\\Startup")));

    EXPECT_TRUE(registry.writeString(QStringLiteral("Software\\Corvane"), QStringLiteral("Top"),
                                     QStringLiteral("1")));
    EXPECT_EQ(registry.readString(QStringLiteral("Software\\Corvane"), QStringLiteral("Top")),
              QStringLiteral("1"));
    EXPECT_TRUE(registry.valueNames(StartupKey).isEmpty());
}

TEST(registry, KeyPathsAndValueNamesIgnoreCase)
{
    const TempProfile profile;
    Registry registry(profile.registryPath());
    ASSERT_TRUE(registry.createKey(StartupKey));
    EXPECT_TRUE(registry.createKey(QStringLiteral("SOFTWARE\\corvane\\startup settings"))); // same key

    ASSERT_TRUE(registry.writeString(QStringLiteral("software\\CORVANE\\Startup SETTINGS"),
                                     QStringLiteral("SummaryLoad"), QStringLiteral("true")));
    EXPECT_TRUE(registry.keyExists(QStringLiteral("SOFTWARE\\CORVANE\\STARTUP SETTINGS")));
    EXPECT_EQ(registry.readString(StartupKey, QStringLiteral("summaryload")), QStringLiteral("true"));
    EXPECT_EQ(registry.readString(QStringLiteral("sOfTwArE\\cOrVaNe\\sTaRtUp SeTtInGs"),
                                  QStringLiteral("SUMMARYLOAD")),
              QStringLiteral("true"));
    EXPECT_EQ(RegistryKey(registry, QStringLiteral("software\\corvane\\startup settings"))
                  .readString(QStringLiteral("SummaryLOAD")),
              QStringLiteral("true"));

    // Writing under another spelling replaces the value and keeps its stored name.
    ASSERT_TRUE(registry.writeString(StartupKey, QStringLiteral("SUMMARYLOAD"), QStringLiteral("false")));
    EXPECT_EQ(registry.valueNames(StartupKey), QStringList{QStringLiteral("SummaryLoad")});
    EXPECT_EQ(registry.readString(StartupKey, QStringLiteral("SummaryLoad")), QStringLiteral("false"));

    const QByteArray text = fileBytes(registry.filePath());
    EXPECT_EQ(text.count("[HKEY_LOCAL_MACHINE\\"), 1) << text.constData();
}

TEST(registry, AwkwardTextsRoundTrip)
{
    const TempProfile profile;
    Registry registry(profile.registryPath());
    ASSERT_TRUE(registry.createKey(NetworkKey));

    const QList<QPair<QString, QString>> values = {
        {QStringLiteral("Quoted"), QStringLiteral("say \"hello\" and \"\"")},
        {QStringLiteral("Folder"), QStringLiteral("C:\\Data\\")},
        {QStringLiteral("Escapes"), QStringLiteral("\\\" \\\\ \\n \"\\")},
        {QStringLiteral("Equals"), QStringLiteral("a=b\"=\"c=")},
        {QStringLiteral("Lines"), QStringLiteral("one\ntwo\r\nthree")},
        {QStringLiteral("Spaces"), QStringLiteral("  padded  ")},
        {QStringLiteral("Empty"), QString()},
        {QStringLiteral("Unicode"), QStringLiteral("Größe – 東京 – ℃ 😀")},
        {QStringLiteral("Brackets"), QStringLiteral("[HKEY_LOCAL_MACHINE\\Software\\Fake]")},
        {QStringLiteral("name \"with\" = and \\ in it"), QStringLiteral("x")},
        {QStringLiteral("Ünïcödé name"), QStringLiteral("y")},
        {QString(), QStringLiteral("the key's default value")},
    };
    for (const auto& [name, text] : values)
        ASSERT_TRUE(registry.writeString(NetworkKey, name, text)) << qPrintable(name);

    // A fresh object re-reads the file; every value comes back as written.
    const Registry reread(profile.registryPath());
    const RegistryKey key(reread, NetworkKey);
    ASSERT_TRUE(key.isOpen());
    QStringList names;
    for (const auto& [name, text] : values) {
        names.append(name);
        EXPECT_EQ(reread.readString(NetworkKey, name), text) << qPrintable(name);
        EXPECT_EQ(key.readString(name), text) << qPrintable(name);
    }
    EXPECT_EQ(reread.valueNames(NetworkKey), names);

    // The file stays one value per line, in the usual notation.
    const QByteArray text = fileBytes(profile.registryPath());
    EXPECT_TRUE(text.startsWith("REGEDIT4\n")) << text.constData();
    EXPECT_TRUE(text.contains("\n\"Folder\"=\"C:\\\\Data\\\\\"\n")) << text.constData();
    EXPECT_TRUE(text.contains("\n\"Quoted\"=\"say \\\"hello\\\" and \\\"\\\"\"\n")) << text.constData();
    EXPECT_TRUE(text.contains("\n@=\"the key's default value\"\n")) << text.constData();
    EXPECT_EQ(text.count("\n["), 1) << text.constData();
}

TEST(registry, ReadsHandWrittenFilesAndKeepsWhatItDoesNotKnow)
{
    const TempProfile profile;
    const QByteArray original = "REGEDIT4\r\n"
                                "\r\n"
                                "; set up by hand\r\n"
                                "[HKEY_LOCAL_MACHINE\\Software\\Corvane\\File Locations]\r\n"
                                "\"ExeFolder\" = \"/opt/corvane/\"\r\n"
                                "\"Legacy\"=\"C:\\Program Files\\Corvane\"\r\n"
                                "\"Count\"=dword:0000001f\r\n"
                                "\"Blob\"=hex:01,02,03,\\\r\n"
                                "  04,05\r\n"
                                "\"DataFolder\"=\"/srv/data/\"\r\n"
                                "\r\n"
                                "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
                                "\"Keep\"=\"me\"\r\n";
    writeBytes(profile.registryPath(), original);

    Registry registry(profile.registryPath());
    const QString key = QStringLiteral("Software\\Corvane\\File Locations");
    EXPECT_EQ(registry.readString(key, QStringLiteral("ExeFolder")), QStringLiteral("/opt/corvane/"));
    EXPECT_EQ(registry.readString(key, QStringLiteral("Legacy")),
              QStringLiteral("C:\\Program Files\\Corvane"));
    EXPECT_EQ(registry.readString(key, QStringLiteral("DataFolder")), QStringLiteral("/srv/data/"));
    EXPECT_EQ(registry.readString(key, QStringLiteral("Count")), QString()); // not a string value
    EXPECT_FALSE(registry.keyExists(QStringLiteral("Software\\Other")));     // another hive
    EXPECT_EQ(registry.valueNames(key),
              (QStringList{QStringLiteral("ExeFolder"), QStringLiteral("Legacy"), QStringLiteral("Count"),
                           QStringLiteral("Blob"), QStringLiteral("DataFolder")}));

    ASSERT_TRUE(registry.writeString(key, QStringLiteral("DataFolder"), QStringLiteral("/srv/new/")));
    const QByteArray text = fileBytes(profile.registryPath());
    EXPECT_TRUE(text.contains("; set up by hand\n")) << text.constData();
    EXPECT_TRUE(text.contains(
        "\n\"Count\"=dword:0000001f\n\"Blob\"=hex:01,02,03,\\\n  04,05\n\"DataFolder\"=\"/srv/new/\"\n"))
        << text.constData();
    EXPECT_TRUE(text.contains("[HKEY_CURRENT_USER\\Software\\Other]\n\"Keep\"=\"me\"\n")) << text.constData();
    EXPECT_EQ(registry.readString(key, QStringLiteral("ExeFolder")), QStringLiteral("/opt/corvane/"));
    EXPECT_EQ(registry.readString(key, QStringLiteral("Legacy")),
              QStringLiteral("C:\\Program Files\\Corvane"));
}

TEST(registry, WriteKeepsEveryOtherValue)
{
    const TempProfile profile;
    Registry registry(profile.registryPath());
    const QStringList keys = {StartupKey, NetworkKey, QStringLiteral("Software\\Corvane\\MsgShow")};
    for (const QString& key : keys) {
        ASSERT_TRUE(registry.createKey(key));
        for (int i = 0; i < 20; ++i)
            ASSERT_TRUE(
                registry.writeString(key, QStringLiteral("Value%1").arg(i), key + QString::number(i)));
    }

    ASSERT_TRUE(registry.writeString(NetworkKey, QStringLiteral("Value7"), QStringLiteral("changed")));
    ASSERT_TRUE(registry.writeString(NetworkKey, QStringLiteral("Added"), QStringLiteral("new")));

    for (const QString& key : keys) {
        QStringList expectedNames;
        for (int i = 0; i < 20; ++i) {
            const QString name = QStringLiteral("Value%1").arg(i);
            expectedNames.append(name);
            const QString expected =
                (key == NetworkKey && i == 7) ? QStringLiteral("changed") : key + QString::number(i);
            EXPECT_EQ(registry.readString(key, name), expected) << qPrintable(key) << ' ' << i;
        }
        if (key == NetworkKey)
            expectedNames.append(QStringLiteral("Added"));
        EXPECT_EQ(registry.valueNames(key), expectedNames) << qPrintable(key);
    }

    // A rewrite of an unchanged value leaves the file as it was.
    const QByteArray before = fileBytes(profile.registryPath());
    ASSERT_TRUE(registry.writeString(NetworkKey, QStringLiteral("value7"), QStringLiteral("changed")));
    EXPECT_EQ(fileBytes(profile.registryPath()), before);

    // No temporary files are left behind, and the file stays private.
    const QStringList leftovers = QDir(profile.path()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(leftovers, (QStringList{QStringLiteral("registry.reg"), QStringLiteral("registry.reg.lock")}));
    EXPECT_EQ(QFileInfo(profile.registryPath()).permissions()
                  & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
              0);
}

// A value written after one whose last line still ends in a backslash (a
// damaged continuation) must not become part of it.
TEST(registry, WriteAfterAnUnfinishedContinuationReadsBack)
{
    const TempProfile profile;
    QFile file(profile.registryPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\K]\n\"Bin\"=hex:01,02,\\");
    file.close();

    Registry registry(profile.registryPath());
    ASSERT_TRUE(
        registry.writeString(QStringLiteral("Software\\K"), QStringLiteral("Proxy"), QStringLiteral("p")));
    ASSERT_TRUE(
        registry.writeString(QStringLiteral("Software\\K"), QStringLiteral("Port"), QStringLiteral("80")));
    EXPECT_EQ(registry.readString(QStringLiteral("Software\\K"), QStringLiteral("Proxy")),
              QStringLiteral("p"));
    EXPECT_EQ(registry.readString(QStringLiteral("Software\\K"), QStringLiteral("Port")),
              QStringLiteral("80"));
    EXPECT_EQ(registry.valueNames(QStringLiteral("Software\\K")),
              (QStringList{QStringLiteral("Bin"), QStringLiteral("Proxy"), QStringLiteral("Port")}));
}

TEST(registry, OpenedKeyIsASnapshot)
{
    const TempProfile profile;
    Registry registry(profile.registryPath());
    ASSERT_TRUE(registry.createKey(StartupKey));
    ASSERT_TRUE(registry.writeString(StartupKey, QStringLiteral("A"), QStringLiteral("1")));

    const RegistryKey key(registry, StartupKey);
    ASSERT_TRUE(registry.writeString(StartupKey, QStringLiteral("A"), QStringLiteral("2")));
    EXPECT_EQ(key.readString(QStringLiteral("A")), QStringLiteral("1"));
    EXPECT_EQ(registry.readString(StartupKey, QStringLiteral("A")), QStringLiteral("2"));
}

TEST(registry, TwoProcessesWritingAtOnceLoseNothing)
{
    const TempProfile profile;
    Registry registry(profile.registryPath());
    ASSERT_TRUE(registry.createKey(StartupKey));

    constexpr int PerWriter = 1000;
    const std::string file = QFile::encodeName(profile.registryPath()).toStdString();
    const std::string key = StartupKey.toStdString();
    const std::string count = std::to_string(PerWriter);
    Writer first = startWriter({file, key, "First", count});
    Writer second = startWriter({file, key, "Second", count});
    ASSERT_GT(first.pid, 0);
    ASSERT_GT(second.pid, 0);
    // Release both at once.
    EXPECT_EQ(::write(first.input, "go\n", 3), 3);
    EXPECT_EQ(::write(second.input, "go\n", 3), 3);
    ::close(first.input);
    ::close(second.input);
    EXPECT_EQ(exitCodeOf(first.pid), 0);
    EXPECT_EQ(exitCodeOf(second.pid), 0);

    const QStringList names = registry.valueNames(StartupKey);
    EXPECT_EQ(names.size(), 2 * PerWriter);
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), 2 * PerWriter);
    const RegistryKey opened(registry, StartupKey);
    int missing = 0;
    for (const char* prefix : {"First", "Second"}) {
        for (int i = 0; i < PerWriter; ++i) {
            if (opened.readString(QLatin1String(prefix) + QString::number(i))
                != QStringLiteral("value ") + QString::number(i))
                ++missing;
        }
    }
    EXPECT_EQ(missing, 0);
}
