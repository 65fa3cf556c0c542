#include "gui/dayviews/DayGlanceForm.h"

#include "core/data/DatabaseError.h"
#include "core/datamodule/DM1.h"
#include "core/help/HelpContexts.h"
#include "core/outside/LibraryCalls.h"
#include "gui/charts/ChartWindowSupport.h"
#include "gui/widgets/DesktopLinks.h"
#include "gui/widgets/FormPlacement.h"
#include "gui/widgets/GridCopy.h"
#include "gui/widgets/OneLineNames.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopeGuard>
#include <QShortcut>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace corvane {

using DayGlance::Grid;

namespace {

constexpr int LinkRole = Qt::UserRole + 1;

// Column headings of the grids, by statement column.
QString heading(const QString& column)
{
    static const char* const pairs[][2] = {{"xDate", "Date"},
                                           {"SearchEngine", "Search Engine"},
                                           {"SearchTerm", "Search Term"},
                                           {"AltYesterday", "Prior Day"},
                                           {"AltToday", "Last Session"},
                                           {"URLCount", "Count"},
                                           {"SearchTermCount", "Count"},
                                           {"SearchEngineCount", "Count"}};
    for (const auto& pair : pairs)
        if (column == QLatin1String(pair[0]))
            return QLatin1String(pair[1]);
    return column;
}

} // namespace

