#pragma once

#include <QPoint>
#include <QProcess>
#include <QSize>
#include <QString>

// The wayland_pointer test program: the seat's pointer, moved and clicked by the test as a
// user's mouse would be. Each step returns once the compositor has handled it; events are
// served meanwhile, since this process may be the one that gets them.
class WaylandPointerProcess
{
public:
    explicit WaylandPointerProcess(const QString &program);
    ~WaylandPointerProcess();

    // Starts it for an output of that size and waits until the seat has the pointer.
    bool start(const QSize &output);
    bool moveTo(const QPoint &at);
    bool moveBy(int dx, int dy);
    bool press();
    bool release();

private:
    bool send(const QString &line);

    QString m_program;
    QProcess m_process;
};
