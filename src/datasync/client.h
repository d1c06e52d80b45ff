#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWebSocket>

// One outgoing connection attempt to another host's server. It reports either the open
// socket or, when the socket fails or does not open within 10 s, why.
class CClient : public QObject
{
    Q_OBJECT
public:
    static constexpr int kOpenTimeoutMs = 10000;

    explicit CClient(QObject *parent = nullptr);

    QWebSocket *socket() const { return m_socket; }

signals:
    void sigConnected(QWebSocket *c);
    void sigStartedConnecting(QString ip, QWebSocket *c);
    void sigFailed(QString why);

public slots:
    void Connect(const QString &ip, ushort port);

private:
    void fail(const QString &why);

    QPointer<QWebSocket> m_socket;
    QTimer m_openTimer;
    bool m_settled = false;
};