TDayGlanceForm::TDayGlanceForm(TDM1& dataModule, QWidget* parent)
    : ToolWindow(dataModule, FormSections::DayGlanceForm, HelpContexts::DayAtAGlance, parent)
    , m_projects(new QComboBox)
    , m_date(new QDateEdit)
    , m_track(new QFrame)
    , m_bar(new QFrame(m_track))
    , m_printLabel(new QLabel(QStringLiteral("None selected for print.")))
    , m_print(new QPushButton(QStringLiteral("Print")))
    , m_pageSetup(new QPushButton(QStringLiteral("Page Setup...")))
    , m_preview(new QPushButton(QStringLiteral("Preview...")))
{
    OneLineNames::apply(*m_projects);
    setObjectName(QStringLiteral("DayGlanceForm"));
    setWindowTitle(QStringLiteral("Day at a Glance"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    resize(1000, 720);

    m_projects->setObjectName(QStringLiteral("ComboBox1"));
    m_projects->setMinimumWidth(220);
    m_date->setObjectName(QStringLiteral("DateTimePicker1"));
    m_date->setCalendarPopup(true);
    m_date->setMinimumDate(emptyDate());
    m_date->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
    auto* go = new QPushButton(QStringLiteral("Go"));
    go->setObjectName(QStringLiteral("GoButton"));
    go->setDefault(true);

    m_track->setObjectName(QStringLiteral("ProgressTrack"));
    m_track->setFixedHeight(8);
    m_track->setFrameShape(QFrame::NoFrame);
    m_track->setStyleSheet(QStringLiteral("#ProgressTrack { background: #e4e8ee; }"));
    m_bar->setObjectName(QStringLiteral("ProgressBar"));
    m_bar->setStyleSheet(QStringLiteral("background: #1f4e8c;"));
    m_bar->setGeometry(0, 0, 0, 8);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Select Project")));
    top->addWidget(m_projects);
    top->addSpacing(12);
    top->addWidget(new QLabel(QStringLiteral("Date")));
    top->addWidget(m_date);
    top->addWidget(go);
    top->addStretch(1);

    auto* gridMenu = new QMenu(this);
    QAction* copy = gridMenu->addAction(QStringLiteral("&Copy"), this, &TDayGlanceForm::Copy1Click);
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));

    auto* grids = new QGridLayout;
    for (const Grid grid : DayGlance::Grids) {
        GridParts& p = parts(grid);
        p.title = new QLabel(DayGlance::title(grid, 0));
        p.title->setObjectName(QStringLiteral("Title%1").arg(static_cast<int>(grid)));
        p.title->setStyleSheet(QStringLiteral(
            "QLabel { background: #1f4e8c; color: white; font-weight: bold; padding: 3px 6px; }"));
        p.model = new QStandardItemModel(this);
        const QStringList columns = DayGlance::columns(grid);
        QStringList headings;
        for (const QString& column : columns)
            headings << heading(column);
        p.model->setHorizontalHeaderLabels(headings);
        p.view = new QTableView;
        OneLineNames::apply(*p.view);
        p.view->setObjectName(QStringLiteral("Grid%1").arg(static_cast<int>(grid)));
        p.view->setModel(p.model);
        p.view->setSortingEnabled(true);
        p.view->horizontalHeader()->setSortIndicatorShown(false);
        p.view->horizontalHeader()->setStretchLastSection(true);
        p.view->verticalHeader()->hide();
        p.view->verticalHeader()->setDefaultSectionSize(p.view->fontMetrics().height() + 6);
        p.view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        p.view->setAlternatingRowColors(true);
        p.view->setContextMenuPolicy(Qt::CustomContextMenu);
        p.view->viewport()->installEventFilter(this);
        p.view->installEventFilter(this);
        connect(p.view, &QWidget::customContextMenuRequested, this, [this, grid, gridMenu](const QPoint& at) {
            SelectGrid(grid);
            gridMenu->popup(parts(grid).view->viewport()->mapToGlobal(at));
        });
        connect(p.view, &QAbstractItemView::clicked, this, &TDayGlanceForm::OpenLinkCell);
        auto* copyKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert), p.view);
        copyKey->setContext(Qt::WidgetShortcut);
        connect(copyKey, &QShortcut::activated, this, &TDayGlanceForm::Copy1Click);
        auto* box = new QVBoxLayout;
        box->setSpacing(0);
        box->addWidget(p.title);
        box->addWidget(p.view, 1);
        switch (grid) {
        case Grid::Position: grids->addLayout(box, 0, 0, 1, 3); break;
        case Grid::Url: grids->addLayout(box, 1, 0); break;
        case Grid::SearchTerm: grids->addLayout(box, 1, 1); break;
        case Grid::SearchEngine: grids->addLayout(box, 1, 2); break;
        }
    }
    grids->setRowStretch(0, 3);
    grids->setRowStretch(1, 2);

    m_printLabel->setObjectName(QStringLiteral("PrintLabel"));
    m_print->setObjectName(QStringLiteral("PrintButton"));
    m_pageSetup->setObjectName(QStringLiteral("PageSetupButton"));
    m_preview->setObjectName(QStringLiteral("PreviewButton"));
    auto* close = new QPushButton(QStringLiteral("Close"));
    close->setObjectName(QStringLiteral("CloseButton"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_printLabel, 1);
    bottom->addWidget(m_print);
    bottom->addWidget(m_pageSetup);
    bottom->addWidget(m_preview);
    bottom->addSpacing(12);
    bottom->addWidget(createHelpButton());
    bottom->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_track);
    layout->addLayout(grids, 1);
    layout->addLayout(bottom);

    for (QPushButton* button : {m_print, m_pageSetup, m_preview}) {
        button->setEnabled(false);
        button->setAutoDefault(false);
    }
    close->setAutoDefault(false);

    connect(m_projects, &QComboBox::currentIndexChanged, this, &TDayGlanceForm::ComboBox1Change);
    connect(go, &QPushButton::clicked, this, &TDayGlanceForm::GoButtonClick);
    connect(m_print, &QPushButton::clicked, this, &TDayGlanceForm::PrintButtonClick);
    connect(m_pageSetup, &QPushButton::clicked, this, &TDayGlanceForm::PageSetupButtonClick);
    connect(m_preview, &QPushButton::clicked, this, &TDayGlanceForm::PreviewButtonClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    m_dm.DayGlanceQuery.onProgress = [this](int percent) {
        const int width = TDM1::DayGlanceProgressBarWidth(m_track->width(), percent, m_queryIndex);
        m_progressWidths << width;
        m_bar->setGeometry(0, 0, width, m_track->height());
        m_track->repaint();
    };

    restorePlacement();

    // Opening: the current project on its last-run day.
    const QString current = m_dm.Settings.Project;
    ChartWindowSupport::fillProjects(m_dm, *m_projects, current);
    setWindowTitle(QStringLiteral("Day at a Glance - Project ") + current);
    const QDate lastRun = ChartWindowSupport::lastRun(m_dm, current);
    m_date->setDate(lastRun.isValid() ? lastRun : emptyDate());
    BuildGrids(project(), date());
}

