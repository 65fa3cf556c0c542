// The windows on a profile whose project, URL, term and engine names hold
// quotes, a backslash, "%", "_", "&", tags, an entity, a tab, a line break
// and non-Latin letters, mined by the real Harvester: every text a window
// shows that holds a name shows it whole, never rendered as markup, and
// menus keep its "&".
#include "core/charts/ChartDesignStore.h"
#include "core/datamodule/DM1.h"
#include "core/print/ReportTable.h"
#include "core/reports/ReportData.h"
#include "core/reports/ReportStyle.h"
#include "gui/charts/ChartBuilderForm.h"
#include "gui/charts/ChartDesignerForm.h"
#include "gui/charts/DesignedChartView.h"
#include "gui/charts/DetailChartForm.h"
#include "gui/charts/GandLForm.h"
#include "gui/charts/ScoresForm.h"
#include "gui/dashboard/TopTenCharts.h"
#include "gui/dayviews/DayGlanceForm.h"
#include "gui/dayviews/FullURLForm.h"
#include "gui/dayviews/LogForm.h"
#include "gui/discovery/STMixForm.h"
#include "gui/livecheck/DuvudaDuvedozoForm.h"
#include "gui/maintenance/BackupForm.h"
#include "gui/maintenance/CVDailyForm.h"
#include "gui/maintenance/ChartCacheForm.h"
#include "gui/maintenance/DirectoryChangerForm.h"
#include "gui/maintenance/HintForm.h"
#include "gui/maintenance/RemoteUpdateForm.h"
#include "gui/mainwindow/MainRankForm.h"
#include "gui/print/PrintForm.h"
#include "gui/projects/AddSTForm.h"
#include "gui/projects/AddURLForm.h"
#include "gui/projects/SetupWizardForm.h"
#include "gui/query/GridForm.h"
#include "gui/query/QBForm.h"
#include "gui/query/SEPopForm.h"
#include "gui/query/ScriptCheckForm.h"
#include "gui/reports/ReportRenderer.h"
#include "gui/schedule/ScheduleForm.h"
#include "gui/schedule/ScheduleTaskForm.h"
#include "gui/settings/AdvThrottleForm.h"
#include "gui/settings/EngineValuesForm.h"
#include "gui/settings/MiscSettingsForm.h"
#include "gui/settings/NetSetForm.h"
#include "gui/settings/NotificationForm.h"
#include "gui/settings/SEAPIForm.h"
#include "gui/widgets/HtmlItemDelegate.h"
#include "gui/widgets/OneLineNames.h"

#include "../HostileProfile.h"
#include "UiTestSupport.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QGraphicsTextItem>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>

using namespace corvane;

namespace {

// What a person reads of a text shown in the given format.
QString shown(const QString& text, Qt::TextFormat format)
{
    if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(text)))
        return text;
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

// A button's or menu entry's text as shown: "&&" is one "&", a single "&"
// marks the shortcut letter and is not shown.
QString withoutMnemonic(const QString& text)
{
    QString out;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&') && i + 1 < text.size()) {
            ++i;
            if (text.at(i) == QLatin1Char('&'))
                out += QLatin1Char('&');
            else
                out += text.at(i);
        } else {
            out += text.at(i);
        }
    }
    return out;
}

// The text of a PDF as pdftotext reads it, without blanks: it breaks a long
// cell's text into words where it sees fit.
QString pdfText(const QString& pdf)
{
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    if (!text.waitForFinished(30000))
        return {};
    QString read = QString::fromUtf8(text.readAllStandardOutput());
    read.removeIf([](QChar c) { return c.isSpace(); });
    return read;
}

// The names' hostile part as pdfText() gives it: the CJK letter needs a font
// the machine may lack, and the tab and line break are blanks.
QString pdfPart() { return QStringLiteral("\"'\\%_&<b>-->&amp;"); }

// Every text the window shows that holds a name's last letters must hold the
// whole name's hostile part (tabs and line breaks may show as blanks).
class TextAudit
{
public:
    explicit TextAudit(QWidget& root) { visit(root); }

