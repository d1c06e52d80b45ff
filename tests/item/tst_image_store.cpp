#include "clipboard/preview_image_provider.h"
#include "isolated_env.h"
#include "item/image_store.h"
#include "item/mime_convert.h"
#include "item/storage_paths.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QMimeData>

namespace {
QImage Filled(const QSize &size, const QColor &colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}
QColor Centre(const QImage &image)
{
    return image.pixelColor(image.width() / 2, image.height() / 2);
}
} // namespace

// A captured picture is stored whole, with a preview beside it when it is large; the views
// read the preview when it is large enough for what they show.
class TestImageStore : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QDir().mkpath(StoragePaths::ClipboardDir()); }

    void aLargeCaptureGetsAPreviewASmallOneNone_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("preview");
        QTest::newRow("screenshot") << QSize(1920, 1080) << QSize(720, 405);
        QTest::newRow("tall") << QSize(300, 2000) << QSize(108, 720);
        QTest::newRow("small") << QSize(640, 480) << QSize();
    }
    void aLargeCaptureGetsAPreviewASmallOneNone()
    {
        QFETCH(QSize, size);
        QFETCH(QSize, preview);
        QMimeData offer;
        offer.setImageData(Filled(size, Qt::darkCyan));
        const CBData item = GetCBDataFromMime(&offer);
        const QString path = StoragePaths::ImgPath(item.md5);
        QCOMPARE(QImageReader(path).size(), size);
        QCOMPARE(QImageReader(ImageStore::PreviewPath(path)).size(), preview);
    }

    // What a row (a height only) or the details (a square) ask for comes from the preview
    // while it is large enough, else from the picture; either way at the fitted size.
    void theViewsReadThePreviewWhileItIsLargeEnough_data()
    {
        QTest::addColumn<QSize>("bound");
        QTest::addColumn<QSize>("shown");
        QTest::addColumn<bool>("from_preview");
        QTest::newRow("row") << QSize(0, 48) << QSize(85, 48) << true;
        QTest::newRow("details") << QSize(450, 450) << QSize(450, 253) << true;
        QTest::newRow("large details") << QSize(1000, 1000) << QSize(1000, 562) << false;
        QTest::newRow("whole") << QSize() << QSize(1920, 1080) << false;
    }
    void theViewsReadThePreviewWhileItIsLargeEnough()
    {
        QFETCH(QSize, bound);
        QFETCH(QSize, shown);
        QFETCH(bool, from_preview);
        const QString path = QDir::temp().filePath("views.png");
        QVERIFY(Filled(QSize(1920, 1080), Qt::red).save(path));
        // A preview of another colour tells which file was read.
        QVERIFY(Filled(QSize(720, 405), Qt::blue).save(ImageStore::PreviewPath(path)));
        const QImage read = ImageStore::ReadForView(path, bound);
        QCOMPARE(read.size(), shown);
        QCOMPARE(Centre(read), QColor(from_preview ? Qt::blue : Qt::red));
    }

    // A history from before previews, or a linked host's picture, gets its preview when it
    // is first shown.
    void aMissingPreviewIsWrittenOnFirstRead()
    {
        const QString path = QDir::temp().filePath("old.png");
        QVERIFY(Filled(QSize(2000, 1000), Qt::green).save(path));
        QFile::remove(ImageStore::PreviewPath(path));
        QCOMPARE(ImageStore::ReadForView(path, QSize(0, 48)).size(), QSize(96, 48));
        QCOMPARE(QImageReader(ImageStore::PreviewPath(path)).size(), QSize(720, 360));
    }

    // The provider reads only the program's own pictures by their names.
    void theProviderReadsOnlyStoredPictures_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("read");
        const QString md5(32, QChar('a'));
        QTest::newRow("local") << CPreviewImageProvider::IdOf(QString(), md5) << true;
        QTest::newRow("not a name") << QString("local/../../history") << false;
        QTest::newRow("no host") << QString("/") + md5 << false;
        QTest::newRow("host climbing out") << QString("../..//") + md5 << false;
        QTest::newRow("unknown") << CPreviewImageProvider::IdOf(QString(), QString(32, 'b'))
                                 << false;
    }
    void theProviderReadsOnlyStoredPictures()
    {
        QFETCH(QString, id);
        QFETCH(bool, read);
        QVERIFY(Filled(QSize(800, 600), Qt::yellow).save(StoragePaths::ImgPath(QString(32, 'a'))));
        CPreviewImageProvider provider;
        QSize size;
        const QImage image = provider.requestImage(id, &size, QSize(0, 48));
        QCOMPARE(!image.isNull(), read);
        if (read)
            QCOMPARE(size, QSize(64, 48));
    }
};

TOLVANE_TEST_MAIN(TestImageStore)
#include "tst_image_store.moc"
