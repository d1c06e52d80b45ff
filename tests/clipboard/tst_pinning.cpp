// Pinning, favourites and write-back through the clipboard manager and m_utilities, on an
// in-memory clipboard watcher.
#include "capture_fixture.h"
#include "clipboard/clipboard_manager.h"
#include "clipboard/qml_helper.h"
#include "isolated_env.h"
#include "item/mime_convert.h"
#include "item/storage_paths.h"
#include "test_items.h"

#include <QImageWriter>
#include <QMimeData>
#include <QPainter>

class TestPinning : public CaptureFixture
{
    Q_OBJECT
private:
    CCilpboardListModel *cb() { return list(); }
    // Clipboard list rows, rows[0] on top.
    void fill(const QStringList &rows) { FillTextRows(*cb(), rows); }
    QString clipboardText() const { return m_clip->text(); }
    QList<int> favNumbers()
    {
        QList<int> favs;
        for (int r = 0; r < pin()->rowCount(); ++r)
            favs << pin()->getFav(r);
        return favs;
    }

private slots:
    void initTestCase() { QVERIFY(installClipboard()); }
    void init()
    {
        cb()->clearRows();
        pin()->clearRows();
        pin()->renumberFavourites();
        m_clip->deliver();
    }

    void pinningCopiesBelowTheFavouritesAndTogglesBack()
    {
        fill({"r0", "r1", "r2", "r3", "r4"});
        mgr()->pinItem(0);
        mgr()->setIndexFavor(0); // r0 is favourite 1
        mgr()->pinItem(4);
        QVERIFY(cb()->isPinned(4));
        QCOMPARE(pin()->rowCount(), 2);
        QCOMPARE(pin()->getPlain(0), QString("r0")); // the favourite stays on top
        QCOMPARE(pin()->getPlain(1), QString("r4"));
        QVERIFY(!pin()->isPinned(1)); // the copy was taken before marking
        mgr()->pinItem(4);
        QVERIFY(!cb()->isPinned(4));
        QCOMPARE(pin()->rowCount(), 1);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("pinItem.*99"));
        mgr()->pinItem(99);
        QCOMPARE(pin()->rowCount(), 1);
    }

    void removingAFavouriteRenumbersTheRest()
    {
        fill({"a", "b", "c", "d"});
        for (int r = 0; r < 4; ++r)
            mgr()->pinItem(r);
        for (const QString &name : {"c", "b", "a"})
            mgr()->setIndexFavor(pin()->indexOfMD5(TextItem(name).md5));
        QCOMPARE(pin()->lastFavorNum(), 3);
        QCOMPARE(pin()->getPlain(1), QString("b"));
        QSignalSpy last(pin(), &CCilpboardListModel::last_favor_numChanged);
        mgr()->pinRmItem(pin(), 1); // favourite 2 leaves the Pin list
        QCOMPARE(favNumbers(), (QList<int>{1, 2, -1}));
        QCOMPARE(pin()->getPlain(0), QString("c"));
        QCOMPARE(pin()->getPlain(1), QString("a"));
        QCOMPARE(pin()->lastFavorNum(), 2);
        QCOMPARE(last.count(), 1);
        QVERIFY(!cb()->isPinned(cb()->indexOfMD5(TextItem("b").md5)));

        // Unpinning a favourite from the Clipboard list does the same.
        mgr()->pinRmItem(cb(), cb()->indexOfMD5(TextItem("c").md5));
        QCOMPARE(favNumbers(), (QList<int>{1, -1}));
        QCOMPARE(pin()->getPlain(0), QString("a"));
    }

    void unpinningSomethingNotPinnedOnlyWarns()
    {
        fill({"x"});
        cb()->setRowData(0, true, CCilpboardListModel::PinStatusRole);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("pinRmItem"));
        mgr()->pinRmItem(cb(), 0);
        QVERIFY(!cb()->isPinned(0));
    }

    void aTenthFavouriteIsRefusedWithAToast()
    {
        QStringList names;
        for (int i = 0; i < 10; ++i)
            names << QString("f%1").arg(i);
        fill(names);
        for (int r = 0; r < 10; ++r)
            mgr()->pinItem(r);
        for (int i = 0; i < 9; ++i)
            mgr()->setIndexFavor(pin()->indexOfMD5(TextItem(names.at(i)).md5));
        QCOMPARE(pin()->lastFavorNum(), 9);
        QSignalSpy toast(CQmlHelper::instance(), &CQmlHelper::sigShowToast4Main);
        const int tenth = pin()->indexOfMD5(TextItem("f9").md5);
        mgr()->setIndexFavor(tenth);
        QCOMPARE(toast.count(), 1);
        QCOMPARE(toast.at(0).at(0).toString(), QString("You may have 9 favorate items at max."));
        QCOMPARE(pin()->getFav(tenth), -1);

        // Clearing a favourite's number renumbers the rest without gaps.
        mgr()->setIndexFavor(pin()->indexOfMD5(TextItem("f4").md5));
        QCOMPARE(pin()->lastFavorNum(), 8);
        QCOMPARE(favNumbers().mid(0, 8), (QList<int>{1, 2, 3, 4, 5, 6, 7, 8}));
        QCOMPARE(pin()->getPlain(4), QString("f5"));
    }

    void restoredNumbersCloseTheirGaps()
    {
        CCilpboardListModel stored;
        stored.setPin(true);
        CBData a = TextItem("seven"), b = TextItem("two"), c = TextItem("plain"),
               d = TextItem("five");
        a.fav_num = 7;
        b.fav_num = 2;
        d.fav_num = 5;
        for (const CBData &x : {d, c, b, a})
            stored.prependItem(x); // rows: seven, two, plain, five
        stored.Save2FileHelper(StoragePaths::PinHistoryFile());
        QVERIFY(pin()->RestoreFromFile(StoragePaths::PinHistoryFile()));
        QCOMPARE(favNumbers(), (QList<int>{1, 2, 3, -1}));
        QCOMPARE(pin()->getPlain(0), QString("two"));
        QCOMPARE(pin()->getPlain(1), QString("five"));
        QCOMPARE(pin()->getPlain(2), QString("seven"));
        QCOMPARE(pin()->lastFavorNum(), 3);
    }

    void pinStatusSurvivesARestart()
    {
        fill({"keep me", "other"});
        mgr()->pinItem(0);
        mgr()->save2File();
        cb()->clearRows();
        pin()->clearRows();
        mgr()->restoreFromFile();
        const int row = cb()->indexOfMD5(TextItem("keep me").md5);
        QVERIFY(row >= 0);
        QVERIFY(cb()->isPinned(row));
        QVERIFY(!cb()->isPinned(cb()->indexOfMD5(TextItem("other").md5)));
    }

    void copyingAPinnedItemMovesItsClipboardRow()
    {
        fill({"r0", "r1", "r2", "r3"});
        mgr()->pinItem(3);
        QSignalSpy top(CQmlHelper::instance(), &CQmlHelper::sigGotoFirstIndex4Main);
        mgr()->copyPinItem2Main(0);
        QCOMPARE(cb()->rowCount(), 4);
        QCOMPARE(cb()->getPlain(0), QString("r3"));
        QCOMPARE(clipboardText(), QString("r3"));
        QVERIFY(m_clip->deliver());
        QCOMPARE(cb()->rowCount(), 4); // the notification was not captured again
        QCOMPARE(top.count(), 1);
    }

    void copyingAPinnedItemThatLeftTheHistoryAddsIt()
    {
        fill({"old"});
        mgr()->pinItem(0);
        mgr()->setIndexFavor(0);
        cb()->removeItem(0);
        fill({"newer"});
        mgr()->copyPinItem2Main(0);
        QCOMPARE(cb()->rowCount(), 2);
        QCOMPARE(cb()->getPlain(0), QString("old"));
        QVERIFY(cb()->isPinned(0));
        QCOMPARE(cb()->getFav(0), 1); // the copy keeps its other fields
        QCOMPARE(clipboardText(), QString("old"));
        QVERIFY(m_clip->deliver());
        QCOMPARE(cb()->rowCount(), 2);
    }

    // A linked host's list has rows of its own; they meet this side's lists by identity.
    void aHostsItemMeetsThePinListByIdentity()
    {
        fill({"local top", "pinned here"});
        mgr()->pinItem(1);
        cb()->removeItem(1); // still pinned, no longer in the history
        CCilpboardListModel mirror;
        mirror.setLocal(false);
        mirror.setIp("10.0.0.7");
        FillTextRows(mirror, {"remote only", "pinned here"});

        mgr()->copyRemoteItem2Main(&mirror, 1);
        QCOMPARE(cb()->getPlain(0), QString("pinned here"));
        QVERIFY(cb()->isPinned(0));
        QVERIFY(!cb()->isPinned(1));
        QVERIFY(m_clip->deliver());
        QCOMPARE(cb()->rowCount(), 2); // the write-back was not captured again
        mgr()->copyRemoteItem2Main(&mirror, 0);
        QVERIFY(m_clip->deliver());
        QVERIFY(!cb()->isPinned(0));

        // Unpinning through the host's list unpins that item, whichever local row has the
        // host's row number, and an index past the local list's end is harmless.
        FillTextRows(mirror, {"a", "b", "c", "d"});
        QCOMPARE(mirror.getPlain(5), QString("pinned here"));
        mgr()->pinItem(0); // "remote only", on top here now
        mgr()->pinRmItem(&mirror, 5);
        QCOMPARE(pin()->rowCount(), 1);
        QCOMPARE(pin()->getPlain(0), QString("remote only"));
        QVERIFY(cb()->isPinned(0));
        QVERIFY(!cb()->isPinned(cb()->indexOfMD5(TextItem("pinned here").md5)));
    }

    void syncPutsTheTopBack()
    {
        fill({"first", "second"});
        m_clip->copyTextFromOutside("elsewhere");
        QVERIFY(m_clip->deliver());
        mgr()->finishPendingWork(); // the capture is built off this thread
        cb()->removeItem(0);        // the user deleted "elsewhere"
        mgr()->syncModel2Clipboard();
        QCOMPARE(clipboardText(), QString("first"));
        QVERIFY(m_clip->deliver());
        QCOMPARE(cb()->rowCount(), 2);
        cb()->clearRows();
        mgr()->syncModel2Clipboard(); // empty: leaves the clipboard alone
        QCOMPARE(clipboardText(), QString("first"));
    }

    // The pasted item stays on the clipboard: put back at a guess, the newest item could be
    // what the target (or a Ctrl+V by hand) pastes instead.
    void quickPasteLeavesThePastedItemAndKeepsTheOrder()
    {
        fill({"r0", "r1", "r2", "r3", "r4", "r5", "r6"});
        m_clip->copyTextFromOutside("r0");
        QVERIFY(m_clip->deliver());
        mgr()->finishPendingWork(); // the capture is built off this thread
        const int writes = m_clip->writtenTexts().size();
        CQmlHelper::instance()->pasteFromQuickPaste(cb(), 5);
        QCOMPARE(m_clip->writtenTexts().mid(writes), QStringList{"r5"});
        QTest::qWait(400);
        QCOMPARE(clipboardText(), QString("r5"));
        QCOMPARE(m_clip->writtenTexts().mid(writes), QStringList{"r5"});
        m_clip->deliver(); // the write back is not captured
        QCOMPARE(cb()->rowCount(), 7);
        QCOMPARE(cb()->getPlain(5), QString("r5"));
        QCOMPARE(cb()->getPlain(0), QString("r0"));
    }

    void quickPasteOfTheCurrentItemDoesNotTouchTheClipboard()
    {
        fill({"top", "below"});
        mgr()->pinItem(0);
        m_clip->copyTextFromOutside("top");
        QVERIFY(m_clip->deliver());
        mgr()->finishPendingWork(); // the capture's end: the clipboard holds row 0
        const int writes = m_clip->writtenTexts().size();
        CQmlHelper::instance()->pasteFromQuickPaste(cb(), 0);
        CQmlHelper::instance()->pasteFromQuickPaste(pin(), 0);
        QTest::qWait(300);
        QCOMPARE(m_clip->writtenTexts().size(), writes);
    }

    // A secret from a password manager is not captured, so row 0 is no longer what the
    // clipboard holds: a quick paste of row 0 must put row 0 there, not paste the secret.
    void quickPasteOfTheTopAfterASecretPastesTheTop()
    {
        fill({"top", "below"});
        mgr()->pinItem(0);
        for (CCilpboardListModel *model : {cb(), pin()}) {
            m_clip->copyTextFromOutside("top");
            QVERIFY(m_clip->deliver());
            mgr()->finishPendingWork();
            auto *secret = new QMimeData;
            secret->setText("hunter2");
            secret->setData("x-kde-passwordManagerHint", "secret");
            m_clip->copyFromOutside(secret);
            QVERIFY(m_clip->deliver());
            mgr()->finishPendingWork();
            QCOMPARE(cb()->getPlain(0), QString("top"));
            const int writes = m_clip->writtenTexts().size();
            CQmlHelper::instance()->pasteFromQuickPaste(model, 0);
            // Row 0 went on the clipboard before the paste keystroke.
            QCOMPARE(m_clip->writtenTexts().mid(writes).value(0), QString("top"));
            QTRY_COMPARE(m_clip->text(), QString("top"));
        }
    }

    void quickPasteWithAnEmptyHistoryLeavesThePastedItem()
    {
        fill({"pinned"});
        mgr()->pinItem(0);
        cb()->clearRows();
        CQmlHelper::instance()->pasteFromQuickPaste(pin(), 0);
        QTest::qWait(300);
        QCOMPARE(clipboardText(), QString("pinned"));
        QCOMPARE(cb()->rowCount(), 0);
    }

    void copyImageFromAFileScalesIntoTheBound()
    {
        const QString photo = QDir::tempPath() + "/photo.jpg";
        QImage big(4000, 3000, QImage::Format_RGB32);
        big.fill(Qt::darkGreen);
        QVERIFY(big.save(photo, "JPEG", 60));
        cb()->prependItem(FileListItem({QUrl::fromLocalFile(photo)}));
        CQmlHelper::instance()->copyImgFromUrl(cb(), 0);
        const QImage got = m_clip->image();
        QCOMPARE(got.size(), QSize(800, 600));
        QVERIFY(m_clip->deliver()); // an ordinary capture follows: a new image item on top
        mgr()->finishPendingWork(); // its encoding runs off this thread
        QCOMPARE(cb()->getType(0), int(CQmlTypes::Image));
    }

    void copyImageHonoursTheStoredOrientation()
    {
        // Left half red, right half blue, stored lying on its side.
        QImage raw(1600, 1200, QImage::Format_RGB32);
        QPainter p(&raw);
        p.fillRect(0, 0, 800, 1200, Qt::red);
        p.fillRect(800, 0, 800, 1200, Qt::blue);
        p.end();
        const QString path = QDir::tempPath() + "/turned.jpg";
        QImageWriter w(path, "jpeg");
        w.setTransformation(QImageIOHandler::TransformationRotate90);
        QVERIFY(w.write(raw));
        cb()->prependItem(FileListItem({QUrl::fromLocalFile(path)}));
        CQmlHelper::instance()->copyImgFromUrl(cb(), 0);
        const QImage got = m_clip->image();
        QCOMPARE(got.size(), QSize(450, 600)); // upright 1200x1600 into 900x600
        // Turned clockwise: red on top, blue at the bottom, nothing squeezed.
        QVERIFY(qRed(got.pixel(225, 100)) > 200);
        QVERIFY(qBlue(got.pixel(225, 500)) > 200);
    }
};

TOLVANE_TEST_MAIN(TestPinning)
#include "tst_pinning.moc"
