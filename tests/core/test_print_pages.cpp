// The exact HTML of every print kind, one golden page each.
#include "core/print/PrintPages.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::PrintPages;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

TEST(print_pages, FileNamesAndChartImagesPerKind)
{
    const char* pages[] = {"",
                           "DBChart1.html",
                           "",
                           "Grid.html",
                           "",
                           "SEPOP.html",
                           "STMaster.html",
                           "STDetail.html",
                           "STMerged.html",
                           "DBChart1.html",
                           "DBChart1.html"};
    for (int kind = FirstKind; kind <= LastKind; ++kind) {
        EXPECT_EQ(pageFileName(kind), s(pages[kind])) << kind;
        const bool chart = kind == 1 || kind == 9 || kind == 10;
        EXPECT_EQ(chartImageName(kind), chart ? s("DBChart1.jpg") : QString()) << kind;
    }
    EXPECT_TRUE(pageFileName(11).isEmpty());
    EXPECT_TRUE(pageFileName(-1).isEmpty());
}

TEST(print_pages, EscapingCoversMarkupQuotesAndLineBreaks)
{
    EXPECT_EQ(escaped(s("<b>Tom & \"Jerry's\"</b>")),
              s("&lt;b&gt;Tom &amp; &quot;Jerry&#39;s&quot;&lt;/b&gt;"));
    EXPECT_EQ(escaped(s("one\r\ntwo\nthree")), s("one<BR>two<BR>three"));
    EXPECT_EQ(escaped(s("plain")), s("plain"));
    EXPECT_EQ(escaped(s("Caf\u00e9\u00a0\U0001F35E")), s("Caf&#233;&#160;&#127838;"));
}

TEST(print_pages, DetailChartWithAMissingValueAndTheLogoInEachPosition)
{
    DetailChartPage page;
    page.titleLines = {s("Bakery ranks"), s("last 30 days")};
    page.seriesTitles = {s("home"), s("_1st")};
    page.rows = {{s("12/1/05"), {s("3"), s("7")}}, {s("12/2/05"), {s("4"), std::nullopt}}};
    page.logo = {true, 1, s("/home/u/Corvane/")};

    const QString expected =
        s("<HTML><HEAD><TITLE>Bakery ranks last 30 days</TITLE></HEAD><BODY>\n"
          "<DIV  ALIGN='LEFT'>\n"
          "<IMG SRC='/home/u/Corvane/Logo.jpg' BORDER='0'>\n"
          "</DIV>\n"
          "<TABLE WIDTH=70% BORDER='1' ALIGN='CENTER'>\n"
          "<CAPTION>\n"
          "<FONT SIZE='+2'><B>\n"
          "Bakery ranks<BR>last 30 days</B></FONT></CAPTION>\n"
          "<TR><TH ALIGN='CENTER' WIDTH='30'>Date</TH>\n"
          "<TH ALIGN='CENTER'>home</TH>\n"
          "<TH ALIGN='CENTER'>_1st</TH>\n"
          "</TR>"
          "<TR><TD ALIGN='CENTER'>12/1/05</TD><TD ALIGN='RIGHT'>3</TD><TD ALIGN='RIGHT'>7</TD></TR>"
          "<TR><TD ALIGN='CENTER'>12/2/05</TD><TD ALIGN='RIGHT'>4</TD><TD ALIGN='RIGHT'>-</TD></TR>"
          "</TABLE><BR><BR>\n"
          "<DIV STYLE='page-break-before:always;'></DIV>\n"
          "<CENTER>\n"
          "<IMG SRC='DBChart1.jpg' BORDER='2'>\n"
          "</CENTER></BODY></HTML>\n");
    EXPECT_EQ(detailChart(page), expected);

    page.logo.position = 0;
    EXPECT_TRUE(detailChart(page).contains(s("<DIV  ALIGN='CENTER'>\n<IMG")));
    page.logo.position = 7;
    EXPECT_TRUE(detailChart(page).contains(s("<DIV  ALIGN='RIGHT'>\n<IMG")));
    page.logo.show = false;
    EXPECT_FALSE(detailChart(page).contains(s("Logo.jpg")));
    EXPECT_TRUE(
        detailChart(page).startsWith(s("<HTML><HEAD><TITLE>Bakery ranks last 30 days</TITLE></HEAD><BODY>\n"
                                       "<TABLE WIDTH=70%")));
}

