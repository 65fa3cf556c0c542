// The main window: placement, first showing, project selection, the dashboard
// build, the check boxes and the print selection, on real profiles.
#include "core/dashboard/HVThread.h"
#include "gui/charts/DesignedChartView.h"
#include "gui/dashboard/TopTenCharts.h"
#include "gui/mainwindow/MainRankForm.h"

#include "DashboardFixture.h"
#include "UiTestSupport.h"

#include <QAction>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTextBrowser>
#include <QtTest>

using namespace corvane;

namespace {

const QDate LastRun{2026, 11, 30};

QString startupValue(TDM1& dm, const char* name)
{
    return RegistryKey(dm.registry(), SettingsKeys::path(QStringLiteral("Startup Settings")))
        .readString(QLatin1String(name));
}

void setStartupValue(TDM1& dm, const char* name, const char* value)
{
    dm.WriteSetting(QStringLiteral("Startup Settings"), QLatin1String(name), QLatin1String(value));
}

QString label(QWidget& form, const char* name)
{
    auto* found = form.findChild<QLabel*>(QLatin1String(name));
    return found ? found->text() : QStringLiteral("<missing>");
}

} // namespace

class TestMainRankForm : public QObject
{
    Q_OBJECT

private slots:
    void opensMaximisedWithoutFormIni()
    {
        test::UiProfile profile;
        QVERIFY2(profile.ready(), qPrintable(profile.error()));
        auto dm = profile.makeDataModule();
        TMainRankForm form(*dm);
        QVERIFY(!form.keepsPlacement());
        QVERIFY(form.windowState() & Qt::WindowMaximized);
    }

