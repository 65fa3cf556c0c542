#include "core/charts/ChartDesignStore.h"
#include "core/settings/Settings.h"
#include "gui/charts/ChartDesignApply.h"
#include "gui/charts/ChartDesignerForm.h"
#include "gui/charts/ChartFrame.h"
#include "gui/charts/DesignedChartView.h"
#include "gui/dashboard/TopTenCharts.h"

#include "ChartSamples.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QBarSeries>
#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHorizontalBarSeries>
#include <QImageReader>
#include <QLabel>
#include <QLineSeries>
#include <QMimeData>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>
#include <QValueAxis>
#include <QtTest>

using namespace corvane;

namespace {

QValueAxis* valueAxis(QChart& chart)
{
    for (QAbstractAxis* axis : chart.axes())
        if (!qobject_cast<QCategoryAxis*>(axis))
            return qobject_cast<QValueAxis*>(axis);
    return nullptr;
}

QCategoryAxis* categoryAxis(QChart& chart)
{
    for (QAbstractAxis* axis : chart.axes())
        if (auto* category = qobject_cast<QCategoryAxis*>(axis))
            return category;
    return nullptr;
}

// How many pixels two pictures of the same size differ in.
int differingPixels(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col)
            count += x.pixel(col, row) != y.pixel(col, row);
    return count;
}

// A data module on a fresh profile with its databases open.
struct OpenProfile
{
    test::UiProfile profile;
    std::unique_ptr<TDM1> dm;

    OpenProfile()
    {
        dm = profile.makeDataModule();
        dm->LoadSettings();
        dm->OpenDatabases();
    }
};

} // namespace

class TestChartDesigner : public QObject
{
    Q_OBJECT

private slots:
    void seriesTypesGiveTheirSeriesAndAxes()
    {
        const ChartData data = test::sampleRankChart();
        ChartDesign design = ChartDesign::defaultsFor(ChartKind::DetailChart);
        const struct
        {
            int type;
            Qt::Orientation valueOrientation;
        } cases[] = {{ChartDesign::Line, Qt::Vertical},
                     {ChartDesign::HorizontalLine, Qt::Horizontal},
                     {ChartDesign::Bar, Qt::Vertical},
                     {ChartDesign::HorizontalBar, Qt::Horizontal}};
        for (const auto& c : cases) {
            for (bool marks : {true, false}) {
                QChart chart;
                design.seriesType = c.type;
                design.showMarks = marks;
                applyChartDesign(chart, data, design);
                const QList<QAbstractSeries*> series = chart.series();
                if (c.type == ChartDesign::Line || c.type == ChartDesign::HorizontalLine) {
                    QCOMPARE(series.size(), 3);
                    for (QAbstractSeries* s : series)
                        QVERIFY(qobject_cast<QLineSeries*>(s));
                } else {
                    QCOMPARE(series.size(), 1);
                    if (c.type == ChartDesign::Bar)
                        QVERIFY(qobject_cast<QBarSeries*>(series.first()));
                    else
                        QVERIFY(qobject_cast<QHorizontalBarSeries*>(series.first()));
                    QCOMPARE(qobject_cast<QAbstractBarSeries*>(series.first())->count(), 3);
                }
                QValueAxis* values = valueAxis(chart);
                QCategoryAxis* categories = categoryAxis(chart);
                QVERIFY(values && categories);
                QCOMPARE(values->orientation(), c.valueOrientation);
                QVERIFY(categories->orientation() != c.valueOrientation);
                // the category axis always carries its labels; over dates the value axis too,
                // over names only without marks
                QVERIFY(categories->isLineVisible() && categories->labelsVisible());
                QCOMPARE(values->labelsVisible(), !marks || data.categoriesAreDates);
                QCOMPARE(values->isLineVisible(), !marks || data.categoriesAreDates);
                // ranks: position 1 at the top, the axis scaled to the ranks shown
                // (rank bars grow towards position 1, so horizontal ones have it on the right)
                QCOMPARE(values->isReverse(),
                         c.valueOrientation == Qt::Vertical || c.type == ChartDesign::HorizontalBar);
                QVERIFY(values->min() < 1);
                if (!marks)
                    QVERIFY(values->min() > 0); // no 0 label on a rank axis
                QVERIFY(values->max() >= 18 && values->max() < 25);
                // dates along the category axis, thinned out to fit
                QVERIFY(data.categories.mid(0, 4).contains(categories->categoriesLabels().first()));
                QCOMPARE(values->titleText(), QStringLiteral("Position"));
                QCOMPARE(categories->titleText(), QStringLiteral("Date"));
            }
        }
    }

