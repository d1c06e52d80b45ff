#include "os/single_instance.h"

#include "os/os_logging.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

QString SingleInstanceLock::defaultLockPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    QDir().mkpath(dir);
    return dir + QStringLiteral("/TolvaneAppMutexQorvel.lock");
}

bool SingleInstanceLock::tryAcquire(const QString &path)
{
    if (m_fd >= 0)
        return true;
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        // Without a lock file we cannot tell; running beats refusing to start.
        qCWarning(lcOs) << Q_FUNC_INFO << __LINE__ << "cannot open lock file" << path
                        << qt_error_string(errno);
        return true;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

bool SingleInstanceLock::isFree(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd); // closing drops the lock again
    return free;
}
