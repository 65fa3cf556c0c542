#pragma once

#include "core/reports/ReportData.h"
#include "core/reports/ReportStyle.h"

#include <QFont>
#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPagedPaintDevice;
class QPainter;
class QPrinter;

namespace corvane::reports {

// Lays out and paints a report from the report table onto a printer: the
// title on every page, the column headings under it, the rows with numbers
// right-aligned and long texts wrapped inside their column, and "Page n of m"
// at the foot. Columns that fit keep their natural width; wider ones share
// what is left and wrap. A row taller than a page goes on over the next.
class ReportRenderer
{
public:
    ReportRenderer(ReportData data, ReportStyle style, QString title);

    // Sets the printer's orientation from the style.
    void setUpPrinter(QPrinter& printer) const;

    // Paints every page onto the printer; returns the number of pages.
    int render(QPrinter& printer) const;

    // A stretch of one row on one page: the lines from firstLine on.
    struct Slice
    {
        int row = 0;
        int firstLine = 0;
        int lineCount = 0;
    };
    using Page = QList<Slice>;

    // The layout alone, for a page of the given size on the device.
    struct Layout
    {
        QList<int> columns;                  // indexes of the printed columns
        QList<qreal> widths;                 // their widths, in device pixels
        QList<QStringList> captionLines;     // each printed column's heading, wrapped
        QList<QList<QStringList>> cellLines; // per row, per printed column: wrapped lines
        QList<Page> pages;
    };
    Layout layOut(QPagedPaintDevice& device, const QRectF& pageRect) const;

private:
    struct Fonts
    {
        QFont title;
        QFont caption;
        QFont body;
        QFont footer;
    };
    Fonts fonts() const;
    void paintPage(QPainter& painter, const QRectF& pageRect, const Layout& layout, int pageIndex) const;

    ReportData m_data;
    ReportStyle m_style;
    QString m_title;
};

} // namespace corvane::reports