    void amountsStartAtZeroAndReadUpwards()
    {
        QChart chart;
        applyChartDesign(chart, test::sampleScoresChart(), ChartDesign::defaultsFor(ChartKind::Scores));
        QValueAxis* values = valueAxis(chart);
        QVERIFY(!values->isReverse());
        QCOMPARE(values->min(), 0.0);
        QVERIFY(values->max() >= 496);
        QVERIFY(!chart.legend()->isVisible()); // one series needs no legend
    }

    // A chart of ten terms in a dashboard-sized card names every bar on its
    // axis in every series type: upright under vertical bars, long terms
    // ending in an ellipsis, and nothing outside the card.
    void everyTermOfASmallChartIsNamed()
    {
        ChartData data;
        data.titleLines = {QStringLiteral("1 - Corvane Demo (48 points)")};
        data.categoryTitle = QStringLiteral("Search Term");
        data.valueTitle = QStringLiteral("Position");
        data.valueKind = ChartData::ValueKind::Rank;
        ChartSeriesData ranks;
        ranks.name = QStringLiteral("Rank");
        const QStringList terms = {QStringLiteral("blue widgets"),
                                   QStringLiteral("garden tools"),
                                   QStringLiteral("O'Brien \"&\" <b>Söhne</b>"),
                                   QStringLiteral("organic fertilizer for raised vegetable beds"),
                                   QStringLiteral("lawn mower"),
                                   QStringLiteral("1999 hedge trimmer"),
                                   QStringLiteral("watering can"),
                                   QStringLiteral("flower seeds"),
                                   QStringLiteral("compost bin"),
                                   QStringLiteral("garden hose")};
        for (int i = 0; i < terms.size(); ++i) {
            data.categories << terms.at(i);
            ranks.values << std::optional<double>((i * 7) % 30 + 1);
        }
        data.series << ranks;
        for (const int type : {ChartDesign::Bar, ChartDesign::HorizontalBar, ChartDesign::Line}) {
            ChartDesign design = ChartDesign::defaultsFor(ChartKind::Top10);
            design.seriesType = type;
            DesignedChartView view;
            view.resize(230, 250);
            view.setDesign(design);
            view.setChartData(data);
            view.show();
            QVERIFY(QTest::qWaitForWindowExposed(&view));
            QTest::qWait(120); // the labels are fitted again once the size settles
            QCategoryAxis* axis = categoryAxis(*view.chart());
            const QStringList labels = axis->categoriesLabels();
            QCOMPARE(labels.size(), terms.size());
            for (int i = 0; i < terms.size(); ++i) {
                // the axis draws its labels as rich text: read them as shown
                QTextDocument shown;
                shown.setHtml(labels.at(i));
                QString label = shown.toPlainText();
                label.remove(QChar(0x200B));
                const bool elided = label.endsWith(QChar(0x2026));
                QVERIFY2(label == terms.at(i) || (elided && terms.at(i).startsWith(label.chopped(1))),
                         qPrintable(label));
            }
            QVERIFY(!labels.at(3).contains(QStringLiteral("beds"))); // too long for the card
            QCOMPARE(axis->labelsAngle(), type == ChartDesign::HorizontalBar ? 0 : -90);
            QVERIFY(view.chartView()->width() <= view.width());
            QVERIFY(QRectF(QPointF(0, 0), view.chartView()->size()).contains(view.chart()->plotArea()));
        }
    }

