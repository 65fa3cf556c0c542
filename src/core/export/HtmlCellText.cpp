#include "core/export/HtmlCellText.h"

namespace corvane {

QString HtmlCellText::decodeEntities(const QString& text)
{
    if (!text.contains(QLatin1Char('&')))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&')) {
            out += text.at(i);
            continue;
        }
        const qsizetype end = text.indexOf(QLatin1Char(';'), i);
        const QString name = end > i ? text.mid(i + 1, end - i - 1) : QString();
        QString decoded;
        if (name == QLatin1String("lt"))
            decoded = QStringLiteral("<");
        else if (name == QLatin1String("gt"))
            decoded = QStringLiteral(">");
        else if (name == QLatin1String("amp"))
            decoded = QStringLiteral("&");
        else if (name == QLatin1String("quot"))
            decoded = QStringLiteral("\"");
        else if (name == QLatin1String("apos") || name == QLatin1String("#39"))
            decoded = QStringLiteral("'");
        else if (name == QLatin1String("nbsp"))
            decoded = QStringLiteral(" ");
        else if (name.startsWith(QLatin1Char('#')) && name.size() > 1) {
            bool ok = false;
            const uint code = name.at(1).toLower() == QLatin1Char('x') ? name.mid(2).toUInt(&ok, 16)
                                                                       : name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF)
                decoded = QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
        }
        if (decoded.isNull()) {
            out += text.at(i);
            continue;
        }
        out += decoded;
        i = end;
    }
    return out;
}

QString HtmlCellText::visibleText(const QString& html)
{
    QString text;
    text.reserve(html.size());
    qsizetype i = 0;
    while (i < html.size()) {
        if (html.at(i) != QLatin1Char('<')) {
            text += html.at(i++);
            continue;
        }
        if (html.mid(i, 4) == QLatin1String("<!--")) {
            const qsizetype end = html.indexOf(QLatin1String("-->"), i + 4);
            i = end < 0 ? html.size() : end + 3;
            continue;
        }
        const qsizetype end = html.indexOf(QLatin1Char('>'), i);
        if (end < 0) {
            text += html.mid(i);
            break;
        }
        i = end + 1;
    }
    return decodeEntities(text);
}

QString HtmlCellText::linkAddress(const QString& html)
{
    const QLatin1String href("href=\"");
    const qsizetype start = html.indexOf(href, 0, Qt::CaseInsensitive);
    if (start < 0)
        return visibleText(html);
    const qsizetype from = start + href.size();
    const qsizetype end = html.indexOf(QLatin1Char('"'), from);
    return decodeEntities(html.mid(from, end < 0 ? -1 : end - from));
}

} // namespace corvane
