// The detail chart, gains and losses and scores windows on a mined profile.
#include "core/charts/ChartCacheBuilder.h"
#include "core/data/Dataset.h"
#include "core/datamodule/DM1.h"
#include "gui/charts/ChartBuilderForm.h"
#include "gui/charts/ChartFrame.h"
#include "gui/charts/DesignedChartView.h"
#include "gui/charts/DetailChartForm.h"
#include "gui/charts/GandLForm.h"
#include "gui/charts/ScoresForm.h"
#include "gui/mainwindow/MainRankForm.h"
#include "gui/print/PrintForm.h"

#include "DashboardFixture.h"
#include "SavedChartsFixture.h"
#include "UiTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace corvane;

namespace {

void addChart(TDM1& dm, const QString& name, const QStringList& series)
{
    Table& charts = dm.SQLTeeTable;
    charts.open();
    charts.append();
    charts.setValue(QStringLiteral("Project"), QStringLiteral("Bakery"));
    charts.setValue(QStringLiteral("File"), name);
    charts.setValue(QStringLiteral("PopOrder"), QStringLiteral("UTS"));
    charts.setValue(QStringLiteral("ForEach"), series.join(QLatin1Char('\n')));
    charts.setValue(QStringLiteral("Select1"), QStringLiteral("bread"));
    charts.setValue(QStringLiteral("Select2"), QStringLiteral("Demo"));
    charts.setValue(QStringLiteral("DateType"), QStringLiteral("D"));
    charts.setValue(QStringLiteral("DateStart"), QDate(2026, 11, 1));
    charts.setValue(QStringLiteral("DateEnd"), QDate(2026, 11, 3));
    charts.setValue(QStringLiteral("FillDates"), true);
    charts.post();
}

} // namespace

class TestChartWindows : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::UiProfile> profile;
    std::unique_ptr<TDM1> dm;
    QStringList asked;
    MessageAnswer answer = MessageAnswer::Ok;

