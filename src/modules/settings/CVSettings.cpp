#include "modules/settings/CVSettings.h"

#include "core/outside/LibraryEntries.h"
#include "core/platform/Registry.h"
#include "core/settings/Settings.h"
#include "gui/charts/ChartBuilderForm.h"
#include "gui/settings/AdvThrottleForm.h"
#include "gui/settings/EngineValuesForm.h"
#include "gui/settings/NotificationForm.h"
#include "gui/settings/SEAPIForm.h"
#include "modules/dbroutines/LibraryWindowCall.h"

#include <type_traits>

using namespace corvane;

static_assert(std::is_same_v<decltype(&_RunChartBuilder), entry::TwoTexts>);
static_assert(std::is_same_v<decltype(&_RunAutoBuildChart), entry::OneText>);
static_assert(std::is_same_v<decltype(&_RunAdvThrottle), entry::Plain>);
static_assert(std::is_same_v<decltype(&_RunSetStuntValues), entry::Plain>);
static_assert(std::is_same_v<decltype(&_RunEngInc), entry::Plain>);
static_assert(std::is_same_v<decltype(&_RunNotification), entry::Plain>);
static_assert(std::is_same_v<decltype(&_RunSEAPI), entry::Plain>);

namespace {

QString dataFolder()
{
    const Registry registry;
    return RegistryKey(registry, SettingsKeys::path(QLatin1String(SettingsKeys::FileLocations)))
        .readString(QStringLiteral("DataFolder"));
}

} // namespace

extern "C" {

TChartBuilderForm* _ChartBuilderForm = nullptr;
TAutoBuildChartForm* _AutoBuildChartForm = nullptr;
TAdvThrottleForm* _AdvThrottleForm = nullptr;
TEngineValuesForm* _StuntValuesForm = nullptr;
TEngineValuesForm* _EngIncForm = nullptr;
TNotificationForm* _NotificationForm = nullptr;
TSEAPIForm* _SEAPIForm = nullptr;

void _RunChartBuilder(QCoreApplication* application, const char16_t* project, const char16_t* chart)
{
    const QString projectName = textArgument(project);
    const QString chartName = textArgument(chart);
    guarded([&] {
        RunLibraryWindow(
            application, _ChartBuilderForm,
            [&](TChartBuilderForm& window) { window.setChart(projectName, chartName); }, dataFolder());
    });
}

void _RunAutoBuildChart(QCoreApplication* application, const char16_t* project)
{
    const QString name = textArgument(project);
    guarded([&] {
        RunLibraryWindow(
            application, _AutoBuildChartForm,
            [&](TAutoBuildChartForm& window) { window.setProjectName(name); }, dataFolder());
    });
}

void _RunAdvThrottle(QCoreApplication* application)
{
    guarded([&] { RunLibraryWindow(application, _AdvThrottleForm, [](TAdvThrottleForm&) {}); });
}

void _RunSetStuntValues(QCoreApplication* application)
{
    guarded([&] {
        RunLibraryWindow(
            application, _StuntValuesForm, [](TEngineValuesForm&) {}, TEngineValuesForm::Kind::StuntValues,
            dataFolder());
    });
}

void _RunEngInc(QCoreApplication* application)
{
    guarded([&] {
        RunLibraryWindow(
            application, _EngIncForm, [](TEngineValuesForm&) {}, TEngineValuesForm::Kind::EngineIncrement,
            dataFolder());
    });
}

void _RunNotification(QCoreApplication* application)
{
    guarded([&] {
        RunLibraryWindow(
            application, _NotificationForm, [](TNotificationForm&) {}, dataFolder());
    });
}

void _RunSEAPI(QCoreApplication* application)
{
    guarded([&] {
        RunLibraryWindow(
            application, _SEAPIForm, [](TSEAPIForm&) {}, dataFolder());
    });
}

} // extern "C"
