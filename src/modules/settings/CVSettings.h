#pragma once

// The exports of CVSettings.so, the settings library. The program loads it by
// file name, calls one entry and unloads it again; each entry shows one modal
// window owned by the caller's main window and returns when it has closed.
// Argument forms: core/outside/LibraryEntries.h.

#include <QtGlobal>

class QCoreApplication;

namespace corvane {
class TAdvThrottleForm;
class TAutoBuildChartForm;
class TChartBuilderForm;
class TEngineValuesForm;
class TNotificationForm;
class TSEAPIForm;
} // namespace corvane

extern "C" {

// The window each entry shows while its call runs; null at every other time.
Q_DECL_EXPORT extern corvane::TChartBuilderForm* _ChartBuilderForm;
Q_DECL_EXPORT extern corvane::TAutoBuildChartForm* _AutoBuildChartForm;
Q_DECL_EXPORT extern corvane::TAdvThrottleForm* _AdvThrottleForm;
Q_DECL_EXPORT extern corvane::TEngineValuesForm* _StuntValuesForm;
Q_DECL_EXPORT extern corvane::TEngineValuesForm* _EngIncForm;
Q_DECL_EXPORT extern corvane::TNotificationForm* _NotificationForm;
Q_DECL_EXPORT extern corvane::TSEAPIForm* _SEAPIForm;

// "Chart Builder" on the project's chart (an empty chart: a new one).
Q_DECL_EXPORT void _RunChartBuilder(QCoreApplication* application, const char16_t* project,
                                    const char16_t* chart);
// "Auto Build Charts" for the project.
Q_DECL_EXPORT void _RunAutoBuildChart(QCoreApplication* application, const char16_t* project);
// "Advanced Throttle": the hourly throttle and its switch AdvThrottle.
Q_DECL_EXPORT void _RunAdvThrottle(QCoreApplication* application);
// "Set Stunt Values": Delay and Delay2 of every engine.
Q_DECL_EXPORT void _RunSetStuntValues(QCoreApplication* application);
// "Engine Increment": EngineInc of every engine.
Q_DECL_EXPORT void _RunEngInc(QCoreApplication* application);
// "Notification": per project what to watch and who gets the e-mails, and the mail server.
Q_DECL_EXPORT void _RunNotification(QCoreApplication* application);
// "Search Engine API": the keys of the API engines and the switch GoogleKeyEnabled.
Q_DECL_EXPORT void _RunSEAPI(QCoreApplication* application);
}
