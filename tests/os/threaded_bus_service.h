#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QThread>

// Serves `object` under a well-known name on a bus connection of its own, in a thread of
// its own, so that blocking calls from the test's thread are answered meanwhile. Owns the
// object; unregisters and deletes it on destruction.
class ThreadedBusService
{
public:
    ThreadedBusService(const QString &service, const QString &path, QObject *object,
                       QDBusConnection::RegisterOptions options = QDBusConnection::ExportAllSlots);
    ~ThreadedBusService();

    // Whether the name and the object could be registered.
    bool isRegistered() const { return m_registered; }

private:
    QString m_service;
    QString m_connectionName;
    QThread m_thread;
    QObject *m_object;
    bool m_registered = false;
};
