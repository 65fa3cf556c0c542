#include "core/platform/NamedMutex.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// A mutex is an exclusive flock() on "<lockFolder>/<name>.lock". Lock files
// are never deleted: removing one while another process has it open would let
// a third process lock a new file of the same name, and two would own the
// mutex. Descriptors are opened close-on-exec so a started program does not
// inherit (and keep) a mutex of ours.

namespace corvane {

namespace {

// Mutex names keep their dots and case; path separators and control
// characters become '_'.
QString lockFileName(const QString& name)
{
    QString safe = name;
    for (QChar& ch : safe) {
        if (ch == QLatin1Char('/') || ch == QLatin1Char('\\') || ch.unicode() < 0x20)
            ch = QLatin1Char('_');
    }
    // No hidden files, and never "." or "..".
    if (safe.isEmpty() || safe.startsWith(QLatin1Char('.')))
        safe.prepend(QLatin1Char('_'));
    return safe + QLatin1String(".lock");
}

// Creates the lock folder (mode 0700) and checks that it is a folder of ours,
// so that another user cannot take our mutexes by creating it first.
bool ensureLockFolder(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info
    { };
    if (::lstat(path.constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid();
}

int openLockFile(const QString& name, int flags)
{
    const QString folder = NamedMutex::lockFolder();
    if ((flags & O_CREAT) && !ensureLockFolder(folder))
        return -1;
    const QByteArray path = QFile::encodeName(folder + lockFileName(name));
    int fd;
    do {
        fd = ::open(path.constData(), flags | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// 0 when locked, else the errno of the attempt.
int tryLock(int fd)
{
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : errno;
}

} // namespace

NamedMutex::NamedMutex(const QString& name)
    : m_name(name)
{
    const int fd = openLockFile(name, O_RDWR | O_CREAT);
    if (fd < 0)
        return;
    const int error = tryLock(fd);
    if (error == 0) {
        m_fd = fd;
        return;
    }
    ::close(fd);
    m_alreadyExisted = (error == EWOULDBLOCK);
}

NamedMutex::~NamedMutex() { release(); }

void NamedMutex::release()
{
    if (m_fd < 0)
        return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}

bool NamedMutex::exists(const QString& name)
{
    // No lock file: nobody has ever held it since the folder was made.
    const int fd = openLockFile(name, O_RDONLY);
    if (fd < 0)
        return false;
    const int error = tryLock(fd);
    if (error == 0)
        ::flock(fd, LOCK_UN);
    ::close(fd);
    return error == EWOULDBLOCK;
}

QString NamedMutex::lockFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        return QDir::cleanPath(runtime) + QLatin1String("/corvane/");
    return QDir::cleanPath(QDir::tempPath()) + QLatin1String("/corvane-") + QString::number(::geteuid())
        + QLatin1Char('/');
}

} // namespace corvane