    void keepsItsPlacementInFormIni()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        const QString ini = profile.programFolder() + QStringLiteral("FORM.INI");
        {
            QSettings settings(ini, QSettings::IniFormat);
            settings.setValue(QStringLiteral("MainRankForm/Position"), QPoint(200, 150));
            settings.setValue(QStringLiteral("MainRankForm/Size"), QSize(1040, 720));
        }
        auto dm = profile.makeDataModule();
        {
            TMainRankForm form(*dm);
            QVERIFY(form.keepsPlacement());
            QVERIFY(!(form.windowState() & Qt::WindowMaximized));
            QCOMPARE(form.size(), QSize(1040, 720));
            form.show();
            form.resize(1100, 760);
            form.close();
        }
        QSettings settings(ini, QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("MainRankForm/Size")).toSize(), QSize(1100, 760));
    }

    void everyMenuEntryHasItsShortcut()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        TMainRankForm form(*dm);
        const struct
        {
            const char* name;
            const char* text;
            QKeySequence keys;
        } entries[] = {
            {"ProjectWizard1", "Project &Wizard...", QKeySequence(Qt::CTRL | Qt::Key_W)},
            {"Refresh1", "&Refresh/Load Page", QKeySequence(Qt::CTRL | Qt::Key_R)},
            {"Exit1", "E&xit", QKeySequence(Qt::ALT | Qt::Key_X)},
            {"ScheduleHarvester1", "&Schedule Harvester...", QKeySequence(Qt::CTRL | Qt::Key_S)},
            {"Harvester1", "&Harvester...", QKeySequence(Qt::CTRL | Qt::Key_P)},
            {"DuvudaDuvedozo1", "&Duvuda Duvedozo...", QKeySequence(Qt::CTRL | Qt::Key_K)},
            {"RurederOrad1", "&Rureder Orad...", QKeySequence(Qt::CTRL | Qt::Key_F)},
            {"DailyResults1", "Dail&y Results...", QKeySequence(Qt::CTRL | Qt::Key_Y)},
            {"Scores1", "S&cores...", QKeySequence(Qt::CTRL | Qt::Key_C)},
            {"SearchEngines1", "Search &Engines...", QKeySequence(Qt::CTRL | Qt::Key_E)},
            {"Contents1", "&Corvane Contents...", QKeySequence(Qt::Key_F1)},
            {"Copy1", "Copy", QKeySequence(Qt::CTRL | Qt::Key_Insert)},
        };
        for (const auto& entry : entries) {
            QAction* action = form.command(QLatin1String(entry.name));
            QVERIFY2(action, entry.name);
            QCOMPARE(action->text(), QLatin1String(entry.text));
            QCOMPARE(action->shortcut(), entry.keys);
        }
    }

    void firstShowingSelectsTheStoredProjectOrTheFirst()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        dm->OpenDatabases();
        test::addMinedProject(*dm, QStringLiteral("Alpha"), LastRun, 1);
        dm->GroupTable.append();
        dm->GroupTable.setValue(QStringLiteral("Name"), QStringLiteral("Beta"));
        dm->GroupTable.setValue(QStringLiteral("Depth"), 50);
        dm->GroupTable.post();
        setStartupValue(*dm, "Project", "Beta");
        setStartupValue(*dm, "Hints", "-1");
        setStartupValue(*dm, "SummaryLoad", "true");
        dm->CloseDatabases();

        TMainRankForm form(*dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* projects = form.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
        QTRY_COMPARE(projects->count(), 2);
        QCOMPARE(projects->currentText(), QStringLiteral("Beta"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Corvane - Project Beta"));
        QCOMPARE(label(form, "LastSessionLabel"), QStringLiteral("No Mining Sessions have been run"));
        QCOMPARE(label(form, "KeyURLLabel"), QStringLiteral("No Key URL defined"));
        QCOMPARE(label(form, "StatusPanel0"), QStringLiteral("Last Update: NA"));
        QCOMPARE(dm->Settings.LastRun, 0.0);
        QCOMPARE(label(form, "StatusPanel4"), QStringLiteral("SE: 0"));
        QVERIFY(label(form, "StatusPanel5").startsWith(QLatin1String("Total Data Directory Size: ")));
        auto* open = form.menuBar()->findChild<QMenu*>(QStringLiteral("OpenProject1"));
        QCOMPARE(open->actions().size(), 3); // "All" and the two projects
        QCOMPARE(open->actions().first()->text(), QStringLiteral("All"));

        form.SelectProject(QStringLiteral("Gone"));
        QCOMPARE(dm->Settings.Project, QStringLiteral("Alpha"));
        QCOMPARE(startupValue(*dm, "Project"), QStringLiteral("Alpha"));
        QCOMPARE(label(form, "KeyURLLabel"), QStringLiteral("Key URL: Home"));
        // The current project's last run reaches the settings record as a day count.
        QCOMPARE(int(dm->Settings.LastRun), int(QDate(1899, 12, 30).daysTo(LastRun)));
        QCOMPARE(label(form, "StatusPanel4"), QStringLiteral("SE: 1"));
        QVERIFY(open->actions().at(1)->isChecked());
        QVERIFY(profile.messages.isEmpty());
        QVERIFY(!form.dashboardBusy()); // "Do Not Load Display On Startup"
        QVERIFY(form.findChild<QCheckBox*>(QStringLiteral("DoNotLoad"))->isChecked());
    }

    void filesTheDashboardCannotWriteAreReportedNotShownStale()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        dm->OpenDatabases();
        test::addMinedProject(*dm, QStringLiteral("Bakery <b>&amp;</b>"), LastRun, 3);
        setStartupValue(*dm, "Project", "Bakery <b>&amp;</b>");
        setStartupValue(*dm, "Hints", "-1");
        dm->CloseDatabases();
        // Folders where the files should go: no write can replace them.
        for (const char* name : {"SessionInfo.html", "Top10_1.jpg", "SessionInfoLogoFill.JPG"})
            QVERIFY(QDir().mkpath(profile.programFolder() + QLatin1String(name) + QStringLiteral("/x")));

        TMainRankForm form(*dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_VERIFY_WITH_TIMEOUT(form.dashboardBusy(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!form.dashboardBusy(), 20000);
        const QString all = profile.messages.join(u'\n');
        QVERIFY2(all.contains(
                     QStringLiteral("Error: <P ALIGN=\"CENTER\">SessionInfo.html could not be written in ")),
                 qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral(
                     "The Top 10 pictures (Top10_1.jpg to Top10_10.jpg) could not be written")),
                 qPrintable(all));
        // The page shown is the one just built, read from memory.
        auto* page = form.findChild<QTextBrowser*>(QStringLiteral("SessionInfoBrowser"));
        QVERIFY(page);
        QVERIFY(page->toPlainText().contains(QStringLiteral("Optimization Notes")));

        // Names are shown as typed: no label renders them, no menu eats their "&".
        QCOMPARE(label(form, "CurrentProjectLabel"), QStringLiteral("Current Project: Bakery <b>&amp;</b>"));
        QCOMPARE(form.findChild<QLabel*>(QStringLiteral("CurrentProjectLabel"))->textFormat(), Qt::PlainText);
        auto* open = form.menuBar()->findChild<QMenu*>(QStringLiteral("OpenProject1"));
        QCOMPARE(open->actions().at(1)->text(), QStringLiteral("Bakery <b>&&amp;</b>"));
        QVERIFY(open->actions().at(1)->isChecked());
        open->actions().at(0)->trigger();
        QCOMPARE(dm->Settings.Project, QStringLiteral("All"));
        open->actions().at(1)->trigger();
        QCOMPARE(dm->Settings.Project, QStringLiteral("Bakery <b>&amp;</b>"));
        QTRY_VERIFY_WITH_TIMEOUT(!form.dashboardBusy(), 20000);
    }

    void dashboardShowsTheLastSession()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        dm->OpenDatabases();
        test::addMinedProject(*dm, QStringLiteral("Bakery"), LastRun, 3);
        setStartupValue(*dm, "Project", "Bakery");
        setStartupValue(*dm, "Hints", "-1");
        dm->CloseDatabases();

        TMainRankForm form(*dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_VERIFY(form.dashboardBusy());
        QVERIFY(!form.command(QStringLiteral("Refresh1"))->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!form.dashboardBusy(), 20000);
        QVERIFY(form.command(QStringLiteral("Refresh1"))->isEnabled());

        TopTenCharts* charts = form.topTenCharts();
        QCOMPARE(charts->chartView(0)->chart()->title(), QStringLiteral("1 - Demo Engine 1 (90 points)"));
        QCOMPARE(charts->chartView(2)->chart()->title(), QStringLiteral("3 - Demo Engine 3 (76 points)"));
        QCOMPARE(charts->recordCount(3), 0); // fewer engines than charts
        // Every bar is named on its chart's axis, and no chart reaches past its cell.
        QTest::qWait(150); // the labels are fitted again once the sizes settle
        for (int slot = 0; slot < TopTenCharts::Count; ++slot) {
            DesignedChartView* view = charts->chartView(slot);
            QVERIFY(view->chartView()->width() <= view->width());
            if (charts->recordCount(slot) == 0)
                continue;
            QCategoryAxis* terms = nullptr;
            for (QAbstractAxis* axis : view->chart()->axes())
                terms = terms ? terms : qobject_cast<QCategoryAxis*>(axis);
            QVERIFY(terms);
            QCOMPARE(terms->count(), charts->recordCount(slot));
        }
        QCOMPARE(label(form, "Top10TableCaption"), QStringLiteral("Selected Demo Engine 1 - Top 10 SE List"));
        QVERIFY(charts->table()->rowCount() > 0);
        QTest::mouseClick(charts->chartView(1)->chartView()->viewport(), Qt::LeftButton);
        QCOMPARE(label(form, "Top10TableCaption"), QStringLiteral("Selected Demo Engine 2 - Top 10 SE List"));
        QCOMPARE(form.printSelection(), DashboardReport::Selection::TopTen);
        QCOMPARE(label(form, "PrintCaption"), QStringLiteral("Top 10 Charts Selected for Print"));

        for (int slot = 1; slot <= 10; ++slot) {
            QImageReader image(profile.programFolder() + QStringLiteral("Top10_%1.jpg").arg(slot));
            QCOMPARE(image.size(), QSize(350, 300));
        }
        QFile page(profile.programFolder() + QStringLiteral("SessionInfo.html"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        QVERIFY(page.readAll().contains("Demo Engine 1: result markers updated"));
        QVERIFY(form.findChild<QTableWidget*>(QStringLiteral("FirstPageList"))->rowCount() > 0);
        QCOMPARE(form.findChild<QTableWidget*>(QStringLiteral("SaturationList"))->rowCount(), 3);

        auto* list = form.findChild<QTableWidget*>(QStringLiteral("NewArrivalsList"));
        form.showPanel(2);
        // Only the left button selects a panel for print.
        QTest::mouseClick(list->viewport(), Qt::RightButton);
        QTest::mouseClick(list->viewport(), Qt::MiddleButton);
        QCOMPARE(form.printSelection(), DashboardReport::Selection::TopTen);
        QTest::mouseClick(list->viewport(), Qt::LeftButton);
        QCOMPARE(form.printSelection(), DashboardReport::Selection::NewArrivals);
        QVERIFY(form.findChild<QPushButton*>()->isEnabled());

        // A rebuild without the pauses between the charts (as the benchmark
        // runs it) goes through every step in order and leaves the same result.
        for (int slot = 1; slot <= 10; ++slot)
            QVERIFY(QFile::remove(profile.programFolder() + QStringLiteral("Top10_%1.jpg").arg(slot)));
        form.BuildDashboard(0);
        QVERIFY(form.dashboardBuilder());
        QList<int> steps;
        connect(form.dashboardBuilder(), &HVThread::stepFinished, this,
                [&steps](int step) { steps << step; });
        QTRY_VERIFY_WITH_TIMEOUT(!form.dashboardBusy(), 20000);
        QCOMPARE(steps.size(),
                 28); // design, engines, 10 slots, selection, 10 reveals, images, 3 lists, session
        for (int i = 0; i < steps.size(); ++i)
            QCOMPARE(steps.at(i), i);
        QCOMPARE(charts->chartView(0)->chart()->title(), QStringLiteral("1 - Demo Engine 1 (90 points)"));
        QVERIFY(!charts->chartView(9)->isHidden()); // revealed
        QCOMPARE(label(form, "Top10TableCaption"), QStringLiteral("Selected Demo Engine 1 - Top 10 SE List"));
        for (int slot = 1; slot <= 10; ++slot)
            QVERIFY(QFileInfo::exists(profile.programFolder() + QStringLiteral("Top10_%1.jpg").arg(slot)));
        QVERIFY(profile.messages.isEmpty());
    }

    void noKeyUrlWarnsOnlyWhileTheMessageIsSwitchedOn()
    {
        for (const char* shown : {"true", "false"}) {
            test::UiProfile profile;
            QVERIFY(profile.ready());
            auto dm = profile.makeDataModule();
            dm->LoadSettings();
            dm->OpenDatabases();
            test::addMinedProject(*dm, QStringLiteral("Plain"), LastRun, 1, QString());
            setStartupValue(*dm, "Hints", "-1");
            dm->WriteSetting(QStringLiteral("MsgShow"), QStringLiteral("NoURL"), QLatin1String(shown));
            dm->CloseDatabases();
            TMainRankForm form(*dm);
            form.show();
            QTRY_VERIFY(!form.windowTitle().endsWith(QLatin1String("Project ")));
            QTRY_VERIFY_WITH_TIMEOUT(!form.dashboardBusy(), 20000);
            QCOMPARE(profile.messages.filter(QStringLiteral("No Key URL: ")).size(), shown[0] == 't' ? 1 : 0);
        }
    }

    void checkBoxesWriteTheirSettings()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        setStartupValue(*dm, "Hints", "-1");
        TMainRankForm form(*dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* showMenu = form.findChild<QCheckBox*>(QStringLiteral("ShowTraditionalMenu"));
        QTRY_VERIFY(showMenu->isChecked());
        showMenu->click();
        QVERIFY(!form.menuBar()->isVisible());
        QCOMPARE(startupValue(*dm, "HideMainMenu"), QStringLiteral("true"));
        showMenu->click();
        QVERIFY(form.menuBar()->isVisible());
        QCOMPARE(startupValue(*dm, "HideMainMenu"), QStringLiteral("false"));

        auto* doNotLoad = form.findChild<QCheckBox*>(QStringLiteral("DoNotLoad"));
        doNotLoad->click();
        QCOMPARE(startupValue(*dm, "SummaryLoad"), QStringLiteral("true"));
        QVERIFY(form.autoLoad()); // takes effect at the next start
    }

    void emptyProfileAsksForAProject()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        setStartupValue(*dm, "Hints", "-1");
        TMainRankForm form(*dm);
        form.show();
        QTRY_VERIFY(!profile.messages.isEmpty());
        QVERIFY(profile.messages.first().contains(QLatin1String("No projects have been created.")));
        QVERIFY(!form.findChild<QMenu*>(QStringLiteral("OpenProject1"))->isEnabled());
    }
};

QTEST_MAIN(TestMainRankForm)
#include "test_main_rank_form.moc"
