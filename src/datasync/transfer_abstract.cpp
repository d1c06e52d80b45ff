#include "datasync/transfer_abstract.h"

#include "datasync/datasync_logging.h"
#include "datasync/expected_files.h"
#include "datasync/host_container.h"
#include "datasync/link_trust.h"
#include "datasync/peer_link.h"
#include "datasync/pending_save_paths.h"
#include "datasync/tcp_file_reader.h"
#include "datasync/tcp_file_sender.h"
#include "datasync/text_command.h"
#include "datasync/transfer_messages.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPointer>
#include <QStorageInfo>
#include <QTimer>

#include <algorithm>
#include <memory>

CTransferAbstract::CTransferAbstract(HostContainer *hosts, const LocalShare &share, QObject *parent)
    : QObject(parent), m_hosts(hosts), m_share(share)
{
    m_clock.start();
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
    auto file = std::make_shared<QFile>(filepath);
    if (!file->open(QIODevice::ReadOnly)) {
        qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << filepath << file->errorString();
        return;
    }
    HostInfo *host = m_hosts->getHost(link);
    if (!host)
        return;
    const qint64 size = file->size();
    dropStaleOffers(host);
    QVector<FileOffer> &offered = host->session.offered;
    offered.append(FileOffer{filepath, size, file, m_clock.elapsed()});
    while (offered.size() > kMaxOffersPerLink)
        offered.removeFirst();
    if (filepath == historyPath())
        host->session.history_sent = true;
    link->sendBinary(TransferMessage::EncodeAnnouncement(filepath, size));
}

QString CTransferAbstract::historyPath() const
{
    return QFileInfo(m_share.historyFile()).absoluteFilePath();
}

void CTransferAbstract::dropStaleOffers(HostInfo *host)
{
    QVector<FileOffer> &offered = host->session.offered;
    const qint64 now = m_clock.elapsed();
    offered.erase(
        std::remove_if(offered.begin(), offered.end(),
                       [now](const FileOffer &o) { return now - o.made_at >= kOfferTimeoutMs; }),
        offered.end());
}

bool CTransferAbstract::isHistoryInFlight(const CPeerLink *link, HostInfo *host)
{
    dropStaleOffers(host);
    const QString path = historyPath();
    for (const FileOffer &offer : qAsConst(host->session.offered)) {
        if (offer.path == path)
            return true;
    }
    const QList<CTcpFileSender *> senders =
        findChildren<CTcpFileSender *>(QString(), Qt::FindDirectChildrenOnly);
    return std::any_of(senders.begin(), senders.end(), [link, &path](const CTcpFileSender *fs) {
        return fs->origin() == link && fs->path() == path && fs->isRunning();
    });
}

// On a slow link a burst of changes would otherwise put a history on the way for every
// change, each held up behind the others; one at a time, the newest next, arrives sooner.
void CTransferAbstract::pushHistory(CPeerLink *link)
{
    HostInfo *host = link ? m_hosts->findHost(link) : nullptr;
    if (!host)
        return;
    if (isHistoryInFlight(link, host)) {
        host->session.history_push_waiting = true;
        return;
    }
    host->session.history_push_waiting = false;
    announceFile(link, historyPath());
    // An offer the host never takes holds the next push back only until it expires.
    QPointer<CPeerLink> guard(link);
    QTimer::singleShot(kOfferTimeoutMs + 10, this, [this, guard] { pushWaitingHistory(guard); });
}

