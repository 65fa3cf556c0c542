// Day at a glance, the Full URL view, the log and daily results on a profile
// that corvane-setup --demo has mined, with a second project whose names hold
// quotes, markup and umlauts; expected values come from the table files.
#include "core/data/Dataset.h"
#include "core/data/FieldCodec.h"
#include "core/data/Schema.h"
#include "core/datamodule/DM1.h"
#include "core/dayviews/DayGlanceData.h"
#include "core/demo/DemoEngine.h"
#include "core/platform/Registry.h"
#include "core/settings/Settings.h"
#include "gui/dayviews/DayGlanceForm.h"
#include "gui/dayviews/FullURLForm.h"
#include "gui/dayviews/LogForm.h"
#include "gui/maintenance/CVDailyForm.h"
#include "gui/widgets/BrowserPane.h"

#include "UiTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

#include <memory>
#include <sqlite3.h>

using namespace corvane;
using DayGlance::Grid;

namespace {

const QString BinFolder = QStringLiteral(CORVANE_BIN_DIR "/");
const QString Demo = QStringLiteral("Demo");
// Project names hold no blanks; the other names may.
const QString OddProject = QString::fromUtf8("Müller&\"Söhne\"<b>O'R</b>");
const QString Odd = QString::fromUtf8("Bäcker & \"Söhne\" <b>O'Reilly</b>");

} // namespace

class TestDayViewForms : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::UiProfile> m_profile;
    std::unique_ptr<TDM1> m_dm;
    QDate m_today = QDate::currentDate();

    // Rows of a direct statement on one table file, cells joined by "|".
    QStringList direct(const QString& table, const QString& sql) const
    {
        sqlite3* handle = nullptr;
        sqlite3_open_v2(
            QFile::encodeName(m_dm->Settings.DataFolder + table + QStringLiteral(".dat")).constData(),
            &handle, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(handle, sql.toUtf8().constData(), -1, &statement, nullptr);
        QStringList rows;
        while (statement && sqlite3_step(statement) == SQLITE_ROW) {
            QStringList cells;
            for (int c = 0; c < sqlite3_column_count(statement); ++c)
                cells << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, c)));
            rows << cells.join(QLatin1Char('|'));
        }
        sqlite3_finalize(statement);
        sqlite3_close(handle);
        return rows;
    }

    static QString quoted(const QString& value)
    {
        return QLatin1Char('\'') + QString(value).replace(QLatin1Char('\''), QStringLiteral("''"))
            + QLatin1Char('\'');
    }
    QString onToday() const
    {
        return QStringLiteral(" AND xDate = '") + m_today.toString(Qt::ISODate) + QLatin1Char('\'');
    }

    static QStringList gridRows(const TDayGlanceForm& form, Grid grid)
    {
        QStringList rows;
        for (const QVariantList& row : form.gridValues(grid)) {
            QStringList cells;
            for (const QVariant& value : row)
                cells << (value.typeId() == QMetaType::QDate ? value.toDate().toString(Qt::ISODate)
                                                             : value.toString());
            rows << cells.join(QLatin1Char('|'));
        }
        return rows;
    }

    void addOddProject()
    {
        TDM1& dm = *m_dm;
        dm.GroupTable.open();
        dm.GroupTable.append();
        dm.GroupTable.setValue(QStringLiteral("Name"), OddProject);
        dm.GroupTable.setValue(QStringLiteral("Depth"), 20);
        dm.GroupTable.setValue(QStringLiteral("FullURLData"), false);
        dm.GroupTable.setValue(QStringLiteral("LastRun"),
                               FieldCodec::toDayCount(QDateTime(m_today, QTime(7, 0))));
        dm.GroupTable.post();
        Table urls(&dm.General, QStringLiteral("CVURL"));
        urls.open();
        urls.append();
        urls.setValue(QStringLiteral("Name"), Odd);
        urls.setValue(QStringLiteral("URL"), QStringLiteral("bäcker.example/<b>"));
        urls.setValue(QStringLiteral("Project"), OddProject);
        urls.post();
        Table terms(&dm.General, QStringLiteral("CVST"));
        terms.open();
        terms.append();
        terms.setValue(QStringLiteral("Virtual"), Odd);
        terms.setValue(QStringLiteral("Physical"),
                       QString(Odd).replace(QLatin1Char(' '), QStringLiteral("~~~")));
        terms.setValue(QStringLiteral("Project"), OddProject);
        terms.post();
        for (int r = 1; r <= 3; ++r) {
            dm.RankTable.open();
            dm.RankTable.append();
            dm.RankTable.setValue(QStringLiteral("Project"), OddProject);
            dm.RankTable.setValue(QStringLiteral("SearchEngine"),
                                  r == 3 ? Odd : QStringLiteral("Demo Numbered"));
            dm.RankTable.setValue(QStringLiteral("SearchTerm"), Odd);
            dm.RankTable.setValue(QStringLiteral("URL"), Odd);
            dm.RankTable.setValue(QStringLiteral("Rank"), r * 4);
            dm.RankTable.setValue(QStringLiteral("Page"), 1);
            dm.RankTable.setValue(QStringLiteral("xDate"), m_today);
            dm.RankTable.setValue(QStringLiteral("FoundLink"),
                                  QStringLiteral("http://bäcker.example/?a=1&b=<b>"));
            dm.RankTable.post();
        }
        dm.HiLoTable.open();
        dm.HiLoTable.append();
        dm.HiLoTable.setValue(QStringLiteral("Project"), OddProject);
        dm.HiLoTable.setValue(QStringLiteral("xDate"), m_today);
        dm.HiLoTable.setValue(QStringLiteral("URL"), Odd);
        dm.HiLoTable.setValue(QStringLiteral("SearchEngine"), Odd);
        dm.HiLoTable.setValue(QStringLiteral("SearchTerm"), Odd);
        dm.HiLoTable.setValue(QStringLiteral("AltYesterday"), 9);
        dm.HiLoTable.setValue(QStringLiteral("AltToday"), 4);
        dm.HiLoTable.setValue(QStringLiteral("Difference"), 5);
        dm.HiLoTable.post();
        dm.HiLoTable.close();
        dm.RankTable.close();
        dm.GroupTable.close();
    }

