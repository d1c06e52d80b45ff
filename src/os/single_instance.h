#pragma once

#include <QString>

// One instance per user: an exclusive flock on a file in the runtime directory. The
// descriptor stays open for the life of the process, so the kernel frees the lock on any
// exit, crashes included.
class SingleInstanceLock
{
public:
    static QString defaultLockPath();

    // Returns true when this process now holds the lock.
    bool tryAcquire(const QString &path = defaultLockPath());
    bool isHeld() const { return m_fd >= 0; }
    // True when no process holds the lock right now (takes and drops it at once).
    static bool isFree(const QString &path = defaultLockPath());

private:
    int m_fd = -1; // intentionally never closed while the process runs
};
