#include "datasync/transfer_parser.h"

#include "clipboard/clipboard_list_model.h"
#include "datasync/datasync_logging.h"
#include "datasync/expected_files.h"
#include "datasync/host_container.h"
#include "datasync/password_proof.h"
#include "datasync/peer_link.h"
#include "datasync/pending_save_paths.h"
#include "datasync/text_command.h"
#include "item/storage_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QSysInfo>
#include <QThread>
#include <QTimer>

using TextCommand::FileErrorReason;
using TextCommand::Kind;

namespace {
QString ReasonText(FileErrorReason reason)
{
    switch (reason) {
    case FileErrorReason::NotFound:
        return QCoreApplication::translate("Connection", "File not found");
    case FileErrorReason::IsDir:
        return QCoreApplication::translate("Connection", "Can't transfer a folder.");
    case FileErrorReason::Unknown:
        break;
    }
    return QCoreApplication::translate("Connection", "Unknow error.");
}

// The messages that make this host send an answer.
bool IsRequest(Kind kind)
{
    switch (kind) {
    case Kind::Os:
    case Kind::Host:
    case Kind::History:
    case Kind::Image:
    case Kind::File:
    case Kind::OsReply:
    case Kind::HostReply:
        return true;
    default:
        return false;
    }
}
} // namespace

CTransferParser::CTransferParser(HostContainer *hosts, const LocalShare &share, QObject *parent)
    : CTransferAbstract(hosts, share, parent)
{
    connect(&m_snapshot, &CHistorySnapshot::sigSaved, this, &CTransferParser::onHistorySaved);
}

void CTransferParser::refreshHistory()
{
    if (m_share.clipboard)
        m_snapshot.refresh(m_share.clipboard, m_share.historyFile());
}

void CTransferParser::DispatchString(CPeerLink *s, const QString &cmd)
{
    if (s)
        send(s, m_hosts->findHost(s), cmd);
}

void CTransferParser::DispatchString(const QString &ip, const QString &cmd)
{
    if (HostInfo *host = m_hosts->getHost(ip))
        send(host->socket, host, cmd);
}

// What a request will bring is remembered, so that only that may be received.
quint64 CTransferParser::send(CPeerLink *link, HostInfo *host, const QString &cmd)
{
    const quint64 id =
        host ? ExpectedFiles::NoteRequest(host->session, TextCommand::Parse(cmd)) : 0;
    link->sendText(cmd);
    return id;
}

quint64 CTransferParser::Ask(const QString &ip, const QString &cmd)
{
    HostInfo *host = m_hosts->getHost(ip);
    return host ? send(host->socket, host, cmd) : 0;
}

void CTransferParser::DispatchFile(CPeerLink *s, const QString &filepath)
{
    if (s)
        announceFile(s, filepath);
}

void CTransferParser::DispatchFile(const QString &ip, const QString &filepath)
{
    if (HostInfo *host = m_hosts->getHost(ip))
        announceFile(host->socket, filepath);
}

void CTransferParser::onTextReceived(const QString &cmd)
{
    CPeerLink *link = nullptr;
    HostInfo *host = senderHost(Q_FUNC_INFO, link);
    if (!host)
        return;
    const TextCommand::Parsed p = TextCommand::Parse(cmd);
    if (!isAdmitted(host, p)) {
        qCDebug(lcDataSync) << Q_FUNC_INFO << __LINE__ << "before the password check"
                            << link->peerAddress() << "sent" << cmd.left(80) << "- ignored";
        return;
    }
    // A peer that does not read its answers gets no more of them; the link drops it once
    // what is queued passes the hard cap.
    if (IsRequest(p.kind) && link->isCongested()) {
        qCDebug(lcDataSync) << link->peerAddress() << "does not read its answers;"
                            << "request not answered";
        return;
    }
    dispatch(link, host, p, cmd);
}

bool CTransferParser::isAdmitted(const HostInfo *host, const TextCommand::Parsed &p) const
{
    if (host->session.trusted)
        return true;
    // An incoming link may only give its password; an outgoing one only hears the answer.
    if (host->from_server)
        return p.kind == Kind::Password || p.kind == Kind::PasswordProof;
    return p.kind == Kind::PasswordReply || p.kind == Kind::ConnectionRefused ||
           p.kind == Kind::PasswordNonce;
}

