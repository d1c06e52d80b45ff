// What slow or hostile clipboard owners and very large contents do to the capture: each
// change is asked about once, contents beyond the limits are left alone, the work done off
// the interface thread loses and reorders nothing, and one copy announced twice stays one
// item. Through an in-memory clipboard watcher.
#include "capture_fixture.h"
#include "clipboard/background_queue.h"
#include "clipboard/clipboard_manager.h"
#include "clipboard/qml_helper.h"
#include "file_size_limit.h"
#include "isolated_env.h"
#include "item/clipboard_offer.h"
#include "item/history_file.h"
#include "item/item_limits.h"
#include "item/mime_convert.h"
#include "item/storage_paths.h"
#include "os/clipboard_abstract.h"
#include "os/os_abstract.h"
#include "settings/settings_helper.h"
#include "test_items.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QMutex>
#include <QRandomGenerator>
#include <QSet>
#include <QThread>
#include <QtEndian>

namespace {
// Counts what the capture asks of the contents: for another program's contents each
// question is a round trip that may cost the toolkit's time-out of several seconds.
class CountingMime : public QMimeData
{
public:
    explicit CountingMime(bool offers_nothing = false) : m_offersNothing(offers_nothing) {}
    QStringList formats() const override
    {
        ++formatLists;
        return m_offersNothing ? QStringList() : QMimeData::formats();
    }
    bool hasFormat(const QString &mime_type) const override
    {
        ++formatQuestions;
        return QMimeData::hasFormat(mime_type);
    }
    mutable int formatLists = 0;
    mutable int formatQuestions = 0;
    mutable QStringList read;

protected:
    QVariant retrieveData(const QString &mime_type, QVariant::Type type) const override
    {
        read << mime_type;
        return QMimeData::retrieveData(mime_type, type);
    }

private:
    bool m_offersNothing;
};

QMimeData *HtmlMime(const QString &html, const QString &plain)
{
    auto *m = new QMimeData;
    m->setHtml(html);
    m->setText(plain);
    return m;
}

QImage NoisyImage(int w, int h, quint32 seed)
{
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(seed);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<quint32 *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = rng.generate() | 0xff000000u;
    }
    return img;
}

quint32 Crc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray PngChunk(const QByteArray &type, const QByteArray &data)
{
    QByteArray out(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), out.data());
    const QByteArray body = type + data;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(Crc32(body), crc.data());
    return out + body + crc;
}

// A small PNG whose header claims width x height: decoding it would need gigabytes.
QByteArray HugePngHeader(quint32 width, quint32 height)
{
    QByteArray ihdr(13, '\0');
    qToBigEndian<quint32>(width, ihdr.data());
    qToBigEndian<quint32>(height, ihdr.data() + 4);
    ihdr[8] = 8; // bit depth
    ihdr[9] = 2; // truecolour
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", ihdr) +
           PngChunk("IDAT", QByteArray(64, '\0')) + PngChunk("IEND", QByteArray());
}

QByteArray Png(const QImage &img)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return bytes;
}
} // namespace

class TestCaptureRobustness : public CaptureFixture
{
    Q_OBJECT
private:
    QStringList plains() { return PlainTexts(list()->items()); }

private slots:
    void initTestCase() { QVERIFY(installClipboard()); }
    void init()
    {
        list()->clearRows();
        mgr()->pinModel()->clearRows();
    }

