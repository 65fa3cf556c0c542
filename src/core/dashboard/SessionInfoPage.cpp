#include "core/dashboard/SessionInfoPage.h"

#include <QUrl>

namespace corvane::SessionInfoPage {

namespace {

bool isSubListHeading(const QString& line)
{
    return line == QLatin1String("Search Terms:") || line == QLatin1String("URLs:")
        || line == QLatin1String("Search Engines:");
}

// One note's lines: a bold row per project, an italic heading per list and a
// small bullet per item.
void appendOptimizationNote(QString& page, const QString& content)
{
    bool listOpen = false;
    const auto closeList = [&] {
        if (listOpen)
            page += QStringLiteral("</UL>\n");
        listOpen = false;
    };
    // Harvester ends each line with CR LF, so a line break inside a name (LF
    // alone) stays within its item; notes written with LF alone split there.
    const QStringList lines = content.contains(QLatin1String("\r\n")) ? content.split(QLatin1String("\r\n"))
                                                                      : content.split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1String("Project:"))) {
            closeList();
            page += QStringLiteral("<P><B>") + line.toHtmlEscaped() + QStringLiteral("</B></P>\n");
        } else if (isSubListHeading(line)) {
            closeList();
            page += QStringLiteral("<P STYLE='margin-left:16px'><I>") + line.toHtmlEscaped()
                + QStringLiteral("</I></P>\n<UL>\n");
            listOpen = true;
        } else {
            if (!listOpen) {
                page += QStringLiteral("<UL>\n");
                listOpen = true;
            }
            page += QStringLiteral("<LI><FONT SIZE='-1'>") + line.toHtmlEscaped()
                + QStringLiteral("</FONT></LI>\n");
        }
    }
    closeList();
}

} // namespace

QString html(const QString& imageFolder, const QStringList& scriptUpdates,
             const QStringList& optimizationNotes)
{
    // Fully encoded, the apostrophe and "&" too: the address stands in single
    // quotes, and a folder such as "O'Brien's" must not end the attribute.
    const auto address = [&imageFolder](const char* file) {
        return QString::fromLatin1(QUrl::fromLocalFile(imageFolder + QLatin1String(file)).toEncoded())
            .replace(u'\'', QLatin1String("%27"))
            .replace(u'&', QLatin1String("%26"));
    };
    const QString logo = address("SessionInfoLogo.JPG");
    const QString fill = address("SessionInfoLogoFill.JPG");

    QString page =
        QStringLiteral(
            "<HTML><HEAD><TITLE>Session Info</TITLE></HEAD>\n<BODY BGCOLOR='#FFFFD5'>\n"
            "<A NAME='anchorTOP'></A>\n"
            "<TABLE WIDTH='100%' BORDER='0' CELLPADDING='0' CELLSPACING='0' BGCOLOR='#3B6EA5'><TR>\n"
            "<TD><IMG SRC='")
        + logo + QStringLiteral("' BORDER='0'></TD>\n<TD><IMG SRC='") + fill
        + QStringLiteral("' BORDER='0'></TD>\n</TR></TABLE>\n"
                         "<P ALIGN='RIGHT'><A HREF='#anchorB'>Goto Optimization Notes</A></P>\n");

    page += QStringLiteral("<A NAME='anchorA'></A>\n<H3>Recent Script Updates</H3>\n");
    if (scriptUpdates.isEmpty()) {
        page += QStringLiteral("<P><FONT SIZE='-1'>None</FONT></P>\n");
    } else {
        page += QStringLiteral("<UL>\n");
        for (const QString& update : scriptUpdates)
            page += QStringLiteral("<LI>") + update.toHtmlEscaped() + QStringLiteral("</LI>\n");
        page += QStringLiteral("</UL>\n");
    }

    page += QStringLiteral("<A NAME='anchorB'></A>\n<H3>Optimization Notes</H3>\n"
                           "<P><FONT SIZE='-1'>These items had no activity.<BR>Consider removing them to "
                           "improve HV performance</FONT></P>\n");
    for (const QString& note : optimizationNotes)
        appendOptimizationNote(page, note);
    page += QStringLiteral("<P ALIGN='RIGHT'><A HREF='#anchorTOP'>Top</A></P>\n</BODY></HTML>\n");
    return page;
}

} // namespace corvane::SessionInfoPage
