#include "gui/charts/ScoresForm.h"

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
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace corvane {

namespace {

const QString& designFile()
{
    static const QString file = QStringLiteral("ScoresForm");
    return file;
}

} // namespace

TScoresForm::TScoresForm(TDM1& dataModule, QWidget* parent)
    : ToolWindow(dataModule, FormSections::ScoresForm, HelpContexts::Scores, parent)
    , m_choices(this, QStringLiteral("ComboBox2"), QStringLiteral("ComboBox1"),
                QStringLiteral("JvDateTimePicker1"))
{
    setObjectName(QStringLiteral("ScoresForm"));
    setWindowTitle(QStringLiteral("Scores"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    resize(980, 680);

    m_frame = new ChartFrame(m_dm, this);
    m_frame->setNoChartWarning(ChartFrame::shortNoChartWarning());

    m_menu = new QMenuBar(this);
    QMenu* file = m_menu->addMenu(QStringLiteral("&File"));
    QAction* exit = m_frame->addFileCommands(file, this);
    addAction(exit);
    QMenu* edit = m_menu->addMenu(QStringLiteral("&Edit Charts"));
    edit->addAction(m_frame->chartDesignerAction());

    auto* intro = new QLabel(Scores::introduction(), this);
    intro->setWordWrap(true);

    m_disregard = new QSpinBox(this);
    m_disregard->setObjectName(QStringLiteral("SpinDisregard"));
    m_disregard->setRange(0, 500);
    m_disregard->setValue(0);

    m_choices.row->addSpacing(12);
    m_choices.row->addWidget(new QLabel(QStringLiteral("Disregard ranks greater than"), this));
    m_choices.row->addWidget(m_disregard);
    m_choices.row->addStretch(1);
    setTabOrder(m_choices.date, m_disregard);

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

    connect(m_choices.projects, &QComboBox::activated, this, &TScoresForm::ProjectChange);
    connect(m_choices.engines, &QComboBox::activated, this, &TScoresForm::Build);
    connect(m_choices.date, &QDateEdit::dateChanged, this, &TScoresForm::Build);
    connect(m_disregard, &QSpinBox::valueChanged, this, [this] {
        if (engine() == Scores::overall())
            Build();
    });
    connect(m_frame, &ChartFrame::designerClosed, this, &TScoresForm::Build);
    m_frame->onExtendedExport = [this] { ExtendedExport(); };
    m_frame->onPrintDataAndChart = [this] { PrintDataAndChart(); };
    m_frame->hasPrintData = [this] { return !m_rows.isEmpty(); };
    restorePlacement();
}

QString TScoresForm::project() const { return m_choices.projects->currentText(); }
QString TScoresForm::engine() const { return m_choices.engines->currentText(); }
QDate TScoresForm::day() const { return m_choices.date->date(); }

QStringList TScoresForm::engineEntries() const
{
    QStringList entries;
    for (int i = 0; i < m_choices.engines->count(); ++i)
        entries.append(m_choices.engines->itemText(i));
    return entries;
}

void TScoresForm::setEngine(const QString& engine)
{
    m_choices.engines->setCurrentIndex(m_choices.engines->findText(engine, Qt::MatchExactly));
    Build();
}

void TScoresForm::setDay(QDate day) { m_choices.date->setDate(day); }
void TScoresForm::setDisregard(int ranks) { m_disregard->setValue(ranks); }

void TScoresForm::Open(const QString& project)
{
    ChartWindowSupport::fillProjects(m_dm, *m_choices.projects, project);
    ProjectChange();
}

void TScoresForm::ProjectChange()
{
    setWindowTitle(QStringLiteral("Scores - Project ") + project());
    m_choices.showProject(m_dm);
    // Overall, after the engines, is where a project starts
    const QSignalBlocker hold(m_choices.engines);
    m_choices.engines->addItem(Scores::overall());
    m_choices.engines->setCurrentIndex(m_choices.engines->count() - 1);
    Build();
}

QStringList TScoresForm::titleLines() const { return Scores::titleLines(engine(), day()); }

void TScoresForm::Build()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_progress->setValue(0);
    m_rows.clear();
    ChartDesign design = ChartDesign::defaultsFor(ChartKind::Scores);
    const bool overall = engine() == Scores::overall();
    QString failure;
    try {
        if (!project().isEmpty()) {
            if (overall)
                m_rows = Scores::overallScores(m_dm.General, Scores::enginePopularity(m_dm.SE3), project(),
                                               day(), m_disregard->value());
            else
                m_rows = Scores::engineScores(m_dm.General, project(), engine(), day(),
                                              int(m_choices.engines->count()) - 1);
            design = ChartDesignStore(m_dm.General).loadOrCreate(project(), designFile(), ChartKind::Scores);
        }
    } catch (const DatabaseError& error) {
        failure = error.message();
    }
    m_progress->setValue(100);
    m_frame->setDesignTarget(project(), designFile(), ChartKind::Scores);
    DesignedChartView* view = m_frame->chartView();
    view->setDesign(design);
    view->setChartData(Scores::chartData(m_rows, titleLines(),
                                         overall ? Scores::overallAxisTitle() : QStringLiteral("Score")));
    view->setLogo(ChartWindowSupport::chartLogo(m_dm, project(), QStringLiteral("Logo_Scores_Chart")));
    m_frame->setChartLoaded(!m_rows.isEmpty());
    m_progress->setValue(0);
    QApplication::restoreOverrideCursor();
    if (!failure.isEmpty())
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"),
                            QStringLiteral("<P align=\"center\">") + failure.toHtmlEscaped()
                                + QStringLiteral("</P>"),
                            true, {});
}

void TScoresForm::ExtendedExport()
{
    ExportData exported;
    exported.name = QStringLiteral("Scores");
    exported.columns = {{QStringLiteral("URL"), ExportColumn::Type::Text},
                        {QStringLiteral("Score"), ExportColumn::Type::Float}};
    for (const Scores::Row& row : std::as_const(m_rows))
        exported.rows.append({row.url, row.score});
    TExportWizardForm wizard(m_dm, exported, QStringLiteral("Extended Export - Project ") + project(),
                             QStringLiteral("Scores"), this);
    wizard.exec();
}

void TScoresForm::PrintDataAndChart()
{
    TPrintForm form(m_dm, PrintPages::Scores, this);
    form.ShowScores(project(), Scores::printPage(m_rows, titleLines()), m_frame->chartView()->chartImage());
    form.exec();
}

} // namespace corvane
