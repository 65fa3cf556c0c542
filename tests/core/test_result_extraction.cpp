#include "core/engine/ResultExtraction.h"

#include "ReferenceExtraction.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <vector>

using namespace corvane;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

const QString Tag = s("*~*~*~*~*~*~*");

QString block(const char* text) { return Tag + s(text); }

QStringList blocksOf(const char* page, const EngineScript& script, bool firstPage, int n)
{
    return SplitResults(s(page), script, firstPage, n).blocks;
}

EngineScript listItemScript()
{
    EngineScript script;
    script.AIncStart = script.BIncStart = s("<li value=\"");
    script.AIncEnd = script.BIncEnd = s("\">");
    script.ANumberInc = script.BNumberInc = true;
    return script;
}

// The ranks of the hits on one page, counted as the polling loop counts them.
std::vector<int> hitRanks(const QStringList& blocks, const QString& url, bool anyMatch, RunCounters& counters)
{
    std::vector<int> ranks;
    for (const QString& b : blocks) {
        ++counters.rank;
        if (MatchResultLink(b, url, anyMatch))
            ranks.push_back(counters.rank - 1);
    }
    return ranks;
}

} // namespace

TEST(ResultExtraction, RendersMarkers)
{
    EngineScript script = listItemScript();
    script.BIncStart = s("<p n=");
    EXPECT_EQ(IncrementMarker(script, true, 7), s("<li value=\"7\">"));
    EXPECT_EQ(IncrementMarker(script, false, 11), s("<p n=11\">"));
    script.BNumberInc = false;
    EXPECT_EQ(IncrementMarker(script, false, 11), s("<p n=\">"));

    EXPECT_EQ(RenderIncPlanB(s("<li value=\"~*~*true~*~*\">"), 11), s("<li value=\"11\">"));
    EXPECT_EQ(RenderIncPlanB(s("<div class=r>~*~*false~*~*<h3>"), 11), s("<div class=r><h3>"));
    EXPECT_EQ(RenderIncPlanB(s("<div class=r>~*~*false~*~*<h3>"), 12), s("<div class=r><h3>"));
    EXPECT_EQ(RenderIncPlanB(s("<b>~*~*False~*~*"), 3), s("<b>3")); // the flag is case-sensitive
    EXPECT_EQ(RenderIncPlanB(s("~*~*true~*~*.)"), 4), s("4.)"));    // no prefix
    // Lines without both separators render an incomplete marker.
    EXPECT_EQ(RenderIncPlanB(s("<li value=\""), 4), s("<li value=\"4"));
    EXPECT_EQ(RenderIncPlanB(s("<li>~*~*true"), 4), s("<li>4"));
    EXPECT_EQ(RenderIncPlanB(s("<li>~*~*false"), 4), s("<li>"));
}

TEST(ResultExtraction, TruncatesStretchesPairByPair)
{
    EngineScript script;
    const QString page = s("<head>ads</head><ol><li>a</li></ol><foot>x</foot>");
    script.TruncStart[0] = s("[START]");
    script.TruncEnd[0] = s("<ol>");
    EXPECT_EQ(ApplyTruncations(page, script), s("<ol><li>a</li></ol><foot>x</foot>"));

    // The next pair works on what the previous one left; the start text goes, the end text stays.
    script.TruncStart[1] = s("</ol>");
    script.TruncEnd[1] = s("[END]");
    EXPECT_EQ(ApplyTruncations(page, script), s("<ol><li>a</li>>")); // [END] keeps the last character
    script.TruncStart[1].clear(); // a pair with an empty start is skipped, even after others
    script.TruncStart[4] = s("<foot>");
    script.TruncEnd[4] = s("</foot>");
    EXPECT_EQ(ApplyTruncations(page, script), s("<ol><li>a</li></ol></foot>"));

    // Nothing is deleted for an absent start, an empty or absent end, or an end before the start.
    EngineScript none;
    none.TruncStart = {s("<nav>"), s("<ol>"), s("<ol>"), s("</ol>"), s("[START]")};
    none.TruncEnd = {s("[END]"), QString(), s("<table>"), s("<ol>"), QString()};
    EXPECT_EQ(ApplyTruncations(page, none), page);
    // An end text at the very start (position 1) is not after a "[START]".
    none.TruncEnd[4] = s("<head>");
    EXPECT_EQ(ApplyTruncations(page, none), page);
    EXPECT_EQ(ApplyTruncations(QString(), listItemScript()), QString());
}

