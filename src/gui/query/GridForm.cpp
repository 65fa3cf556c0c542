#include "gui/query/GridForm.h"

#include "core/data/DatasetModel.h"
#include "core/datamodule/DM1.h"
#include "core/export/ExportData.h"
#include "core/help/HelpContexts.h"
#include "core/outside/LibraryCalls.h"
#include "core/print/ReportTable.h"
#include "core/query/QueryStatement.h"
#include "core/query/ReadOnlyStatement.h"
#include "gui/export/ExportWizardForm.h"
#include "gui/query/QBForm.h"
#include "gui/query/QueryRunPanel.h"
#include "gui/widgets/FormPlacement.h"
#include "gui/widgets/GridCopy.h"
#include "gui/widgets/GridEndKey.h"
#include "gui/widgets/OneLineNames.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace corvane {

namespace {

const QString RecordsWord = QStringLiteral("Records ");

// Restores the cursor however the run ends.
struct WaitCursor
{
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

TGridForm::TGridForm(TDM1& dataModule, QWidget* parent)
    : ToolWindow(dataModule, FormSections::GridForm, HelpContexts::DataQuery, parent)
    , m_model(new DatasetModel(this))
    , m_sorter(new QSortFilterProxyModel(this))
    , m_grid(new QTableView)
    , m_label(new QLabel)
    , m_recordsPanel(new QLabel)
    , m_projectPanel(new QLabel)
    , m_runPanel(new QueryRunPanel)
{
    OneLineNames::apply(*m_grid);
    GridEndKey::apply(*m_grid);
    setWindowTitle(QStringLiteral("Query"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    resize(900, 560);

    auto* menuBar = new QMenuBar;
    m_menuBar = menuBar;
    QMenu* file = menuBar->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("Create/Open  &Query..."), QKeySequence(Qt::CTRL | Qt::Key_Q), this,
                    &TGridForm::CreateQuery1Click);
    file->addAction(QStringLiteral("E&xport..."), QKeySequence(Qt::CTRL | Qt::Key_X), this,
                    &TGridForm::Export1Click);
    file->addAction(QStringLiteral("&Print..."), QKeySequence(Qt::CTRL | Qt::Key_P), this,
                    &TGridForm::Print1Click);
    file->addAction(QStringLiteral("Pre&view..."), QKeySequence(Qt::CTRL | Qt::Key_V), this,
                    &TGridForm::Preview1Click);
    file->addAction(QStringLiteral("Print &Design..."), QKeySequence(Qt::CTRL | Qt::Key_D), this,
                    &TGridForm::PrintDesign1Click);
    file->addSeparator();
    file->addAction(QStringLiteral("E&xit"), QKeySequence(Qt::Key_Escape), this, &QDialog::reject);

    m_grid->setObjectName(QStringLiteral("QueryGrid"));
    m_grid->setAlternatingRowColors(true);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* gridMenu = new QMenu(this);
    QAction* copy = gridMenu->addAction(QStringLiteral("Copy"), this, &TGridForm::Copy1Click);
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));
    connect(m_grid, &QWidget::customContextMenuRequested, this,
            [this, gridMenu](const QPoint& at) { gridMenu->popup(m_grid->viewport()->mapToGlobal(at)); });
    auto* copyKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert), m_grid);
    copyKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(copyKey, &QShortcut::activated, this, &TGridForm::Copy1Click);

    m_label->setObjectName(QStringLiteral("RunningLabel"));
    m_label->setStyleSheet(QStringLiteral("font-weight: bold; color: #1f4e8c;"));
    m_label->hide();

    auto* status = new QStatusBar;
    status->setSizeGripEnabled(false);
    m_recordsPanel->setObjectName(QStringLiteral("RecordsPanel"));
    m_projectPanel->setObjectName(QStringLiteral("ProjectPanel"));
    // the project's name is shown as it is written, never as markup
    m_recordsPanel->setTextFormat(Qt::PlainText);
    m_projectPanel->setTextFormat(Qt::PlainText);
    m_recordsPanel->setMinimumWidth(140);
    status->addWidget(m_recordsPanel);
    status->addWidget(m_projectPanel, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar);
    auto* labelRow = new QVBoxLayout;
    labelRow->setContentsMargins(8, 4, 8, 4);
    labelRow->addWidget(m_label);
    labelRow->addWidget(m_runPanel);
    layout->addLayout(labelRow);
    connect(m_runPanel, &QueryRunPanel::cancelClicked, this, &TGridForm::CancelQuery);
    layout->addWidget(m_grid, 1);
    layout->addWidget(status);

    m_sorter->setSortRole(Qt::EditRole);
    // A result of any size opens at once: the grid reads the rows it shows.
    m_dm.GridQuery.setRowsOnDemand(true);
    SetStatus(RecordsWord + QLatin1Char('0'), QString());
    restorePlacement();
}

