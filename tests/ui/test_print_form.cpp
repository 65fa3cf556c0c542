#include "gui/print/PrintForm.h"

#include "PrintSamples.h"
#include "UiTestSupport.h"

#include <QDir>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include <stdexcept>

using namespace corvane;

namespace {

QString readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

bool showsImage(QTextBrowser* browser, const QString& source)
{
    const QVariant image = browser->loadResource(QTextDocument::ImageResource, QUrl(source));
    return image.isValid() && !image.toByteArray().isEmpty();
}

} // namespace

class TestPrintForm : public QObject
{
    Q_OBJECT

private:
    struct Fixture
    {
        test::UiProfile profile;
        std::unique_ptr<TDM1> dm;

        Fixture()
        {
            dm = profile.makeDataModule();
            dm->LoadSettings();
            dm->OpenDatabases();
        }
        QString home() const { return profile.programFolder(); }
    };

private slots:
    void detailChartWritesThePageTheChartAndTheLogoAndShowsThem()
    {
        Fixture f;
        QVERIFY(f.profile.ready());
        test::addLogoProject(*f.dm, QStringLiteral("Bakery"), 1);
        QVERIFY(test::writeLogo(f.home()));
        test::fillWorkingTable(*f.dm);
        const QString before = QDir::currentPath();
        {
            TPrintForm form(*f.dm, PrintPages::DetailChart);
            QCOMPARE(form.windowTitle(), QStringLiteral("Print"));
            QCOMPARE(QDir(QDir::currentPath()), QDir(f.home()));
            form.ShowDetailChart(QStringLiteral("Bakery"),
                                 {QStringLiteral("fresh bread"), QStringLiteral("Demo")}, f.dm->MergeTable,
                                 test::detailChartImage());
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));

            QCOMPARE(form.PagePath(), f.home() + QStringLiteral("DBChart1.html"));
            QVERIFY(QImage(f.home() + QStringLiteral("DBChart1.jpg")).width() > 100);
            QVERIFY(!QImage(f.home() + QStringLiteral("Logo.jpg")).isNull());
            const QString html = readAll(form.PagePath());
            QVERIFY(html.contains(QStringLiteral("<DIV  ALIGN='LEFT'>\n<IMG SRC='") + f.home()
                                  + QStringLiteral("Logo.jpg' BORDER='0'>\n")));
            QVERIFY(html.contains(QStringLiteral("<TD ALIGN='RIGHT'>5</TD><TD ALIGN='RIGHT'>-</TD>")));
            QVERIFY(showsImage(form.Browser(), QStringLiteral("DBChart1.jpg")));
            QVERIFY(showsImage(form.Browser(), f.home() + QStringLiteral("Logo.jpg")));
            QVERIFY(form.Browser()->toPlainText().contains(QStringLiteral("rival")));

