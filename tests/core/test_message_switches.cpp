#include "core/datamodule/DM1.h"
#include "core/platform/Registry.h"
#include "core/settings/Settings.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

// A data module on a store that holds the MsgShow key, answering every
// question with the given button.
struct SwitchProfile
{
    test::TempProfile profile;
    TDM1 dm{Registry(profile.registryPath())};
    MessageAnswer answer = MessageAnswer::Ok;
    QStringList asked;

    SwitchProfile()
    {
        Registry(profile.registryPath()).createKey(msgShow());
        dm.setMessagePresenter(
            [this](MessageButtons type, const QString& title, const QString& text, const QString&) {
                asked << QString::number(int(type)) + QLatin1Char('|') + title + QLatin1Char('|') + text;
                return answer;
            });
    }

    static QString msgShow() { return SettingsKeys::path(QStringLiteral("MsgShow")); }
    QString stored(const QString& name) const
    {
        return Registry(profile.registryPath()).readString(msgShow(), name);
    }
    void store(const QString& name, const QString& text)
    {
        Registry(profile.registryPath()).writeString(msgShow(), name, text);
    }
};

} // namespace

TEST(MessageSwitches, OnlyTrueInAnyCaseShowsAMessage)
{
    SwitchProfile p;
    p.store(QStringLiteral("NoURL"), QStringLiteral("True"));
    p.store(QStringLiteral("DeleteST"), QStringLiteral("yes"));
    p.store(QStringLiteral("KeyURL"), QStringLiteral("false"));
    p.dm.LoadSwitches();
    EXPECT_TRUE(p.dm.MessageSwitch(QStringLiteral("NoURL")));
    EXPECT_FALSE(p.dm.MessageSwitch(QStringLiteral("DeleteST")));
    EXPECT_FALSE(p.dm.MessageSwitch(QStringLiteral("KeyURL")));
    EXPECT_FALSE(p.dm.MessageSwitch(QStringLiteral("BypassOnHits"))); // missing value
    EXPECT_TRUE(p.dm.MessageSwitch(QString()));                       // never suppressible
}

TEST(MessageSwitches, ASuppressedQuestionReturnsZeroWithoutAsking)
{
    SwitchProfile p;
    p.dm.LoadSwitches();
    EXPECT_EQ(p.dm.ShowMessageBox(MessageButtons::YesNo, QStringLiteral("Delete"), QStringLiteral("Sure?"),
                                  p.dm.MessageSwitch(QStringLiteral("DeleteST")), QStringLiteral("DeleteST")),
              MessageAnswer::None);
    EXPECT_TRUE(p.asked.isEmpty());
}

TEST(MessageSwitches, AStoredSwitchIsWrittenAtOnceAndHoldsInTheNextRun)
{
    SwitchProfile p;
    p.dm.StoreMessageSwitch(QStringLiteral("DeleteURL"), false);
    EXPECT_EQ(p.stored(QStringLiteral("DeleteURL")), QStringLiteral("false"));
    EXPECT_FALSE(p.dm.MessageSwitch(QStringLiteral("DeleteURL")));
    p.dm.StoreMessageSwitch(QStringLiteral("DeleteURL"), true);
    EXPECT_EQ(p.stored(QStringLiteral("DeleteURL")), QStringLiteral("true"));

    TDM1 nextRun{Registry(p.profile.registryPath())};
    nextRun.LoadSwitches();
    EXPECT_TRUE(nextRun.MessageSwitch(QStringLiteral("DeleteURL")));
}

TEST(MessageSwitches, EnableAllMessagesAsksThenSwitchesAllSixteenOn)
{
    SwitchProfile p;
    p.store(QStringLiteral("RunAutoChart"), QStringLiteral("false"));
    p.dm.LoadSwitches();

    p.answer = MessageAnswer::Cancel;
    p.dm.EnableAllMessages();
    ASSERT_EQ(p.asked.size(), 1);
    EXPECT_EQ(p.asked.first(),
              QStringLiteral("1||<P align=\"center\">Click \"OK\" to enable all message boxes<BR>"
                             "that you have previously disabled.</P>"));
    EXPECT_EQ(p.stored(QStringLiteral("RunAutoChart")), QStringLiteral("false"));
    EXPECT_FALSE(p.dm.MessageSwitch(QStringLiteral("RunAutoChart")));

    p.answer = MessageAnswer::Ok;
    p.dm.EnableAllMessages();
    ASSERT_EQ(messageSwitchNames().size(), 16);
    for (const QString& name : messageSwitchNames()) {
        EXPECT_EQ(p.stored(name), QStringLiteral("true")) << qPrintable(name);
        EXPECT_TRUE(p.dm.MessageSwitch(name)) << qPrintable(name);
    }
}

TEST(MessageSwitches, WithoutTheKeyNothingIsCreatedAndMessagesStaySuppressed)
{
    test::TempProfile profile;
    TDM1 dm{Registry(profile.registryPath())};
    dm.setMessagePresenter(
        [](MessageButtons, const QString&, const QString&, const QString&) { return MessageAnswer::Ok; });
    dm.EnableAllMessages();
    EXPECT_FALSE(Registry(profile.registryPath()).keyExists(SettingsKeys::path(QStringLiteral("MsgShow"))));
    // In memory the user's wish holds for this run.
    EXPECT_TRUE(dm.MessageSwitch(QStringLiteral("NoURL")));
    TDM1 nextRun{Registry(profile.registryPath())};
    nextRun.LoadSwitches();
    EXPECT_FALSE(nextRun.MessageSwitch(QStringLiteral("NoURL")));
}
