// The Duvuda Duvedozo window against the demo engine, and the export wizard.
#include "core/platform/AppFolders.h"
#include "core/platform/Registry.h"
#include "gui/export/ExportWizardForm.h"
#include "gui/livecheck/DuvudaDuvedozoForm.h"
#include "gui/livecheck/DuvudaExportForm.h"
#include "gui/widgets/DesktopLinks.h"

#include "DuvudaTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <QtTest>

using namespace corvane;

namespace {

const QString Term = QStringLiteral("garden tools");

QString hostAt(int day, int rank) { return QUrl(DemoEngine::ranking(Term, day).at(rank - 1)).host(); }

template <typename W>
W* child(QWidget& form, const char* name)
{
    return form.findChild<W*>(QLatin1String(name));
}

void selectEngines(QWidget& form, const QStringList& names)
{
    auto* list = child<QListWidget>(form, "EngineList");
    list->clearSelection();
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setSelected(names.contains(list->item(i)->text()));
}

void fillSearch(QWidget& form, const QString& term, const QString& url, int depth)
{
    child<QComboBox>(form, "TermCombo")->setCurrentText(term);
    child<QComboBox>(form, "URLCombo")->setCurrentText(url);
    child<QSpinBox>(form, "DepthSpin")->setValue(depth);
}

} // namespace

class TestDuvudaDuvedozoForm : public QObject
{
    Q_OBJECT

private:
    // One profile for all cases: setting one up costs more than the cases.
    std::unique_ptr<test::DuvudaProfile> m_profile;

private slots:
    void initTestCase()
    {
        m_profile = std::make_unique<test::DuvudaProfile>();
        QVERIFY(m_profile->ready());
    }

    void init()
    {
        m_profile->engine.setFailure(DemoEngine::Failure::None);
        m_profile->engine.resetCounts();
        m_profile->profile.messages.clear();
        m_profile->dm->WriteSetting(QStringLiteral("File Locations"), QStringLiteral("PPExportFolder"),
                                    m_profile->exportFolder);
    }

    void cleanupTestCase() { m_profile.reset(); }

