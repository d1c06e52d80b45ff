#include "wire_tap.h"

#include <QTcpSocket>

bool WireTap::listen(quint16 server_port)
{
    m_target = server_port;
    connect(&m_server, &QTcpServer::newConnection, this, &WireTap::onNewConnection);
    return m_server.listen(QHostAddress::LocalHost, 0);
}

void WireTap::onNewConnection()
{
    QTcpSocket *client = m_server.nextPendingConnection();
    auto *server = new QTcpSocket(client);
    server->connectToHost(QHostAddress::LocalHost, m_target);
    connect(client, &QTcpSocket::readyRead, this, [=] { relay(client, server, m_up, true); });
    connect(server, &QTcpSocket::readyRead, this, [=] { relay(server, client, m_down, false); });
    connect(server, &QTcpSocket::connected, this, [=] { relay(client, server, m_up, true); });
    connect(client, &QTcpSocket::disconnected, server, &QTcpSocket::disconnectFromHost);
    connect(server, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
}

void WireTap::relay(QTcpSocket *from, QTcpSocket *to, Direction &dir, bool to_server)
{
    if (to->state() != QAbstractSocket::ConnectedState)
        return; // kept in from's buffer until the other side is there
    const QByteArray bytes = from->readAll();
    to->write(bytes);
    dir.buffer += bytes;
    if (!dir.upgraded) {
        const int end = dir.buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        dir.buffer.remove(0, end + 4);
        dir.upgraded = true;
    }
    WebSocketFrame frame;
    while (TakeFrame(dir.buffer, frame)) {
        WebSocketMessage message;
        if (dir.reassembler.add(frame, message))
            m_events.append({to_server, message});
    }
}
