#include "wayland_pointer_process.h"

#include <QtTest>

namespace {
constexpr int kStepTimeoutMs = 10000;
}

WaylandPointerProcess::WaylandPointerProcess(const QString &program) : m_program(program)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

WaylandPointerProcess::~WaylandPointerProcess()
{
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(3000))
        m_process.kill();
}

bool WaylandPointerProcess::start(const QSize &output)
{
    m_process.start(m_program, {QString::number(output.width()), QString::number(output.height())});
    return m_process.waitForStarted(5000) &&
           QTest::qWaitFor([this] { return m_process.canReadLine(); }, kStepTimeoutMs) &&
           m_process.readLine() == "ready\n";
}

bool WaylandPointerProcess::send(const QString &line)
{
    m_process.write(line.toUtf8() + '\n');
    return QTest::qWaitFor([this] { return m_process.canReadLine(); }, kStepTimeoutMs) &&
           m_process.readLine() == "ok\n";
}

bool WaylandPointerProcess::moveTo(const QPoint &at)
{
    return send(QStringLiteral("at %1 %2").arg(at.x()).arg(at.y()));
}

bool WaylandPointerProcess::moveBy(int dx, int dy)
{
    return send(QStringLiteral("move %1 %2").arg(dx).arg(dy));
}

bool WaylandPointerProcess::press()
{
    return send(QStringLiteral("press"));
}

bool WaylandPointerProcess::release()
{
    return send(QStringLiteral("release"));
}
