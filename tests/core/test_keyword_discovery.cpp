// Keyword discovery against the demo engine: the harvest over several
// engines, Detail through the engine as the HTTP proxy of its result sites,
// a known page served by a server of the test's own, the merged list, the
// filter file and settings, and the add rules that put the finds into a
// project.
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/demo/DemoEngine.h"
#include "core/demo/DemoSitePages.h"
#include "core/discovery/DetailRun.h"
#include "core/discovery/MergedData.h"
#include "core/discovery/MixHarvest.h"
#include "core/discovery/MixSettings.h"
#include "core/discovery/PageDetail.h"
#include "core/engine/PageFetcher.h"
#include "core/platform/Registry.h"
#include "core/projects/AddItems.h"
#include "core/projects/ProjectStore.h"
#include "core/settings/ProfileSetup.h"
#include "core/settings/Settings.h"

#include "TestSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QUrl>

#include <gtest/gtest.h>

#include <httplib.h>
#include <map>
#include <thread>

using namespace corvane;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

const QString Numbered = s("Corvane Demo");
const QString Unnumbered = s("Corvane Demo Unnumbered");
const QString TagFirst = s("Corvane Demo TagFirst");

// A page in mixed case with script blocks, &nbsp; and non-ASCII words.
const char* const KnownPage =
    "<HTML><HEAD>\r\n<Title>Café &amp; Bakery \"Crème\"\n Shop</TITLE>\r\n"
    "<META  NAME=\"Description\"  CONTENT=\"Fresh bread &amp; cakes, baked daily.\">\n"
    "<meta content=\"bread, Crème brûlée , cakes,,bakery\" name=\"KEYWORDS\">\n"
    "<SCRIPT type=\"text/javascript\">var bread = 'bread bread bread bread';</SCRIPT>\n"
    "</HEAD><BODY><P>Bread bread BREAD bread&nbsp;cakes cakes</p><p>cakes\tbread "
    "crème crème</P>\n<script>cakes cakes cakes</script><div>the the the bread</div>"
    "</BODY></HTML>";

// One profile and two demo engines for the suite: the engines answer on
// different days, so their rankings differ.
class keyword_discovery : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        profile = new test::TempProfile;
        first = new DemoEngine;
        second = new DemoEngine;
        ASSERT_TRUE(first->start()) << qPrintable(first->error());
        ASSERT_TRUE(second->start()) << qPrintable(second->error());
        first->setDay(3);
        second->setDay(11);
        Registry registry(profile->registryPath());
        ProfileSetup setup(registry, profile->path(s("Home")));
        ASSERT_TRUE(setup.run()) << qPrintable(setup.error());
        Session session(s("Setup"));
        session.addPassword(QLatin1String(Schema::SE3Password));
        Database data(s("Setup"), &session);
        data.setDirectory(profile->path(s("Home/Data")));
        data.connect();
        // The numbered and tag-first scripts ask the first engine, the
        // unnumbered one the second.
        const auto repoint = [&](const QString& engine, int port) {
            Query(&data,
                  s("UPDATE SE3 SET AString1 = replace(AString1, '127.0.0.1:8765', '127.0.0.1:%1') "
                    "WHERE Name = '%2'")
                      .arg(port)
                      .arg(engine))
                .execSql();
        };
        repoint(Numbered, first->port());
        repoint(TagFirst, first->port());
        repoint(Unnumbered, second->port());
    }

    static void TearDownTestSuite()
    {
        delete first;
        delete second;
        delete profile;
    }

    void SetUp() override
    {
        session.setPasswordHook([](Session& sn) {
            sn.addPassword(QLatin1String(Schema::SE3Password));
            return true;
        });
        data.setDirectory(profile->path(s("Home/Data")));
        data.connect();
        settings.HTTPReadTimeout = 5000;
    }

    // The first page's results of an engine (the demo style it answers in) on a day, as CVMix names them.
    static QStringList topTen(const QString& seed, int day, DemoStyle style = DemoStyle::Numbered)
    {
        QStringList names;
        for (const QString& url : DemoEngine::ranking(seed, day, style).mid(0, 10))
            names << url.toLower();
        return names;
    }

    int harvest(const QString& seed, const QStringList& engines, QStringList* log = nullptr)
    {
        PageFetcher fetcher(settings);
        MixEvents events;
        events.log = [log](const QString& line) {
            if (log)
                *log << line;
        };
        return MixHarvest::Run(se3, mix, fetcher, seed, engines, events);
    }

    // Detail through the first engine as the proxy.
    DetailCounts detail(const DetailOptions& options, QStringList* log = nullptr)
    {
        SettingsRecord proxied = settings;
        proxied.ProxyAuth = true;
        proxied.ProxyHost = s("127.0.0.1");
        proxied.ProxyPort = first->port();
        MixEvents events;
        events.log = [log](const QString& line) {
            if (log)
                *log << line;
        };
        return DetailRun::Run(mix, phrase, proxied, options, events);
    }

    std::map<QString, std::pair<int, QString>> mixRows()
    {
        std::map<QString, std::pair<int, QString>> rows;
        mix.open();
        for (mix.first(); !mix.eof(); mix.next())
            rows[mix.asString(s("Name"))] = {mix.asInteger(s("URLCount")), mix.asString(s("SE"))};
        return rows;
    }

    static test::TempProfile* profile;
    static DemoEngine* first;
    static DemoEngine* second;
    Session session{s("Discovery")};
    Database data{s("General"), &session};
    Table se3{&data, s("SE3"), s("SEName")};
    Table mix{&data, s("CVMix"), s("Nameidx")};
    Table phrase{&data, s("Phrase"), s("Phraseidx")};
    SettingsRecord settings;
};

