#include "FuzzInput.h"

#include <QDir>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace corvane::fuzz {

void fail(const char* what)
{
    std::fprintf(stderr, "check failed: %s\n", what);
    std::abort();
}

const QString& scratchFolder()
{
    // Kept to the end: the clean-up at exit runs after static objects are gone.
    static const QString* const folder = [] {
        auto* path = new QString(QDir::tempPath() + QStringLiteral("/corvane-fuzz-")
                                 + QString::number(qint64(::getpid())));
        QDir().mkpath(*path);
        std::atexit([] { QDir(*folder).removeRecursively(); });
        return path;
    }();
    return *folder;
}

} // namespace corvane::fuzz
