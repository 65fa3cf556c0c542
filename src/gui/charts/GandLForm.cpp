#include "gui/charts/GandLForm.h"

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
#include <QDateEdit>

namespace corvane {

namespace {

const QString& designFile()
{
    static const QString file = QStringLiteral("GandLFile");
    return file;
}

} // namespace

TGandLForm::TGandLForm(TDM1& dataModule, QWidget* parent)
    : EngineDayChartWindow(
        dataModule, FormSections::GandLForm, HelpContexts::GainsAndLosses,
        {QStringLiteral("ProjectList"), QStringLiteral("EngineList"), QStringLiteral("DatePicker")},
        GainsLosses::introduction(), parent)
{
    setObjectName(QStringLiteral("GandLForm"));
    setWindowTitle(QStringLiteral("Gains and Losses - Project "));
    resize(980, 720);
    engineList()->setToolTip(
        QStringLiteral("Select the Search Engine to compare you and your competitors on."));
    datePicker()->setToolTip(
        QStringLiteral("Select a date to view.  This rankings of this date will be compared to "
                       "rankings of the prior Harvester Session."));
    restorePlacement();
}

QString TGandLForm::caption() const { return QStringLiteral("Gains and Losses - Project ") + project(); }

void TGandLForm::Build()
{
    m_rows.clear();
    ChartDesign design = ChartDesign::defaultsFor(ChartKind::GainsLosses);
    const QString failure = load([&] {
        if (project().isEmpty())
            return;
        if (!engine().isEmpty())
            m_rows = GainsLosses::load(m_dm.General, project(), engine(), day());
        // one horizontal bar per pair, its caption beside it
        design.seriesType = ChartDesign::HorizontalBar;
        design = ChartDesignStore(m_dm.General).loadOrCreate(project(), designFile(), design);
    });
    draw(ChartKind::GainsLosses, designFile(), design, GainsLosses::chartData(m_rows, day(), engine()),
         QStringLiteral("Logo_GandL_Chart"), !m_rows.isEmpty(), failure);
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
                            chartFrame()->chartView()->chartImage());
    form.exec();
}

} // namespace corvane