test::TempProfile* keyword_discovery::profile = nullptr;
DemoEngine* keyword_discovery::first = nullptr;
DemoEngine* keyword_discovery::second = nullptr;

TEST_F(keyword_discovery, OnlyEnginesWithALinkStartAreOffered)
{
    const QStringList offered = MixHarvest::OfferedEngines(se3);
    EXPECT_TRUE(offered.contains(Numbered));
    EXPECT_TRUE(offered.contains(Unnumbered));
    Query(&data, s("UPDATE SE3 SET HTTPStart = '' WHERE Name = 'Corvane Demo PlanB'")).execSql();
    se3.refresh();
    EXPECT_FALSE(MixHarvest::OfferedEngines(se3).contains(s("Corvane Demo PlanB")));
    Query(&data, s("UPDATE SE3 SET HTTPStart = 'http' WHERE Name = 'Corvane Demo PlanB'")).execSql();
}

TEST_F(keyword_discovery, HarvestCountsEachSiteOncePerEngineThatListsIt)
{
    const QString seed = s("blue widgets");
    QStringList log;
    const int rows = harvest(seed, {Numbered, Unnumbered, TagFirst}, &log);
    EXPECT_EQ(log, QStringList({Numbered + s(" OK"), Unnumbered + s(" OK"), TagFirst + s(" OK")}));

    // Each engine's first page once: the first server's numbered and
    // tag-first engines on its day, the second server's unnumbered one.
    std::map<QString, std::pair<int, QStringList>> expected;
    for (const QString& name : topTen(seed, 3)) {
        expected[name].first += 1;
        expected[name].second << Numbered;
    }
    for (const QString& name : topTen(seed, 3, DemoStyle::TagFirst)) {
        expected[name].first += 1;
        expected[name].second << TagFirst;
    }
    for (const QString& name : topTen(seed, 11, DemoStyle::Unnumbered)) {
        expected[name].first += 1;
        expected[name].second << Unnumbered;
    }
    const auto actual = mixRows();
    ASSERT_EQ(int(actual.size()), rows);
    ASSERT_EQ(actual.size(), expected.size());
    for (const auto& [name, want] : expected) {
        ASSERT_TRUE(actual.count(name)) << qPrintable(name);
        EXPECT_EQ(actual.at(name).first, want.first) << qPrintable(name);
        QStringList engines = actual.at(name).second.split(u'\n');
        QStringList wanted = want.second;
        engines.sort();
        wanted.sort();
        EXPECT_EQ(engines, wanted) << qPrintable(name);
    }
    // The seed's blank reached the engine as part of the term.
    EXPECT_TRUE(first->searchTargets().last().contains(s("q=blue%20widgets")));

    // A harvest starts from an empty list.
    harvest(s("garden tools"), {Numbered});
    EXPECT_EQ(int(mixRows().size()), 10);
}

