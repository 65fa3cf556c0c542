#include "gui/charts/GandLForm.h"

#include "core/charts/ChartDesignStore.h"
#include "core/data/DatabaseError.h"
#include "core/datamodule/DM1.h"
#include "core/export/ExportData.h"
#include "core/help/HelpContexts.h"
#include "core/print/PrintPages.h"
#include "gui/charts/ChartFrame.h"
#include "gui/charts/ChartWindowSupport.h"
#include "gui/charts/DesignedChartView.h"
#include "gui/export/ExportWizardForm.h"
#include "gui/print/PrintForm.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane {

namespace {

const QString& designFile()
{
    static const QString file = QStringLiteral("GandLFile");
    return file;
}

} // namespace

TGandLForm::TGandLForm(TDM1& dataModule, QWidget* parent)
    : ToolWindow(dataModule, FormSections::GandLForm, HelpContexts::GainsAndLosses, parent)
    , m_choices(this, QStringLiteral("ProjectList"), QStringLiteral("EngineList"),
                QStringLiteral("DatePicker"))
{
    setObjectName(QStringLiteral("GandLForm"));
    setWindowTitle(QStringLiteral("Gains and Losses - Project "));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    resize(980, 720);

    m_frame = new ChartFrame(m_dm, this);
    m_frame->setNoChartWarning(ChartFrame::shortNoChartWarning());

    m_menu = new QMenuBar(this);
    QMenu* file = m_menu->addMenu(QStringLiteral("&File"));
    QAction* exit = m_frame->addFileCommands(file, this);
    addAction(exit);
    QMenu* edit = m_menu->addMenu(QStringLiteral("&Edit Charts"));
    edit->addAction(m_frame->chartDesignerAction());

    auto* intro = new QLabel(GainsLosses::introduction(), this);
    intro->setWordWrap(true);

    m_choices.engines->setToolTip(
        QStringLiteral("Select the Search Engine to compare you and your competitors on."));
    m_choices.date->setToolTip(
        QStringLiteral("Select a date to view.  This rankings of this date will be compared to "
                       "rankings of the prior Harvester Session."));
    m_choices.row->addStretch(1);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("Progress"));
    m_progress->setTextVisible(false);
    m_progress->setMaximumHeight(12);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_progress, 1);
    buttons->addWidget(close);
    buttons->addWidget(createHelpButton());

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(m_menu);
    layout->addWidget(intro);
    layout->addLayout(m_choices.row);
    layout->addWidget(m_frame, 1);
    layout->addLayout(buttons);

    connect(m_choices.projects, &QComboBox::activated, this, &TGandLForm::ProjectChange);
    connect(m_choices.engines, &QComboBox::activated, this, &TGandLForm::Build);
    connect(m_choices.date, &QDateEdit::dateChanged, this, &TGandLForm::Build);
    connect(m_frame, &ChartFrame::designerClosed, this, &TGandLForm::Build);
    m_frame->onExtendedExport = [this] { ExtendedExport(); };
    m_frame->onPrintDataAndChart = [this] { PrintDataAndChart(); };
    m_frame->hasPrintData = [this] { return !m_rows.isEmpty(); };
    restorePlacement();
}

QString TGandLForm::project() const { return m_choices.projects->currentText(); }
QString TGandLForm::engine() const { return m_choices.engines->currentText(); }
QDate TGandLForm::day() const { return m_choices.date->date(); }

void TGandLForm::setEngine(const QString& engine)
{
    m_choices.engines->setCurrentIndex(m_choices.engines->findText(engine, Qt::MatchExactly));
    Build();
}

void TGandLForm::setDay(QDate day) { m_choices.date->setDate(day); }

void TGandLForm::Open(const QString& project)
{
    ChartWindowSupport::fillProjects(m_dm, *m_choices.projects, project);
    ProjectChange();
}

void TGandLForm::ProjectChange()
{
    setWindowTitle(QStringLiteral("Gains and Losses - Project ") + project());
    m_choices.showProject(m_dm);
    Build();
}

void TGandLForm::Build()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_progress->setValue(0);
    m_rows.clear();
    ChartDesign design = ChartDesign::defaultsFor(ChartKind::GainsLosses);
    QString failure;
    try {
        if (!project().isEmpty()) {
            if (!engine().isEmpty())
                m_rows = GainsLosses::load(m_dm.General, project(), engine(), day());
            // one horizontal bar per pair, its caption beside it
            design.seriesType = ChartDesign::HorizontalBar;
            design = ChartDesignStore(m_dm.General).loadOrCreate(project(), designFile(), design);
        }
    } catch (const DatabaseError& error) {
        failure = error.message();
    }
    m_progress->setValue(100);
    m_frame->setDesignTarget(project(), designFile(), ChartKind::GainsLosses);
    DesignedChartView* view = m_frame->chartView();
    view->setDesign(design);
    view->setChartData(GainsLosses::chartData(m_rows, day(), engine()));
    view->setLogo(ChartWindowSupport::chartLogo(m_dm, project(), QStringLiteral("Logo_GandL_Chart")));
    m_frame->setChartLoaded(!m_rows.isEmpty());
    m_progress->setValue(0);
    QApplication::restoreOverrideCursor();
    if (!failure.isEmpty())
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"),
                            QStringLiteral("<P align=\"center\">") + failure.toHtmlEscaped()
                                + QStringLiteral("</P>"),
                            true, {});
}

void TGandLForm::ExtendedExport()
{
    ExportData exported;
    exported.name = QStringLiteral("CVHilo");
    exported.columns = {{QStringLiteral("Inc"), ExportColumn::Type::Integer},
                        {QStringLiteral("URL"), ExportColumn::Type::Text},
                        {QStringLiteral("SearchTerm"), ExportColumn::Type::Text},
                        {QStringLiteral("AltYesterday"), ExportColumn::Type::Integer},
                        {QStringLiteral("AltToday"), ExportColumn::Type::Integer},
                        {QStringLiteral("Difference"), ExportColumn::Type::Integer}};
    for (const GainsLosses::Row& row : std::as_const(m_rows))
        exported.rows.append(
            {row.inc, row.url, row.searchTerm, row.altYesterday, row.altToday, row.difference});
    TExportWizardForm wizard(m_dm, exported, QStringLiteral("Extended Export - Project ") + project(),
                             QStringLiteral("GainsAndLosses"), this);
    wizard.exec();
}

void TGandLForm::PrintDataAndChart()
{
    TPrintForm form(m_dm, PrintPages::GainsAndLosses, this);
    form.ShowGainsAndLosses(project(),
                            GainsLosses::printPage(m_rows, day(), GainsLosses::titleLines(day(), engine())),
                            m_frame->chartView()->chartImage());
    form.exec();
}

} // namespace corvane