TGridForm::~TGridForm() { Detach(); }

void TGridForm::done(int result)
{
    // Escape or closing the window while a statement runs stops it; the
    // window stays open with the cancelled state.
    if (m_running) {
        CancelQuery();
        return;
    }
    // "Please wait...Closing Query."
    m_label->setText(QStringLiteral("Please wait...Closing Query."));
    m_label->show();
    Detach();
    m_dm.GridQuery.close();
    ToolWindow::done(result);
}

QString TGridForm::recordsText() const { return m_recordsPanel->text(); }
QString TGridForm::projectText() const { return m_projectPanel->text(); }
bool TGridForm::sortable() const { return m_grid->model() == m_sorter; }

void TGridForm::SetStatus(const QString& records, const QString& project)
{
    m_recordsPanel->setText(records);
    m_projectPanel->setText(project);
}

void TGridForm::Detach()
{
    m_grid->setSortingEnabled(false);
    m_grid->setModel(nullptr);
    m_sorter->setSourceModel(nullptr);
    m_model->setDataset(nullptr);
}

void TGridForm::Attach(bool sized)
{
    m_model->setDataset(&m_dm.GridQuery);
    m_model->setCaption(QStringLiteral("MemoFoundLink"), QStringLiteral("Fully Qualified Link"));
    if (sized) {
        // Few rows: all of them are read, sized and sortable.
        while (m_model->canFetchMore({}))
            m_model->fetchMore({});
        m_sorter->setSourceModel(m_model);
        m_grid->setModel(m_sorter);
        m_grid->sortByColumn(-1, Qt::AscendingOrder);
        m_grid->setSortingEnabled(true);
        m_grid->resizeColumnsToContents();
        for (int column = 0; column < m_sorter->columnCount(); ++column)
            m_grid->setColumnWidth(column, std::min(m_grid->columnWidth(column), 420));
    } else {
        m_grid->setModel(m_model);
        m_grid->setSortingEnabled(false);
        for (int column = 0; column < m_model->columnCount(); ++column)
            m_grid->setColumnWidth(column, 140);
    }
}

void TGridForm::CancelQuery()
{
    if (m_running)
        m_cancelRequested = true;
}

bool TGridForm::KeepResponsive()
{
    // The engine asks every few thousand steps; the windows are painted and
    // input handled about 25 times a second.
    if (!m_lastPump.isValid() || m_lastPump.elapsed() >= 40) {
        m_runPanel->tick();
        if (m_extraPanel)
            m_extraPanel->tick();
        QApplication::processEvents();
        m_lastPump.restart();
    }
    return m_cancelRequested;
}

