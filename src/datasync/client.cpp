#include "datasync/client.h"

#include "datasync/datasync_logging.h"

#include <QCoreApplication>
#include <QWebSocket>

CClient::CClient(QObject *parent)
    : QObject(parent), m_socket(new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this))
{
    m_openTimer.setSingleShot(true);
    m_openTimer.setInterval(kOpenTimeoutMs);
    connect(&m_openTimer, &QTimer::timeout, this,
            [this] { fail(QCoreApplication::translate("Connection", "Connection timed out.")); });
}

void CClient::Connect(const QString &ip, ushort port)
{
    emit sigStartedConnecting(ip, m_socket);
    QWebSocket *socket = m_socket;
    connect(socket, &QWebSocket::connected, this, [this, socket] {
        if (m_settled)
            return;
        m_settled = true;
        m_openTimer.stop();
        emit sigConnected(socket);
    });
    connect(socket, QOverload<QAbstractSocket::SocketError>::of(&QWebSocket::error), this,
            [this, socket] { fail(socket->errorString()); });
    m_openTimer.start();
    socket->open(QUrl(QStringLiteral("ws://%1:%2").arg(ip).arg(port)));
}

void CClient::fail(const QString &why)
{
    if (m_settled)
        return;
    m_settled = true;
    m_openTimer.stop();
    qCDebug(lcDataSync) << "connection attempt failed:" << why;
    if (m_socket)
        m_socket->abort();
    emit sigFailed(why);
}
