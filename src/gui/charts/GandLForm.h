#pragma once

#include "core/charts/GainsLosses.h"
#include "gui/charts/EngineDayChartWindow.h"

namespace corvane {

// "Gains and Losses - Project ...": how each URL and term pair of a project
// moved on one engine between a day's session and the one before, one
// horizontal bar per pair, from the changes Harvester stored in CVHilo.
class TGandLForm : public EngineDayChartWindow
{
    Q_OBJECT

public:
    explicit TGandLForm(TDM1& dataModule, QWidget* parent = nullptr);

    const QList<GainsLosses::Row>& rows() const { return m_rows; }

    void Build() override;
    void ExtendedExport() override;
    void PrintDataAndChart() override;

private:
    QString caption() const override;
    bool hasRows() const override { return !m_rows.isEmpty(); }

    QList<GainsLosses::Row> m_rows;
};

} // namespace corvane
