#include "capture_fixture.h"

#include "clipboard/clipboard_list_model.h"
#include "clipboard/clipboard_manager.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

CClipboardManager *CaptureFixture::mgr() const
{
    return CClipboardManager::instance();
}

CCilpboardListModel *CaptureFixture::list() const
{
    return mgr()->clipboardModel();
}

CCilpboardListModel *CaptureFixture::pin() const
{
    return mgr()->pinModel();
}

bool CaptureFixture::installClipboard()
{
    m_clip = FakeClipboardWatcher::install();
    if (!m_clip)
        return false;
    mgr()->restoreFromFile();
    return true;
}

void CaptureFixture::put(QMimeData *mime)
{
    m_clip->copyFromOutside(mime);
    QVERIFY(m_clip->deliver());
}

void CaptureFixture::copy(QMimeData *mime)
{
    put(mime);
    mgr()->finishPendingWork();
}

void CaptureFixture::copyText(const QString &text)
{
    auto *mime = new QMimeData;
    mime->setText(text);
    copy(mime);
}

void CaptureFixture::settle(CCilpboardListModel *model, const std::function<void()> &change)
{
    QSignalSpy instant(model, &CCilpboardListModel::sigRowChangedInstant);
    QSignalSpy burst(model, &CCilpboardListModel::sigRowChanged);
    change();
    mgr()->finishPendingWork(); // the capture's work off this thread
    if (!instant.isEmpty() && burst.isEmpty())
        QVERIFY(burst.wait());
    QCoreApplication::sendPostedEvents(model, QEvent::MetaCall);
    QCoreApplication::sendPostedEvents(&mgr()->autosaveOf(model), QEvent::MetaCall);
    mgr()->finishPendingWork(); // the save the burst started
}
