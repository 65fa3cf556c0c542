#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace corvane {

// The statement the query builder makes from the user's choices, in the
// program's SQL dialect, and the condition pieces its "Where" step appends.
// Every value goes in through SqlQuote.
namespace QueryStatement {

// The lines of the "Where" step.
enum class ConditionLine { Url, SearchEngine, SearchTerm, Rank, Page, Date, DateBetween, FromCurrentDate };
// The three parts of a line's button.
enum class Joiner { And, Or, End };

// "=", "<>", ">", "<", ">=", "<=".
const QStringList& operators();

// The CVRank fields the builder offers: every field except Project.
const QStringList& rankFields();

// One piece of condition text: the line's condition, a blank, CR LF and then
// "AND ", "OR " or nothing. Text lines take `text`, Rank and Page `number`,
// Date `first`, Date Between `first` and `second`, From Current Date
// `number` days. Throws std::invalid_argument for an operator not in operators().
struct ConditionValue
{
    QString op = QStringLiteral("=");
    QString text;
    int number = 0;
    QDate first;
    QDate second;
};
QString conditionPiece(ConditionLine line, const ConditionValue& value, Joiner joiner);

// What the user chose in the builder.
struct Choice
{
    QString project;
    QStringList fields;  // in the order shown; empty: every field
    QString conditions;  // the condition text as the memo holds it
    QStringList orderBy; // sort fields, in order
    bool ascending = true;
};

// The statement shown, run and stored.
QString shownSql(const Choice& choice);
// The same statement copying its rows into the report table CVReportTemp.
QString exportSql(const Choice& choice);

// The statement limited to its first 3000 rows.
QString limited(const QString& sql);

// More rows than this bring the question whether to limit the result.
inline constexpr int QuestionRows = 3000;
// Up to this many rows the grid sizes its columns and sorts on a click.
inline constexpr int SizedRows = 1000;

inline bool asksToLimit(qint64 count) { return count > QuestionRows; }
inline bool sizesColumns(qint64 count) { return count <= SizedRows; }

// The question asked when a result holds more than 3000 rows.
QString limitQuestion(qint64 count);

} // namespace QueryStatement
} // namespace corvane
