#include "gui/charts/DetailChartForm.h"

#include "core/charts/ChartDesignStore.h"
#include "core/charts/DetailChart.h"
#include "core/data/DatabaseError.h"
#include "core/datamodule/DM1.h"
#include "core/export/ExportData.h"
#include "core/help/HelpContexts.h"
#include "core/outside/LibraryCalls.h"
#include "core/print/PrintPages.h"
#include "gui/charts/ChartFrame.h"
#include "gui/charts/ChartWindowSupport.h"
#include "gui/charts/DesignedChartView.h"
#include "gui/export/ExportWizardForm.h"
#include "gui/print/PrintForm.h"
#include "gui/widgets/OneLineNames.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvane {

namespace {

QString largeSeriesQuestion()
{
    return QStringLiteral("<P align=\"center\">Your Series List is very large<BR>This may make the chart "
                          "difficult to read.<BR>Click \"OK\" to continue.</P>");
}

QString noProjectWarning()
{
    return QStringLiteral(
        "<P align=\"center\">A project must be selected in the Detailed Chart window.<BR>If "
        "no projects exist, then one must be created.</P>");
}

} // namespace

TDetailChartForm::TDetailChartForm(TDM1& dataModule, QWidget* parent)
    : ToolWindow(dataModule, FormSections::BasicChartForm, HelpContexts::DetailChart, parent)
    , m_builder(dataModule.Settings.DataFolder)
{
    setObjectName(QStringLiteral("DetailChartForm"));
    setWindowTitle(QStringLiteral("Detail Chart"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    resize(980, 700);

    m_frame = new ChartFrame(m_dm, this);
    m_frame->setNoChartWarning(ChartFrame::noChartWarning());

    m_menu = new QMenuBar(this);
    QMenu* file = m_menu->addMenu(QStringLiteral("&File"));
    QAction* exit = m_frame->addFileCommands(file, this);
    QMenu* charts = m_menu->addMenu(QStringLiteral("&Charts"));
    QAction* refresh = charts->addAction(QStringLiteral("&Refresh"), this, &TDetailChartForm::RefreshClick);
    refresh->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    // Clear is the frame's command; the window also forgets its working table
    disconnect(m_frame->clearAction(), nullptr, m_frame, nullptr);
    connect(m_frame->clearAction(), &QAction::triggered, this, &TDetailChartForm::ClearClick);
    charts->addAction(m_frame->clearAction());
    QAction* autoBuild =
        charts->addAction(QStringLiteral("&Auto Build..."), this, &TDetailChartForm::AutoBuildClick);
    autoBuild->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    QAction* builder =
        charts->addAction(QStringLiteral("Chart &Builder..."), this, &TDetailChartForm::ChartBuilderClick);
    builder->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    charts->addAction(m_frame->chartDesignerAction());
    for (QAction* action : {exit, refresh, autoBuild, builder})
        addAction(action);

    auto* intro = new QLabel(DetailChart::introduction(), this);
    intro->setWordWrap(true);

    m_projects = ChartWindowSupport::makeProjectList(this, QStringLiteral("ProjectList"));
    m_charts = new QComboBox(this);
    OneLineNames::apply(*m_charts);
    m_charts->setObjectName(QStringLiteral("ChartList"));
    m_charts->setMinimumWidth(260);
    m_charts->setToolTip(QStringLiteral(
        "Select chart to display.  Charts are created using either Chart Builder or Auto Build."));
    const QString spotHint =
        QStringLiteral("Clear erases the current chart.  Refresh removes the cache, rebuilds "
                       "the chart and saves the chart to cache.");
    m_clearSpot = new QPushButton(QStringLiteral("Clear"), this);
    m_clearSpot->setObjectName(QStringLiteral("ClearSpot"));
    m_clearSpot->setToolTip(spotHint);
    m_clearSpot->setAutoDefault(false);
    m_refreshSpot = new QPushButton(QStringLiteral("Refresh"), this);
    m_refreshSpot->setObjectName(QStringLiteral("RefreshSpot"));
    m_refreshSpot->setToolTip(spotHint);
    m_refreshSpot->setAutoDefault(false);
    m_threeD = new QCheckBox(QStringLiteral("3D"), this);
    m_threeD->setObjectName(QStringLiteral("ThreeD"));

    auto* choices = new QHBoxLayout;
    choices->addWidget(new QLabel(QStringLiteral("Project"), this));
    choices->addWidget(m_projects);
    choices->addSpacing(12);
    choices->addWidget(new QLabel(QStringLiteral("Chart"), this));
    choices->addWidget(m_charts, 1);
    choices->addWidget(m_clearSpot);
    choices->addWidget(m_refreshSpot);
    choices->addSpacing(12);
    choices->addWidget(m_threeD);

    m_banner = new QLabel(m_frame);
    m_banner->setObjectName(QStringLiteral("Banner"));
    m_banner->setAlignment(Qt::AlignCenter);
    m_banner->setStyleSheet(
        QStringLiteral("QLabel { background: rgba(255,255,255,220); border: 1px solid #888; "
                       "font-size: 16pt; font-weight: bold; padding: 12px; }"));
    m_banner->hide();

    m_gridToggle = new QToolButton(this);
    m_gridToggle->setObjectName(QStringLiteral("GridToggle"));
    m_gridToggle->setText(QStringLiteral("Chart Data"));
    m_gridToggle->setCheckable(true);
    m_gridToggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_gridToggle->setArrowType(Qt::RightArrow);
    m_gridToggle->setToolTip(QStringLiteral("Displays underlaying chart data."));
    m_model = new QStandardItemModel(this);
    m_grid = new QTableView(this);
    OneLineNames::apply(*m_grid);
    m_grid->setObjectName(QStringLiteral("DataGrid"));
    m_grid->setModel(m_model);
    m_grid->setToolTip(QStringLiteral("Displays underlaying chart data."));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->setMinimumHeight(150);
    m_grid->hide();
    m_frame->setGrid(m_grid);
    connect(m_gridToggle, &QToolButton::toggled, this, [this](bool open) {
        m_grid->setVisible(open);
        m_gridToggle->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
    });

    const ChartWindowSupport::ProgressAndClose buttons(this, createHelpButton());
    m_progress = buttons.progress;

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(m_menu);
    layout->addWidget(intro);
    layout->addLayout(choices);
    layout->addWidget(m_frame, 1);
    layout->addWidget(m_gridToggle);
    layout->addWidget(m_grid);
    layout->addLayout(buttons.row);

    m_lockable = {m_menu, m_projects, m_charts, m_clearSpot, m_refreshSpot, m_threeD, buttons.close};

    connect(m_projects, &QComboBox::activated, this, &TDetailChartForm::ProjectChange);
    connect(m_charts, &QComboBox::activated, this, [this] { LoadFromCache(); });
    connect(m_clearSpot, &QPushButton::clicked, this, &TDetailChartForm::ClearClick);
    connect(m_refreshSpot, &QPushButton::clicked, this, &TDetailChartForm::RefreshClick);
    connect(m_threeD, &QCheckBox::toggled, this, [this](bool on) {
        ChartDesign design = m_frame->chartView()->design();
        design.threeD = on;
        m_frame->chartView()->setDesign(design);
    });
    connect(m_frame, &ChartFrame::designerClosed, this, [this] {
        const QSignalBlocker hold(m_threeD);
        m_threeD->setChecked(m_frame->chartView()->design().threeD);
    });
    m_frame->onExtendedExport = [this] { ExtendedExport(); };
    m_frame->onPrintDataAndChart = [this] { PrintDataAndChart(); };
    m_frame->hasPrintData = [this] { return !m_table.rows.isEmpty() && !m_table.legends.isEmpty(); };

    runAutoBuild = [this](const QString& project) {
        return LibraryCalls(m_dm, qApp).RunAutoBuildChart(project);
    };
    runChartBuilder = [this](const QString& project, const QString& chart) {
        return LibraryCalls(m_dm, qApp).RunChartBuilder(project, chart);
    };
    restorePlacement();
}

TDetailChartForm::~TDetailChartForm()
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

QString TDetailChartForm::project() const { return m_projects->currentText(); }
QString TDetailChartForm::chart() const
{
    return m_charts->currentIndex() >= 0 ? m_charts->currentText() : QString();
}

QStringList TDetailChartForm::chartNames() const
{
    QStringList names;
    for (int i = 0; i < m_charts->count(); ++i)
        names.append(m_charts->itemText(i));
    return names;
}

bool TDetailChartForm::chartLoaded() const { return m_frame->chartLoaded(); }
QString TDetailChartForm::bannerText() const { return m_banner->isHidden() ? QString() : m_banner->text(); }

void TDetailChartForm::Open(const QString& project, const QString& chart)
{
    ChartWindowSupport::fillProjects(m_dm, *m_projects, project);
    FillCharts();
    if (chart.isEmpty())
        return;
    if (!SelectChart(chart) && m_charts->currentIndex() >= 0)
        RefreshClick();
}

void TDetailChartForm::ProjectChange()
{
    ClearClick();
    FillCharts();
}

void TDetailChartForm::FillCharts()
{
    const QSignalBlocker hold(m_charts);
    m_charts->clear();
    if (!project().isEmpty())
        m_charts->addItems(m_builder.charts(project()));
    m_charts->setCurrentIndex(-1);
    m_frame->setDesignTarget(project(), {}, ChartKind::DetailChart);
}

bool TDetailChartForm::SelectChart(const QString& chart)
{
    const int found = m_charts->findText(chart, Qt::MatchExactly);
    if (found < 0)
        return false;
    m_charts->setCurrentIndex(found);
    return LoadFromCache();
}

void TDetailChartForm::setBusy(bool busy, const QString& banner)
{
    m_busy = busy;
    for (QWidget* widget : std::as_const(m_lockable))
        widget->setEnabled(!busy);
    if (busy) {
        m_banner->setText(banner);
        m_banner->adjustSize();
        m_banner->move((m_frame->width() - m_banner->width()) / 2,
                       (m_frame->height() - m_banner->height()) / 3);
        m_banner->show();
        m_banner->raise();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    } else {
        m_banner->hide();
        QApplication::restoreOverrideCursor();
    }
}

bool TDetailChartForm::LoadFromCache()
{
    const QString name = chart();
    if (name.isEmpty() || m_busy)
        return false;
    setBusy(true, QStringLiteral("Loading Cache..."));
    bool loaded = false;
    try {
        m_definition = m_builder.definition(project(), name, QDate::currentDate());
        m_table = m_builder.loadCache(project(), name, m_definition.fillDates);
        loaded = !m_table.legends.isEmpty();
    } catch (const DatabaseError& error) {
        setBusy(false);
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"),
                            QStringLiteral("<P align=\"center\">") + error.message().toHtmlEscaped()
                                + QStringLiteral("</P>"),
                            true, {});
        return false;
    }
    ShowTable();
    m_frame->setChartLoaded(loaded);
    setBusy(false);
    return loaded;
}

void TDetailChartForm::RefreshClick()
{
    if (m_busy)
        return;
    if (!projectSelected())
        return;
    const QString name = chart();
    if (name.isEmpty()) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Warning"), ChartFrame::noChartWarning(), true,
                            {});
        return;
    }
    try {
        m_definition = m_builder.definition(project(), name, QDate::currentDate());
    } catch (const DatabaseError& error) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"),
                            QStringLiteral("<P align=\"center\">") + error.message().toHtmlEscaped()
                                + QStringLiteral("</P>"),
                            true, {});
        return;
    }
    if (m_definition.series.size() > DetailChart::LargeSeriesList) {
        const MessageAnswer answer = m_dm.ShowMessageBox(
            MessageButtons::OkCancel, QString(), largeSeriesQuestion(),
            m_dm.MessageSwitch(QStringLiteral("LargeSeriesList")), QStringLiteral("LargeSeriesList"));
        if (answer == MessageAnswer::Cancel) {
            ClearClick();
            return;
        }
    }
    setBusy(true, QStringLiteral("Refreshing..."));
    m_progress->setValue(0);
    ClearClick();
    m_buildError.clear();
    m_built = {};
    const ChartDefinition definition = m_definition;
    m_thread = QThread::create([this, definition] {
        try {
            m_built = m_builder.buildTable(definition, [this](int done, int total) {
                QMetaObject::invokeMethod(
                    this, [this, done, total] { m_progress->setValue(total > 0 ? done * 100 / total : 100); },
                    Qt::QueuedConnection);
            });
        } catch (const DatabaseError& error) {
            m_buildError = error.message();
        } catch (const std::exception& error) {
            m_buildError = QString::fromLocal8Bit(error.what());
        }
    });
    connect(m_thread, &QThread::finished, this, &TDetailChartForm::BuildFinished, Qt::QueuedConnection);
    m_thread->start(QThread::LowPriority);
}