TEST_F(keyword_discovery, FailedPagesAreLoggedAndYieldNothing)
{
    first->setFailure(DemoEngine::Failure::ShortBody, 1);
    second->setFailure(DemoEngine::Failure::ServerError, 1);
    QStringList log;
    harvest(s("blue widgets"), {Numbered, Unnumbered, TagFirst}, &log);
    ASSERT_EQ(log.size(), 3);
    EXPECT_EQ(log.at(0), Numbered + s(" Minimal data returned"));
    EXPECT_TRUE(log.at(1).startsWith(Unnumbered + s(" "))) << qPrintable(log.at(1));
    EXPECT_TRUE(log.at(1).contains(s("500"))) << qPrintable(log.at(1));
    EXPECT_EQ(log.at(2), TagFirst + s(" OK"));
    const auto rows = mixRows();
    EXPECT_EQ(int(rows.size()), 10);
    for (const auto& [name, row] : rows)
        EXPECT_EQ(row.second, TagFirst);
}

TEST_F(keyword_discovery, AbortStopsHarvestAndDetailAtTheirNextCheck)
{
    QStringList log;
    MixEvents events;
    events.log = [&log](const QString& line) { log << line; };
    events.aborted = [&log] { return !log.isEmpty(); };
    PageFetcher fetcher(settings);
    EXPECT_EQ(MixHarvest::Run(se3, mix, fetcher, s("blue widgets"), {Numbered, Unnumbered, TagFirst}, events),
              10);
    EXPECT_EQ(log, QStringList({Numbered + s(" OK"), s("Aborting")}));

    log.clear();
    events.aborted = [&log] { return log.size() >= 2; }; // after the first page and its separator
    SettingsRecord proxied = settings;
    proxied.ProxyAuth = true;
    proxied.ProxyHost = s("127.0.0.1");
    proxied.ProxyPort = first->port();
    DetailOptions options;
    options.connections = 3;
    DetailRun::Run(mix, phrase, proxied, options, events);
    ASSERT_EQ(log.size(), 3);
    EXPECT_EQ(log.at(2), s("Aborting"));
}

TEST_F(keyword_discovery, LinksAreCutAtTheirStartOccurrenceAndEnd)
{
    se3.open();
    ASSERT_TRUE(se3.findKey({Numbered}));
    EngineScript script = EngineScript::fromRow(se3);
    const QString page = QString::fromUtf8(DemoEngine::page(DemoStyle::Numbered, s("blue widgets"), 3, 0));
    EXPECT_EQ(MixHarvest::ResultLinks(script, page),
              QStringList(DemoEngine::ranking(s("blue widgets"), 3).mid(0, 10)));

    // Without its end the link runs on past a double quote: rejected.
    script.HTTPEnd = s("@@never@@");
    EXPECT_TRUE(MixHarvest::ResultLinks(script, page).isEmpty());

    script.HTTPEnd = s("\"");
    const QString block = s("*~*~*~*~*~*~*<a href=\"http://one.test/\">x</a> <a href=\"http://two.test/\">");
    EXPECT_EQ(MixHarvest::LinkOfBlock(script, block), s("http://one.test/"));
    script.HTTPLoc = 2;
    EXPECT_EQ(MixHarvest::LinkOfBlock(script, block), s("http://two.test/"));
    script.HTTPLoc = 3;
    EXPECT_EQ(MixHarvest::LinkOfBlock(script, block), QString());
}