TEST(ResultExtraction, SplitsAtNumberedMarkersUntilTheFirstGap)
{
    const EngineScript script = listItemScript();
    const QString page = s("<ol><li value=\"1\">a</li><li value=\"2\">b</li><li value=\"3\">c</li>"
                           "<li value=\"5\">e</li></ol>");
    const ResultSplit split = SplitResults(page, script, true, 1);
    EXPECT_EQ(split.blocks,
              QStringList({block("a</li>"), block("b</li>"), block("c</li><li value=\"5\">e</li></ol>")}));
    EXPECT_EQ(split.markers, 3);
    EXPECT_EQ(split.processedPage, split.blocks.join(u'\n'));

    // Numbers continue from the rank counter: page 2 is looked at from 11 on.
    const QString page2 = s("x<li value=\"11\">k<li value=\"12\">l");
    EXPECT_EQ(SplitResults(page2, script, false, 11).blocks, QStringList({block("k"), block("l")}));
    EXPECT_EQ(SplitResults(page2, script, false, 1).blocks, QStringList({page2}));
    // A marker for the next number counts wherever it stands on the page.
    EXPECT_EQ(blocksOf("<li value=\"2\">b<li value=\"1\">a<li value=\"3\">c", script, true, 1),
              QStringList({block("b"), block("a"), block("c")}));
}

TEST(ResultExtraction, SplitsAtUnnumberedMarkersAndTheUnmarkedFirstResult)
{
    EngineScript script;
    script.AIncStart = s("<div class=\"r\">");
    script.TagFirst = true;
    QString page = s("<div>first</div>");
    for (int i = 2; i <= 10; ++i)
        page += s("<div class=\"r\">") + QString::number(i);
    const ResultSplit split = SplitResults(page, script, true, 1);
    ASSERT_EQ(split.blocks.size(), 10);
    EXPECT_EQ(split.blocks.first(), block("<div>first</div>"));
    EXPECT_EQ(split.blocks.last(), block("10"));
    EXPECT_EQ(split.markers, 9);

    // Without TagFirst the text before the first marker is dropped.
    script.TagFirst = false;
    EXPECT_EQ(SplitResults(page, script, true, 1).blocks.size(), 9);
}

TEST(ResultExtraction, ChoosesTheFirstIncPlanBLineOnThePage)
{
    EngineScript script = listItemScript(); // ignored while IncPlanB has lines
    script.IncPlanB = {s("<h3 n=~*~*true~*~*>"), s("<p>"), s("<li n=~*~*true~*~*>"),
                       s("<li n=~*~*false~*~*>")};
    EXPECT_EQ(blocksOf("<li n=6>f<li n=7>g<li value=\"6\">", script, false, 6),
              QStringList({block("f"), block("g<li value=\"6\">")}));

    // A "false" line renders the same marker for every n, so all occurrences split.
    script.IncPlanB = {s("<li n=~*~*false~*~*6>")};
    EXPECT_EQ(blocksOf("a<li n=6>b<li n=6>c", script, true, 1), QStringList({block("b"), block("c")}));

    // Lines without separators are all prefix; no line on the page: no split.
    script.IncPlanB = {s("<li n="), s("<zz~*~*true")};
    EXPECT_EQ(blocksOf("<li n=1>a<li n=2>b", script, true, 1), QStringList({block(">a"), block(">b")}));
    EXPECT_EQ(blocksOf("<li n=9>a", script, true, 1), QStringList({s("<li n=9>a")}));
}

TEST(ResultExtraction, PageWithoutMarkersIsOneBlock)
{
    const EngineScript script = listItemScript();
    const ResultSplit split = SplitResults(s("no results"), script, true, 1);
    EXPECT_EQ(split.blocks, QStringList({s("no results")}));
    EXPECT_EQ(split.processedPage, s("no results"));
    EXPECT_EQ(split.markers, 0);
    EXPECT_TRUE(SplitResults(QString(), script, true, 1).blocks.isEmpty());

    // A separator tag already on the page starts the processed page.
    EXPECT_EQ(SplitResults(s("ad *~*~*~*~*~*~*x"), script, true, 1).processedPage, block("x"));
    EngineScript empty; // an empty marker occurs nowhere
    empty.ANumberInc = false;
    EXPECT_EQ(SplitResults(s("abc"), empty, true, 1).markers, 0);
}

