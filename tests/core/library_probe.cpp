// A run-time module for the library-call tests. Each entry records the call
// with its arguments in $CORVANE_LIBRARY_PROBE; _RunBackup throws.
#include "core/outside/LibraryEntries.h"

#include <QString>
#include <QtGlobal>

#include <stdexcept>

namespace {

QString text(const char16_t* characters) { return QString::fromUtf16(characters); }

void record(const QString& call) { qputenv("CORVANE_LIBRARY_PROBE", call.toUtf8()); }

} // namespace

extern "C" {

Q_DECL_EXPORT void _RunRemoteUpdate(QCoreApplication* application, unsigned char automatic,
                                    unsigned char showResetOptions)
{
    record(QStringLiteral("RunRemoteUpdate %1 %2 %3")
               .arg(application ? QStringLiteral("app") : QStringLiteral("null"))
               .arg(int(automatic))
               .arg(int(showResetOptions)));
}

Q_DECL_EXPORT void _RunCVDaily(QCoreApplication*, const char16_t* project)
{
    record(QStringLiteral("RunCVDaily [") + text(project) + QStringLiteral("]"));
}

Q_DECL_EXPORT void _RunPrint(QCoreApplication*, const char16_t* group, const char16_t* report)
{
    record(QStringLiteral("RunPrint [") + text(group) + QStringLiteral("] [") + text(report)
           + QStringLiteral("]"));
}

Q_DECL_EXPORT void _RunBackup(QCoreApplication*) { throw std::runtime_error("the backup window failed"); }

} // extern "C"
