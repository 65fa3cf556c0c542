#include "core/outside/RepairWatch.h"

#include "core/platform/MutexNames.h"
#include "core/platform/NamedMutex.h"

namespace corvane {

RepairWatch::RepairWatch(QObject* parent)
    : QObject(parent)
{
    Timer1.setParent(this);
    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(StartInterval);
    connect(&Timer1, &QTimer::timeout, this, &RepairWatch::Timer1Timer);
}

void RepairWatch::start()
{
    Timer1.setInterval(StartInterval);
    Timer1.start();
}

void RepairWatch::Timer1Timer()
{
    Timer1.setInterval(PollInterval);
    if (NamedMutex::exists(QLatin1String(MutexNames::CVRepair)))
        return;
    Timer1.stop();
    Timer1.setInterval(StartInterval);
    emit repairEnded();
}

} // namespace corvane
