#include "gui/query/SEPopForm.h"

#include "core/data/Dataset.h"
#include "core/datamodule/DM1.h"
#include "core/help/HelpContexts.h"
#include "core/outside/LibraryCalls.h"
#include "core/print/ReportTable.h"
#include "core/projects/ProjectStore.h"
#include "gui/widgets/DesktopLinks.h"
#include "gui/widgets/FormPlacement.h"
#include "gui/widgets/HtmlItemDelegate.h"
#include "gui/widgets/OneLineNames.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSplitter>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace corvane {

namespace {

QString anchor(const QString& address, const QString& label)
{
    if (address.trimmed().isEmpty())
        return {};
    return QStringLiteral("<a href=\"") + address.toHtmlEscaped() + QStringLiteral("\">")
        + label.toHtmlEscaped() + QStringLiteral("</a>");
}

// A text cell for the HTML delegate: as it stands, or, when it holds markup
// characters, escaped inside a span so that it shows as written.
QString textCell(const QString& text)
{
    if (!text.contains(QLatin1Char('<')) && !text.contains(QLatin1Char('&'))
        && !text.contains(QLatin1Char('>')))
        return text;
    return QStringLiteral("<span>") + text.toHtmlEscaped() + QStringLiteral("</span>");
}

} // namespace

