#pragma once

#include "core/charts/ChartData.h"
#include "core/charts/ChartDesign.h"

#include <QImage>
#include <QWidget>

class QChart;
class QChartView;
class QGraphicsPixmapItem;
class QLabel;
class QTimer;
class QToolButton;

namespace corvane {

// A chart drawn from its data in a design, with the page navigator under it
// (shown only when the design puts a limited number of points on a page).
// Every chart window and the dashboard's top-10 charts show their charts
// through it; the chart designer works on one.
class DesignedChartView : public QWidget
{
    Q_OBJECT

public:
    explicit DesignedChartView(QWidget* parent = nullptr);

    QChart* chart() const;
    QChartView* chartView() const { return m_view; }

    void setChartData(ChartData content);
    const ChartData& chartData() const { return m_data; }
    void setAxisTitles(const QString& category, const QString& value);

    void setDesign(const ChartDesign& design);
    const ChartDesign& design() const { return m_design; }

    // Removes all series and empties the chart; the design stays.
    void clear();

    int page() const { return m_page; } // 0-based
    int pageCount() const;
    void setPage(int page);
    // "Page %d of %d", as the navigator shows it.
    QString pageText() const;
    bool navigatorShown() const;

    // The project's logo, drawn over the chart at (5, 5); a null image removes it.
    void setLogo(const QImage& logo);

    // The chart as a picture of the given size (its own size when empty).
    QImage chartImage(const QSize& size = {}) const;

signals:
    void designChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void redraw();
    void updateNavigator();

    ChartData m_data;
    ChartDesign m_design;
    int m_page = 0;
    QChartView* m_view;
    QWidget* m_navigator;
    QLabel* m_pageLabel;
    QToolButton* m_firstButton;
    QToolButton* m_priorButton;
    QToolButton* m_nextButton;
    QToolButton* m_lastButton;
    QTimer* m_relabelTimer;
    QGraphicsPixmapItem* m_logo = nullptr;
};

} // namespace corvane