    void listsEnginesAndEnablesGoOnlyWhenReady()
    {
        test::DuvudaProfile& p = *m_profile;
        TDuvudaDuvedozoForm form(*p.dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.windowTitle(), QStringLiteral("Duvuda Duvedozo"));
        auto* country = child<QComboBox>(form, "CountryCombo");
        QCOMPARE(country->itemText(0), QStringLiteral("All"));
        QVERIFY(country->findText(QStringLiteral("International")) > 0);
        auto* list = child<QListWidget>(form, "EngineList");
        QVERIFY(list->count() >= 4);
        QCOMPARE(list->item(0)->text(), QStringLiteral("Corvane Demo"));
        QVERIFY(child<QLabel>(form, "EngineLink")->text().contains(QStringLiteral(">Corvane Demo</a>")));
        QVERIFY(child<QPlainTextEdit>(form, "EngineNotes")
                    ->toPlainText()
                    .contains(QStringLiteral("numbered style")));
        QCOMPARE(child<QSpinBox>(form, "DepthSpin")->value(), 50);
        QCOMPARE(child<QSpinBox>(form, "DepthSpin")->minimum(), 1);
        QCOMPARE(child<QSpinBox>(form, "DepthSpin")->maximum(), 9999);
        QVERIFY(!child<QCheckBox>(form, "AnyMatchCheck")->isChecked());
        QVERIFY(form.statusText().isEmpty());
        QVERIFY(form.findChild<QLabel*>(QStringLiteral("HintLabel"))
                    ->text()
                    .startsWith(QStringLiteral("Use Duvuda")));

        auto* go = child<QPushButton>(form, "GoButton");
        QVERIFY(!go->isEnabled());
        fillSearch(form, Term, QString(), 50);
        QVERIFY(!go->isEnabled());
        fillSearch(form, Term, QStringLiteral("widget.com"), 50);
        QVERIFY(go->isEnabled());
        list->clearSelection();
        QVERIFY(!go->isEnabled());
        country->setCurrentText(QStringLiteral("International"));
        QVERIFY(list->count() >= 4);
        QVERIFY(go->isEnabled()); // the first engine is selected again
        QVERIFY(!child<QAction>(form, "SaveResultsAction")->isEnabled());

        // Text dropped on the URL box fills it.
        QMimeData mime;
        mime.setText(QStringLiteral("dropped.example\nsecond line"));
        auto* urlBox = child<QComboBox>(form, "URLCombo");
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(urlBox, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(urlBox, &drop);
        QCOMPARE(urlBox->currentText(), QStringLiteral("dropped.example"));
    }

    void goListsEveryHitAndAppendsLaterRuns()
    {
        test::DuvudaProfile& p = *m_profile;
        TDuvudaDuvedozoForm form(*p.dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        selectEngines(form, {QStringLiteral("Corvane Demo")});
        fillSearch(form, Term, hostAt(4, 3), 20);
        QTest::keyClick(child<QComboBox>(form, "URLCombo"), Qt::Key_Return);
        QCOMPARE(form.statusText(), QStringLiteral("Done..."));
        QVERIFY(p.engine.requestCount(QStringLiteral("/numbered/search")) == 2);
        const QList<DuvudaResultRow> rows = form.results().resultRows();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.first().cells[DuvudaResultRow::Rank], QStringLiteral("3"));
        QCOMPARE(rows.first().cells[DuvudaResultRow::Page], QStringLiteral("1"));
        QCOMPARE(rows.first().date, QDate::currentDate());
        QVERIFY(rows.first().cells[DuvudaResultRow::SearchEngine].startsWith(
            QStringLiteral("<!--Corvane Demo--><a href=")));
        QVERIFY(child<QAction>(form, "SaveResultsAction")->isEnabled());
        QVERIFY(child<QPushButton>(form, "GoButton")->isEnabled());
        QVERIFY(!child<QPushButton>(form, "StopButton")->isEnabled());

        // A URL typed with a capital letter finds nothing; the earlier row stays.
        QString capital = hostAt(4, 3);
        capital[0] = capital.at(0).toUpper();
        fillSearch(form, Term, capital, 20);
        form.GoButtonClick();
        QCOMPARE(form.results().resultRows().size(), 1);

        // A second run appends below the first.
        fillSearch(form, Term, hostAt(4, 7), 10);
        form.GoButtonClick();
        QCOMPARE(form.results().resultRows().size(), 2);
        QCOMPARE(form.results().rows().at(1).cells[DuvudaResultRow::Rank], QStringLiteral("7"));
        QCOMPARE(child<QComboBox>(form, "URLCombo")->itemText(0), hostAt(4, 7));
    }

    void stopDuringTheFirstOfThreeEnginesEndsTheRun()
    {
        test::DuvudaProfile& p = *m_profile;
        p.engine.setSlowDelay(4000);
        p.engine.setFailure(DemoEngine::Failure::Slow);
        TDuvudaDuvedozoForm form(*p.dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        selectEngines(form,
                      {QStringLiteral("Corvane Demo"), QStringLiteral("Corvane Demo Unnumbered"),
                       QStringLiteral("Corvane Demo TagFirst")});
        fillSearch(form, Term, QStringLiteral("nowhere.example"), 50);
        bool stopWasEnabled = false;
        QTimer::singleShot(300, &form, [&] {
            auto* stop = child<QPushButton>(form, "StopButton");
            stopWasEnabled = stop->isEnabled() && !child<QPushButton>(form, "GoButton")->isEnabled()
                && !child<QListWidget>(form, "EngineList")->isEnabled();
            QTest::mouseClick(stop, Qt::LeftButton);
        });
        QElapsedTimer clock;
        clock.start();
        form.GoButtonClick();
        QVERIFY(clock.elapsed() < 3000); // the slow transfer in flight was cut short
        QVERIFY(stopWasEnabled);
        QCOMPARE(form.statusText(), QStringLiteral("Done..."));
        QCOMPARE(p.engine.requestCount(QStringLiteral("/unnumbered/search")), 0);
        QCOMPARE(p.engine.requestCount(QStringLiteral("/tagfirst/search")), 0);
        QVERIFY(child<QListWidget>(form, "EngineList")->isEnabled());
    }

    void savedResultsReopenWithEveryCellAndDamagedFilesChangeNothing()
    {
        test::DuvudaProfile& p = *m_profile;
        TDuvudaDuvedozoForm form(*p.dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        selectEngines(form, {QStringLiteral("Corvane Demo"), QStringLiteral("Corvane Demo TagFirst")});
        fillSearch(form, Term, hostAt(4, 12), 20);
        child<QCheckBox>(form, "AnyMatchCheck")->setChecked(true); // rank 12 links below the site's root
        form.GoButtonClick();
        const QList<DuvudaResultRow> before = form.results().resultRows();
        QCOMPARE(before.size(), 2);

        const QString path = p.profile.programFolder() + QStringLiteral("Saved/results.pp");
        QDir().mkpath(p.profile.programFolder() + QStringLiteral("Saved"));
        QVERIFY(form.SaveResultsFile(path));
        QCOMPARE(form.exportFolder(), p.profile.programFolder() + QStringLiteral("Saved/"));
        form.ClearResultsClick();
        QCOMPARE(form.results().rowCount(), 1);
        QVERIFY(!child<QAction>(form, "SaveResultsAction")->isEnabled());
        QVERIFY(form.OpenResultsFile(path));
        QCOMPARE(form.results().resultRows(), before);

        const QString damaged = p.profile.programFolder() + QStringLiteral("damaged.pp");
        QFile file(damaged);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{\"format\": \"Duvuda Duvedozo results\", \"version\": 1, \"rows\": [{\"date\": ");
        file.close();
        QVERIFY(!form.OpenResultsFile(damaged));
        QCOMPARE(form.results().resultRows(), before);
        QVERIFY(!p.profile.messages.isEmpty());
        QVERIFY(p.profile.messages.last().startsWith(QStringLiteral("Error: The file ")));
        QVERIFY(p.profile.messages.last().contains(QStringLiteral("damaged.pp")));

        // Copy with and without tags, then delete the row.
        auto* grid = form.findChild<QTableView*>(QStringLiteral("ResultGrid"));
        grid->selectRow(0);
        form.CopyWithoutTagsClick();
        const QStringList plain = QGuiApplication::clipboard()->text().split(QLatin1Char('\t'));
        QCOMPARE(plain.size(), 6);
        QCOMPARE(plain.at(1), QStringLiteral("12"));
        QCOMPARE(plain.at(4), Term);
        form.CopyWithTagsClick();
        QVERIFY(QGuiApplication::clipboard()->text().contains(QStringLiteral("<!--garden tools--><a href=")));
        grid->setCurrentIndex(form.results().index(0, 0));
        form.DeleteRowClick();
        QCOMPARE(form.results().resultRows(), before.mid(1));
    }

    void exportFillsPPExportAndUpdatesTheExportFolder()
    {
        test::DuvudaProfile& p = *m_profile;
        TDuvudaDuvedozoForm form(*p.dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        selectEngines(form, {QStringLiteral("Corvane Demo")});
        fillSearch(form, Term, hostAt(4, 5), 10);
        form.GoButtonClick();
        QCOMPARE(form.results().resultRows().size(), 1);

        const QString target = p.profile.programFolder() + QStringLiteral("Elsewhere/");
        QDir().mkpath(target);
        QString defaultName;
        test::whenModal<TDuvudaExportForm>([&](TDuvudaExportForm& kind) {
            QCOMPARE(kind.windowTitle(), QStringLiteral("Duvuda Duvedozo Export"));
            QCOMPARE(kind.kind(), DuvudaExportKind::Labels);
            kind.setKind(DuvudaExportKind::Links);
            test::whenModal<TExportWizardForm>([&](TExportWizardForm& wizard) {
                defaultName = wizard.fileName();
                wizard.setFormat(ExportFormat::Csv);
                wizard.setFileName(target + QStringLiteral("DuroViz"));
                wizard.ExportButtonClick();
            });
            kind.accept();
        });
        form.ExportClick();
        QCOMPARE(defaultName, p.exportFolder + QStringLiteral("DuroViz.xlsx"));
        QCOMPARE(form.exportFolder(), target);
        QFile csv(target + QStringLiteral("DuroViz.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(csv.readAll());
        QVERIFY2(text.startsWith(QStringLiteral("xDate,Rank,Page,URL,SearchTerm,SearchEngine\r\n")),
                 qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral(",5,1,http://") + hostAt(4, 5)), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("/numbered/search?q=garden+tools")));

        // Closing writes the export folder back to the settings store.
        form.close();
        QCOMPARE(p.dm->registry().readString(QStringLiteral("Software\\Corvane\\File Locations"),
                                             QStringLiteral("PPExportFolder")),
                 target);
    }

    void printingFillsTheReportTableAndAMissingLibraryIsReported()
    {
        test::DuvudaProfile& p = *m_profile;
        TDuvudaDuvedozoForm form(*p.dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        selectEngines(form, {QStringLiteral("Corvane Demo")});
        fillSearch(form, Term, hostAt(4, 2), 10);
        form.GoButtonClick();
        if (QFile::exists(AppFolders::binaryPath(QStringLiteral("CVReports.so"))))
            QSKIP("the report library is built beside the tests");
        form.PrintClick();
        QCOMPARE(p.profile.messages.size(), 1);
        QVERIFY(p.profile.messages.first().startsWith(QStringLiteral("Error: ")));
        QVERIFY(p.profile.messages.first().contains(QStringLiteral("CVReports")));
        Table report(&form.QuickHVDatabase, QStringLiteral("CVReportTemp"));
        report.open();
        QCOMPARE(report.recordCount(), 1);
        QCOMPARE(report.asInteger(QStringLiteral("Rank")), 2);
        QCOMPARE(report.asString(QStringLiteral("SearchEngine")), QStringLiteral("Corvane Demo"));
        report.close();
        QVERIFY(form.isVisible());

        if (QFile::exists(AppFolders::binaryPath(QStringLiteral("CVDBRoutines.so"))))
            return;
        form.UpdateScriptsButtonClick();
        QCOMPARE(p.profile.messages.size(), 2);
        QVERIFY(p.profile.messages.last().startsWith(QStringLiteral("Error: ")));
        QVERIFY(p.profile.messages.last().contains(QStringLiteral("CVDBRoutines")));
        QVERIFY(child<QListWidget>(form, "EngineList")->count() >= 4); // SE3 was opened again
        QVERIFY(form.SE3Table.isOpen());
    }

    void onlyWebAddressesFromDataAreHandedToTheDesktop()
    {
        for (const char* web : {"http://a.example/x?q=1", "HTTPS://a.example", "a.example"})
            QVERIFY2(DesktopLinks::isWebAddress(QLatin1String(web)), web);
        for (const char* other : {"javascript:alert(1)", "file:///etc/passwd", "/etc/passwd",
                                  "mailto:a@b.example", "ftp://a.example/", "", "http://"})
            QVERIFY2(!DesktopLinks::isWebAddress(QLatin1String(other)), other);
        QVERIFY(!DesktopLinks::openWebAddress(QStringLiteral("file:///etc/passwd")));
    }

    void closingKeepsHistoriesAndColumnWidths()
    {
        test::DuvudaProfile& p = *m_profile;
        {
            TDuvudaDuvedozoForm form(*p.dm);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            selectEngines(form, {QStringLiteral("Corvane Demo")});
            fillSearch(form, Term, QStringLiteral("nowhere.example"), 10);
            form.GoButtonClick();
            form.findChild<QTableView*>(QStringLiteral("ResultGrid"))->setColumnWidth(1, 77);
            form.close();
        }
        const QString ini = p.dm->Settings.ExeFolder + QStringLiteral("FORM.INI");
        QSettings settings(ini, QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("QuickHVST/Item0")).toString(), Term);
        QCOMPARE(settings.value(QStringLiteral("QuickHVURL/Item0")).toString(),
                 QStringLiteral("nowhere.example"));
        QCOMPARE(settings.value(QStringLiteral("QuickHVURLGrid/Col1")).toInt(), 77);
        QVERIFY(settings.contains(QStringLiteral("PPForm/Position")));

        TDuvudaDuvedozoForm again(*p.dm);
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QCOMPARE(child<QComboBox>(again, "TermCombo")->itemText(0), Term);
        QCOMPARE(again.findChild<QTableView*>(QStringLiteral("ResultGrid"))->columnWidth(1), 77);
    }

    void anEmptyExportFolderMeansTheDocumentsFolder()
    {
        m_profile->dm->WriteSetting(QStringLiteral("File Locations"), QStringLiteral("PPExportFolder"),
                                    QString());
        TDuvudaDuvedozoForm form(*m_profile->dm);
        QCOMPARE(form.exportFolder(), AppFolders::documentsFolder() + QStringLiteral("DuvudaDuvedozo/"));
    }

    void theWizardWritesPdfAndTheClipboard()
    {
        test::UiProfile& profile = m_profile->profile;
        TDM1* dm = m_profile->dm.get();
        ExportData data;
        data.name = QStringLiteral("PPExport");
        data.columns = {{QStringLiteral("xDate"), ExportColumn::Type::Date},
                        {QStringLiteral("URL"), ExportColumn::Type::Text}};
        data.rows = {{QDate(2026, 12, 7), QStringLiteral("widget.com")},
                     {QDate(2026, 12, 8), QStringLiteral("b.com")}};
        const QString base = profile.programFolder() + QStringLiteral("DuroViz");
        TExportWizardForm wizard(*dm, data, QStringLiteral("Duvuda Duvedozo"), base);
        QCOMPARE(wizard.format(), ExportFormat::Xlsx);
        QCOMPARE(wizard.fileName(), base + QStringLiteral(".xlsx"));
        wizard.setDateSettings(ExportDateSettings::fromShortDateFormat(QStringLiteral("dd.MM.yyyy")));

        wizard.setFormat(ExportFormat::Pdf);
        QCOMPARE(wizard.fileName(), base + QStringLiteral(".pdf"));
        QVERIFY(wizard.ExportButtonClick());
        QCOMPARE(wizard.exportedFile(), base + QStringLiteral(".pdf"));
        QFile pdf(base + QStringLiteral(".pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const QByteArray bytes = pdf.readAll();
        QVERIFY(bytes.startsWith("%PDF-"));
        QVERIFY(bytes.contains("/Type /Page"));

        wizard.setFormat(ExportFormat::Clipboard);
        QVERIFY(wizard.ExportButtonClick());
        QVERIFY(wizard.exportedFile().isEmpty());
        const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(mime->text(), QStringLiteral("xDate\tURL\n07.12.2026\twidget.com\n08.12.2026\tb.com\n"));
        QVERIFY(mime->html().contains(QStringLiteral("<td>widget.com</td>")));

        wizard.setFormat(ExportFormat::Json);
        wizard.setFileName(profile.programFolder() + QStringLiteral("missing/DuroViz"));
        QVERIFY(!wizard.ExportButtonClick());
        QVERIFY(profile.messages.last().contains(QStringLiteral("does not exist")));
    }
};

QTEST_MAIN(TestDuvudaDuvedozoForm)
#include "test_duvuda_duvedozo_form.moc"
