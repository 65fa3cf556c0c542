#include "TestSupport.h"

#include <QDir>

#include <cstdlib>

namespace corvane::test {

TempProfile::TempProfile()
    : m_dir(std::make_unique<QTemporaryDir>())
{
    m_hadRegistry = qEnvironmentVariableIsSet("CORVANE_REGISTRY");
    m_oldRegistry = qgetenv("CORVANE_REGISTRY");
    qputenv("CORVANE_REGISTRY", registryPath().toLocal8Bit());
}

TempProfile::~TempProfile()
{
    if (m_hadRegistry)
        qputenv("CORVANE_REGISTRY", m_oldRegistry);
    else
        qunsetenv("CORVANE_REGISTRY");
}

QString TempProfile::path(const QString& relative) const
{
    return QDir(m_dir->path()).filePath(relative);
}

} // namespace corvane::test
