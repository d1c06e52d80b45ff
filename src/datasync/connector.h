#pragma once

#include "clipboard/background_queue.h"
#include "datasync/host_container.h"
#include "datasync/local_share.h"
#include "datasync/server.h"
#include "datasync/transfer_parser.h"
#include "datasync/websocket_link.h"

#include <QObject>
#include <QTimer>

class CCilpboardListModel;
class CClient;
class CTcpFileReader;
class CTcpFileSender;
class QWebSocket;

// Links this host with up to two others: runs the server they connect to, opens outgoing
// connections, keeps a mirror list of each linked host's history, pushes the local history
// when it changes and starts downloads. The user interface talks to it as m_connector.
class CConnector : public QObject
{
    Q_OBJECT
    // Why other hosts cannot reach this one (the server does not listen), or empty.
    Q_PROPERTY(QString serverProblem READ serverProblem NOTIFY sigServerStateChanged)
public:
    static constexpr int kMaxHosts = HostContainer::kMaxLinked;
    // An incoming connection must give its password within this time.
    static constexpr int kPasswordTimeoutMs = 10000;
    // A port that is busy at start-up is tried again at this interval.
    static constexpr int kServerRetryMs = 5000;
    // A file or image asked of a host must be announced or refused within this time.
    static constexpr int kRequestTimeoutMs = 60000;

    // The process-wide lists, settings and folders.
    explicit CConnector(QObject *parent = nullptr);
    CConnector(const LocalShare &share, QObject *parent = nullptr);
    ~CConnector() override;

    Q_INVOKABLE QString getLocalIP() const;
    Q_INVOKABLE QString getLocalName() const;
    Q_INVOKABLE void downloadImg(const QString &ip, const QString &md5);
    Q_INVOKABLE void downloadFile(const QString &ip, const QString &file_path,
                                  const QString &save_path);
    Q_INVOKABLE void connect2Server(const QString &ip, const QString &pwd, ushort port);
    Q_INVOKABLE QString isConnectable(const QString &ip) const;
    Q_INVOKABLE int getHostsCount() const;
    Q_INVOKABLE int getHostsIndex(const QString &ip) const;
    Q_INVOKABLE QString getHostsName(int index) const;
    Q_INVOKABLE QString getHostsIP(int index) const;
    Q_INVOKABLE QString getHostsOs(int index) const;
    Q_INVOKABLE bool isInit(int index) const;
    Q_INVOKABLE CCilpboardListModel *getModel(int index) const;
    // Whether the link with the host at that index is encrypted, and its verification
    // code (empty for a clear-text link).
    Q_INVOKABLE bool isEncrypted(int index) const;
    Q_INVOKABLE QString getHostsCode(int index) const;

    // The port the server listens on (the settings' port, or the one the system chose).
    quint16 serverPort() const { return m_server.serverPort(); }
    PasswordThrottle &passwordThrottle() { return m_parser.passwordThrottle(); }
    // How long a request may wait for its file, and how often links are checked for a
    // living peer (the defaults suit people; tests take shorter ones).
    void setRequestTimeout(int ms) { m_requestTimeoutMs = ms; }
    void setKeepAlive(int interval_ms) { m_keepAliveMs = interval_ms; }
    void setServerRetry(int ms) { m_serverRetry.setInterval(ms); }
    QString serverProblem() const { return m_serverProblem; }

signals:
    void sigCancelConnect(QString ip);
    void sigConnectResult(bool is_ok, QString msg);
    void sigCloseConnection(QString ip);
    void sigConnectionErr(QString ip, QString why, bool is_server);
    void sigUpdateConnection();
    void sigFileSendingStarted(QString file_path, QString ip);
    void sigFileSent(QString file_path, QString ip);
    void sigFileDownloadStarted(QString file_path, QString ip);
    void sigFileDownloadProgress(QString file_name, QString ip, int rate, qlonglong readSize);
    void sigFileDownloaded(QString file_path, QString ip);
    void sigFileDownloadErr(QString file_path, QString ip, QString why);
    void sigStartServerFailed(QString why);
    void sigServerStateChanged();
    void SigConnectionStopped(QString ip);
    // A host linked (its password passed and it told its name), and a linked host left.
    void sigHostLinked(QString ip, QString name);
    void sigHostLeft(QString ip, QString name);
    // The first encrypted link with a host: both users compare the code once.
    void sigFirstLink(QString ip, QString code);

public slots:
    void StartServer(ushort port);
    void Shutdown();

private slots:
    void UpdateLocalModel4Remote();
    void onDisconnected();
    void onClientConnected(QWebSocket *socket);
    void onFileReaderStarted(CTcpFileReader *fr);
    void onFileSenderStarted(CTcpFileSender *fs);

private:
    CPeerLink *wire(QWebSocket *socket);
    HostInfo *addHost(CPeerLink *link, const QString &pwd, bool from_server);
    void watchAttempt(CClient *client, const QString &ip, const QString &pwd);
    void onHistoryReceived(CTcpFileReader *fr, const QString &path);
    void closeHost(const QString &ip);
    void pushHistory(const QString &path);
    bool listen();
    void expireRequest(const QString &ip, quint64 id, const QString &remote,
                       const QString &save_path);

    LinkTrust m_trust;
    HostContainer m_hosts;
    CTransferParser m_parser;
    CServer m_server;
    bool m_serverWired = false;
    bool m_pushDue = false; // the list changed; its next saved copy goes to the hosts
    int m_requestTimeoutMs = kRequestTimeoutMs;
    int m_keepAliveMs = CWebSocketLink::kKeepAliveMs;
    QTimer m_serverRetry;
    ushort m_serverPort = 0;
    QString m_serverProblem;
    CBackgroundQueue m_mirrorReads;
};