TDayGlanceForm::~TDayGlanceForm()
{
    m_dm.DayGlanceQuery.onProgress = nullptr;
    m_dm.DayGlanceQuery.close();
}

QString TDayGlanceForm::project() const { return m_projects->currentText(); }
QDate TDayGlanceForm::date() const { return m_date->date(); }
void TDayGlanceForm::setDate(const QDate& day) { m_date->setDate(day); }
void TDayGlanceForm::setProject(const QString& project)
{
    m_projects->setCurrentIndex(m_projects->findText(project, Qt::MatchExactly));
}
QTableView* TDayGlanceForm::grid(Grid grid) const { return parts(grid).view; }
QString TDayGlanceForm::gridTitle(Grid grid) const { return parts(grid).title->text(); }
QString TDayGlanceForm::printLabelText() const { return m_printLabel->text(); }
bool TDayGlanceForm::printEnabled() const { return m_print->isEnabled(); }

void TDayGlanceForm::ComboBox1Change()
{
    const QDate lastRun = ChartWindowSupport::lastRun(m_dm, project());
    m_date->setDate(lastRun.isValid() ? lastRun : emptyDate());
}

void TDayGlanceForm::GoButtonClick() { BuildGrids(project(), date()); }

void TDayGlanceForm::BuildGrids(const QString& project, const QDate& day)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    m_progressWidths.clear();
    m_builtProject = project;
    m_urlAddresses = DayGlance::urlAddresses(m_dm.General, project);
    m_enginePages = DayGlance::engineHomePages(m_dm.SE3);
    for (const Grid grid : DayGlance::Grids) {
        m_queryIndex = static_cast<int>(grid);
        const DayGlance::Rows rows = DayGlance::read(m_dm.DayGlanceQuery, grid, project, day, {});
        FillGrid(grid, rows.values);
    }
    m_queryIndex = 0;
    // Done: the bar leaves the track empty for the next build.
    m_bar->setGeometry(0, 0, 0, m_track->height());
    if (m_selected >= 0)
        SelectGrid(static_cast<Grid>(m_selected));
}

void TDayGlanceForm::FillGrid(Grid grid, const QList<QVariantList>& rows)
{
    GridParts& p = parts(grid);
    p.view->setSortingEnabled(false);
    p.view->setUpdatesEnabled(false);
    p.model->removeRows(0, p.model->rowCount());
    const QStringList columns = DayGlance::columns(grid);
    const int linkColumn = grid == Grid::Url || grid == Grid::SearchEngine ? 1 : -1;
    QFont linkFont = p.view->font();
    linkFont.setUnderline(true);
    const QBrush linkColour(QColor(0x1a, 0x4f, 0xb0));
    p.model->setRowCount(rows.size());
    for (int r = 0; r < rows.size(); ++r) {
        const QVariantList& row = rows.at(r);
        for (int c = 0; c < columns.size(); ++c) {
            auto* item = new QStandardItem;
            QVariant value = row.value(c);
            if (columns.at(c) == QLatin1String("xDate") && value.typeId() == QMetaType::QString)
                value = QDate::fromString(value.toString(), Qt::ISODate);
            if (value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QDate
                || !value.isValid())
                item->setData(value, Qt::DisplayRole);
            else
                item->setData(value.toInt(), Qt::DisplayRole);
            if (c == linkColumn) {
                const QString name = value.toString();
                const QString address = grid == Grid::Url
                    ? m_urlAddresses.value(name, DayGlance::webAddress(name))
                    : m_enginePages.value(name);
                if (!address.isEmpty()) {
                    item->setData(address, LinkRole);
                    item->setToolTip(address);
                    item->setFont(linkFont);
                    item->setForeground(linkColour);
                }
            }
            if (value.typeId() != QMetaType::QString && value.typeId() != QMetaType::QDate)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            p.model->setItem(r, c, item);
        }
    }
    p.title->setText(DayGlance::title(grid, rows.size()));
    p.view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    p.view->setSortingEnabled(true);
    p.view->resizeColumnsToContents();
    p.view->setUpdatesEnabled(true);
}