    // --- one question per change ---
    void theFormatListIsAskedForOnce_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("reads");
        QTest::newRow("text") << "text" << QStringList{"text/plain;charset=utf-8", "text/plain"};
        QTest::newRow("html") << "html"
                              << QStringList{"text/html", "text/plain;charset=utf-8", "text/plain"};
        QTest::newRow("files") << "files" << QStringList{"text/uri-list"};
        QTest::newRow("image") << "image" << QStringList{"application/x-qt-image"};
        QTest::newRow("unknown") << "unknown" << QStringList();
    }
    void theFormatListIsAskedForOnce()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, reads);
        auto *m = new CountingMime;
        if (kind == "text") {
            m->setText("asked once");
        } else if (kind == "html") {
            m->setHtml("<i>asked once</i>");
            m->setText("asked once");
        } else if (kind == "files") {
            m->setUrls({QUrl::fromLocalFile("/tmp/asked once")});
        } else if (kind == "image") {
            m->setImageData(NoisyImage(8, 8, 1));
        } else {
            m->setData("application/x-private", "?");
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Unknown"));
        }
        copy(m);
        QCOMPARE(m->formatLists, 1);
        QCOMPARE(m->formatQuestions, 0);
        QCOMPARE(m->read, reads);
        QCOMPARE(list()->rowCount(), kind == "unknown" ? 0 : 1);
    }

    // An owner that never answers leaves the list empty: nothing more is asked.
    void nothingMoreIsAskedOfAnEmptyList()
    {
        auto *m = new CountingMime(true);
        m->setText("never seen");
        copy(m);
        QCOMPARE(m->formatLists, 1);
        QCOMPARE(m->formatQuestions, 0);
        QVERIFY(m->read.isEmpty());
        QCOMPARE(list()->rowCount(), 0);
    }

    // The restore reads what the clipboard holds; the watcher's first look at the same
    // clipboard does not read it again.
    void aClipboardStateIsReadOnce()
    {
        auto *m = new CountingMime;
        m->setText("read once");
        copy(m);
        QCOMPARE(m->formatLists, 1);
        mgr()->restoreFromFile();
        QCOMPARE(m->formatLists, 2);                 // the restore always looks
        emit m_clip->changed(QClipboard::Clipboard); // the watcher's look, nothing new
        mgr()->finishPendingWork();
        QCOMPARE(m->formatLists, 2);
        QCOMPARE(plains(), QStringList{"read once"});
    }

    // --- limits ---
    void tooLongTextIsNotKept()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("text of 16777217 characters"));
        auto *m = new QMimeData;
        m->setText(QString(ItemLimits::kMaxTextLength + 1, QChar('x')));
        copy(m);
        QCOMPARE(list()->rowCount(), 0);
        auto *html = new QMimeData;
        html->setHtml("<p>" + QString(ItemLimits::kMaxTextLength, QChar('y')) + "</p>");
        html->setText("short");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("not kept; the limit is"));
        copy(html);
        QCOMPARE(list()->rowCount(), 0);
        copy(HtmlMime("<b>a long but fine text</b>", QString(1 << 20, QChar('z'))));
        QCOMPARE(list()->rowCount(), 1);
    }

    // Another program's image arrives encoded: its header is read before anything is
    // decoded, and a small file that unpacks into gigabytes is not decoded at all.
    void imagesBeyondThePixelLimitAreNotDecoded()
    {
        ClipboardOffer huge;
        huge.kind = ClipboardOffer::Image;
        huge.encoded = HugePngHeader(20000, 20000);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("QSize\\(20000, 20000\\).*not kept"));
        const CBData refused = ItemFromOffer(huge);
        QVERIFY(refused.plain.isEmpty());

        // Within the limit, the item is exactly what the toolkit's own reading would give.
        const QImage img = NoisyImage(64, 48, 7);
        ClipboardOffer fine;
        fine.kind = ClipboardOffer::Image;
        fine.encoded = Png(img);
        const CBData d = ItemFromOffer(fine);
        QCOMPARE(d.type, int(CQmlTypes::Image));
        QCOMPARE(d.md5, GetVariantMd5(QVariant(QImage::fromData(fine.encoded))));
        QVERIFY(QFile::exists(StoragePaths::ImgPath(d.md5)));
    }

    // A PNG that cannot be written completely must not stand in for the item's image: the
    // item is not kept, nothing half-written stays, and the user hears of it once.
    void anImageThatCannotBeStoredIsNotKept()
    {
        QSignalSpy told(CQmlHelper::instance(), &CQmlHelper::sigShowTextViaTray);
        const QStringList before = QDir(StoragePaths::ClipboardDir()).entryList(QDir::Files);
        {
            FileSizeLimit full{0};
            QVERIFY(full.isSet());
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not be stored"));
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not be stored"));
            for (quint32 seed : {11u, 12u}) {
                auto *m = new QMimeData;
                m->setImageData(NoisyImage(200, 100, seed));
                copy(m);
            }
        }
        QCOMPARE(list()->rowCount(), 0);
        QCOMPARE(QDir(StoragePaths::ClipboardDir()).entryList(QDir::Files), before);
        QCOMPARE(told.count(), 1);
        QVERIFY(told.at(0).at(0).toString().contains("could not save"));
    }

    // --- work off the interface thread ---
    void backgroundWorkRunsInOrderOffThisThread()
    {
        CBackgroundQueue queue;
        QList<int> done;
        QSet<QThread *> workers;
        QMutex lock;
        for (int i = 0; i < 20; ++i) {
            queue.run(
                [i, &workers, &lock] {
                    QMutexLocker hold(&lock);
                    workers.insert(QThread::currentThread());
                    return i;
                },
                [&done](int n) {
                    QCOMPARE(QThread::currentThread(), qApp->thread());
                    done << n;
                });
        }
        QCOMPARE(queue.pending(), 20);
        queue.finish();
        QCOMPARE(queue.pending(), 0);
        QCOMPARE(done.size(), 20);
        for (int i = 0; i < 20; ++i)
            QCOMPARE(done.at(i), i);
        QCOMPARE(workers.size(), 1);
        QVERIFY(!workers.contains(QThread::currentThread()));
    }

    // Images take long to encode and texts no time: the list still ends up in the order of
    // the copies.
    void capturesKeepTheOrderOfTheCopies()
    {
        for (int i = 0; i < 2; ++i) {
            auto *img = new QMimeData;
            img->setImageData(NoisyImage(900, 600, quint32(20 + i)));
            put(img); // read, but not built yet
            auto *text = new QMimeData;
            text->setText(QString("text after image %1").arg(i));
            put(text);
        }
        mgr()->finishPendingWork();
        QCOMPARE(plains(),
                 (QStringList{"text after image 1", "Image", "text after image 0", "Image"}));
    }

    // Quitting while an image is still being encoded loses nothing.
    void aCaptureStillBeingEncodedIsSavedAtQuit()
    {
        auto *img = new QMimeData;
        img->setImageData(NoisyImage(1200, 900, 31));
        put(img); // the encoding has just begun
        QCOMPARE(list()->rowCount(), 0);
        mgr()->save2File();
        QFile f(StoragePaths::ClipboardHistoryFile());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const HistoryFile::ReadResult res = HistoryFile::Read(f);
        QCOMPARE(res.rows.size(), 1);
        QCOMPARE(res.rows.at(0).type, int(CQmlTypes::Image));
        QVERIFY(QFile::exists(StoragePaths::ImgPath(res.rows.at(0).md5)));
    }

    // --- one copy, one item ---
    // Office suites set the clipboard twice for one copy and answer the second time with
    // slightly different HTML.
    void oneCopyAnnouncedTwiceIsOneItem()
    {
        copy(HtmlMime("<table><tr><td>1</td><td>2</td></tr></table>", "1\t2"));
        copy(HtmlMime("<style>td{}</style><table><tr><td>1</td><td>2</td></tr></table>", "1\t2"));
        QCOMPARE(list()->rowCount(), 1);
        QCOMPARE(list()->getVal(0).toString(),
                 QString("<style>td{}</style><table><tr><td>1</td><td>2</td></tr></table>"));
        QCOMPARE(list()->getMd5(0), GetVariantMd5(list()->getVal(0)));
        // Another text right after is another copy.
        copy(HtmlMime("<table><tr><td>3</td></tr></table>", "3"));
        QCOMPARE(list()->rowCount(), 2);
    }

    void theSameTextLaterIsANewCopy()
    {
        copy(HtmlMime("<p>again</p>", "again"));
        QTest::qWait(1100);
        copy(HtmlMime("<p style='x'>again</p>", "again"));
        QCOMPARE(list()->rowCount(), 2);
    }

    void aPinnedTopItemKeepsItsIdentity()
    {
        copy(HtmlMime("<p>pinned</p>", "pinned"));
        mgr()->pinItem(0);
        copy(HtmlMime("<p><b>pinned</b></p>", "pinned"));
        QCOMPARE(list()->rowCount(), 2);
        QVERIFY(list()->isPinned(1));
    }

    // A copy made while the program was not running is read by the restore; if the stored
    // top item came from the same copy, it is that item.
    void theRestoreTakesTheSameCopyAsTheStoredTop()
    {
        CCilpboardListModel stored;
        stored.setLocal(false);
        stored.prependItem(GetCBDataFromMime(
            QScopedPointer<QMimeData>(HtmlMime("<p>v1</p>", "office text")).data()));
        QVERIFY(stored.Save2FileHelper(StoragePaths::ClipboardHistoryFile()));
        put(HtmlMime("<p>v2</p>", "office text"));
        mgr()->finishPendingWork();
        QTest::qWait(1100); // long before the start
        mgr()->restoreFromFile();
        mgr()->finishPendingWork();
        QCOMPARE(list()->rowCount(), 1);
        QCOMPARE(list()->getVal(0).toString(), QString("<p>v2</p>"));
    }
};

TOLVANE_TEST_MAIN(TestCaptureRobustness)
#include "tst_capture_robustness.moc"
