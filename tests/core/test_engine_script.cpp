#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/engine/EngineScript.h"

#include "TestSupport.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <limits>

using namespace corvane;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

// The first-page script of an offset-paged engine: ?q=<term>&start=<PageNo*10>.
EngineScript offsetScript()
{
    EngineScript script;
    script.AString[0] = s("http://127.0.0.1:8080/search?q=");
    script.AValue[0] = s("KeyWord");
    script.AString[1] = s("&start=");
    script.AValue[1] = s("PageNo*10");
    script.WordConnector = s("+");
    return script;
}

QString expand(const EngineScript& script, const char* value, int rank = 1, int page = 0)
{
    return ExpandValue(script, RunCounters{rank, page, 0}, s("blue+widgets"), s(value));
}

} // namespace

TEST(EngineScript, LoadsEveryColumnOfAnSe3Row)
{
    test::TempProfile profile;
    Session session(s("SE3Session"));
    session.addPassword(QLatin1String(Schema::SE3Password));
    Database db(s("SE3"), &session);
    db.setDirectory(profile.path());
    db.connect();
    db.createTable(*Schema::table(s("SE3")), QLatin1String(Schema::SE3Password));

    Table table(&db, s("SE3"), s("SEName"));
    table.open();
    table.append();
    table.setValue(s("Name"), s("Demo"));
    table.setValue(s("Method1"), true);
    table.setValue(s("AString1"), s("http://x/?q="));
    table.setValue(s("AValue10"), s("PageNo"));
    table.setValue(s("BString3"), s("&b="));
    table.setValue(s("ReplaceThis10"), s("[BLANK]"));
    table.setValue(s("ReplaceWith2"), s("w2"));
    table.setValue(s("OffsetValue"), 7);
    table.setValue(s("StartKeyPlanB"), s("one\r\ntwo\n\nfour\n"));
    table.setValue(s("IncPlanB"), s("<li>~*~*true~*~*</li>\r\n"));
    table.setValue(s("TruncStart5"), s("[START]"));
    table.setValue(s("TruncEnd1"), s("[END]"));
    table.setValue(s("TagFirst"), true);
    table.setValue(s("LastUpdate"), QDate(2006, 5, 4));
    table.setValue(s("HTTPLoc"), 2);
    table.post();

    ASSERT_TRUE(table.findKey({s("Demo")}));
    const EngineScript script = EngineScript::fromRow(table);
    EXPECT_EQ(script.Name, s("Demo"));
    EXPECT_TRUE(script.Method1);
    EXPECT_EQ(script.AString[0], s("http://x/?q="));
    EXPECT_EQ(script.AValue[9], s("PageNo"));
    EXPECT_EQ(script.BString[2], s("&b="));
    EXPECT_EQ(script.ReplaceThis[9], s("[BLANK]"));
    EXPECT_EQ(script.ReplaceWith[1], s("w2"));
    EXPECT_EQ(script.OffsetValue, 7);
    // A line feed after the last line starts no further line; inner empty lines stay.
    EXPECT_EQ(script.StartKeyPlanB, QStringList({s("one"), s("two"), QString(), s("four")}));
    EXPECT_EQ(script.IncPlanB, QStringList({s("<li>~*~*true~*~*</li>")}));
    EXPECT_EQ(script.TruncStart[4], s("[START]"));
    EXPECT_EQ(script.TruncEnd[0], s("[END]"));
    EXPECT_TRUE(script.TagFirst);
    EXPECT_EQ(script.LastUpdate, QDate(2006, 5, 4));
    EXPECT_EQ(script.HTTPLoc, 2);
    // Empty columns read as empty values.
    EXPECT_TRUE(script.EndKey.isEmpty());
    EXPECT_FALSE(script.ANumberInc);
    EXPECT_EQ(script.Delay, 0);
}

TEST(EngineScript, ConnectsTheTermWithTheWordConnector)
{
    EngineScript script;
    script.WordConnector = s("+");
    EXPECT_EQ(ConnectTerm(script, s(" blue  widgets ")), s("+blue++widgets+"));
    script.WordConnector.clear();
    EXPECT_EQ(ConnectTerm(script, s("blue widgets")), s("bluewidgets"));
}

