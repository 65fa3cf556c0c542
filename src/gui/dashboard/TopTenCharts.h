#pragma once

#include "core/charts/ChartDesign.h"
#include "core/dashboard/DashboardData.h"

#include <QPointer>
#include <QWidget>

#include <array>

class QLabel;
class QTableWidget;

namespace corvane {

class DesignedChartView;

// The dashboard's ten "Top 10" charts, one per engine, and the table under
// them that lists the selected chart's terms.
class TopTenCharts : public QWidget
{
    Q_OBJECT

public:
    static constexpr int Count = DashboardData::SlotCount;

    explicit TopTenCharts(QWidget* parent = nullptr);
    ~TopTenCharts() override;

    // Empties every chart and the table.
    void clear();
    // Fills one chart (hidden until revealed) with the key URL's rank per term.
    void setSlot(int slot, const QString& title, const QString& engine, const QList<SummaryRow>& rows);
    void revealSlot(int slot);
    int recordCount(int slot) const { return int(m_slots.at(slot).rows.size()); }
    const QString& engine(int slot) const { return m_slots.at(slot).engine; }
    DesignedChartView* chartView(int slot) const { return m_slots.at(slot).view; }

    // The project's Top10 design, applied to all ten charts.
    void setDesign(const ChartDesign& design);

    // Makes a chart the selected one: a border round it only, and its rows
    // in the table with the caption "Selected <engine> - Top 10 SE List".
    void selectChart(int slot);
    int selectedChart() const { return m_selected; }
    QTableWidget* table() const { return m_table; }
    // The caption and table of the selected chart, for the window to place.
    QWidget* tablePanel() const { return m_tablePanel; }

    // Saves "Top10_1.jpg" to "Top10_10.jpg" into the folder, 350 x 300 pixels,
    // quality 95. Returns false when one could not be written.
    bool saveImages(const QString& folder) const;
    static QString imageName(int slot);

signals:
    void chartClicked(int slot);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Slot
    {
        DesignedChartView* view = nullptr;
        QString engine;
        QList<SummaryRow> rows;
    };
    void drawSlot(int slot, const QString& title);
    ChartDesign m_design = ChartDesign::defaultsFor(ChartKind::Top10);

    std::array<Slot, Count> m_slots;
    int m_selected = -1;
    QPointer<QWidget> m_tablePanel; // owned by wherever the window placed it
    QLabel* m_tableCaption;
    QTableWidget* m_table;
};

} // namespace corvane
