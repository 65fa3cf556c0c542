#include "core/print/PrintPages.h"

namespace corvane::PrintPages {

namespace {

using L = QLatin1String;

const char* const ChartImage = "DBChart1.jpg";

// The chart reports' caption: the title lines between line breaks.
QString caption(const QStringList& titleLines)
{
    QStringList lines;
    for (const QString& line : titleLines)
        lines << escaped(line);
    return L("<CAPTION>\n") + L("<FONT SIZE='+2'><B>\n") + lines.join(L("<BR>"))
        + L("</B></FONT></CAPTION>\n");
}

QString logoBlock(const Logo& logo)
{
    if (!logo.show)
        return {};
    const L align = logo.position == 0 ? L(" ALIGN='CENTER'>\n")
        : logo.position == 1           ? L(" ALIGN='LEFT'>\n")
                                       : L(" ALIGN='RIGHT'>\n");
    return L("<DIV ") + align + L("<IMG SRC='") + escaped(logo.folder) + L(LogoImage) + L("' BORDER='0'>\n")
        + L("</DIV>\n");
}

QString chartImageBlock()
{
    return L("<CENTER>\n") + L("<IMG SRC='") + L(ChartImage) + L("' BORDER='2'>\n") + L("</CENTER>\n");
}

QString cell(const QString& value, L attributes = L(""))
{
    return L("<TD") + attributes + L(">") + escaped(value) + L("</TD>");
}

// The opening of a page with a plain title.
QString head(const QString& title)
{
    return L("<HTML><HEAD><TITLE>") + escaped(title) + L("</TITLE></HEAD><BODY>\n");
}

QString centredHeading(const QString& title)
{
    return L("<CAPTION><FONT SIZE='+1'><B>") + escaped(title) + L("</B></FONT></CAPTION>\n");
}

const QString& pageEnd()
{
    static const QString end = QStringLiteral("</TABLE>\n</BODY></HTML>\n");
    return end;
}

bool isFoundLink(const QString& field)
{
    return field.compare(L("MemoFoundLink"), Qt::CaseInsensitive) == 0
        || field.compare(L("FoundLink"), Qt::CaseInsensitive) == 0;
}

bool isRightAligned(const QString& field)
{
    return field.compare(L("Rank"), Qt::CaseInsensitive) == 0
        || field.compare(L("Page"), Qt::CaseInsensitive) == 0;
}

} // namespace

QString pageFileName(int kind)
{
    switch (kind) {
    case DetailChart:
    case GainsAndLosses:
    case Scores: return QStringLiteral("DBChart1.html");
    case QueryResult: return QStringLiteral("Grid.html");
    case EngineList: return QStringLiteral("SEPOP.html");
    case UrlList: return QStringLiteral("STMaster.html");
    case PageDetail: return QStringLiteral("STDetail.html");
    case MergedPhrases: return QStringLiteral("STMerged.html");
    default: return {};
    }
}

QString chartImageName(int kind)
{
    return kind == DetailChart || kind == GainsAndLosses || kind == Scores ? QString(L(ChartImage))
                                                                           : QString();
}

QString escaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case '<': out += L("&lt;"); break;
        case '>': out += L("&gt;"); break;
        case '&': out += L("&amp;"); break;
        case '"': out += L("&quot;"); break;
        case '\'': out += L("&#39;"); break;
        case '\r':
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            out += L("<BR>");
            break;
        case '\n': out += L("<BR>"); break;
        default:
            if (c.unicode() < 0x80) {
                out += c;
            } else if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
                out += L("&#") + QString::number(QChar::surrogateToUcs4(c, text.at(i + 1))) + L(";");
                ++i;
            } else {
                out += L("&#") + QString::number(c.unicode()) + L(";");
            }
        }
    }
    return out;
}

