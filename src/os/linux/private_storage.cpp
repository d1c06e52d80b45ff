#include "os/private_storage.h"

#include "os/os_logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PrivateStorage {

namespace {
constexpr mode_t kGroupOther = S_IRWXG | S_IRWXO;
constexpr int kMaxOpenDirs = 16;

void SetProblem(QString *problem, const QString &text)
{
    if (problem)
        *problem = text;
}

// Changes the mode through a descriptor opened without following a link.
bool ChangeMode(const QByteArray &native, int open_flags, mode_t mode)
{
    const int fd = ::open(native.constData(), open_flags | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fchmod(fd, mode) == 0;
    ::close(fd);
    return ok;
}

int RemoveEntry(const char *path, const struct stat *, int type, struct FTW *ftw)
{
    if (ftw->level == 0)
        return 0; // the folder itself stays
    const int rc = type == FTW_DP ? ::rmdir(path) : ::unlink(path);
    if (rc != 0)
        qCWarning(lcOs) << "EmptyFolder" << path << qt_error_string(errno);
    return 0; // go on with the rest
}
} // namespace

bool MakePrivateFolder(const QString &path, QString *problem)
{
    const QString clean = QDir::cleanPath(path);
    const QByteArray native = QFile::encodeName(clean);
    QDir().mkpath(QFileInfo(clean).path());
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        SetProblem(problem, qt_error_string(errno));
        return false;
    }
    struct stat st = {};
    if (::lstat(native.constData(), &st) != 0) {
        SetProblem(problem, qt_error_string(errno));
        return false;
    }
    if (S_ISLNK(st.st_mode)) {
        SetProblem(problem, QStringLiteral("is a symbolic link"));
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        SetProblem(problem, QStringLiteral("is not a folder"));
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        SetProblem(problem, QStringLiteral("belongs to another user"));
        return false;
    }
    if ((st.st_mode & 07777) != 0700 && !ChangeMode(native, O_RDONLY | O_DIRECTORY, 0700)) {
        SetProblem(problem, qt_error_string(errno));
        return false;
    }
    return true;
}

void TightenFiles(const QString &dir)
{
    const QStringList names = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        const QByteArray native = QFile::encodeName(dir + QLatin1Char('/') + name);
        struct stat st = {};
        if (::lstat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid() || (st.st_mode & kGroupOther) == 0)
            continue;
        if (!ChangeMode(native, O_RDONLY, st.st_mode & 07777 & ~kGroupOther))
            qCWarning(lcOs) << "TightenFiles" << native << qt_error_string(errno);
    }
}

bool MakePrivateFile(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    QDir().mkpath(QFileInfo(path).path());
    const int fd =
        ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0)
        return ::close(fd) == 0;
    struct stat st = {};
    if (::lstat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        qCWarning(lcOs) << "MakePrivateFile" << path << "is not a file of this user";
        return false;
    }
    return (st.st_mode & kGroupOther) == 0 ||
           ChangeMode(native, O_RDONLY, st.st_mode & 07777 & ~kGroupOther);
}

bool EmptyFolder(const QString &path)
{
    const QByteArray native = QFile::encodeName(QDir::cleanPath(path));
    struct stat st = {};
    if (::lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    // Depth first, physical: links are entries to unlink, never folders to enter.
    return ::nftw(native.constData(), RemoveEntry, kMaxOpenDirs,
                  FTW_DEPTH | FTW_PHYS | FTW_MOUNT) == 0;
}

} // namespace PrivateStorage
