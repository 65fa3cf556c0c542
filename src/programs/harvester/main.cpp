// Harvester: mines the search engines of Corvane projects. With project names
// or --all it runs without a window (as cron starts it); without arguments it
// opens its window.
#include "core/harvest/HarvestCommandLine.h"
#include "core/harvest/HarvesterRun.h"
#include "core/harvest/SessionPoller.h"
#include "core/platform/Registry.h"
#include "core/settings/ProfileSetup.h"
#include "core/settings/Settings.h"
#include "gui/harvest/HarvesterForm.h"
#include "gui/widgets/CorvaneApplication.h"

#include <QCoreApplication>
#include <QTextStream>

#include <atomic>
#include <chrono>
#include <csignal>
#include <mutex>
#include <thread>

namespace {

using namespace corvane;

volatile std::sig_atomic_t g_stopSignal = 0;

QString advancedThrottleSchedule(Registry& registry)
{
    return RegistryKey(registry, SettingsKeys::path(QLatin1String(SettingsKeys::Network)))
        .readString(QStringLiteral("AdvThrottleSchedule"));
}

SettingsRecord loadHarvesterSettings(Registry& registry, QTextStream& err)
{
    SettingsRecord settings;
    if (const QString fault = settingsStoreFault(registry); !fault.isEmpty())
        err << "Harvester: " << fault << "\n";
    for (const RepairedSetting& repaired : loadSettings(registry, settings)) {
        err << "Harvester: the setting " << repaired.key << "\\" << repaired.name << " read \""
            << repaired.foundText << "\", which is not a number; "
            << (repaired.writtenBack ? "it was reset to " : "this run uses ") << repaired.defaultText
            << (repaired.writtenBack ? "" : ", which could not be written back (its key is missing)")
            << ".\n";
    }
    return settings;
}

int runHeadless(int argc, char** argv, const HarvestCommandLine& line)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    Registry registry;
    const SettingsRecord settings = loadHarvesterSettings(registry, err);

    std::mutex outputLock;
    HarvesterRun run(settings, advancedThrottleSchedule(registry));
    HarvesterRun::Observer observer;
    observer.log = [&](const QString& text) {
        std::lock_guard guard(outputLock);
        out << text << Qt::endl;
    };
    observer.waiting = observer.log;
    observer.error = [&](const QString& text) {
        std::lock_guard guard(outputLock);
        err << "Harvester: " << text << Qt::endl;
    };
    run.setObserver(observer);

    std::signal(SIGINT, [](int) { g_stopSignal = 1; });
    std::signal(SIGTERM, [](int) { g_stopSignal = 1; });
    std::atomic<bool> finished{false};
    std::thread signalWatch([&] {
        while (!finished) {
            if (g_stopSignal) {
                run.requestStop();
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    const int exitCode = run.run(line.request);
    finished = true;
    signalWatch.join();
    return exitCode;
}

int runWindowed(int argc, char** argv)
{
    CorvaneApplication app(argc, argv);
    QTextStream err(stderr);
    Registry registry;
    const SettingsRecord settings = loadHarvesterSettings(registry, err);
    THarvesterForm form(settings, advancedThrottleSchedule(registry));
    form.showAtStart();
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    SessionPoller::keepPageMemory();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const HarvestCommandLine line = HarvestCommandLine::parse(arguments);
    QTextStream out(stdout);
    if (!line.error.isEmpty()) {
        QTextStream(stderr) << "Harvester: " << line.error << "\n" << HarvestCommandLine::usage();
        return HarvesterRun::NothingToDo;
    }
    if (line.help) {
        out << HarvestCommandLine::usage();
        return 0;
    }
    if (line.version) {
        out << "Harvester " << CORVANE_VERSION << "\n";
        return 0;
    }
    // A user's first start creates the profile before anything reads it.
    if (const auto first = ProfileSetup::createOnFirstStart(); !first.error.isEmpty())
        QTextStream(stderr) << "Harvester: " << first.error << "\n";
    return line.headless() ? runHeadless(argc, argv, line) : runWindowed(argc, argv);
}