    QStringList problems;
    int namesSeen = 0;

private:
    static QString flat(const QString& text)
    {
        QString out = text;
        for (QChar& c : out)
            if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QChar::LineSeparator
                || c == QChar::ParagraphSeparator || c == QChar::Nbsp)
                c = QLatin1Char(' ');
        return out.simplified();
    }

    void check(const QString& where, const QString& text)
    {
        static const QString tail = QString::fromUtf8("éЖ中");
        static const QString whole = flat(test::HostileNames::core());
        if (!text.contains(tail))
            return;
        const QString seen = flat(text);
        const int names = int(seen.count(tail));
        namesSeen += names;
        if (seen.count(whole) != names)
            problems << where + QStringLiteral(": ") + text;
    }

    void visit(QWidget& root)
    {
        check(QStringLiteral("title"), root.windowTitle());
        QList<QWidget*> widgets = root.findChildren<QWidget*>();
        widgets.prepend(&root);
        for (QWidget* w : widgets) {
            const QString name =
                QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(' ') + w->objectName();
            if (auto* label = qobject_cast<QLabel*>(w))
                check(name, shown(label->text(), label->textFormat()));
            else if (auto* button = qobject_cast<QAbstractButton*>(w))
                check(name, withoutMnemonic(button->text()));
            else if (auto* edit = qobject_cast<QLineEdit*>(w))
                check(name, edit->text());
            else if (auto* text = qobject_cast<QTextEdit*>(w))
                check(name, text->toPlainText());
            else if (auto* combo = qobject_cast<QComboBox*>(w))
                for (int i = 0; i < combo->count(); ++i)
                    check(name, combo->itemText(i));
            else if (auto* tabs = qobject_cast<QTabWidget*>(w))
                for (int i = 0; i < tabs->count(); ++i)
                    check(name, withoutMnemonic(tabs->tabText(i)));
            else if (qobject_cast<QHeaderView*>(w))
                continue; // its view's cells are checked with the view's delegate
            else if (auto* view = qobject_cast<QAbstractItemView*>(w))
                visitView(name, *view);
            else if (auto* chartView = qobject_cast<QChartView*>(w))
                visitChart(name, *chartView->chart());
            for (QAction* action : w->actions())
                if (!action->menu() || qobject_cast<QMenu*>(w))
                    check(name + QStringLiteral(" menu"), withoutMnemonic(action->text()));
        }
    }

    void visitView(const QString& name, QAbstractItemView& view)
    {
        QAbstractItemModel* model = view.model();
        if (!model)
            return;
        const bool html = qobject_cast<HtmlItemDelegate*>(view.itemDelegate()) != nullptr;
        std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& parent) {
            for (int r = 0; r < model->rowCount(parent) && r < 200; ++r)
                for (int c = 0; c < model->columnCount(parent); ++c) {
                    const QModelIndex index = model->index(r, c, parent);
                    const QString text = model->data(index, Qt::DisplayRole).toString();
                    check(name + QStringLiteral(" cell"), html ? shown(text, Qt::RichText) : text);
                    if (c == 0 && model->hasChildren(index))
                        walk(index);
                }
        };
        walk(QModelIndex());
        for (int c = 0; c < model->columnCount(); ++c)
            check(name + QStringLiteral(" header"), model->headerData(c, Qt::Horizontal).toString());
    }

    // Qt Charts draws titles, axis labels and legend entries as rich text.
    void visitChart(const QString& name, QChart& chart)
    {
        check(name + QStringLiteral(" chart title"), shown(chart.title(), Qt::RichText));
        for (QGraphicsItem* item : chart.childItems()) {
            QList<QGraphicsItem*> items{item};
            for (int i = 0; i < items.size(); ++i) {
                items += items.at(i)->childItems();
                if (auto* text = dynamic_cast<QGraphicsTextItem*>(items.at(i)))
                    check(name + QStringLiteral(" chart text"), text->toPlainText());
            }
        }
    }
};

} // namespace

