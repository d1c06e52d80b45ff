#include "clipboard/quick_image_provider.h"

#include "item/clipboard_logging.h"

#include <algorithm>

#include <QCoreApplication>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

namespace {
constexpr int kIconSide = 32;
const QString kFullIconTheme = QStringLiteral("Adwaita");

bool IconThemeInstalled(const QString &name)
{
    const QStringList dirs = QIcon::themeSearchPaths();
    return std::any_of(dirs.cbegin(), dirs.cend(), [&name](const QString &dir) {
        return QFileInfo::exists(dir + QLatin1Char('/') + name + QStringLiteral("/index.theme"));
    });
}

// A session without a desktop environment (a plain window manager, as under Xvfb) names no
// icon theme, or "hicolor", which has hardly any file-type icons: then the full theme that
// the program depends on answers what the current one lacks. A desktop's own theme stays.
void EnsureFileTypeIconTheme()
{
    const QString theme = QIcon::themeName();
    if (!theme.isEmpty() && theme != QLatin1String("hicolor") && IconThemeInstalled(theme))
        return;
    if (theme.isEmpty())
        QIcon::setThemeName(kFullIconTheme);
    else
        QIcon::setFallbackThemeName(kFullIconTheme);
}

// The icon the desktop gives the file's type: that of its MIME type, else the generic one.
QIcon MimeTypeIcon(const QFileInfo &info)
{
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(info);
    const QIcon icon = QIcon::fromTheme(mime.iconName());
    return icon.isNull() ? QIcon::fromTheme(mime.genericIconName()) : icon;
}

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
} // namespace

CQuickImageProvider::CQuickImageProvider() : QQuickImageProvider(QQuickImageProvider::Image)
{
    // Set here, on the interface thread, by the one user of file-type icons.
    EnsureFileTypeIconTheme();
}

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
    if (url.isLocalFile())
        image = GetFileIconImage(url.toLocalFile());
    else
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

    QFileIconProvider provider;
    QIcon icon;
    if (info.isDir()) {
        icon = provider.icon(QFileIconProvider::Folder);
    } else {
        // The type's icon comes first: without a desktop environment the file icon provider
        // answers every file with the generic file icon.
        icon = MimeTypeIcon(info);
        if (icon.isNull())
            icon = provider.icon(info);
        if (icon.isNull())
            icon = provider.icon(QFileIconProvider::File);
    }
    return icon.pixmap(kIconSide, kIconSide, QIcon::Normal, QIcon::Off).toImage();
}
