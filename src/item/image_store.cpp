#include "item/image_store.h"

#include "item/clipboard_logging.h"
#include "item/file_replace.h"
#include "item/item_limits.h"
#include "item/storage_paths.h"

#include <QFileInfo>
#include <QIODevice>
#include <QImage>
#include <QImageReader>

namespace ImageStore {
namespace {
// The size a picture of `size` is shown at within `bound`, never enlarged.
QSize FittedSize(const QSize &size, const QSize &bound)
{
    if (bound.width() <= 0 && bound.height() <= 0)
        return size;
    QSize fit = size;
    if (bound.width() > 0 && bound.height() > 0)
        fit.scale(bound, Qt::KeepAspectRatio);
    else if (bound.width() > 0)
        fit = QSize(bound.width(),
                    qMax(1, int(qint64(size.height()) * bound.width() / size.width())));
    else
        fit = QSize(qMax(1, int(qint64(size.width()) * bound.height() / size.height())),
                    bound.height());
    return fit.width() < size.width() ? fit : size;
}

QImage Scaled(const QImage &image, const QSize &to)
{
    return to == image.size() ? image
                              : image.scaled(to, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void WritePreview(const QString &image_path, const QImage &image)
{
    const QSize side(kPreviewSide, kPreviewSide);
    const QSize size = FittedSize(image.size(), side);
    if (size == image.size())
        return;
    const QImage preview = Scaled(image, size);
    const QString error = FileReplace::Write(
        PreviewPath(image_path), [&preview](QIODevice &d) { return preview.save(&d, "PNG"); });
    if (!error.isEmpty())
        qCWarning(lcClipboard) << "no preview for" << image_path << error;
}

} // namespace

QString Write(const QString &md5, const QByteArray &png, const QImage &image)
{
    const QString path = StoragePaths::ImgPath(md5);
    const QString error =
        FileReplace::Write(path, [&png](QIODevice &d) { return d.write(png) == png.size(); });
    if (error.isEmpty())
        WritePreview(path, image);
    return error;
}

QString PreviewPath(const QString &image_path)
{
    QString path = image_path;
    if (path.endsWith(QLatin1String(".png")))
        path.chop(4);
    return path + QStringLiteral(".preview.png");
}

QImage ReadForView(const QString &image_path, const QSize &bound)
{
    QImageReader picture(image_path);
    const QSize size = picture.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > ItemLimits::kMaxImagePixels)
        return QImage();
    const QSize shown = FittedSize(size, bound);
    QImageReader preview(PreviewPath(image_path));
    const QSize preview_size = preview.size();
    if (preview_size.isValid() && preview_size.width() >= shown.width() &&
        preview_size.height() >= shown.height()) {
        const QImage image = preview.read();
        if (!image.isNull())
            return Scaled(image, shown);
    }
    const QImage image = picture.read();
    if (image.isNull())
        return image;
    if (!preview_size.isValid())
        WritePreview(image_path, image);
    return Scaled(image, shown);
}

} // namespace ImageStore
