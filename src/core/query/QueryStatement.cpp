#include "core/query/QueryStatement.h"

#include "core/data/SqlQuote.h"

#include <stdexcept>

namespace corvane::QueryStatement {

namespace {

const QChar DoubleQuote = QLatin1Char('"');

QString ending(Joiner joiner)
{
    switch (joiner) {
    case Joiner::And: return QStringLiteral(" \r\nAND ");
    case Joiner::Or: return QStringLiteral(" \r\nOR ");
    case Joiner::End: break;
    }
    return QStringLiteral(" \r\n");
}

QString fieldList(const QStringList& fields)
{
    QStringList written;
    for (const QString& field : fields)
        written << (field.compare(QLatin1String("FoundLink"), Qt::CaseInsensitive) == 0
                        ? QStringLiteral("FoundLink AS MemoFoundLink")
                        : field);
    return written.join(QLatin1String(", "));
}

QString build(const Choice& choice, bool intoReportTable)
{
    QString sql = QStringLiteral("SELECT ");
    if (choice.fields.isEmpty())
        sql += intoReportTable ? QStringLiteral("URL, SearchEngine, SearchTerm, Rank, Page, xDate, Project, "
                                                "FoundLink AS MemoFoundLink ")
                               : QStringLiteral("* ");
    else
        sql += fieldList(choice.fields) + QLatin1Char(' ');
    if (intoReportTable)
        sql += QStringLiteral("INTO \"CVReportTemp\" ");
    sql += QStringLiteral("FROM CvRank ");
    sql += QStringLiteral("WHERE (Project = ") + SqlQuote::quoted(choice.project, DoubleQuote)
        + QStringLiteral(") ");
    const QString conditions = choice.conditions.trimmed();
    if (!conditions.isEmpty())
        sql += QStringLiteral("AND (") + conditions + QStringLiteral(") ");
    // The direction follows every sort field: after the last one alone it
    // would sort only that field the chosen way and the others ascending.
    if (!choice.orderBy.isEmpty()) {
        const QString direction = choice.ascending ? QStringLiteral(" ASC") : QStringLiteral(" DESC");
        sql +=
            QStringLiteral("ORDER BY ") + choice.orderBy.join(direction + QStringLiteral(", ")) + direction;
    }
    return sql;
}

} // namespace

const QStringList& operators()
{
    static const QStringList list{QStringLiteral("="), QStringLiteral("<>"), QStringLiteral(">"),
                                  QStringLiteral("<"), QStringLiteral(">="), QStringLiteral("<=")};
    return list;
}

const QStringList& rankFields()
{
    static const QStringList list{QStringLiteral("SearchEngine"), QStringLiteral("SearchTerm"),
                                  QStringLiteral("URL"),          QStringLiteral("Rank"),
                                  QStringLiteral("Page"),         QStringLiteral("xDate"),
                                  QStringLiteral("FoundLink")};
    return list;
}

QString conditionPiece(ConditionLine line, const ConditionValue& value, Joiner joiner)
{
    const bool usesOperator = line != ConditionLine::DateBetween && line != ConditionLine::FromCurrentDate;
    if (usesOperator && !operators().contains(value.op))
        throw std::invalid_argument("unknown condition operator");
    const QString op = QLatin1Char(' ') + value.op + QLatin1Char(' ');
    QString piece;
    switch (line) {
    case ConditionLine::Url:
        piece = QStringLiteral("URL") + op + SqlQuote::quoted(value.text, DoubleQuote);
        break;
    case ConditionLine::SearchEngine:
        piece = QStringLiteral("SearchEngine") + op + SqlQuote::quoted(value.text, DoubleQuote);
        break;
    case ConditionLine::SearchTerm:
        piece = QStringLiteral("SearchTerm") + op + SqlQuote::quoted(value.text, DoubleQuote);
        break;
    case ConditionLine::Rank: piece = QStringLiteral("Rank") + op + QString::number(value.number); break;
    case ConditionLine::Page: piece = QStringLiteral("Page") + op + QString::number(value.number); break;
    case ConditionLine::Date:
        piece = QStringLiteral("xDate") + op + SqlQuote::date(value.first, DoubleQuote);
        break;
    case ConditionLine::DateBetween:
        piece = QStringLiteral("xDate BETWEEN ") + SqlQuote::date(value.first, DoubleQuote)
            + QStringLiteral(" AND ") + SqlQuote::date(value.second, DoubleQuote);
        break;
    case ConditionLine::FromCurrentDate:
        piece = QStringLiteral("xDate >= CURRENT_DATE - ") + QString::number(value.number);
        break;
    }
    return piece + ending(joiner);
}

QString shownSql(const Choice& choice) { return build(choice, false); }
QString exportSql(const Choice& choice) { return build(choice, true); }

QString limited(const QString& sql) { return sql + QStringLiteral(" TOP 3000"); }

QString limitQuestion(qint64 count)
{
    return QStringLiteral("<P align=\"center\">") + QString::number(count)
        + QStringLiteral(
               " records in results.<BR>Updating the query may be time consuming.<BR>Do you wish to "
               "limit the results to 3,000 records?</P>");
}

} // namespace corvane::QueryStatement