    void pointsPerPageAndTheNavigator()
    {
        DesignedChartView view;
        view.resize(700, 450);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.setChartData(test::sampleRankChart(25));
        ChartDesign design = ChartDesign::defaultsFor(ChartKind::DetailChart);
        view.setDesign(design);
        QVERIFY(!view.navigatorShown());
        QCOMPARE(view.pageCount(), 1);
        QCOMPARE(categoryAxis(*view.chart())->max(), 24.5);

        design.pointsPerPage = 10;
        view.setDesign(design);
        QVERIFY(view.navigatorShown());
        QCOMPARE(view.pageCount(), 3);
        QCOMPARE(view.pageText(), QStringLiteral("Page 1 of 3"));
        QCOMPARE(categoryAxis(*view.chart())->min(), -0.5);
        QCOMPARE(categoryAxis(*view.chart())->max(), 9.5);
        view.setPage(2);
        QCOMPARE(view.pageText(), QStringLiteral("Page 3 of 3"));
        QCOMPARE(categoryAxis(*view.chart())->min(), 19.5);
        QCOMPARE(categoryAxis(*view.chart())->max(), 24.5);
        view.setPage(7);
        QCOMPARE(view.page(), 2);
        auto* label = view.findChild<QLabel*>();
        QCOMPARE(label->text(), QStringLiteral("Page 3 of 3"));
    }

    void themesPalettesBandsPictureAnd3DAreVisible()
    {
        DesignedChartView view;
        view.resize(640, 420);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.setChartData(test::sampleRankChart(12));
        ChartDesign design = ChartDesign::defaultsFor(ChartKind::DetailChart);
        design.seriesType = ChartDesign::Bar;
        auto pictureOf = [&](const ChartDesign& d) {
            view.setDesign(d);
            QTest::qWait(20);
            return view.chartImage();
        };
        const QImage plain = pictureOf(design);

        QList<QImage> themes;
        for (const QString& theme : ChartDesign::themeNames()) {
            ChartDesign d = design;
            d.theme = theme;
            themes << pictureOf(d);
        }
        for (int i = 0; i < themes.size(); ++i)
            for (int j = i + 1; j < themes.size(); ++j)
                QVERIFY2(differingPixels(themes.at(i), themes.at(j)) > 2000,
                         qPrintable(ChartDesign::themeNames().at(i) + QLatin1Char('/')
                                    + ChartDesign::themeNames().at(j)));

        for (int p = 0; p < ChartDesign::paletteNames().size(); ++p) {
            const QList<QColor> colours = chartPaletteColours(p);
            QVERIFY(colours.size() >= 8);
            for (int i = 0; i < colours.size(); ++i)
                for (int j = i + 1; j < colours.size(); ++j)
                    QVERIFY(colours.at(i) != colours.at(j));
            for (int q = p + 1; q < ChartDesign::paletteNames().size(); ++q)
                QVERIFY(chartPaletteColours(q).mid(0, 3) != colours.mid(0, 3));
        }

        // the picture a window stores of its chart, at a size of its own
        const QSize ownSize = view.chartView()->size();
        const QImage small = view.chartImage(QSize(350, 300));
        QCOMPARE(small.size(), QSize(350, 300));
        if (!qEnvironmentVariableIsEmpty("CORVANE_SCREENS"))
            small.save(qEnvironmentVariable("CORVANE_SCREENS") + QStringLiteral("/ChartImage_350x300.png"));
        QImage blank(350, 300, QImage::Format_RGB32);
        blank.fill(Qt::white);
        QVERIFY(differingPixels(small, blank) > 10000);
        QCOMPARE(view.chartView()->size(), ownSize);

        ChartDesign threeD = design;
        threeD.threeD = true;
        QVERIFY(differingPixels(plain, pictureOf(threeD)) > 1500);

        ChartDesign noBands = design;
        noBands.removeBands = true;
        QVERIFY(differingPixels(plain, pictureOf(noBands)) > 1500);

        QImage logo(60, 40, QImage::Format_RGB32);
        logo.fill(QColor(0xC0, 0x20, 0x20));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        logo.save(&buffer, "BMP");
        ChartDesign withPicture = design;
        withPicture.image = bytes;
        withPicture.imageLeft = 20;
        withPicture.imageTop = 10;
        const QImage shown = pictureOf(withPicture);
        QCOMPARE(QColor(shown.pixel(45, 25)), QColor(0xC0, 0x20, 0x20));
        QVERIFY(QColor(plain.pixel(45, 25)) != QColor(0xC0, 0x20, 0x20));

        // the project's logo goes over the chart at (5, 5), whatever the design
        QImage projectLogo(30, 30, QImage::Format_RGB32);
        projectLogo.fill(QColor(0x10, 0x80, 0x10));
        view.setLogo(projectLogo);
        QCOMPARE(QColor(pictureOf(design).pixel(15, 15)), QColor(0x10, 0x80, 0x10));
        view.setLogo(QImage());
        QVERIFY(QColor(pictureOf(design).pixel(15, 15)) != QColor(0x10, 0x80, 0x10));
    }