void CTransferParser::dispatch(CPeerLink *link, HostInfo *host, const TextCommand::Parsed &p,
                               const QString &cmd)
{
    switch (p.kind) {
    case Kind::Password:
        if (host->from_server)
            checkPassword(link, host, p.text);
        break;
    case Kind::PasswordProof:
        if (host->from_server)
            checkProof(link, host, p.text);
        break;
    case Kind::PasswordNonce:
        if (!host->from_server)
            answerNonce(link, host, p.text);
        break;
    case Kind::Os:
        link->sendText(TextCommand::OsReply());
        break;
    case Kind::Host:
        link->sendText(TextCommand::HostReply(QSysInfo::machineHostName()));
        break;
    case Kind::ConnectionRefused:
        if (!host->from_server)
            emit sigConnectionRejected(link);
        break;
    case Kind::History:
        serveHistory(link, host);
        break;
    case Kind::Image:
        serveImage(link, p.text);
        break;
    case Kind::File:
        serveFile(link, p.text);
        break;
    case Kind::OsReply:
        host->os = TextCommand::OsName(p.text);
        link->sendText(TextCommand::HostRequest());
        break;
    case Kind::HostReply:
        host->name = p.text.left(kMaxHostNameChars);
        // The user hears of a host once, when it first tells its name.
        if (!host->session.named) {
            host->session.named = true;
            emit sigHostNamed(host->ip, host->name);
        }
        send(link, host, TextCommand::HistoryRequest());
        break;
    case Kind::FileOk:
        break;
    case Kind::PasswordReply:
        // Answered once; later answers change nothing.
        if (!host->from_server && !host->session.trusted) {
            host->session.trusted = p.passed;
            if (p.passed)
                notePassed(host);
            emit sigConnectionPwdRet(link, p.passed);
        }
        break;
    case Kind::FileError:
        onFileError(link, host, p);
        break;
    case Kind::UnknownRequest:
    case Kind::UnknownReply:
        qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << "unexpected message from"
                              << link->peerAddress() << cmd.left(200);
        break;
    case Kind::Unknown:
        qCDebug(lcDataSync) << QThread::currentThreadId() << "unknown msg " << cmd.left(200);
        break;
    }
}

void CTransferParser::answerNonce(CPeerLink *link, HostInfo *host, const QString &hex)
{
    LinkSecurity &sec = host->security;
    const QByteArray nonce = PasswordProof::FromStrictHex(hex, PasswordProof::kNonceBytes);
    // A clear-text link never proves; each link answers one nonce of the right length.
    if (!sec.encrypted || !sec.nonce.isEmpty() || nonce.size() != PasswordProof::kNonceBytes) {
        qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << "unexpected nonce from"
                              << link->peerAddress();
        return;
    }
    sec.nonce = nonce;
    link->sendText(TextCommand::PasswordProof(
        PasswordProof::Compute(host->pwd, sec.local_fingerprint, sec.peer_fingerprint, nonce)));
}

void CTransferParser::answerPassword(CPeerLink *link, HostInfo *host, bool passed)
{
    if (!passed) {
        m_throttle.recordFailure(host->ip);
        host->session.trusted = false;
        link->sendText(TextCommand::PasswordReply(false));
        link->close();
        return;
    }
    m_throttle.recordSuccess(host->ip);
    // The places may have filled while this link was pending.
    if (m_hosts->count() >= HostContainer::kMaxLinked) {
        qCDebug(lcDataSync) << "full; refusing" << host->ip << "after its password";
        link->sendText(TextCommand::ConnectionRefused());
        link->close();
        return;
    }
    host->session.trusted = true;
    notePassed(host);
    link->sendText(TextCommand::PasswordReply(true));
    link->sendText(TextCommand::OsRequest());
    emit sigConnectionAccepted();
}

void CTransferParser::notePassed(HostInfo *host)
{
    if (!m_trust)
        return;
    m_trust->notePassed(host->ip, host->security);
    if (host->security.first_link)
        emit sigFirstLink(host->ip, host->security.code());
}

