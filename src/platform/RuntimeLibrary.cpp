#include "platform/RuntimeLibrary.h"

#include "platform/AppFolders.h"

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
    return m_library.load();
}

QFunctionPointer RuntimeLibrary::resolve(const char* exportedName)
{
    return m_library.resolve(exportedName);
}

} // namespace corvane
