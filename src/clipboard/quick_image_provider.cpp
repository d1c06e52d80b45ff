#include "clipboard/quick_image_provider.h"

#include "item/clipboard_logging.h"
#include "os/os_abstract.h"

#include <QCache>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

namespace {
constexpr int kIconSide = 32;
// Icons of recently shown kinds of file: 64 icons of 32x32 are 256 KiB at most.
constexpr int kCachedIcons = 64;

// An empty file with that extension in the temporary folder; creating it is idempotent, so
// concurrent requests cannot harm each other.
QString PlaceholderFor(const QString &suffix)
{
    const QString path = QStandardPaths::writableLocation(QStandardPaths::TempLocation) +
                         QStringLiteral("/tmp.") + suffix;
    if (!QFileInfo::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qCWarning(lcClipboard) << Q_FUNC_INFO << __LINE__ << path << file.errorString();
    }
    return path;
}
// Icons go by what a file is: files of one extension share theirs (the theme's icon of its
// type), so a list of many files asks the file's type and the theme once per extension.
// A file without an extension is asked for by its own path (its contents name its type).
QString IconKey(const QString &path)
{
    const QFileInfo info(path);
    const bool exists = info.exists();
    const QChar state = exists ? QLatin1Char('+') : QLatin1Char('-');
    if (exists && info.isDir())
        return state + QStringLiteral("/");
    const QString suffix = info.suffix().toLower();
    return suffix.isEmpty() ? state + path : state + QStringLiteral("*.") + suffix;
}
} // namespace

CQuickImageProvider::CQuickImageProvider() : QQuickImageProvider(QQuickImageProvider::Image) {}

QImage CQuickImageProvider::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    Q_UNUSED(size)
    // The icon loader and the pixmap cache are not safe off the interface thread.
    if (QThread::currentThread() != QCoreApplication::instance()->thread()) {
        qCWarning(lcClipboard) << Q_FUNC_INFO << __LINE__ << "asked off the interface thread" << id;
        return QImage();
    }
    const QUrl url(id, QUrl::TolerantMode);
    QImage image;
    // A file that appears or goes away later gets the icon of what it is then.
    static QCache<QString, QImage> cache(kCachedIcons);
    const QString path = url.isLocalFile() ? url.toLocalFile() : QString();
    const QString key = IconKey(path);
    if (const QImage *cached = path.isEmpty() ? nullptr : cache.object(key)) {
        image = *cached;
    } else if (!path.isEmpty()) {
        image = GetFileIconImage(path);
        if (!image.isNull())
            cache.insert(key, new QImage(image));
    } else
        qCWarning(lcClipboard) << Q_FUNC_INFO << __LINE__ << "not a local file" << id;
    if (image.isNull()) {
        qCWarning(lcClipboard) << Q_FUNC_INFO << __LINE__ << "no icon" << id << url.toLocalFile();
        return QImage();
    }
    if (requestedSize.width() > 0 && requestedSize.height() > 0)
        return image.scaled(requestedSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

QImage CQuickImageProvider::GetFileIconImage(const QString &path)
{
    QFileInfo info(path);
    if (!info.exists())
        info.setFile(PlaceholderFor(info.suffix()));

    const QIcon icon = OsInstance()->fileIcon(info);
    return icon.pixmap(kIconSide, kIconSide, QIcon::Normal, QIcon::Off).toImage();
}
