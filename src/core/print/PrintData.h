#pragma once

#include "core/data/Dataset.h"
#include "core/data/TableDatabase.h"
#include "core/print/PrintPages.h"

#include <QString>
#include <QStringList>
#include <QVariant>

// Reads what the windows hold open (the working table of the detail chart,
// the grid query, the Rureder Orad tables ...) into the plain data of the
// print pages. Each reader walks the dataset from its first row and puts the
// cursor back where it stood.
namespace corvane::PrintData {

// A value as the reader sees it: dates in the short date format of the
// user's locale (with non-breaking spaces), whole numbers without decimals,
// other numbers with two.
QString displayText(const QVariant& value);

// The CVProject column that says whether the kind's report shows the logo;
// empty for kinds without a logo.
QString logoFlagColumn(int kind);

// The project's logo setting for the kind's report, read from CVProject.
// A missing project or a kind without a logo gives no logo. The folder is
// left empty for the caller to fill.
PrintPages::Logo reportLogo(Database& database, const QString& project, int kind);

// Kind 1: xDate and one column per series; a missing or non-positive value
// is a day without a position.
PrintPages::DetailChartPage detailChart(Dataset& working, const QStringList& titleLines);
// Kind 3: every field of the query; the footer counts the records.
PrintPages::QueryResultPage queryResult(Dataset& grid, const QString& project);
// Kind 5: engine rows with Name, HomePage, Popularity, Notes, Country, LastUpdate.
PrintPages::EngineListPage engineList(Dataset& engines, const QString& project);
// Kinds 6 and 7: CVMix rows.
PrintPages::UrlListPage urlList(Dataset& mix, const QString& name);
PrintPages::PageDetailPage pageDetail(Dataset& mix, const QString& name);
// Kind 8: Phrase rows.
PrintPages::MergedPhrasesPage mergedPhrases(Dataset& phrases, const QString& name);
// Kind 9: CVHilo rows.
PrintPages::GainsAndLossesPage gainsAndLosses(Dataset& hilo, const QStringList& titleLines);
// Kind 10: URL and score (the Rank column of the score result).
PrintPages::ScoresPage scores(Dataset& scores, const QStringList& titleLines);

} // namespace corvane::PrintData
