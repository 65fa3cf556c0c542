#pragma once

#include "core/charts/Scores.h"
#include "gui/charts/EngineDayChartWindow.h"

class QSpinBox;

namespace corvane {

// "Scores - Project ...": one score per URL of a project on one day, for one
// engine or for all engines weighted by their popularity ("Overall").
// Opening a project chooses "Overall", listed after its engines.
class TScoresForm : public EngineDayChartWindow
{
    Q_OBJECT

public:
    explicit TScoresForm(TDM1& dataModule, QWidget* parent = nullptr);

    QStringList engineEntries() const;
    void setDisregard(int ranks);

    const QList<Scores::Row>& rows() const { return m_rows; }

    void Build() override;
    void ExtendedExport() override;
    void PrintDataAndChart() override;

private:
    QString caption() const override;
    void projectShown() override;
    bool hasRows() const override { return !m_rows.isEmpty(); }
    QStringList titleLines() const;

    QList<Scores::Row> m_rows;
    QSpinBox* m_disregard;
};

} // namespace corvane
