// The fast truncation and split against the literal reference on every page
// the demo engine serves, read with the starter engine scripts of a new
// profile, with the rank counter carried from page to page as polling does.
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/demo/DemoEngine.h"
#include "core/engine/EngineScript.h"
#include "core/engine/PageFetcher.h"
#include "core/engine/ResultExtraction.h"
#include "core/platform/Registry.h"
#include "core/settings/ProfileSetup.h"
#include "core/settings/Settings.h"

#include "ReferenceExtraction.h"
#include "TestSupport.h"

#include <QMap>
#include <QUrl>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

QString starterEngineName(DemoStyle style)
{
    switch (style) {
    case DemoStyle::Numbered: return QStringLiteral("Corvane Demo");
    case DemoStyle::Unnumbered: return QStringLiteral("Corvane Demo Unnumbered");
    case DemoStyle::TagFirst: return QStringLiteral("Corvane Demo TagFirst");
    case DemoStyle::PlanB: return QStringLiteral("Corvane Demo PlanB");
    }
    return {};
}

// The starter engine scripts as a new profile holds them in SE3.
class DemoPagesExtraction : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        test::TempProfile profile;
        Registry registry(profile.registryPath());
        ProfileSetup setup(registry, profile.path(QStringLiteral("Home")));
        ASSERT_TRUE(setup.run()) << qPrintable(setup.error());
        SettingsRecord settings;
        ASSERT_TRUE(loadSettings(registry, settings).isEmpty());

        Session session(QStringLiteral("DemoScripts"));
        session.addPassword(QLatin1String(Schema::SE3Password));
        Database database(QStringLiteral("DemoScripts"), &session);
        database.setDirectory(settings.DataFolder);
        database.connect();
        Table se3(&database, QStringLiteral("SE3"), QStringLiteral("SEName"));
        se3.open();
        for (const DemoStyle style : demoStyles()) {
            const QString name = starterEngineName(style);
            ASSERT_TRUE(se3.locate({QStringLiteral("Name")}, {name})) << qPrintable(name);
            s_scripts[style] = EngineScript::fromRow(se3);
        }
        se3.close();
    }

    static void TearDownTestSuite() { s_scripts.clear(); }

    static QMap<DemoStyle, EngineScript> s_scripts;
};

QMap<DemoStyle, EngineScript> DemoPagesExtraction::s_scripts;

// A page as the fetcher hands it on: the body decoded, leading line breaks
// removed, cleaned.
QString fetchedPage(DemoStyle style, const QString& term, int day, int offset)
{
    QString page = QString::fromUtf8(DemoEngine::page(style, term, day, offset));
    qsizetype lead = 0;
    while (lead < page.size() && (page.at(lead) == u'\r' || page.at(lead) == u'\n'))
        ++lead;
    page.remove(0, lead);
    return PageFetcher::CleanPage(page);
}

// A ranked address as the cleaned page carries it: without its scheme.
QString withoutScheme(const QString& url) { return url.section(QStringLiteral("://"), 1); }

} // namespace

TEST_F(DemoPagesExtraction, EqualsTheLiteralExtractionOnEveryServedPage)
{
    const QStringList terms = {QStringLiteral("blue widgets"), QStringLiteral("O'Reilly \"books\" & café"),
                               QStringLiteral("garden hose")};
    const QList<int> days = {1, 17};
    constexpr int pageLength = DemoCorpus::PageLength;
    // Every page with results, then the first one past the last result.
    constexpr int pagesServed = DemoCorpus::ResultsPerTerm / pageLength + 1;

    for (const DemoStyle style : demoStyles()) {
        const EngineScript& script = s_scripts.value(style);
        for (const QString& term : terms) {
            for (const int day : days) {
                const QList<QString> ranking = DemoEngine::ranking(term, day, style);
                ASSERT_EQ(ranking.size(), DemoCorpus::ResultsPerTerm);
                int rank = 1; // the rank counter of polling: the number of the next result
                for (int page = 1; page <= pagesServed; ++page) {
                    const int offset = (page - 1) * pageLength;
                    const QString where = QStringLiteral("%1, \"%2\", day %3, offset %4")
                                              .arg(demoStyleName(style), term)
                                              .arg(day)
                                              .arg(offset);
                    const QString cleaned = fetchedPage(style, term, day, offset);

                    const QString truncated = ApplyTruncations(cleaned, script);
                    const QString literalTruncated = test::referenceTruncations(cleaned, script);
                    ASSERT_EQ(truncated, literalTruncated) << qPrintable(where);
                    const bool firstPage = page == 1;
                    const ResultSplit split = SplitResults(truncated, script, firstPage, rank);
                    const ResultSplit literal =
                        test::referenceSplit(literalTruncated, script, firstPage, rank);
                    ASSERT_EQ(split.processedPage, literal.processedPage) << qPrintable(where);
                    ASSERT_EQ(split.blocks, literal.blocks) << qPrintable(where);
                    ASSERT_EQ(split.markers, literal.markers) << qPrintable(where);

                    if (offset < DemoCorpus::ResultsPerTerm) {
                        // Ten results, each in the block of its rank.
                        ASSERT_EQ(split.blocks.size(), pageLength) << qPrintable(where);
                        for (int i = 0; i < pageLength; ++i) {
                            const QString url = withoutScheme(ranking.at(rank - 1 + i));
                            EXPECT_TRUE(MatchResultLink(split.blocks.at(i), url, true))
                                << qPrintable(where) << " rank " << rank + i << " " << qPrintable(url);
                        }
                    } else {
                        // Past the last result polling stops: no marker, or
                        // (TagFirst) only the unmarked block.
                        EXPECT_EQ(split.markers, 0) << qPrintable(where);
                    }
                    rank += int(split.blocks.size());
                }
            }
        }
    }
}
