#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

// Runs the event loop until cond() holds or timeout_ms pass; whether it holds. The loop
// sleeps between events and looks at cond() every millisecond besides, for states that
// change outside this thread (another process's text). A spinning wait would take a core
// from the X server and the window manager whose work the benchmarks time.
template <typename Cond> bool WaitFor(Cond cond, int timeout_ms = 5000)
{
    QDeadlineTimer deadline(timeout_ms);
    QTimer wake;
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(1);
    while (!cond() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return cond();
}
