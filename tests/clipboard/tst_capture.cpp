// Capture of clipboard contents into item records and into the Clipboard list, through an
// in-memory clipboard watcher: no waiting for the system clipboard.
#include "capture_fixture.h"
#include "clipboard/clipboard_manager.h"
#include "clipboard/qml_helper.h"
#include "clipboard/write_back.h"
#include "isolated_env.h"
#include "item/mime_convert.h"
#include "item/storage_paths.h"
#include "os/clipboard_abstract.h"
#include "os/os_abstract.h"
#include "settings/settings_helper.h"
#include "test_items.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QPainter>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <functional>

namespace {
QImage SampleImage()
{
    QImage img(40, 30, QImage::Format_ARGB32);
    QPainter p(&img);
    p.fillRect(img.rect(), QColor("#3366cc"));
    p.setPen(Qt::yellow);
    p.drawLine(0, 0, 39, 29);
    return img;
}

QMimeData *TextMime(const QString &text)
{
    auto *m = new QMimeData;
    m->setText(text);
    return m;
}
} // namespace

class TestCapture : public CaptureFixture
{
    Q_OBJECT
private:
    CClipboardAbstract *watcher() { return m_clip; }
    // Contents that another application copies, handled as the watcher reports them.
    void copySettled(QMimeData *mime)
    {
        settle(list(), [this, mime] {
            m_clip->copyFromOutside(mime);
            QVERIFY(m_clip->deliver());
        });
    }
    // The program's own write through the watcher, handled as the watcher reports it.
    void delivered()
    {
        settle(list(), [this] { QVERIFY(m_clip->deliver()); });
    }

private slots:
    void initTestCase()
    {
        QVERIFY(installClipboard()); // nothing stored yet; saving is enabled
        QVERIFY(QDir(StoragePaths::ClipboardDir()).exists());
        QVERIFY(QDir(StoragePaths::PinDir()).exists());
    }
    void init()
    {
        CSettingsHelper::instance()->setIni("stack_max_item_count", 50);
        settle(list(), [this] { list()->clearRows(); });
    }

