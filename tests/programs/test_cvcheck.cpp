// cvcheck against the local demo search engine: the ranks it reports must be
// the server's own ranking, in every markup style the starter scripts read.
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/demo/DemoEngine.h"
#include "core/platform/Registry.h"
#include "core/settings/Settings.h"

#include "../core/TestSupport.h"
#include "ProgramRunner.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

const QStringList demoEngines = {QStringLiteral("Corvane Demo"), QStringLiteral("Corvane Demo Unnumbered"),
                                 QStringLiteral("Corvane Demo TagFirst"),
                                 QStringLiteral("Corvane Demo PlanB")};

// A profile whose starter scripts point at a demo engine on a free port.
class cvcheck : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(engine.start()) << qPrintable(engine.error());
        engine.setDay(3);
        const auto setup =
            test::runProgram(QStringLiteral("corvane-setup"),
                             {QStringLiteral("--profile"), profile.path(QStringLiteral("Home"))});
        ASSERT_EQ(setup.exitCode, 0) << qPrintable(setup.err);

        Session session(QStringLiteral("Test"));
        session.addPassword(QLatin1String(Schema::SE3Password));
        Database data(QStringLiteral("Test"), &session);
        data.setDirectory(profile.path(QStringLiteral("Home/Data")));
        data.connect();
        const QString port = QString::number(engine.port());
        for (const char* column : {"HomePage", "AString1", "BString1", "ReplaceWith1", "ReplaceWith2"}) {
            Query repoint(&data,
                          QStringLiteral("UPDATE SE3 SET %1 = replace(%1, '127.0.0.1:8765', '127.0.0.1:%2')")
                              .arg(QLatin1String(column), port));
            repoint.execSql();
        }
    }

    test::ProgramResult check(const QStringList& arguments)
    {
        return test::runProgram(QStringLiteral("cvcheck"), arguments);
    }

    // Ranks at which the demo engine lists a host within the first `depth` results.
    static QList<int> expectedRanks(const QString& term, int day, const QString& host, int depth,
                                    DemoStyle engine = DemoStyle::Numbered)
    {
        QList<int> ranks;
        const QList<QString> ranking = DemoEngine::ranking(term, day, engine);
        for (int i = 0; i < depth && i < ranking.size(); ++i) {
            if (ranking.at(i).contains(host))
                ranks << i + 1;
        }
        return ranks;
    }

    test::TempProfile profile;
    DemoEngine engine;
};

// The host of the site the demo engine ranks at a position.
QString hostAt(const QString& term, int day, int rank)
{
    const QString url = DemoEngine::ranking(term, day).at(rank - 1);
    return QUrl(url).host();
}

QList<int> reportedRanks(const QString& out, const QString& engineName)
{
    QList<int> ranks;
    for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList cells = line.split(QLatin1Char('\t'));
        if (cells.size() == 5 && cells.at(0) == engineName)
            ranks << cells.at(1).toInt();
    }
    return ranks;
}

} // namespace

TEST_F(cvcheck, EveryStyleReportsTheServersOwnRanks)
{
    const QString term = QStringLiteral("blue widgets");
    for (int rank : {1, 13, 38}) {
        const QString host = hostAt(term, 3, rank);
        for (const QString& name : demoEngines) {
            // each engine ranks the host its own way
            const QList<int> expected =
                expectedRanks(term, 3, host, 40, demoStyles().at(int(demoEngines.indexOf(name))));
            const auto result = check({QStringLiteral("--term"), term, QStringLiteral("--url"), host,
                                       QStringLiteral("--engine"), name, QStringLiteral("--depth"),
                                       QStringLiteral("40"), QStringLiteral("--any-match")});
            // 1: nothing ranked within the depth on this engine
            EXPECT_EQ(result.exitCode, expected.isEmpty() ? 1 : 0)
                << qPrintable(name + QLatin1Char(' ') + result.err);
            EXPECT_EQ(reportedRanks(result.out, name), expected)
                << qPrintable(name + QLatin1Char(' ') + host);
        }
    }
}

