#include "gui/reports/ReportRenderer.h"

#include <QDate>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>

#include <algorithm>

namespace corvane::reports {

namespace {

// Room round each cell's text and between the page's parts, in points.
constexpr qreal CellPaddingPt = 3.0;
constexpr qreal GapPt = 8.0;

qreal points(const QPaintDevice& device, qreal pt) { return pt * device.logicalDpiY() / 72.0; }

// Wraps a text into lines no wider than width: at word boundaries where it
// can, anywhere in a word longer than the width (addresses), and at every
// line break of the text.
QStringList wrapped(const QString& text, const QFont& font, QPaintDevice* device, qreal width)
{
    if (text.isEmpty())
        return {QString()};
    QString prepared = text;
    prepared.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    prepared.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(prepared, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max<qreal>(width, 1.0));
        QString piece = prepared.mid(line.textStart(), line.textLength());
        while (!piece.isEmpty() && (piece.back().isSpace() || piece.back() == QChar::LineSeparator))
            piece.chop(1);
        lines << piece;
    }
    layout.endLayout();
    return lines.isEmpty() ? QStringList{QString()} : lines;
}

// Column widths that fit the room: a column keeps its natural width when it
// needs no more than an even share of what is left; the others split the rest.
QList<qreal> fittedWidths(const QList<qreal>& natural, qreal room)
{
    QList<qreal> widths(natural.size(), 0.0);
    QList<int> open;
    for (int i = 0; i < natural.size(); ++i)
        open << i;
    qreal left = room;
    bool settled = false;
    while (!open.isEmpty() && !settled) {
        settled = true;
        const qreal share = left / qreal(open.size());
        for (int k = int(open.size()) - 1; k >= 0; --k) {
            const int i = open.at(k);
            if (natural.at(i) <= share) {
                widths[i] = natural.at(i);
                left -= natural.at(i);
                open.removeAt(k);
                settled = false;
            }
        }
    }
    // The columns that need more than their share: memos and long texts.
    qreal openNeed = 0;
    for (int i : open)
        openNeed += natural.at(i);
    for (int i : open)
        widths[i] = left * natural.at(i) / openNeed;
    return widths;
}

} // namespace

ReportRenderer::ReportRenderer(ReportData data, ReportStyle style, QString title)
    : m_data(std::move(data))
    , m_style(std::move(style))
    , m_title(std::move(title))
{
}

ReportRenderer::Fonts ReportRenderer::fonts() const
{
    Fonts f;
    f.body.setPointSizeF(m_style.fontSize);
    f.caption = f.body;
    f.caption.setBold(true);
    f.title = f.body;
    f.title.setBold(true);
    f.title.setPointSizeF(m_style.fontSize * 1.6);
    f.footer = f.body;
    f.footer.setPointSizeF(std::max<qreal>(m_style.fontSize - 1, ReportStyle::SmallestFontSize));
    return f;
}

