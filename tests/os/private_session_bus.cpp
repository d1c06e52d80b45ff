#include "private_session_bus.h"

#include <QDBusConnection>
#include <QFile>

namespace {
// Session-bus rules without the system's service folders, so nothing gets activated.
const char kConfig[] =
    R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";
} // namespace

PrivateSessionBus::PrivateSessionBus()
{
    // The default session connection is made once per process; it must not exist yet.
    if (QDBusConnection(QStringLiteral("qt_default_session_bus")).isConnected())
        qFatal("PrivateSessionBus: the process already uses a session bus");
    const QString config = m_dir.filePath(QStringLiteral("session.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QString::fromLatin1(kConfig).arg(m_dir.path()).toUtf8()) < 0)
        qFatal("PrivateSessionBus: cannot write the configuration");
    file.close();

    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                    QStringLiteral("--print-address=1")});
    if (!m_daemon.waitForStarted(5000))
        qFatal("PrivateSessionBus: dbus-daemon does not start");
    while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(5000)) {
    }
    m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    if (m_address.isEmpty())
        qFatal("PrivateSessionBus: dbus-daemon printed no address");
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
}

PrivateSessionBus::~PrivateSessionBus()
{
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(3000))
        m_daemon.kill();
    m_daemon.waitForFinished(3000);
}
