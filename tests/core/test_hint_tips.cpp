#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/maintenance/HintTips.h"
#include "core/platform/Registry.h"
#include "core/settings/ProfileSetup.h"

#include "TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

// A data folder whose Hint table holds the given tips, appended in the order given.
class HintFolder
{
public:
    explicit HintFolder(const QList<std::pair<int, QString>>& tips)
    {
        QDir().mkpath(folder());
        Session session(QStringLiteral("Fill"));
        Database database(QStringLiteral("Fill"), &session);
        database.setDirectory(folder());
        database.connect();
        database.createTable(*Schema::table(QStringLiteral("Hint")));
        Table hint(&database, QStringLiteral("Hint"));
        hint.open();
        for (const auto& [sequence, caption] : tips) {
            hint.append();
            hint.setValue(QStringLiteral("Sequence"), sequence);
            hint.setValue(QStringLiteral("Caption"), caption);
            hint.setValue(QStringLiteral("Hint"), QStringLiteral("<b>%1</b> explained").arg(caption));
            hint.post();
        }
    }

    QString folder() const { return m_profile.path(QStringLiteral("Data/")); }

private:
    test::TempProfile m_profile;
};

QStringList walk(HintTips& tips, void (HintTips::*step)(), int steps)
{
    QStringList captions{tips.caption()};
    for (int i = 0; i < steps; ++i) {
        (tips.*step)();
        captions << tips.caption();
    }
    return captions;
}

} // namespace

TEST(HintTips, OpensOnTheTipAfterTheOneShownLast)
{
    // Appended out of order: the index, not the file order, decides.
    HintFolder data(
        {{30, QStringLiteral("Third")}, {10, QStringLiteral("First")}, {20, QStringLiteral("Second")}});
    HintTips tips(data.folder());
    tips.open();
    ASSERT_EQ(tips.count(), 3);

    tips.showAfter(10);
    EXPECT_EQ(tips.caption(), QStringLiteral("Second"));
    EXPECT_EQ(tips.text(), QStringLiteral("<b>Second</b> explained"));
    // The third (last) tip was shown last: start again at the first.
    tips.showAfter(30);
    EXPECT_EQ(tips.sequence(), 10);
    // No tip has that number, or tips are off: the first tip.
    for (int stored : {0, 15, 99, HintTips::Disabled}) {
        tips.showAfter(stored);
        EXPECT_EQ(tips.caption(), QStringLiteral("First")) << stored;
    }
}

TEST(HintTips, ArrowsWrapAroundBothEnds)
{
    HintFolder data({{1, QStringLiteral("A")}, {2, QStringLiteral("B")}, {3, QStringLiteral("C")}});
    HintTips tips(data.folder());
    tips.open();
    tips.showAfter(0);
    EXPECT_EQ(walk(tips, &HintTips::next, 4),
              (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("A"),
                           QStringLiteral("B")}));
    tips.showAfter(0);
    EXPECT_EQ(walk(tips, &HintTips::prior, 4),
              (QStringList{QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("B"), QStringLiteral("A"),
                           QStringLiteral("C")}));
}

TEST(HintTips, StoresTheTipOnScreenOrMinusOneWhenSwitchedOff)
{
    HintFolder data({{1, QStringLiteral("A")}, {2, QStringLiteral("B")}});
    HintTips tips(data.folder());
    tips.open();
    tips.showAfter(1);
    EXPECT_EQ(tips.valueToStore(false), 2);
    EXPECT_EQ(tips.valueToStore(true), HintTips::Disabled);
    // A single tip wraps onto itself.
    HintFolder single({{7, QStringLiteral("Only")}});
    HintTips one(single.folder());
    one.open();
    one.showAfter(7);
    one.next();
    one.prior();
    EXPECT_EQ(one.valueToStore(false), 7);
}

TEST(HintTips, AnEmptyTableHasNoTipAndKeepsTheStoredValue)
{
    HintFolder data({});
    HintTips tips(data.folder());
    tips.open();
    EXPECT_TRUE(tips.isEmpty());
    tips.showAfter(3);
    tips.next();
    tips.prior();
    EXPECT_EQ(tips.caption(), QString());
    EXPECT_EQ(tips.valueToStore(false), std::nullopt);
    EXPECT_EQ(tips.valueToStore(true), HintTips::Disabled);
}

TEST(HintTips, AMissingTableOrFolderIsNamedInTheError)
{
    test::TempProfile profile;
    HintTips noTable(profile.path());
    try {
        noTable.open();
        FAIL() << "opened a missing table";
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("Hint"))) << qPrintable(e.message());
    }
    HintTips noFolder(profile.path(QStringLiteral("missing/")));
    EXPECT_THROW(noFolder.open(), DatabaseError);
}

TEST(HintTips, TheSetUpTipsAreNumberedOneToTenWithTitleAndText)
{
    test::TempProfile profile;
    Registry registry(profile.registryPath());
    ProfileSetup setup(registry, profile.path(QStringLiteral("Home")));
    ASSERT_TRUE(setup.run()) << qPrintable(setup.error());
    HintTips tips(profile.path(QStringLiteral("Home/Data/")));
    tips.open();
    ASSERT_EQ(tips.count(), 10);
    tips.showAfter(0);
    for (int sequence = 1; sequence <= 10; ++sequence) {
        EXPECT_EQ(tips.sequence(), sequence);
        EXPECT_FALSE(tips.caption().isEmpty());
        EXPECT_LE(tips.caption().size(), 64);
        EXPECT_GT(tips.text().size(), 60) << qPrintable(tips.caption());
        tips.next();
    }
    EXPECT_EQ(tips.sequence(), 1);
}
