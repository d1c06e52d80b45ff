#include "datasync/connector.h"

#include "clipboard/clipboard_list_model.h"
#include "datasync/client.h"
#include "datasync/datasync_logging.h"
#include "datasync/expected_files.h"
#include "datasync/mirror_history.h"
#include "datasync/password_proof.h"
#include "datasync/pending_save_paths.h"
#include "datasync/tcp_file_reader.h"
#include "datasync/tcp_file_sender.h"
#include "datasync/text_command.h"
#include "datasync/websocket_link.h"
#include "item/storage_paths.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QNetworkInterface>
#include <QPointer>
#include <QSysInfo>
#include <QTimer>
#include <QWebSocket>

#include <memory>

CConnector::CConnector(QObject *parent) : CConnector(LocalShare::processWide(), parent) {}

CConnector::CConnector(const LocalShare &share, QObject *parent)
    : QObject(parent), m_parser(&m_hosts, share)
{
    qRegisterMetaType<CCilpboardListModel *>("CCilpboardListModel*");
    qRegisterMetaType<quint16>("uint16_t");
    connect(&m_parser, &CTransferParser::sigSenderStarted, this, &CConnector::onFileSenderStarted);
    connect(&m_parser, &CTransferParser::sigReaderStarted, this, &CConnector::onFileReaderStarted);
    connect(&m_parser, &CTransferParser::sigFailed2Receive, this, &CConnector::sigFileDownloadErr);
    connect(this, &CConnector::sigCloseConnection, this, &CConnector::closeHost);
    connect(&m_parser, &CTransferParser::sigHistorySaved, this, &CConnector::pushHistory);
    connect(&m_parser, &CTransferParser::sigHostNamed, this, &CConnector::sigHostLinked);
    // A pending link became a host.
    connect(&m_parser, &CTransferParser::sigConnectionAccepted, this,
            &CConnector::sigUpdateConnection);
    m_serverRetry.setInterval(kServerRetryMs);
    connect(&m_serverRetry, &QTimer::timeout, this, &CConnector::listen);
    m_trust.load(share.link_dir, share.refuse_plain);
    m_server.setIdentity(m_trust.identity());
    m_parser.setTrust(&m_trust);
    connect(&m_parser, &CTransferParser::sigFirstLink, this, &CConnector::sigFirstLink);
    if (share.clipboard)
        connect(share.clipboard, &CCilpboardListModel::sigRowChanged, this,
                &CConnector::UpdateLocalModel4Remote);
}

CConnector::~CConnector()
{
    // Links closing during teardown must not call back into a half-destroyed connector.
    for (HostInfo *host : m_hosts.hosts())
        host->socket->disconnect(this);
    m_hosts.clear();
}

// The user hears once that the port is busy; it is tried again until it is free (another
// program held it, or this one's earlier run had not let go of it yet).
void CConnector::StartServer(ushort port)
{
    m_serverPort = port;
    if (listen())
        return;
    emit sigStartServerFailed(m_serverProblem);
    if (!m_serverRetry.isActive())
        m_serverRetry.start();
}

bool CConnector::listen()
{
    const QString err = m_server.Start(m_serverPort);
    if (!err.isEmpty()) {
        qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << "port" << m_serverPort << err;
        if (err != m_serverProblem) {
            m_serverProblem = err;
            emit sigServerStateChanged();
        }
        return false;
    }
    m_serverRetry.stop();
    if (!m_serverProblem.isEmpty()) {
        m_serverProblem.clear();
        emit sigServerStateChanged();
    }
    qCDebug(lcDataSync) << "server listening on port" << m_server.serverPort();
    if (m_serverWired)
        return true;
    m_serverWired = true;
    connect(&m_server, &CServer::serverError, this, [this] {
        emit sigConnectionErr(QStringLiteral("Server error"), m_server.errorString(), true);
    });
    connect(&m_server, &CServer::SigClientArrived, this, &CConnector::onClientConnected);
    return true;
}

void CConnector::Shutdown()
{
    m_serverRetry.stop();
    m_server.close();
}

