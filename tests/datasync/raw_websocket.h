#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>

// One WebSocket frame as RFC 6455 lays it out, unmasked.
struct WebSocketFrame
{
    bool fin = true;
    int opcode = 0;
    QByteArray payload;
};

// Takes one whole frame from the front of buffer; false while it is incomplete.
bool TakeFrame(QByteArray &buffer, WebSocketFrame &out);

// A whole text or binary message from its frames.
struct WebSocketMessage
{
    bool is_text = false;
    QByteArray data;
};

class WebSocketReassembler
{
public:
    using Message = WebSocketMessage;
    // True when frame completed a message (control frames complete none).
    bool add(const WebSocketFrame &frame, Message &out);

private:
    QByteArray m_partial;
    bool m_isText = false;
};

// A WebSocket peer written for the tests straight from RFC 6455 over a plain TCP socket,
// sharing no code with the program: it can leave from a chosen local address, send any
// frame (oversized, fragmented, malformed) and sees exactly the frames the program sends.
class RawWebSocket : public QObject
{
    Q_OBJECT
public:
    using Message = WebSocketMessage;

    // Client: connects (from bind_address when given) and performs the opening handshake.
    bool connectTo(quint16 port, const QHostAddress &bind_address = QHostAddress(),
                   int timeout_ms = 10000);
    // Server side of an accepted TCP connection: reads the client's handshake and accepts.
    bool acceptFrom(QTcpSocket *socket, int timeout_ms = 10000);

    void sendText(const QString &text);
    void sendBinary(const QByteArray &data);
    void sendFrame(int opcode, const QByteArray &payload, bool fin = true);

    // Waits for the next whole message; false on time-out or when the connection ended.
    bool waitForMessage(Message &out, int timeout_ms = 10000);
    bool waitForText(QString &out, int timeout_ms = 10000);
    bool waitForBinary(QByteArray &out, int timeout_ms = 10000);
    // Collects every message that arrives within the time.
    QList<Message> drain(int timeout_ms);
    // Waits until the connection has ended (close frame or TCP close).
    bool waitForClosed(int timeout_ms = 10000);
    bool isClosed() const { return m_closed; }
    // The TCP connection itself has ended (the peer may close it without a close frame).
    bool isTcpClosed() const
    {
        return !m_socket || m_socket->state() == QAbstractSocket::UnconnectedState;
    }
    int closeCode() const { return m_closeCode; }
    // A peer that stops reading: the program's answers pile up on its side, until
    // resumeReading().
    void stopReading();
    void resumeReading();
    qint64 bytesToWrite() const { return m_socket ? m_socket->bytesToWrite() : 0; }
    // Ends the connection with a TCP reset.
    void reset();
    QHostAddress localAddress() const
    {
        return m_socket ? m_socket->localAddress() : QHostAddress();
    }

private:
    // The HTTP head of the opening handshake; what follows it stays in the buffer.
    bool readHead(QByteArray &head, int timeout_ms);
    void startFrames();
    void onReadyRead();
    bool parseFrame();
    bool waitFor(const std::function<bool()> &done, int timeout_ms);

    QTcpSocket *m_socket = nullptr;
    bool m_isClient = true;
    QByteArray m_buffer;
    WebSocketReassembler m_reassembler;
    QList<Message> m_messages;
    bool m_closed = false;
    int m_closeCode = -1;
};

// Accepts one raw WebSocket connection on an ephemeral loopback port.
class RawWebSocketServer : public QObject
{
    Q_OBJECT
public:
    bool listen();
    quint16 port() const { return m_server.serverPort(); }
    // Waits for a connection and completes its handshake.
    RawWebSocket *accept(int timeout_ms = 10000);

private:
    QTcpServer m_server;
};
