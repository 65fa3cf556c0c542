#include "core/livecheck/DuvudaResultRow.h"

#include "core/export/HtmlCellText.h"

namespace corvane {

const QStringList& DuvudaResultRow::headers()
{
    static const QStringList names = {QStringLiteral("Date"),        QStringLiteral("Rank"),
                                      QStringLiteral("Page"),        QStringLiteral("URL"),
                                      QStringLiteral("Search Term"), QStringLiteral("Search Engine")};
    return names;
}

QString DuvudaCells::anchor(const QString& address, const QString& text)
{
    return QStringLiteral("<a href=\"") + address.toHtmlEscaped() + QStringLiteral("\">")
        + text.toHtmlEscaped() + QStringLiteral("</a>");
}

QString DuvudaCells::comment(const QString& text)
{
    return QStringLiteral("<!--") + text.toHtmlEscaped() + QStringLiteral("-->");
}

QString DuvudaCells::urlAddress(const QString& url)
{
    const QString lower = url.toLower();
    if (lower.contains(QLatin1String("http://")) || lower.contains(QLatin1String("https://")))
        return url;
    return QStringLiteral("http://") + url;
}

DuvudaResultRow DuvudaCells::makeRow(const DuvudaHit& hit, const QLocale& locale)
{
    DuvudaResultRow row;
    row.date = hit.day;
    row.cells[DuvudaResultRow::Date] = locale.toString(hit.day, QLocale::ShortFormat);
    row.cells[DuvudaResultRow::Rank] = QString::number(hit.rank);
    row.cells[DuvudaResultRow::Page] = QString::number(hit.page);
    row.cells[DuvudaResultRow::URL] = anchor(urlAddress(hit.url), hit.url);
    row.cells[DuvudaResultRow::SearchTerm] = comment(hit.term) + anchor(hit.requestUrl, hit.term);
    row.cells[DuvudaResultRow::SearchEngine] =
        comment(hit.engineName) + anchor(hit.engineHomePage, hit.engineName);
    return row;
}

DuvudaResultRow DuvudaCells::rebuiltRow(const DuvudaResultRow& stored)
{
    DuvudaResultRow row;
    row.date = stored.date;
    for (const int c : {DuvudaResultRow::Date, DuvudaResultRow::Rank, DuvudaResultRow::Page})
        row.cells[size_t(c)] = HtmlCellText::visibleText(stored.cells[size_t(c)]).toHtmlEscaped();
    const QString& url = stored.cells[DuvudaResultRow::URL];
    row.cells[DuvudaResultRow::URL] = anchor(HtmlCellText::linkAddress(url), HtmlCellText::visibleText(url));
    for (const int c : {DuvudaResultRow::SearchTerm, DuvudaResultRow::SearchEngine}) {
        const QString& cell = stored.cells[size_t(c)];
        const QString text = HtmlCellText::visibleText(cell);
        row.cells[size_t(c)] = comment(text) + anchor(HtmlCellText::linkAddress(cell), text);
    }
    return row;
}

} // namespace corvane