TEST(ResultExtraction, MarkersNeverMatchTheSeparatorsOfTheSplit)
{
    // Taken literally, "*~*" would be found again inside every separator written.
    EngineScript script;
    script.AIncStart = s("*~*");
    script.TagFirst = true;
    const ResultSplit split = SplitResults(s("x*~*y*~*z"), script, true, 1);
    EXPECT_EQ(split.blocks, QStringList({block("x"), block("y"), block("z")}));
}

TEST(ResultExtraction, MatchesTheUrlAtASiteBoundary)
{
    const QString url = s("widget.com");
    const auto hit = [&url](const char* text, bool anyMatch) {
        return MatchResultLink(block(text), url, anyMatch);
    };
    for (bool any : {false, true}) {
        EXPECT_TRUE(hit("<a href=\"http://widget.com/\">", any));
        EXPECT_TRUE(hit("<a href=\"http://widget.com\">", any));
        EXPECT_TRUE(hit("<a href=http://widget.com>", any));
        EXPECT_TRUE(hit("see widget.com", any)); // ends the block
        EXPECT_TRUE(hit("see widget.com/", any));
        EXPECT_TRUE(hit("<a href=\"http://mail.widget.com/\">", any));
        EXPECT_FALSE(hit("<a href=\"http://mywidget.com/\">", any));
        EXPECT_FALSE(hit("<a href=\"http://my-widget.com/\">", any));
        EXPECT_FALSE(hit("<a href=\"http://my_widget.com/\">", any));
        EXPECT_FALSE(hit("<a href=\"http://Widget.com/\">", any)); // case-sensitive
        EXPECT_FALSE(hit("<a href=\"http://other.org/\">", any));
        EXPECT_FALSE(MatchResultLink(s("widget.com"), QString(), any));
    }
    EXPECT_FALSE(hit("<a href=\"http://widget.com/a.html\">", false));
    EXPECT_TRUE(hit("<a href=\"http://widget.com/a.html\">", true));
    EXPECT_FALSE(hit("<a href=\"http://widget.company.com/\">", false));
    EXPECT_TRUE(hit("<a href=\"http://widget.com/-x\">", false));
    // Only the first occurrence decides.
    EXPECT_FALSE(hit("mywidget.com and widget.com/", true));
    EXPECT_FALSE(hit("widget.com/a then widget.com/", false));
}

TEST(ResultExtraction, CutsTheFoundLinkAroundTheMatch)
{
    const auto link = [](const char* text) {
        const QString b = block(text);
        return FoundLink(b, FindResultLink(b, s("widget.com"), true));
    };
    EXPECT_EQ(link("<a href=\"http://mail.widget.com/a%20b.html\">W</a>"),
              s("http://mail.widget.com/a%20b.html"));
    EXPECT_EQ(link("<a href='widget.com/x'>"), s("widget.com/x"));
    EXPECT_EQ(link("<a href=https://widget.com/>"), s("https://widget.com/"));
    EXPECT_EQ(link("<cite>www.widget.com/a b</cite>"), s("www.widget.com/a"));
    EXPECT_EQ(FoundLink(s("widget.com"), 0), s("widget.com"));
    EXPECT_EQ(FoundLink(s("abc"), -1), QString());
}

TEST(ResultExtraction, CountsRanksAcrossPages)
{
    // Page 2 of a ten-per-page engine with the site at places 3 and 7.
    EngineScript script = listItemScript();
    QString page;
    for (int n = 11; n <= 20; ++n) {
        const char* site = (n == 13 || n == 17) ? "widget.com/" : "other.org/";
        page += s("<li value=\"") + QString::number(n) + s("\"><a href=\"http://") + s(site) + s("\">");
    }
    RunCounters counters{11, 2, 0};
    const ResultSplit split = SplitResults(ApplyTruncations(page, script), script, false, counters.rank);
    EXPECT_EQ(hitRanks(split.blocks, s("widget.com"), false, counters), std::vector<int>({13, 17}));
    EXPECT_EQ(counters.rank, 21);
}

