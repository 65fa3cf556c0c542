#pragma once

#include <QString>

namespace corvane {

// A named, machine-wide mutex between processes: an flock() on a lock file
// named after the mutex in $XDG_RUNTIME_DIR/corvane/ (or the temp folder).
// The holder's crash releases it, as the kernel drops the lock with the file.
class NamedMutex
{
public:
    // Creates the mutex owned by the caller. When another holder has it,
    // alreadyExisted() is true and the caller does not own it.
    explicit NamedMutex(const QString& name);
    ~NamedMutex();

    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    const QString& name() const { return m_name; }
    bool alreadyExisted() const { return m_alreadyExisted; }
    bool isOwned() const { return m_fd >= 0; }

    // Releases ownership and closes the handle; safe to call twice.
    void release();

    // True while some holder (this or another process) owns the mutex.
    static bool exists(const QString& name);

    // The folder holding the lock files.
    static QString lockFolder();

private:
    QString m_name;
    int m_fd = -1;
    bool m_alreadyExisted = false;
};

} // namespace corvane
