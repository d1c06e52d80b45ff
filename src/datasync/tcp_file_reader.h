#pragma once

#include "datasync/link_identity.h"

#include <QPointer>
#include <QSaveFile>
#include <QTcpServer>
#include <QTimer>

class QTcpSocket;

// Receives one file over TCP: listens on a free port, takes one connection from the
// announcing host's address and writes the stream into the destination. The destination
// is replaced only when exactly the announced number of bytes arrived; anything shorter,
// longer or too slow is an error and leaves the destination as it was.
class CTcpFileReader : public QTcpServer
{
    Q_OBJECT
public:
    static constexpr int kIdleTimeoutMs = 30000;
    // A sender may send more than it announced (its file grew in between): the file is
    // taken as sent, up to this much more than announced (or as much again as announced
    // when that is less). Anything longer is an error.
    static constexpr qint64 kMaxExtraBytes = 64 * 1024 * 1024;
    static constexpr qint64 kMinExtraBytes = 1024 * 1024;
    static qint64 MaxStream(qint64 announced);

    CTcpFileReader(qint64 size, const QString &path, const QString &ip, QObject *parent = nullptr);

    // Opens the destination and listens; returns an error text, empty on success.
    QString start();
    // The host went away: no connection can come any more.
    void stopListening();

    QString path() const { return m_path; }
    QString ip() const { return m_ip; }
    qint64 expectedSize() const { return m_expected; }
    // The most bytes taken (MaxStream of the announced size unless set lower).
    void setMaxSize(qint64 max) { m_max = max; }
    // A linked host's history: its announcements are numbered, so that an older one that
    // arrives late does not replace a newer one. 0: not a history.
    void setHistorySequence(quint64 n) { m_historySequence = n; }
    quint64 historySequence() const { return m_historySequence; }
    bool isHistory() const { return m_historySequence != 0; }
    // The link the file was announced on, for the caller's bookkeeping.
    void setOrigin(QObject *origin) { m_origin = origin; }
    QObject *origin() const { return m_origin; }
    // The file comes over TLS, from the host with that certificate only.
    void setTls(const LinkIdentity &identity, const QByteArray &peer_fingerprint);
    // How long the sender may keep the receiver waiting, for a connection or for data.
    void setIdleTimeout(int ms) { m_idle.setInterval(ms); }

signals:
    void sigReceived(QString path, QString ip);
    void sigError(QString path, QString ip, QString why);
    void sigProgress(QString file_name, QString ip, int rate, qlonglong readSize);

protected:
    void incomingConnection(qintptr descriptor) override;

private slots:
    void onNewConnection();
    void onClientDisconnected();
    void onReadyRead();

private:
    bool isExpectedPeer(const QTcpSocket *socket) const;
    void fail(const QString &why);
    void finish();
    void endOverTls();

    qint64 m_expected;
    QString m_path;
    QSaveFile m_file;
    QString m_ip;
    qint64 m_received = 0;
    qint64 m_max;
    quint64 m_historySequence = 0;
    QPointer<QTcpSocket> m_client;
    QPointer<QObject> m_origin;
    QTimer m_idle;
    LinkIdentity m_identity;
    QByteArray m_peerFingerprint; // empty: clear text
    bool m_done = false;
};