TEST(ResultExtraction, EqualsTheLiteralSplitOnRandomPages)
{
    QRandomGenerator random(20061);
    const auto pick = [&random](const std::vector<const char*>& choices) {
        return s(choices[random.bounded(int(choices.size()))]);
    };
    // Marker pieces that overlap each other, the noise and the numbers.
    const std::vector<const char*> prefixes = {"", "<li>", "<li value=\"", "a", "aa", "1", "<", "a1", "<li"};
    const std::vector<const char*> suffixes = {"", ">", "\">", "0", "1", "a", "a>", "<li>", "2>"};
    const std::vector<const char*> noise = {"a", "<", ">",  "1",    "0",  "2",  "-",
                                            "*", "~", "\n", "<li>", "li", "\"", "9"};

    for (int round = 0; round < 6000; ++round) {
        EngineScript script;
        script.AIncStart = pick(prefixes);
        script.AIncEnd = pick(suffixes);
        script.ANumberInc = random.bounded(4) != 0;
        script.BIncStart = pick(prefixes);
        script.BIncEnd = pick(suffixes);
        script.BNumberInc = random.bounded(2) != 0;
        script.TagFirst = random.bounded(2) != 0;
        const bool firstPage = random.bounded(2) != 0;
        if (random.bounded(3) == 0) {
            const int lines = 1 + random.bounded(3);
            for (int i = 0; i < lines; ++i) {
                static const std::vector<const char*> flags = {"true", "false", "falsely", "", "x"};
                QString line = pick(prefixes) + s("~*~*") + pick(flags);
                if (random.bounded(5) != 0)
                    line += s("~*~*") + pick(suffixes);
                script.IncPlanB.append(random.bounded(8) == 0 ? pick(prefixes) : line);
            }
        }
        const int start = std::vector<int>{1, 1, 2, 9, 10, 11, 99, 100, -3}[random.bounded(9)];

        // Markers mostly in sequence, with gaps, repeats, swaps, strays and
        // loose pieces of markers that make occurrences overlap.
        const bool planB = !script.IncPlanB.isEmpty();
        const QString& line = planB ? script.IncPlanB.first() : QString();
        const QString prefix = planB ? line.section(s("~*~*"), 0, 0)
            : firstPage              ? script.AIncStart
                                     : script.BIncStart;
        const QString suffix = planB ? line.section(s("~*~*"), 2)
            : firstPage              ? script.AIncEnd
                                     : script.BIncEnd;
        const bool numbered = planB ? !line.section(s("~*~*"), 1).startsWith(s("false"))
            : firstPage             ? script.ANumberInc
                                    : script.BNumberInc;
        const auto number = [numbered](int k) { return numbered ? QString::number(k) : QString(); };
        QString page;
        // Appends a marker, often sharing its start with the end of the page.
        const auto append = [&page, &random](const QString& marker) {
            qsizetype shared = random.bounded(2) ? std::min(marker.size() - 1, page.size()) : 0;
            shared = std::max<qsizetype>(shared, 0);
            while (shared > 0 && !page.endsWith(QStringView(marker).first(shared)))
                --shared;
            page += QStringView(marker).sliced(shared);
        };
        int n = start;
        const int parts = random.bounded(40);
        for (int i = 0; i < parts; ++i) {
            const int kind = random.bounded(10);
            if (kind < 4) {
                append(prefix + number(n) + suffix);
                n += random.bounded(12) == 0 ? 2 : 1;
            } else if (kind == 4) {
                append(prefix + number(n + 1 - random.bounded(4)) + suffix);
            } else if (kind == 5) {
                page += prefix + suffix;
            } else if (kind == 6) {
                page += random.bounded(2) ? prefix : suffix;
            } else if (kind == 7) {
                page += QString::number(n + random.bounded(3) - 1);
            } else {
                const int length = random.bounded(5);
                for (int j = 0; j < length; ++j)
                    page += pick(noise);
            }
        }

        const ResultSplit fast = SplitResults(page, script, firstPage, start);
        const ResultSplit slow = test::referenceSplit(page, script, firstPage, start);
        ASSERT_EQ(fast.processedPage, slow.processedPage)
            << "round " << round << " page " << qPrintable(page) << " start " << start;
        ASSERT_EQ(fast.blocks, slow.blocks) << "round " << round;
        ASSERT_EQ(fast.markers, slow.markers) << "round " << round;
    }
}

