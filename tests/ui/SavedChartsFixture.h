#pragma once

#include "core/data/Dataset.h"
#include "core/data/TableDatabase.h"

#include <QDate>

namespace corvane::test {

// Ranks of two URLs of project Bakery for the term "bread" on the engine
// "Demo" over three days, and two saved charts over them.
inline void saveTwoCharts(const QString& dataFolder)
{
    Session session(QStringLiteral("Fill"));
    Database database(QStringLiteral("Fill"), &session);
    database.setDirectory(dataFolder);
    database.connect();
    Table rank(&database, QStringLiteral("CVRank"));
    rank.open();
    const struct
    {
        const char* url;
        int day;
        int position;
    } ranks[] = {{"Home", 1, 4}, {"Home", 2, 3}, {"Home", 3, 1}, {"Shop", 1, 9}, {"Shop", 3, 7}};
    for (const auto& r : ranks) {
        rank.append();
        rank.setValue(QStringLiteral("Project"), QStringLiteral("Bakery"));
        rank.setValue(QStringLiteral("SearchEngine"), QStringLiteral("Demo"));
        rank.setValue(QStringLiteral("SearchTerm"), QStringLiteral("bread"));
        rank.setValue(QStringLiteral("URL"), QLatin1String(r.url));
        rank.setValue(QStringLiteral("Rank"), r.position);
        rank.setValue(QStringLiteral("xDate"), QDate(2026, 11, r.day));
        rank.post();
    }
    Table charts(&database, QStringLiteral("CVSQLTee"));
    charts.open();
    const struct
    {
        const char* file;
        const char* series;
    } saved[] = {{"Bread positions", "Home\nShop"}, {"Top10", "Home"}, {"Home only", "Home"}};
    for (const auto& c : saved) {
        charts.append();
        charts.setValue(QStringLiteral("Project"), QStringLiteral("Bakery"));
        charts.setValue(QStringLiteral("File"), QLatin1String(c.file));
        charts.setValue(QStringLiteral("PopOrder"), QStringLiteral("UTS"));
        charts.setValue(QStringLiteral("ForEach"), QLatin1String(c.series));
        charts.setValue(QStringLiteral("Select1"), QStringLiteral("bread"));
        charts.setValue(QStringLiteral("Select2"), QStringLiteral("Demo"));
        charts.setValue(QStringLiteral("DateType"), QStringLiteral("D"));
        charts.setValue(QStringLiteral("DateStart"), QDate(2026, 11, 1));
        charts.setValue(QStringLiteral("DateEnd"), QDate(2026, 11, 3));
        charts.setValue(QStringLiteral("FillDates"), true);
        charts.setValue(QStringLiteral("ShowNoValue"), false);
        charts.post();
    }
}

} // namespace corvane::test
