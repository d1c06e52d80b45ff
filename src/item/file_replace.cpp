#include "item/file_replace.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace FileReplace {

QString Write(const QString &path, const std::function<bool(QIODevice &)> &fill)
{
    // The save file would follow the link and replace the file it points to.
    if (QFileInfo(path).isSymLink() && !QFile::remove(path))
        return QCoreApplication::translate("Global", "cannot remove the link %1").arg(path);
    QSaveFile file(path);
    // No direct-write fallback: writing in place would cut the old file short on a full disk.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return file.errorString();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // The device buffers: only a flush shows whether the last bytes reached the disk.
    const bool written = fill(file) && file.flush() && file.error() == QFileDevice::NoError;
    if (!written) {
        const QString why = file.error() != QFileDevice::NoError
                                ? file.errorString()
                                : QCoreApplication::translate("Global", "incomplete write");
        file.cancelWriting();
        return why;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

} // namespace FileReplace