CPeerLink *CConnector::wire(QWebSocket *socket)
{
    auto *link = new CWebSocketLink(socket, this);
    link->setKeepAlive(m_keepAliveMs);
    connect(link, &CPeerLink::textReceived, &m_parser, &CTransferParser::onTextReceived);
    connect(link, &CPeerLink::binaryReceived, &m_parser, &CTransferParser::onBinaryReceived);
    connect(link, &CPeerLink::disconnected, this, &CConnector::onDisconnected);
    connect(link, &CPeerLink::errorOccurred, this, [this, link](const QString &why) {
        qCWarning(lcDataSync) << "socket err " << link->peerAddress() << why;
        // Only the user's hosts concern the user: a stranger that never linked (and may
        // have reset its connection on purpose) is logged only.
        const HostInfo *host = m_hosts.findHost(link);
        if (host && host->isLinked())
            emit sigConnectionErr(link->peerAddress(), why, false);
    });
    return link;
}

HostInfo *CConnector::addHost(CPeerLink *link, const QString &pwd, bool from_server)
{
    return m_hosts.add(link, new CCilpboardListModel(this), pwd, from_server);
}

void CConnector::onClientConnected(QWebSocket *socket)
{
    const QString ip = AddressText(socket->peerAddress());
    // A password guesser hears nothing, not even whether this host is full.
    if (!m_parser.passwordThrottle().admit(ip)) {
        qCDebug(lcDataSync) << "too many wrong passwords; turning away" << ip;
        socket->abort();
        socket->deleteLater();
        return;
    }
    const auto turn_away = [socket] {
        QObject::connect(socket, &QWebSocket::disconnected, socket, &QObject::deleteLater);
        socket->close();
        // A peer that does not answer the closing handshake is not waited for.
        QTimer::singleShot(CWebSocketLink::kCloseGraceMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
    };
    if (m_hosts.count() >= kMaxHosts) {
        qCDebug(lcDataSync) << "full; refusing" << ip;
        socket->sendTextMessage(TextCommand::ConnectionRefused());
        turn_away();
        return;
    }
    LinkSecurity security;
    const CServer::Arrival arrival = m_server.takeArrival(socket);
    security.encrypted = arrival.encrypted;
    security.peer_fingerprint = arrival.peer_fingerprint;
    security.local_fingerprint = m_trust.identity().fingerprint();
    const QString refusal = m_trust.refusal(ip, security);
    if (!refusal.isEmpty()) {
        qCWarning(lcDataSync) << "refusing" << ip << refusal;
        turn_away();
        return;
    }
    for (const HostInfo *host : m_hosts.hosts()) {
        if (host->from_server && host->isLinked() && host->ip == ip) {
            qCWarning(lcDataSync) << "same ip connect twice " << ip << " close the second socket";
            turn_away();
            return;
        }
    }
    // Links that have not given their password take no place, and only a few are kept.
    while (m_hosts.pendingCount() >= HostContainer::kMaxPending) {
        HostInfo *oldest = m_hosts.oldestPending();
        qCDebug(lcDataSync) << "too many links without a password; dropping" << oldest->ip;
        CPeerLink *dropped = oldest->socket;
        dropped->disconnect(this);
        m_hosts.remove(dropped);
        if (auto *ws = qobject_cast<CWebSocketLink *>(dropped))
            ws->socket()->abort();
    }
    CPeerLink *link = wire(socket);
    HostInfo *added = addHost(link, QString(), true);
    added->security = security;
    if (security.encrypted) {
        added->security.nonce = PasswordProof::NewNonce();
        link->sendText(TextCommand::PasswordNonce(added->security.nonce));
    }
    // A host that never gives its password is dropped at once when the time is up.
    QPointer<CPeerLink> guard(link);
    QTimer::singleShot(kPasswordTimeoutMs, this, [this, guard] {
        const HostInfo *host = guard ? m_hosts.findHost(guard.data()) : nullptr;
        if (host && !host->session.trusted) {
            qCDebug(lcDataSync) << "no password from" << host->ip << "in time; dropping";
            guard->abort();
        }
    });
}

void CConnector::connect2Server(const QString &ip, const QString &pwd, ushort port)
{
    auto *client = new CClient(this);
    CClient::Tls tls;
    tls.identity = m_trust.identity();
    tls.pin = m_trust.knownHosts().pinOf(ip);
    tls.refuse_plain = m_trust.refusesPlain();
    client->setTls(tls);
    watchAttempt(client, ip, pwd);
    client->Connect(ip, port);
}

// Each outcome of an attempt (password result, refusal, failure, cancellation) is
// reported once, by the attempt whose link it concerns.
void CConnector::watchAttempt(CClient *client, const QString &ip, const QString &pwd)
{
    struct Attempt
    {
        QPointer<CPeerLink> link;
        bool settled = false;
    };
    const auto attempt = std::make_shared<Attempt>();
    const auto settle = [this, attempt](bool is_ok, const QString &msg) {
        attempt->settled = true;
        emit sigConnectResult(is_ok, msg);
    };

    connect(this, &CConnector::sigCancelConnect, client, [=](const QString &cancel_ip) {
        if (cancel_ip != ip || attempt->settled)
            return;
        settle(false, QCoreApplication::translate("Connection", "Connection canceled."));
        if (attempt->link)
            attempt->link->close();
        else if (client->socket())
            client->socket()->abort();
        client->deleteLater();
    });
    connect(client, &CClient::sigFailed, this, [=](const QString &why) {
        if (!attempt->settled)
            settle(false, why);
        client->deleteLater();
    });
    connect(client, &CClient::sigConnected, this, [=](QWebSocket *socket) {
        CPeerLink *link = wire(socket);
        attempt->link = link;
        connect(link, &CPeerLink::disconnected, client, [=] {
            if (!attempt->settled)
                settle(false, QCoreApplication::translate("Connection",
                                                          "The host closed the connection."));
            client->deleteLater();
        });
        HostInfo *host = addHost(link, pwd, false);
        host->security.encrypted = client->isEncrypted();
        host->security.pin_name = ip;
        // An encrypted link proves the password when the server's nonce comes.
        if (client->isEncrypted()) {
            host->security.local_fingerprint = m_trust.identity().fingerprint();
            host->security.peer_fingerprint = client->peerFingerprint();
        } else {
            link->sendText(TextCommand::PasswordRequest(pwd));
        }
        // A host that opens the link but never answers the password would leave the user
        // waiting for ever.
        QTimer::singleShot(CClient::kOpenTimeoutMs, client, [=] {
            if (attempt->settled)
                return;
            settle(false, QCoreApplication::translate("Connection", "Connection timed out."));
            if (attempt->link)
                attempt->link->close();
        });
    });
    connect(&m_parser, &CTransferParser::sigConnectionPwdRet, client,
            [=](CPeerLink *s, bool is_passed) {
                if (s != attempt->link || attempt->settled)
                    return;
                settle(is_passed, is_passed ? QString()
                                            : QCoreApplication::translate("Connection",
                                                                          "Password incorrect."));
                if (!is_passed) {
                    s->close();
                    return;
                }
                emit sigUpdateConnection();
                s->sendText(TextCommand::OsRequest());
            });
    connect(&m_parser, &CTransferParser::sigConnectionRejected, client, [=](CPeerLink *s) {
        if (s != attempt->link || attempt->settled)
            return;
        settle(false, QCoreApplication::translate("Connection",
                                                  "The server can only support two clients."));
        s->close();
        client->deleteLater();
    });
}

void CConnector::closeHost(const QString &ip)
{
    if (HostInfo *host = m_hosts.findHost(ip))
        host->socket->close();
}

void CConnector::onDisconnected()
{
    auto *link = qobject_cast<CPeerLink *>(sender());
    const HostInfo *host = m_hosts.findHost(link);
    if (!host)
        return;
    const bool linked = host->isLinked();
    if (linked)
        emit SigConnectionStopped(host->ip);
    if (host->session.named)
        emit sigHostLeft(host->ip, host->name);
    m_hosts.remove(link);
    if (linked)
        emit sigUpdateConnection();
}

void CConnector::UpdateLocalModel4Remote()
{
    if (m_hosts.count() == 0)
        return;
    m_pushDue = true;
    m_parser.refreshHistory();
}

void CConnector::pushHistory(const QString &path)
{
    // A save of newer rows is under way: that one goes out.
    if (!m_pushDue || m_parser.isHistorySaving())
        return;
    m_pushDue = false;
    Q_UNUSED(path) // always the history file, whose newest copy goes out
    const QVector<HostInfo *> hosts = m_hosts.hosts();
    for (const HostInfo *host : hosts) {
        if (host->is_init)
            m_parser.pushHistory(host->socket);
    }
}

void CConnector::onFileReaderStarted(CTcpFileReader *fr)
{
    connect(fr, &CTcpFileReader::sigProgress, this, &CConnector::sigFileDownloadProgress);
    connect(fr, &CTcpFileReader::sigError, this, &CConnector::sigFileDownloadErr);
    if (fr->isHistory()) {
        // A host whose first history did not come is asked again, a few times.
        const QPointer<CPeerLink> link(qobject_cast<CPeerLink *>(fr->origin()));
        connect(fr, &CTcpFileReader::sigError, this, [this, link] {
            HostInfo *host = link ? m_hosts.findHost(link.data()) : nullptr;
            if (!host || host->is_init ||
                host->session.history_retries >= CTransferParser::kHistoryRetries)
                return;
            ++host->session.history_retries;
            qCDebug(lcDataSync) << "history of" << host->ip << "not received; asking again";
            m_parser.DispatchString(link.data(), TextCommand::HistoryRequest());
        });
    }
    connect(this, &CConnector::SigConnectionStopped, fr, [fr](const QString &ip) {
        if (ip == fr->ip())
            fr->stopListening();
    });
    connect(fr, &CTcpFileReader::sigReceived, this,
            [this, fr](const QString &path, const QString &ip) {
                if (QFileInfo(path).fileName() == TextCommand::HistoryName())
                    onHistoryReceived(fr, path);
                emit sigFileDownloaded(path, ip);
            });
    emit sigFileDownloadStarted(fr->path(), fr->ip());
}

// Read on a worker thread: a host may send a long history, and push it again and again.
void CConnector::onHistoryReceived(CTcpFileReader *fr, const QString &path)
{
    const QPointer<CPeerLink> link(qobject_cast<CPeerLink *>(fr->origin()));
    if (!m_hosts.getHost(link.data()))
        return;
    const int max_rows = m_parser.share().itemLimit();
    const quint64 sequence = fr->historySequence();
    m_mirrorReads.run([path, max_rows] { return MirrorHistory::Read(path, max_rows); },
                      [this, link, sequence](const MirrorHistory::Result &res) {
                          HostInfo *host = link ? m_hosts.findHost(link.data()) : nullptr;
                          if (!host || !res.read) {
                              emit sigUpdateConnection();
                              return;
                          }
                          // A newer history was shown already.
                          if (sequence != 0) {
                              if (sequence < host->session.history_loaded)
                                  return;
                              host->session.history_loaded = sequence;
                          }
                          host->model->replaceRows(res.rows);
                          host->is_init = true;
                          host->session.history_retries = 0;
                          qCDebug(lcDataSync) << "history of" << host->ip
                                              << "loaded:" << host->model->rowCount() << "items";
                          emit sigUpdateConnection();
                      });
}

void CConnector::onFileSenderStarted(CTcpFileSender *fs)
{
    connect(fs, &CTcpFileSender::sigSent, this,
            [this, fs] { emit sigFileSent(fs->path(), fs->ip()); });
    connect(this, &CConnector::SigConnectionStopped, fs, [fs](const QString &ip) {
        if (ip == fs->ip())
            fs->abort();
    });
    emit sigFileSendingStarted(fs->path(), fs->ip());
}

void CConnector::downloadImg(const QString &ip, const QString &md5)
{
    const quint64 id = m_parser.Ask(ip, TextCommand::ImageRequest(md5));
    expireRequest(ip, id, StoragePaths::ImgPath(md5), QString());
}

void CConnector::downloadFile(const QString &ip, const QString &file_path, const QString &save_path)
{
    if (!m_hosts.getHost(ip))
        return;
    PendingSavePaths::Set(ip, file_path, save_path);
    const quint64 id = m_parser.Ask(ip, TextCommand::FileRequest(file_path, save_path));
    expireRequest(ip, id, file_path, save_path);
}

// A host that neither sends nor refuses what was asked (it was suspended, or lost the
// request) is not waited for: the user hears that it did not answer.
void CConnector::expireRequest(const QString &ip, quint64 id, const QString &remote,
                               const QString &save_path)
{
    HostInfo *host = id ? m_hosts.findHost(ip) : nullptr;
    if (!host)
        return;
    const QPointer<CPeerLink> link(host->socket);
    QTimer::singleShot(m_requestTimeoutMs, this, [=] {
        HostInfo *asked = link ? m_hosts.findHost(link.data()) : nullptr;
        if (!asked || !ExpectedFiles::Drop(asked->session, id))
            return;
        PendingSavePaths::Remove(ip, remote);
        qCWarning(lcDataSync) << "no answer from" << ip << "for" << remote;
        emit sigFileDownloadErr(
            save_path.isEmpty() ? remote : save_path, ip,
            QCoreApplication::translate("Connection", "The host did not answer."));
    });
}

QString CConnector::isConnectable(const QString &ip) const
{
    if (m_hosts.findHost(ip))
        return QCoreApplication::translate("Connection", "Connection exists.");
    if (ip == getLocalIP())
        return QCoreApplication::translate("Connection", "Can not connect to localhost.");
    if (m_hosts.count() >= kMaxHosts)
        return QCoreApplication::translate("Connection",
                                           "You may have two remote connections at most.");
    return QString();
}

QString CConnector::getLocalIP() const
{
    const QList<QHostAddress> addresses = QNetworkInterface::allAddresses();
    for (const QHostAddress &a : addresses) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol && a != QHostAddress::LocalHost)
            return a.toString();
    }
    return QCoreApplication::translate("Connection", "Get local IP address failed.");
}