TEST(print_pages, DetailChartEscapesEveryInsertedValue)
{
    DetailChartPage page;
    page.titleLines = {s("<script>")};
    page.seriesTitles = {s("a&b")};
    page.rows = {{s("d"), {s("<1>")}}};
    page.logo = {true, 0, s("/it's/")};
    const QString html = detailChart(page);
    EXPECT_FALSE(html.contains(s("<script>")));
    EXPECT_TRUE(html.contains(s("<TITLE>&lt;script&gt;</TITLE>")));
    EXPECT_TRUE(html.contains(s("<TH ALIGN='CENTER'>a&amp;b</TH>")));
    EXPECT_TRUE(html.contains(s("<TD ALIGN='RIGHT'>&lt;1&gt;</TD>")));
    EXPECT_TRUE(html.contains(s("<IMG SRC='/it&#39;s/Logo.jpg'")));
}

TEST(print_pages, QueryResultNamesTheFoundLinkAndRightAlignsRankAndPage)
{
    QueryResultPage page;
    page.project = s("Bakery");
    page.footer = s("SELECT * FROM CVRank");
    page.fields = {s("URL"), s("Rank"), s("Page"), s("MemoFoundLink")};
    page.rows = {{s("home"), s("3"), s("1"), s("http://a.example/?x=1&y=2")}};
    const QString expected =
        s("<HTML><HEAD><TITLE>Query for Project Bakery</TITLE></HEAD><BODY>\n"
          "<TABLE ALIGN='CENTER' BORDER='1'><CAPTION>Query for Project Bakery</CAPTION>\n"
          "<TFOOT><TR><TD>SELECT * FROM CVRank</TD></TR></TFOOT>\n"
          "<THEAD><TR>\n"
          "<TH>URL</TH>\n"
          "<TH>Rank</TH>\n"
          "<TH>Page</TH>\n"
          "<TH>Fully Qualified Link</TH>\n"
          "</THEAD></TR><TBODY>\n"
          "<TR>\n"
          "<TD>home</TD>\n"
          "<TD ALIGN='RIGHT'>3</TD>\n"
          "<TD ALIGN='RIGHT'>1</TD>\n"
          "<TD>http://a.example/?x=1&amp;y=2</TD>\n"
          "</TR>\n"
          "</TBODY></TABLE>\n"
          "</BODY></HTML>\n");
    EXPECT_EQ(queryResult(page), expected);
}

TEST(print_pages, EngineList)
{
    EngineListPage page;
    page.project = s("Bakery");
    page.rows = {
        {s("Demo"), s("http://127.0.0.1/"), s("40"), s("line one\nline two"), s("US"), s("12/1/05")}};
    const QString expected =
        s("<HTML><HEAD><TITLE>Search Engines - Project: Bakery</TITLE></HEAD><BODY>\n"
          "<TABLE ALIGN='CENTER' BORDER='1'>\n"
          "<CAPTION ALIGN='CENTER'><B> Search Engines - Project: Bakery</B></CAPTION>\n"
          "<TR><TH><U>Search Engine</U></TH><TH><U>Home Page</U></TH><TH><U>Score</U></TH>"
          "<TH><U>Notes</U></TH><TH><U>Country</U></TH><TH><U>Last Update</U></TH></TR>\n"
          "<TR><TD><FONT SIZE='-1'>Demo</FONT></TD><TD><FONT SIZE='-1'>http://127.0.0.1/</FONT></TD>"
          "<TD ALIGN='RIGHT'><FONT SIZE='-1'>40</FONT></TD>"
          "<TD><FONT SIZE='-1'>line one<BR>line two</FONT></TD><TD><FONT SIZE='-1'>US</FONT></TD>"
          "<TD><FONT SIZE='-1'>12/1/05</FONT></TD></TR>\n"
          "</TABLE>\n"
          "</BODY></HTML>\n");
    EXPECT_EQ(engineList(page), expected);
    page.logo = {true, 2, {}};
    EXPECT_TRUE(
        engineList(page).contains(s("<BODY>\n<DIV  ALIGN='RIGHT'>\n<IMG SRC='Logo.jpg' BORDER='0'>\n</DIV>\n"
                                    "<TABLE ALIGN='CENTER' BORDER='1'>\n")));
}