private slots:
    void initTestCase()
    {
        m_profile = std::make_unique<test::UiProfile>();
        QVERIFY2(m_profile->ready(), qPrintable(m_profile->error()));
        QProcess setup;
        setup.setProcessChannelMode(QProcess::MergedChannels);
        setup.start(BinFolder + QStringLiteral("corvane-setup"),
                    {QStringLiteral("--demo"), QStringLiteral("--demo-days"), QStringLiteral("2"),
                     QStringLiteral("--quiet"), QStringLiteral("--profile"), m_profile->programFolder()});
        QVERIFY(setup.waitForFinished(180000));
        QVERIFY2(setup.exitCode() == 0, setup.readAll().constData());
        m_dm = m_profile->makeDataModule();
        m_dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Project"), Demo);
        m_dm->LoadSettings();
        m_dm->OpenDatabases();
        addOddProject();
    }

    void cleanupTestCase()
    {
        m_dm->CloseDatabases();
        m_dm.reset();
        DM1 = nullptr;
    }

    void init() { m_profile->messages.clear(); }

    // Day at a glance ---------------------------------------------------

    void dayGlanceOpensOnTheCurrentProjectAndItsGridsMatchTheTables()
    {
        TDayGlanceForm form(*m_dm);
        QCOMPARE(form.windowTitle(), QStringLiteral("Day at a Glance - Project Demo"));
        QCOMPARE(form.project(), Demo);
        QCOMPARE(form.date(), m_today);
        const QString where = QStringLiteral(" WHERE Project = 'Demo'") + onToday();
        const auto counts = [&](const char* column) {
            return direct(QStringLiteral("CVRank"),
                          QStringLiteral("SELECT COUNT(*), %1 FROM CVRank").arg(QLatin1String(column)) + where
                              + QStringLiteral(" GROUP BY %1 ORDER BY COUNT(*), %1 COLLATE NOCASE")
                                    .arg(QLatin1String(column)));
        };
        // The grids' own order puts equal counts in either order; compare as sets, then the counts' order.
        QStringList urls = gridRows(form, Grid::Url);
        QStringList expectedUrls = counts("URL");
        QVERIFY(!expectedUrls.isEmpty());
        QCOMPARE(urls.size(), expectedUrls.size());
        QStringList sortedUrls = urls;
        sortedUrls.sort();
        expectedUrls.sort();
        QCOMPARE(sortedUrls, expectedUrls);
        QStringList terms = gridRows(form, Grid::SearchTerm);
        terms.sort();
        QStringList expectedTerms = counts("SearchTerm");
        expectedTerms.sort();
        QCOMPARE(terms, expectedTerms);
        QStringList engines = gridRows(form, Grid::SearchEngine);
        engines.sort();
        QStringList expectedEngines = counts("SearchEngine");
        expectedEngines.sort();
        QCOMPARE(engines, expectedEngines);
        const QStringList changes =
            direct(QStringLiteral("CVHilo"),
                   QStringLiteral("SELECT xDate, URL, SearchEngine, SearchTerm, AltYesterday, "
                                  "AltToday, Difference FROM CVHilo")
                       + where);
        QStringList shown = gridRows(form, Grid::Position);
        QStringList expectedChanges = changes;
        shown.sort();
        expectedChanges.sort();
        QCOMPARE(shown, expectedChanges);
        QCOMPARE(form.gridTitle(Grid::Position),
                 QStringLiteral("Postion Activity (entries = %1)").arg(changes.size()));
        QCOMPARE(form.gridTitle(Grid::Url), QStringLiteral("URL Activity (entries = %1)").arg(urls.size()));

        // Counts ascending; a header click sorts in place.
        const QList<QVariantList> byCount = form.gridValues(Grid::SearchTerm);
        for (int i = 1; i < byCount.size(); ++i)
            QVERIFY(byCount.at(i - 1).at(0).toInt() <= byCount.at(i).at(0).toInt());
        form.grid(Grid::SearchTerm)->sortByColumn(1, Qt::DescendingOrder);
        const QList<QVariantList> byTerm = form.gridValues(Grid::SearchTerm);
        QCOMPARE(byTerm.size(), byCount.size());
        for (int i = 1; i < byTerm.size(); ++i)
            QVERIFY(
                byTerm.at(i - 1).at(1).toString().compare(byTerm.at(i).at(1).toString(), Qt::CaseInsensitive)
                >= 0);

        // The bar went through the four quarters of its track.
        QVERIFY(!form.progressWidths().isEmpty());
        for (int i = 1; i < form.progressWidths().size(); ++i)
            QVERIFY(form.progressWidths().at(i - 1) <= form.progressWidths().at(i));

        // Link cells: the URL's address, the engine's home page.
        const QAbstractItemModel* urlModel = form.grid(Grid::Url)->model();
        const QString urlName = urlModel->index(0, 1).data().toString();
        const QStringList address = direct(
            QStringLiteral("CVURL"),
            QStringLiteral("SELECT URL FROM CVURL WHERE Project = 'Demo' AND Name = ") + quoted(urlName));
        QCOMPARE(urlModel->index(0, 1).data(Qt::UserRole + 1).toString(),
                 DayGlance::webAddress(address.value(0)));
        const QAbstractItemModel* engineModel = form.grid(Grid::SearchEngine)->model();
        QVERIFY(engineModel->index(0, 1).data(Qt::UserRole + 1).toString().startsWith(QLatin1String("http")));
        QVERIFY(m_profile->messages.isEmpty());
    }

    void dayGlanceSelectsForPrintAndChangesDayOnlyOnGo()
    {
        TDayGlanceForm form(*m_dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.printLabelText(), QStringLiteral("None selected for print."));
        QVERIFY(!form.printEnabled());
        QTest::mouseClick(form.grid(Grid::SearchTerm)->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(form.printLabelText(),
                 form.gridTitle(Grid::SearchTerm) + QStringLiteral(" selected to print."));
        QVERIFY(form.printEnabled());

        // Another project moves the date to its last run; the grids wait for Go.
        const QString before = form.gridTitle(Grid::Url);
        form.setProject(OddProject);
        QCOMPARE(form.date(), m_today);
        QCOMPARE(form.gridTitle(Grid::Url), before);
        form.setDate(m_today.addDays(-400));
        form.GoButtonClick();
        for (const Grid grid : DayGlance::Grids)
            QVERIFY(form.gridTitle(grid).endsWith(QLatin1String("(entries = 0)")));
        QCOMPARE(form.printLabelText(),
                 QStringLiteral("SearchTerm Activity (entries = 0) has no records to print."));
        QVERIFY(!form.printEnabled());

        // Odd names come out as the text they are, in cells and the report.
        form.setDate(m_today);
        form.GoButtonClick();
        QCOMPARE(form.grid(Grid::Position)->model()->index(0, 1).data().toString(), Odd);
        QCOMPARE(form.grid(Grid::Url)->model()->index(0, 1).data().toString(), Odd);
        QCOMPARE(form.grid(Grid::Url)->model()->index(0, 1).data(Qt::UserRole + 1).toString(),
                 QString::fromUtf8("http://www.bäcker.example/<b>"));
        DayGlance::fillReport(m_dm->General, Grid::SearchEngine, form.gridValues(Grid::SearchEngine));
        QStringList report = direct(QStringLiteral("CVReportTemp"),
                                    QStringLiteral("SELECT SearchEngine, Count FROM CVReportTemp"));
        report.sort();
        QCOMPARE(report, (QStringList{Odd + QStringLiteral("|1"), QStringLiteral("Demo Numbered|2")}));
    }

    void dayGlancePrintsTheSelectedGridThroughTheReportLibrary()
    {
        TDayGlanceForm form(*m_dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::mouseClick(form.grid(Grid::Url)->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(form.printEnabled());
        // The real CVReports.so shows its design window over the form; it is closed as soon as it shows.
        QString shown;
        QTimer closer;
        closer.setInterval(50);
        connect(&closer, &QTimer::timeout, this, [&] {
            QWidget* window = QApplication::activeModalWidget();
            if (window && window != &form && shown.isEmpty()) {
                shown = window->windowTitle();
                window->close();
            }
        });
        closer.start();
        form.PageSetupButtonClick();
        closer.stop();
        QVERIFY2(!shown.isEmpty(), "no report window showed");
        QVERIFY2(m_profile->messages.isEmpty(), qPrintable(m_profile->messages.join(QLatin1Char('\n'))));
        QStringList report =
            direct(QStringLiteral("CVReportTemp"), QStringLiteral("SELECT URL, Count FROM CVReportTemp"));
        QStringList expected;
        for (const QVariantList& row : form.gridValues(Grid::Url))
            expected << row.at(1).toString() + QLatin1Char('|') + row.at(0).toString();
        QCOMPARE(report, expected);
    }

    // Log ----------------------------------------------------------------

    void logShowsPeriodsFindsAndPrints()
    {
        // A log of the test's own, without the demo sessions' records.
        Table log(&m_dm->General, QStringLiteral("CVLog"));
        log.open();
        log.emptyTable();
        const auto add = [&](const QDate& day, const char* time, const QString& message) {
            log.append();
            log.setValue(QStringLiteral("xDate"), day);
            log.setValue(QStringLiteral("xTime"), QLatin1String(time));
            log.setValue(QStringLiteral("Message"), message);
            log.post();
        };
        add(m_today.addDays(-40), "08:00:00", QStringLiteral("Old session"));
        add(m_today.addDays(-3), "08:00:00", QStringLiteral("Session of three days ago"));
        add(m_today.addDays(-1), "10:00:00", Odd);
        add(m_today.addDays(-1), "10:00:00", QStringLiteral("Same second, second record"));
        log.close();

        TLogForm form(*m_dm);
        QCOMPARE(form.periodKey(), QStringLiteral("Entry"));
        const QString day = m_today.addDays(-1).toString(QStringLiteral("MM-dd-yyyy"));
        QCOMPARE(form.text(),
                 day + QStringLiteral(":10:00:00:") + Odd + QLatin1Char('\n') + day
                     + QStringLiteral(":10:00:00:Same second, second record\n"));
        QFile file(m_dm->Settings.ExeFolder + QStringLiteral("Log.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()), form.text());
        QCOMPARE(QDir::currentPath() + QLatin1Char('/'),
                 QDir(m_dm->Settings.ExeFolder).absolutePath() + QLatin1Char('/'));

        form.ShowPeriod(LogView::Period::Week);
        QCOMPARE(form.periodKey(), QStringLiteral("1 Week"));
        QCOMPARE(form.text().count(QLatin1Char('\n')), 3);
        form.ShowPeriod(LogView::Period::All);
        QCOMPARE(form.text().count(QLatin1Char('\n')), 4);
        QVERIFY(form.text().startsWith(m_today.addDays(-40).toString(QStringLiteral("MM-dd-yyyy"))
                                       + QStringLiteral(":08:00:00:Old session\n")));
        form.setToday(m_today.addDays(60));
        form.ShowPeriod(LogView::Period::Week);
        QCOMPARE(form.text(), QString());
        form.ShowPeriod(LogView::Period::Entry);
        QVERIFY(form.text().contains(QLatin1String("Same second")));

        // Find: downward from the selection, then the end.
        form.setFindText(QStringLiteral("second"));
        form.FindDialog1Find(form.findDialog());
        QCOMPARE(form.editor()->textCursor().selectedText(), QStringLiteral("second"));
        const int first = form.editor()->textCursor().selectionStart();
        form.FindDialog1Find(form.findDialog());
        QVERIFY(form.editor()->textCursor().selectionStart() > first);
        QVERIFY(m_profile->messages.isEmpty());
        form.FindDialog1Find(form.findDialog());
        QCOMPARE(m_profile->messages,
                 QStringList{QStringLiteral("Find/Rep: <P align=\"center\">End of document reached.</P>")});
        form.FindDialog1Find(&form);
        QCOMPARE(m_profile->messages.last(),
                 QStringLiteral("Find/Rep: <P align=\"center\">Dynamic Cast Failed!</P>"));

        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString pdf = m_profile->programFolder() + QStringLiteral("log.pdf");
        printer.setOutputFileName(pdf);
        form.PrintTo(&printer);
        QVERIFY(QFileInfo(pdf).size() > 500);
        QCOMPARE(printer.docName(), m_dm->Settings.ExeFolder + QStringLiteral("Log.txt"));
    }

    // Full URL --------------------------------------------------------------

    void fullUrlRowsGroupsAndSettingsFiles()
    {
        TFullURLForm form(*m_dm);
        QCOMPARE(form.windowTitle(), QStringLiteral("URL Full Path"));
        QCOMPARE(form.project(), Demo);
        QCOMPARE(form.date(), m_today);
        QCOMPARE(form.recordsText(), QStringLiteral("0 Records"));
        QCOMPARE(
            form.items(TFullURLForm::List::Terms).size(),
            direct(QStringLiteral("CVST"), QStringLiteral("SELECT Virtual FROM CVST WHERE Project = 'Demo'"))
                .size());
        QVERIFY(m_profile->messages.isEmpty());

        // Nothing checked: the whole day of the project.
        form.RunQuery();
        QVERIFY(!form.lastStatement().contains(QLatin1String(" WHERE ")));
        QCOMPARE(form.runStatuses(),
                 (QStringList{QStringLiteral("Querying..."), QStringLiteral("Creating Report Table..."),
                              QStringLiteral("Populating Screen...")}));
        const QStringList all =
            direct(QStringLiteral("CVRank"),
                   QStringLiteral("SELECT FoundLink FROM CVRank WHERE Project = 'Demo'") + onToday());
        QVERIFY(all.size() > 10);
        QCOMPARE(form.recordsText(), QStringLiteral("%1 records").arg(all.size()));
        QCOMPARE(direct(QStringLiteral("CVReportTemp"), QStringLiteral("SELECT COUNT(*) FROM CVReportTemp")),
                 QStringList{QString::number(all.size())});
        QVERIFY(form.gridModel()->horizontalHeaderItem(1)->text() == QStringLiteral("**Full Path**"));

        // Only one URL checked, grouped by rank: one node per distinct rank.
        const QString url = form.items(TFullURLForm::List::Urls).value(0);
        QVERIFY(form.checkItem(TFullURLForm::List::Urls, url));
        form.setGrouping({QStringLiteral("Rank"), QStringLiteral("Full Path"),
                          QStringLiteral("Search Engine"), QStringLiteral("Search Term"),
                          QStringLiteral("URL"), QStringLiteral("Page")});
        form.RunQuery();
        QVERIFY(
            form.lastStatement().contains(QStringLiteral(" WHERE (URL = \"%1\") ORDER BY Rank, ").arg(url)));
        const QString urlWhere = QStringLiteral(" FROM CVRank WHERE Project = 'Demo'") + onToday()
            + QStringLiteral(" AND URL = ") + quoted(url);
        QCOMPARE(form.gridModel()->rowCount(),
                 direct(QStringLiteral("CVRank"), QStringLiteral("SELECT DISTINCT Rank") + urlWhere).size());
        QCOMPARE(form.recordsText(),
                 QStringLiteral("%1 records")
                     .arg(direct(QStringLiteral("CVRank"), QStringLiteral("SELECT Rank") + urlWhere).size()));
        QCOMPARE(form.gridModel()->horizontalHeaderItem(5)->text(), QStringLiteral("**Rank**"));

        // Saved and opened again: the same choices and rows.
        const QString path = m_profile->programFolder() + QStringLiteral("demo.ufp");
        form.SaveSettings(path);
        form.ClearAllClick();
        form.setGrouping(FullUrlQuery::defaultGrouping());
        QVERIFY(form.OpenSettings(path));
        QCOMPARE(form.checkedItems(TFullURLForm::List::Urls), QStringList{url});
        QCOMPARE(form.grouping().value(0), QStringLiteral("Rank"));
        QCOMPARE(form.gridModel()->rowCount(),
                 direct(QStringLiteral("CVRank"), QStringLiteral("SELECT DISTINCT Rank") + urlWhere).size());

        // A damaged file changes nothing and says what is wrong.
        const QString damaged = m_profile->programFolder() + QStringLiteral("damaged.ufp");
        QFile out(damaged);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("~~Project\nDemo\n~~Date\nnot a date\n~~END\n");
        out.close();
        const int rows = form.gridModel()->rowCount();
        QVERIFY(!form.OpenSettings(damaged));
        QCOMPARE(m_profile->messages.size(), 1);
        QVERIFY2(m_profile->messages.first().contains(QLatin1String("&quot;not a date&quot; is not a date")),
                 qPrintable(m_profile->messages.first()));
        QCOMPARE(form.gridModel()->rowCount(), rows);
        QCOMPARE(form.checkedItems(TFullURLForm::List::Urls), QStringList{url});

        // An item the project no longer has is named; reading goes on.
        m_profile->messages.clear();
        FullUrlSettings settings = form.currentSettings();
        settings.selection.terms = {Odd};
        FullUrlSettingsFile::write(path, settings);
        QVERIFY(form.OpenSettings(path));
        QCOMPARE(m_profile->messages,
                 QStringList{QStringLiteral("Warning: <P align=\"center\">Search Term ") + Odd.toHtmlEscaped()
                             + QStringLiteral(" not found.<BR>Resaving will correct the problem.</P>")});
        QCOMPARE(form.checkedItems(TFullURLForm::List::Urls), QStringList{url});

        // A project that is gone: offered for deletion.
        m_profile->messages.clear();
        settings.project = QStringLiteral("Gone");
        FullUrlSettingsFile::write(path, settings);
        QVERIFY(!form.OpenSettings(path));
        QVERIFY(m_profile->messages.value(0).contains(
            QLatin1String("Project in this setting no longer exists. Do you wish to delete it?")));
        QVERIFY(QFile::exists(path)); // the recorded answer is OK, not Yes
    }

    void fullUrlOddProjectWarnsAndShowsPlainNames()
    {
        TFullURLForm form(*m_dm);
        form.setProject(OddProject);
        QCOMPARE(m_profile->messages,
                 QStringList{QStringLiteral(
                     "Full URL: <P align=\"center\">Full URL Data is not enabled in this "
                     "project.<BR>Use the project Wizard to enable it and rerun Harvester.</P>")});
        QCOMPARE(form.items(TFullURLForm::List::Terms), QStringList{Odd});
        QVERIFY(form.checkItem(TFullURLForm::List::Terms, Odd));
        form.RunQuery();
        QCOMPARE(form.recordsText(), QStringLiteral("3 records"));
        QCOMPARE(form.gridModel()->index(0, 2).data().toString(), Odd);
        QCOMPARE(form.gridModel()->index(0, 1).data().toString(),
                 QString::fromUtf8("http://bäcker.example/?a=1&b=<b>"));
    }

    void fullUrlOpensALinkInTheBrowserPaneAndStoresTheBox()
    {
        DemoEngine engine;
        QVERIFY(engine.start());
        TFullURLForm form(*m_dm);
        form.resize(1100, 760);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.integratedBrowser()->isChecked());
        QSignalSpy loaded(form.browser(), &BrowserPane::loadFinished);
        form.OpenLink(engine.baseUrl() + QStringLiteral("/"));
        QVERIFY(loaded.wait(30000));
        QCOMPARE(loaded.first().first().toBool(), true);
        QCOMPARE(form.browserStatusText(), QStringLiteral("Done"));
        QVERIFY2(form.bytesText().endsWith(QLatin1String(" bytes"))
                     && form.bytesText() != QStringLiteral("0 bytes"),
                 qPrintable(form.bytesText()));
        QCOMPARE(form.addressBox()->text(), engine.baseUrl() + QStringLiteral("/"));
        // A link that is no web address is not opened.
        form.OpenLink(QStringLiteral("javascript:alert(1)"));
        QCOMPARE(form.browser()->url().toString(), engine.baseUrl() + QStringLiteral("/"));

        form.integratedBrowser()->setChecked(false);
        form.reject();
        Registry registry;
        QCOMPARE(registry.readString(SettingsKeys::path(QLatin1String(SettingsKeys::StartupSettings)),
                                     QStringLiteral("FullPathBrowser")),
                 QStringLiteral("false"));
        m_dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("FullPathBrowser"),
                           QStringLiteral("true"));
        m_dm->Settings.FullPathBrowser = true;
    }

    // Daily results ----------------------------------------------------------

    void dailyResultsBuildsThePageAndKeepsTheChoices()
    {
        TCVDailyForm form;
        form.setProjectName(Demo);
        form.resize(1000, 760);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.projectList()->currentText(), Demo);
        const QStringList days =
            direct(QStringLiteral("CVRank"),
                   QStringLiteral("SELECT DISTINCT xDate FROM CVRank WHERE Project = 'Demo'"));
        QCOMPARE(form.dateList()->count(), days.size());
        QCOMPARE(form.dateList()->currentData().toDate(), QDate::fromString(days.last(), Qt::ISODate));
        QCOMPARE(form.thenByList()->count(), 2);
        QVERIFY(form.runEnabled());
        QCOMPARE(form.labelLine(), QString());

        form.groupByList()->setCurrentIndex(2); // URL
        QCOMPARE(form.thenByList()->itemText(0), QStringLiteral("Search Engine"));
        form.thenByList()->setCurrentIndex(1); // Search Term: the detail lines are engines
        form.orderButton(1)->setChecked(true);
        form.showIndexBox()->setChecked(true);
        QSignalSpy loaded(form.browser(), &BrowserPane::loadFinished);
        form.RunButtonClick();
        QVERIFY(form.building());
        QVERIFY(!form.runEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!form.building(), 30000);
        QCOMPARE(form.labelLine(), QString());
        QVERIFY(loaded.wait(30000) || !loaded.isEmpty());
        QCOMPARE(form.browser()->url(),
                 QUrl::fromLocalFile(m_dm->Settings.ExeFolder + QStringLiteral("Daily.html")));
        QCOMPARE(form.browser()->title(), QStringLiteral("Daily Results"));
        QFile page(m_dm->Settings.ExeFolder + QStringLiteral("Daily.html"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QByteArray html = page.readAll();
        const QString day = days.last();
        QCOMPARE(
            html.count("Position: "),
            direct(QStringLiteral("CVRank"),
                   QStringLiteral("SELECT Rank FROM CVRank WHERE Project = 'Demo' AND xDate = '%1'").arg(day))
                .size());
        QCOMPARE(
            html.count("<A NAME=\"anchor"),
            direct(QStringLiteral("CVRank"),
                   QStringLiteral("SELECT DISTINCT URL FROM CVRank WHERE Project = 'Demo' AND xDate = '%1'")
                       .arg(day))
                .size());
        QVERIFY(!html.contains("http://") && !html.contains("https://")); // nothing fetched from the web

        form.reject();
        Registry registry;
        const QString key = SettingsKeys::path(QLatin1String(SettingsKeys::StartupSettings));
        QCOMPARE(registry.readString(key, QStringLiteral("DailyGroup1")), QStringLiteral("2"));
        QCOMPARE(registry.readString(key, QStringLiteral("DailyGroup2")), QStringLiteral("1"));
        QCOMPARE(registry.readString(key, QStringLiteral("DailyOrder")), QStringLiteral("1"));
        QCOMPARE(registry.readString(key, QStringLiteral("DailyShow")), QStringLiteral("true"));

        // Opened again: the stored choices.
        TCVDailyForm again;
        QCOMPARE(again.groupByList()->currentText(), QStringLiteral("URL"));
        QCOMPARE(again.thenByList()->currentText(), QStringLiteral("Search Term"));
        QVERIFY(again.orderButton(1)->isChecked());
        QVERIFY(again.showIndexBox()->isChecked());
    }

    void dailyResultsForAProjectWithoutRankingsCannotRun()
    {
        m_dm->GroupTable.open();
        m_dm->GroupTable.append();
        m_dm->GroupTable.setValue(QStringLiteral("Name"), QStringLiteral("Empty"));
        m_dm->GroupTable.setValue(QStringLiteral("Depth"), 10);
        m_dm->GroupTable.post();
        m_dm->GroupTable.close();
        TCVDailyForm form;
        form.setProjectName(QStringLiteral("Empty"));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(
            form.labelLine(),
            QStringLiteral("No data exists for this project.  Has Harvester been run for this project?"));
        QVERIFY(!form.runEnabled());
        // A project the list lacks selects none.
        TCVDailyForm other;
        other.setProjectName(QStringLiteral("Nowhere"));
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        QCOMPARE(other.projectList()->currentIndex(), -1);
        QCOMPARE(other.dateList()->count(), 0);
        QVERIFY(!other.runEnabled());
        QCOMPARE(other.informationText(), TCVDailyForm::defaultInformation());
    }
};

QTEST_MAIN(TestDayViewForms)
#include "test_day_view_forms.moc"
