#include "core/maintenance/DailyResults.h"

#include "core/data/DatabaseError.h"
#include "core/data/Dataset.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableDatabase.h"
#include "core/print/PrintPages.h"

#include <QSaveFile>
#include <QSet>

#include <exception>
#include <stdexcept>

namespace corvane {

namespace DailyResults {

namespace {

const QString CrLf = QStringLiteral("\r\n");

QString esc(const QString& text) { return PrintPages::escaped(text); }

QString heading()
{
    return QStringLiteral("<TABLE WIDTH=\"600\" CELLPADDING=\"0\" CELLSPACING=\"0\" ALIGN=\"CENTER\"><TR>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) < 0 || !file.commit())
        throw std::runtime_error(
            QString(QStringLiteral("Cannot write ") + path + QStringLiteral(": ") + file.errorString())
                .toStdString());
}

// A blue bar with a lighter top edge; it stretches to the cell it is drawn in.
const char* const BarPicture =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"12\" preserveAspectRatio=\"none\""
    " viewBox=\"0 0 100 12\">\n"
    "<defs><linearGradient id=\"g\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">"
    "<stop offset=\"0\" stop-color=\"#7FA7E0\"/><stop offset=\"1\" "
    "stop-color=\"#1F4E8C\"/></linearGradient></defs>\n"
    "<rect x=\"0\" y=\"1\" width=\"100\" height=\"10\" fill=\"url(#g)\"/>\n"
    "</svg>\n";

} // namespace

QStringList groupChoices()
{
    return {QStringLiteral("Search Engine"), QStringLiteral("Search Term"), QStringLiteral("URL")};
}

QString column(const QString& displayName)
{
    if (displayName == QLatin1String("Search Engine"))
        return QStringLiteral("SearchEngine");
    if (displayName == QLatin1String("Search Term"))
        return QStringLiteral("SearchTerm");
    if (displayName == QLatin1String("URL"))
        return QStringLiteral("URL");
    return {};
}

QStringList thenByChoices(const QString& groupBy)
{
    QStringList choices = groupChoices();
    if (!choices.removeOne(groupBy))
        return {};
    return choices;
}

QString detail(const QString& groupBy, const QString& thenBy)
{
    QStringList choices = groupChoices();
    if (groupBy == thenBy || !choices.removeOne(groupBy) || !choices.removeOne(thenBy))
        return {};
    return choices.constFirst();
}

QString statement(const Input& input)
{
    QString last = QStringLiteral("Rank");
    if (input.order == 1)
        last = column(input.detailName);
    else if (input.order == 2)
        last = QStringLiteral("Page");
    return QStringLiteral("SELECT * FROM CVRank WHERE Project = ") + SqlQuote::quoted(input.project)
        + QStringLiteral(" AND xDate = ") + SqlQuote::date(input.day) + QStringLiteral(" ORDER BY ")
        + column(input.groupBy) + QStringLiteral(", ") + column(input.thenBy) + QStringLiteral(", \n") + last;
}

int barPercent(int rank, int worstRank)
{
    if (worstRank <= 0)
        return 1;
    const int percent = int(qint64(rank) * 100 / worstRank);
    return qBound(1, percent, 100);
}

QString shortPage(const Input& input)
{
    return QStringLiteral("<HTML><HEAD><TITLE>Daily Results</TITLE></HEAD><BODY>") + heading()
        + QStringLiteral("<TD><FONT SIZE=\"+1\">Project: ") + esc(input.project)
        + QStringLiteral("</FONT></TD><TD ALIGN=\"RIGHT\"><U>for ") + esc(input.dateText)
        + QStringLiteral("</U></TD></TR></TABLE><BR><P>No records found</P></BODY></HTML>");
}

QString page(const Input& input, const QList<Row>& rows)
{
    if (rows.isEmpty())
        return shortPage(input);
    int worst = 0;
    QStringList index;
    QSet<QString> seen;
    for (const Row& row : rows) {
        worst = std::max(worst, row.rank);
        if (!seen.contains(row.major)) {
            seen.insert(row.major);
            index << row.major;
        }
    }

    QString html;
    html.reserve(rows.size() * 900 + 1024);
    html += QStringLiteral("<HTML><HEAD><TITLE>Daily Results</TITLE></HEAD><BODY>") + CrLf;
    html += QStringLiteral("<P><A STYLE=\"text-decoration: none\" NAME=\"anchorTop\">&nbsp;</A></P>") + CrLf;
    html += heading() + CrLf;
    html += QStringLiteral("<TD><FONT SIZE=\"+1\">Project: ") + esc(input.project)
        + QStringLiteral("</FONT></TD>") + CrLf;
    html += QStringLiteral("<TD ALIGN=\"RIGHT\"><U>for ") + esc(input.dateText)
        + QStringLiteral("</U></TD></TR></TABLE><BR>") + CrLf;

    if (input.showIndex) {
        html += QStringLiteral(
                    "<TABLE ALIGN=\"CENTER\" WIDTH=640 BORDER=\"0\" CELLSPACING=\"0\" CELLPADDING=\"0\">"
                    "<CAPTION><B>Index</B></CAPTION>")
            + CrLf;
        for (int i = 0; i < index.size(); ++i) {
            const QString value = esc(index.at(i));
            const QString cell = QStringLiteral("<TD><A HREF=\"#anchor") + value + QStringLiteral("\">")
                + value + QStringLiteral("</A></TD>");
            if (i % 3 == 0)
                html += QStringLiteral("<TR>") + cell + CrLf;
            else if (i % 3 == 1)
                html += cell + CrLf;
            else
                html += cell + QStringLiteral("</TR>") + CrLf;
        }
        if (index.size() % 3 == 1)
            html += QStringLiteral("<TD>&nbsp;</TD><TD>&nbsp;</TD></TR>") + CrLf;
        else if (index.size() % 3 == 2)
            html += QStringLiteral("<TD>&nbsp;</TD></TR>") + CrLf;
        html += QStringLiteral("</TABLE><BR><BR>") + CrLf;
    }

    const QString bar = QLatin1String(BarFile);
    bool first = true;
    QString major;
    QString minor;
    for (const Row& row : rows) {
        if (first || row.major != major) {
            if (!first)
                html += QStringLiteral("</TABLE><BR><BR>") + CrLf;
            html += QStringLiteral("<TABLE WIDTH=\"640\" BORDER=\"0\" CELLSPACING=\"0\" CELLPADDING=\"2\" "
                                   "STYLE=\"border-right: thin blue groove; border-bottom: thin blue groove; "
                                   "border-left: thin blue groove\" ALIGN=\"CENTER\">")
                + CrLf;
            const QString value = esc(row.major);
            if (input.showIndex) {
                html += QStringLiteral("<CAPTION ALIGN=\"LEFT\"><FONT SIZE=\"+1\"><B><A NAME=\"anchor")
                    + value + QStringLiteral("\">") + value + QStringLiteral("</A></B></FONT>") + CrLf;
                html += QStringLiteral("&nbsp;").repeated(14)
                    + QStringLiteral("</B><A HREF=\"#anchorTop\" STYLE=\"text-decoration: none\">Top</A>"
                                     "</CAPTION>")
                    + CrLf;
            } else {
                html += QStringLiteral("<CAPTION ALIGN=\"LEFT\"><FONT SIZE=\"+1\"><B>") + value
                    + QStringLiteral("</B></FONT></CAPTION>") + CrLf;
            }
            major = row.major;
            minor.clear();
            first = false;
        }
        if (row.minor != minor) {
            html += QStringLiteral(
                        "<TR><TD ALIGN=\"CENTER\" STYLE=\"border-top: thin blue groove; border-bottom: "
                        "thin blue groove\" BGCOLOR=\"#F9F2D9\"><B>")
                + esc(row.minor) + QStringLiteral("</B></TD></TR>") + CrLf;
            minor = row.minor;
        }
        html += QStringLiteral("<TR><TD STYLE=\"border-bottom: thin blue groove\"><TABLE WIDTH=\"100%\" "
                               "CELLPADDING=\"0\" CELLSPACING=\"0\"><TR><TD ALIGN=\"LEFT\" WIDTH=\"50%\">"
                               "<FONT SIZE=\"-1\"><B>&nbsp;&nbsp;")
            + esc(row.detail) + QStringLiteral("</B></FONT></TD>") + CrLf;
        html += QStringLiteral("<TD ALIGN=\"LEFT\"><FONT SIZE=\"-1\">Position: ") + QString::number(row.rank)
            + QStringLiteral("&nbsp;&nbsp;Page: ") + QString::number(row.page)
            + QStringLiteral("</FONT></TD></TR></TABLE>") + CrLf;
        const int p = barPercent(row.rank, worst);
        html += QStringLiteral(
                    "<TABLE WIDTH=\"100%\" CELLSPACING=\"0\" CELLPADDING=\"0\" BORDER=\"0\" HEIGHT=\"12\">"
                    "<TR>")
            + CrLf;
        html += QStringLiteral("<TD WIDTH=\"") + QString::number(p) + QStringLiteral("%\"><IMG ALT='+' SRC='")
            + bar + QStringLiteral("' WIDTH=\"100%\" HEIGHT=\"12\" BORDER=\"0\"></TD>") + CrLf;
        html += QStringLiteral("<TD WIDTH=\"") + QString::number(100 - p)
            + QStringLiteral("%\"></TD></TR></TABLE></TD></TR>") + CrLf;
    }
    html += QStringLiteral("</BODY></HTML>") + CrLf;
    return html;
}

QString build(const Input& input)
{
    try {
        Session session(QStringLiteral("DailySession"));
        Database database(QStringLiteral("rank_database"), &session);
        database.setDirectory(input.dataFolder);
        database.connect();
        Query query(&database, statement(input));
        query.open();
        const QString majorColumn = column(input.groupBy);
        const QString minorColumn = column(input.thenBy);
        const QString detailColumn = column(input.detailName);
        QList<Row> rows;
        rows.reserve(query.recordCount());
        for (query.first(); !query.eof(); query.next())
            rows << Row{query.asString(majorColumn), query.asString(minorColumn),
                        query.asString(detailColumn), query.asInteger(QStringLiteral("Rank")),
                        query.asInteger(QStringLiteral("Page"))};
        query.close();
        database.disconnect();
        if (!rows.isEmpty())
            writeFile(input.programFolder + QLatin1String(BarFile), QByteArray(BarPicture));
        writeFile(input.programFolder + QLatin1String(PageFile), page(input, rows).toLatin1());
        return {};
    } catch (const DatabaseError& e) {
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    }
}

} // namespace DailyResults

DailyThread::DailyThread(DailyResults::Input input)
    : m_input(std::move(input))
{
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

void DailyThread::run() { emit finishedBuilding(DailyResults::build(m_input)); }

} // namespace corvane