TEST(print_pages, UrlList)
{
    UrlListPage page;
    page.name = s("bread");
    page.rows = {{s("3"), s("www.bakery.example")}, {s("1"), s("rival.example/a?b=1&c=2")}};
    const QString expected =
        s("<HTML><HEAD><TITLE>Search Term Master URL List - bread</TITLE></HEAD><BODY>\n"
          "<TABLE ALIGN='CENTER'>\n"
          "<CAPTION><FONT SIZE='+1'><B>Search Term Master URL List - bread</B></FONT></CAPTION>\n"
          "<TR><TH>Occurences</TH><TH></TH><TH>URL</TH></TR>\n"
          "<TR><TD ALIGN='RIGHT'>3</TD><TD></TD><TD>www.bakery.example</TD></TR>\n"
          "<TR><TD ALIGN='RIGHT'>1</TD><TD></TD><TD>rival.example/a?b=1&amp;c=2</TD></TR>\n"
          "</TABLE>\n"
          "</BODY></HTML>\n");
    EXPECT_EQ(urlList(page), expected);
}

TEST(print_pages, PageDetailPairsTagsWithDensitiesLineByLine)
{
    PageDetailPage page;
    page.name = s("bread");
    page.pages = {{s("www.bakery.example"),
                   s("2"),
                   s("Fresh bread"),
                   s("Baked daily"),
                   {s("bread"), s("rolls"), s("cake")},
                   {s("112 (4.5%)->bread"), s("110 (2.25%)->flour")}}};
    const QString expected =
        s("<HTML><HEAD><TITLE>Search Term Master Detail - bread</TITLE></HEAD><BODY>\n"
          "<CENTER><FONT SIZE='+1'><B>Search Term Master Detail - bread</B></FONT></CENTER>\n"
          "<P><B>www.bakery.example</B><BR>\n"
          "Occured 2 Times<BR>\n"
          "<B>Title</B> Fresh bread<BR>\n"
          "<B>Description</B> Baked daily</P>\n"
          "<TABLE BORDER='1' WIDTH='90%'>\n"
          "<TR><TH ALIGN='LEFT'>Search Term Tag</TH><TH ALIGN='LEFT'>Search Term Density</TH></TR>\n"
          "<TR><TD>bread</TD><TD>112 (4.5%)-&gt;bread</TD></TR>\n"
          "<TR><TD>rolls</TD><TD>110 (2.25%)-&gt;flour</TD></TR>\n"
          "<TR><TD>cake</TD><TD></TD></TR>\n"
          "</TABLE><HR>\n"
          "</BODY></HTML>\n");
    EXPECT_EQ(pageDetail(page), expected);
}

TEST(print_pages, MergedPhrases)
{
    MergedPhrasesPage page;
    page.name = s("bread");
    page.rows = {{s("flour"), s("12")}};
    const QString expected =
        s("<HTML><HEAD><TITLE>Search Term Master Merged - bread</TITLE></HEAD><BODY>\n"
          "<TABLE ALIGN='CENTER'>\n"
          "<CAPTION><FONT SIZE='+1'><B>Search Term Master Merged - bread</B></FONT></CAPTION>\n"
          "<TR><TH><B>Search Term Tag</B></TH><TH>&nbsp;</TH><TH><B>Keyword Density</B></TH></TR>\n"
          "<TR><TD>flour</TD><TD>&nbsp;</TD><TD ALIGN='RIGHT'>12</TD></TR>\n"
          "</TABLE>\n"
          "</BODY></HTML>\n");
    EXPECT_EQ(mergedPhrases(page), expected);
}

