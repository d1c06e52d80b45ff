#include "datasync/transfer_abstract.h"

#include "datasync/datasync_logging.h"
#include "datasync/host_container.h"
#include "datasync/peer_link.h"
#include "datasync/pending_save_paths.h"
#include "datasync/tcp_file_reader.h"
#include "datasync/tcp_file_sender.h"
#include "datasync/transfer_messages.h"

#include <QCoreApplication>
#include <QFile>

CTransferAbstract::CTransferAbstract(HostContainer *hosts, const LocalShare &share, QObject *parent)
    : QObject(parent), m_hosts(hosts), m_share(share)
{
}

CPeerLink *CTransferAbstract::senderLink(const char *where) const
{
    auto *link = qobject_cast<CPeerLink *>(sender());
    if (!link)
        qCWarning(lcDataSync) << where << "the sender is not a link" << sender();
    return link;
}

HostInfo *CTransferAbstract::senderHost(const char *where, CPeerLink *&link) const
{
    link = senderLink(where);
    return link ? m_hosts->getHost(link) : nullptr;
}

void CTransferAbstract::onTextReceived(const QString &cmd)
{
    if (CPeerLink *link = senderLink(Q_FUNC_INFO))
        emit sigTextReceived(link->peerAddress(), cmd);
}

void CTransferAbstract::announceFile(CPeerLink *link, const QString &filepath)
{
    QFile file(filepath);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << filepath << file.errorString();
        return;
    }
    const qint64 size = file.size();
    file.close();
    HostInfo *host = m_hosts->getHost(link);
    if (!host)
        return;
    QStringList &offered = host->session.offered;
    offered.removeAll(filepath);
    offered.append(filepath);
    while (offered.size() > kMaxOffersPerLink)
        offered.removeFirst();
    link->sendBinary(TransferMessage::EncodeAnnouncement(filepath, size));
}

void CTransferAbstract::onBinaryReceived(const QByteArray &message)
{
    CPeerLink *link = nullptr;
    HostInfo *host = senderHost(Q_FUNC_INFO, link);
    if (!host)
        return;
    if (!host->session.trusted) {
        qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << "binary message before the password"
                              << "check from" << link->peerAddress() << "ignored";
        return;
    }
    const TransferMessage::Decoded msg = TransferMessage::Decode(message);
    switch (msg.kind) {
    case TransferMessage::Kind::Unparsable:
        qCDebug(lcDataSync) << "parse msg error!";
        break;
    case TransferMessage::Kind::Announcement:
        onAnnouncement(link, msg.announcement);
        break;
    case TransferMessage::Kind::Acceptance:
        onAcceptance(link, host, msg.acceptance);
        break;
    case TransferMessage::Kind::Other:
        break;
    }
}

QString CTransferAbstract::destinationFor(const QString &ip, const QString &remote) const
{
    const QString saved = PendingSavePaths::Take(ip, remote);
    if (!saved.isEmpty())
        return saved;
    const QString name = TransferMessage::ReceivedFileName(remote);
    return name.isEmpty() ? QString() : m_share.receiveDir(ip) + name;
}

int CTransferAbstract::receiversOf(const CPeerLink *link) const
{
    int n = 0;
    for (const CTcpFileReader *reader :
         findChildren<CTcpFileReader *>(QString(), Qt::FindDirectChildrenOnly))
        n += reader->origin() == link ? 1 : 0;
    return n;
}

void CTransferAbstract::onAnnouncement(CPeerLink *link, const TransferMessage::Announcement &ann)
{
    const QString ip = link->peerAddress();
    const QString remote = ann.path;
    const QString dest = destinationFor(ip, remote);
    QString why;
    if (dest.isEmpty())
        why = QCoreApplication::translate("Connection", "The file name is not usable.");
    else if (ann.size < 0)
        why = QCoreApplication::translate("Connection", "The file size is not valid.");
    else if (receiversOf(link) >= kMaxReceiversPerLink)
        why = QCoreApplication::translate("Connection", "Too many transfers at once.");
    if (!why.isEmpty()) {
        qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << "refused" << remote << "from" << ip
                              << why;
        emit sigFailed2Receive(dest.isEmpty() ? remote : dest, ip, why);
        return;
    }

    auto *reader = new CTcpFileReader(ann.size, dest, ip, this);
    reader->setOrigin(link);
    const QString err = reader->start();
    if (!err.isEmpty()) {
        qCDebug(lcDataSync) << "receiver for" << dest << "did not start:" << err;
        delete reader;
        emit sigFailed2Receive(dest, ip, err);
        return;
    }
    emit sigReaderStarted(reader);
    link->sendBinary(TransferMessage::EncodeAcceptance(reader->serverPort(), remote));
}

void CTransferAbstract::onAcceptance(CPeerLink *link, HostInfo *host,
                                     const TransferMessage::Acceptance &acc)
{
    const QString ip = link->peerAddress();
    // Only a file this host offered to this link may leave, and only once per offer.
    if (!host->session.offered.removeOne(acc.path)) {
        qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << "response for a file not offered to"
                              << ip << "ignored:" << acc.path;
        return;
    }
    if (!TransferMessage::IsValidPort(acc.port)) {
        qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << "bad port from" << ip << acc.port;
        return;
    }
    auto *sender = new CTcpFileSender(acc.path, ip, this);
    connect(sender, &CTcpFileSender::sigStarted, this, &CTransferAbstract::sigSenderStarted);
    // Leave from the address the host knows this host by, so its receiver recognises us.
    const QHostAddress local = link->localAddress();
    if (!local.isNull() && !sender->bind(local))
        qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << "cannot bind to" << local
                              << sender->errorString();
    sender->connectToHost(ip, quint16(acc.port), QIODevice::ReadWrite,
                          QAbstractSocket::AnyIPProtocol);
}
