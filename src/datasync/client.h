#pragma once

#include "datasync/link_identity.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWebSocket>

// One outgoing connection attempt to another host's server. It reports either the open
// socket or, when the socket fails or does not open within 10 s, why. With an identity it
// tries TLS first and falls back to clear text only for a host that has no pin, unless
// clear text is refused.
class CClient : public QObject
{
    Q_OBJECT
public:
    static constexpr int kOpenTimeoutMs = 10000;
    // A host that speaks only clear text never answers the TLS hello; it gets this long.
    static constexpr int kTlsTimeoutMs = 4000;

    struct Tls
    {
        LinkIdentity identity; // null: clear text only
        QByteArray pin;        // the host's pinned fingerprint, empty when it has none
        bool refuse_plain = false;
    };

    explicit CClient(QObject *parent = nullptr);

    void setTls(const Tls &tls) { m_tls = tls; }
    QWebSocket *socket() const { return m_socket; }
    // After sigConnected: whether the link is encrypted and the fingerprint the server
    // showed.
    bool isEncrypted() const { return m_encrypted; }
    QByteArray peerFingerprint() const { return m_peerFingerprint; }

signals:
    void sigConnected(QWebSocket *c);
    void sigStartedConnecting(QString ip, QWebSocket *c);
    void sigFailed(QString why);

public slots:
    void Connect(const QString &ip, ushort port);

private:
    void open(bool encrypted);
    void onTlsErrors(const QList<QSslError> &errors);
    void onTlsFailed(const QString &why);
    void fail(const QString &why);

    QPointer<QWebSocket> m_socket;
    QTimer m_openTimer;
    QTimer m_tlsTimer;
    Tls m_tls;
    QString m_ip;
    ushort m_port = 0;
    bool m_encrypted = false;
    QByteArray m_peerFingerprint;
    QString m_pinRefusal;
    bool m_opened = false;
    bool m_settled = false;
};
