#pragma once

#include "datasync/peer_link.h"

#include <QByteArrayList>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <utility>

// Two links joined in process, standing in for a WebSocket connection in tests of the
// protocol: what one end sends reaches the other on a later turn of the event loop, as it
// would over a network. Each end also keeps what was sent on it.
class CLoopbackLink : public CPeerLink
{
    Q_OBJECT
public:
    // a's peer address is b_address and the other way round.
    static std::pair<CLoopbackLink *, CLoopbackLink *>
    makePair(const QString &a_address, const QString &b_address, QObject *parent = nullptr);

    QString peerAddress() const override { return m_peer; }
    QHostAddress localAddress() const override { return m_local; }
    void sendText(const QString &msg) override;
    void sendBinary(const QByteArray &msg) override;
    void close() override;

    // As if the peer had sent it: delivered at once, for tests and fuzzers that play the
    // peer themselves.
    void deliverText(const QString &msg) { emit textReceived(msg); }
    void deliverBinary(const QByteArray &msg) { emit binaryReceived(msg); }

    bool isOpen() const { return m_open; }
    const QStringList &sentTexts() const { return m_sentTexts; }
    const QByteArrayList &sentBinaries() const { return m_sentBinaries; }
    void clearSent();

private:
    explicit CLoopbackLink(QObject *parent) : CPeerLink(parent) {}
    void endLocally();
    // Runs deliver on the partner on a later turn of the event loop, if it is still open.
    void toPartner(const std::function<void(CLoopbackLink *)> &deliver);

    QString m_peer;
    QHostAddress m_local;
    QPointer<CLoopbackLink> m_partner;
    bool m_open = true;
    QStringList m_sentTexts;
    QByteArrayList m_sentBinaries;
};