bool TGridForm::RunQuery(const QString& sql, const QString& project, QueryRunPanel* alsoShowIn)
{
    // The windows stay responsive while a statement runs: a second run waits
    // for the first to end.
    if (m_running)
        return false;
    const WaitCursor wait;
    m_label->setText(QStringLiteral("Query Running...Please Wait..."));
    m_label->show();
    m_grid->setUpdatesEnabled(false);
    m_grid->setEnabled(false);
    m_menuBar->setEnabled(false);
    m_running = true;
    m_cancelRequested = false;
    m_extraPanel = alsoShowIn;
    m_lastPump.invalidate();
    m_runPanel->start();
    if (m_extraPanel)
        m_extraPanel->start();
    Query& query = m_dm.GridQuery;
    query.onProgress = [this](int percent) {
        m_runPanel->setPercent(percent);
        if (m_extraPanel)
            m_extraPanel->setPercent(percent);
    };
    query.isCancelled = [this] { return KeepResponsive(); };
    const auto resume = qScopeGuard([this, &query] {
        query.onProgress = nullptr;
        query.isCancelled = nullptr;
        m_runPanel->finish();
        if (m_extraPanel)
            m_extraPanel->finish();
        m_extraPanel = nullptr;
        m_running = false;
        m_menuBar->setEnabled(true);
        m_grid->setEnabled(true);
        m_grid->setUpdatesEnabled(true);
        m_label->hide();
    });
    Detach();

    query.close();
    query.setRequestLive(false);
    m_sql = sql;
    m_project = project;
    const QString projectText = QStringLiteral("Showing Queried Records in Project ") + project;
    const auto open = [&](const QString& statement) {
        query.setSql(statement);
        try {
            // The statement may be edited by hand: it runs only when it reads.
            ReadOnlyStatement::check(m_dm.General, statement);
            query.open();
            return true;
        } catch (const DatabaseError& error) {
            query.close();
            if (error.code() == DatabaseError::Cancelled) {
                SetStatus(RecordsWord + QLatin1Char('0'), QStringLiteral("Query Cancelled"));
                return false;
            }
            SetStatus(RecordsWord + QLatin1Char('0'), QString());
            m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"),
                                QStringLiteral("<P align=\"center\">") + error.message().toHtmlEscaped()
                                    + QStringLiteral("</P>"),
                                true, {});
            return false;
        }
    };
    if (!open(sql))
        return false;
    int count = query.recordCount();
    SetStatus(RecordsWord + QString::number(count), projectText);

    if (QueryStatement::asksToLimit(count)) {
        const MessageAnswer answer =
            m_dm.ShowMessageBox(MessageButtons::YesNoCancel, QStringLiteral("Warning"),
                                QueryStatement::limitQuestion(count), true, {});
        if (answer == MessageAnswer::Yes) {
            query.close();
            m_sql = QueryStatement::limited(sql);
            if (!open(m_sql))
                return false;
            count = query.recordCount();
            SetStatus(RecordsWord + QString::number(count), projectText);
        } else if (answer != MessageAnswer::No) {
            SetStatus(RecordsWord + QLatin1Char('0'), QStringLiteral("Query Cancelled"));
            query.close();
            return false;
        }
    }

    const bool sized = QueryStatement::sizesColumns(count);
    m_label->setText(
        sized ? QStringLiteral("Please wait...Loading Query...")
              : QStringLiteral("Please wait...Loading ") + QString::number(count)
                + QStringLiteral(
                    " records into query. Auto Column Size and Column Sorting will be disabled."));
    Attach(sized);
    return true;
}

void TGridForm::CreateQuery1Click()
{
    TQBForm builder(m_dm, *this, this);
    builder.exec();
}

void TGridForm::Export1Click()
{
    if (!m_dm.GridQuery.isOpen())
        return;
    const QString folder = QDir::currentPath();
    ExportData exported = ExportData::fromDataset(m_dm.GridQuery, QStringLiteral("Query"));
    m_dm.GridQuery.first();
    for (ExportColumn& column : exported.columns)
        if (column.name.compare(QLatin1String("MemoFoundLink"), Qt::CaseInsensitive) == 0)
            column.name = QStringLiteral("FoundLink");
    TExportWizardForm wizard(m_dm, std::move(exported), QStringLiteral("Query for Project ") + m_project,
                             QStringLiteral("Query"), this);
    wizard.exec();
    QDir::setCurrent(folder);
}

bool TGridForm::FillReportTable()
{
    Query& query = m_dm.GridQuery;
    if (!query.isOpen())
        return false;
    try {
        ReportTable::recreate(m_dm.General, query.fields());
        Table report(&m_dm.General, QLatin1String(ReportTable::Name));
        report.open();
        for (query.first(); !query.eof(); query.next()) {
            report.append();
            for (const FieldDef& field : query.fields())
                report.setValue(field.name, query.value(field.name));
            report.post();
        }
        query.first();
        return true;
    } catch (const DatabaseError& error) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"),
                            QStringLiteral("<P align=\"center\">") + error.message().toHtmlEscaped()
                                + QStringLiteral("</P>"),
                            true, {});
        return false;
    }
}

// 0 print, 1 preview, 2 design: _RunPrint, _RunPreview or _RunReports of
// CVReports with the report "Grid".
void TGridForm::RunReportLibrary(int mode)
{
    if (!FillReportTable())
        return;
    LibraryCalls calls(m_dm, qApp);
    calls.ReportFailuresAs(QStringLiteral("Error"), LibraryCalls::FailureText::CentredSystemText);
    const QString report = QStringLiteral("Grid");
    if (mode == 0)
        calls.RunPrint(m_project, report);
    else if (mode == 1)
        calls.RunPreview(m_project, report);
    else
        calls.RunReports(m_project, report);
}

void TGridForm::Print1Click() { RunReportLibrary(0); }
void TGridForm::Preview1Click() { RunReportLibrary(1); }
void TGridForm::PrintDesign1Click() { RunReportLibrary(2); }

void TGridForm::Copy1Click() { GridCopy::copySelection(*m_grid); }

} // namespace corvane