QList<QVariantList> TDayGlanceForm::gridValues(Grid grid) const
{
    const GridParts& p = parts(grid);
    QList<QVariantList> rows;
    rows.reserve(p.model->rowCount());
    for (int r = 0; r < p.model->rowCount(); ++r) {
        QVariantList row;
        for (int c = 0; c < p.model->columnCount(); ++c)
            row << p.model->data(p.model->index(r, c), Qt::DisplayRole);
        rows << row;
    }
    return rows;
}

bool TDayGlanceForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::FocusIn) {
        for (const Grid grid : DayGlance::Grids)
            if (watched == parts(grid).view || watched == parts(grid).view->viewport()) {
                SelectGrid(grid);
                break;
            }
    }
    return ToolWindow::eventFilter(watched, event);
}

void TDayGlanceForm::SelectGrid(Grid grid)
{
    m_selected = static_cast<int>(grid);
    const bool hasRows = parts(grid).model->rowCount() > 0;
    m_printLabel->setText(
        parts(grid).title->text()
        + (hasRows ? QStringLiteral(" selected to print.") : QStringLiteral(" has no records to print.")));
    for (QPushButton* button : {m_print, m_pageSetup, m_preview})
        button->setEnabled(hasRows);
}

void TDayGlanceForm::OpenLinkCell(const QModelIndex& index)
{
    const QString address = index.data(LinkRole).toString();
    if (!address.isEmpty())
        DesktopLinks::openWebAddress(address);
}

// 0 print, 1 preview, 2 page setup: _RunPrint, _RunPreview or _RunReports.
void TDayGlanceForm::RunReportLibrary(int mode)
{
    if (m_selected < 0)
        return;
    const Grid grid = static_cast<Grid>(m_selected);
    try {
        DayGlance::fillReport(m_dm.General, grid, gridValues(grid));
    } catch (const DatabaseError& error) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"),
                            QStringLiteral("<P align=\"center\">") + error.message().toHtmlEscaped()
                                + QStringLiteral("</P>"),
                            true, {});
        return;
    }
    LibraryCalls calls(m_dm, qApp);
    calls.ReportFailuresAs(QStringLiteral("Error"), LibraryCalls::FailureText::SystemText);
    const QString report = DayGlance::reportName(grid);
    if (mode == 0)
        calls.RunPrint(m_builtProject, report);
    else if (mode == 1)
        calls.RunPreview(m_builtProject, report);
    else
        calls.RunReports(m_builtProject, report);
}

void TDayGlanceForm::PrintButtonClick() { RunReportLibrary(0); }
void TDayGlanceForm::PreviewButtonClick() { RunReportLibrary(1); }
void TDayGlanceForm::PageSetupButtonClick() { RunReportLibrary(2); }

void TDayGlanceForm::Copy1Click()
{
    if (m_selected >= 0)
        GridCopy::copySelection(*parts(static_cast<Grid>(m_selected)).view);
}

} // namespace corvane
