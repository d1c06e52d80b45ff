#pragma once

#include "raw_websocket.h"

#include <QList>
#include <QTcpServer>

// A TCP relay put between a WebSocket client and its server: it passes every byte on and
// records each message with its direction, in the order the messages went through, so a test
// can see the conversation of two real hosts on the wire.
class WireTap : public QObject
{
    Q_OBJECT
public:
    struct Event
    {
        bool to_server = false;
        WebSocketMessage message;
    };

    bool listen(quint16 server_port);
    quint16 port() const { return m_server.serverPort(); }
    const QList<Event> &events() const { return m_events; }

private:
    struct Direction
    {
        QByteArray buffer;
        bool upgraded = false;
        WebSocketReassembler reassembler;
    };
    void onNewConnection();
    void relay(QTcpSocket *from, QTcpSocket *to, Direction &dir, bool to_server);

    QTcpServer m_server;
    quint16 m_target = 0;
    Direction m_up;
    Direction m_down;
    QList<Event> m_events;
};