TEST(EngineScript, ExpandsPlaceholdersWithTheirOffset)
{
    EngineScript script;
    EXPECT_EQ(expand(script, "KeyWord"), s("blue+widgets"));
    EXPECT_EQ(expand(script, "RecCountA", 11), s("11"));
    EXPECT_EQ(expand(script, "RecCountB", 11), s("11"));
    EXPECT_EQ(expand(script, "PageNo", 1, 2), s("2"));
    EXPECT_EQ(expand(script, "PageNo*10", 1, 2), s("20"));
    EXPECT_EQ(expand(script, "PageNo*15", 1, 2), s("30"));
    // Only exact, case-sensitive names are placeholders.
    for (const char* other : {"start", "keyword", "PageNo*20", " PageNo", ""})
        EXPECT_EQ(expand(script, other, 5, 5), QString()) << other;

    // The offset belongs to the one placeholder that OffsetField names.
    script.OffsetValue = 1;
    script.OffsetField = s("PageNo");
    EXPECT_EQ(expand(script, "PageNo", 1, 0), s("1"));
    EXPECT_EQ(expand(script, "PageNo", 1, 1), s("2"));
    EXPECT_EQ(expand(script, "PageNo*10", 1, 1), s("10"));
    script.OffsetField = s("RecCountB");
    EXPECT_EQ(expand(script, "RecCountA", 11), s("11"));
    EXPECT_EQ(expand(script, "RecCountB", 11), s("12"));
    script.OffsetField = s("PageNo*10");
    script.OffsetValue = -1;
    EXPECT_EQ(expand(script, "PageNo*10", 1, 1), s("9"));
}

TEST(EngineScript, ExpandsRandomPlaceholders)
{
    EngineScript script;
    const QRegularExpression digit(s("^[0-9]$"));
    const QRegularExpression lower(s("^[a-z]$"));
    const QRegularExpression upper(s("^[A-Z]$"));
    for (int i = 0; i < 200; ++i) {
        EXPECT_TRUE(digit.match(expand(script, "RandN")).hasMatch());
        EXPECT_TRUE(lower.match(expand(script, "RandAL")).hasMatch());
        EXPECT_TRUE(upper.match(expand(script, "RandAU")).hasMatch());
    }

    script.OffsetField = s("RandN");
    script.OffsetValue = 0;
    EXPECT_EQ(expand(script, "RandN"), s("0"));
    script.OffsetValue = 3;
    for (int i = 0; i < 100; ++i) {
        const int value = expand(script, "RandN").toInt();
        EXPECT_TRUE(value >= 0 && value < 3);
    }

    script.OffsetField = s("RandAL");
    script.OffsetValue = 0;
    EXPECT_EQ(expand(script, "RandAL"), QString());
    script.OffsetValue = -4;
    EXPECT_EQ(expand(script, "RandAL"), QString());
    script.OffsetValue = 12;
    EXPECT_TRUE(QRegularExpression(s("^[a-z]{12}$")).match(expand(script, "RandAL")).hasMatch());
    script.OffsetValue = std::numeric_limits<int>::max(); // a broken script
    EXPECT_EQ(expand(script, "RandAL").size(), 65536);
    script.OffsetValue = 12;
    // RandAU keeps its single letter while OffsetField names RandAL.
    EXPECT_TRUE(upper.match(expand(script, "RandAU")).hasMatch());
    script.OffsetField = s("RandAU");
    EXPECT_TRUE(QRegularExpression(s("^[A-Z]{12}$")).match(expand(script, "RandAU")).hasMatch());
}

