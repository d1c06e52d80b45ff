#pragma once

#include <QMutex>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// The desktop's notification server, as a test's own service: records the notifications it
// is asked to show. Serve it with ThreadedBusService under kService and kPath; the test's
// thread reads it through the locked accessor.
class CFakeNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    static const char kService[];
    static const char kPath[];

    // "summary: body" of each notification, in the order they came.
    QStringList shown() const;

public slots:
    uint Notify(const QString &app_name, uint replaces_id, const QString &app_icon,
                const QString &summary, const QString &body, const QStringList &actions,
                const QVariantMap &hints, int expire_timeout);
    QStringList GetCapabilities();
    void CloseNotification(uint id);
    QString GetServerInformation(QString &vendor, QString &version, QString &spec_version);

private:
    mutable QMutex m_mutex;
    QStringList m_shown;
};
