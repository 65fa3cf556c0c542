#include "core/platform/RuntimeLibrary.h"

#include "core/platform/AppFolders.h"

#include <dlfcn.h>

namespace corvane {

RuntimeLibrary::RuntimeLibrary(const QString& fileName)
    : m_library(AppFolders::binaryPath(fileName))
{
}

RuntimeLibrary::~RuntimeLibrary()
{
    // QLibrary leaves the library loaded on destruction; a module is loaded
    // only for the length of one call.
    if (m_library.isLoaded())
        m_library.unload();
}

bool RuntimeLibrary::load()
{
    m_resolveError.clear();
    return m_library.load();
}

QFunctionPointer RuntimeLibrary::resolve(const char* exportedName)
{
    m_resolveError.clear();
    if (!m_library.isLoaded() && !m_library.load())
        return nullptr; // errorString() is the loader's text

    // QLibrary drops the loader's reason for a missing symbol; dlerror() still
    // holds it right after the lookup.
    ::dlerror();
    const QFunctionPointer address = m_library.resolve(exportedName);
    if (!address) {
        const char* reason = ::dlerror();
        m_resolveError = reason ? QString::fromLocal8Bit(reason)
                                : QStringLiteral("Cannot resolve symbol \"%1\" in %2")
                                      .arg(QString::fromLatin1(exportedName), m_library.fileName());
    }
    return address;
}

} // namespace corvane
