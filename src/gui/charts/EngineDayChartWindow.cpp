#include "gui/charts/EngineDayChartWindow.h"

#include "core/data/DatabaseError.h"
#include "core/datamodule/DM1.h"
#include "gui/charts/ChartFrame.h"
#include "gui/charts/DesignedChartView.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QVBoxLayout>

namespace corvane {

EngineDayChartWindow::EngineDayChartWindow(TDM1& dataModule, const char* formSection, int helpContext,
                                           const ChoiceNames& names, const QString& introduction,
                                           QWidget* parent)
    : ToolWindow(dataModule, formSection, helpContext, parent)
    , m_choices(this, names.projects, names.engines, names.date)
{
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    m_frame = new ChartFrame(m_dm, this);
    m_frame->setNoChartWarning(ChartFrame::shortNoChartWarning());

    m_menu = new QMenuBar(this);
    QMenu* file = m_menu->addMenu(QStringLiteral("&File"));
    QAction* exit = m_frame->addFileCommands(file, this);
    addAction(exit);
    QMenu* edit = m_menu->addMenu(QStringLiteral("&Edit Charts"));
    edit->addAction(m_frame->chartDesignerAction());

    auto* intro = new QLabel(introduction, this);
    intro->setWordWrap(true);
    m_choices.row->addStretch(1);

    const ChartWindowSupport::ProgressAndClose buttons(this, createHelpButton());
    m_progress = buttons.progress;

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(m_menu);
    layout->addWidget(intro);
    layout->addLayout(m_choices.row);
    layout->addWidget(m_frame, 1);
    layout->addLayout(buttons.row);

    connect(m_choices.projects, &QComboBox::activated, this, &EngineDayChartWindow::ProjectChange);
    connect(m_choices.engines, &QComboBox::activated, this, [this] { Build(); });
    connect(m_choices.date, &QDateEdit::dateChanged, this, [this] { Build(); });
    connect(m_frame, &ChartFrame::designerClosed, this, [this] { Build(); });
    m_frame->onExtendedExport = [this] { ExtendedExport(); };
    m_frame->onPrintDataAndChart = [this] { PrintDataAndChart(); };
    m_frame->hasPrintData = [this] { return hasRows(); };
}

QString EngineDayChartWindow::project() const { return m_choices.projects->currentText(); }
QString EngineDayChartWindow::engine() const { return m_choices.engines->currentText(); }
QDate EngineDayChartWindow::day() const { return m_choices.date->date(); }

void EngineDayChartWindow::setEngine(const QString& engine)
{
    m_choices.engines->setCurrentIndex(m_choices.engines->findText(engine, Qt::MatchExactly));
    Build();
}

void EngineDayChartWindow::setDay(QDate day) { m_choices.date->setDate(day); }

void EngineDayChartWindow::Open(const QString& project)
{
    ChartWindowSupport::fillProjects(m_dm, *m_choices.projects, project);
    ProjectChange();
}

void EngineDayChartWindow::ProjectChange()
{
    setWindowTitle(caption());
    m_choices.showProject(m_dm);
    projectShown();
    Build();
}

void EngineDayChartWindow::addChoice(const QString& label, QWidget* field)
{
    QHBoxLayout* row = m_choices.row;
    const int beforeStretch = row->count() - 1;
    row->insertWidget(beforeStretch, field);
    row->insertWidget(beforeStretch, new QLabel(label, this));
    row->insertSpacing(beforeStretch, 12);
    setTabOrder(m_choices.date, field);
}

QString EngineDayChartWindow::load(const std::function<void()>& work)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_progress->setValue(0);
    try {
        work();
    } catch (const DatabaseError& error) {
        return error.message();
    }
    return {};
}

void EngineDayChartWindow::draw(ChartKind kind, const QString& designFile, const ChartDesign& design,
                                ChartData content, const QString& logoFlag, bool loaded,
                                const QString& failure)
{
    m_progress->setValue(100);
    m_frame->setDesignTarget(project(), designFile, kind);
    DesignedChartView* view = m_frame->chartView();
    view->setDesign(design);
    view->setChartData(std::move(content));
    view->setLogo(ChartWindowSupport::chartLogo(m_dm, project(), logoFlag));
    m_frame->setChartLoaded(loaded);
    m_progress->setValue(0);
    QApplication::restoreOverrideCursor();
    if (!failure.isEmpty())
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"),
                            QStringLiteral("<P align=\"center\">") + failure.toHtmlEscaped()
                                + QStringLiteral("</P>"),
                            true, {});
}

} // namespace corvane
