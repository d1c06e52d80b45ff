#include "clipboard/background_queue.h"

#include <QCoreApplication>
#include <QElapsedTimer>

CBackgroundQueue::CBackgroundQueue(const QString &name, QObject *parent) : QObject(parent)
{
    m_thread.setObjectName(name);
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

bool CBackgroundQueue::finishWithin(int ms)
{
    QElapsedTimer t;
    t.start();
    while (m_pending > 0 && t.elapsed() < ms) {
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        if (m_pending > 0)
            QThread::msleep(5);
    }
    if (m_pending == 0)
        return true;
    m_dropping = true;
    finish();
    return false;
}
