// Times the dashboard build of the main window on the year-of-data folder
// (see BenchData.h): the window's own build, step by step as it runs from the
// event loop, with no pause after each Top 10 chart appears.
//
// The program makes a throw-away profile whose data folder is the bench data
// folder and whose current project is the large one, opens the main window
// offscreen, lets the window's first build run as a warm-up, and then builds
// the dashboard N times.
//
//   bench_dashboard [--data DIR] [--reps N] [--clock wall|cpu] [--regenerate]
//
// Exit status: 0 when the median build takes at most 300 ms, 1 when it takes
// longer, 2 on an error.
#include "core/dashboard/HVThread.h"
#include "core/data/DatabaseError.h"
#include "core/datamodule/DM1.h"
#include "core/platform/Registry.h"
#include "core/settings/ProfileSetup.h"
#include "gui/dashboard/TopTenCharts.h"
#include "gui/mainwindow/MainRankForm.h"

#include "BenchData.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <time.h>
#include <vector>

namespace corvane {
namespace {

using namespace bench;

constexpr double TargetMs = 300.0;

// The build's steps in the order the window adds them, grouped the way they
// are reported: one design step, the engines, ten slots, the selection, ten
// reveals, the images, three lists and the session page.
struct StepGroup
{
    const char* label;
    int steps;
};
constexpr StepGroup Groups[] = {
    {"clear + Top10 design", 1}, {"top engines query", 1}, {"10 slots: query + chart", 10},
    {"select chart 1", 1},       {"10 reveals", 10},       {"save 10 JPEGs", 1},
    {"first page list", 1},      {"new arrivals list", 1}, {"saturation list", 1},
    {"session page", 1},
};
constexpr const char* FinalPaintLabel = "painting after the build";

int stepCount()
{
    int total = 0;
    for (const StepGroup& group : Groups)
        total += group.steps;
    return total;
}

struct Options
{
    QString folder;
    int reps = 15;
    bool regenerate = false;
    bool cpuClock = false;
};

// Wall-clock time by default; on request the CPU time of the window's thread,
// which runs the whole build and which other programs disturb much less.
bool g_cpuClock = false;

double nowMs()
{
    timespec ts{};
    clock_gettime(g_cpuClock ? CLOCK_THREAD_CPUTIME_ID : CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1.0e6;
}

Options parseOptions(const QStringList& args)
{
    Options options;
    options.folder = defaultFolder();
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--data") && i + 1 < args.size())
            options.folder = QDir::cleanPath(QDir().absoluteFilePath(args.at(++i)));
        else if (arg == QLatin1String("--reps") && i + 1 < args.size())
            options.reps = std::max(1, args.at(++i).toInt());
        else if (arg == QLatin1String("--regenerate"))
            options.regenerate = true;
        else if (arg == QLatin1String("--clock") && i + 1 < args.size()) {
            const QString clock = args.at(++i);
            if (clock != QLatin1String("cpu") && clock != QLatin1String("wall")) {
                std::printf("--clock takes \"wall\" or \"cpu\"\n");
                std::exit(2);
            }
            options.cpuClock = clock == QLatin1String("cpu");
        } else {
            std::printf("usage: bench_dashboard [--data DIR] [--reps N] [--clock wall|cpu] [--regenerate]\n");
            std::exit(arg == QLatin1String("--help") ? 0 : 2);
        }
    }
    return options;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Runs the event loop until the condition holds; false after the timeout.
template <typename Condition>
bool waitFor(Condition condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

// A profile in a temporary folder whose data folder is the bench data and
// whose current project is the large one.
class BenchProfile
{
public:
    explicit BenchProfile(const QString& dataFolder)
    {
        if (!m_dir.isValid())
            throw std::runtime_error("cannot create a temporary folder");
        qputenv("CORVANE_REGISTRY", m_dir.filePath(QStringLiteral("registry.reg")).toLocal8Bit());
        const QString runtime = m_dir.filePath(QStringLiteral("run"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
        {
            Registry registry;
            ProfileSetup setup(registry, programFolder());
            if (!setup.run())
                throw std::runtime_error("profile setup: " + utf8(setup.error()));
        }
        // A fixed window size, so the charts are drawn at a desktop size
        // whatever screen the platform reports.
        {
            QSettings placement(programFolder() + QStringLiteral("FORM.INI"), QSettings::IniFormat);
            placement.setValue(QStringLiteral("MainRankForm/Position"), QPoint(0, 0));
            placement.setValue(QStringLiteral("MainRankForm/Size"), QSize(1280, 900));
        }
        m_dm = std::make_unique<TDM1>();
        m_dm->setMessagePresenter(
            [](MessageButtons, const QString& title, const QString& text, const QString&) {
                std::printf("message: %s: %s\n", qPrintable(title), qPrintable(text));
                return MessageAnswer::Ok;
            });
        DM1 = m_dm.get();
        m_dm->WriteSetting(QStringLiteral("File Locations"), QStringLiteral("DataFolder"),
                           dataFolder + QLatin1Char('/'));
        m_dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Project"),
                           QString::fromStdString(BigProject));
        m_dm->WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Hints"), QStringLiteral("-1"));
    }

    QString programFolder() const { return m_dir.filePath(QStringLiteral("Home")) + QLatin1Char('/'); }
    TDM1& dataModule() { return *m_dm; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TDM1> m_dm;
};

// One timed build: the total and the time of each step, taken from the end of
// the step before (so a step also carries the painting the event loop does
// before it runs).
struct BuildTimes
{
    double totalMs = 0;
    std::vector<double> stepMs;
    double finalPaintMs = 0; // the events still queued when the last step ended
};

BuildTimes timeBuild(TMainRankForm& form)
{
    BuildTimes times;
    QEventLoop loop;
    const double start = nowMs();
    double last = 0;
    form.BuildDashboard(0);
    HVThread* builder = form.dashboardBuilder();
    if (!builder)
        throw std::runtime_error("the dashboard build did not start");
    QObject::connect(builder, &HVThread::stepFinished, &loop, [&](int) {
        const double now = nowMs() - start;
        times.stepMs.push_back(now - last);
        last = now;
    });
    QObject::connect(builder, &HVThread::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const double stepsEnd = nowMs() - start;
    QCoreApplication::processEvents();
    times.totalMs = nowMs() - start;
    times.finalPaintMs = times.totalMs - stepsEnd;
    return times;
}

// What one build must have left behind: ten charts, the first with rows, the
// ten images and the session page.
void checkResult(TMainRankForm& form, const QString& programFolder)
{
    TopTenCharts* charts = form.topTenCharts();
    if (charts->recordCount(0) == 0 || charts->engine(0).isEmpty())
        throw std::runtime_error("the first Top 10 chart is empty");
    for (int slot = 0; slot < TopTenCharts::Count; ++slot) {
        if (!QFileInfo::exists(programFolder + TopTenCharts::imageName(slot)))
            throw std::runtime_error("missing " + utf8(TopTenCharts::imageName(slot)));
    }
    if (!QFileInfo::exists(programFolder + QStringLiteral("SessionInfo.html")))
        throw std::runtime_error("missing SessionInfo.html");
}

void removeOutputs(const QString& programFolder)
{
    for (int slot = 0; slot < TopTenCharts::Count; ++slot)
        QFile::remove(programFolder + TopTenCharts::imageName(slot));
    QFile::remove(programFolder + QStringLiteral("SessionInfo.html"));
}

int run(const Options& options)
{
    prepareFolder(options.folder, false, options.regenerate);

    BenchProfile profile(options.folder);
    TMainRankForm form(profile.dataModule());
    form.show();
    // The first showing builds the dashboard with its pauses: the warm-up.
    waitFor([&] { return form.dashboardBusy(); }, 10000);
    if (!waitFor([&] { return !form.dashboardBusy(); }, 120000))
        throw std::runtime_error("the first dashboard build did not finish");

    g_cpuClock = options.cpuClock;
    const int expectedSteps = stepCount();
    std::vector<double> totals;
    std::vector<std::vector<double>> groupTimes(std::size(Groups));
    std::vector<double> finalPaints;
    for (int rep = 0; rep < options.reps + 1; ++rep) {
        removeOutputs(profile.programFolder());
        const BuildTimes times = timeBuild(form);
        checkResult(form, profile.programFolder());
        if (int(times.stepMs.size()) != expectedSteps)
            throw std::runtime_error("the build ran " + std::to_string(times.stepMs.size())
                                     + " steps, expected " + std::to_string(expectedSteps));
        if (rep == 0)
            continue; // a second warm-up, now without pauses
        totals.push_back(times.totalMs);
        finalPaints.push_back(times.finalPaintMs);
        size_t step = 0;
        for (size_t g = 0; g < std::size(Groups); ++g) {
            double sum = 0;
            for (int i = 0; i < Groups[g].steps; ++i)
                sum += times.stepMs.at(step++);
            groupTimes[g].push_back(sum);
        }
    }

    TopTenCharts* charts = form.topTenCharts();
    int chartRows = 0;
    for (int slot = 0; slot < TopTenCharts::Count; ++slot)
        chartRows += charts->recordCount(slot);
    std::printf("\nDashboard of project %s, session %s: 10 charts with %d rows; window %dx%d, offscreen.\n",
                BigProject.c_str(), qPrintable(lastDay().toString(Qt::ISODate)), chartRows, form.width(),
                form.height());
    std::printf(
        "%s milliseconds of %d builds after 2 warm-ups, without the %d ms pauses after each chart.\n"
        "A step's time runs from the end of the step before, so it includes the painting in between.\n\n",
        options.cpuClock ? "CPU (window thread)" : "Wall-clock", options.reps,
        TMainRankForm::ChartRevealPauseMs);
    std::printf("%-28s %10s %10s %10s\n", "step", "median", "min", "max");
    std::printf("%s\n", std::string(61, '-').c_str());
    const auto row = [](const char* label, const std::vector<double>& values) {
        std::printf("%-28s %10.1f %10.1f %10.1f\n", label, median(values),
                    *std::min_element(values.begin(), values.end()),
                    *std::max_element(values.begin(), values.end()));
    };
    for (size_t g = 0; g < std::size(Groups); ++g)
        row(Groups[g].label, groupTimes[g]);
    row(FinalPaintLabel, finalPaints);
    std::printf("%s\n", std::string(61, '-').c_str());
    row("whole build", totals);

    const double result = median(totals);
    const bool pass = result <= TargetMs;
    std::printf("\n%s: median dashboard build %.1f ms, target <= %.0f ms\n", pass ? "PASS" : "FAIL", result,
                TargetMs);
    return pass ? 0 : 1;
}

} // namespace
} // namespace corvane

namespace {

QtMessageHandler g_standardHandler = nullptr;

// The offscreen platform warns on every window that sizes itself to its hints.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!message.contains(QLatin1String("does not support propagateSizeHints")))
        g_standardHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    g_standardHandler = qInstallMessageHandler(quietHandler);
    const corvane::Options options = corvane::parseOptions(QCoreApplication::arguments());
    try {
        return corvane::run(options);
    } catch (const corvane::DatabaseError& error) {
        std::fprintf(stderr, "bench_dashboard: %s\n", qPrintable(error.message()));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_dashboard: %s\n", error.what());
    }
    return 2;
}