QString CConnector::getLocalName() const
{
    const QString name = QSysInfo::machineHostName();
    return name.isEmpty() ? QCoreApplication::translate("Connection", "Localhost") : name;
}

int CConnector::getHostsCount() const
{
    return m_hosts.count();
}

int CConnector::getHostsIndex(const QString &ip) const
{
    for (int i = 0; i < m_hosts.count(); ++i) {
        if (m_hosts.at(i)->ip == ip)
            return i;
    }
    return -1;
}

// The views ask only for existing hosts; any other index answers empty.
QString CConnector::getHostsName(int index) const
{
    const HostInfo *host = m_hosts.at(index);
    return host ? host->name : QString();
}

QString CConnector::getHostsIP(int index) const
{
    const HostInfo *host = m_hosts.at(index);
    return host ? host->ip : QString();
}

QString CConnector::getHostsOs(int index) const
{
    const HostInfo *host = m_hosts.at(index);
    return host ? host->os : QString();
}

bool CConnector::isInit(int index) const
{
    const HostInfo *host = m_hosts.at(index);
    return host && host->is_init;
}

bool CConnector::isEncrypted(int index) const
{
    const HostInfo *host = m_hosts.at(index);
    return host && host->security.encrypted;
}

QString CConnector::getHostsCode(int index) const
{
    const HostInfo *host = m_hosts.at(index);
    return host ? host->security.code() : QString();
}

CCilpboardListModel *CConnector::getModel(int index) const
{
    const HostInfo *host = m_hosts.at(index);
    return host ? host->model : nullptr;
}