private slots:
    void init()
    {
        profile = std::make_unique<test::UiProfile>();
        QVERIFY(profile->ready());
        dm = profile->makeDataModule();
        asked.clear();
        answer = MessageAnswer::Ok;
        dm->setMessagePresenter(
            [this](MessageButtons, const QString& title, const QString& text, const QString&) {
                asked << title + QStringLiteral(": ") + text;
                return answer;
            });
        dm->LoadSettings();
        dm->OpenDatabases();
        test::addMinedProject(*dm, QStringLiteral("Bakery"), QDate(2026, 11, 30), 3);
        test::saveTwoCharts(dm->Settings.DataFolder);
    }

    void cleanup()
    {
        dm.reset();
        profile.reset();
    }

    void detailChartRefreshWritesTheCacheThatTheNextOpeningReads()
    {
        {
            TDetailChartForm form(*dm);
            form.Open(QStringLiteral("Bakery"));
            QCOMPARE(form.windowTitle(), QStringLiteral("Detail Chart"));
            QCOMPARE(form.chartNames(),
                     QStringList({QStringLiteral("Bread positions"), QStringLiteral("Home only")}));
            QCOMPARE(form.chart(), QString());
            // selecting a chart without cache builds nothing
            QVERIFY(!form.SelectChart(QStringLiteral("Bread positions")));
            QVERIFY(!form.chartLoaded());
            form.RefreshClick();
            QVERIFY(form.busy());
            QCOMPARE(form.bannerText(), QStringLiteral("Refreshing..."));
            QTRY_VERIFY_WITH_TIMEOUT(!form.busy(), 20000);
            QVERIFY(form.chartLoaded());
            QCOMPARE(form.bannerText(), QString());
            QCOMPARE(form.workingTable().legends,
                     QStringList({QStringLiteral("Home"), QStringLiteral("Shop")}));
            QCOMPARE(form.workingTable().rows.size(), 3);
            const ChartData& drawn = form.chartFrame()->chartView()->chartData();
            QCOMPARE(drawn.series.size(), 2);
            QCOMPARE(drawn.series[1].values[1], std::optional<double>()); // Shop not found on day 2
            QCOMPARE(drawn.categories.first(), QStringLiteral("2026-11-01"));
        }
        // Reopened on the chart: from the cache, no build.
        TDetailChartForm again(*dm);
        again.Open(QStringLiteral("Bakery"), QStringLiteral("Bread positions"));
        QVERIFY(!again.busy());
        QVERIFY(again.chartLoaded());
        QCOMPARE(again.workingTable().rows.size(), 3);
        QCOMPARE(again.chartFrame()->chartView()->chartData().series.size(), 2);
        // a chart without cache is built when the opener names it
        again.Open(QStringLiteral("Bakery"), QStringLiteral("Home only"));
        QVERIFY(again.busy());
        QTRY_VERIFY_WITH_TIMEOUT(!again.busy(), 20000);
        QVERIFY(again.chartLoaded());
        QCOMPARE(again.workingTable().legends, QStringList({QStringLiteral("Home")}));
        QVERIFY(asked.isEmpty());
    }

    void chartBuilderAndAutoBuildThroughTheSettingsLibrary()
    {
        Table& terms = dm->STTable;
        terms.open();
        for (const char* term : {"bread", "rye"}) {
            terms.append();
            terms.setValue(QStringLiteral("Virtual"), QLatin1String(term));
            terms.setValue(QStringLiteral("Project"), QStringLiteral("Bakery"));
            terms.post();
        }
        TDetailChartForm form(*dm);
        form.Open(QStringLiteral("Bakery"));
        const QString name = QStringLiteral("Crumbs \"&\" <b>Brötchen</b>");
        QStringList problems;
        test::whenModal<TChartBuilderForm>([&](TChartBuilderForm& builder) {
            for (const char* bad : {"", "GandLFile", "Bread positions"}) {
                ChartBuilder::Definition d = builder.definition();
                d.name = QString::fromUtf8(bad);
                builder.setDefinition(d);
                QVERIFY(!builder.SaveClick());
                problems << builder.problem();
            }
            ChartBuilder::Definition d = builder.definition();
            d.name = name;
            d.popOrder = QStringLiteral("UTS");
            d.series = {QStringLiteral("Home"), QStringLiteral("Shop")};
            d.select1 = QStringLiteral("bread");
            d.select2 = QStringLiteral("Demo");
            d.lastDays = 0;
            d.start = QDate(2026, 11, 1);
            d.end = QDate(2026, 11, 3);
            builder.setDefinition(d);
            QVERIFY(builder.SaveClick());
        });
        form.ChartBuilderClick();
        QCOMPARE(problems.size(), 3);
        QCOMPARE(problems[0], QStringLiteral("The chart needs a name."));
        QVERIFY(problems[1].contains(QStringLiteral("\"GandLFile\" is a name the program keeps")));
        QVERIFY(problems[2].contains(QStringLiteral("already exists")));
        QVERIFY(form.chartNames().contains(name));
        QVERIFY(!form.SelectChart(name));
        form.RefreshClick();
        QTRY_VERIFY_WITH_TIMEOUT(!form.busy(), 20000);
        QCOMPARE(form.workingTable().legends, QStringList({QStringLiteral("Home"), QStringLiteral("Shop")}));
        QCOMPARE(form.workingTable().rows.size(), 3);

        QStringList added;
        test::whenModal<TAutoBuildChartForm>([&](TAutoBuildChartForm& window) {
            QTRY_VERIFY(!window.added().isEmpty());
            added = window.added();
            window.accept();
        });
        form.AutoBuildClick();
        QCOMPARE(added.first(), QStringLiteral("Home on Demo Engine 1"));
        QVERIFY(form.chartNames().contains(QStringLiteral("Home on Demo Engine 1")));
        QVERIFY(asked.isEmpty());
    }

    void detailChartAsksAboutMoreThanEighteenSeries()
    {
        QStringList series;
        for (int i = 0; i < 19; ++i)
            series.append(QStringLiteral("Site %1").arg(i));
        addChart(*dm, QStringLiteral("Eighteen"), series.mid(0, 18));
        addChart(*dm, QStringLiteral("Nineteen"), series);
        dm->StoreMessageSwitch(QStringLiteral("LargeSeriesList"), true);
        TDetailChartForm form(*dm);
        form.Open(QStringLiteral("Bakery"));
        form.SelectChart(QStringLiteral("Eighteen"));
        form.RefreshClick();
        QTRY_VERIFY_WITH_TIMEOUT(!form.busy(), 20000);
        QVERIFY(asked.isEmpty());
        QCOMPARE(form.workingTable().legends.size(), 18);

        answer = MessageAnswer::Cancel;
        form.SelectChart(QStringLiteral("Nineteen"));
        form.RefreshClick();
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked[0].contains(QStringLiteral("Your Series List is very large")));
        QVERIFY(!form.busy());
        QVERIFY(!form.chartLoaded());
        QVERIFY(form.chartFrame()->chartView()->chartData().isEmpty());

        answer = MessageAnswer::Ok;
        form.RefreshClick();
        QTRY_VERIFY_WITH_TIMEOUT(!form.busy(), 20000);
        QCOMPARE(form.workingTable().legends.size(), 19);
    }

    void detailChartWarningsAndPrintKindOne()
    {
        TDetailChartForm form(*dm);
        form.Open(QStringLiteral("Bakery"));
        form.chartFrame()->ExtendedExportClick();
        form.chartFrame()->PrintDataAndChartClick();
        QCOMPARE(asked.size(), 2);
        QVERIFY(asked[0].startsWith(QStringLiteral("Warning: ")));
        QVERIFY(asked[0].contains(QStringLiteral("No chart is loaded to export.")));
        QVERIFY(asked[0].contains(QStringLiteral("Chart Builder...")));
        QCOMPARE(asked[1], QStringLiteral("Warning: <P align=\"center\">No data to print.</P>"));

        form.SelectChart(QStringLiteral("Bread positions"));
        form.RefreshClick();
        QTRY_VERIFY_WITH_TIMEOUT(!form.busy(), 20000);
        int kind = -1;
        QString page;
        test::whenModal<TPrintForm>([&](TPrintForm& print) {
            kind = print.Tag();
            page = print.PagePath();
            print.reject();
        });
        form.chartFrame()->PrintDataAndChartClick();
        QCOMPARE(kind, 1);
        QVERIFY(page.endsWith(QStringLiteral("DBChart1.html")));

        TDetailChartForm empty(*dm);
        empty.Open(QString());
        empty.AutoBuildClick();
        QVERIFY(asked.last().contains(
            QStringLiteral("A project must be selected in the Detailed Chart window.")));
    }

    void mainWindowOpensTheChartWindows()
    {
        dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Project"),
                         QStringLiteral("Bakery"));
        dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Hints"), QStringLiteral("-1"));
        dm->CloseDatabases();
        TMainRankForm main(*dm);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto* charts = main.findChild<QComboBox*>(QStringLiteral("ComboBox2"));
        QTRY_COMPARE(charts->count(), 2);
        QTRY_VERIFY_WITH_TIMEOUT(!main.dashboardBusy(), 20000);
        QTRY_VERIFY(main.command(QStringLiteral("DetailChart1"))->isEnabled());
        charts->setCurrentIndex(1);
        QString opened;
        test::whenModal<TDetailChartForm>([&](TDetailChartForm& form) {
            opened = form.project() + QLatin1Char('/') + form.chart();
            QTRY_VERIFY_WITH_TIMEOUT(!form.busy(), 20000);
            form.accept();
        });
        main.command(QStringLiteral("DetailChart1"))->trigger();
        QCOMPARE(opened, QStringLiteral("Bakery/Home only"));

        test::whenModal<TGandLForm>([&](TGandLForm& form) {
            opened = form.windowTitle();
            form.accept();
        });
        main.command(QStringLiteral("GainsLosses1"))->trigger();
        QCOMPARE(opened, QStringLiteral("Gains and Losses - Project Bakery"));

        QStringList engines;
        test::whenModal<TScoresForm>([&](TScoresForm& form) {
            opened = form.windowTitle();
            engines = form.engineEntries();
            form.accept();
        });
        main.command(QStringLiteral("Scores1"))->trigger();
        QCOMPARE(opened, QStringLiteral("Scores - Project Bakery"));
        QCOMPARE(engines.last(), QStringLiteral("Overall"));
        QCOMPARE(engines.size(), 4);
    }

    void gainsLossesAndScoresOnTheMinedDay()
    {
        const QDate day(2026, 11, 30);
        Table& hilo = dm->HiLoTable;
        hilo.open();
        for (const char* url : {"Shop", "home", "Blog"}) {
            hilo.append();
            hilo.setValue(QStringLiteral("Project"), QStringLiteral("Bakery"));
            hilo.setValue(QStringLiteral("xDate"), day);
            hilo.setValue(QStringLiteral("SearchEngine"), QStringLiteral("Demo Engine 1"));
            hilo.setValue(QStringLiteral("URL"), QLatin1String(url));
            hilo.setValue(QStringLiteral("SearchTerm"), QStringLiteral("bread"));
            hilo.setValue(QStringLiteral("AltYesterday"), 3);
            hilo.setValue(QStringLiteral("AltToday"), 7);
            hilo.setValue(QStringLiteral("Difference"), -4);
            hilo.post();
        }
        TGandLForm gains(*dm);
        gains.Open(QStringLiteral("Bakery"));
        QCOMPARE(gains.day(), day);
        QCOMPARE(gains.engine(), QStringLiteral("Demo Engine 1"));
        QCOMPARE(gains.rows().size(), 3);
        QCOMPARE(gains.rows()[0].url, QStringLiteral("Blog"));
        QCOMPARE(gains.rows()[1].url, QStringLiteral("home"));
        QVERIFY(gains.chartFrame()->chartLoaded());
        QCOMPARE(gains.chartFrame()->chartView()->design().seriesType, int(ChartDesign::HorizontalBar));
        gains.setEngine(QStringLiteral("Demo Engine 2"));
        QVERIFY(gains.rows().isEmpty());
        gains.chartFrame()->PrintChartClick();
        QCOMPARE(asked.last(), QStringLiteral("Warning: <P align=\"center\">No data to print.</P>"));

        TScoresForm scores(*dm);
        scores.Open(QStringLiteral("Bakery"));
        QCOMPARE(scores.engine(), QStringLiteral("Overall"));
        QCOMPARE(scores.day(), day);
        scores.setEngine(QStringLiteral("Demo Engine 1"));
        QVERIFY(!scores.rows().isEmpty());
        QCOMPARE(scores.chartFrame()->chartView()->chartData().titleLines.first(),
                 QStringLiteral("Demo Engine 1"));
        int kind = -1;
        test::whenModal<TPrintForm>([&](TPrintForm& print) {
            kind = print.Tag();
            print.reject();
        });
        scores.chartFrame()->PrintDataAndChartClick();
        QCOMPARE(kind, 10);
    }
};

QTEST_MAIN(TestChartWindows)
#include "test_chart_windows.moc"
