#include "first_frame.h"
#include "event_wait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QQuickWindow>

FirstFrameTimer::FirstFrameTimer()
{
    qApp->installEventFilter(this);
}

FirstFrameTimer::~FirstFrameTimer()
{
    qApp->removeEventFilter(this);
}

void FirstFrameTimer::start()
{
    for (const QMetaObject::Connection &c : qAsConst(m_connections))
        disconnect(c);
    m_connections.clear();
    m_ms = -1;
    m_running = true;
    m_clock.start();
}

bool FirstFrameTimer::eventFilter(QObject *watched, QEvent *event)
{
    // Seen before the window handles the expose and so before it renders.
    if (m_running && event->type() == QEvent::Expose) {
        if (auto *win = qobject_cast<QQuickWindow *>(watched)) {
            m_connections << connect(
                win, &QQuickWindow::frameSwapped, this,
                [this, win] {
                    if (m_running && win->isVisible()) {
                        m_ms = m_clock.nsecsElapsed() / 1e6;
                        m_running = false;
                    }
                },
                Qt::DirectConnection);
        }
    }
    return QObject::eventFilter(watched, event);
}

double FirstFrameTimer::waitMs(int timeout_ms)
{
    WaitFor([this] { return !m_running; }, timeout_ms);
    m_running = false;
    return m_ms;
}
