#include "core/export/ExportDateSettings.h"

#include <QStringList>

#include <algorithm>

namespace corvane {

ExportDateSettings ExportDateSettings::fromShortDateFormat(const QString& format)
{
    ExportDateSettings settings;
    const auto separator =
        std::find_if(format.cbegin(), format.cend(), [](QChar c) { return !c.isLetter(); });
    if (separator != format.cend())
        settings.separator = *separator;
    settings.fourDigitYear = format.contains(QLatin1String("yyyy"), Qt::CaseInsensitive);

    const QString lower = format.toLower();
    QString order = QStringLiteral("MDY");
    std::stable_sort(order.begin(), order.end(), [&lower](QChar a, QChar b) {
        const auto at = [&lower](QChar letter) {
            const qsizetype i = lower.indexOf(letter.toLower());
            return i < 0 ? lower.size() : i;
        };
        return at(a) < at(b);
    });
    settings.order = order;
    settings.leadingZeroDay = lower.contains(QLatin1String("dd"));
    settings.leadingZeroMonth = lower.contains(QLatin1String("mm"));
    return settings;
}

QString ExportDateSettings::format(const QDate& date) const
{
    if (!date.isValid())
        return {};
    QStringList parts;
    for (QChar letter : order) {
        if (letter == QLatin1Char('D'))
            parts << QString::number(date.day()).rightJustified(leadingZeroDay ? 2 : 1, QLatin1Char('0'));
        else if (letter == QLatin1Char('M'))
            parts << QString::number(date.month()).rightJustified(leadingZeroMonth ? 2 : 1, QLatin1Char('0'));
        else if (fourDigitYear)
            parts << QString::number(date.year()).rightJustified(4, QLatin1Char('0'));
        else
            parts << QString::number(date.year() % 100).rightJustified(2, QLatin1Char('0'));
    }
    return parts.join(separator);
}

QString ExportDateSettings::spreadsheetFormat() const
{
    QStringList parts;
    for (QChar letter : order) {
        if (letter == QLatin1Char('D'))
            parts << (leadingZeroDay ? QStringLiteral("dd") : QStringLiteral("d"));
        else if (letter == QLatin1Char('M'))
            parts << (leadingZeroMonth ? QStringLiteral("mm") : QStringLiteral("m"));
        else
            parts << (fourDigitYear ? QStringLiteral("yyyy") : QStringLiteral("yy"));
    }
    return parts.join(separator);
}

} // namespace corvane