    void theWatcherCanOnlyBeReplacedBeforeUse()
    {
        QCOMPARE(OsInstance()->ClipboardWatcher(), m_clip);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("already in place"));
        QVERIFY(!FakeClipboardWatcher::install());
        QCOMPARE(OsInstance()->ClipboardWatcher(), m_clip);
    }

    // --- the conversion, branch by branch ---
    void plainTextIsText()
    {
        QScopedPointer<QMimeData> m(TextMime("hello"));
        const CBData d = GetCBDataFromMime(m.data());
        QCOMPARE(d.type, int(CQmlTypes::Text));
        QCOMPARE(d.plain, QString("hello"));
        QCOMPARE(d.val, QVariant("hello"));
        QCOMPARE(d.md5, GetVariantMd5(QVariant(QString("hello"))));
        QVERIFY(StoragePaths::IsMd5Key(d.md5));
    }

    void htmlKeepsSourceAndPlainText()
    {
        QScopedPointer<QMimeData> m(new QMimeData);
        m->setHtml("<b>bold</b> move");
        m->setText("bold move");
        const CBData d = GetCBDataFromMime(m.data());
        QCOMPARE(d.type, int(CQmlTypes::Html));
        QCOMPARE(d.val.toString(), QString("<b>bold</b> move"));
        QCOMPARE(d.plain, QString("bold move"));
        // The identity covers the value only: HTML equal to a text is the same item.
        QScopedPointer<QMimeData> t(TextMime("<b>bold</b> move"));
        QCOMPARE(GetCBDataFromMime(t.data()).md5, d.md5);
    }

    void imageIsStoredOnceAsPngNamedByItsIdentity()
    {
        const QImage img = SampleImage();
        QScopedPointer<QMimeData> m(new QMimeData);
        m->setImageData(img);
        const CBData d = GetCBDataFromMime(m.data());
        QCOMPARE(d.type, int(CQmlTypes::Image));
        QCOMPARE(d.plain, QString("Image"));
        QCOMPARE(d.val.toString(), d.md5);
        // The single encode must keep the identity of the variant's stream form.
        QCOMPARE(d.md5, GetVariantMd5(QVariant(img)));
        const QImage stored(StoragePaths::ImgPath(d.md5));
        QVERIFY(!stored.isNull());
        QCOMPARE(stored.convertToFormat(QImage::Format_ARGB32), img);
        QFile f(StoragePaths::ImgPath(d.md5));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.read(8), QByteArray("\x89PNG\r\n\x1a\n"));
    }

    void nullImageHashesLikeTheToolkit()
    {
        QCOMPARE(EncodeImage(QImage()).md5, GetVariantMd5(QVariant(QImage())));
        QVERIFY(EncodeImage(QImage()).png.isEmpty());
    }

    void localUrlsBecomeAFileList()
    {
        const QList<QUrl> urls{QUrl::fromLocalFile("/tmp/a b.txt"),
                               QUrl::fromLocalFile("/tmp/c.png")};
        QScopedPointer<QMimeData> m(new QMimeData);
        m->setUrls(urls);
        const CBData d = GetCBDataFromMime(m.data());
        QCOMPARE(d.type, int(CQmlTypes::Urls));
        QCOMPARE(d.plain, QString("/tmp/a b.txt, /tmp/c.png"));
        QCOMPARE(d.val.value<QList<QUrl>>(), urls);
        QCOMPARE(d.md5, GetVariantMd5(QVariant::fromValue(urls)));
    }

    void aWebUrlAmongTheUrlsMakesText()
    {
        QScopedPointer<QMimeData> m(new QMimeData);
        m->setUrls({QUrl::fromLocalFile("/tmp/a"), QUrl("https://example.org/x")});
        m->setText("two things");
        const CBData d = GetCBDataFromMime(m.data());
        QCOMPARE(d.type, int(CQmlTypes::Text));
        QCOMPARE(d.plain, QString("two things"));
        QCOMPARE(d.val, QVariant("two things"));
    }

    void colourTextInItsThreeForms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("color");
        QTest::newRow("short hex") << "#abc" << QColor("#aabbcc");
        QTest::newRow("long hex") << "  #A0b1C2 " << QColor("#a0b1c2");
        QTest::newRow("rgb") << "rgb( 1, 2 ,255)" << QColor(1, 2, 255);
        QTest::newRow("rgba") << "rgba(10,20,30,0.5)" << QColor(10, 20, 30, 128);
        QTest::newRow("rgba opaque") << "rgba(10,20,30,1)" << QColor(10, 20, 30, 255);
    }
    void colourTextInItsThreeForms()
    {
        QFETCH(QString, text);
        QFETCH(QColor, color);
        QScopedPointer<QMimeData> m(TextMime(text));
        const CBData d = GetCBDataFromMime(m.data());
        QCOMPARE(d.type, int(CQmlTypes::Color));
        QCOMPARE(d.val.value<QColor>().rgba(), color.rgba());
        QCOMPARE(d.plain, text); // the text as copied
        // A colour and the same characters as text are different items.
        QVERIFY(d.md5 != GetVariantMd5(QVariant(text)));
    }

    void notQuiteColoursStayText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("component too big") << "rgb(300,0,0)";
        QTest::newRow("four hex digits") << "#abcd";
        QTest::newRow("alpha not a fraction") << "rgba(1,2,3,0x5)";
        QTest::newRow("words around") << "colour #abc please";
    }
    void notQuiteColoursStayText()
    {
        QFETCH(QString, text);
        QScopedPointer<QMimeData> m(TextMime(text));
        QCOMPARE(GetCBDataFromMime(m.data()).type, int(CQmlTypes::Text));
    }

    void colourDataIsAColour()
    {
        QScopedPointer<QMimeData> m(new QMimeData);
        m->setColorData(QColor("#123456"));
        m->setText("navy-ish");
        const CBData d = GetCBDataFromMime(m.data());
        QCOMPARE(d.type, int(CQmlTypes::Color));
        QCOMPARE(d.plain, QString("navy-ish"));
    }

    void pathOfAnExistingFileBecomesAFileList()
    {
        const QString path = QDir::tempPath() + "/report.txt";
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        const QString copied = "  " + path + "\n";
        QScopedPointer<QMimeData> m(TextMime(copied));
        const CBData d = GetCBDataFromMime(m.data());
        QCOMPARE(d.type, int(CQmlTypes::Urls));
        QCOMPARE(d.val.value<QList<QUrl>>(), QList<QUrl>{QUrl::fromLocalFile(path)});
        QCOMPARE(d.plain, copied); // untrimmed

        QScopedPointer<QMimeData> gone(TextMime(path + ".missing"));
        QCOMPARE(GetCBDataFromMime(gone.data()).type, int(CQmlTypes::Text));
    }

    // Only what names a place by itself is a path: a bare word must not become a file item
    // because the program happens to run in a folder that holds such a file.
    void bareWordsAreTextEvenWhenTheWorkingFolderHasThem()
    {
        QTemporaryDir home;
        QVERIFY(QDir(home.path()).mkdir("Documents"));
        QFile notes(home.filePath("notes.txt"));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.close();
        const QString was = QDir::currentPath();
        QVERIFY(QDir::setCurrent(home.path()));
        auto back = qScopeGuard([&] { QDir::setCurrent(was); });
        for (const QString &word : {"Documents", "notes.txt", "./notes.txt", "Documents/"}) {
            QScopedPointer<QMimeData> m(TextMime(word));
            QCOMPARE(GetCBDataFromMime(m.data()).type, int(CQmlTypes::Text));
        }
        // A file URL names its place as well as an absolute path does.
        const QUrl url = QUrl::fromLocalFile(home.filePath("notes.txt"));
        QScopedPointer<QMimeData> m(TextMime(url.toString()));
        const CBData d = GetCBDataFromMime(m.data());
        QCOMPARE(d.type, int(CQmlTypes::Urls));
        QCOMPARE(d.val.value<QList<QUrl>>(), QList<QUrl>{url});
    }

    // MIME text rules put CRLF into "text/plain", and GTK programs serve it so; what the user
    // wrote had LF, and the same text copied from two programs is one item.
    void lineEndsAreTheUsersOwn()
    {
        QScopedPointer<QMimeData> crlf(new QMimeData);
        crlf->setData("text/plain;charset=utf-8", "first line\r\nsecond line\r\n");
        const CBData d = GetCBDataFromMime(crlf.data());
        QCOMPARE(d.plain, QString("first line\nsecond line\n"));
        QScopedPointer<QMimeData> lf(TextMime("first line\nsecond line\n"));
        QCOMPARE(d.md5, GetCBDataFromMime(lf.data()).md5);

        const QString path = QDir::tempPath() + "/copied path.txt";
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QScopedPointer<QMimeData> with_end(new QMimeData);
        with_end->setData("text/plain", (path + "\r\n").toUtf8());
        const CBData p = GetCBDataFromMime(with_end.data());
        QCOMPARE(p.type, int(CQmlTypes::Urls));
        QVERIFY(!p.plain.toString().contains('\r'));
        QCOMPARE(p.val.value<QList<QUrl>>(), QList<QUrl>{QUrl::fromLocalFile(path)});
    }

    // Some programs offer HTML without a plain form; the plain text a paste would give is
    // derived from it.
    void htmlWithoutPlainTextGetsItsText()
    {
        QScopedPointer<QMimeData> m(new QMimeData);
        m->setHtml("<p>Tea <b>and</b> biscuits</p>");
        const CBData d = GetCBDataFromMime(m.data());
        QCOMPARE(d.type, int(CQmlTypes::Html));
        QCOMPARE(d.plain, QString("Tea and biscuits"));
        QCOMPARE(d.val.toString(), QString("<p>Tea <b>and</b> biscuits</p>"));
    }

    void pathsFrom260CharactersOnAreNotLookedUp()
    {
        // Build existing paths of exactly 259 and 260 characters.
        QString dir = QDir::tempPath() + "/deep";
        while (dir.size() < 230)
            dir += "/dddddddddd";
        QVERIFY(QDir().mkpath(dir));
        for (int len : {259, 260}) {
            const QString path = dir + "/" + QString(len - dir.size() - 1, QChar('f'));
            QCOMPARE(path.size(), len);
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.close();
            QScopedPointer<QMimeData> m(TextMime(path));
            QCOMPARE(GetCBDataFromMime(m.data()).type,
                     len < 260 ? int(CQmlTypes::Urls) : int(CQmlTypes::Text));
        }
    }

    void unknownFormatsAreNotCaptured()
    {
        QScopedPointer<QMimeData> m(new QMimeData);
        m->setData("application/x-foo", "bar");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Unknown.*application/x-foo"));
        const CBData d = GetCBDataFromMime(m.data());
        QCOMPARE(d.type, int(CQmlTypes::Unknown));
        QVERIFY(d.plain.isEmpty());
        copySettled(m.take());
        QCOMPARE(list()->rowCount(), 0);
    }

    // --- the Clipboard list follows the clipboard ---
    void newContentsBecomeRowZeroAndDuplicatesMoveUp()
    {
        copySettled(TextMime("alpha"));
        copySettled(TextMime("beta"));
        QCOMPARE(list()->rowCount(), 2);
        QCOMPARE(list()->getPlain(0), QString("beta"));
        list()->updateSelection(list()->getMd5(1), "1_3_3");

        copySettled(TextMime("alpha"));
        QCOMPARE(list()->rowCount(), 2);
        QCOMPARE(list()->getPlain(0), QString("alpha"));
        QCOMPARE(list()->getSelection(0), QString("1_3_3")); // the stored record is kept

        copySettled(TextMime("alpha")); // already on top: nothing moves, nothing added
        QCOMPARE(list()->rowCount(), 2);
    }

    void ownWriteBacksAreNotCapturedAgain()
    {
        copySettled(TextMime("one"));
        CBData other;
        other.type = CQmlTypes::Text;
        other.plain = QStringLiteral("written back");
        other.val = other.plain.toString();
        other.md5 = GetVariantMd5(other.val);
        WriteBack::Item(other, false);
        delivered();
        QCOMPARE(list()->rowCount(), 1);
        QCOMPARE(list()->getPlain(0), QString("one"));
        // The marker is consumed; the same object must not filter a later notification.
        const QMimeData *now = m_clip->mimeData();
        QVERIFY(now->property("_internal_filter_").toString().isEmpty());
        QCOMPARE(now->text(), QString("written back"));
    }

    void rollToTopAsksTheMainViewOnlyWhenTheItemIsOnTop()
    {
        QSignalSpy spy(CQmlHelper::instance(), &CQmlHelper::sigGotoFirstIndex4Main);
        watcher()->setText("fresh", true);
        delivered();
        QCOMPARE(list()->getPlain(0), QString("fresh"));
        QCOMPARE(spy.count(), 1);

        copySettled(TextMime("newer"));
        watcher()->setText("fresh", true); // a duplicate below row 0 only moves
        delivered();
        QCOMPARE(list()->getPlain(0), QString("fresh"));
        QCOMPARE(spy.count(), 1);

        watcher()->setText("fresh", true); // already row 0
        delivered();
        QCOMPARE(spy.count(), 2);
    }

    void filteredRollToTopStillSelectsTheTop()
    {
        copySettled(TextMime("x"));
        QSignalSpy spy(CQmlHelper::instance(), &CQmlHelper::sigGotoFirstIndex4Main);
        WriteBack::Item(list()->item(0), true);
        delivered();
        QCOMPARE(spy.count(), 1);
        QCOMPARE(list()->rowCount(), 1);
    }

    void secretsAreNeverKept()
    {
        auto *m = TextMime("hunter2");
        m->setData("x-kde-passwordManagerHint", "secret");
        copySettled(m);
        QCOMPARE(list()->rowCount(), 0);
        // The hint with another value is an ordinary copy.
        auto *n = TextMime("not secret");
        n->setData("x-kde-passwordManagerHint", "other");
        copySettled(n);
        QCOMPARE(list()->rowCount(), 1);
    }

    void contentsWithoutTextAreIgnored()
    {
        auto *m = new QMimeData;
        m->setHtml("<img src='x.png'>");
        copySettled(m);
        QCOMPARE(list()->rowCount(), 0);
    }

    void growingListKeepsExactlyTheLimit()
    {
        CSettingsHelper::instance()->setIni("stack_max_item_count", 5);
        for (int i = 0; i < 10; ++i)
            copySettled(TextMime(QString("item %1").arg(i)));
        QCOMPARE(list()->rowCount(), 5);
        QCOMPARE(list()->getPlain(0), QString("item 9"));
        QCOMPARE(list()->getPlain(4), QString("item 5"));

        CSettingsHelper::instance()->setIni("stack_max_item_count", 50);
        for (int i = 0; i < 3; ++i)
            copySettled(TextMime(QString("more %1").arg(i)));
        list()->UpdateMaxItemCount(5); // the settings window's limit leaves exactly N rows
        QCOMPARE(list()->rowCount(), 5);
        QCOMPARE(list()->getPlain(4), QString("item 8"));
    }

    // A view attached to the list hears every insertion before the trimming that follows
    // it, captures and restores alike.
    void trimmingReachesViewsAfterTheInsertion()
    {
        QAbstractItemModelTester tester(list(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        CSettingsHelper::instance()->setIni("stack_max_item_count", 4);
        for (int i = 0; i < 6; ++i)
            copySettled(TextMime(QString("viewed %1").arg(i)));
        QCOMPARE(list()->rowCount(), 4);

        CCilpboardListModel stored;
        for (int i = 0; i < 6; ++i)
            stored.prependItem(TextItem(QString("stored %1").arg(i)));
        stored.Save2FileHelper(StoragePaths::ClipboardHistoryFile());
        copySettled(TextMime("stored 5")); // on top of the restored list: nothing added
        mgr()->restoreFromFile();
        mgr()->finishPendingWork();
        // A longer history is read up to the limit and kept at it, as after any capture.
        QCOMPARE(list()->rowCount(), 4);
        QCOMPARE(list()->getPlain(0), QString("stored 5"));
    }

    void restoreCapturesTheCurrentClipboardOnce()
    {
        copySettled(TextMime("on the clipboard now")); // with any batched save of the list
        CCilpboardListModel stored;
        stored.prependItem(GetCBDataFromMime(QScopedPointer<QMimeData>(TextMime("kept")).data()));
        stored.Save2FileHelper(StoragePaths::ClipboardHistoryFile());
        list()->clearRows();
        mgr()->restoreFromFile();
        mgr()->finishPendingWork();
        QCOMPARE(list()->rowCount(), 2);
        QCOMPARE(list()->getPlain(0), QString("on the clipboard now"));
        mgr()->restoreFromFile(); // on top already: not added twice
        mgr()->finishPendingWork();
        QCOMPARE(list()->rowCount(), 2);
    }

    // --- automatic saving in batches ---
    void theClipboardListSavesEveryFifteenthBurst()
    {
        // Only the batches count here, not the save that follows a quiet moment.
        const int idle_ms = mgr()->autosaveOf(list()).idleSaveDelay();
        mgr()->autosaveOf(list()).setIdleSaveDelay(3600 * 1000);
        auto restore_delay =
            qScopeGuard([&] { mgr()->autosaveOf(list()).setIdleSaveDelay(idle_ms); });
        QFile::remove(StoragePaths::ClipboardHistoryFile());
        int saved_after = -1;
        for (int i = 1; i <= 30 && saved_after < 0; ++i) {
            copySettled(TextMime(QString("burst %1").arg(i)));
            if (QFile::exists(StoragePaths::ClipboardHistoryFile()))
                saved_after = i;
        }
        // The counter may have been part-way when this test began; within 15 it saves.
        QVERIFY(saved_after >= 1 && saved_after <= 15);
        QFile::remove(StoragePaths::ClipboardHistoryFile());
        for (int i = 0; i < 14; ++i) {
            copySettled(TextMime(QString("quiet %1").arg(i)));
            QVERIFY2(!QFile::exists(StoragePaths::ClipboardHistoryFile()),
                     qPrintable(QString("saved after %1 bursts").arg(i + 1)));
        }
        copySettled(TextMime("fifteenth"));
        QVERIFY(QFile::exists(StoragePaths::ClipboardHistoryFile()));
    }

    void oneBurstPerEventLoopPass()
    {
        QSignalSpy delayed(list(), &CCilpboardListModel::sigRowChanged);
        QSignalSpy instant(list(), &CCilpboardListModel::sigRowChangedInstant);
        CBData d;
        d.type = CQmlTypes::Text;
        for (int i = 0; i < 5; ++i) {
            d.plain = d.val.toString() + "x";
            d.val = d.plain.toString();
            d.md5 = GetVariantMd5(d.val);
            list()->prependItem(d);
        }
        QCOMPARE(instant.count(), 5);
        QVERIFY(delayed.wait());
        QCoreApplication::processEvents(); // a second burst would be due by now
        QCOMPARE(delayed.count(), 1);
    }

    void thePinListSavesEverySecondBurst()
    {
        const int idle_ms = mgr()->autosaveOf(pin()).idleSaveDelay();
        mgr()->autosaveOf(pin()).setIdleSaveDelay(3600 * 1000);
        auto restore_delay =
            qScopeGuard([&] { mgr()->autosaveOf(pin()).setIdleSaveDelay(idle_ms); });
        copySettled(TextMime("pin me"));
        copySettled(TextMime("and me"));
        QFile::remove(StoragePaths::PinHistoryFile());
        settle(mgr()->pinModel(), [this] { mgr()->pinItem(0); });
        const bool after_one = QFile::exists(StoragePaths::PinHistoryFile());
        settle(mgr()->pinModel(), [this] { mgr()->pinItem(1); });
        // Two pin operations always include one save, wherever the counter stood.
        QVERIFY(QFile::exists(StoragePaths::PinHistoryFile()));
        if (after_one) {
            QFile::remove(StoragePaths::PinHistoryFile());
            // Unpinning: a third burst, the counter is at 1 now.
            settle(mgr()->pinModel(), [this] { mgr()->pinItem(0); });
            QVERIFY(!QFile::exists(StoragePaths::PinHistoryFile()));
        }
    }
};

TOLVANE_TEST_MAIN(TestCapture)
#include "tst_capture.moc"