class TestHostileNames : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::UiProfile> m_profile;
    std::unique_ptr<TDM1> m_dm;
    test::HostileFixture m_fixture;
    test::HostileNames& m_names = m_fixture.names;

    // Shows the window, lets it settle and checks every text in it.
    void audit(QWidget& window, int minimumNames = 1)
    {
        if (!window.isVisible()) {
            window.resize(std::max(window.width(), 900), std::max(window.height(), 640));
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
        }
        QTest::qWait(50);
        const TextAudit audit(window);
        QVERIFY2(audit.problems.isEmpty(), qPrintable(audit.problems.join(QStringLiteral("\n"))));
        QVERIFY2(
            audit.namesSeen >= minimumNames,
            qPrintable(QStringLiteral("%1 names seen in %2").arg(audit.namesSeen).arg(window.windowTitle())));
    }

    // Opens the project's saved chart of both engines for the key URL and a
    // term (named after the term) in the window, saving it first if need be.
    void openSavedChart(TDetailChartForm& form)
    {
        Table& charts = m_dm->SQLTeeTable;
        charts.open();
        if (!charts.locate({QStringLiteral("Project"), QStringLiteral("File")},
                           {m_names.project, m_names.terms.at(0)})) {
            charts.append();
            charts.setValue(QStringLiteral("Project"), m_names.project);
            charts.setValue(QStringLiteral("File"), m_names.terms.at(0));
            charts.setValue(QStringLiteral("PopOrder"), QStringLiteral("SUT"));
            charts.setValue(QStringLiteral("ForEach"), m_names.engines.join(QStringLiteral("\r\n")));
            charts.setValue(QStringLiteral("Select1"), m_names.urlNames.at(0));
            charts.setValue(QStringLiteral("Select2"), m_names.terms.at(0));
            charts.setValue(QStringLiteral("DateType"), QStringLiteral("D"));
            charts.setValue(QStringLiteral("DateStart"), QDate::currentDate().addDays(-5));
            charts.setValue(QStringLiteral("DateEnd"), QDate::currentDate());
            charts.setValue(QStringLiteral("FillDates"), true);
            charts.setValue(QStringLiteral("ShowNoValue"), true);
            charts.setValue(QStringLiteral("Title"), m_names.terms.at(0));
            charts.post();
        }
        charts.close();
        form.resize(1100, 720);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.Open(m_names.project, m_names.terms.at(0));
        QTRY_VERIFY_WITH_TIMEOUT(!form.busy(), 20000);
    }

