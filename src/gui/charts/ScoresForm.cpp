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

    m_projects = new QComboBox(this);
    m_projects->setObjectName(QStringLiteral("ComboBox2"));
    m_projects->setMinimumWidth(180);
    m_engines = new QComboBox(this);
    m_engines->setObjectName(QStringLiteral("ComboBox1"));
    m_engines->setMinimumWidth(200);
    m_date = new QDateEdit(this);
    m_date->setObjectName(QStringLiteral("JvDateTimePicker1"));
    m_date->setCalendarPopup(true);
    m_date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_disregard = new QSpinBox(this);
    m_disregard->setObjectName(QStringLiteral("SpinDisregard"));
    m_disregard->setRange(0, 500);
    m_disregard->setValue(0);

    auto* choices = new QHBoxLayout;
    choices->addWidget(new QLabel(QStringLiteral("Project"), this));
    choices->addWidget(m_projects);
    choices->addSpacing(12);
    choices->addWidget(new QLabel(QStringLiteral("Search Engine"), this));
    choices->addWidget(m_engines);
    choices->addSpacing(12);
    choices->addWidget(new QLabel(QStringLiteral("Date"), this));
    choices->addWidget(m_date);
    choices->addSpacing(12);
    choices->addWidget(new QLabel(QStringLiteral("Disregard ranks greater than"), this));
    choices->addWidget(m_disregard);
    choices->addStretch(1);

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
    layout->addLayout(choices);
    layout->addWidget(m_frame, 1);
    layout->addLayout(buttons);

    connect(m_projects, &QComboBox::activated, this, &TScoresForm::ProjectChange);
    connect(m_engines, &QComboBox::activated, this, &TScoresForm::Build);
    connect(m_date, &QDateEdit::dateChanged, this, &TScoresForm::Build);
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

QString TScoresForm::project() const { return m_projects->currentText(); }
QString TScoresForm::engine() const { return m_engines->currentText(); }
QDate TScoresForm::day() const { return m_date->date(); }

QStringList TScoresForm::engineEntries() const
{
    QStringList entries;
    for (int i = 0; i < m_engines->count(); ++i)
        entries.append(m_engines->itemText(i));
    return entries;
}

void TScoresForm::setEngine(const QString& engine)
{
    m_engines->setCurrentIndex(m_engines->findText(engine, Qt::MatchExactly));
    Build();
}

void TScoresForm::setDay(QDate day) { m_date->setDate(day); }
void TScoresForm::setDisregard(int ranks) { m_disregard->setValue(ranks); }

void TScoresForm::Open(const QString& project)
{
    ChartWindowSupport::fillProjects(m_dm, *m_projects, project);
    ProjectChange();
}

void TScoresForm::ProjectChange()
{
    setWindowTitle(QStringLiteral("Scores - Project ") + project());
    FillEngines();
    const QDate last = ChartWindowSupport::lastRun(m_dm, project());
    {
        const QSignalBlocker hold(m_date);
        m_date->setDate(last.isValid() ? last : QDate::currentDate());
    }
    Build();
}

void TScoresForm::FillEngines()
{
    m_engines->clear();
    if (!project().isEmpty())
        m_engines->addItems(ChartWindowSupport::projectEngines(m_dm, project()));
    m_engines->addItem(Scores::overall());
    m_engines->setCurrentIndex(m_engines->count() - 1);
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
                                              int(m_engines->count()) - 1);
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
