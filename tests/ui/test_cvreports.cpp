// The report library: rendering to real PDF files, and the real CVReports.so
// loaded and called as the program calls it.
#include "core/outside/LibraryEntries.h"
#include "core/platform/RuntimeLibrary.h"
#include "core/reports/ReportData.h"
#include "core/reports/ReportStyle.h"
#include "gui/reports/ReportDesignForm.h"
#include "gui/reports/ReportRenderer.h"

#include "ReportSamples.h"
#include "UiTestSupport.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QMainWindow>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace corvane;
using namespace corvane::reports;

namespace {

struct Word
{
    QString text;
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
};

QString runTool(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool havePoppler()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty();
}

QString pdfText(const QString& pdf)
{
    return runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

// Every word of the PDF with its box, in points.
QList<Word> pdfWords(const QString& pdf)
{
    const QString html =
        runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"[\\d.]+\">([^<]*)</word>"));
    QList<Word> words;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words << Word{m.captured(4), m.captured(1).toDouble(), m.captured(2).toDouble(),
                      m.captured(3).toDouble()};
    }
    return words;
}

int pdfPages(const QString& pdf)
{
    static const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    return pages.match(runTool(QStringLiteral("pdfinfo"), {pdf})).captured(1).toInt();
}

QSizeF pdfPageSize(const QString& pdf)
{
    static const QRegularExpression size(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)"));
    const auto m = size.match(runTool(QStringLiteral("pdfinfo"), {pdf}));
    return {m.captured(1).toDouble(), m.captured(2).toDouble()};
}

// Renders a report into a PDF file; returns the page count the renderer reports.
int renderPdf(const ReportData& data, const ReportStyle& style, const QString& title, const QString& file)
{
    const ReportRenderer renderer(data, style, title);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(QPageSize(QPageSize::A4));
    renderer.setUpPrinter(printer);
    return renderer.render(printer);
}

ReportData table(const QStringList& fields, const QList<QStringList>& rows, const QList<FieldType>& types)
{
    ReportData data;
    for (int i = 0; i < fields.size(); ++i) {
        ReportColumn column;
        column.field = fields.at(i);
        column.caption = fieldCaption(fields.at(i));
        column.type = types.at(i);
        column.numeric = types.at(i) == FieldType::Integer;
        column.memo = types.at(i) == FieldType::Memo;
        data.columns << column;
    }
    data.rows = rows;
    return data;
}

// Runs `action` on the first modal window of type T once it shows.
template <typename T>
void whenModalShows(std::function<void(T*)> action)
{
    auto* poll = new QTimer;
    poll->setInterval(50);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, action] {
        if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
            window && window->isVisible()) {
            poll->stop();
            poll->deleteLater();
            action(window);
        }
    });
    poll->start();
}

} // namespace

class CVReportsTest : public QObject
{
    Q_OBJECT

private slots:
    void aLongReportIsPaginatedWithTitleCaptionsAndPageNumbers()
    {
        if (!havePoppler())
            QSKIP("pdftotext and pdfinfo (poppler-utils) are needed to read the PDF back");
        test::UiProfile profile;
        QVERIFY(profile.ready());
        Session session(QStringLiteral("Test"));
        Database database(QStringLiteral("Test"), &session);
        database.setDirectory(profile.programFolder() + QStringLiteral("Data/"));
        database.connect();
        test::fillSampleReportTable(database, 150);
        const ReportData data = readReportData(database);

        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
        const int pages = renderPdf(
            data, ReportStyle(), defaultReportTitle(QStringLiteral("Ranks"), QStringLiteral("Bakery")), pdf);
        QVERIFY(pages >= 3);
        QCOMPARE(pdfPages(pdf), pages);
        const QString text = pdfText(pdf);
        QVERIFY(text.contains(QStringLiteral("Ranks - Bakery")));
        QCOMPARE(text.count(QStringLiteral("Ranks - Bakery")), pages);
        QCOMPARE(text.count(QStringLiteral("Search Engine")), pages);
        QVERIFY(text.contains(QStringLiteral("Found Link")));
        QVERIFY(text.contains(QStringLiteral("Page 1 of %1").arg(pages)));
        QVERIFY(text.contains(QStringLiteral("Page %1 of %1").arg(pages)));
        QVERIFY(text.contains(QStringLiteral("sourdough starter")));
        QVERIFY(!text.contains(QStringLiteral("xDate")));
        const QSizeF size = pdfPageSize(pdf);
        QVERIFY(size.height() > size.width());

        ReportStyle landscape;
        landscape.landscape = true;
        landscape.hiddenColumns = {QStringLiteral("FoundLink")};
        const QString wide = dir.filePath(QStringLiteral("wide.pdf"));
        renderPdf(data, landscape, QStringLiteral("Wide"), wide);
        QVERIFY(pdfPageSize(wide).width() > pdfPageSize(wide).height());
        QVERIFY(!pdfText(wide).contains(QStringLiteral("Found Link")));
        QVERIFY(!pdfText(wide).contains(QStringLiteral("bakery-example")));
    }