void ReportRenderer::setUpPrinter(QPrinter& printer) const
{
    printer.setPageOrientation(m_style.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setDocName(m_title);
}

ReportRenderer::Layout ReportRenderer::layOut(QPagedPaintDevice& device, const QRectF& pageRect) const
{
    const Fonts f = fonts();
    const QFontMetricsF body(f.body, &device);
    const QFontMetricsF caption(f.caption, &device);
    const qreal padding = points(device, CellPaddingPt);

    Layout layout;
    for (int i = 0; i < m_data.columns.size(); ++i) {
        if (m_style.showsColumn(m_data.columns.at(i).field))
            layout.columns << i;
    }

    // Natural widths: the widest heading word or value of each column.
    QList<qreal> natural;
    for (int c : layout.columns) {
        const ReportColumn& column = m_data.columns.at(c);
        qreal widest = caption.horizontalAdvance(column.caption);
        for (const QStringList& row : m_data.rows) {
            for (const QString& line : row.at(c).split(QLatin1Char('\n')))
                widest = std::max(widest, body.horizontalAdvance(line));
        }
        // A little slack, so that a text measured to fit is not wrapped by rounding.
        natural << widest + 2 * padding + points(device, 1.0);
    }
    layout.widths = fittedWidths(natural, pageRect.width());

    for (int k = 0; k < layout.columns.size(); ++k) {
        const ReportColumn& column = m_data.columns.at(layout.columns.at(k));
        layout.captionLines << wrapped(column.caption, f.caption, &device, layout.widths.at(k) - 2 * padding);
    }
    for (const QStringList& row : m_data.rows) {
        QList<QStringList> cells;
        for (int k = 0; k < layout.columns.size(); ++k)
            cells << wrapped(row.at(layout.columns.at(k)), f.body, &device,
                             layout.widths.at(k) - 2 * padding);
        layout.cellLines << cells;
    }

    // Pages: the body lies between the headings and the foot; each row
    // takes its lines and the padding round them.
    int captionLineCount = 1;
    for (const QStringList& lines : layout.captionLines)
        captionLineCount = std::max(captionLineCount, int(lines.size()));
    const qreal top = QFontMetricsF(f.title, &device).height() + points(device, GapPt)
        + captionLineCount * caption.height() + 2 * padding;
    const qreal bottom = QFontMetricsF(f.footer, &device).height() + 2 * points(device, GapPt);
    const qreal lineHeight = body.height();
    const qreal bodyHeight = pageRect.height() - top - bottom;
    const auto linesIn = [&](qreal room) { return std::max(0, int((room - 2 * padding) / lineHeight)); };
    const int linesPerPage = std::max(1, linesIn(bodyHeight));

    Page page;
    qreal room = bodyHeight;
    const auto nextPage = [&] {
        layout.pages << page;
        page.clear();
        room = bodyHeight;
    };
    for (int r = 0; r < layout.cellLines.size(); ++r) {
        int rowLines = 1;
        for (const QStringList& lines : layout.cellLines.at(r))
            rowLines = std::max(rowLines, int(lines.size()));
        // A row that fits a page is not split; a taller one goes on over the next pages.
        if (rowLines > linesIn(room) && rowLines <= linesPerPage && !page.isEmpty())
            nextPage();
        int first = 0;
        while (first < rowLines) {
            if (linesIn(room) == 0)
                nextPage();
            const int count = std::min(rowLines - first, std::max(1, linesIn(room)));
            page << Slice{r, first, count};
            first += count;
            room -= count * lineHeight + 2 * padding;
        }
    }
    layout.pages << page; // the last page, or the only one of an empty report
    return layout;
}

int ReportRenderer::render(QPrinter& printer) const
{
    QPainter painter;
    if (!painter.begin(&printer))
        return 0;
    const QRectF pageRect =
        printer.pageLayout()
            .paintRectPixels(printer.resolution())
            .translated(-printer.pageLayout().paintRectPixels(printer.resolution()).topLeft());
    const Layout layout = layOut(printer, pageRect);
    for (int i = 0; i < layout.pages.size(); ++i) {
        if (i > 0)
            printer.newPage();
        paintPage(painter, pageRect, layout, i);
    }
    painter.end();
    return int(layout.pages.size());
}

void ReportRenderer::paintPage(QPainter& painter, const QRectF& pageRect, const Layout& layout,
                               int pageIndex) const
{
    QPaintDevice& device = *painter.device();
    const Fonts f = fonts();
    const qreal padding = points(device, CellPaddingPt);
    const qreal gap = points(device, GapPt);
    const qreal thin = std::max<qreal>(1.0, points(device, 0.5));

    // Title
    painter.setFont(f.title);
    const qreal titleHeight = QFontMetricsF(f.title, &device).height();
    painter.setPen(Qt::black);
    painter.drawText(QRectF(pageRect.left(), pageRect.top(), pageRect.width(), titleHeight),
                     Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine,
                     QFontMetricsF(f.title, &device).elidedText(m_title, Qt::ElideRight, pageRect.width()));
    qreal y = pageRect.top() + titleHeight + gap;

    // Column headings
    painter.setFont(f.caption);
    const qreal captionLine = QFontMetricsF(f.caption, &device).height();
    int captionLineCount = 1;
    for (const QStringList& lines : layout.captionLines)
        captionLineCount = std::max(captionLineCount, int(lines.size()));
    const qreal captionHeight = captionLineCount * captionLine + 2 * padding;
    painter.fillRect(QRectF(pageRect.left(), y, pageRect.width(), captionHeight), QColor(0xe4, 0xe8, 0xee));
    qreal x = pageRect.left();
    for (int k = 0; k < layout.columns.size(); ++k) {
        const bool numeric = m_data.columns.at(layout.columns.at(k)).numeric;
        const QStringList& lines = layout.captionLines.at(k);
        for (int l = 0; l < lines.size(); ++l) {
            painter.drawText(QRectF(x + padding, y + padding + l * captionLine,
                                    layout.widths.at(k) - 2 * padding, captionLine),
                             (numeric ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter
                                 | Qt::TextSingleLine,
                             lines.at(l));
        }
        x += layout.widths.at(k);
    }
    y += captionHeight;
    painter.fillRect(QRectF(pageRect.left(), y - thin, pageRect.width(), thin), Qt::black);

    // Rows
    painter.setFont(f.body);
    const qreal lineHeight = QFontMetricsF(f.body, &device).height();
    const Page& page = layout.pages.at(pageIndex);
    if (m_data.rows.isEmpty()) {
        painter.drawText(QRectF(pageRect.left(), y + padding, pageRect.width(), lineHeight),
                         Qt::AlignHCenter | Qt::TextSingleLine, QStringLiteral("No records to print."));
    }
    for (const Slice& slice : page) {
        const qreal height = slice.lineCount * lineHeight + 2 * padding;
        if (slice.row % 2 == 1)
            painter.fillRect(QRectF(pageRect.left(), y, pageRect.width(), height), QColor(0xf4, 0xf5, 0xf7));
        x = pageRect.left();
        for (int k = 0; k < layout.columns.size(); ++k) {
            const bool numeric = m_data.columns.at(layout.columns.at(k)).numeric;
            const QStringList& lines = layout.cellLines.at(slice.row).at(k);
            for (int l = slice.firstLine;
                 l < std::min<int>(slice.firstLine + slice.lineCount, int(lines.size())); ++l) {
                painter.drawText(QRectF(x + padding, y + padding + (l - slice.firstLine) * lineHeight,
                                        layout.widths.at(k) - 2 * padding, lineHeight),
                                 (numeric ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter
                                     | Qt::TextSingleLine,
                                 lines.at(l));
            }
            x += layout.widths.at(k);
        }
        y += height;
    }

    // Foot: the date and the page number
    painter.setFont(f.footer);
    const qreal footHeight = QFontMetricsF(f.footer, &device).height();
    const QRectF foot(pageRect.left(), pageRect.bottom() - footHeight, pageRect.width(), footHeight);
    painter.fillRect(QRectF(pageRect.left(), foot.top() - thin * 2, pageRect.width(), thin), Qt::gray);
    painter.drawText(foot, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    painter.drawText(foot, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine,
                     QStringLiteral("Page %1 of %2").arg(pageIndex + 1).arg(layout.pages.size()));
}

} // namespace corvane::reports
