#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTcpServer>

class QTcpSocket;

// A small HTTP/1.1 server on 127.0.0.1 with an ephemeral port, answering each path with a
// prepared response. Enough of HTTP for one GET per connection.
class LocalHttpServer : public QObject
{
    Q_OBJECT
public:
    enum class Mode
    {
        Normal,       // status, headers with Content-Length, body
        NoLength,     // body ended by closing the connection, no Content-Length
        NeverAnswers, // reads the request and keeps the connection open, silent
        Late,         // as Normal, but only after a second and a half
    };

    explicit LocalHttpServer(QObject *parent = nullptr);
    bool start();
    QString url(const QString &path) const;

    void serve(const QString &path, const QByteArray &body, int status = 200,
               Mode mode = Mode::Normal);
    // Paths requested so far, in order.
    QStringList requests() const { return m_requests; }

private:
    struct Response
    {
        QByteArray body;
        int status;
        Mode mode;
    };
    void answer(QTcpSocket *socket);
    void reply(QTcpSocket *socket, const Response &response);

    QTcpServer m_server;
    QHash<QString, Response> m_responses;
    QStringList m_requests;
    QList<QTcpSocket *> m_silent; // kept open until the server goes
};