void CTransferParser::onFileError(CPeerLink *link, HostInfo *host, const TextCommand::Parsed &p)
{
    const QString ip = link->peerAddress();
    PendingSavePaths::Remove(ip, p.text);
    ExpectedFiles::NoteRefusal(host->session, p.text);
    emit sigFailed2Receive(p.text, ip, ReasonText(p.reason));
    if (p.text != TextCommand::HistoryName())
        return;
    if (host->session.history_retries >= kHistoryRetries) {
        qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << "history of" << ip
                              << "still not available; not asking again";
        return;
    }
    ++host->session.history_retries;
    QPointer<CPeerLink> guard(link);
    QTimer::singleShot(kHistoryRetryDelayMs, this, [this, guard] {
        if (HostInfo *again = guard ? m_hosts->findHost(guard.data()) : nullptr)
            send(guard, again, TextCommand::HistoryRequest());
    });
}

// Answered from the last saved copy, once per interval at most: requests in between share
// the one answer that is due.
void CTransferParser::serveHistory(CPeerLink *link, HostInfo *host)
{
    LinkSession &session = host->session;
    if (session.history_answer_due)
        return;
    session.history_answer_due = true;
    const qint64 wait =
        session.history_answered_at < 0
            ? 0
            : session.history_answered_at + kHistoryAnswerIntervalMs - m_clock.elapsed();
    QPointer<CPeerLink> guard(link);
    QTimer::singleShot(int(qMax<qint64>(0, wait)), this, [this, guard] { answerHistory(guard); });
}

void CTransferParser::answerHistory(CPeerLink *link)
{
    HostInfo *host = link ? m_hosts->findHost(link) : nullptr;
    if (!host || !host->session.history_answer_due)
        return;
    // Nothing saved in this run yet: the answer follows the save.
    if (m_share.clipboard && !m_snapshot.isSaved()) {
        if (!m_snapshot.isSaving())
            refreshHistory();
        return;
    }
    host->session.history_answer_due = false;
    host->session.history_answered_at = m_clock.elapsed();
    const QFileInfo info(m_share.historyFile());
    if (info.exists() && info.size() != 0)
        offerFile(link, info.absoluteFilePath(), TextCommand::HistoryName());
    else
        link->sendText(
            TextCommand::FileError(FileErrorReason::NotFound, TextCommand::HistoryName()));
}

void CTransferParser::onHistorySaved()
{
    for (HostInfo *host : m_hosts->hosts()) {
        if (host->session.history_answer_due && host->session.history_answered_at < 0)
            answerHistory(host->socket);
    }
    emit sigHistorySaved(QFileInfo(m_share.historyFile()).absoluteFilePath());
}

void CTransferParser::serveImage(CPeerLink *link, const QString &md5)
{
    // Only a key can name a stored image; anything else is never turned into a file name.
    // An image is served only while an item of the lists shows it.
    const QString path = StoragePaths::ImgPath(md5);
    const QFileInfo info(path);
    if (StoragePaths::IsMd5Key(md5) && m_share.isSharedImage(md5) && info.isFile())
        offerFile(link, info.absoluteFilePath(), path);
    else
        link->sendText(TextCommand::FileError(FileErrorReason::NotFound, path));
}

void CTransferParser::serveFile(CPeerLink *link, const QString &path)
{
    // A path no item shows is answered as missing, whether or not it exists.
    // Devices and pipes are no files to send: they may never end.
    // The listed paths are compared clean, so the clean form is what gets served.
    const bool shared = m_share.isSharedPath(path);
    const QFileInfo info(QDir::cleanPath(path));
    if (shared && info.isDir())
        link->sendText(TextCommand::FileError(FileErrorReason::IsDir, path));
    else if (shared && info.isFile())
        offerFile(link, info.absoluteFilePath(), path);
    else
        link->sendText(TextCommand::FileError(FileErrorReason::NotFound, path));
}

// A host that already receives as many files as a link may is told so, not queued.
void CTransferParser::offerFile(CPeerLink *link, const QString &file, const QString &asked)
{
    if (sendersOf(link) >= kMaxSendersPerLink) {
        qCDebug(lcDataSync) << "too many files being sent to" << link->peerAddress() << "- refusing"
                            << asked;
        link->sendText(TextCommand::FileError(FileErrorReason::Unknown, asked));
        return;
    }
    DispatchFile(link, file);
}
