#include "clipboard/preview_image_provider.h"

#include "item/clipboard_logging.h"
#include "item/image_store.h"
#include "item/storage_paths.h"

namespace {
const QString kLocal = QStringLiteral("local");
} // namespace

CPreviewImageProvider::CPreviewImageProvider()
    : QQuickImageProvider(QQuickImageProvider::Image,
                          QQuickImageProvider::ForceAsynchronousImageLoading)
{
}

QString CPreviewImageProvider::IdOf(const QString &host, const QString &md5)
{
    return (host.isEmpty() ? kLocal : host) + QLatin1Char('/') + md5;
}

QImage CPreviewImageProvider::requestImage(const QString &id, QSize *size,
                                           const QSize &requestedSize)
{
    const int slash = id.lastIndexOf(QLatin1Char('/'));
    const QString host = id.left(slash);
    const QString md5 = id.mid(slash + 1);
    // Only names the program gives its own pictures: the id cannot point elsewhere.
    if (slash <= 0 || !StoragePaths::IsMd5Key(md5)) {
        qCWarning(lcClipboard) << "not a stored picture:" << id;
        return QImage();
    }
    const QString path =
        host == kLocal ? StoragePaths::ImgPath(md5) : StoragePaths::RemoteImgPath(host, md5);
    const QImage image = ImageStore::ReadForView(path, requestedSize);
    if (size)
        *size = image.size();
    return image;
}
