#include "gui/query/QueryRunPanel.h"

#include "core/datamodule/DM1.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace corvane {

QueryRunPanel::QueryRunPanel(QWidget* parent)
    : QWidget(parent)
    , m_track(new QFrame)
    , m_bar(new QFrame)
    , m_elapsed(new QLabel)
    , m_cancel(new QPushButton(QStringLiteral("Cancel")))
{
    setObjectName(QStringLiteral("QueryRunPanel"));
    m_track->setObjectName(QStringLiteral("ProgressTrack"));
    m_track->setFixedHeight(14);
    m_track->setMinimumWidth(160);
    m_track->setFrameShape(QFrame::StyledPanel);
    m_track->setStyleSheet(
        QStringLiteral("#ProgressTrack { background: #f4f4f4; border: 1px solid #9a9a9a; }"));
    m_bar->setParent(m_track);
    m_bar->setObjectName(QStringLiteral("ProgressBar"));
    m_bar->setStyleSheet(QStringLiteral("#ProgressBar { background: #1f4e8c; border: none; }"));
    m_bar->setGeometry(0, 0, 0, m_track->height());
    m_elapsed->setObjectName(QStringLiteral("ElapsedLabel"));
    m_elapsed->setMinimumWidth(m_elapsed->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")));
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    m_cancel->setAutoDefault(false);
    m_cancel->setToolTip(QStringLiteral("Stop the running query."));
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_cancel->setEnabled(false);
        emit cancelClicked();
    });

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_track, 1);
    layout->addWidget(m_elapsed);
    layout->addWidget(m_cancel);
    hide();
}

void QueryRunPanel::start()
{
    m_clock.start();
    m_cancel->setEnabled(true);
    m_elapsed->setText(elapsedText(0));
    show();
    setPercent(0);
}

void QueryRunPanel::setPercent(int percent)
{
    m_percent = qBound(0, percent, 100);
    m_bar->setGeometry(0, 0, TDM1::ProgressBarWidth(m_track->width(), m_percent), m_track->height());
    m_track->repaint();
}

void QueryRunPanel::tick()
{
    if (m_clock.isValid())
        m_elapsed->setText(elapsedText(m_clock.elapsed()));
}

void QueryRunPanel::finish()
{
    m_clock.invalidate();
    hide();
}

int QueryRunPanel::barWidth() const { return m_bar->width(); }
int QueryRunPanel::trackWidth() const { return m_track->width(); }
QString QueryRunPanel::elapsedText() const { return m_elapsed->text(); }

QString QueryRunPanel::elapsedText(qint64 milliseconds)
{
    if (milliseconds < 10000)
        return QString::number(double(milliseconds) / 1000.0, 'f', 1) + QStringLiteral(" s");
    const qint64 seconds = milliseconds / 1000;
    if (seconds < 60)
        return QString::number(seconds) + QStringLiteral(" s");
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace corvane