TEST_F(keyword_discovery, TheFirstPageAddressKnowsOnlyTheSeedAndRandomValues)
{
    EngineScript script;
    script.AString[0] = s("http://e.test/s?q=");
    script.AValue[0] = s("KeyWord");
    script.AString[1] = s("&start=");
    script.AValue[1] = s("PageNo*10");
    script.AString[2] = s("&r=");
    script.AValue[2] = s("RandAU");
    script.OffsetField = s("RandAU");
    script.OffsetValue = 3;
    const QString url = MixHarvest::FirstPageUrl(script, s("AT&T café \"x\""));
    EXPECT_TRUE(url.startsWith(s("http://e.test/s?q=AT%26T%20caf%C3%A9%20\"x\"&start=&r=")))
        << qPrintable(url);
    EXPECT_EQ(url.size(), s("http://e.test/s?q=AT%26T%20caf%C3%A9%20\"x\"&start=&r=").size() + 3);

    script.ReplaceThis[9] = s("[BLANK]");
    script.ReplaceWith[9] = s("+");
    script.AValue[2].clear();
    EXPECT_EQ(MixHarvest::FirstPageUrl(script, s("blue  widgets")),
              s("http://e.test/s?q=blue++widgets&start=&r="));
}

TEST_F(keyword_discovery, DetailReadsTheSitesThroughTheEngineAndTellsTheBadOnes)
{
    harvest(s("blue widgets"), {Numbered, Unnumbered});
    const auto before = mixRows();
    DetailOptions options;
    options.connections = 4;
    QStringList log;
    const DetailCounts counts = detail(options, &log);

    // Which pages fail follows from the corpus: missing, too short and too
    // large pages, and https sites (the demo proxy makes no tunnels).
    int bad = 0;
    QStringList expectedLog;
    for (const auto& [name, row] : before) {
        const int site = DemoSitePages::siteOf(QUrl(name).host());
        const DemoSitePages::Kind kind = DemoSitePages::kindOf(site);
        const bool https = name.startsWith(s("https://"));
        if (https || kind != DemoSitePages::Kind::Normal)
            ++bad;
        if (!https && kind == DemoSitePages::Kind::TooShort)
            expectedLog << name + s(" Minimal data returned");
        else if (!https && kind == DemoSitePages::Kind::TooLarge)
            expectedLog << name + s(" Excess data returned");
        else if (!https && kind == DemoSitePages::Kind::Normal)
            expectedLog << name + s(" OK");
        else
            expectedLog << name + s(" ..."); // an error text
        expectedLog << s("*******************");
    }
    EXPECT_EQ(counts.failed, bad);
    EXPECT_EQ(counts.read, int(before.size()) - bad);
    ASSERT_EQ(log.size(), expectedLog.size());
    for (qsizetype i = 0; i < log.size(); ++i) {
        if (expectedLog.at(i).endsWith(s(" ...")))
            EXPECT_TRUE(log.at(i).startsWith(expectedLog.at(i).chopped(3))) << qPrintable(log.at(i));
        else
            EXPECT_EQ(log.at(i), expectedLog.at(i));
    }

    // Read pages carry their detail, bad ones keep empty columns.
    mix.open();
    for (mix.first(); !mix.eof(); mix.next()) {
        const QString name = mix.asString(s("Name"));
        const int site = DemoSitePages::siteOf(QUrl(name).host());
        const bool good =
            !name.startsWith(s("https://")) && DemoSitePages::kindOf(site) == DemoSitePages::Kind::Normal;
        const QStringList topics = DemoSitePages::topicWords(site);
        if (good) {
            EXPECT_TRUE(mix.asString(s("MetaTitle")).startsWith(topics.at(0) + s(" ") + topics.at(1)))
                << qPrintable(name);
            EXPECT_TRUE(mix.asString(s("MetaDesc")).contains(s("from site %1").arg(site)));
            EXPECT_EQ(mix.asString(s("MetaST")).split(u'\n').first(), topics.at(0));
            EXPECT_TRUE(mix.asString(s("KWDensity")).contains(s(")->") + topics.at(0)));
        } else {
            for (const char* column : {"MetaTitle", "MetaDesc", "MetaST", "KWDensity"})
                EXPECT_TRUE(mix.asString(QLatin1String(column)).isEmpty()) << qPrintable(name);
        }
    }
    EXPECT_GT(phrase.recordCount(), 0);

    // Delete Bad Links takes the bad ones out.
    options.deleteBadLinks = true;
    QStringList deletedLog;
    const DetailCounts again = detail(options, &deletedLog);
    EXPECT_EQ(again.deleted, bad);
    EXPECT_EQ(int(mixRows().size()), int(before.size()) - bad);
    EXPECT_EQ(deletedLog.count(s(" URL deleted")), bad);
}

