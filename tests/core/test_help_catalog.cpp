#include "core/help/HelpCatalog.h"
#include "core/help/HelpContexts.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

QStringList titles(const QList<const HelpTopic*>& topics)
{
    QStringList list;
    for (const HelpTopic* t : topics)
        list << t->title;
    return list;
}

} // namespace

TEST(HelpCatalog, EveryContextNumberHasATitledTopicWithABody)
{
    const HelpCatalog& catalog = HelpCatalog::instance();
    for (int context : HelpContexts::All) {
        const HelpTopic* topic = catalog.topic(context);
        ASSERT_NE(topic, nullptr) << context;
        EXPECT_FALSE(topic->title.isEmpty()) << context;
        EXPECT_GT(topic->plainText.size(), 400) << topic->title.toStdString() << " is too thin to help";
    }
    // The numbers the windows have always asked for.
    EXPECT_EQ(catalog.topic(200)->title, QStringLiteral("Detail Chart"));
    EXPECT_EQ(catalog.topic(202)->title, QStringLiteral("Daily Results"));
    EXPECT_EQ(catalog.topic(450)->title, QStringLiteral("Log"));
    EXPECT_EQ(catalog.topic(600)->title, QStringLiteral("Miscellaneous Settings"));
    EXPECT_EQ(catalog.topic(670)->title, QStringLiteral("Data Backup"));
    EXPECT_EQ(catalog.topic(680)->title, QStringLiteral("Remote Script Update"));
    EXPECT_EQ(catalog.topic(HelpContexts::NetworkSettings)->title, QStringLiteral("Network Settings"));
}

TEST(HelpCatalog, EveryPageHasItsOwnKnownNumber)
{
    const QSet<int> known(std::begin(HelpContexts::All), std::end(HelpContexts::All));
    QSet<int> seen;
    for (const HelpTopic& topic : HelpCatalog::instance().topics()) {
        EXPECT_TRUE(known.contains(topic.context)) << topic.path.toStdString() << " " << topic.context;
        EXPECT_FALSE(seen.contains(topic.context)) << "two pages use " << topic.context;
        seen.insert(topic.context);
    }
    EXPECT_EQ(seen.size(), known.size());
}

TEST(HelpCatalog, LinksBetweenPagesLeadToPages)
{
    static const QRegularExpression link(QStringLiteral("href=\"([^\"#:]+\\.html)"));
    const HelpCatalog& catalog = HelpCatalog::instance();
    for (const HelpTopic& topic : catalog.topics()) {
        QFile file(topic.path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        for (const QRegularExpressionMatch& m : link.globalMatch(html)) {
            EXPECT_NE(catalog.topicAt(HelpCatalog::defaultFolder() + QLatin1Char('/') + m.captured(1)),
                      nullptr)
                << topic.path.toStdString() << " links to " << m.captured(1).toStdString();
        }
    }
}

TEST(HelpCatalog, UnknownNumbersFindNothing)
{
    EXPECT_EQ(HelpCatalog::instance().topic(9999), nullptr);
    EXPECT_EQ(HelpCatalog::instance().topic(0), nullptr);
}

TEST(HelpCatalog, SearchFindsPagesByTheWordsOfTheirBody)
{
    const HelpCatalog& catalog = HelpCatalog::instance();
    // A word only the body of one page holds.
    EXPECT_EQ(titles(catalog.search(QStringLiteral("tiimeout"))),
              QStringList{QStringLiteral("Network Settings")});
    // Every word must appear; case does not matter.
    const QStringList both = titles(catalog.search(QStringLiteral("PROXY enciphered")));
    EXPECT_TRUE(both.contains(QStringLiteral("Network Settings")));
    for (const QString& title : both) {
        const HelpTopic* t = nullptr;
        for (const HelpTopic& topic : catalog.topics())
            if (topic.title == title)
                t = &topic;
        ASSERT_NE(t, nullptr);
        EXPECT_TRUE(t->plainText.contains(QStringLiteral("enciphered"), Qt::CaseInsensitive));
    }
    // Tags and the page head are not searched.
    EXPECT_TRUE(catalog.search(QStringLiteral("charset")).isEmpty());
    EXPECT_TRUE(catalog.search(QStringLiteral("qwxzv")).isEmpty());
    EXPECT_TRUE(catalog.search(QStringLiteral("  ")).isEmpty());
}

TEST(HelpCatalog, TitleHitsComeFirst)
{
    const QList<const HelpTopic*> hits = HelpCatalog::instance().search(QStringLiteral("backup"));
    ASSERT_FALSE(hits.isEmpty());
    EXPECT_EQ(hits.first()->title, QStringLiteral("Data Backup"));
    EXPECT_GT(hits.size(), 1); // other pages mention backups too
}

TEST(HelpCatalog, ExcerptsShowTheTextAroundTheWord)
{
    HelpTopic topic;
    topic.plainText = QStringLiteral("Alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu");
    EXPECT_EQ(HelpCatalog::excerpt(topic, QStringLiteral("IOTA"), 12),
              QStringLiteral("...eta theta iota kappa..."));
    EXPECT_EQ(HelpCatalog::excerpt(topic, QStringLiteral("alpha"), 12), QStringLiteral("Alpha beta..."));
    EXPECT_EQ(HelpCatalog::excerpt(topic, QStringLiteral("missing mu"), 12), QStringLiteral("...lambda mu"));
}