void TDetailChartForm::BuildFinished()
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
    }
    m_progress->setValue(0);
    bool loaded = false;
    if (m_buildError.isEmpty()) {
        m_table = m_built;
        try {
            m_builder.writeCache(m_definition, m_table);
            loaded = true;
        } catch (const DatabaseError& error) {
            m_buildError = error.message();
        }
    }
    ShowTable();
    m_frame->setChartLoaded(loaded);
    setBusy(false);
    if (!m_buildError.isEmpty())
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"),
                            QStringLiteral("<P align=\"center\">") + m_buildError.toHtmlEscaped()
                                + QStringLiteral("</P>"),
                            true, {});
    emit buildFinished();
}

void TDetailChartForm::ShowTable()
{
    m_frame->setDesignTarget(project(), chart(), ChartKind::DetailChart);
    ChartDesign design = ChartDesign::defaultsFor(ChartKind::DetailChart);
    try {
        if (const auto stored = ChartDesignStore(m_dm.General).load(project(), chart()))
            design = *stored;
    } catch (const DatabaseError&) {
        // the defaults draw the chart; the designer reports the table's fault
    }
    DesignedChartView* view = m_frame->chartView();
    view->setDesign(design);
    {
        const QSignalBlocker hold(m_threeD);
        m_threeD->setChecked(design.threeD);
    }
    view->setChartData(DetailChart::chartData(m_table, m_definition.titleLines));
    view->setLogo(ChartWindowSupport::chartLogo(m_dm, project(), QStringLiteral("Logo_Basic_Chart")));

    m_model->clear();
    QStringList headers{QStringLiteral("xDate")};
    headers += m_table.legends;
    m_model->setHorizontalHeaderLabels(headers);
    for (auto row = m_table.rows.cbegin(); row != m_table.rows.cend(); ++row) {
        QList<QStandardItem*> items{new QStandardItem(row.key().toString(QStringLiteral("yyyy-MM-dd")))};
        for (const int rank : row.value()) {
            auto* item = new QStandardItem(rank > 0 ? QString::number(rank) : QString());
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            items.append(item);
        }
        m_model->appendRow(items);
    }
    m_grid->resizeColumnsToContents();
}

