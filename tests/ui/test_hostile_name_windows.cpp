// The windows on a profile whose project, URL, term and engine names hold
// quotes, a backslash, "%", "_", "&", tags, an entity, a tab, a line break
// and non-Latin letters, mined by the real Harvester: every text a window
// shows that holds a name shows it whole, never rendered as markup, and
// menus keep its "&".
#include "core/datamodule/DM1.h"
#include "core/print/ReportTable.h"
#include "core/reports/ReportData.h"
#include "core/reports/ReportStyle.h"
#include "gui/charts/DetailChartForm.h"
#include "gui/charts/GandLForm.h"
#include "gui/charts/ScoresForm.h"
#include "gui/dayviews/DayGlanceForm.h"
#include "gui/dayviews/FullURLForm.h"
#include "gui/dayviews/LogForm.h"
#include "gui/livecheck/DuvudaDuvedozoForm.h"
#include "gui/mainwindow/MainRankForm.h"
#include "gui/projects/AddSTForm.h"
#include "gui/projects/AddURLForm.h"
#include "gui/projects/SetupWizardForm.h"
#include "gui/query/GridForm.h"
#include "gui/query/SEPopForm.h"
#include "gui/query/ScriptCheckForm.h"
#include "gui/reports/ReportRenderer.h"
#include "gui/settings/EngineValuesForm.h"
#include "gui/widgets/HtmlItemDelegate.h"

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
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextEdit>
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
    DemoEngine m_engine;
    test::HostileNames m_names;

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

private slots:
    void initTestCase()
    {
        m_profile = std::make_unique<test::UiProfile>();
        QVERIFY2(m_profile->ready(), qPrintable(m_profile->error()));
        QVERIFY2(m_engine.start(), qPrintable(m_engine.error()));
        m_dm = m_profile->makeDataModule();
        m_dm->LoadSettings();
        const QString error = test::buildHostileProfile(
            m_dm->Settings.DataFolder, m_engine, QStringLiteral(CORVANE_BIN_DIR "/Harvester"), m_names);
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
        form.setWindowState(Qt::WindowNoState);
        form.resize(1280, 860);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_VERIFY_WITH_TIMEOUT(!form.dashboardBusy(), 30000);
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
            // a saved chart of both engines for the key URL and a term
            Table& charts = m_dm->SQLTeeTable;
            charts.open();
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
            charts.close();
            TDetailChartForm form(*m_dm);
            form.resize(1100, 720);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.Open(m_names.project, m_names.terms.at(0));
            QTRY_VERIFY_WITH_TIMEOUT(!form.busy(), 20000);
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
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(30000));
        const QString read = QString::fromUtf8(text.readAllStandardOutput()).simplified();
        const QString part = QStringLiteral("\"'\\%_&<b>--> &amp;");
        QVERIFY2(read.contains(QStringLiteral("Ranks - Ré") + part), qPrintable(read.left(400)));
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
};

QTEST_MAIN(TestHostileNames)
#include "test_hostile_name_windows.moc"