TEST_F(cvcheck, HitsCarryPageRequestAndFoundLink)
{
    const QString term = QStringLiteral("garden tools");
    const QString host = hostAt(term, 3, 17);
    const auto result =
        check({QStringLiteral("--term"), term, QStringLiteral("--url"), host, QStringLiteral("--engine"),
               QStringLiteral("Corvane Demo"), QStringLiteral("--depth"), QStringLiteral("20"),
               QStringLiteral("--any-match")});
    ASSERT_EQ(result.exitCode, 0) << qPrintable(result.err);
    const QStringList cells = result.out.split(QLatin1Char('\n')).first().split(QLatin1Char('\t'));
    ASSERT_EQ(cells.size(), 5);
    EXPECT_EQ(cells.at(1), QStringLiteral("17"));
    EXPECT_EQ(cells.at(2), QStringLiteral("2"));
    EXPECT_TRUE(cells.at(3).contains(QStringLiteral("start=10"))) << qPrintable(cells.at(3));
    EXPECT_TRUE(cells.at(3).contains(QStringLiteral("garden+tools"))) << qPrintable(cells.at(3));
    EXPECT_TRUE(cells.at(4).contains(host)) << qPrintable(cells.at(4));
}

TEST_F(cvcheck, DepthDecidesHowManyPagesAreFetched)
{
    for (int depth : {50, 45}) {
        engine.resetCounts();
        const auto result =
            check({QStringLiteral("--term"), QStringLiteral("lamps"), QStringLiteral("--url"),
                   QStringLiteral("no-such-site.example"), QStringLiteral("--engine"),
                   QStringLiteral("Corvane Demo"), QStringLiteral("--depth"), QString::number(depth)});
        EXPECT_EQ(result.exitCode, 1) << qPrintable(result.err);
        EXPECT_EQ(engine.requestCount(), 5) << depth;
        EXPECT_EQ(
            result.err,
            QStringLiteral("cvcheck: nothing ranked within the first %1 results for \"lamps\"\n").arg(depth));
    }
}

TEST_F(cvcheck, AFailingEngineIsRetriedThenReportedAndTheRunEndsWithTwo)
{
    engine.setFailure(DemoEngine::Failure::ServerError);
    const auto result = check({QStringLiteral("--term"), QStringLiteral("lamps"), QStringLiteral("--url"),
                               QStringLiteral("site-001.example"), QStringLiteral("--engine"),
                               QStringLiteral("Corvane Demo")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.contains(QStringLiteral("Error: "))) << qPrintable(result.err);
    EXPECT_TRUE(result.err.contains(QStringLiteral("500"))) << qPrintable(result.err);
    EXPECT_EQ(engine.requestCount(), 4); // HTTPRetryTimes 3: four tries in all
}

TEST_F(cvcheck, BadArgumentsAndUnknownEnginesAreRefused)
{
    EXPECT_EQ(check({QStringLiteral("--url"), QStringLiteral("x.example")}).exitCode, 2);
    EXPECT_EQ(check({QStringLiteral("--term"), QStringLiteral("t"), QStringLiteral("--url"),
                     QStringLiteral("x"), QStringLiteral("--depth"), QStringLiteral("0")})
                  .exitCode,
              2);
    const auto unknown = check({QStringLiteral("--term"), QStringLiteral("t"), QStringLiteral("--url"),
                                QStringLiteral("x"), QStringLiteral("--engine"), QStringLiteral("Nowhere")});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("Nowhere")));
    EXPECT_EQ(check({QStringLiteral("--help")}).exitCode, 0);
}