    void numbersAreRightAlignedAndMemosWrapInsideThePage()
    {
        if (!havePoppler())
            QSKIP("pdftotext and pdfinfo (poppler-utils) are needed to read the PDF back");
        QStringList memoWords;
        for (int i = 1; i <= 120; ++i)
            memoWords << QStringLiteral("memo%1").arg(i, 3, 10, QLatin1Char('0'));
        const ReportData data =
            table({QStringLiteral("Name"), QStringLiteral("Rank"), QStringLiteral("Notes")},
                  {{QStringLiteral("alpha"), QStringLiteral("71"), memoWords.join(QLatin1Char(' '))},
                   {QStringLiteral("beta"), QStringLiteral("4242"), QStringLiteral("short")},
                   {QStringLiteral("gamma"), QStringLiteral("913"), QString()}},
                  {FieldType::String, FieldType::Integer, FieldType::Memo});
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("aligned.pdf"));
        QCOMPARE(renderPdf(data, ReportStyle(), QStringLiteral("Aligned"), pdf), 1);

        const QList<Word> words = pdfWords(pdf);
        QMap<QString, Word> byText;
        QSet<int> memoLines;
        double memoRight = 0;
        for (const Word& w : words) {
            byText.insert(w.text, w);
            if (w.text.startsWith(QLatin1String("memo"))) {
                memoLines.insert(qRound(w.yMin));
                memoRight = std::max(memoRight, w.xMax);
            }
        }
        QVERIFY(byText.contains(QStringLiteral("4242")));
        QVERIFY(std::abs(byText[QStringLiteral("71")].xMax - byText[QStringLiteral("4242")].xMax) < 1.0);
        QVERIFY(std::abs(byText[QStringLiteral("913")].xMax - byText[QStringLiteral("4242")].xMax) < 1.0);
        QVERIFY(byText[QStringLiteral("71")].xMin > byText[QStringLiteral("4242")].xMin);
        QVERIFY2(memoLines.size() >= 3, "the memo wraps over several lines");
        QVERIFY(memoRight < pdfPageSize(pdf).width());
        QVERIFY(byText.contains(QStringLiteral("memo120")));
    }

    void aRowTallerThanAPageGoesOnOverTheNextAndAnEmptyTablePrintsOnePage()
    {
        QStringList words;
        for (int i = 0; i < 4000; ++i)
            words << QStringLiteral("word%1").arg(i);
        const ReportData data = table({QStringLiteral("Name"), QStringLiteral("Notes")},
                                      {{QStringLiteral("first"), QStringLiteral("short")},
                                       {QStringLiteral("long"), words.join(QLatin1Char(' '))},
                                       {QStringLiteral("last"), QStringLiteral("short")}},
                                      {FieldType::String, FieldType::Memo});
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QRectF page(QPointF(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
        const ReportRenderer::Layout layout =
            ReportRenderer(data, ReportStyle(), QStringLiteral("T")).layOut(printer, page);
        QVERIFY(layout.pages.size() >= 3);
        int lines = 0;
        for (const auto& p : layout.pages) {
            for (const auto& slice : p) {
                if (slice.row == 1) {
                    QCOMPARE(slice.firstLine, lines);
                    lines += slice.lineCount;
                }
            }
        }
        QCOMPARE(lines, int(layout.cellLines.at(1).at(1).size()));
        QCOMPARE(layout.pages.last().last().row, 2);

        const ReportData empty = table({QStringLiteral("Name")}, {}, {FieldType::String});
        QCOMPARE(ReportRenderer(empty, ReportStyle(), QStringLiteral("T")).layOut(printer, page).pages.size(),
                 1);
        if (havePoppler()) {
            QTemporaryDir dir;
            const QString pdf = dir.filePath(QStringLiteral("empty.pdf"));
            QCOMPARE(renderPdf(empty, ReportStyle(), QStringLiteral("Nothing"), pdf), 1);
            QVERIFY(pdfText(pdf).contains(QStringLiteral("No records to print.")));
        }
    }

    void theLibraryPreviewsOverTheCallersWindowAndReturnsWhenItCloses()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        auto dm = profile.makeDataModule();
        Session session(QStringLiteral("Test"));
        Database database(QStringLiteral("Test"), &session);
        database.setDirectory(profile.programFolder() + QStringLiteral("Data/"));
        database.connect();
        test::fillSampleReportTable(database, 40);

        QMainWindow caller;
        caller.setWindowTitle(QStringLiteral("Corvane"));
        caller.show();
        caller.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&caller));

        RuntimeLibrary library(QStringLiteral("CVReports.so"));
        QVERIFY2(library.load(), qPrintable(library.errorString()));
        const auto preview = library.entry<entry::TwoTexts>("_RunPreview");
        QVERIFY(preview);

        QString seenTitle;
        QWidget* seenParent = nullptr;
        whenModalShows<QPrintPreviewDialog>([&](QPrintPreviewDialog* dialog) {
            seenTitle = dialog->windowTitle();
            seenParent = dialog->parentWidget();
            dialog->reject();
        });
        const QString project = QStringLiteral("Bakery");
        const QString report = QStringLiteral("Grid");
        preview(qApp, reinterpret_cast<const char16_t*>(project.utf16()),
                reinterpret_cast<const char16_t*>(report.utf16()));
        QCOMPARE(seenTitle, QStringLiteral("Print Preview - Grid - Bakery"));
        QCOMPARE(seenParent, &caller);
        QVERIFY(profile.messages.isEmpty());

        // Print shows the system print dialog; cancelling it prints nothing and returns.
        const auto print = library.entry<entry::TwoTexts>("_RunPrint");
        QVERIFY(print);
        QString printTitle;
        whenModalShows<QPrintDialog>([&](QPrintDialog* dialog) {
            printTitle = dialog->windowTitle();
            dialog->reject();
        });
        print(qApp, reinterpret_cast<const char16_t*>(project.utf16()),
              reinterpret_cast<const char16_t*>(report.utf16()));
        QCOMPARE(printTitle, QStringLiteral("Print - Grid - Bakery"));

        // Without a report table the call says so and returns at once.
        database.deleteTable(QStringLiteral("CVReportTemp"));
        preview(qApp, reinterpret_cast<const char16_t*>(project.utf16()),
                reinterpret_cast<const char16_t*>(report.utf16()));
        QCOMPARE(profile.messages.size(), 1);
        QVERIFY(profile.messages.first().contains(QStringLiteral("report table CVReportTemp is missing")));
        DM1 = nullptr;
    }

    void theLibrarysDesignWindowStoresTheStyleInCVReports()
    {
        test::UiProfile profile;
        QVERIFY(profile.ready());
        Session session(QStringLiteral("Test"));
        Database database(QStringLiteral("Test"), &session);
        database.setDirectory(profile.programFolder() + QStringLiteral("Data/"));
        database.connect();
        test::fillSampleReportTable(database, 10);

        RuntimeLibrary library(QStringLiteral("CVReports.so"));
        const auto design = library.entry<entry::TwoTexts>("_RunReports");
        QVERIFY2(design, qPrintable(library.errorString()));
        whenModalShows<TReportDesignForm>([](TReportDesignForm* form) {
            form->findChild<QSpinBox*>()->setValue(12);
            QListWidget* columns = form->findChild<QListWidget*>();
            columns->item(6)->setCheckState(Qt::Unchecked);
            form->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        const QString project = QStringLiteral("Travel");
        const QString report = QStringLiteral("FullURL");
        design(qApp, reinterpret_cast<const char16_t*>(project.utf16()),
               reinterpret_cast<const char16_t*>(report.utf16()));

        const ReportStyle stored = ReportStyleStore(database).load(report, project);
        QCOMPARE(stored.fontSize, 12);
        QCOMPARE(stored.hiddenColumns, QStringList{QStringLiteral("FoundLink")});
        QVERIFY(!stored.landscape);
    }
};

QTEST_MAIN(CVReportsTest)
#include "test_cvreports.moc"