QString detailChart(const DetailChartPage& page)
{
    QString html = head(page.titleLines.join(QLatin1Char(' ')));
    html += logoBlock(page.logo);
    html += L("<TABLE WIDTH=70% BORDER='1' ALIGN='CENTER'>\n");
    html += caption(page.titleLines);
    html += L("<TR><TH ALIGN='CENTER' WIDTH='30'>Date</TH>\n");
    for (const QString& title : page.seriesTitles)
        html += L("<TH ALIGN='CENTER'>") + escaped(title) + L("</TH>\n");
    html += L("</TR>");
    for (const DetailChartPage::Row& row : page.rows) {
        html += L("<TR>") + cell(row.date, L(" ALIGN='CENTER'"));
        for (qsizetype series = 0; series < page.seriesTitles.size(); ++series) {
            const std::optional<QString> value =
                series < row.values.size() ? row.values.at(series) : std::nullopt;
            html += value ? cell(*value, L(" ALIGN='RIGHT'")) : QString(L("<TD ALIGN='RIGHT'>-</TD>"));
        }
        html += L("</TR>");
    }
    html += L("</TABLE><BR><BR>\n");
    html += L("<DIV STYLE='page-break-before:always;'></DIV>\n");
    html += L("<CENTER>\n") + L("<IMG SRC='") + L(ChartImage) + L("' BORDER='2'>\n")
        + L("</CENTER></BODY></HTML>\n");
    return html;
}

QString queryResult(const QueryResultPage& page)
{
    const QString title = QStringLiteral("Query for Project ") + page.project;
    QString html = head(title);
    html += L("<TABLE ALIGN='CENTER' BORDER='1'><CAPTION>") + escaped(title) + L("</CAPTION>\n");
    html += L("<TFOOT><TR><TD>") + escaped(page.footer) + L("</TD></TR></TFOOT>\n");
    html += L("<THEAD><TR>\n");
    for (const QString& field : page.fields)
        html += L("<TH>") + escaped(isFoundLink(field) ? QStringLiteral("Fully Qualified Link") : field)
            + L("</TH>\n");
    html += L("</THEAD></TR><TBODY>\n");
    for (const QStringList& row : page.rows) {
        html += L("<TR>\n");
        for (qsizetype i = 0; i < page.fields.size(); ++i) {
            const QString value = i < row.size() ? row.at(i) : QString();
            html += cell(value, isRightAligned(page.fields.at(i)) ? L(" ALIGN='RIGHT'") : L("")) + L("\n");
        }
        html += L("</TR>\n");
    }
    html += L("</TBODY></TABLE>\n");
    html += L("</BODY></HTML>\n");
    return html;
}

QString engineList(const EngineListPage& page)
{
    const QString title = QStringLiteral("Search Engines - Project: ") + page.project;
    QString html = head(title);
    html += logoBlock(page.logo);
    html += L("<TABLE ALIGN='CENTER' BORDER='1'>\n");
    html += L("<CAPTION ALIGN='CENTER'><B> ") + escaped(title) + L("</B></CAPTION>\n");
    html += L("<TR><TH><U>Search Engine</U></TH><TH><U>Home Page</U></TH><TH><U>Score</U></TH>"
              "<TH><U>Notes</U></TH><TH><U>Country</U></TH><TH><U>Last Update</U></TH></TR>\n");
    const auto small = [](const QString& value, L attributes = L("")) {
        return QString(L("<TD") + attributes + L("><FONT SIZE='-1'>") + escaped(value) + L("</FONT></TD>"));
    };
    for (const EngineListPage::Row& row : page.rows) {
        html += L("<TR>") + small(row.name) + small(row.homePage) + small(row.score, L(" ALIGN='RIGHT'"))
            + small(row.notes) + small(row.country) + small(row.lastUpdate) + L("</TR>\n");
    }
    return html + pageEnd();
}

QString urlList(const UrlListPage& page)
{
    const QString title = QStringLiteral("Search Term Master URL List - ") + page.name;
    QString html = head(title);
    html += L("<TABLE ALIGN='CENTER'>\n") + centredHeading(title);
    html += L("<TR><TH>Occurences</TH><TH></TH><TH>URL</TH></TR>\n");
    for (const UrlListPage::Row& row : page.rows)
        html +=
            L("<TR>") + cell(row.count, L(" ALIGN='RIGHT'")) + L("<TD></TD>") + cell(row.url) + L("</TR>\n");
    return html + pageEnd();
}

