#include "fake_portal.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QMutexLocker>
#include <QTimer>

namespace {
// The caller's unique name as portals put it into object paths.
QString SenderElement(const QString &sender)
{
    QString s = sender.mid(1);
    return s.replace(QLatin1Char('.'), QLatin1Char('_'));
}
} // namespace

const char CFakePortal::kService[] = "org.freedesktop.portal.Desktop";
const char CFakePortal::kPath[] = "/org/freedesktop/portal/desktop";

QDBusObjectPath CFakePortal::answerLater(const QVariantMap &options, const QVariantMap &results,
                                         uint response)
{
    const QString handle = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                               .arg(SenderElement(message().service()),
                                    options.value(QStringLiteral("handle_token")).toString());
    const QString connection_name = connection().name();
    {
        QMutexLocker lock(&m_connectionMutex);
        m_connectionName = connection_name;
    }
    QTimer::singleShot(0, this, [handle, response, results, connection_name] {
        QDBusMessage signal = QDBusMessage::createSignal(
            handle, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        signal << response << results;
        QDBusConnection(connection_name).send(signal);
    });
    return QDBusObjectPath(handle);
}

QString CFakePortal::sessionPath(const QVariantMap &options) const
{
    return QStringLiteral("/org/freedesktop/portal/desktop/session/%1/%2")
        .arg(SenderElement(message().service()),
             options.value(QStringLiteral("session_handle_token")).toString());
}

QString CFakePortal::connectionName() const
{
    QMutexLocker lock(&m_connectionMutex);
    return m_connectionName;
}
