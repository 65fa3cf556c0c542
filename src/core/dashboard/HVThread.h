#pragma once

#include <QObject>

#include <functional>
#include <vector>

namespace corvane {

// The dashboard builder. Its steps run one after the other on the window's
// thread, each from the event loop, so the window stays painted between them;
// a step may ask for a pause before the next. It deletes itself when done.
class HVThread : public QObject
{
    Q_OBJECT

public:
    explicit HVThread(QObject* parent = nullptr);

    void addStep(std::function<void()> step, int pauseAfterMs = 0);
    void start();
    bool isRunning() const { return m_running; }

signals:
    // After each step's work, with its index in the order the steps were added.
    void stepFinished(int step);
    void finished();

private:
    void runNext();

    struct Step
    {
        std::function<void()> work;
        int pauseAfterMs;
    };
    std::vector<Step> m_steps;
    size_t m_next = 0;
    bool m_running = false;
};

} // namespace corvane
