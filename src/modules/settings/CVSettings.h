#pragma once

// The exports of CVSettings.so, the settings library. The program loads it by
// file name, calls one entry and unloads it again; each entry shows one modal
// window owned by the caller's main window and returns when it has closed.
// Argument forms: core/outside/LibraryEntries.h.

#include <QtGlobal>

class QCoreApplication;

namespace corvane {
class TAutoBuildChartForm;
class TChartBuilderForm;
} // namespace corvane

extern "C" {

// The window each entry shows while its call runs; null at every other time.
Q_DECL_EXPORT extern corvane::TChartBuilderForm* _ChartBuilderForm;
Q_DECL_EXPORT extern corvane::TAutoBuildChartForm* _AutoBuildChartForm;

// "Chart Builder" on the project's chart (an empty chart: a new one).
Q_DECL_EXPORT void _RunChartBuilder(QCoreApplication* application, const char16_t* project,
                                    const char16_t* chart);
// "Auto Build Charts" for the project.
Q_DECL_EXPORT void _RunAutoBuildChart(QCoreApplication* application, const char16_t* project);
}