TEST_F(keyword_discovery, DetailOfAKnownPage)
{
    httplib::Server server;
    server.Get("/known.html", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(KnownPage, "text/html; charset=utf-8");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread thread([&] { server.listen_after_bind(); });
    while (!server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));

    mix.open();
    mix.emptyTable();
    const QString name = s("127.0.0.1:%1/known.html").arg(port);
    mix.append();
    mix.setValue(s("Name"), name);
    mix.setValue(s("URLCount"), 1);
    mix.post();
    DetailOptions options;
    options.minDens = 2;
    options.filter = {s("the")};
    QStringList log;
    detail(DetailOptions(options), &log); // through the proxy, which refuses this host
    EXPECT_TRUE(log.first().startsWith(s("http://") + name + s(" "))) << qPrintable(log.first());

    MixEvents events;
    events.log = [&log](const QString& line) { log << line; };
    log.clear();
    const DetailCounts counts = DetailRun::Run(mix, phrase, settings, options, events);
    server.stop();
    thread.join();
    EXPECT_EQ(counts.read, 1);
    EXPECT_EQ(log, QStringList({s("http://") + name + s(" OK"), s("*******************")}));

    ASSERT_TRUE(mix.findKey({name}));
    EXPECT_EQ(mix.asString(s("MetaTitle")), s("café & bakery \"crème\" shop"));
    EXPECT_EQ(mix.asString(s("MetaDesc")), s("fresh bread & cakes, baked daily."));
    EXPECT_EQ(mix.asString(s("MetaST")), s("bread\ncrème brûlée\ncakes\nbakery"));
    // Visible words without "the": the title's five, bread x6, cakes x3 and
    // crème x2 make 16; the script blocks do not count.
    EXPECT_EQ(mix.asString(s("KWDensity")), s("12 (12.5%)->crème\n13 (18.75%)->cakes\n16 (37.5%)->bread"));
    QStringList phrases;
    for (phrase.first(); !phrase.eof(); phrase.next())
        phrases << s("%1=%2").arg(phrase.asString(s("Phrase"))).arg(phrase.asInteger(s("PhraseCount")));
    EXPECT_EQ(phrases, QStringList({s("bread=6"), s("cakes=3"), s("crème=2")}));

    // Merged: the tags first, then the density words added to them.
    const QList<MergedRow> merged = MergedData::FromTables(mix, phrase);
    ASSERT_EQ(merged.size(), 5);
    EXPECT_EQ(merged.at(0).term, s("bread"));
    EXPECT_EQ(merged.at(0).tagCount, 1);
    EXPECT_EQ(merged.at(0).densityCount, 6);
    EXPECT_EQ(merged.at(4).term, s("crème"));
    EXPECT_EQ(merged.at(4).tagCount, 0);
    EXPECT_EQ(merged.at(4).densityCount, 2);
}

