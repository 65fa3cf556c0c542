#pragma once

// Sample report data for the print window's tests and the screenshot tour: a
// project with a logo, the detail chart's working table, gains and losses,
// scores, Rureder Orad tables and rank rows, and real chart pictures.
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/datamodule/DM1.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDate>
#include <QFont>
#include <QHorizontalBarSeries>
#include <QImage>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>

namespace corvane::test {

inline QString sampleText(const char* text) { return QString::fromUtf8(text); }

// A project row with the logo switched on for every report at the given position.
inline void addLogoProject(TDM1& dm, const QString& project, int logoPosition)
{
    Table projects(&dm.General, QStringLiteral("CVProject"));
    projects.open();
    projects.append();
    projects.setValue(QStringLiteral("Name"), project);
    projects.setValue(QStringLiteral("Depth"), 50);
    for (const char* flag : {"Logo_Basic_Rpt", "Logo_GandL_Rpt", "Logo_Scores_Rpt", "Logo_SEPop_Rpt"})
        projects.setValue(QLatin1String(flag), true);
    projects.setValue(QStringLiteral("Logo_Pos_Rpt"), logoPosition);
    projects.post();
}

// "Logo.bmp" in the program folder.
inline bool writeLogo(const QString& programFolder)
{
    QImage logo(220, 56, QImage::Format_RGB32);
    logo.fill(QColor(0xfd, 0xf6, 0xe3));
    QPainter painter(&logo);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0xb5, 0x89, 0x00));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRect(8, 8, 40, 40));
    painter.setPen(QColor(0x58, 0x3a, 0x00));
    QFont font = painter.font();
    font.setPixelSize(24);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(58, 0, 160, 56), Qt::AlignVCenter, QStringLiteral("Bakery Co."));
    painter.end();
    return logo.save(programFolder + QStringLiteral("Logo.bmp"), "BMP");
}

inline QImage grabChart(QChart* chart)
{
    QChartView view(chart);
    view.setRenderHint(QPainter::Antialiasing);
    view.resize(720, 400);
    return view.grab().toImage();
}

// The detail chart's working table: xDate and one rank column per series,
// with a day on which one series has no position.
inline void fillWorkingTable(TDM1& dm)
{
    dm.General.deleteTable(QStringLiteral("Merge"));
    TableDef merge = *Schema::table(QStringLiteral("Merge"));
    merge.fields << FieldDef{QStringLiteral("home"), FieldType::Integer}
                 << FieldDef{QStringLiteral("rival"), FieldType::Integer};
    dm.General.createTable(merge);
    dm.MergeTable.close();
    dm.MergeTable.open();
    const int home[] = {8, 6, 5, 5, 3, 2, 2};
    const int rival[] = {3, 3, 4, 0, 6, 7, 9};
    for (int day = 0; day < 7; ++day) {
        dm.MergeTable.append();
        dm.MergeTable.setValue(QStringLiteral("xDate"), QDate(2026, 11, 23).addDays(day));
        dm.MergeTable.setValue(QStringLiteral("home"), home[day]);
        if (rival[day] > 0)
            dm.MergeTable.setValue(QStringLiteral("rival"), rival[day]);
        dm.MergeTable.post();
    }
}

inline QImage detailChartImage()
{
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("fresh bread on Demo"));
    const int home[] = {8, 6, 5, 5, 3, 2, 2};
    const int rival[] = {3, 3, 4, 0, 6, 7, 9};
    auto* homeSeries = new QLineSeries;
    homeSeries->setName(QStringLiteral("home"));
    auto* rivalSeries = new QLineSeries;
    rivalSeries->setName(QStringLiteral("rival"));
    for (int day = 0; day < 7; ++day) {
        homeSeries->append(23 + day, home[day]);
        if (rival[day] > 0)
            rivalSeries->append(23 + day, rival[day]);
    }
    chart->addSeries(homeSeries);
    chart->addSeries(rivalSeries);
    auto* x = new QValueAxis;
    x->setTitleText(QStringLiteral("Date"));
    x->setRange(23, 29);
    x->setTickCount(7);
    x->setLabelFormat(QStringLiteral("%d Nov"));
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("Position"));
    y->setRange(1, 10);
    y->setTickCount(10);
    y->setLabelFormat(QStringLiteral("%d"));
    y->setReverse(true);
    for (QAbstractAxis* axis : {static_cast<QAbstractAxis*>(x), static_cast<QAbstractAxis*>(y)}) {
        chart->addAxis(axis, axis == x ? Qt::AlignBottom : Qt::AlignLeft);
        homeSeries->attachAxis(axis);
        rivalSeries->attachAxis(axis);
    }
    return grabChart(chart);
}

inline void fillGainsAndLosses(TDM1& dm, const QString& project)
{
    const struct
    {
        const char* url;
        const char* term;
        int before;
        int today;
    } rows[] = {{"home", "fresh bread", 3, 7}, {"home", "rye & spelt", 9, 4}, {"rival", "fresh bread", 5, 5}};
    dm.HiLoTable.open();
    int inc = 0;
    for (const auto& r : rows) {
        dm.HiLoTable.append();
        dm.HiLoTable.setValue(QStringLiteral("Project"), project);
        dm.HiLoTable.setValue(QStringLiteral("xDate"), QDate(2026, 11, 29));
        dm.HiLoTable.setValue(QStringLiteral("URL"), QLatin1String(r.url));
        dm.HiLoTable.setValue(QStringLiteral("SearchEngine"), QStringLiteral("Demo"));
        dm.HiLoTable.setValue(QStringLiteral("SearchTerm"), QLatin1String(r.term));
        dm.HiLoTable.setValue(QStringLiteral("AltYesterday"), r.before);
        dm.HiLoTable.setValue(QStringLiteral("AltToday"), r.today);
        dm.HiLoTable.setValue(QStringLiteral("Difference"), r.before - r.today);
        dm.HiLoTable.setValue(QStringLiteral("Inc"), inc++);
        dm.HiLoTable.post();
    }
}

