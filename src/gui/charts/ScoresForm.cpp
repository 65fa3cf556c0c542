#include "gui/charts/ScoresForm.h"

#include "core/charts/ChartDesignStore.h"
#include "core/datamodule/DM1.h"
#include "core/export/ExportData.h"
#include "core/help/HelpContexts.h"
#include "core/print/PrintPages.h"
#include "gui/charts/ChartFrame.h"
#include "gui/charts/DesignedChartView.h"
#include "gui/export/ExportWizardForm.h"
#include "gui/print/PrintForm.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QSpinBox>

namespace corvane {

namespace {

const QString& designFile()
{
    static const QString file = QStringLiteral("ScoresForm");
    return file;
}

} // namespace

TScoresForm::TScoresForm(TDM1& dataModule, QWidget* parent)
    : EngineDayChartWindow(
        dataModule, FormSections::ScoresForm, HelpContexts::Scores,
        {QStringLiteral("ComboBox2"), QStringLiteral("ComboBox1"), QStringLiteral("JvDateTimePicker1")},
        Scores::introduction(), parent)
{
    setObjectName(QStringLiteral("ScoresForm"));
    setWindowTitle(QStringLiteral("Scores"));
    resize(980, 680);

    m_disregard = new QSpinBox(this);
    m_disregard->setObjectName(QStringLiteral("SpinDisregard"));
    m_disregard->setRange(0, 500);
    m_disregard->setValue(0);
    addChoice(QStringLiteral("Disregard ranks greater than"), m_disregard);
    connect(m_disregard, &QSpinBox::valueChanged, this, [this] {
        if (engine() == Scores::overall())
            Build();
    });
    restorePlacement();
}

QString TScoresForm::caption() const { return QStringLiteral("Scores - Project ") + project(); }

QStringList TScoresForm::engineEntries() const
{
    QStringList entries;
    for (int i = 0; i < engineList()->count(); ++i)
        entries.append(engineList()->itemText(i));
    return entries;
}

void TScoresForm::setDisregard(int ranks) { m_disregard->setValue(ranks); }

void TScoresForm::projectShown()
{
    // Overall, after the engines, is where a project starts
    const QSignalBlocker hold(engineList());
    engineList()->addItem(Scores::overall());
    engineList()->setCurrentIndex(engineList()->count() - 1);
}

QStringList TScoresForm::titleLines() const { return Scores::titleLines(engine(), day()); }

void TScoresForm::Build()
{
    m_rows.clear();
    ChartDesign design = ChartDesign::defaultsFor(ChartKind::Scores);
    const bool overall = engine() == Scores::overall();
    const QString failure = load([&] {
        if (project().isEmpty())
            return;
        if (overall)
            m_rows = Scores::overallScores(m_dm.General, Scores::enginePopularity(m_dm.SE3), project(), day(),
                                           m_disregard->value());
        else
            m_rows = Scores::engineScores(m_dm.General, project(), engine(), day(),
                                          int(engineList()->count()) - 1);
        design = ChartDesignStore(m_dm.General).loadOrCreate(project(), designFile(), ChartKind::Scores);
    });
    draw(ChartKind::Scores, designFile(), design,
         Scores::chartData(m_rows, titleLines(),
                           overall ? Scores::overallAxisTitle() : QStringLiteral("Score")),
         QStringLiteral("Logo_Scores_Chart"), !m_rows.isEmpty(), failure);
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
    form.ShowScores(project(), Scores::printPage(m_rows, titleLines()),
                    chartFrame()->chartView()->chartImage());
    form.exec();
}

} // namespace corvane
