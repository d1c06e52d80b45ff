#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>

class QQuickWindow;

// Times a request to the first frame of a Qt Quick window that may not exist yet: the
// window is recognised when it is first exposed, before it draws, and its first swapped
// frame after start() ends the time.
class FirstFrameTimer : public QObject
{
public:
    FirstFrameTimer();
    ~FirstFrameTimer() override;
    void start();
    // Runs the event loop until a window drew after start(); the milliseconds, or -1.
    double waitMs(int timeout_ms = 5000);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QElapsedTimer m_clock;
    QList<QMetaObject::Connection> m_connections;
    bool m_running = false;
    double m_ms = -1;
};