    void designerActsAtOnceAndCancelRestores()
    {
        OpenProfile open;
        DesignedChartView chart;
        ChartData data = test::sampleScoresChart();
        data.valueTitle = QStringLiteral("Overall results");
        chart.setChartData(data);
        chart.setDesign(ChartDesign::defaultsFor(ChartKind::Scores));
        const ChartDesign before = chart.design();

        TChartDesignerForm designer(*open.dm, chart, QStringLiteral("Bakery"), QStringLiteral("ScoresForm"),
                                    ChartKind::Scores);
        QCOMPARE(designer.windowTitle(), QStringLiteral("Chart Designer"));
        designer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&designer));
        designer.SeriesTypeClick(ChartDesign::HorizontalBar);
        QVERIFY(qobject_cast<QHorizontalBarSeries*>(chart.chart()->series().first()));
        QCOMPARE(chart.chartData().valueTitle, QStringLiteral("Score"));
        designer.ThemeListChange(6);
        designer.PaletteListChange(9);
        designer.ThreeDClick(true);
        designer.PointsPerPageChange(2);
        QCOMPARE(chart.design().theme, QStringLiteral("Blues"));
        QCOMPARE(chart.design().palette, 9);
        QVERIFY(chart.design().threeD);
        QVERIFY(chart.navigatorShown());
        designer.TransparencyChange(40);
        QCOMPARE(designer.windowOpacity(), 0.6);

        designer.CancelClick();
        QCOMPARE(chart.design(), before);
        QCOMPARE(chart.chartData().valueTitle, QStringLiteral("Overall results"));
        QVERIFY(qobject_cast<QBarSeries*>(chart.chart()->series().first()));
        // nothing was stored
        QVERIFY(
            !ChartDesignStore(open.dm->General).load(QStringLiteral("Bakery"), QStringLiteral("ScoresForm")));
    }

    void okStoresTheDesignOrSaysWhyItCannot()
    {
        OpenProfile open;
        DesignedChartView chart;
        chart.setChartData(test::sampleRankChart());
        {
            TChartDesignerForm designer(*open.dm, chart, QString(), QString(), ChartKind::DetailChart);
            designer.show();
            designer.ShowMarksClick(false);
            designer.OKClick();
            QCOMPARE(open.profile.messages,
                     QStringList(
                         QStringLiteral("Error: <P align=\"center\">No Project or Chart is open to save the "
                                        "settings to.</P>")));
            QVERIFY(designer.isVisible());
            designer.CancelClick();
        }
        {
            TChartDesignerForm designer(*open.dm, chart, QStringLiteral("Bakery"), QStringLiteral("Weekly"),
                                        ChartKind::DetailChart);
            designer.show();
            designer.ShowMarksClick(false);
            designer.RemoveBackgroundClick(true);
            designer.OKClick();
            QCOMPARE(designer.result(), int(QDialog::Accepted));
        }
        const auto stored =
            ChartDesignStore(open.dm->General).load(QStringLiteral("Bakery"), QStringLiteral("Weekly"));
        QVERIFY(stored);
        QVERIFY(!stored->showMarks);
        QVERIFY(stored->removeBands);
        QCOMPARE(*stored, chart.design());

        // the next designer on that chart starts from the stored row
        chart.setDesign(ChartDesign::defaultsFor(ChartKind::DetailChart));
        TChartDesignerForm again(*open.dm, chart, QStringLiteral("Bakery"), QStringLiteral("Weekly"),
                                 ChartKind::DetailChart);
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QCOMPARE(again.design(), *stored);
        QCOMPARE(chart.design(), *stored);
        QVERIFY(again.findChild<QCheckBox*>(QString(), Qt::FindChildrenRecursively));
    }

    void designThemesSaveChooseDeleteAndLock3D()
    {
        OpenProfile open;
        DesignedChartView chart;
        chart.setChartData(test::sampleRankChart());
        chart.setDesign(ChartDesign::defaultsFor(ChartKind::DetailChart));
        TChartDesignerForm designer(*open.dm, chart, QStringLiteral("Bakery"), QStringLiteral("Weekly"),
                                    ChartKind::DetailChart);
        designer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&designer));
        auto* themeBox = designer.findChild<QComboBox*>();
        QVERIFY(themeBox);

        themeBox->setEditText(QString());
        designer.SaveThemeClick();
        QCOMPARE(open.profile.messages.size(), 1); // a theme needs a name

        designer.PaletteListChange(3);
        designer.SeriesTypeClick(ChartDesign::Bar);
        themeBox->setEditText(QStringLiteral("Flat bars"));
        designer.SaveThemeClick();
        QCOMPARE(themeBox->count(), 1);
        QCOMPARE(ChartDesignStore(open.dm->General).loadTheme(QStringLiteral("Flat bars"))->palette, 3);

        // choosing the theme brings its look back; Lock 3D keeps the chart's 3D
        designer.PaletteListChange(0);
        designer.ThreeDClick(true);
        for (QCheckBox* box : designer.findChildren<QCheckBox*>())
            if (box->text() == QLatin1String("Lock 3D"))
                box->setChecked(true);
        designer.DesignThemeChange(QStringLiteral("Flat bars"));
        QCOMPARE(chart.design().palette, 3);
        QCOMPARE(chart.design().seriesType, int(ChartDesign::Bar));
        QVERIFY(chart.design().threeD);
        for (QCheckBox* box : designer.findChildren<QCheckBox*>())
            if (box->text() == QLatin1String("Lock 3D"))
                box->setChecked(false);
        designer.DesignThemeChange(QStringLiteral("Flat bars"));
        QVERIFY(!chart.design().threeD);

        themeBox->setEditText(QStringLiteral("Flat bars"));
        designer.DeleteThemeClick();
        QCOMPARE(themeBox->count(), 0);
        QVERIFY(ChartDesignStore(open.dm->General).themeNames().isEmpty());
        designer.CancelClick();
    }

    void pictureFilesAreCheckedAndKeptAsBitmaps()
    {
        OpenProfile open;
        DesignedChartView chart;
        chart.setChartData(test::sampleRankChart());
        TChartDesignerForm designer(*open.dm, chart, QStringLiteral("Bakery"), QStringLiteral("Weekly"),
                                    ChartKind::DetailChart);
        designer.show();
        QTemporaryDir dir;
        QImage logo(30, 20, QImage::Format_RGB32);
        logo.fill(Qt::darkGreen);
        const QString gif = dir.filePath(QStringLiteral("logo.png"));
        QVERIFY(logo.save(gif));
        QVERIFY(!designer.LoadImageFile(gif));
        QCOMPARE(open.profile.messages,
                 QStringList(
                     QStringLiteral("Error: <P align=\"center\"><B>File not recognized.</B><BR>Use bmp, jpg "
                                    "or jpeg images.</P>")));
        QVERIFY(chart.design().image.isEmpty());

        const QString jpeg = dir.filePath(QStringLiteral("logo.JPEG"));
        QVERIFY(logo.save(jpeg, "JPG"));
        QVERIFY(designer.LoadImageFile(jpeg));
        QVERIFY(chart.design().image.startsWith("BM"));
        QCOMPARE(RegistryKey(open.dm->registry(), SettingsKeys::path(QStringLiteral("File Locations")))
                     .readString(QStringLiteral("ImageFolder")),
                 dir.path() + QLatin1Char('/'));

        // a file with a picture's name but no picture in it
        const QString broken = dir.filePath(QStringLiteral("broken.bmp"));
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a picture");
        file.close();
        QVERIFY(!designer.LoadImageFile(broken));
        QVERIFY(open.profile.messages.last().contains(QStringLiteral("broken.bmp")));
        QVERIFY(chart.design().image.startsWith("BM"));

        designer.ClearImageClick();
        QVERIFY(chart.design().image.isEmpty());
        designer.CancelClick();
    }

    void top10HookGetsTheResult()
    {
        OpenProfile open;
        DesignedChartView chart;
        chart.setChartData(test::sampleRankChart(10));
        TChartDesignerForm designer(*open.dm, chart, QStringLiteral("Bakery"), QStringLiteral("Top10"),
                                    ChartKind::Top10);
        std::optional<ChartDesign> applied;
        designer.onTop10Closed = [&](const ChartDesign& d) { applied = d; };
        designer.show();
        designer.PaletteListChange(8);
        designer.OKClick();
        QVERIFY(applied);
        QCOMPARE(applied->palette, 8);
    }

    // The designer opened on a dashboard card changes the card itself: every
    // series type keeps the card's terms and leaves the axis title out, as
    // the dashboard draws it; Cancel gives the card back unchanged.
    void top10PreviewLooksLikeTheCard()
    {
        OpenProfile open;
        TopTenCharts cards;
        QList<SummaryRow> rows;
        for (const char* term : {"blue widgets", "O'Brien \"&\" <b>Söhne</b>", "garden tools"})
            rows.append({QStringLiteral("Big"), QString::fromUtf8(term), int(rows.size()) * 4 + 2, 1});
        cards.setSlot(0, QStringLiteral("1 - Big"), QStringLiteral("Big"), rows);
        cards.revealSlot(0);
        DesignedChartView& card = *cards.chartView(0);
        const ChartData drawn = card.chartData();
        QVERIFY(drawn.categoryTitle.isEmpty());
        TChartDesignerForm designer(*open.dm, card, QStringLiteral("Bakery"), QStringLiteral("Top10"),
                                    ChartKind::Top10);
        designer.show();
        for (const int type :
             {ChartDesign::Line, ChartDesign::HorizontalLine, ChartDesign::Bar, ChartDesign::HorizontalBar}) {
            designer.SeriesTypeClick(type);
            QCOMPARE(card.design().seriesType, type);
            QCOMPARE(card.chartData().categories, drawn.categories);
            QCOMPARE(card.chartData().categoryTitle, QString());
            QCOMPARE(card.chartData().valueTitle, QStringLiteral("Position"));
            for (const QAbstractAxis* axis : card.chart()->axes())
                QVERIFY2(!axis->titleText().contains(QStringLiteral("Search Term")),
                         qPrintable(axis->titleText()));
        }
        designer.CancelClick();
        QCOMPARE(card.design().seriesType, int(ChartDesign::HorizontalBar));
        QCOMPARE(card.chartData().categoryTitle, QString());
    }

    void frameCommandsAndTheirMessages()
    {
        OpenProfile open;
        ChartFrame frame(*open.dm);
        frame.setDesignTarget(QStringLiteral("Bakery"), QStringLiteral("Weekly"), ChartKind::DetailChart);
        frame.resize(600, 400);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));

        frame.ExtendedExportClick();
        frame.PrintChartClick();
        frame.PrintDataAndChartClick();
        QCOMPARE(open.profile.messages,
                 QStringList({QStringLiteral("Warning: ") + ChartFrame::noChartWarning(),
                              QStringLiteral("Warning: <P align=\"center\">No data to print.</P>"),
                              QStringLiteral("Warning: <P align=\"center\">No data to print.</P>")}));
        QVERIFY(ChartFrame::noChartWarning().startsWith(QStringLiteral(
            "<P align=\"center\"><B>No chart is loaded to export.<BR>Make sure a chart is selected and "
            "click \"Refresh\"</B><BR>If no charts exist")));

        int exports = 0, reports = 0;
        frame.onExtendedExport = [&] { ++exports; };
        frame.onPrintDataAndChart = [&] { ++reports; };
        frame.chartView()->setChartData(test::sampleRankChart());
        frame.setChartLoaded(true);
        frame.extendedExportAction()->trigger();
        frame.printDataAndChartAction()->trigger();
        QCOMPARE(exports, 1);
        QCOMPARE(reports, 1);
        QCOMPARE(frame.printDataAndChartAction()->text(), QStringLiteral("&Print Data && Chart..."));

        // Copy: the grid selection and the chart
        QStandardItemModel model(2, 2);
        model.setItem(0, 0, new QStandardItem(QStringLiteral("2026-11-01")));
        model.setItem(0, 1, new QStandardItem(QStringLiteral("3")));
        QTableView grid;
        grid.setModel(&model);
        grid.selectRow(0);
        frame.setGrid(&grid);
        frame.CopyClick();
        const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(copied->text(), QStringLiteral("2026-11-01\t3\n"));
        QVERIFY(copied->hasImage());

        // Save Image in each format; a name without extension gets the chosen one
        QTemporaryDir dir;
        QVERIFY(frame.SaveImageTo(dir.filePath(QStringLiteral("a.png"))));
        QVERIFY(frame.SaveImageTo(dir.filePath(QStringLiteral("b.jpeg"))));
        QVERIFY(frame.SaveImageTo(dir.filePath(QStringLiteral("c")), QStringLiteral("bmp")));
        QCOMPARE(QImageReader(dir.filePath(QStringLiteral("a.png"))).format(), QByteArray("png"));
        QCOMPARE(QImageReader(dir.filePath(QStringLiteral("b.jpeg"))).format(), QByteArray("jpeg"));
        QCOMPARE(QImageReader(dir.filePath(QStringLiteral("c.bmp"))).format(), QByteArray("bmp"));
        QVERIFY(!frame.SaveImageTo(dir.filePath(QStringLiteral("missing/d.png"))));
        QVERIFY(open.profile.messages.last().contains(QStringLiteral("d.png")));

        // Print Chart: the preview's caption, and the chart printed to PDF
        QString caption;
        QTimer::singleShot(200, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* preview = qobject_cast<QPrintPreviewDialog*>(w)) {
                    caption = preview->windowTitle();
                    preview->reject();
                }
        });
        frame.PrintChartClick();
        QCOMPARE(caption, QStringLiteral("Preview - Project Bakery"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("chart.pdf")));
        frame.PrintChart(printer);
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("chart.pdf"))).size() > 2000);

        frame.clearAction()->trigger();
        QVERIFY(frame.chartView()->chart()->series().isEmpty());
        QVERIFY(!frame.chartLoaded());
    }
};

QTEST_MAIN(TestChartDesigner)
#include "test_chart_designer.moc"
