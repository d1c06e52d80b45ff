#include "datasync/server.h"

#include <QWebSocket>

CServer::CServer() : QWebSocketServer(QStringLiteral("tolvane_server"), NonSecureMode)
{
    connect(this, &QWebSocketServer::newConnection, this, &CServer::onNewConnection);
}

QString CServer::Start(ushort port)
{
    if (m_started)
        return QString();
    m_started = true;
    if (!listen(QHostAddress::AnyIPv4, port))
        return errorString();
    return QString();
}

void CServer::onNewConnection()
{
    QWebSocket *socket = nextPendingConnection();
    if (!socket)
        return;
    socket->setParent(this);
    emit SigClientArrived(socket);
}
