#pragma once

#include <QChar>
#include <QDate>
#include <QString>

namespace corvane {

// The one way values enter SQL and filter text: the value between the given
// quote character, with that character doubled inside it. A term such as
//   O'Reilly "books"
// becomes 'O''Reilly "books"' with single quotes and "O'Reilly ""books""" with
// double quotes; the dialect translator reads both back as the same literal.
namespace SqlQuote {

QString quoted(const QString& value, QChar quote = QLatin1Char('\''));

// 'yyyy-mm-dd'
QString date(const QDate& day, QChar quote = QLatin1Char('\''));

} // namespace SqlQuote
} // namespace corvane
