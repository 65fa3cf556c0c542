#include "core/datamodule/DM1.h"
#include "core/settings/ProfileSetup.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

// A data module on a fresh profile, its databases open.
struct OpenDataModule
{
    test::TempProfile profile;
    TDM1 dm{Registry(profile.registryPath())};
    QStringList shown;

    OpenDataModule()
    {
        Registry registry(profile.registryPath());
        ProfileSetup setup(registry, profile.path(QStringLiteral("Home")));
        if (!setup.run())
            ADD_FAILURE() << qPrintable(setup.error());
        dm.setMessagePresenter(
            [this](MessageButtons, const QString& title, const QString& text, const QString&) {
                shown << title + QStringLiteral(": ") + text;
                return MessageAnswer::Ok;
            });
        dm.LoadSettings();
        dm.OpenDatabases();
    }
};

int logCount(TDM1& dm)
{
    Query count(&dm.General, QStringLiteral("SELECT COUNT(*) AS N FROM CVLog"));
    count.open();
    return count.asInteger(QStringLiteral("N"));
}

} // namespace

TEST(DataModule, ASuppressedMessageReturnsZeroWithoutShowing)
{
    OpenDataModule m;
    EXPECT_EQ(m.dm.ShowMessageBox(MessageButtons::YesNo, QStringLiteral("Q"), QStringLiteral("Sure?"), false,
                                  QStringLiteral("DeleteST")),
              MessageAnswer::None);
    EXPECT_TRUE(m.shown.isEmpty());
    EXPECT_EQ(m.dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Note"), QStringLiteral("Hi"), true, {}),
              MessageAnswer::Ok);
    EXPECT_EQ(m.shown, QStringList{QStringLiteral("Note: Hi")});
}

TEST(DataModule, WithoutAWindowAQuestionIsDeclined)
{
    test::TempProfile profile;
    TDM1 dm{Registry(profile.registryPath())};
    EXPECT_EQ(
        dm.ShowMessageBox(MessageButtons::YesNo, QStringLiteral("Q"), QStringLiteral("Delete?"), true, {}),
        MessageAnswer::No);
    EXPECT_EQ(
        dm.ShowMessageBox(MessageButtons::OkCancel, QStringLiteral("Q"), QStringLiteral("Go?"), true, {}),
        MessageAnswer::Cancel);
}

TEST(DataModule, ADamagedIntegerSettingIsNamedToTheUser)
{
    OpenDataModule m;
    m.dm.registry().writeString(SettingsKeys::path(QStringLiteral("Network")), QStringLiteral("Throttle"),
                                QStringLiteral("fast"));
    m.shown.clear();
    m.dm.LoadSettings();
    ASSERT_EQ(m.shown.size(), 1);
    EXPECT_TRUE(m.shown[0].contains(QStringLiteral("Throttle")));
    EXPECT_TRUE(m.shown[0].contains(QStringLiteral("fast")));
    EXPECT_EQ(m.dm.Settings.Throttle, 1);
}

TEST(DataModule, AKeyViolationOnTheURLTableIsAbortedAndLoggedWithoutADialog)
{
    OpenDataModule m;
    Table& urls = m.dm.URLTable;
    urls.open();
    auto addUrl = [&urls](const QString& name, const QString& url) {
        urls.append();
        urls.setValue(QStringLiteral("Name"), name);
        urls.setValue(QStringLiteral("URL"), url);
        urls.setValue(QStringLiteral("Project"), QStringLiteral("O'Reilly"));
        urls.post();
    };
    addUrl(QStringLiteral("Home"), QStringLiteral("example.com"));
    m.shown.clear();
    EXPECT_NO_THROW(addUrl(QStringLiteral("Home"), QStringLiteral("example.org")));

    EXPECT_EQ(urls.state(), Dataset::State::Browse);
    EXPECT_EQ(urls.recordCount(), 1);
    EXPECT_TRUE(m.shown.isEmpty());
    ASSERT_EQ(logCount(m.dm), 1);
    Query log(&m.dm.General, QStringLiteral("SELECT * FROM CVLog"));
    log.open();
    EXPECT_TRUE(log.asString(QStringLiteral("Message")).contains(QStringLiteral("Duplicate key")));
    EXPECT_EQ(log.asDate(QStringLiteral("xDate")), QDate::currentDate());
}

TEST(DataModule, TheEngineScriptTableOpensThroughThePasswordHook)
{
    OpenDataModule m;
    m.dm.SE3Table.open();
    EXPECT_GE(m.dm.SE3Table.recordCount(), 1);
    m.dm.CloseDatabases();
    EXPECT_FALSE(m.dm.SE3Table.isOpen());
    EXPECT_FALSE(m.dm.General.isConnected());
}

