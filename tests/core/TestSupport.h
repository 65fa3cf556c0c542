#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace corvane::test {

// A temporary folder for one test, a registry file inside it that
// $CORVANE_REGISTRY points at, and a private folder for named mutexes
// ($XDG_RUNTIME_DIR), all for the test's lifetime, so tests running side by
// side never see each other's settings or mutexes.
class TempProfile
{
public:
    TempProfile();
    ~TempProfile();

    QString path(const QString& relative = {}) const; // folder path + relative
    QString registryPath() const { return path(QStringLiteral("registry.reg")); }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_oldRegistry;
    QByteArray m_oldRuntimeDir;
};

} // namespace corvane::test
