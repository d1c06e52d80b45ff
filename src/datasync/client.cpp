#include "datasync/client.h"

#include "datasync/datasync_logging.h"

#include <QCoreApplication>
#include <QSslConfiguration>
#include <QWebSocket>

CClient::CClient(QObject *parent)
    : QObject(parent), m_socket(new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this))
{
    m_openTimer.setSingleShot(true);
    m_openTimer.setInterval(kOpenTimeoutMs);
    connect(&m_openTimer, &QTimer::timeout, this,
            [this] { fail(QCoreApplication::translate("Connection", "Connection timed out.")); });
    m_tlsTimer.setSingleShot(true);
    m_tlsTimer.setInterval(kTlsTimeoutMs);
    connect(&m_tlsTimer, &QTimer::timeout, this,
            [this] { onTlsFailed(QStringLiteral("no TLS answer in time")); });
}

void CClient::Connect(const QString &ip, ushort port)
{
    m_ip = ip;
    m_port = port;
    m_openTimer.start();
    open(!m_tls.identity.isNull());
}

void CClient::open(bool encrypted)
{
    // The fallback to clear text starts over on a fresh socket.
    if (m_socket && m_opened) {
        m_socket->disconnect(this);
        m_socket->abort();
        m_socket->deleteLater();
        m_socket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
    }
    m_opened = true;
    QWebSocket *socket = m_socket;
    m_encrypted = encrypted;
    emit sigStartedConnecting(m_ip, socket);
    connect(socket, &QWebSocket::connected, this, [this, socket] {
        if (m_settled)
            return;
        // Without a reported certificate there is nothing to check a pin against.
        if (m_encrypted && m_peerFingerprint.isEmpty()) {
            fail(QCoreApplication::translate("Connection", "The host showed no certificate."));
            return;
        }
        m_settled = true;
        m_openTimer.stop();
        m_tlsTimer.stop();
        emit sigConnected(socket);
    });
    connect(socket, QOverload<QAbstractSocket::SocketError>::of(&QWebSocket::error), this,
            [this, socket] {
                if (m_encrypted)
                    onTlsFailed(socket->errorString());
                else
                    fail(socket->errorString());
            });
    QString scheme = QStringLiteral("ws");
    if (encrypted) {
        scheme = QStringLiteral("wss");
        socket->setSslConfiguration(m_tls.identity.configuration(false));
        connect(socket, &QWebSocket::sslErrors, this, &CClient::onTlsErrors);
        m_tlsTimer.start();
    }
    socket->open(QUrl(QStringLiteral("%1://%2:%3").arg(scheme, m_ip).arg(m_port)));
}

// No authority signs a host's certificate, so it always comes with errors; it carries the
// certificate, which must match the pin when the host has one.
void CClient::onTlsErrors(const QList<QSslError> &errors)
{
    const QByteArray fingerprint = LinkIdentity::ReportedFingerprint(errors);
    if (fingerprint.isEmpty())
        return; // not ignored: the handshake fails
    if (!m_tls.pin.isEmpty() && fingerprint != m_tls.pin) {
        m_pinRefusal =
            QCoreApplication::translate(
                "Connection", "The certificate of %1 is not the one it had at the first link: the "
                              "link was refused. If that computer was set up again, remove its "
                              "line from the known hosts file.")
                .arg(m_ip);
        qCWarning(lcDataSync) << "certificate of" << m_ip << "changed:" << fingerprint.toHex()
                              << "pinned" << m_tls.pin.toHex();
        fail(m_pinRefusal);
        return;
    }
    m_peerFingerprint = fingerprint;
    m_socket->ignoreSslErrors();
}

void CClient::onTlsFailed(const QString &why)
{
    if (m_settled || !m_encrypted)
        return;
    m_tlsTimer.stop();
    qCDebug(lcDataSync) << "TLS to" << m_ip << "failed:" << why;
    if (!m_tls.pin.isEmpty()) {
        fail(QCoreApplication::translate("Connection",
                                         "%1 was linked encrypted before and now does not "
                                         "answer encrypted: the link was refused.")
                 .arg(m_ip));
        return;
    }
    if (m_tls.refuse_plain) {
        fail(QCoreApplication::translate("Connection",
                                         "%1 does not offer an encrypted link, and unencrypted "
                                         "links are turned off.")
                 .arg(m_ip));
        return;
    }
    m_peerFingerprint.clear();
    open(false);
}

void CClient::fail(const QString &why)
{
    if (m_settled)
        return;
    m_settled = true;
    m_openTimer.stop();
    m_tlsTimer.stop();
    qCDebug(lcDataSync) << "connection attempt failed:" << why;
    if (m_socket)
        m_socket->abort();
    emit sigFailed(why);
}
