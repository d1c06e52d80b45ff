#include "foreign_key_grab.h"

#include <QtTest>

ForeignKeyGrab::ForeignKeyGrab(const QString &grabber_path, const QString &combination)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(grabber_path, {combination});
    if (m_process.waitForStarted(5000) &&
        QTest::qWaitFor([this] { return m_process.canReadLine(); }, 10000))
        m_answer = QString::fromUtf8(m_process.readLine()).trimmed();
}

ForeignKeyGrab::~ForeignKeyGrab()
{
    // The grabber lets go when its input closes.
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(5000);
}