private slots:
    void initTestCase()
    {
        m_profile = std::make_unique<test::UiProfile>();
        QVERIFY2(m_profile->ready(), qPrintable(m_profile->error()));
        m_dm = m_profile->makeDataModule();
        m_dm->LoadSettings();
        const QString error =
            m_fixture.build(QStringLiteral(CORVANE_BIN_DIR "/Harvester"), m_dm->Settings.DataFolder);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        m_dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Project"), m_names.project);
        m_dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Hints"), QStringLiteral("-1"));
        m_dm->LoadSettings();
        QCOMPARE(m_dm->Settings.Project, m_names.project);
    }

    void cleanupTestCase()
    {
        m_dm->CloseDatabases();
        m_dm.reset();
        DM1 = nullptr;
    }

    void init() { m_profile->messages.clear(); }

    void mainWindowAndDashboard()
    {
        TMainRankForm form(*m_dm);
        QVERIFY(test::showMainWindow(form));
        QTest::qWait(200);
        audit(form, 4);
        // the project's entry in the project menu: "&" doubled, so it shows as written;
        // a tab, which would start the shortcut column, and the line break show as blanks
        QString expected = m_names.project;
        expected.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        bool listed = false;
        for (QAction* action : form.findChildren<QAction*>())
            if (action->data().toString() == m_names.project) {
                QCOMPARE(withoutMnemonic(action->text()), expected);
                listed = true;
            }
        QVERIFY(listed);
        // the Top 10 charts of the two engines label their terms, however long
        int labelled = 0;
        for (QChartView* view : form.findChildren<QChartView*>()) {
            if (view->chart()->series().isEmpty())
                continue;
            for (QAbstractAxis* axis : view->chart()->axes())
                if (auto* categories = qobject_cast<QCategoryAxis*>(axis)) {
                    QVERIFY(!categories->categoriesLabels().isEmpty());
                    ++labelled;
                }
        }
        QCOMPARE(labelled, 2);
        QVERIFY2(m_profile->messages.isEmpty(), qPrintable(m_profile->messages.join(QLatin1Char('\n'))));
        QVERIFY(test::saveScreen(form, QStringLiteral("HostileNames_MainRankForm")));
    }

    // "Top 10 Chart Styles..." on the dashboard: the designer lists a design
    // theme named like the project whole, the card it changes keeps its
    // terms; Cancel changes nothing, OK stores the design for every card.
    void topTenChartDesigner()
    {
        TMainRankForm form(*m_dm);
        QVERIFY(test::showMainWindow(form));
        const QString top10 = QStringLiteral("Top10");
        Session session(QStringLiteral("HostileDesigns"));
        Database data(QStringLiteral("HostileDesigns"), &session);
        data.setDirectory(m_dm->Settings.DataFolder);
        data.connect();
        const ChartDesignStore store(data);
        const std::optional<ChartDesign> before = store.load(m_names.project, top10);
        auto* dashboard = form.findChild<TopTenCharts*>();
        QVERIFY(dashboard);
        QList<DesignedChartView*> cards;
        for (int slot = 0; slot < TopTenCharts::Count; ++slot)
            if (!dashboard->chartView(slot)->chart()->series().isEmpty())
                cards << dashboard->chartView(slot);
        QCOMPARE(cards.size(), 2);
        const int palette = int((cards.at(0)->design().palette + 1) % ChartDesign::paletteNames().size());
        for (const bool ok : {false, true}) {
            test::whenModal<TChartDesignerForm>([&](TChartDesignerForm& designer) {
                auto* themes = designer.findChild<QComboBox*>();
                themes->setEditText(m_names.project);
                designer.SaveThemeClick();
                audit(designer, 1);
                designer.DeleteThemeClick();
                designer.PaletteListChange(palette);
                audit(form, 4);
                ok ? designer.OKClick() : designer.CancelClick();
            });
            form.command(QStringLiteral("TopTenStyles1"))->trigger();
            QVERIFY2(m_profile->messages.isEmpty(), qPrintable(m_profile->messages.join(QLatin1Char('\n'))));
            if (!ok) {
                QCOMPARE(store.load(m_names.project, top10).has_value(), before.has_value());
                QVERIFY(cards.at(0)->design().palette != palette);
            }
        }
        QCOMPARE(store.load(m_names.project, top10).value_or(ChartDesign()).palette, palette);
        QVERIFY(!store.themeNames().contains(m_names.project));
        for (DesignedChartView* card : std::as_const(cards)) {
            QCOMPARE(card->design().palette, palette);
            QVERIFY(!card->chart()->series().isEmpty());
        }
        audit(form, 4);
    }

    void chartWindows()
    {
        m_dm->OpenDatabases();
        {
            TGandLForm form(*m_dm);
            form.resize(1100, 820);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.Open(m_names.project);
            QVERIFY(!form.rows().isEmpty());
            audit(form, 2);
        }
        {
            TScoresForm form(*m_dm);
            form.resize(1000, 680);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.Open(m_names.project);
            QVERIFY(!form.rows().isEmpty());
            form.setEngine(m_names.engines.at(1));
            audit(form, 2);
            QVERIFY(test::saveScreen(form, QStringLiteral("HostileNames_ScoresForm")));
        }
        {
            TDetailChartForm form(*m_dm);
            openSavedChart(form);
            QVERIFY(form.chartLoaded());
            audit(form, 3);
            QVERIFY(test::saveScreen(form, QStringLiteral("HostileNames_DetailChartForm")));
        }
        m_dm->CloseDatabases();
    }

    void dayViews()
    {
        m_dm->OpenDatabases();
        {
            TDayGlanceForm form(*m_dm);
            audit(form, 3);
        }
        {
            TLogForm form(*m_dm);
            audit(form, 0);
        }
        {
            TFullURLForm form(*m_dm);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.RunQuery();
            audit(form, 1);
            // its settings file keeps one item a line: the project's line break
            // is refused by name, and the file there stays as it was
            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("hostile.ufp"));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("~~Project\nKept\n") > 0);
            file.close();
            m_profile->messages.clear();
            form.SaveSettings(path);
            QCOMPARE(m_profile->messages.size(), 1);
            QVERIFY2(m_profile->messages.at(0).startsWith(
                         QStringLiteral("Error: <P align=\"center\">The project &quot;")
                         + m_names.project.toHtmlEscaped() + QStringLiteral("&quot; holds a line break")),
                     qPrintable(m_profile->messages.at(0)));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), QByteArray("~~Project\nKept\n"));
        }
        m_dm->CloseDatabases();
    }

    void engineAndProjectWindows()
    {
        m_dm->OpenDatabases();
        {
            TSEPopForm form(*m_dm);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.SelectProject(m_names.project);
            audit(form, 2);
            // the engine without a country has a filter entry of its own
            form.CheckItem(QStringLiteral("Country"), QStringLiteral("(none)"));
            QStringList listed;
            for (const EngineInformation::EngineRow& row : form.rows())
                listed << row.name;
            QCOMPARE(listed, QStringList{m_names.engines.at(1)});
        }
        {
            // the data grid of a query on the project's ranks
            TGridForm grid(*m_dm);
            grid.show();
            QVERIFY(QTest::qWaitForWindowExposed(&grid));
            QVERIFY(grid.RunQuery(
                QStringLiteral("SELECT Project, SearchEngine, SearchTerm, URL, Rank FROM CVRank "
                               "WHERE Project = ")
                    + SqlQuote::quoted(m_names.project),
                m_names.project));
            audit(grid, 8);
        }
        {
            TScriptCheckForm form(*m_dm);
            audit(form, 1);
        }
        {
            TSetupWizardForm wizard(*m_dm);
            audit(wizard, 4);
        }
        {
            TAddURLForm add(*m_dm, {QStringLiteral("http://www.") + m_names.urls.at(1)});
            audit(add, 1);
        }
        {
            TAddSTForm term(*m_dm);
            term.TermLabel->setText(m_names.terms.at(1));
            audit(term, 1);
        }
        m_dm->CloseDatabases();
        {
            TEngineValuesForm stunt(TEngineValuesForm::Kind::StuntValues, m_dm->Settings.DataFolder);
            audit(stunt, 2);
        }
    }

    // The report library's PDF of the project's ranks: the title and every
    // cell hold the names (the CJK letter needs a font the machine may lack,
    // so the check reads the rest).
    void reportHoldsTheNames()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is needed to read the PDF back");
        m_dm->OpenDatabases();
        Query query(&m_dm->General);
        ReportTable::recreateFromQuery(query,
                                       QStringLiteral("SELECT SearchEngine, SearchTerm, URL, Rank INTO "
                                                      "CVReportTemp FROM CVRank WHERE Rank > 0 ORDER BY "
                                                      "SearchEngine, SearchTerm"));
        const reports::ReportData data = reports::readReportData(m_dm->General);
        m_dm->CloseDatabases();
        QVERIFY(!data.rows.isEmpty());
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("ranks.pdf"));
        const reports::ReportRenderer renderer(
            data, reports::ReportStyle(),
            reports::defaultReportTitle(QStringLiteral("Ranks"), m_names.project));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        renderer.setUpPrinter(printer);
        QVERIFY(renderer.render(printer) >= 1);
        const QString read = pdfText(pdf);
        const QString part = pdfPart();
        QVERIFY2(read.contains(QStringLiteral("Ranks-Ré") + part), qPrintable(read.left(400)));
        QVERIFY2(read.count(part) > data.rows.size(), qPrintable(read.left(400)));
        QVERIFY(read.contains(QString::fromUtf8("Ж")));
    }

    void duvudaDuvedozo()
    {
        m_dm->OpenDatabases();
        TDuvudaDuvedozoForm form(*m_dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        audit(form, 2);
        // engines without a country have an entry of their own
        auto* countries = form.findChild<QComboBox*>(QStringLiteral("CountryCombo"));
        QVERIFY(countries);
        const int none = countries->findText(QStringLiteral("(none)"));
        QVERIFY(none > 0);
        countries->setCurrentIndex(none);
        auto* engines = form.findChild<QListWidget*>(QStringLiteral("EngineList"));
        QVERIFY(engines);
        QStringList listed;
        for (int i = 0; i < engines->count(); ++i)
            listed << engines->item(i)->text();
        QCOMPARE(listed, QStringList{m_names.engines.at(1)});
        m_dm->CloseDatabases();
    }

    // The query builder's value lists hold the names; a condition on a
    // hostile engine name finds that engine's rows, and the grid shows them.
    void queryBuilderAndItsGrid()
    {
        m_dm->OpenDatabases();
        TGridForm grid(*m_dm);
        TQBForm builder(*m_dm, grid);
        QCOMPARE(builder.FProject->ProjectCombo->currentText(), m_names.project);
        audit(builder, 6);
        builder.NextButtonClick();
        builder.NextButtonClick();
        const int engine = builder.FConditions->EngineCombo->findText(m_names.engines.at(1));
        QVERIFY(engine >= 0);
        builder.FConditions->EngineCombo->setCurrentIndex(engine);
        builder.FConditions->JoinButtons.at(1).at(2)->click(); // Search Engine, END
        QVERIFY(builder.FConditions->ConditionMemo->toPlainText().contains(m_names.engines.at(1).left(6)));
        QVERIFY2(builder.Execute(), qPrintable(m_profile->messages.join(QLatin1Char('\n'))));
        const int shown = grid.grid()->model()->rowCount();
        QVERIFY(shown >= int(m_names.terms.size() * m_names.mined.size()));
        int engineColumn = 0;
        while (engineColumn < grid.grid()->model()->columnCount()
               && grid.grid()->model()->headerData(engineColumn, Qt::Horizontal).toString()
                   != QLatin1String("SearchEngine"))
            ++engineColumn;
        for (int r = 0; r < shown; ++r)
            QCOMPARE(grid.grid()->model()->index(r, engineColumn).data().toString(), m_names.engines.at(1));
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        audit(grid, shown);
        QVERIFY2(m_profile->messages.isEmpty(), qPrintable(m_profile->messages.join(QLatin1Char('\n'))));
        m_dm->CloseDatabases();
    }

    // Rureder Orad on a hostile term through the two hostile engines: the
    // engine list, the log and the site tree name them whole.
    void rurederOrad()
    {
        m_dm->OpenDatabases();
        TSTMixForm form(*m_dm);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        audit(form, 2);
        form.seedEdit()->setText(m_names.terms.at(0));
        form.CheckEngines(m_names.engines);
        QVERIFY(form.competitorsButton()->isEnabled());
        form.competitorsButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(form.urlGrid()->model()->rowCount() > 0, 30000);
        QCOMPARE(form.logList()->item(0)->text(), m_names.engines.at(0) + QStringLiteral(" OK"));
        audit(form, 4);
        form.reject();
        m_dm->CloseDatabases();
    }

    // The settings windows of the main window and of the settings library.
    void settingsWindows()
    {
        m_dm->OpenDatabases();
        {
            TMiscSettingsForm form(*m_dm);
            audit(form, 0);
        }
        {
            TNetSetForm form(*m_dm);
            audit(form, 0);
        }
        m_dm->CloseDatabases();
        const QString data = m_dm->Settings.DataFolder;
        {
            TEngineValuesForm form(TEngineValuesForm::Kind::EngineIncrement, data);
            audit(form, 2);
        }
        {
            TAdvThrottleForm form;
            audit(form, 0);
        }
        {
            TNotificationForm form(data);
            audit(form, 1);
        }
        {
            TSEAPIForm form(data);
            audit(form, 0);
        }
        {
            TChartBuilderForm form(data);
            form.setChart(m_names.project, m_names.terms.at(0));
            audit(form, 3);
        }
        QVERIFY2(m_profile->messages.isEmpty(), qPrintable(m_profile->messages.join(QLatin1Char('\n'))));
    }

    // The schedule window and its task editor list the project.
    void scheduleWindows()
    {
        QTemporaryDir cron;
        qputenv("CORVANE_CRONTAB", cron.filePath(QStringLiteral("crontab")).toUtf8());
        m_dm->OpenDatabases();
        {
            TScheduleForm form(*m_dm);
            audit(form, 0);
            TScheduleTaskForm task(*m_dm, form.schedule(), nullptr, {m_names.project});
            audit(task, 1);
        }
        m_dm->CloseDatabases();
        qunsetenv("CORVANE_CRONTAB");
    }

    // The maintenance windows of the database library.
    void maintenanceWindows()
    {
        {
            TCVDailyForm form;
            form.setProjectName(m_names.project);
            audit(form, 1);
        }
        {
            TChartCacheForm form;
            form.setProjectName(m_names.project);
            audit(form, 0);
        }
        for (QWidget* form : std::initializer_list<QWidget*>{new TBackupForm, new TRemoteUpdateForm,
                                                             new THintForm, new TDirectoryChangerForm}) {
            const std::unique_ptr<QWidget> owned(form);
            audit(*form, 0);
        }
    }

    // Every print page that shows names, printed to PDF and read back: each
    // name it shows comes out whole (pdfPart(); a line break in a value is a
    // line break on the page, a tab a blank). The discovery pages (kinds 6 to
    // 8) read the discovery tables' columns: the ranks' names stand in for
    // them, and a keyword tag list, one tag a line, gets names without their
    // line break. Kind 1 is printed from the detail chart window.
    void printPages()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is needed to read the PDF back");
        m_dm->OpenDatabases();
        QTemporaryDir dir;
        const auto printed = [&](TPrintForm& form) {
            const QString pdf = dir.filePath(QStringLiteral("kind%1.pdf").arg(form.Tag()));
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            form.PrintDocument(&printer);
            return pdfText(pdf);
        };
        const QString ranks =
            QStringLiteral(" FROM CVRank WHERE Project = ") + SqlQuote::quoted(m_names.project);
        const QString seed = m_names.terms.at(0);
        using Show = std::function<void(TPrintForm&, Query&)>;
        const struct
        {
            int kind;
            Database* database;
            QString statement;
            int namesPerRow; // and one name in the page's title
            Show show;
        } pages[] = {
            {PrintPages::QueryResult, &m_dm->General,
             QStringLiteral("SELECT Project, SearchEngine, SearchTerm, URL, Rank") + ranks, 4,
             [&](TPrintForm& form, Query& rows) { form.ShowQueryResult(m_names.project, rows); }},
            {PrintPages::EngineList, &m_dm->SE3,
             QStringLiteral("SELECT Name, HomePage, Popularity, Notes, Country, LastUpdate FROM SE3 WHERE "
                            "Name = %1 OR Name = %2")
                 .arg(SqlQuote::quoted(m_names.engines.at(0)), SqlQuote::quoted(m_names.engines.at(1))),
             2, [&](TPrintForm& form, Query& rows) { form.ShowEngineList(m_names.project, rows); }},
            {PrintPages::UrlList, &m_dm->General,
             QStringLiteral("SELECT URL AS Name, COUNT(*) AS URLCount") + ranks
                 + QStringLiteral(" GROUP BY URL"),
             1, [&](TPrintForm& form, Query& rows) { form.ShowUrlList(seed, rows); }},
            {PrintPages::PageDetail, &m_dm->General,
             QStringLiteral(
                 "SELECT URL AS Name, Rank AS URLCount, SearchTerm AS MetaTitle, SearchEngine AS "
                 "MetaDesc, replace(SearchEngine, char(10), ' ') AS MetaST, replace(URL, char(10), "
                 "' ') AS KWDensity")
                 + ranks,
             5, [&](TPrintForm& form, Query& rows) { form.ShowPageDetail(seed, rows); }},
            {PrintPages::MergedPhrases, &m_dm->General,
             QStringLiteral("SELECT SearchTerm AS Phrase, COUNT(*) AS PhraseCount") + ranks
                 + QStringLiteral(" GROUP BY SearchTerm"),
             1, [&](TPrintForm& form, Query& rows) { form.ShowMergedPhrases(seed, rows); }},
            {PrintPages::GainsAndLosses, &m_dm->General,
             QStringLiteral(
                 "SELECT xDate, SearchTerm, Rank AS AltYesterday, Rank AS AltToday, 0 AS Difference")
                 + ranks,
             1,
             [&](TPrintForm& form, Query& rows) {
                 form.ShowGainsAndLosses(m_names.project, {m_names.engines.at(0)}, rows, QImage());
             }},
            {PrintPages::Scores, &m_dm->General, QStringLiteral("SELECT URL, Rank") + ranks, 1,
             [&](TPrintForm& form, Query& rows) {
                 form.ShowScores(m_names.project, {m_names.terms.at(1)}, rows, QImage());
             }},
        };
        for (const auto& page : pages) {
            Query rows(page.database, page.statement);
            rows.open();
            QVERIFY(rows.recordCount() > 0);
            TPrintForm form(*m_dm, page.kind);
            page.show(form, rows);
            const int names = page.namesPerRow * rows.recordCount() + 1;
            audit(form, names);
            const QString read = printed(form);
            QVERIFY2(read.count(pdfPart()) >= names, qPrintable(QString::number(page.kind) + read.left(400)));
        }

        // the detail chart's page: its title and the legends of its series
        TDetailChartForm chart(*m_dm);
        openSavedChart(chart);
        QVERIFY(chart.chartLoaded());
        const int names =
            int(chart.workingTable().legends.join(QString()).count(QString::fromUtf8("éЖ中"))) + 1;
        QVERIFY(names > 2);
        QString read;
        test::whenModal<TPrintForm>([&](TPrintForm& form) {
            audit(form, names);
            read = printed(form);
            form.reject();
        });
        chart.PrintDataAndChart();
        QVERIFY2(read.count(pdfPart()) >= names, qPrintable(read.left(400)));
        QVERIFY2(m_profile->messages.isEmpty(), qPrintable(m_profile->messages.join(QLatin1Char('\n'))));
        m_dm->CloseDatabases();
    }

    // Combo boxes and lists draw a name with a line break and a tab on one
    // line, exactly as they draw the one-line text, and keep the name itself.
    void combosAndListsShowNamesOnOneLine()
    {
        const QString name = m_names.project;
        const QString line = OneLineNames::text(name);
        QVERIFY(!line.contains(QLatin1Char('\n')) && !line.contains(QLatin1Char('\t')));
        QCOMPARE(line.count(QChar(0x23CE)), 1);
        QCOMPARE(OneLineNames::text(QStringLiteral("a\r\nb\rc")), QString::fromUtf8("a⏎b⏎c"));

        QWidget host;
        auto* layout = new QVBoxLayout(&host);
        QComboBox named, oneLine;
        named.addItem(name);
        oneLine.addItem(line);
        OneLineNames::apply(named);
        QListWidget namedList, oneLineList;
        namedList.addItem(name);
        oneLineList.addItem(line);
        OneLineNames::apply(namedList);
        for (QWidget* w : std::initializer_list<QWidget*>{&named, &oneLine, &namedList, &oneLineList}) {
            w->setFixedSize(420, w == &named || w == &oneLine ? named.sizeHint().height() : 60);
            layout->addWidget(w);
        }
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QCOMPARE(named.currentText(), name);
        QCOMPARE(namedList.item(0)->text(), name);
        QCOMPARE(named.grab().toImage(), oneLine.grab().toImage());
        QCOMPARE(namedList.sizeHintForRow(0), oneLineList.sizeHintForRow(0));
        QCOMPARE(namedList.grab().toImage(), oneLineList.grab().toImage());
        QCOMPARE(named.view()->sizeHintForRow(0), oneLine.view()->sizeHintForRow(0));

        // a window's project list, open: every entry on one line
        m_dm->OpenDatabases();
        TAddSTForm term(*m_dm);
        term.TermLabel->setText(m_names.terms.at(1));
        term.show();
        QVERIFY(QTest::qWaitForWindowExposed(&term));
        auto* projects = term.findChild<QComboBox*>(QStringLiteral("ProjectCombo"));
        QVERIFY(projects);
        projects->setCurrentIndex(projects->findText(name));
        QCOMPARE(projects->currentText(), name);
        projects->showPopup();
        QTest::qWait(100);
        QCOMPARE(projects->view()->sizeHintForRow(projects->currentIndex()),
                 oneLine.view()->sizeHintForRow(0));
        QVERIFY(
            test::saveScreen(*projects->view()->window(), QStringLiteral("HostileNames_ProjectComboOpen")));
        projects->hidePopup();
        QVERIFY(test::saveScreen(term, QStringLiteral("HostileNames_AddSTForm")));
        m_dm->CloseDatabases();
    }
};

QTEST_MAIN(TestHostileNames)
#include "test_hostile_name_windows.moc"
