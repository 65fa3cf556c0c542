#pragma once

#include <QLibrary>
#include <QString>

namespace corvane {

// A run-time module loaded by file name from the binaries folder, its entry
// points looked up by their exported names. Unloaded when destroyed.
class RuntimeLibrary
{
public:
    explicit RuntimeLibrary(const QString& fileName);
    ~RuntimeLibrary();

    RuntimeLibrary(const RuntimeLibrary&) = delete;
    RuntimeLibrary& operator=(const RuntimeLibrary&) = delete;

    bool load();
    bool isLoaded() const { return m_library.isLoaded(); }

    // Null when the name is not exported; errorString() then says why.
    QFunctionPointer resolve(const char* exportedName);

    template <typename Function>
    Function entry(const char* exportedName)
    {
        return reinterpret_cast<Function>(resolve(exportedName));
    }

    // The system's text for the last error.
    QString errorString() const
    {
        return m_resolveError.isEmpty() ? m_library.errorString() : m_resolveError;
    }

private:
    QLibrary m_library;
    QString m_resolveError; // the loader's text when resolve() failed; QLibrary keeps none
};

} // namespace corvane