void CTransferAbstract::pushWaitingHistory(CPeerLink *link)
{
    HostInfo *host = link ? m_hosts->findHost(link) : nullptr;
    if (host && host->session.history_push_waiting)
        pushHistory(link);
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
        onAnnouncement(link, host, msg.announcement);
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

namespace {
// The transfers among parent's children that belong to the link.
template <class Transfer, class Pred>
int TransfersOf(const QObject *parent, const CPeerLink *link, Pred pred)
{
    const QList<Transfer *> all =
        parent->findChildren<Transfer *>(QString(), Qt::FindDirectChildrenOnly);
    return int(std::count_if(all.begin(), all.end(), [link, &pred](const Transfer *t) {
        return t->origin() == link && pred(t);
    }));
}
} // namespace

int CTransferAbstract::receiversOf(const CPeerLink *link, bool history) const
{
    return TransfersOf<CTcpFileReader>(
        this, link, [history](const CTcpFileReader *fr) { return fr->isHistory() == history; });
}

int CTransferAbstract::sendersOf(const CPeerLink *link) const
{
    return TransfersOf<CTcpFileSender>(this, link, [](const CTcpFileSender *) { return true; });
}

void CTransferAbstract::onAnnouncement(CPeerLink *link, HostInfo *host,
                                       const TransferMessage::Announcement &ann)
{
    const QString ip = link->peerAddress();
    const QString remote = ann.path;
    QString dest;
    ExpectedFiles::Kind kind = ExpectedFiles::Kind::Unasked;
    const QString why = refusalOf(link, host, ann, dest, kind);
    if (!why.isEmpty()) {
        qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << "refused" << remote << "from" << ip
                              << why;
        emit sigFailed2Receive(dest.isEmpty() ? remote : dest, ip, why);
        return;
    }

    auto *reader = new CTcpFileReader(ann.size, dest, ip, this);
    reader->setOrigin(link);
    if (kind == ExpectedFiles::Kind::History) {
        reader->setHistorySequence(++host->session.history_announced);
        reader->setMaxSize(qMin(kMaxHistoryBytes, CTcpFileReader::MaxStream(ann.size)));
    }
    if (host->security.encrypted && m_trust)
        reader->setTls(m_trust->identity(), host->security.peer_fingerprint);
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

// Nothing is created or written for a refused announcement, not even the host's folder.
QString CTransferAbstract::refusalOf(const CPeerLink *link, HostInfo *host,
                                     const TransferMessage::Announcement &ann, QString &dest,
                                     ExpectedFiles::Kind &kind) const
{
    if (TransferMessage::ReceivedFileName(ann.path).isEmpty())
        return QCoreApplication::translate("Connection", "The file name is not usable.");
    if (ann.size < 0)
        return QCoreApplication::translate("Connection", "The file size is not valid.");
    kind = ExpectedFiles::Take(host->session, ann.path);
    if (kind == ExpectedFiles::Kind::Unasked)
        return QCoreApplication::translate("Connection",
                                           "The host sent a file that was not asked for.");
    const bool history = kind == ExpectedFiles::Kind::History;
    if (history && ann.size > kMaxHistoryBytes)
        return QCoreApplication::translate("Connection", "The history of the host is too large.");
    if (receiversOf(link, history) >=
        (history ? kMaxHistoryReceiversPerLink : kMaxReceiversPerLink))
        return QCoreApplication::translate("Connection", "Too many transfers at once.");
    dest = destinationFor(link->peerAddress(), ann.path);
    if (dest.isEmpty())
        return QCoreApplication::translate("Connection", "The file name is not usable.");
    return lackOfRoom(dest, ann.size);
}

QString CTransferAbstract::lackOfRoom(const QString &dest, qint64 size) const
{
    const QStorageInfo storage(QFileInfo(dest).absolutePath());
    // Where the file system cannot be told, opening the destination reports the problem.
    if (!storage.isValid() || !storage.isReady())
        return QString();
    // Running downloads will still fill what they announced.
    qint64 promised = 0;
    for (const CTcpFileReader *reader :
         findChildren<CTcpFileReader *>(QString(), Qt::FindDirectChildrenOnly))
        promised += reader->expectedSize();
    const qint64 room = storage.bytesAvailable() - promised - kFreeSpaceMargin;
    if (size <= room)
        return QString();
    const QLocale locale;
    return QCoreApplication::translate("Connection",
                                       "Not enough free space: the file needs %1, %2 is free.")
        .arg(locale.formattedDataSize(size), locale.formattedDataSize(qMax<qint64>(room, 0)));
}

void CTransferAbstract::onAcceptance(CPeerLink *link, HostInfo *host,
                                     const TransferMessage::Acceptance &acc)
{
    const QString ip = link->peerAddress();
    // Only a file this host offered to this link may leave, and only once per offer; the
    // answers come in the order of the offers.
    dropStaleOffers(host);
    QVector<FileOffer> &offered = host->session.offered;
    const auto found = std::find_if(offered.begin(), offered.end(),
                                    [&acc](const FileOffer &o) { return o.path == acc.path; });
    if (found == offered.end()) {
        qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << "response for a file not offered to"
                              << ip << "ignored:" << acc.path;
        return;
    }
    const FileOffer offer = *found;
    offered.erase(found);
    if (!TransferMessage::IsValidPort(acc.port)) {
        qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << "bad port from" << ip << acc.port;
        return;
    }
    if (sendersOf(link) >= kMaxSendersPerLink) {
        qCDebug(lcDataSync) << "too many files being sent to" << ip << "- refusing" << acc.path;
        link->sendText(TextCommand::FileError(TextCommand::FileErrorReason::Unknown, acc.path));
        return;
    }
    auto *sender = new CTcpFileSender(offer.snapshot, offer.size, acc.path, ip, this);
    sender->setOrigin(link);
    connect(sender, &CTcpFileSender::sigStarted, this, &CTransferAbstract::sigSenderStarted);
    if (acc.path == historyPath()) {
        // Once this history is through, the newest may follow.
        QPointer<CPeerLink> guard(link);
        const auto next = [this, guard] {
            QTimer::singleShot(0, this, [this, guard] { pushWaitingHistory(guard); });
        };
        connect(sender, &CTcpFileSender::sigSent, this, next);
        connect(sender, &QObject::destroyed, this, next);
    }
    // Leave from the address the host knows this host by, so its receiver recognises us.
    const QHostAddress local = link->localAddress();
    if (!local.isNull() && !sender->bind(local))
        qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << "cannot bind to" << local
                              << sender->errorString();
    if (host->security.encrypted && m_trust) {
        sender->setTls(m_trust->identity(), host->security.peer_fingerprint);
        sender->connectToHostEncrypted(ip, quint16(acc.port), QIODevice::ReadWrite,
                                       QAbstractSocket::AnyIPProtocol);
    } else {
        sender->connectToHost(ip, quint16(acc.port), QIODevice::ReadWrite,
                              QAbstractSocket::AnyIPProtocol);
    }
}
