// Opens every window on demo data, offscreen, and saves a picture of each
// under $CORVANE_SCREENS for a person to look at.
#include "UiTestSupport.h"

#include "app/MainRankForm.h"
#include "ChartSamples.h"
#include "views/ChartDesignerForm.h"
#include "views/ChartFrame.h"
#include "views/DesignedChartView.h"

#include <QBuffer>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLinearGradient>
#include <QPainter>

#include <QtTest>

using namespace corvane;

class ScreenshotTour : public QObject
{
    Q_OBJECT

private slots:
    void mainRankForm()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        dm->OpenDatabases();
        const struct { const char* name; int depth; const char* keyUrl; double lastRun; } projects[] = {
            {"Bakery", 50, "Home", 46362.5}, {"Hardware", 100, "", 0.0}, {"Travel", 200, "Shop", 46360.25}};
        for (const auto& p : projects) {
            dm->GroupTable.open();
            dm->GroupTable.append();
            dm->GroupTable.setValue(QStringLiteral("Name"), QLatin1String(p.name));
            dm->GroupTable.setValue(QStringLiteral("Depth"), p.depth);
            dm->GroupTable.setValue(QStringLiteral("KeyURL"), QLatin1String(p.keyUrl));
            dm->GroupTable.setValue(QStringLiteral("LastRun"), p.lastRun);
            dm->GroupTable.post();
        }
        dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Project"), QStringLiteral("Travel"));
        dm->CloseDatabases();
        TMainRankForm form(*dm);
        form.setWindowState(Qt::WindowNoState);
        form.resize(1000, 700);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(test::saveScreen(form, QStringLiteral("MainRankForm")));
    }

    // The chart designer beside a rank chart in each series type, and with a picture.
    void chartDesigner()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        dm->LoadSettings();
        dm->OpenDatabases();
        const struct { int type; const char* name; bool threeD; bool picture; } looks[] = {
            {ChartDesign::Line, "ChartDesigner_Line", false, false},
            {ChartDesign::HorizontalLine, "ChartDesigner_HorizontalLine", false, false},
            {ChartDesign::Bar, "ChartDesigner_Bar", true, false},
            {ChartDesign::HorizontalBar, "ChartDesigner_HorizontalBar", false, false},
            {ChartDesign::Line, "ChartDesigner_Picture", true, true}};
        for (const auto& look : looks) {
            QWidget host;
            auto* layout = new QHBoxLayout(&host);
            auto* chart = new DesignedChartView(&host);
            chart->setChartData(test::sampleRankChart(look.type == ChartDesign::Line ? 25 : 12));
            ChartDesign design = ChartDesign::defaultsFor(ChartKind::DetailChart);
            design.seriesType = look.type;
            design.threeD = look.threeD;
            if (look.picture) {
                QImage logo(120, 44, QImage::Format_RGB32);
                QPainter painter(&logo);
                QLinearGradient fill(0, 0, 120, 0);
                fill.setColorAt(0, QColor(0x20, 0x50, 0x90));
                fill.setColorAt(1, QColor(0x40, 0x90, 0xD0));
                painter.fillRect(logo.rect(), fill);
                painter.setPen(Qt::white);
                painter.setFont(QFont(QStringLiteral("Sans Serif"), 13, QFont::Bold));
                painter.drawText(logo.rect(), Qt::AlignCenter, QStringLiteral("Bakery"));
                painter.end();
                QBuffer buffer(&design.image);
                buffer.open(QIODevice::WriteOnly);
                logo.save(&buffer, "BMP");
                design.imageLeft = 8;
                design.imageTop = 8;
                design.pointsPerPage = 10;
                design.palette = 9;
            }
            chart->setDesign(design);
            auto* designer = new TChartDesignerForm(*dm, *chart, QStringLiteral("Bakery"), QStringLiteral("Weekly"),
                                                    ChartKind::DetailChart, &host);
            designer->setWindowFlags(Qt::Widget);
            layout->addWidget(chart, 1);
            layout->addWidget(designer);
            host.resize(1250, 720);
            host.show();
            QVERIFY(QTest::qWaitForWindowExposed(&host));
            QTest::qWait(150);
            QVERIFY(test::saveScreen(host, QLatin1String(look.name)));
        }
    }

    // The shared chart frame with a scores chart, its commands in a menu.
    void chartFrame()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        ChartFrame frame(*dm);
        frame.setDesignTarget(QStringLiteral("Bakery"), QStringLiteral("ScoresForm"), ChartKind::Scores);
        frame.chartView()->setChartData(test::sampleScoresChart());
        frame.chartView()->setDesign(ChartDesign::defaultsFor(ChartKind::Scores));
        frame.resize(760, 480);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QTest::qWait(150);
        QVERIFY(test::saveScreen(frame, QStringLiteral("ChartFrame")));
    }

    // The seven chart themes side by side, with bands and without.
    void chartThemes()
    {
        QWidget host;
        auto* layout = new QGridLayout(&host);
        int cell = 0;
        for (const QString& theme : ChartDesign::themeNames()) {
            auto* chart = new DesignedChartView(&host);
            ChartData data = test::sampleRankChart(8);
            data.titleLines = QStringList(theme);
            chart->setChartData(data);
            ChartDesign design = ChartDesign::defaultsFor(ChartKind::DetailChart);
            design.theme = theme;
            design.palette = cell;
            design.seriesType = cell % 2 ? ChartDesign::Bar : ChartDesign::Line;
            design.showMarks = cell % 3 != 0;
            chart->setDesign(design);
            layout->addWidget(chart, cell / 4, cell % 4);
            ++cell;
        }
        auto* plain = new DesignedChartView(&host);
        ChartData data = test::sampleRankChart(8);
        data.titleLines = QStringList(QStringLiteral("XP, Remove Background"));
        plain->setChartData(data);
        ChartDesign design = ChartDesign::defaultsFor(ChartKind::DetailChart);
        design.theme = QStringLiteral("XP");
        design.removeBands = true;
        plain->setDesign(design);
        layout->addWidget(plain, 1, 3);
        host.resize(1400, 640);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QTest::qWait(150);
        QVERIFY(test::saveScreen(host, QStringLiteral("ChartThemes")));
    }
};

QTEST_MAIN(ScreenshotTour)
#include "test_screenshot_tour.moc"
