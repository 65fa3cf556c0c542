#include "TestSupport.h"

#include <QDir>
#include <QFile>

#include <cstdlib>

namespace corvane::test {

TempProfile::TempProfile()
    : m_dir(std::make_unique<QTemporaryDir>())
{
    m_oldRegistry = qgetenv("CORVANE_REGISTRY");
    m_oldRuntimeDir = qgetenv("XDG_RUNTIME_DIR");
    qputenv("CORVANE_REGISTRY", registryPath().toLocal8Bit());
    QDir().mkpath(path(QStringLiteral("run")));
    QFile::setPermissions(path(QStringLiteral("run")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", path(QStringLiteral("run")).toLocal8Bit());
}

namespace {
void restore(const char* name, const QByteArray& value)
{
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value);
}
} // namespace

TempProfile::~TempProfile()
{
    restore("CORVANE_REGISTRY", m_oldRegistry);
    restore("XDG_RUNTIME_DIR", m_oldRuntimeDir);
}

QString TempProfile::path(const QString& relative) const { return QDir(m_dir->path()).filePath(relative); }

} // namespace corvane::test