QString pageDetail(const PageDetailPage& page)
{
    const QString title = QStringLiteral("Search Term Master Detail - ") + page.name;
    QString html = head(title);
    html += L("<CENTER><FONT SIZE='+1'><B>") + escaped(title) + L("</B></FONT></CENTER>\n");
    for (const PageDetailPage::Page& detail : page.pages) {
        html += L("<P><B>") + escaped(detail.url) + L("</B><BR>\n");
        html += L("Occured ") + escaped(detail.count) + L(" Times<BR>\n");
        html += L("<B>Title</B> ") + escaped(detail.title) + L("<BR>\n");
        html += L("<B>Description</B> ") + escaped(detail.description) + L("</P>\n");
        html += L("<TABLE BORDER='1' WIDTH='90%'>\n");
        html +=
            L("<TR><TH ALIGN='LEFT'>Search Term Tag</TH><TH ALIGN='LEFT'>Search Term Density</TH></TR>\n");
        const qsizetype lines = std::max(detail.tags.size(), detail.densities.size());
        for (qsizetype i = 0; i < lines; ++i) {
            html += L("<TR>") + cell(detail.tags.value(i)) + cell(detail.densities.value(i)) + L("</TR>\n");
        }
        html += L("</TABLE><HR>\n");
    }
    html += L("</BODY></HTML>\n");
    return html;
}

QString mergedPhrases(const MergedPhrasesPage& page)
{
    const QString title = QStringLiteral("Search Term Master Merged - ") + page.name;
    QString html = head(title);
    html += L("<TABLE ALIGN='CENTER'>\n") + centredHeading(title);
    html += L("<TR><TH><B>Search Term Tag</B></TH><TH>&nbsp;</TH><TH><B>Keyword Density</B></TH></TR>\n");
    for (const MergedPhrasesPage::Row& row : page.rows) {
        html += L("<TR>") + cell(row.phrase) + L("<TD>&nbsp;</TD>") + cell(row.count, L(" ALIGN='RIGHT'"))
            + L("</TR>\n");
    }
    return html + pageEnd();
}

namespace {

// Kinds 9 and 10: a titled table above the centred chart; the first
// leftColumns cells of a row are texts, the others numbers.
QString chartReport(const QStringList& titleLines, const Logo& logo, L table, const QString& headRow,
                    const QList<QStringList>& rows, int leftColumns)
{
    QString html = L("<HTML><HEAD>\n") + L("<TITLE></TITLE>\n") + L("</HEAD>\n") + L("<BODY>\n");
    html += logoBlock(logo);
    html += table + caption(titleLines) + headRow;
    for (const QStringList& row : rows) {
        html += L("<TR ALIGN='CENTER'>\n");
        for (qsizetype i = 0; i < row.size(); ++i)
            html += cell(row.at(i), i < leftColumns ? L(" ALIGN='LEFT'") : L(" ALIGN='RIGHT'"));
        html += L("</TR>\n");
    }
    html += L("</TABLE><BR>\n") + chartImageBlock() + L("</BODY>\n") + L("</HTML>\n");
    return html;
}

} // namespace

QString gainsAndLosses(const GainsAndLossesPage& page)
{
    QList<QStringList> rows;
    for (const GainsAndLossesPage::Row& row : page.rows)
        rows << QStringList{row.date, row.searchTerm, row.priorDay, row.today, row.difference};
    return chartReport(page.titleLines, page.logo, L("<TABLE WIDTH='700' ALIGN='CENTER'>\n"),
                       QStringLiteral("<TR><TH ALIGN='LEFT'>Date</TH><TH ALIGN='LEFT'>Search Term</TH>"
                                      "<TH WIDTH='80' ALIGN='RIGHT'>Prior Day</TH>"
                                      "<TH WIDTH='100' ALIGN='RIGHT'>Today</TH>"
                                      "<TH WIDTH='80' ALIGN='RIGHT'>Difference</TH></TR>\n"),
                       rows, 2);
}

QString scores(const ScoresPage& page)
{
    QList<QStringList> rows;
    for (const ScoresPage::Row& row : page.rows)
        rows << QStringList{row.url, row.score};
    return chartReport(
        page.titleLines, page.logo, L("<TABLE WIDTH='350' ALIGN='CENTER'>\n"),
        QStringLiteral("<TR><TH ALIGN='LEFT'>URL</TH><TH WIDTH='60' ALIGN='RIGHT'>Score</TH></TR>\n"), rows,
        1);
}

} // namespace corvane::PrintPages
