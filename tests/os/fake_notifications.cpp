#include "fake_notifications.h"

#include <QMutexLocker>

const char CFakeNotifications::kService[] = "org.freedesktop.Notifications";
const char CFakeNotifications::kPath[] = "/org/freedesktop/Notifications";

QStringList CFakeNotifications::shown() const
{
    QMutexLocker lock(&m_mutex);
    return m_shown;
}

uint CFakeNotifications::Notify(const QString &, uint, const QString &, const QString &summary,
                                const QString &body, const QStringList &, const QVariantMap &, int)
{
    QMutexLocker lock(&m_mutex);
    m_shown << summary + QStringLiteral(": ") + body;
    return uint(m_shown.size());
}

QStringList CFakeNotifications::GetCapabilities()
{
    return {QStringLiteral("body")};
}

void CFakeNotifications::CloseNotification(uint) {}

QString CFakeNotifications::GetServerInformation(QString &vendor, QString &version,
                                                 QString &spec_version)
{
    vendor = QStringLiteral("tests");
    version = QStringLiteral("1");
    spec_version = QStringLiteral("1.2");
    return QStringLiteral("fake");
}