TEST_F(cvcheck, EachArgumentFaultIsNamed)
{
    const QString t = QStringLiteral("--term"), u = QStringLiteral("--url");
    const struct
    {
        QStringList arguments;
        QString message;
    } cases[] = {
        {{t, QStringLiteral("lamps"), u, QStringLiteral("*")},
         QStringLiteral("--url \"*\" names no address")},
        {{t, QStringLiteral("lamps"), u, QString()}, QStringLiteral("--url \"\" is empty")},
        {{t, QStringLiteral("a"), t, QStringLiteral("b"), u, QStringLiteral("x.example")},
         QStringLiteral("--term is given 2 times")},
        {{t, QStringLiteral("lamps"), u, QStringLiteral("x.example"), QStringLiteral("stray")},
         QStringLiteral("unexpected argument \"stray\"")},
        {{t, QStringLiteral("lamps"), u, QStringLiteral("x.example"), QStringLiteral("--depth"),
          QStringLiteral("ten")},
         QStringLiteral("--depth must be a whole number from 1 to 9999, not \"ten\"")},
        {{u, QStringLiteral("x.example")}, QStringLiteral("give the search term with --term")},
    };
    for (const auto& c : cases) {
        const auto result = check(c.arguments);
        EXPECT_EQ(result.exitCode, 2) << qPrintable(c.arguments.join(u' '));
        EXPECT_TRUE(result.err.startsWith(QStringLiteral("cvcheck: ") + c.message)) << qPrintable(result.err);
        EXPECT_TRUE(result.out.isEmpty());
    }
    EXPECT_EQ(engine.requestCount(), 0);
}

TEST_F(cvcheck, FieldsKeepTheirTabsAndLineBreaksEscapedAndNoticesArePlainText)
{
    {
        Session session(QStringLiteral("Rename"));
        session.addPassword(QLatin1String(Schema::SE3Password));
        Database data(QStringLiteral("Rename"), &session);
        data.setDirectory(profile.path(QStringLiteral("Home/Data")));
        data.connect();
        Query rename(&data,
                     QStringLiteral("UPDATE SE3 SET Name = 'Tab\tLine\nBack\\slash' "
                                    "WHERE Name = 'Corvane Demo'"));
        rename.execSql();
        Query unusable(&data,
                       QStringLiteral("UPDATE SE3 SET AIncStart = '', AIncEnd = '' "
                                      "WHERE Name = 'Corvane Demo Unnumbered'"));
        unusable.execSql();
    }
    // A damaged value is repaired and said so on the terminal without markup.
    Registry registry(profile.registryPath());
    ASSERT_TRUE(registry.writeString(SettingsKeys::path(QLatin1String(SettingsKeys::Network)),
                                     QStringLiteral("HTTPReadTimeout"), QStringLiteral("<b>x</b>")));

    const QString term = QStringLiteral("garden tools");
    const auto result = check({QStringLiteral("--term"), term, QStringLiteral("--url"), hostAt(term, 3, 4),
                               QStringLiteral("--engine"), QStringLiteral("Tab\tLine\nBack\\slash"),
                               QStringLiteral("--engine"), QStringLiteral("Corvane Demo Unnumbered"),
                               QStringLiteral("--depth"), QStringLiteral("10")});
    EXPECT_EQ(result.exitCode, 0) << qPrintable(result.err);
    const QStringList lines = result.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << qPrintable(result.out);
    const QStringList cells = lines.first().split(u'\t');
    ASSERT_EQ(cells.size(), 5) << qPrintable(lines.first());
    EXPECT_EQ(cells.at(0), QStringLiteral("Tab\\tLine\\nBack\\\\slash"));
    EXPECT_EQ(cells.at(1), QStringLiteral("4"));

    EXPECT_TRUE(
        result.err.contains(QStringLiteral("Settings Repaired: These settings did not hold a whole number "
                                           "and were reset to their defaults:\n  - Network \\ "
                                           "HTTPReadTimeout: \"<b>x</b>\" became")))
        << qPrintable(result.err);
    EXPECT_FALSE(result.err.contains(QStringLiteral("<LI>"))) << qPrintable(result.err);
    EXPECT_TRUE(result.err.contains(QStringLiteral(
        "Corvane Demo Unnumbered: Error: The engine script \"Corvane Demo Unnumbered\" is unusable: "
        "it has no result marker for the first page")))
        << qPrintable(result.err);
}
