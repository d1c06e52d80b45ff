// Image capture: the capture conversion, which encodes the PNG once and hashes those
// bytes, against the earlier way of hashing QVariant(image) and then saving the PNG.
#include "bench_table.h"
#include "benches.h"
#include "item/mime_convert.h"
#include "item/storage_paths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeData>
#include <QPainter>
#include <QRandomGenerator>

namespace {
constexpr int kRuns = 3;

// A screenshot-sized picture with gradients, shapes and grain on every pixel, so the
// encoder works as hard as on a real screenshot or photo.
QImage MakePicture()
{
    QImage img(3840, 2160, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, img.width(), img.height());
    g.setColorAt(0, QColor(10, 30, 120));
    g.setColorAt(0.5, QColor(200, 80, 60));
    g.setColorAt(1, QColor(240, 220, 40));
    p.fillRect(img.rect(), g);
    QRadialGradient r(1900, 1000, 900);
    r.setColorAt(0, QColor(255, 255, 255, 180));
    r.setColorAt(1, QColor(0, 0, 0, 0));
    p.setBrush(r);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPoint(1900, 1000), 900, 900);
    p.end();
    QRandomGenerator rng(7);
    for (int y = 0; y < img.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            line[x] ^= rng.bounded(8u) * 0x010101u;
    }
    return img;
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

bool RunImageCapture(BenchTable &table)
{
    const QImage image = MakePicture();
    QDir().mkpath(StoragePaths::ClipboardDir());
    const QString old_dir = QDir::tempPath() + "/bench-old-encode/";
    QDir().mkpath(old_dir);

    QVector<double> once_ms, twice_ms;
    QString md5_once, md5_twice;
    QElapsedTimer t;
    // Interleaved, so both ways see the same machine load.
    for (int i = 0; i < kRuns; ++i) {
        QMimeData mime;
        mime.setImageData(image);
        t.start();
        const CBData item = GetCBDataFromMime(&mime);
        once_ms.append(t.nsecsElapsed() / 1e6);
        md5_once = item.md5;

        t.start();
        md5_twice = GetVariantMd5(QVariant(image));
        image.save(old_dir + md5_twice + ".png", "PNG");
        twice_ms.append(t.nsecsElapsed() / 1e6);
    }

    const QByteArray png_once = ReadAll(StoragePaths::ImgPath(md5_once));
    const QByteArray png_twice = ReadAll(old_dir + md5_twice + ".png");
    const bool same = md5_once == md5_twice && !png_once.isEmpty() && png_once == png_twice;
    const QString size =
        QStringLiteral("3840x2160, PNG %1 MB").arg(png_once.size() / 1e6, 0, 'f', 1);
    table.addSamples(QStringLiteral("image capture, encode once"), once_ms, size);
    table.addSamples(QStringLiteral("image capture, hash + save (old)"), twice_ms, size);
    table.addNote(QStringLiteral("image capture, old / new"),
                  QStringLiteral("%1x; same md5 and PNG bytes: %2")
                      .arg(BenchTable::median(twice_ms) / BenchTable::median(once_ms), 0, 'f', 2)
                      .arg(same ? QStringLiteral("yes") : QStringLiteral("NO")));
    QDir(old_dir).removeRecursively();
    return same;
}
