#pragma once

// A file system mounted for a test's lifetime (a small tmpfs, or a folder
// bound onto itself read-only). Mounting needs the right to; where it is
// refused, mounted() is false and error() says why, for the test to skip.

#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace corvane::test {

class Mount
{
public:
    Mount(const QStringList& arguments, const QString& target)
        : m_target(target)
    {
        QDir().mkpath(target);
        QProcess mount;
        mount.start(QStringLiteral("mount"), arguments + QStringList{target});
        m_mounted = mount.waitForFinished(10000) && mount.exitStatus() == QProcess::NormalExit
            && mount.exitCode() == 0;
        m_error = QString::fromLocal8Bit(mount.readAllStandardError()).trimmed();
    }
    ~Mount()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {m_target});
    }
    Mount(const Mount&) = delete;
    Mount& operator=(const Mount&) = delete;

    // The folder bound onto itself, read-only.
    static QStringList readOnlyBind(const QString& folder)
    {
        return {QStringLiteral("--bind"), QStringLiteral("-o"), QStringLiteral("ro"), folder};
    }

    bool mounted() const { return m_mounted; }
    const QString& error() const { return m_error; }

private:
    QString m_target;
    bool m_mounted = false;
    QString m_error;
};

} // namespace corvane::test
