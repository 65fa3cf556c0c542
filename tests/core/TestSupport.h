#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace corvane::test {

// A temporary folder for one test, and a registry file inside it that
// $CORVANE_REGISTRY points at for the test's lifetime.
class TempProfile
{
public:
    TempProfile();
    ~TempProfile();

    QString path(const QString& relative = {}) const;   // folder path + relative
    QString registryPath() const { return path(QStringLiteral("registry.reg")); }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_oldRegistry;
    bool m_hadRegistry = false;
};

} // namespace corvane::test