TEST(DataModule, ProgressBarWidthsFollowTrackAndQuarter)
{
    EXPECT_EQ(TDM1::ProgressBarWidth(200, 0), 0);
    EXPECT_EQ(TDM1::ProgressBarWidth(200, 50), 100);
    EXPECT_EQ(TDM1::ProgressBarWidth(333, 33), 109); // 109.89 drops its fraction
    EXPECT_EQ(TDM1::ProgressBarWidth(200, 100), 200);
    // 203 / 4 = 50 per query; the third query (index 2) at 50 % = 25 + 100.
    EXPECT_EQ(TDM1::DayGlanceProgressBarWidth(203, 50, 2), 125);
    EXPECT_EQ(TDM1::DayGlanceProgressBarWidth(203, 100, 3), 200);
    EXPECT_EQ(TDM1::DayGlanceProgressBarWidth(203, 0, 0), 0);
}

TEST(DataModule, TheChartHelpFolderIsRegisteredOnlyWhereTheKeyExists)
{
    OpenDataModule m;
    const QString helpKey = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\Help");
    EXPECT_FALSE(m.dm.registry().keyExists(helpKey));
    m.dm.registry().createKey(helpKey);
    m.dm.LoadSettings();
    EXPECT_EQ(RegistryKey(m.dm.registry(), helpKey).readString(QStringLiteral("teeuser6.hlp")),
              m.dm.Settings.ExeFolder);
}

TEST(DataModule, ThePhraseTableReadsInTheOrderOfItsIndex)
{
    OpenDataModule m;
    Table& phrases = m.dm.PhraseTable;
    phrases.open();
    for (const QString& phrase : {QStringLiteral("zeta"), QStringLiteral("alpha"), QStringLiteral("mid")}) {
        phrases.append();
        phrases.setValue(QStringLiteral("Phrase"), phrase);
        phrases.setValue(QStringLiteral("PhraseCount"), 1);
        phrases.post();
    }
    phrases.close();
    phrases.open();
    QStringList order;
    for (phrases.first(); !phrases.eof(); phrases.next())
        order << phrases.asString(QStringLiteral("Phrase"));
    EXPECT_EQ(order, (QStringList{QStringLiteral("alpha"), QStringLiteral("mid"), QStringLiteral("zeta")}));
}

TEST(DataModule, AnUnreadableOrTruncatedStoreIsToldOnceAndNoRepairIsClaimedThatDidNotHappen)
{
    // A store cut short before its Network key: the defaults are used, but
    // nothing can be written back, and the message says so.
    {
        OpenDataModule m;
        QFile file(m.profile.registryPath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray whole = file.readAll();
        file.close();
        const qsizetype cut = whole.indexOf("\\Network]");
        ASSERT_GT(cut, 0);
        const QByteArray truncated = whole.left(whole.lastIndexOf('\n', cut) + 1);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(truncated);
        file.close();

        m.shown.clear();
        m.dm.LoadSettings();
        ASSERT_EQ(m.shown.size(), 1);
        EXPECT_FALSE(m.shown[0].contains(QStringLiteral("were reset"))) << qPrintable(m.shown[0]);
        EXPECT_TRUE(m.shown[0].contains(QStringLiteral("could not be written back")))
            << qPrintable(m.shown[0]);
        EXPECT_TRUE(m.shown[0].contains(QStringLiteral("Network \\ HTTPRetryTimes")))
            << qPrintable(m.shown[0]);
        EXPECT_EQ(m.dm.Settings.HTTPRetryTimes, 3);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), truncated);
    }
    // A store that cannot be read at all: one message, defaults, nothing written.
    {
        OpenDataModule m;
        const QString path = m.profile.registryPath();
        ASSERT_TRUE(QFile::remove(path));
        ASSERT_TRUE(QDir().mkpath(path));
        m.shown.clear();
        m.dm.LoadSettings();
        ASSERT_EQ(m.shown.size(), 1) << qPrintable(m.shown.join(u'\n'));
        EXPECT_TRUE(m.shown[0].startsWith(QStringLiteral("Error: The settings store")))
            << qPrintable(m.shown[0]);
        EXPECT_TRUE(m.shown[0].contains(QStringLiteral("cannot be read"))) << qPrintable(m.shown[0]);
        EXPECT_EQ(m.dm.Settings.HTTPRetryTimes, 3);
        EXPECT_EQ(m.dm.Settings.Throttle, 1);
        EXPECT_TRUE(QDir(path).isEmpty());
    }
}