TSEPopForm::TSEPopForm(TDM1& dataModule, QWidget* parent)
    : ToolWindow(dataModule, FormSections::SEPopForm, HelpContexts::SearchEngineInformation, parent)
    , m_projectCombo(new QComboBox)
    , m_filterTree(new QTreeWidget)
    , m_andButton(new QRadioButton(QStringLiteral("AND")))
    , m_orButton(new QRadioButton(QStringLiteral("OR")))
    , m_grid(new QTableWidget)
    , m_countLabel(new QLabel)
    , m_notes(new QPlainTextEdit)
{
    OneLineNames::apply(*m_grid);
    OneLineNames::apply(*m_projectCombo);
    setWindowTitle(QStringLiteral("Search Engine Information"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    resize(1100, 620);

    m_projectCombo->setObjectName(QStringLiteral("ProjectCombo"));
    m_projectCombo->setMinimumWidth(220);
    m_countLabel->setObjectName(QStringLiteral("CountLabel"));
    m_filterTree->setObjectName(QStringLiteral("FilterTree"));
    m_filterTree->setHeaderLabel(QStringLiteral("Unfiltered"));
    m_filterTree->setMinimumWidth(190);
    m_andButton->setChecked(true);

    m_grid->setObjectName(QStringLiteral("EngineGrid"));
    m_grid->setColumnCount(int(EngineInformation::headings().size()));
    m_grid->setHorizontalHeaderLabels(EngineInformation::headings());
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setAlternatingRowColors(true);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->setItemDelegate(new HtmlItemDelegate(m_grid));
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* menu = new QMenu(this);
    menu->addAction(QStringLiteral("Copy"), this, &TSEPopForm::CopyClick);
    connect(m_grid, &QWidget::customContextMenuRequested, this,
            [this, menu](const QPoint& at) { menu->popup(m_grid->viewport()->mapToGlobal(at)); });
    auto* copyKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert), m_grid);
    copyKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(copyKey, &QShortcut::activated, this, &TSEPopForm::CopyClick);
    // The link cells open their address on a click.
    connect(m_grid, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (row < 0 || row >= m_rows.size())
            return;
        if (column == 1)
            DesktopLinks::openAddress(m_rows.at(row).homePage);
        else if (column == 2)
            DesktopLinks::openAddress(m_rows.at(row).addPage);
    });
    connect(m_grid, &QTableWidget::currentCellChanged, this, &TSEPopForm::ShowNotes);

    m_notes->setObjectName(QStringLiteral("NotesMemo"));
    m_notes->setReadOnly(true);
    m_notes->setMaximumHeight(80);

    auto* showAll = new QPushButton(QStringLiteral("Show All Engines"));
    auto* print = new QPushButton(QStringLiteral("Print"));
    auto* pageSetup = new QPushButton(QStringLiteral("Page Setup..."));
    auto* preview = new QPushButton(QStringLiteral("Preview..."));
    auto* recalc = new QPushButton(QStringLiteral("Recalc..."));
    recalc->setToolTip(
        QStringLiteral("Recalculates relative scores. If you change scores in Project Wizard you may "
                       "want to update those changes by recalculating."));
    auto* close = new QPushButton(QStringLiteral("Close"));

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Select Project")));
    top->addWidget(m_projectCombo);
    top->addSpacing(16);
    top->addWidget(m_countLabel, 1);

    auto* left = new QVBoxLayout;
    left->addWidget(m_filterTree, 1);
    auto* joins = new QHBoxLayout;
    joins->addWidget(m_andButton);
    joins->addWidget(m_orButton);
    joins->addStretch();
    left->addLayout(joins);
    left->addWidget(showAll);

    auto* right = new QVBoxLayout;
    right->addWidget(m_grid, 1);
    right->addWidget(new QLabel(QStringLiteral("Notes")));
    right->addWidget(m_notes);

    auto* middle = new QHBoxLayout;
    middle->addLayout(left);
    middle->addLayout(right, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(print);
    buttons->addWidget(pageSetup);
    buttons->addWidget(preview);
    buttons->addSpacing(16);
    buttons->addWidget(recalc);
    buttons->addStretch();
    buttons->addWidget(createHelpButton());
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);

    connect(showAll, &QPushButton::clicked, this, &TSEPopForm::ShowAllButtonClick);
    connect(print, &QPushButton::clicked, this, &TSEPopForm::PrintButtonClick);
    connect(pageSetup, &QPushButton::clicked, this, &TSEPopForm::PageSetupButtonClick);
    connect(preview, &QPushButton::clicked, this, &TSEPopForm::PreviewButtonClick);
    connect(recalc, &QPushButton::clicked, this, &TSEPopForm::RecalcButtonClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_andButton, &QRadioButton::toggled, this, [this] {
        if (!m_filling)
            BuildList();
    });
    connect(m_filterTree, &QTreeWidget::itemChanged, this, [this] {
        if (!m_filling)
            BuildList();
    });
    connect(m_projectCombo, &QComboBox::currentTextChanged, this, [this] {
        if (!m_filling)
            BuildList();
    });

    m_filling = true;
    m_projectCombo->addItem(QLatin1String(EngineInformation::AllEngines));
    try {
        Query projects(&m_dm.General, QStringLiteral("SELECT Name FROM CVProject ORDER BY Name"));
        projects.open();
        for (projects.first(); !projects.eof(); projects.next())
            m_projectCombo->addItem(projects.asString(QStringLiteral("Name")));
    } catch (const DatabaseError& error) {
        ShowError(error.message());
    }
    FillFilterTree();
    m_filling = false;
    BuildList();
    restorePlacement();
}

void TSEPopForm::ShowError(const QString& text)
{
    m_dm.ShowMessageBox(
        MessageButtons::Ok, QStringLiteral("Error"),
        QStringLiteral("<P align=\"center\">") + text.toHtmlEscaped() + QStringLiteral("</P>"), true, {});
}

void TSEPopForm::FillFilterTree()
{
    m_filterTree->clear();
    for (const EngineInformation::FilterSection& section : EngineInformation::Sections) {
        auto* parent = new QTreeWidgetItem(m_filterTree, {QLatin1String(section.title)});
        parent->setData(0, Qt::UserRole, QLatin1String(section.column));
        parent->setFlags(Qt::ItemIsEnabled);
        try {
            for (const QString& value :
                 EngineInformation::distinctValues(m_dm.SE3, QLatin1String(section.column))) {
                auto* item = new QTreeWidgetItem(parent, {value});
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
                item->setCheckState(0, Qt::Unchecked);
            }
            // engines without a value can be picked too
            if (EngineInformation::anyEmptyValue(m_dm.SE3, QLatin1String(section.column))) {
                auto* item = new QTreeWidgetItem(parent, {QLatin1String(EngineFilter::NoValueEntry)});
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
                item->setCheckState(0, Qt::Unchecked);
                item->setData(0, Qt::UserRole, true);
            }
        } catch (const DatabaseError& error) {
            ShowError(error.message());
            return;
        }
    }
    m_filterTree->expandAll();
}