TEST(EngineScript, BuildsOffsetPagedRequests)
{
    EngineScript script = offsetScript();
    const QString term = ConnectTerm(script, s("blue widgets"));
    EXPECT_EQ(BuildQueryUrl(script, RunCounters{1, 0, 0}, term, QString()),
              s("http://127.0.0.1:8080/search?q=blue+widgets&start=0"));

    script.Method1 = true;
    script.BString = script.AString;
    script.BValue = script.AValue;
    EXPECT_EQ(BuildQueryUrl(script, RunCounters{11, 1, 0}, term, QString()),
              s("http://127.0.0.1:8080/search?q=blue+widgets&start=10"));
    EXPECT_EQ(BuildQueryUrl(script, RunCounters{21, 2, 0}, term, QString()),
              s("http://127.0.0.1:8080/search?q=blue+widgets&start=20"));

    // While no result has been counted, the A pairs are used on any page.
    EXPECT_EQ(BuildQueryUrl(script, RunCounters{1, 3, 0}, term, QString()),
              s("http://127.0.0.1:8080/search?q=blue+widgets&start=30"));
    // Placeholders that name nothing contribute nothing; so do empty columns.
    script.AValue[1] = s("start");
    EXPECT_EQ(BuildQueryUrl(script, RunCounters{1, 0, 0}, term, QString()),
              s("http://127.0.0.1:8080/search?q=blue+widgets&start="));
    EngineScript empty;
    EXPECT_EQ(BuildQueryUrl(empty, RunCounters{}, term, QString()), QString());
}

TEST(EngineScript, ExtractsTheNextLinkForward)
{
    EngineScript script;
    script.StartKey = s("/next?");
    script.EndKey = s(">");
    const QString page = s("*~*~*~*~*~*~*r1<a href=/next?p=2>Next</a> end");
    EXPECT_EQ(ExtractNextLink(script, page), s("/next?p=2"));
    // No start key on the page (or an empty one): no link, which ends the engine.
    EXPECT_EQ(ExtractNextLink(script, s("no link here")), QString());
    script.StartKey.clear();
    EXPECT_EQ(ExtractNextLink(script, page), QString());

    // Without EndKey the link runs to the page's end, less its last character.
    script.StartKey = s("/next?");
    script.EndKey.clear();
    EXPECT_EQ(ExtractNextLink(script, s("x/next?p=2>")), s("/next?p=2"));
    EXPECT_EQ(ExtractNextLink(script, s("/next?")), s("/next"));
    script.EndKey = s("#");
    EXPECT_EQ(ExtractNextLink(script, s("x/next?p=2>")), s("/next?p=2"));
}

TEST(EngineScript, ExtractsTheNextLinkBackwardFromAnAnchor)
{
    EngineScript script;
    script.ReverseStartKey = s("/search?");
    script.StartKey = s(">Next<");
    script.EndKey = s("\"");
    const QString page = s("<a href=\"/search?p=1\">1</a> <a href=\"/search?p=3\">Next</a>");
    EXPECT_EQ(ExtractNextLink(script, page), s("/search?p=3")); // the nearest one before the anchor
    EXPECT_EQ(ExtractNextLink(script, s("<a href=\"/search?p=3\">Prev</a>")), QString()); // no anchor
    EXPECT_EQ(ExtractNextLink(script, s("<a href=\"/p3\">Next</a>")), QString());         // no reverse key
    // The link keeps its start text; the reverse key may start right at the anchor.
    script.ReverseStartKey = s("href=\"");
    script.StartKey = s("href");
    script.EndKey = s("\" ");
    EXPECT_EQ(ExtractNextLink(script, s("href=\"/a\" x")), s("href=\"/a"));

    // StartKeyPlanB: the first line present is the anchor and the EndKey for the rest of the run.
    script.ReverseStartKey = s("/search?");
    script.StartKeyPlanB = {s(">More<"), s("\">Next")};
    EXPECT_EQ(ExtractNextLink(script, page), s("/search?p=3"));
    EXPECT_EQ(script.EndKey, s("\">Next"));
    EXPECT_EQ(ExtractNextLink(script, s("<a href=\"/search?p=9\">More</a>")), s("/search?p=9\""));
    EXPECT_EQ(script.EndKey, s(">More<"));
    // No line present: no link, even when StartKey is.
    EXPECT_EQ(ExtractNextLink(script, s("href=\"/search?x\">Other")), QString());
    EXPECT_EQ(script.EndKey, s(">More<"));
}

