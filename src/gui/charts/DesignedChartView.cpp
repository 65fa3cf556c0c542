#include "gui/charts/DesignedChartView.h"

#include "gui/charts/ChartDesignApply.h"

#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QGraphicsPixmapItem>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvane {

DesignedChartView::DesignedChartView(QWidget* parent)
    : QWidget(parent)
    , m_view(new QChartView(new QChart, this))
    , m_navigator(new QWidget(this))
    , m_pageLabel(new QLabel(m_navigator))
    , m_firstButton(new QToolButton(m_navigator))
    , m_priorButton(new QToolButton(m_navigator))
    , m_nextButton(new QToolButton(m_navigator))
    , m_lastButton(new QToolButton(m_navigator))
    , m_relabelTimer(new QTimer(this))
{
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setMinimumSize(200, 150);

    const struct
    {
        QToolButton* button;
        Qt::ArrowType arrow;
        const char* tip;
    } buttons[] = {{m_firstButton, Qt::LeftArrow, "First page"},
                   {m_priorButton, Qt::LeftArrow, "Prior page"},
                   {m_nextButton, Qt::RightArrow, "Next page"},
                   {m_lastButton, Qt::RightArrow, "Last page"}};
    auto* navigatorLayout = new QHBoxLayout(m_navigator);
    navigatorLayout->setContentsMargins(4, 0, 4, 2);
    navigatorLayout->addStretch();
    for (const auto& b : buttons) {
        b.button->setArrowType(b.arrow);
        b.button->setToolTip(QLatin1String(b.tip));
        b.button->setAutoRaise(true);
    }
    m_firstButton->setText(QStringLiteral("|<"));
    m_lastButton->setText(QStringLiteral(">|"));
    m_firstButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_lastButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    navigatorLayout->addWidget(m_firstButton);
    navigatorLayout->addWidget(m_priorButton);
    navigatorLayout->addWidget(m_pageLabel);
    navigatorLayout->addWidget(m_nextButton);
    navigatorLayout->addWidget(m_lastButton);
    navigatorLayout->addStretch();
    connect(m_firstButton, &QToolButton::clicked, this, [this] { setPage(0); });
    connect(m_priorButton, &QToolButton::clicked, this, [this] { setPage(m_page - 1); });
    connect(m_nextButton, &QToolButton::clicked, this, [this] { setPage(m_page + 1); });
    connect(m_lastButton, &QToolButton::clicked, this, [this] { setPage(pageCount() - 1); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_navigator);

    // labels are thinned out to fit the chart's width; redo that once a resize settles
    m_relabelTimer->setSingleShot(true);
    m_relabelTimer->setInterval(60);
    connect(m_relabelTimer, &QTimer::timeout, this, &DesignedChartView::redraw);
    redraw();
}

QChart* DesignedChartView::chart() const { return m_view->chart(); }

void DesignedChartView::setChartData(ChartData content)
{
    m_data = std::move(content);
    m_page = 0;
    redraw();
}

void DesignedChartView::setAxisTitles(const QString& category, const QString& value)
{
    m_data.categoryTitle = category;
    m_data.valueTitle = value;
    redraw();
}

void DesignedChartView::setDesign(const ChartDesign& design)
{
    m_design = design.normalized();
    m_page = std::min(m_page, pageCount() - 1);
    redraw();
    emit designChanged();
}

void DesignedChartView::clear()
{
    m_data = ChartData();
    m_page = 0;
    redraw();
}

int DesignedChartView::pageCount() const { return m_design.pageCount(m_data.pointCount()); }

void DesignedChartView::setPage(int page)
{
    page = std::clamp(page, 0, pageCount() - 1);
    if (page == m_page)
        return;
    m_page = page;
    redraw();
}

QString DesignedChartView::pageText() const
{
    return QString::asprintf("Page %d of %d", m_page + 1, pageCount());
}

bool DesignedChartView::navigatorShown() const { return !m_navigator->isHidden(); }

QImage DesignedChartView::chartImage(const QSize& size) const
{
    const QSize target = size.isEmpty() ? m_view->size() : size;
    if (target != m_view->size()) {
        // draw a copy at the wanted size so the window's chart keeps its own
        QChartView copy;
        copy.setAttribute(Qt::WA_DontShowOnScreen);
        copy.setRenderHint(QPainter::Antialiasing);
        copy.resize(target);
        copy.show();
        applyChartDesign(*copy.chart(), m_data, m_design, m_page);
        QCoreApplication::sendPostedEvents(); // lays the chart out at its size
        return copy.grab().toImage();
    }
    return m_view->grab().toImage();
}

void DesignedChartView::setLogo(const QImage& logo)
{
    if (logo.isNull()) {
        delete m_logo;
        m_logo = nullptr;
        return;
    }
    if (!m_logo) {
        m_logo = new QGraphicsPixmapItem(chart());
        m_logo->setPos(5, 5);
        m_logo->setZValue(10); // over everything the chart draws
    }
    m_logo->setPixmap(QPixmap::fromImage(logo));
}

void DesignedChartView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_relabelTimer->start();
}

void DesignedChartView::redraw()
{
    applyChartDesign(*chart(), m_data, m_design, m_page);
    updateNavigator();
}

void DesignedChartView::updateNavigator()
{
    m_navigator->setHidden(m_design.pointsPerPage == 0);
    m_pageLabel->setText(pageText());
    m_firstButton->setEnabled(m_page > 0);
    m_priorButton->setEnabled(m_page > 0);
    m_nextButton->setEnabled(m_page + 1 < pageCount());
    m_lastButton->setEnabled(m_page + 1 < pageCount());
}

} // namespace corvane