void TSEPopForm::BuildList()
{
    QList<EngineInformation::FilterItem> checked;
    for (int s = 0; s < m_filterTree->topLevelItemCount(); ++s) {
        const QTreeWidgetItem* section = m_filterTree->topLevelItem(s);
        for (int i = 0; i < section->childCount(); ++i)
            if (section->child(i)->checkState(0) == Qt::Checked)
                checked.append({section->data(0, Qt::UserRole).toString(),
                                section->child(i)->data(0, Qt::UserRole).toBool()
                                    ? QString()
                                    : section->child(i)->text(0)});
    }
    m_filterTree->setHeaderLabel(checked.isEmpty() ? QStringLiteral("Unfiltered")
                                                   : QStringLiteral("Filtered"));
    const QString project = m_projectCombo->currentIndex() <= 0 ? QString() : m_projectCombo->currentText();
    try {
        m_rows =
            EngineInformation::listEngines(m_dm.SE3, m_dm.General, project,
                                           EngineInformation::filterText(checked, m_andButton->isChecked()));
    } catch (const DatabaseError& error) {
        m_rows.clear();
        ShowError(error.message());
    }
    m_grid->clearContents();
    m_grid->setRowCount(int(m_rows.size()));
    for (int r = 0; r < m_rows.size(); ++r) {
        const EngineInformation::EngineRow& e = m_rows.at(r);
        const QStringList cells{
            textCell(e.name),
            anchor(e.homePage, e.homePage),
            anchor(e.addPage, QStringLiteral("Submit")),
            QString::number(e.popularity),
            textCell(e.popSource),
            textCell(e.country),
            textCell(e.group1),
            textCell(e.group2),
            textCell(e.group3),
            textCell(e.group4),
            e.lastUpdate.isValid() ? QLocale().toString(e.lastUpdate, QLocale::ShortFormat) : QString()};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells.at(c));
            if (c == 3)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_grid->setItem(r, c, item);
        }
    }
    m_grid->resizeColumnsToContents();
    for (int c = 0; c < m_grid->columnCount(); ++c)
        m_grid->setColumnWidth(c, std::min(m_grid->columnWidth(c) + 8, 260));
    m_countLabel->setText(EngineInformation::countText(int(m_rows.size())));
    ShowNotes();
}

void TSEPopForm::SelectProject(const QString& projectOrAll)
{
    const int index = m_projectCombo->findText(projectOrAll);
    m_projectCombo->setCurrentIndex(index >= 0 ? index : 0);
}

void TSEPopForm::CheckItem(const QString& section, const QString& value, bool checked)
{
    for (int s = 0; s < m_filterTree->topLevelItemCount(); ++s) {
        QTreeWidgetItem* parent = m_filterTree->topLevelItem(s);
        if (parent->text(0) != section)
            continue;
        for (int i = 0; i < parent->childCount(); ++i)
            if (parent->child(i)->text(0) == value)
                parent->child(i)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    }
}

void TSEPopForm::SetJoinWithAnd(bool joinWithAnd)
{
    (joinWithAnd ? m_andButton : m_orButton)->setChecked(true);
}

void TSEPopForm::ShowAllButtonClick()
{
    m_filling = true;
    for (int s = 0; s < m_filterTree->topLevelItemCount(); ++s) {
        QTreeWidgetItem* parent = m_filterTree->topLevelItem(s);
        for (int i = 0; i < parent->childCount(); ++i)
            parent->child(i)->setCheckState(0, Qt::Unchecked);
    }
    m_filling = false;
    BuildList();
}

QString TSEPopForm::countText() const { return m_countLabel->text(); }
QString TSEPopForm::notesText() const { return m_notes->toPlainText(); }

void TSEPopForm::ShowNotes()
{
    const int row = m_grid->currentRow();
    m_notes->setPlainText(row >= 0 && row < m_rows.size() ? m_rows.at(row).notes : QString());
}

