#include "fake_clipboard_watcher.h"

#include "os/os_abstract.h"

#include <QCoreApplication>
#include <QMimeData>

FakeClipboardWatcher *FakeClipboardWatcher::install()
{
    auto *fake = new FakeClipboardWatcher(QCoreApplication::instance());
    if (OsInstance()->setClipboardWatcher(fake))
        return fake;
    delete fake;
    return nullptr;
}

void FakeClipboardWatcher::copyFromOutside(QMimeData *mime)
{
    replace(mime);
}

void FakeClipboardWatcher::copyTextFromOutside(const QString &text)
{
    auto *mime = new QMimeData;
    mime->setText(text);
    replace(mime);
}

bool FakeClipboardWatcher::deliver()
{
    if (!m_pending)
        return false;
    notifyPending();
    return true;
}

QString FakeClipboardWatcher::text() const
{
    return m_mime ? m_mime->text() : QString();
}

QImage FakeClipboardWatcher::image() const
{
    return m_mime ? qvariant_cast<QImage>(m_mime->imageData()) : QImage();
}

void FakeClipboardWatcher::putMimeData(QMimeData *mime)
{
    m_written << mime->text();
    replace(mime);
}

void FakeClipboardWatcher::replace(QMimeData *mime)
{
    m_mime.reset(mime);
    ++m_changes;
    if (m_pending)
        return;
    m_pending = true;
    QMetaObject::invokeMethod(this, &FakeClipboardWatcher::notifyPending, Qt::QueuedConnection);
}

void FakeClipboardWatcher::notifyPending()
{
    if (!m_pending)
        return;
    m_pending = false;
    emit changed(QClipboard::Clipboard);
}
