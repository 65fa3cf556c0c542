#pragma once

#include "core/charts/ChartData.h"
#include "core/print/PrintPages.h"

#include <QDate>
#include <QList>
#include <QString>

namespace corvane {

class Database;

// The changes Harvester stored in CVHilo for one project, engine and day,
// numbered in the order the window shows them.
namespace GainsLosses {

struct Row
{
    QString url;
    QString searchTerm;
    int altYesterday = 0; // position in the earlier session
    int altToday = 0;     // position in this session
    int difference = 0;   // as Harvester stored it
    int inc = 0;          // place in the displayed order, from 0
};

// Reads the day's rows ordered by URL and then search term without regard to
// letter case, and writes each row's place into its Inc column.
QList<Row> load(Database& general, const QString& project, const QString& engine, QDate day);

// The caption of a bar: URL, "->", term, then "\r(New: today ~ Old: yesterday)".
QString caption(const Row& row);

// One horizontal bar per row: length Difference, the caption as label.
ChartData chartData(const QList<Row>& rows, QDate day, const QString& engine);

// The two title lines: "Gain/Loss for " and the date, then the engine.
QStringList titleLines(QDate day, const QString& engine);

PrintPages::GainsAndLossesPage printPage(const QList<Row>& rows, QDate day, const QStringList& titleLines);

QString introduction();

} // namespace GainsLosses

} // namespace corvane