void TDetailChartForm::ClearClick()
{
    m_table = {};
    m_frame->ClearClick();
    m_model->clear();
}

bool TDetailChartForm::projectSelected()
{
    if (!project().isEmpty())
        return true;
    m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Warning"), noProjectWarning(), true, {});
    return false;
}

void TDetailChartForm::AutoBuildClick()
{
    if (!projectSelected() || !runAutoBuild)
        return;
    runAutoBuild(project());
    FillCharts();
}

void TDetailChartForm::ChartBuilderClick()
{
    if (!projectSelected() || !runChartBuilder)
        return;
    runChartBuilder(project(), chart());
    const QString chosen = chart();
    FillCharts();
    if (!chosen.isEmpty())
        m_charts->setCurrentIndex(m_charts->findText(chosen, Qt::MatchExactly));
}

void TDetailChartForm::ExtendedExport()
{
    ExportData exported;
    exported.name = QStringLiteral("Merge");
    exported.columns.append({QStringLiteral("xDate"), ExportColumn::Type::Date});
    for (const QString& legend : std::as_const(m_table.legends))
        exported.columns.append({legend, ExportColumn::Type::Integer});
    for (auto row = m_table.rows.cbegin(); row != m_table.rows.cend(); ++row) {
        QVariantList values{row.key()};
        for (const int rank : row.value())
            values.append(rank > 0 ? QVariant(rank) : QVariant());
        exported.rows.append(values);
    }
    TExportWizardForm wizard(m_dm, exported, QStringLiteral("Extended Export - Project ") + project(),
                             chart(), this);
    wizard.exec();
}

void TDetailChartForm::PrintDataAndChart()
{
    TPrintForm form(m_dm, PrintPages::DetailChart, this);
    form.ShowDetailChart(project(), DetailChart::printPage(m_table, m_definition.titleLines),
                         m_frame->chartView()->chartImage());
    form.exec();
}

} // namespace corvane