TEST(keyword_density, VisibleTextAndNumbers)
{
    EXPECT_EQ(PageAnalysis::VisibleWords(s("<P>One&nbsp;Two</p><script>x y</script>three\t<b>fo</b>ur")),
              QStringList({s("one"), s("two"), s("three"), s("fo"), s("ur")}));
    EXPECT_EQ(PageAnalysis::VisibleWords(s("a <script>never closed")), QStringList({s("a")}));
    EXPECT_EQ(PageAnalysis::VisibleWords(s("a <b unclosed")), QStringList({s("a")}));
    EXPECT_EQ(PageAnalysis::HashHash(0.5), s(".5"));
    EXPECT_EQ(PageAnalysis::HashHash(12), s("12"));
    EXPECT_EQ(PageAnalysis::HashHash(3.456), s("3.46"));
    EXPECT_EQ(PageAnalysis::HashHash(33.3333), s("33.33"));
    EXPECT_EQ(PageAnalysis::HashHash(10.1), s("10.1"));

    const PageDetail none = PageAnalysis::Analyse(s("<html><body>no title here</body></html>"), {}, 2);
    EXPECT_FALSE(none.titleFound);
    EXPECT_EQ(none.title, s("No Title Tag"));
    EXPECT_TRUE(none.description.isEmpty());
    EXPECT_TRUE(none.keywords.isEmpty());
    EXPECT_TRUE(none.density.isEmpty());
    // One or two blanks, NAME or HTTP-EQUIV, either quote.
    const PageDetail equiv = PageAnalysis::Analyse(
        s("<meta http-equiv='description' content='one'><meta  name=keywords  content=\"a,b\">"), {}, 2);
    EXPECT_EQ(equiv.description, s("one"));
    EXPECT_EQ(equiv.keywords, QStringList({s("a"), s("b")}));
}

TEST(merged_data, TagsCountedInOrderThenDensityAdded)
{
    const QList<MergedRow> rows = MergedData::Merge({s("b"), s("a"), s("b"), s(""), s("c"), s("b")},
                                                    {{s("a"), 5}, {s("z"), 3}, {s("z"), 4}});
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows.at(0).term, s("b"));
    EXPECT_EQ(rows.at(0).tagCount, 3);
    EXPECT_EQ(rows.at(1).term, s("a"));
    EXPECT_EQ(rows.at(1).tagCount, 1);
    EXPECT_EQ(rows.at(1).densityCount, 5);
    EXPECT_EQ(rows.at(2).term, s("c"));
    EXPECT_EQ(rows.at(3).term, s("z"));
    EXPECT_EQ(rows.at(3).tagCount, 0);
    EXPECT_EQ(rows.at(3).densityCount, 7);
}

TEST(mix_settings, LoadedInRangeSavedIntoTheirKey)
{
    test::TempProfile profile;
    Registry registry(profile.registryPath());
    MixSettings defaults = MixSettings::load(registry);
    EXPECT_FALSE(defaults.BadLinks);
    EXPECT_EQ(defaults.MinDens, 10);
    EXPECT_EQ(defaults.PassSize, 100000);
    EXPECT_FALSE(defaults.save(registry)); // no key: nothing written

    ASSERT_TRUE(registry.createKey(SettingsKeys::path(QLatin1String(SettingsKeys::Tagmint))));
    const QString key = SettingsKeys::path(QLatin1String(SettingsKeys::Tagmint));
    registry.writeString(key, s("MinDens"), s("1"));
    registry.writeString(key, s("PassSize"), s("lots"));
    registry.writeString(key, s("BadLinks"), s("TRUE"));
    const MixSettings read = MixSettings::load(registry);
    EXPECT_TRUE(read.BadLinks);
    EXPECT_EQ(read.MinDens, 2);
    EXPECT_EQ(read.PassSize, 100000);

    MixSettings changed;
    changed.MinDens = 7;
    changed.PassSize = 5000;
    ASSERT_TRUE(changed.save(registry));
    EXPECT_EQ(registry.readString(key, s("BadLinks")), s("false"));
    EXPECT_EQ(MixSettings::load(registry).MinDens, 7);
    EXPECT_EQ(MixSettings::load(registry).PassSize, 5000);
}