            form.resize(700, 520);
            form.close();
            QCOMPARE(QDir(QDir::currentPath()), QDir(before));
        }
        QSettings ini(f.home() + QStringLiteral("FORM.INI"), QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("PrintForm/Size")).toSize(), QSize(700, 520));
        QVERIFY(f.profile.messages.isEmpty());
    }

    void saveHtmlCopiesThePicturesBesideTheSavedPage()
    {
        Fixture f;
        test::addLogoProject(*f.dm, QStringLiteral("Bakery"), 0);
        QVERIFY(test::writeLogo(f.home()));
        test::fillGainsAndLosses(*f.dm, QStringLiteral("Bakery"));
        TPrintForm form(*f.dm, PrintPages::GainsAndLosses);
        form.ShowGainsAndLosses(QStringLiteral("Bakery"), {QStringLiteral("Gain/Loss for 11/29/26")},
                                f.dm->HiLoTable,
                                test::barChartImage(QStringLiteral("Demo"), {QStringLiteral("a")}, {4},
                                                    QStringLiteral("Change")));
        QTemporaryDir target;
        const QString saved = target.filePath(QStringLiteral("My report.html"));
        QVERIFY(form.SaveHtml(saved));
        const QString html = readAll(saved);
        QVERIFY(html.contains(QStringLiteral("<IMG SRC='Logo.jpg' BORDER='0'>")));
        QVERIFY(html.contains(QStringLiteral("<IMG SRC='DBChart1.jpg' BORDER='2'>")));
        QVERIFY(html.contains(QStringLiteral("rye &amp; spelt")));
        QCOMPARE(QFile(target.filePath(QStringLiteral("DBChart1.jpg"))).size(),
                 QFile(f.home() + QStringLiteral("DBChart1.jpg")).size());
        QVERIFY(QFile::exists(target.filePath(QStringLiteral("Logo.jpg"))));

        // Saving over an earlier copy replaces its pictures; saving into the working folder keeps them.
        QVERIFY(form.SaveHtml(saved));
        QVERIFY(form.SaveHtml(f.home() + QStringLiteral("copy.html")));
        QVERIFY(QFile::exists(f.home() + QStringLiteral("DBChart1.jpg")));
        QVERIFY(f.profile.messages.isEmpty());
    }

    void withoutALogoFileThePageGoesWithoutTheLogo()
    {
        Fixture f;
        test::addLogoProject(*f.dm, QStringLiteral("Bakery"), 0);
        test::fillScores(*f.dm);
        TPrintForm form(*f.dm, PrintPages::Scores);
        form.ShowScores(QStringLiteral("Bakery"), {QStringLiteral("Overall score")}, f.dm->Temp2Table,
                        test::barChartImage(QStringLiteral("Scores"), {QStringLiteral("home")}, {496},
                                            QStringLiteral("Score")));
        const QString html = readAll(form.PagePath());
        QVERIFY(!html.contains(QStringLiteral("Logo.jpg")));
        QVERIFY(html.contains(QStringLiteral("<TD ALIGN='LEFT'>home</TD><TD ALIGN='RIGHT'>496</TD>")));
        QVERIFY(!QFile::exists(f.home() + QStringLiteral("Logo.jpg")));
    }

    void printingTheDetailChartReportGivesPdfPages()
    {
        Fixture f;
        test::addLogoProject(*f.dm, QStringLiteral("Bakery"), 2);
        QVERIFY(test::writeLogo(f.home()));
        test::fillWorkingTable(*f.dm);
        TPrintForm form(*f.dm, PrintPages::DetailChart);
        form.ShowDetailChart(QStringLiteral("Bakery"), {QStringLiteral("fresh bread")}, f.dm->MergeTable,
                             test::detailChartImage());
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("report.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        form.PrintDocument(&printer);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("%PDF"));
        const qsizetype pages =
            QString::fromLatin1(bytes).count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b")));
        // The table, then the chart after the page break.
        QVERIFY2(pages >= 2, qPrintable(QString::number(pages)));
        QVERIFY(bytes.contains("/Subtype /Image"));
    }

    void previewShowsThePagesOfTheReport()
    {
        Fixture f;
        test::fillScores(*f.dm);
        TPrintForm form(*f.dm, PrintPages::Scores);
        form.ShowScores(QStringLiteral("Bakery"), {QStringLiteral("Overall score")}, f.dm->Temp2Table,
                        test::barChartImage(QStringLiteral("Scores"), {QStringLiteral("home")}, {496},
                                            QStringLiteral("Score")));
        int pages = -1;
        QTimer::singleShot(0, &form, [&] {
            auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
            if (preview == nullptr)
                return;
            if (auto* widget = preview->findChild<QPrintPreviewWidget*>())
                pages = widget->pageCount();
            preview->reject();
        });
        form.PreviewButtonClick();
        QVERIFY2(pages > 0, qPrintable(QString::number(pages)));
    }

    void kindTwoOpensAnEmptyPageAndKindsZeroAndFourBuildNothing()
    {
        Fixture f;
        for (int kind : {0, 2, 4}) {
            TPrintForm form(*f.dm, kind);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QVERIFY(form.PagePath().isEmpty());
            QVERIFY(form.Browser()->toPlainText().isEmpty());
            const auto buttons = form.findChildren<QPushButton*>();
            const auto save = std::find_if(buttons.begin(), buttons.end(), [](QPushButton* button) {
                return button->text() == QStringLiteral("Save HTML...");
            });
            QVERIFY(save != buttons.end());
            QVERIFY(!(*save)->isEnabled());
            QVERIFY(!form.SaveHtml(f.home() + QStringLiteral("nothing.html")));
            QVERIFY(!QFile::exists(f.home() + QStringLiteral("nothing.html")));
        }
    }

    void anEntryOfAnotherKindIsRefused()
    {
        Fixture f;
        TPrintForm form(*f.dm, PrintPages::UrlList);
        f.dm->PhraseTable.open();
        QVERIFY_THROWS_EXCEPTION(std::logic_error,
                                 form.ShowMergedPhrases(QStringLiteral("seed"), f.dm->PhraseTable));
        QVERIFY(form.PagePath().isEmpty());
    }

    void everyKindWritesItsOwnFile()
    {
        Fixture f;
        test::fillRurederOrad(*f.dm);
        test::fillRanks(*f.dm, QStringLiteral("Bakery"));
        f.dm->SE3Table.open();
        f.dm->GridQuery.setSql(
            QStringLiteral("SELECT URL, SearchTerm, Rank, Page, FoundLink AS MemoFoundLink "
                           "FROM CVRank"));
        f.dm->GridQuery.open();
        {
            TPrintForm form(*f.dm, PrintPages::QueryResult);
            form.ShowQueryResult(QStringLiteral("Bakery"), f.dm->GridQuery);
            QVERIFY(readAll(f.home() + QStringLiteral("Grid.html"))
                        .contains(QStringLiteral("Fully Qualified Link")));
        }
        {
            TPrintForm form(*f.dm, PrintPages::EngineList);
            form.ShowEngineList(QStringLiteral("Bakery"), f.dm->SE3Table);
            QVERIFY(readAll(f.home() + QStringLiteral("SEPOP.html"))
                        .contains(QStringLiteral("<FONT SIZE='-1'>")));
        }
        {
            TPrintForm form(*f.dm, PrintPages::UrlList);
            form.ShowUrlList(QStringLiteral("bread"), f.dm->MixTable);
            QVERIFY(readAll(f.home() + QStringLiteral("STMaster.html"))
                        .contains(QStringLiteral("grain.example")));
        }
        {
            TPrintForm form(*f.dm, PrintPages::PageDetail);
            form.ShowPageDetail(QStringLiteral("bread"), f.dm->MixTable);
            QVERIFY(readAll(f.home() + QStringLiteral("STDetail.html"))
                        .contains(QStringLiteral("Rival Bakes &lt;Shop&gt;")));
        }
        {
            TPrintForm form(*f.dm, PrintPages::MergedPhrases);
            form.ShowMergedPhrases(QStringLiteral("bread"), f.dm->PhraseTable);
            QVERIFY(readAll(f.home() + QStringLiteral("STMerged.html")).contains(QStringLiteral("loaves")));
        }
        QVERIFY(f.profile.messages.isEmpty());
    }
};

QTEST_MAIN(TestPrintForm)
#include "test_print_form.moc"
