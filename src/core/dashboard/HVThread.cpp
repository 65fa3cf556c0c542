#include "core/dashboard/HVThread.h"

#include <QTimer>

namespace corvane {

HVThread::HVThread(QObject* parent)
    : QObject(parent)
{
}

void HVThread::addStep(std::function<void()> step, int pauseAfterMs)
{
    m_steps.push_back({std::move(step), pauseAfterMs});
}

void HVThread::start()
{
    m_running = true;
    QTimer::singleShot(0, this, &HVThread::runNext);
}

void HVThread::runNext()
{
    if (m_next == m_steps.size()) {
        m_running = false;
        emit finished();
        deleteLater();
        return;
    }
    const size_t index = m_next++;
    const Step& step = m_steps[index];
    try {
        step.work();
    } catch (...) {
        // The build stops; the window gets its commands back before the
        // application shows the error.
        m_running = false;
        emit finished();
        deleteLater();
        throw;
    }
    emit stepFinished(int(index));
    QTimer::singleShot(step.pauseAfterMs, this, &HVThread::runNext);
}

} // namespace corvane
