#include "os/linux/file_move.h"

#include "os/os_logging.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>

namespace {
constexpr qint64 kChunkSize = 1 << 20;

// Copies `from` over `to` through a temporary file beside `to` that takes its place only
// once the whole copy is on disk: a failed copy leaves both files as they were.
bool CopyReplacing(const QString &from, const QString &to, QString *error)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = in.errorString();
        return false;
    }
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly)) {
        *error = out.errorString();
        return false;
    }
    QByteArray buffer(kChunkSize, Qt::Uninitialized);
    qint64 copied = 0;
    for (;;) {
        const qint64 n = in.read(buffer.data(), buffer.size());
        if (n < 0) {
            *error = in.errorString();
            return false;
        }
        if (n == 0)
            break;
        if (out.write(buffer.constData(), n) != n) {
            *error = out.errorString();
            return false;
        }
        copied += n;
    }
    // A source that changed size meanwhile was not copied whole.
    if (copied != QFileInfo(from).size()) {
        *error = QStringLiteral("the source changed while it was copied");
        return false;
    }
    if (!out.commit()) {
        *error = out.errorString();
        return false;
    }
    QFile::setPermissions(to, in.permissions());
    if (QFileInfo(to).size() != copied) {
        *error = QStringLiteral("the copy is incomplete");
        return false;
    }
    return true;
}
} // namespace

namespace FileMove {

void Move(const QString &from, const QString &to)
{
    // There is no undoable move on Linux desktops; this is a plain move.
    const QFileInfo source(from);
    if (!source.exists()) {
        qCWarning(lcOs) << Q_FUNC_INFO << __LINE__ << "no such file" << from;
        return;
    }
    const QFileInfo target(to);
    if (target.isDir()) {
        qCWarning(lcOs) << Q_FUNC_INFO << __LINE__ << "the target is a folder" << to;
        return;
    }
    if (target.exists() && source.canonicalFilePath() == target.canonicalFilePath())
        return;
    // rename(2) replaces an existing target atomically; QFile::rename would refuse it.
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return;
    const int rename_errno = errno;
    if (rename_errno != EXDEV || !source.isFile()) {
        qCWarning(lcOs) << Q_FUNC_INFO << __LINE__ << from << to << qt_error_string(rename_errno);
        return;
    }
    QString error;
    if (!CopyReplacing(from, to, &error)) {
        qCWarning(lcOs) << Q_FUNC_INFO << __LINE__ << from << to << error;
        return;
    }
    if (!QFile::remove(from))
        qCWarning(lcOs) << Q_FUNC_INFO << __LINE__ << "copied, but cannot remove" << from;
}

} // namespace FileMove
