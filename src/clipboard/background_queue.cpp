#include "clipboard/background_queue.h"

#include <QCoreApplication>

CBackgroundQueue::CBackgroundQueue(QObject *parent) : QObject(parent)
{
    m_thread.setObjectName(QStringLiteral("tolvane storage"));
    m_worker.moveToThread(&m_thread);
    m_thread.start();
}

CBackgroundQueue::~CBackgroundQueue()
{
    // The thread's event loop runs every job posted before this request to quit.
    QMetaObject::invokeMethod(
        &m_worker, [this] { m_thread.quit(); }, Qt::QueuedConnection);
    m_thread.wait();
}

void CBackgroundQueue::finish()
{
    // A result handed over may queue further work; a few rounds settle it.
    while (m_pending > 0) {
        QMetaObject::invokeMethod(
            &m_worker, [] {}, Qt::BlockingQueuedConnection);
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }
}