TEST(EngineScript, MakesNextLinksAbsoluteWithReplacePairs)
{
    EngineScript script;
    script.StartKey = s("/next?");
    script.EndKey = s(">");
    script.WordConnector = s("+");
    script.ReplaceThis[0] = s("/next?");
    script.ReplaceWith[0] = s("http://127.0.0.1:8080/next?");
    const RunCounters later{11, 1, 0};
    EXPECT_EQ(BuildQueryUrl(script, later, s("t"), s("<a href=/next?p=2&q=a b>")),
              s("http://127.0.0.1:8080/next?p=2&q=a+b"));

    // Pairs apply in order, each on the previous result.
    script.ReplaceThis[1] = s("p=2");
    script.ReplaceWith[1] = s("page 2");
    EXPECT_EQ(BuildQueryUrl(script, later, s("t"), s("<a href=/next?p=2>")),
              s("http://127.0.0.1:8080/next?page+2"));

    // "[BLANK]" is a blank in ReplaceThis10 only; elsewhere it is literal text.
    script.ReplaceThis[1] = s("[BLANK]");
    script.ReplaceWith[1] = s("%20");
    EXPECT_EQ(BuildQueryUrl(script, later, s("t"), s("/next?a b[BLANK]>")),
              s("http://127.0.0.1:8080/next?a+b%20"));
    script.ReplaceThis[9] = s("[BLANK]");
    script.ReplaceWith[9] = s("%20");
    EXPECT_EQ(BuildQueryUrl(script, later, s("t"), s("/next?a b[BLANK]>")),
              s("http://127.0.0.1:8080/next?a%20b%20"));

    // No link: the empty URL, whatever the pairs would add.
    EXPECT_EQ(BuildQueryUrl(script, later, s("t"), s("last page")), QString());
}

TEST(EngineScript, SurvivesBadInput)
{
    EngineScript script; // every column empty
    const QString garbage = QString::fromLatin1(QByteArray(4096, '\xff') + QByteArray("\0\x01<a", 4));
    EXPECT_EQ(BuildQueryUrl(script, RunCounters{}, QString(), garbage), QString());
    EXPECT_EQ(BuildQueryUrl(script, RunCounters{5, 1, 0}, QString(), garbage), QString());
    EXPECT_EQ(ExtractNextLink(script, QString()), QString());
    script.ReverseStartKey = s("<a");
    script.StartKeyPlanB = {QString(), s("\x01")};
    EXPECT_EQ(ExtractNextLink(script, garbage), QString()); // "<a" only after the anchor
    EXPECT_EQ(script.EndKey, s("\x01"));

    // A 10 MB page with the anchor at its very end.
    EngineScript big;
    big.StartKey = s("next=");
    big.EndKey = s("&");
    const QString page = QString(10 * 1024 * 1024, u'x') + s("next=last&x");
    EXPECT_EQ(ExtractNextLink(big, page), s("next=last"));
}

// Long keys that almost match everywhere on a repetitive page made the key
// search take time proportional to key length times page length.
TEST(EngineScript, FindsKeysOnRepetitivePagesInLinearTime)
{
    QElapsedTimer timer;
    timer.start();
    const QString page = QString(300000, u'a');
    const QString blocked = u'b' + QString(100000, u'a');

    EngineScript script;
    script.StartKey = blocked;
    EXPECT_EQ(ExtractNextLink(script, page), QString());

    script.StartKey = s("a");
    script.EndKey = blocked;
    EXPECT_EQ(ExtractNextLink(script, page), page.chopped(1));

    script.StartKey = s("x");
    script.ReverseStartKey = s("a");
    script.StartKeyPlanB = {blocked, u'c' + QString(100000, u'a'), s("aab")};
    EXPECT_EQ(ExtractNextLink(script, page + s("aab")), s("aa")); // from the last "a" before the anchor
    EXPECT_EQ(script.EndKey, s("aab"));

    EXPECT_LT(timer.elapsed(), 5000);
}
