#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

class QImage;

// Where a captured image is written to disk: a PNG file named by the image's identity in the
// clipboard folder (StoragePaths::ImgPath), replaced whole so that no reader sees half of it.
// Beside a large picture lies a preview, a smaller copy the views read instead: decoding a
// whole screenshot for a 48 px row takes longer than a frame.
namespace ImageStore {
// The longer side of a preview; pictures no larger need none.
constexpr int kPreviewSide = 720;

// Writes the picture (`png`, the encoding of `image`) and its preview. Empty when the picture
// is written, else why not; a preview that cannot be written is only logged, the views then
// read the picture itself.
QString Write(const QString &md5, const QByteArray &png, const QImage &image);
// The preview's file beside a picture's: "<name>.preview.png".
QString PreviewPath(const QString &image_path);
// The picture at `image_path`, scaled to fit `bound` (a zero side leaves that side free; an
// empty bound keeps the picture's size). Read from the preview when it is large enough, else
// from the picture, whose missing preview is then written for the next time. Null when the
// picture cannot be read or is over the pixel limit. Safe on any thread.
QImage ReadForView(const QString &image_path, const QSize &bound);
} // namespace ImageStore
