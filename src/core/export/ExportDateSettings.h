#pragma once

#include <QChar>
#include <QDate>
#include <QString>

namespace corvane {

// How an export writes dates: the separator, two- or four-digit years, the
// order of day, month and year, and whether day and month get a leading zero.
struct ExportDateSettings
{
    QChar separator = QLatin1Char('/');
    bool fourDigitYear = true;
    QString order = QStringLiteral("MDY"); // the letters D, M and Y in writing order
    bool leadingZeroDay = true;
    bool leadingZeroMonth = true;

    // The settings a short date format asks for: the separator is its first
    // character that is not a letter, years have four digits when it holds
    // "yyyy", and the order is that of the first "d", "m" and "y" in it
    // (without regard to case). Letters it lacks follow in the order M, D, Y.
    static ExportDateSettings fromShortDateFormat(const QString& format);

    QString format(const QDate& date) const;

    // The same date pattern in the number-format codes of spreadsheets
    // ("mm/dd/yyyy").
    QString spreadsheetFormat() const;
};

} // namespace corvane
