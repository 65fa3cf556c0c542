#include "app/TopTenCharts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QTableWidget>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>

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
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(4);
    for (int slot = 0; slot < Count; ++slot) {
        auto* chart = new QChart;
        chart->legend()->hide();
        chart->setMargins(QMargins(0, 0, 0, 0));
        QFont titleFont = chart->titleFont();
        titleFont.setPointSizeF(8);
        titleFont.setBold(true);
        chart->setTitleFont(titleFont);
        auto* view = new QChartView(chart);
        view->setObjectName(QStringLiteral("Top10Chart%1").arg(slot + 1));
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumSize(120, 150);
        view->setStyleSheet(PlainStyle);
        view->setFocusPolicy(Qt::ClickFocus);
        view->viewport()->installEventFilter(this);
        m_slots[slot].view = view;
        grid->addWidget(view, slot / 5, slot % 5);
    }

    auto* tableLayout = new QVBoxLayout(m_tablePanel);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    m_tableCaption->setObjectName(QStringLiteral("Top10TableCaption"));
    QFont bold = m_tableCaption->font();
    bold.setBold(true);
    m_tableCaption->setFont(bold);
    tableLayout->addWidget(m_tableCaption);
    m_table->setObjectName(QStringLiteral("Top10Table"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Search Term"), QStringLiteral("Rank"), QStringLiteral("Page")});
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
        m_slots[slot].view->setStyleSheet(PlainStyle);
    }
    m_selected = -1;
    m_table->setRowCount(0);
    m_tableCaption->clear();
}

void TopTenCharts::setSlot(int slot, const QString& title, const QString& engine, const QList<SummaryRow>& rows)
{
    m_slots[slot].engine = engine;
    m_slots[slot].rows = rows;
    m_slots[slot].view->setVisible(false);
    drawSlot(slot, title);
}

// One bar per term whose height is the key URL's rank. The value axis runs
// from the top (rank 1) down, so the best rank is the shortest bar hanging
// from the top edge and every bar carries its rank as a label.
void TopTenCharts::drawSlot(int slot, const QString& title)
{
    QChart* chart = m_slots[slot].view->chart();
    chart->removeAllSeries();
    const QList<QAbstractAxis*> axes = chart->axes();
    for (QAbstractAxis* axis : axes) {
        chart->removeAxis(axis);
        delete axis;
    }
    chart->setTitle(title);
    const QList<SummaryRow>& rows = m_slots[slot].rows;
    if (rows.isEmpty())
        return;

    auto* set = new QBarSet(QStringLiteral("Rank"));
    QStringList terms;
    int worst = 1;
    for (const SummaryRow& row : rows) {
        *set << row.rank;
        terms << row.term;
        worst = std::max(worst, row.rank);
    }
    auto* series = new QBarSeries;
    series->append(set);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    set->setLabelColor(QColor(0x1c, 0x3f, 0x6e));
    QFont small = set->labelFont();
    small.setPointSizeF(7);
    set->setLabelFont(small);
    chart->addSeries(series);

    auto* termAxis = new QBarCategoryAxis;
    termAxis->append(terms);
    termAxis->setLabelsAngle(-90);
    QFont axisFont = termAxis->labelsFont();
    axisFont.setPointSizeF(7);
    termAxis->setLabelsFont(axisFont);
    termAxis->setTruncateLabels(false);
    chart->addAxis(termAxis, Qt::AlignBottom);
    series->attachAxis(termAxis);

    auto* ranks = new QValueAxis;
    ranks->setRange(0, worst + 1);
    ranks->setReverse(true);
    ranks->setLabelFormat(QStringLiteral("%d"));
    ranks->setTickCount(std::min(worst + 2, 5));
    ranks->setLabelsFont(axisFont);
    chart->addAxis(ranks, Qt::AlignLeft);
    series->attachAxis(ranks);

    if (designHook)
        designHook(chart);
}

void TopTenCharts::revealSlot(int slot)
{
    m_slots[slot].view->setVisible(true);
}

void TopTenCharts::selectChart(int slot)
{
    if (slot < 0 || slot >= Count)
        return;
    m_selected = slot;
    for (int other = 0; other < Count; ++other)
        m_slots[other].view->setStyleSheet(other == slot ? SelectedStyle : PlainStyle);
    m_slots[slot].view->setFocus();
    m_table->setRowCount(0);
    m_tableCaption->setText(QStringLiteral("Selected ") + m_slots[slot].engine + QStringLiteral(" - Top 10 SE List"));
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

QString TopTenCharts::imageName(int slot)
{
    return QStringLiteral("Top10_%1.jpg").arg(slot + 1);
}

bool TopTenCharts::saveImages(const QString& folder) const
{
    bool allSaved = true;
    for (int slot = 0; slot < Count; ++slot) {
        QChart* chart = m_slots[slot].view->chart();
        // Lay the chart out at the picture's size, draw it, and put it back.
        const QSizeF shown = chart->size();
        chart->resize(ImageWidth, ImageHeight);
        QImage image(ImageWidth, ImageHeight, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            chart->scene()->render(&painter, QRectF(0, 0, ImageWidth, ImageHeight),
                                   QRectF(chart->pos(), QSizeF(ImageWidth, ImageHeight)));
        }
        chart->resize(shown);
        allSaved = image.save(folder + imageName(slot), "JPG", ImageQuality) && allSaved;
    }
    return allSaved;
}

bool TopTenCharts::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        for (int slot = 0; slot < Count; ++slot) {
            if (m_slots[slot].view->viewport() == watched) {
                selectChart(slot);
                emit chartClicked(slot);
                break;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace corvane
