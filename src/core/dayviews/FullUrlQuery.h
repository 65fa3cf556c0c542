#pragma once

#include "core/data/FieldDefs.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace corvane {

class Database;
class Query;

// The Full URL view's statement: the ranking hits of one project and day with
// the found link, limited by the checked terms, engines and URLs and ordered
// by the grouping order.
namespace FullUrlQuery {

// "Full Path", "Search Engine", "Search Term", "URL", "Rank", "Page".
QStringList defaultGrouping();
// The column of a grouping entry ("Full Path" gives MemoFoundLink); empty for
// an unknown entry.
QString groupingColumn(const QString& entry);

struct Selection
{
    QStringList terms;
    QStringList engines;
    QStringList urls;
    QStringList grouping = defaultGrouping();
};

// The statement over CVRank: the checked items as parenthesised OR groups,
// terms, engines and URLs in that order, joined by AND; the grouping as the
// order.
QString statement(const Selection& selection);
// The project and day as a filter expression over the result.
QString filter(const QString& project, const QDate& day);
// The statement that runs: the filter's conditions go into the WHERE part, so
// the engine reads only the project's day through its index.
QString runnableStatement(const Selection& selection, const QString& project, const QDate& day);

// The columns of CVReportTemp the view's report reads.
QList<FieldDef> reportFields();
// Creates CVReportTemp afresh and copies every row of the open result into
// it; the cursor is put back on the first row.
void copyToReport(Database& database, Query& result);

} // namespace FullUrlQuery
} // namespace corvane
