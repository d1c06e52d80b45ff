#pragma once

#include <QDBusContext>
#include <QDBusObjectPath>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QVariantMap>

// What the desktop portal interfaces of the tests' own share: the desktop's answers come as
// the Response signal of a Request object, after the method's reply, and sessions are named
// by the caller's token. Each runs in a thread of its own (ThreadedBusService) under kService
// and kPath.
class CFakePortal : public QObject, protected QDBusContext
{
    Q_OBJECT
public:
    static const char kService[];
    static const char kPath[];

protected:
    // For the method being called: its Request object's path, on which `response` and
    // `results` follow once the reply is out.
    QDBusObjectPath answerLater(const QVariantMap &options, const QVariantMap &results,
                                uint response = 0);
    // For the method being called: the path of the session its options ask for.
    QString sessionPath(const QVariantMap &options) const;
    // The bus connection the latest call came in on, for signals of the test's own.
    QString connectionName() const;

private:
    mutable QMutex m_connectionMutex;
    QString m_connectionName;
};