void TSEPopForm::RecalcButtonClick()
{
    if (m_dm.ShowMessageBox(MessageButtons::OkCancel, QStringLiteral("Warning"),
                            EngineInformation::recalcQuestion(), true, {})
        != MessageAnswer::Ok)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        Table se3(&m_dm.SE3, QStringLiteral("SE3"));
        Table cvse3(&m_dm.General, QStringLiteral("CVSE3"), QStringLiteral("Nameidx"));
        EngineInformation::recalc(se3, cvse3);
    } catch (const DatabaseError& error) {
        QApplication::restoreOverrideCursor();
        ShowError(error.message());
        return;
    }
    m_filling = true;
    m_projectCombo->setCurrentIndex(0);
    m_filling = false;
    BuildList();
    QApplication::restoreOverrideCursor();
    m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Done"),
                        QLatin1String(EngineInformation::RecalcDone), true, {});
}

bool TSEPopForm::FillReportTable()
{
    const QStringList headers{QStringLiteral("Name"),    QStringLiteral("Home Page"),
                              QStringLiteral("Points"),  QStringLiteral("Note"),
                              QStringLiteral("Country"), QStringLiteral("Group"),
                              QStringLiteral("Type"),    QStringLiteral("Locality"),
                              QStringLiteral("Engine"),  QStringLiteral("Last Script Update")};
    try {
        QList<FieldDef> fields;
        for (const QString& header : headers) {
            FieldDef field;
            field.name = header;
            field.type = FieldType::String;
            field.size = 255;
            fields << field;
        }
        ReportTable::recreate(m_dm.General, fields);
        Table report(&m_dm.General, QLatin1String(ReportTable::Name));
        report.open();
        for (const EngineInformation::EngineRow& e : m_rows) {
            const QStringList values{e.name,
                                     e.homePage,
                                     QString::number(e.popularity),
                                     e.popSource,
                                     e.country,
                                     e.group1,
                                     e.group2,
                                     e.group3,
                                     e.group4,
                                     e.lastUpdate.isValid() ? e.lastUpdate.toString(Qt::ISODate) : QString()};
            report.append();
            for (int i = 0; i < headers.size(); ++i)
                report.setValue(headers.at(i), values.at(i));
            report.post();
        }
        return true;
    } catch (const DatabaseError& error) {
        ShowError(error.message());
        return false;
    }
}

void TSEPopForm::RunReportLibrary(int mode)
{
    if (!FillReportTable())
        return;
    LibraryCalls calls(m_dm, qApp);
    calls.ReportFailuresAs(QStringLiteral("Error"), LibraryCalls::FailureText::CentredSystemText);
    const QString project = m_projectCombo->currentIndex() <= 0 ? QString() : m_projectCombo->currentText();
    const QString report = QStringLiteral("SEInfo");
    if (mode == 0)
        calls.RunPrint(project, report);
    else if (mode == 1)
        calls.RunPreview(project, report);
    else
        calls.RunReports(project, report);
}

void TSEPopForm::PrintButtonClick() { RunReportLibrary(0); }
void TSEPopForm::PreviewButtonClick() { RunReportLibrary(1); }
void TSEPopForm::PageSetupButtonClick() { RunReportLibrary(2); }

void TSEPopForm::CopyClick()
{
    QList<QTableWidgetSelectionRange> ranges = m_grid->selectedRanges();
    QString text;
    for (const QTableWidgetSelectionRange& range : ranges) {
        for (int r = range.topRow(); r <= range.bottomRow(); ++r) {
            QStringList cells;
            for (int c = range.leftColumn(); c <= range.rightColumn(); ++c) {
                const EngineInformation::EngineRow& e = m_rows.at(r);
                // The plain value, not the cell's markup.
                const QString values[] = {e.name,
                                          e.homePage,
                                          e.addPage,
                                          QString::number(e.popularity),
                                          e.popSource,
                                          e.country,
                                          e.group1,
                                          e.group2,
                                          e.group3,
                                          e.group4,
                                          m_grid->item(r, 10)->text()};
                cells << values[c];
            }
            text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
        }
    }
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

} // namespace corvane