inline QImage barChartImage(const QString& title, const QStringList& labels, const QList<qreal>& values,
                            const QString& valueTitle)
{
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->hide();
    auto* set = new QBarSet(valueTitle);
    for (qreal value : values)
        *set << value;
    auto* series = new QHorizontalBarSeries;
    series->append(set);
    series->setLabelsVisible(true);
    chart->addSeries(series);
    auto* categories = new QBarCategoryAxis;
    categories->append(labels);
    auto* valueAxis = new QValueAxis;
    valueAxis->setTitleText(valueTitle);
    valueAxis->setLabelFormat(QStringLiteral("%d"));
    valueAxis->applyNiceNumbers();
    chart->addAxis(categories, Qt::AlignLeft);
    chart->addAxis(valueAxis, Qt::AlignBottom);
    series->attachAxis(categories);
    series->attachAxis(valueAxis);
    return grabChart(chart);
}

inline void fillScores(TDM1& dm)
{
    dm.Temp2Table.open();
    dm.Temp2Table.emptyTable();
    const struct
    {
        const char* url;
        int score;
    } rows[] = {{"home", 496}, {"rival", 310}, {"blog", 42}};
    for (const auto& r : rows) {
        dm.Temp2Table.append();
        dm.Temp2Table.setValue(QStringLiteral("URL"), QLatin1String(r.url));
        dm.Temp2Table.setValue(QStringLiteral("SearchEngine"), QStringLiteral("Demo"));
        dm.Temp2Table.setValue(QStringLiteral("Rank"), r.score);
        dm.Temp2Table.post();
    }
}

inline void fillRurederOrad(TDM1& dm)
{
    dm.MixTable.open();
    const struct
    {
        const char* name;
        int count;
        const char* title;
        const char* desc;
        const char* tags;
        const char* density;
    } pages[] = {{"www.bakery.example", 3, "Fresh bread daily", "Bread, rolls & cakes baked every morning",
                  "bread\nrolls\nsourdough", "18 (4.12%)->bread\n12 (2.75%)->flour\n10 (2.29%)->oven"},
                 {"rival-bakes.example/shop", 2, "Rival Bakes <Shop>", "Order \"artisan\" loaves online",
                  "loaves\nartisan", "14 (3.5%)->loaves"},
                 {"grain.example", 1, "No Title Tag", "", "", ""}};
    for (const auto& p : pages) {
        dm.MixTable.append();
        dm.MixTable.setValue(QStringLiteral("Name"), QLatin1String(p.name));
        dm.MixTable.setValue(QStringLiteral("URLCount"), p.count);
        dm.MixTable.setValue(QStringLiteral("MetaTitle"), QLatin1String(p.title));
        dm.MixTable.setValue(QStringLiteral("MetaDesc"), QLatin1String(p.desc));
        dm.MixTable.setValue(QStringLiteral("MetaST"), QLatin1String(p.tags));
        dm.MixTable.setValue(QStringLiteral("KWDensity"), QLatin1String(p.density));
        dm.MixTable.post();
    }
    dm.PhraseTable.open();
    const struct
    {
        const char* phrase;
        int count;
    } phrases[] = {{"bread", 18}, {"flour", 12}, {"loaves", 14}};
    for (const auto& p : phrases) {
        dm.PhraseTable.append();
        dm.PhraseTable.setValue(QStringLiteral("Phrase"), QLatin1String(p.phrase));
        dm.PhraseTable.setValue(QStringLiteral("PhraseCount"), p.count);
        dm.PhraseTable.post();
    }
}

inline void fillRanks(TDM1& dm, const QString& project)
{
    dm.RankTable.open();
    const struct
    {
        const char* url;
        const char* term;
        int rank;
        int page;
        const char* link;
    } rows[] = {{"home", "fresh bread", 2, 1, "http://www.bakery.example/bread?sort=new&page=1"},
                {"rival", "fresh bread", 7, 1, "http://rival-bakes.example/shop"},
                {"home", "rye & spelt", 14, 2, "http://www.bakery.example/rye"}};
    for (const auto& r : rows) {
        dm.RankTable.append();
        dm.RankTable.setValue(QStringLiteral("Project"), project);
        dm.RankTable.setValue(QStringLiteral("SearchEngine"), QStringLiteral("Demo"));
        dm.RankTable.setValue(QStringLiteral("SearchTerm"), QLatin1String(r.term));
        dm.RankTable.setValue(QStringLiteral("URL"), QLatin1String(r.url));
        dm.RankTable.setValue(QStringLiteral("Rank"), r.rank);
        dm.RankTable.setValue(QStringLiteral("Page"), r.page);
        dm.RankTable.setValue(QStringLiteral("xDate"), QDate(2026, 11, 29));
        dm.RankTable.setValue(QStringLiteral("FoundLink"), QLatin1String(r.link));
        dm.RankTable.post();
    }
}

} // namespace corvane::test
