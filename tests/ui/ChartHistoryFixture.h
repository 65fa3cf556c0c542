#pragma once

#include "core/data/Dataset.h"
#include "core/datamodule/DM1.h"

#include <QDate>
#include <QStringList>

#include <algorithm>

namespace corvane::test {

// A month of daily ranks of project Bakery: four URLs (one with an ampersand)
// for four terms on three engines that disagree, with the day-to-day moves
// Harvester would store for the last day, two saved charts over them and the
// engines' points in SE3.
inline void addRankHistory(TDM1& dm, QDate lastDay, int days = 30)
{
    const QStringList urls{QStringLiteral("Home"), QStringLiteral("Competitor A"),
                           QStringLiteral("Crumb & Co"), QStringLiteral("Competitor B")};
    const QStringList terms{QStringLiteral("sourdough bread"), QStringLiteral("rye bread"),
                            QStringLiteral("croissant"), QStringLiteral("wedding cake")};
    const QStringList engines{QStringLiteral("Demo Engine 1"), QStringLiteral("Demo Engine 2"),
                              QStringLiteral("Demo Engine 3")};
    const auto position = [](int u, int t, int e, int day) {
        // each engine has its own view, and positions wander over the month
        const int base = 2 + (u * 7 + t * 3 + e * 5) % 17;
        const int wave = ((day * (u + 2) + e * 3 + t) % 9) - 4;
        return std::max(1, base + wave);
    };
    Table& rank = dm.RankTable;
    rank.open();
    for (int d = 0; d < days; ++d) {
        const QDate day = lastDay.addDays(d - days + 1);
        for (int u = 0; u < urls.size(); ++u)
            for (int t = 0; t < terms.size(); ++t)
                for (int e = 0; e < engines.size(); ++e) {
                    if ((d + u + t * 2 + e) % 11 == 0)
                        continue; // not found that day
                    rank.append();
                    rank.setValue(QStringLiteral("Project"), QStringLiteral("Bakery"));
                    rank.setValue(QStringLiteral("SearchEngine"), engines[e]);
                    rank.setValue(QStringLiteral("SearchTerm"), terms[t]);
                    rank.setValue(QStringLiteral("URL"), urls[u]);
                    const int p = position(u, t, e, d);
                    rank.setValue(QStringLiteral("Rank"), p);
                    rank.setValue(QStringLiteral("Page"), (p + 9) / 10);
                    rank.setValue(QStringLiteral("xDate"), day);
                    rank.post();
                }
    }
    Table& hilo = dm.HiLoTable;
    hilo.open();
    for (int u = 0; u < urls.size(); ++u)
        for (int t = 0; t < terms.size(); ++t) {
            const int today = position(u, t, 0, days - 1);
            const int yesterday = position(u, t, 0, days - 2);
            hilo.append();
            hilo.setValue(QStringLiteral("Project"), QStringLiteral("Bakery"));
            hilo.setValue(QStringLiteral("xDate"), lastDay);
            hilo.setValue(QStringLiteral("SearchEngine"), engines[0]);
            hilo.setValue(QStringLiteral("URL"), urls[u]);
            hilo.setValue(QStringLiteral("SearchTerm"), terms[t]);
            hilo.setValue(QStringLiteral("AltYesterday"), yesterday);
            hilo.setValue(QStringLiteral("AltToday"), today);
            hilo.setValue(QStringLiteral("Difference"), yesterday - today);
            hilo.post();
        }
    Table& charts = dm.SQLTeeTable;
    charts.open();
    const auto saved = [&](const QString& name, const QString& order, const QStringList& series,
                           const QString& select1, const QString& select2) {
        charts.append();
        charts.setValue(QStringLiteral("Project"), QStringLiteral("Bakery"));
        charts.setValue(QStringLiteral("File"), name);
        charts.setValue(QStringLiteral("PopOrder"), order);
        charts.setValue(QStringLiteral("ForEach"), series.join(QLatin1Char('\n')));
        charts.setValue(QStringLiteral("Select1"), select1);
        charts.setValue(QStringLiteral("Select2"), select2);
        charts.setValue(QStringLiteral("DateType"), QStringLiteral("D"));
        charts.setValue(QStringLiteral("DateStart"), lastDay.addDays(-13));
        charts.setValue(QStringLiteral("DateEnd"), lastDay);
        charts.setValue(QStringLiteral("FillDates"), true);
        charts.setValue(QStringLiteral("ShowNoValue"), true);
        charts.setValue(QStringLiteral("Title"), name);
        charts.post();
    };
    saved(QStringLiteral("Sourdough bread: all sites on Demo Engine 1"), QStringLiteral("UTS"), urls,
          terms[0], engines[0]);
    saved(QStringLiteral("Home on every engine"), QStringLiteral("SUT"), engines, urls[0], terms[1]);
    Table& se3 = dm.SE3Table;
    se3.open();
    for (int e = 0; e < engines.size(); ++e) {
        if (se3.locate({QStringLiteral("Name")}, {engines[e]})) {
            se3.edit();
        } else {
            se3.append();
            se3.setValue(QStringLiteral("Name"), engines[e]);
        }
        se3.setValue(QStringLiteral("Popularity"), 100 - 30 * e);
        se3.post();
    }
}

} // namespace corvane::test
