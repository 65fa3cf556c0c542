#pragma once

#include <QString>
#include <QStringList>

namespace corvane::DashboardQueries {

// The statements behind the project dashboard, in the program's SQL dialect.
// `date` is the project's last-run day as "yyyy-mm-dd"; values are quoted
// with SqlQuote, so any project, engine or term text is safe.

// The engines of the Top 10 charts with their popularity, best first.
QString topEngines(const QString& project, const QString& date);
// One Top 10 chart: the key URL's best rank per term on one engine.
QString topSlot(const QString& project, const QString& engine, const QString& date);
// The slot's part of the Top 10 report; slot 0's piece selects into CVReportTemp.
QString topReportPiece(int slot, const QString& project, const QString& engine, const QString& date);
// The ten pieces joined into the Top 10 report statement.
QString topReport(const QStringList& pieces);

// The three lists; with intoReport the rows go into CVReportTemp.
QString firstPage(const QString& project, bool intoReport = false);
QString newArrivals(const QString& project, const QString& date, bool intoReport = false);
QString saturation(const QString& project, bool intoReport = false);

// The session page's two kinds of notes, and their report statement.
QString scriptUpdatesCondition();
QString optimizationNotesCondition(const QString& project);
QString notes(const QString& condition);
QString notesReport(const QString& condition);

// "1 - Engine (12 points)"; "1 - No data" for a slot without an engine.
QString chartTitle(int slot, const QString& engine, int points);

} // namespace corvane::DashboardQueries
