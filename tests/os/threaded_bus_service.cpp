#include "threaded_bus_service.h"

#include <QAtomicInt>

namespace {
QAtomicInt g_connectionCounter;
} // namespace

ThreadedBusService::ThreadedBusService(const QString &service, const QString &path, QObject *object,
                                       QDBusConnection::RegisterOptions options)
    : m_service(service),
      m_connectionName(
          QStringLiteral("test-service-%1").arg(g_connectionCounter.fetchAndAddRelaxed(1))),
      m_object(object)
{
    m_thread.start();
    // Calls for an object are delivered in the object's thread.
    m_object->moveToThread(&m_thread);
    QDBusConnection bus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_connectionName);
    m_registered = bus.isConnected() && bus.registerObject(path, m_object, options) &&
                   bus.registerService(m_service);
}

ThreadedBusService::~ThreadedBusService()
{
    QDBusConnection bus(m_connectionName);
    bus.unregisterService(m_service);
    QDBusConnection::disconnectFromBus(m_connectionName);
    QMetaObject::invokeMethod(
        m_object, [object = m_object] { delete object; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}
