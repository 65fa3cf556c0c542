#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <array>

namespace corvane {

// One row of the Duvuda Duvedozo grid: six cells as the grid shows them
// (Date, Rank, Page as text; URL, Search Term and Search Engine as HTML) and
// the day of the run, which the date cell shows in the short date format.
struct DuvudaResultRow
{
    enum Column { Date, Rank, Page, URL, SearchTerm, SearchEngine, ColumnCount };

    QDate date; // invalid for the blank row
    std::array<QString, ColumnCount> cells;

    bool isBlank() const { return !date.isValid(); }
    bool operator==(const DuvudaResultRow&) const = default;

    static const QStringList& headers();
};

// A hit of a run with everything its row shows.
struct DuvudaHit
{
    QDate day;
    int rank = 0;
    int page = 0;
    QString url;        // as typed
    QString term;       // as typed
    QString requestUrl; // the page that held the hit
    QString engineName;
    QString engineHomePage;
};

namespace DuvudaCells {

// <a href="address">text</a>, with the text and the address HTML-escaped.
QString anchor(const QString& address, const QString& text);

// <!--text--> with the text HTML-escaped, so a text holding "-->" cannot end it.
QString comment(const QString& text);

// The address of the URL cell: "http://" in front unless the URL already
// names http:// or https:// (without regard to case).
QString urlAddress(const QString& url);

// The grid row of a hit; the date in the locale's short date format.
DuvudaResultRow makeRow(const DuvudaHit& hit, const QLocale& locale = QLocale());

// A row read from a file, its cells made again from the texts and links they
// show: whatever markup a file holds, only the grid's own reaches the grid,
// its copies and its exports. A row the program wrote comes back unchanged.
DuvudaResultRow rebuiltRow(const DuvudaResultRow& stored);

} // namespace DuvudaCells
} // namespace corvane