TEST(ResultExtraction, SurvivesBadInput)
{
    // A 10 MB page of 40 000 results, then 10 MB of digits under a marker made of the number alone.
    EngineScript script = listItemScript();
    QString big;
    const int results = 40000;
    big.reserve(results * 262);
    const QString filler(220, u'x');
    for (int n = 1; n <= results; ++n)
        big += s("<li value=\"") + QString::number(n) + s("\"><a href=\"http://site.example/\">") + filler;
    script.TruncStart[0] = s("[START]");
    script.TruncEnd[0] = s("<li");
    const ResultSplit split = SplitResults(ApplyTruncations(big, script), script, true, 1);
    EXPECT_EQ(split.markers, results);
    EXPECT_EQ(split.blocks.size(), results);

    EngineScript bare;
    bare.ANumberInc = true;
    QString digits(10 * 1024 * 1024, u'0');
    for (qsizetype i = 0; i < digits.size(); i += 7)
        digits[i] = QChar(char16_t(u'1' + i % 9));
    EXPECT_GE(SplitResults(digits, bare, true, 1).markers, 1);

    // Binary garbage, surrogate halves included, against scripts made of garbage.
    QRandomGenerator random(7);
    for (int round = 0; round < 20; ++round) {
        QString garbage(4096, Qt::Uninitialized);
        for (QChar& c : garbage)
            c = QChar(char16_t(random.bounded(round % 2 ? 0x10000 : 0x80)));
        EngineScript bad;
        bad.AIncStart = garbage.mid(round, 1);
        bad.AIncEnd = garbage.mid(round * 3, round % 3);
        bad.ANumberInc = round % 2;
        bad.TagFirst = round % 3 == 0;
        bad.IncPlanB = round % 4 == 0 ? QStringList{garbage.mid(7, 5), s("~*~*~*~*")} : QStringList{};
        bad.TruncStart[0] = garbage.mid(100, 1);
        bad.TruncEnd[0] = garbage.mid(50, 1);
        const QString truncated = ApplyTruncations(garbage, bad);
        const ResultSplit result = SplitResults(truncated, bad, true, 1);
        EXPECT_LE(result.markers, truncated.size());
        for (const QString& b : result.blocks) {
            const qsizetype at = FindResultLink(b, garbage.mid(round, 2), true);
            if (at >= 0)
                FoundLink(b, at);
        }
    }
}

// Long repetitive markers over a page of the same character made the searches
// take time proportional to marker length times page length (many seconds);
// they must stay linear.
TEST(ResultExtraction, SearchesRepetitiveTextInLinearTime)
{
    QElapsedTimer timer;
    timer.start();
    const QString page = QString(300000, u'a');
    const QString run = QString(100000, u'a');
    const QString blocked = u'b' + run;

    // A numbered prefix that occurs at every position of the page.
    EngineScript numbered;
    numbered.AIncStart = run;
    numbered.ANumberInc = true;
    const ResultSplit hit = SplitResults(page + s("1x"), numbered, true, 1);
    EXPECT_EQ(hit.markers, 1);
    EXPECT_EQ(hit.blocks, QStringList{block("x")});

    // Markers, truncation texts and URLs that almost match everywhere.
    EngineScript constant;
    constant.AIncStart = blocked;
    EXPECT_EQ(SplitResults(page, constant, true, 1).markers, 0);
    EngineScript planB;
    planB.IncPlanB = {blocked + s("~*~*false"), run + s("~*~*true~*~*b")};
    EXPECT_EQ(SplitResults(page, planB, true, 1).markers, 0);
    EngineScript truncating;
    truncating.TruncStart[0] = blocked;
    truncating.TruncEnd[0] = s("[END]");
    truncating.TruncStart[1] = s("[START]");
    truncating.TruncEnd[1] = blocked;
    EXPECT_EQ(ApplyTruncations(page, truncating), page);
    EXPECT_EQ(FindResultLink(page, blocked, true), -1);
    EXPECT_EQ(FindResultLink(page + blocked, blocked, true), -1); // follows a letter
    EXPECT_EQ(FindResultLink(page + s(" ") + blocked, blocked, false), 300001);

    EXPECT_LT(timer.elapsed(), 5000);
}