TEST(term_filters, FileRoundTripAndOneWordRule)
{
    test::TempProfile profile;
    const QString folder = profile.path();
    EXPECT_TRUE(TermFilters::load(folder).isEmpty());
    ASSERT_TRUE(TermFilters::save(folder, {s("the"), s("café"), s("<b>")}));
    EXPECT_EQ(TermFilters::load(folder), QStringList({s("the"), s("café"), s("<b>")}));
    EXPECT_EQ(TermFilters::wordFault(s("two words")), s("You may only use one word."));
    EXPECT_EQ(TermFilters::wordFault(s("  ")), s("You may only use one word."));
    EXPECT_TRUE(TermFilters::wordFault(s(" one ")).isEmpty());

    QString error;
    EXPECT_FALSE(TermFilters::save(profile.path(s("missing/")), {s("x")}, &error));
    EXPECT_TRUE(error.contains(s("STFilter.txt"))) << qPrintable(error);
    EXPECT_EQ(TermFilters::load(folder).size(), 3);
}

TEST(add_items, UrlsNormalisedLabelledAndAddedOnce)
{
    EXPECT_EQ(AddItems::normalisedUrl(s("http://www.Bakery-Shop.com/Bread")), s("bakery-shop.com/bread"));
    EXPECT_EQ(AddItems::normalisedUrl(s("https://www.example.org/")), s("example.org/"));
    EXPECT_EQ(AddItems::normalisedUrl(s("https://secure.test/")), s("secure.test/"));
    EXPECT_EQ(AddItems::nameLabel(s("bakery-shop.com/bread")), s("Bakery-shop"));
    EXPECT_EQ(AddItems::nameLabel(s("localhost/a.b")), s("Localhost"));
    EXPECT_EQ(AddItems::nameLabel(s("épicerie.fr")), s("Épicerie"));

    test::TempProfile profile;
    Registry registry(profile.registryPath());
    ProfileSetup setup(registry, profile.path(s("Home")));
    ASSERT_TRUE(setup.run()) << qPrintable(setup.error());
    Session session(s("Add"));
    session.addPassword(QLatin1String(Schema::SE3Password));
    Database data(s("General"), &session);
    data.setDirectory(profile.path(s("Home/Data")));
    data.connect();
    ProjectStore store(data);
    const QString project = s("Bakery");
    store.addProject(project, 50, false, false);

    const AddItems::UrlOutcome one = AddItems::addUrls(
        data, project, {AddItems::normalisedUrl(s("http://www.bread.test/")), s("bread.example/")});
    EXPECT_EQ(one.added, QStringList({s("bread.test/"), s("bread.example/")}));
    ASSERT_EQ(one.labels.size(), 2);
    EXPECT_EQ(one.labels.at(0), s("Bread"));
    EXPECT_TRUE(QRegularExpression(s("^Bread\\d{1,4}$")).match(one.labels.at(1)).hasMatch())
        << qPrintable(one.labels.at(1));

    const AddItems::UrlOutcome twice = AddItems::addUrls(data, project, {s("bread.test/")});
    EXPECT_TRUE(twice.added.isEmpty());
    EXPECT_EQ(twice.existing, QStringList({s("bread.test/")}));

    const QString odd = s("o'reilly \"café\" & <b>");
    EXPECT_TRUE(AddItems::addTerm(data, project, odd));
    EXPECT_FALSE(AddItems::addTerm(data, project, odd));
    EXPECT_TRUE(store.terms(project).contains(odd));
    Table st(&data, s("CVST"));
    st.open();
    ASSERT_TRUE(st.locate({s("Virtual")}, {odd}));
    EXPECT_EQ(st.asString(s("Physical")), s("o'reilly~~~\"café\"~~~&~~~<b>"));
}

TEST(dictionary, RandomWordOrTheTextAsItIs)
{
    test::TempProfile profile;
    const QString folder = profile.path();
    EXPECT_EQ(Dictionary::withRandomWord(folder, s("blue ")), s("blue "));
    QFile file(folder + s("dictionary.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\n  \n");
    file.close();
    EXPECT_EQ(Dictionary::withRandomWord(folder, s("blue")), s("blue"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("widgets\ncafé\n");
    file.close();
    for (int i = 0; i < 10; ++i) {
        const QString text = Dictionary::withRandomWord(folder, s("blue"));
        EXPECT_TRUE(text == s("blue widgets") || text == s("blue café")) << qPrintable(text);
    }
    EXPECT_EQ(Dictionary::withRandomWord(folder, QString()).size() > 0, true);
}

} // namespace
