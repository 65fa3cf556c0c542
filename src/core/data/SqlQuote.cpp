#include "core/data/SqlQuote.h"

namespace corvane::SqlQuote {

QString quoted(const QString& value, QChar quote)
{
    QString result;
    result.reserve(value.size() + 2);
    result += quote;
    for (const QChar c : value) {
        result += c;
        if (c == quote)
            result += quote;
    }
    result += quote;
    return result;
}

QString date(const QDate& day, QChar quote)
{
    return quoted(day.toString(QStringLiteral("yyyy-MM-dd")), quote);
}

} // namespace corvane::SqlQuote
