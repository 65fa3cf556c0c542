#pragma once

#include "core/data/FieldCodec.h"
#include "core/datamodule/DM1.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace corvane::test {

// Writes a project with what a mining session leaves behind: engines with
// their popularity, the key URL's Top 10 rows per engine, the first page,
// new arrivals and saturation lists and the session notes. The data module's
// databases must be open.
inline void addMinedProject(TDM1& dm, const QString& project, QDate lastRun, int engineCount = 4,
                            const QString& keyUrl = QStringLiteral("Home"))
{
    const QStringList terms{
        QStringLiteral("sourdough bread"),   QStringLiteral("rye bread"),  QStringLiteral("bakery"),
        QStringLiteral("croissant"),         QStringLiteral("bagels"),     QStringLiteral("wedding cake"),
        QStringLiteral("gluten free bread"), QStringLiteral("pastry shop")};
    dm.GroupTable.open();
    dm.GroupTable.append();
    dm.GroupTable.setValue(QStringLiteral("Name"), project);
    dm.GroupTable.setValue(QStringLiteral("Depth"), 50);
    dm.GroupTable.setValue(QStringLiteral("KeyURL"), keyUrl);
    dm.GroupTable.setValue(QStringLiteral("LastRun"),
                           FieldCodec::toDayCount(QDateTime(lastRun, QTime(6, 30))));
    dm.GroupTable.post();

    const auto summary = [&](const char* type, const QString& engine, const QString& term, int rank) {
        dm.SummaryTable.open();
        dm.SummaryTable.append();
        dm.SummaryTable.setValue(QStringLiteral("Project"), project);
        dm.SummaryTable.setValue(QStringLiteral("xDate"), lastRun);
        dm.SummaryTable.setValue(QStringLiteral("Type"), QLatin1String(type));
        dm.SummaryTable.setValue(QStringLiteral("SearchEngine"), engine);
        dm.SummaryTable.setValue(QStringLiteral("SearchTerm"), term);
        dm.SummaryTable.setValue(QStringLiteral("URL"), keyUrl);
        dm.SummaryTable.setValue(QStringLiteral("Rank"), rank);
        dm.SummaryTable.setValue(QStringLiteral("Page"), (rank + 9) / 10);
        dm.SummaryTable.post();
    };
    for (int e = 0; e < engineCount; ++e) {
        const QString engine = QStringLiteral("Demo Engine %1").arg(e + 1);
        dm.CVSE3Table.open();
        dm.CVSE3Table.append();
        dm.CVSE3Table.setValue(QStringLiteral("Name"), engine);
        dm.CVSE3Table.setValue(QStringLiteral("Project"), project);
        dm.CVSE3Table.setValue(QStringLiteral("Popularity"), 90 - 7 * e);
        dm.CVSE3Table.post();
        int found = 0;
        for (int t = 0; t < terms.size(); ++t) {
            const int rank = 1 + (t * 7 + e * 5) % 40;
            if ((t + e) % 5 == 4)
                continue; // not found for this term
            ++found;
            summary("TopSE", engine, terms.at(t), rank);
            dm.RankTable.open();
            dm.RankTable.append();
            dm.RankTable.setValue(QStringLiteral("Project"), project);
            dm.RankTable.setValue(QStringLiteral("SearchEngine"), engine);
            dm.RankTable.setValue(QStringLiteral("SearchTerm"), terms.at(t));
            dm.RankTable.setValue(QStringLiteral("URL"), keyUrl);
            dm.RankTable.setValue(QStringLiteral("Rank"), rank);
            dm.RankTable.setValue(QStringLiteral("Page"), (rank + 9) / 10);
            dm.RankTable.setValue(QStringLiteral("xDate"), lastRun);
            dm.RankTable.post();
            if (rank <= 10)
                summary("PR1", engine, terms.at(t), rank);
            if ((t + e) % 3 == 0)
                summary("New", engine, terms.at(t), rank);
        }
        summary("SAT", engine, QString(), found);
    }

    const auto note = [&](const QString& noteProject, const char* subject, const QString& content) {
        dm.NotableTable.open();
        dm.NotableTable.append();
        dm.NotableTable.setValue(QStringLiteral("Project"), noteProject);
        dm.NotableTable.setValue(QStringLiteral("xDate"), lastRun);
        dm.NotableTable.setValue(QStringLiteral("Subject"), QLatin1String(subject));
        dm.NotableTable.setValue(QStringLiteral("Content"), content);
        dm.NotableTable.post();
    };
    note(QString(), "Script update", QStringLiteral("Demo Engine 1: result markers updated"));
    note(project, "Optimization",
         QStringLiteral("Project: ") + project
             + QStringLiteral(
                 "\nSearch Terms:\nartisan loaf\nURLs:\nCompetitor B\nSearch Engines:\nDemo Engine 4"));
}

} // namespace corvane::test