TEST(print_pages, GainsAndLosses)
{
    GainsAndLossesPage page;
    page.titleLines = {s("Gain/Loss for 12/2/05"), s("Demo")};
    page.rows = {{s("12/2/05"), s("fresh bread"), s("3"), s("7"), s("-4")}};
    page.logo = {true, 0, s("/p/")};
    const QString expected =
        s("<HTML><HEAD>\n"
          "<TITLE></TITLE>\n"
          "</HEAD>\n"
          "<BODY>\n"
          "<DIV  ALIGN='CENTER'>\n"
          "<IMG SRC='/p/Logo.jpg' BORDER='0'>\n"
          "</DIV>\n"
          "<TABLE WIDTH='700' ALIGN='CENTER'>\n"
          "<CAPTION>\n"
          "<FONT SIZE='+2'><B>\n"
          "Gain/Loss for 12/2/05<BR>Demo</B></FONT></CAPTION>\n"
          "<TR><TH ALIGN='LEFT'>Date</TH><TH ALIGN='LEFT'>Search Term</TH>"
          "<TH WIDTH='80' ALIGN='RIGHT'>Prior Day</TH><TH WIDTH='100' ALIGN='RIGHT'>Today</TH>"
          "<TH WIDTH='80' ALIGN='RIGHT'>Difference</TH></TR>\n"
          "<TR ALIGN='CENTER'>\n"
          "<TD ALIGN='LEFT'>12/2/05</TD><TD ALIGN='LEFT'>fresh bread</TD><TD ALIGN='RIGHT'>3</TD>"
          "<TD ALIGN='RIGHT'>7</TD><TD ALIGN='RIGHT'>-4</TD></TR>\n"
          "</TABLE><BR>\n"
          "<CENTER>\n"
          "<IMG SRC='DBChart1.jpg' BORDER='2'>\n"
          "</CENTER>\n"
          "</BODY>\n"
          "</HTML>\n");
    EXPECT_EQ(gainsAndLosses(page), expected);
}

TEST(print_pages, Scores)
{
    ScoresPage page;
    page.titleLines = {s("Overall score for 12/2/05")};
    page.rows = {{s("home"), s("496")}, {s("rival"), s("12.50")}};
    const QString expected = s("<HTML><HEAD>\n"
                               "<TITLE></TITLE>\n"
                               "</HEAD>\n"
                               "<BODY>\n"
                               "<TABLE WIDTH='350' ALIGN='CENTER'>\n"
                               "<CAPTION>\n"
                               "<FONT SIZE='+2'><B>\n"
                               "Overall score for 12/2/05</B></FONT></CAPTION>\n"
                               "<TR><TH ALIGN='LEFT'>URL</TH><TH WIDTH='60' ALIGN='RIGHT'>Score</TH></TR>\n"
                               "<TR ALIGN='CENTER'>\n"
                               "<TD ALIGN='LEFT'>home</TD><TD ALIGN='RIGHT'>496</TD></TR>\n"
                               "<TR ALIGN='CENTER'>\n"
                               "<TD ALIGN='LEFT'>rival</TD><TD ALIGN='RIGHT'>12.50</TD></TR>\n"
                               "</TABLE><BR>\n"
                               "<CENTER>\n"
                               "<IMG SRC='DBChart1.jpg' BORDER='2'>\n"
                               "</CENTER>\n"
                               "</BODY>\n"
                               "</HTML>\n");
    EXPECT_EQ(scores(page), expected);
}

} // namespace
