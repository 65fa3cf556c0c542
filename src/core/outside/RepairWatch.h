#pragma once

#include <QObject>
#include <QTimer>

namespace corvane {

// Waits for the repair program to end: it holds "CVRepair.Mutex" while it
// runs. Timer1 first gives the program 4000 ms to start and take the mutex,
// then polls every 100 ms; once the mutex is gone, the timer stops, is set
// back to 4000 ms and repairEnded() is emitted.
class RepairWatch : public QObject
{
    Q_OBJECT

public:
    static constexpr int StartInterval = 4000;
    static constexpr int PollInterval = 100;

    explicit RepairWatch(QObject* parent = nullptr);

    void start();
    bool isWatching() const { return Timer1.isActive(); }

    QTimer Timer1;

signals:
    void repairEnded();

private:
    void Timer1Timer();
};

} // namespace corvane
