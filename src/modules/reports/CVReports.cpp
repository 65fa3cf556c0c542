// CVReports.so: prints, previews and designs reports of the report table.
#include "core/outside/LibraryEntries.h"
#include "gui/reports/ReportJob.h"

#include <QApplication>
#include <QString>

#include <exception>

namespace {

using corvane::reports::ReportJob;

QString text(const char16_t* characters) { return characters ? QString::fromUtf16(characters) : QString(); }

// Nothing may escape into the caller across the C entry.
template <typename Run>
void guarded(QCoreApplication* application, const char16_t* project, const char16_t* report, Run run)
{
    try {
        ReportJob job(application, text(project), text(report));
        run(job);
    } catch (const std::exception& e) {
        qWarning("CVReports: %s", e.what());
    }
}

} // namespace

extern "C" {

Q_DECL_EXPORT void _RunPrint(QCoreApplication* application, const char16_t* projectOrGroup,
                             const char16_t* report)
{
    guarded(application, projectOrGroup, report, [](ReportJob& job) { job.runPrint(); });
}

Q_DECL_EXPORT void _RunPreview(QCoreApplication* application, const char16_t* projectOrGroup,
                               const char16_t* report)
{
    guarded(application, projectOrGroup, report, [](ReportJob& job) { job.runPreview(); });
}

Q_DECL_EXPORT void _RunReports(QCoreApplication* application, const char16_t* projectOrGroup,
                               const char16_t* report)
{
    guarded(application, projectOrGroup, report, [](ReportJob& job) { job.runDesign(); });
}

} // extern "C"

// The entries keep the calling contract of the program's run-time modules.
static_assert(std::is_same_v<decltype(&_RunPrint), corvane::entry::TwoTexts>);
static_assert(std::is_same_v<decltype(&_RunPreview), corvane::entry::TwoTexts>);
static_assert(std::is_same_v<decltype(&_RunReports), corvane::entry::TwoTexts>);
