#include "gui/dashboard/TopTenCharts.h"

#include "gui/charts/ChartDesignApply.h"
#include "gui/charts/DesignedChartView.h"
#include "gui/widgets/OneLineNames.h"

#include <QChart>
#include <QChartView>
#include <QEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace corvane {

namespace {

constexpr int ImageWidth = 350;
constexpr int ImageHeight = 300;
constexpr int ImageQuality = 95;

const QString SelectedStyle = QStringLiteral("QChartView { border: 2px solid #1c3f6e; }");
const QString PlainStyle = QStringLiteral("QChartView { border: 2px solid transparent; }");

} // namespace

TopTenCharts::TopTenCharts(QWidget* parent)
    : QWidget(parent)
    , m_tablePanel(new QWidget)
    , m_tableCaption(new QLabel)
    , m_table(new QTableWidget(0, 3))
{
    OneLineNames::apply(*m_table);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(4);
    for (int slot = 0; slot < Count; ++slot) {
        auto* view = new DesignedChartView;
        view->setObjectName(QStringLiteral("Top10Chart%1").arg(slot + 1));
        // The chart inside may shrink with its cell, so it is never cut off at the cell's edge.
        view->setMinimumSize(120, 150);
        view->chartView()->setMinimumSize(120, 150);
        view->chartView()->setStyleSheet(PlainStyle);
        view->chartView()->setFocusPolicy(Qt::ClickFocus);
        view->chartView()->viewport()->installEventFilter(this);
        view->setDesign(m_design);
        // Room between the title and the marks over the best bars.
        view->chart()->setMargins(QMargins(2, 14, 2, 2));
        // Equal cells whatever each chart's own size hint says.
        view->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
        m_slots[slot].view = view;
        grid->addWidget(view, slot / 5, slot % 5);
    }
    for (int column = 0; column < 5; ++column)
        grid->setColumnStretch(column, 1);
    grid->setRowStretch(0, 1);
    grid->setRowStretch(1, 1);

    auto* tableLayout = new QVBoxLayout(m_tablePanel);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    m_tableCaption->setObjectName(QStringLiteral("Top10TableCaption"));
    m_tableCaption->setTextFormat(Qt::PlainText); // engine names as typed
    QFont bold = m_tableCaption->font();
    bold.setBold(true);
    m_tableCaption->setFont(bold);
    tableLayout->addWidget(m_tableCaption);
    m_table->setObjectName(QStringLiteral("Top10Table"));
    m_table->setHorizontalHeaderLabels(
        {QStringLiteral("Search Term"), QStringLiteral("Rank"), QStringLiteral("Page")});
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(22);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setAlternatingRowColors(true);
    tableLayout->addWidget(m_table);
    clear();
}

TopTenCharts::~TopTenCharts()
{
    // Freed here only when the window never placed it.
    if (m_tablePanel && !m_tablePanel->parent())
        delete m_tablePanel;
}

void TopTenCharts::clear()
{
    for (int slot = 0; slot < Count; ++slot) {
        m_slots[slot].engine.clear();
        m_slots[slot].rows.clear();
        drawSlot(slot, QString());
        m_slots[slot].view->chartView()->setStyleSheet(PlainStyle);
    }
    m_selected = -1;
    m_table->setRowCount(0);
    m_tableCaption->clear();
}

void TopTenCharts::setSlot(int slot, const QString& title, const QString& engine,
                           const QList<SummaryRow>& rows)
{
    m_slots[slot].engine = engine;
    m_slots[slot].rows = rows;
    m_slots[slot].view->setVisible(false);
    drawSlot(slot, title);
}

// The key URL's position per term, drawn in the project's Top10 design.
void TopTenCharts::drawSlot(int slot, const QString& title)
{
    ChartData chart;
    chart.titleLines = QStringList{title};
    // no axis title: the small card's width is for the terms beside the bars
    chart.valueTitle = QStringLiteral("Position");
    chart.valueKind = ChartData::ValueKind::Rank;
    ChartSeriesData ranks;
    ranks.name = QStringLiteral("Rank");
    for (const SummaryRow& row : m_slots[slot].rows) {
        chart.categories << row.term;
        ranks.values << std::optional<double>(row.rank);
    }
    if (!chart.categories.isEmpty())
        chart.series << ranks;
    m_slots[slot].view->setChartData(chart);
    m_slots[slot].view->chart()->setTitle(chartTitleHtml({title}));
}

void TopTenCharts::setDesign(const ChartDesign& design)
{
    m_design = design;
    for (Slot& slot : m_slots)
        slot.view->setDesign(design);
}

void TopTenCharts::revealSlot(int slot) { m_slots[slot].view->setVisible(true); }

void TopTenCharts::selectChart(int slot)
{
    if (slot < 0 || slot >= Count)
        return;
    m_selected = slot;
    for (int other = 0; other < Count; ++other)
        m_slots[other].view->chartView()->setStyleSheet(other == slot ? SelectedStyle : PlainStyle);
    m_slots[slot].view->chartView()->setFocus();
    m_table->setRowCount(0);
    m_tableCaption->setText(QStringLiteral("Selected ") + m_slots[slot].engine
                            + QStringLiteral(" - Top 10 SE List"));
    const QList<SummaryRow>& rows = m_slots[slot].rows;
    m_table->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        m_table->setItem(r, 0, new QTableWidgetItem(rows.at(r).term));
        auto* rank = new QTableWidgetItem(QString::number(rows.at(r).rank));
        rank->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_table->setItem(r, 1, rank);
        auto* page = new QTableWidgetItem(QString::number(rows.at(r).page));
        page->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_table->setItem(r, 2, page);
    }
}

QString TopTenCharts::imageName(int slot) { return QStringLiteral("Top10_%1.jpg").arg(slot + 1); }

bool TopTenCharts::saveImages(const QString& folder) const
{
    bool allSaved = true;
    for (int slot = 0; slot < Count; ++slot) {
        const QImage image = m_slots[slot].view->chartImage(QSize(ImageWidth, ImageHeight));
        allSaved = image.save(folder + imageName(slot), "JPG", ImageQuality) && allSaved;
    }
    return allSaved;
}

bool TopTenCharts::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        for (int slot = 0; slot < Count; ++slot) {
            if (m_slots[slot].view->chartView()->viewport() == watched) {
                selectChart(slot);
                emit chartClicked(slot);
                break;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace corvane
