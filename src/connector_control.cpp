#include "connector_control.h"

#include "app_logging.h"
#include "clipboard/clipboard_list_model.h"
#include "datasync/connector.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>

CConnectorControl *CConnectorControl::fromEnvironment(CConnector *connector, QObject *parent)
{
    const QString path = qEnvironmentVariable(kEnvironmentVariable);
    if (path.isEmpty())
        return nullptr;
    auto *control = new CConnectorControl(connector, parent);
    if (!control->listen(path)) {
        delete control;
        return nullptr;
    }
    qCWarning(lcApp) << "test control channel open at" << path;
    return control;
}

CConnectorControl::CConnectorControl(CConnector *connector, QObject *parent)
    : QObject(parent), m_connector(connector), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &CConnectorControl::onNewConnection);
    forwardSignals();
}

bool CConnectorControl::listen(const QString &path)
{
    QLocalServer::removeServer(path);
    if (m_server->listen(path))
        return true;
    qCWarning(lcApp) << Q_FUNC_INFO << __LINE__ << path << m_server->errorString();
    return false;
}

void CConnectorControl::onNewConnection()
{
    QLocalSocket *socket = m_server->nextPendingConnection();
    if (!socket)
        return;
    if (m_client)
        m_client->disconnectFromServer();
    m_client = socket;
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        while (socket->canReadLine())
            onCommand(socket->readLine().trimmed());
    });
}

void CConnectorControl::onCommand(const QByteArray &line)
{
    const QJsonObject cmd = QJsonDocument::fromJson(line).object();
    const QString name = cmd.value("cmd").toString();
    if (name == QLatin1String("connect")) {
        m_connector->connect2Server(cmd.value("ip").toString(), cmd.value("pwd").toString(),
                                    ushort(cmd.value("port").toInt()));
    } else if (name == QLatin1String("download_file")) {
        m_connector->downloadFile(cmd.value("ip").toString(), cmd.value("path").toString(),
                                  cmd.value("save").toString());
    } else if (name == QLatin1String("download_image")) {
        m_connector->downloadImg(cmd.value("ip").toString(), cmd.value("md5").toString());
    } else if (name == QLatin1String("hosts")) {
        send(hosts());
    } else {
        qCWarning(lcApp) << Q_FUNC_INFO << __LINE__ << "unknown command" << line.left(200);
    }
}

void CConnectorControl::send(const QJsonObject &obj)
{
    if (m_client)
        m_client->write(QJsonDocument(obj).toJson(QJsonDocument::Compact) + '\n');
}

QJsonObject CConnectorControl::hosts() const
{
    QJsonArray list;
    for (int i = 0; i < m_connector->getHostsCount(); ++i) {
        QJsonArray rows;
        const CCilpboardListModel *model = m_connector->getModel(i);
        for (int r = 0; model && r < model->rowCount(); ++r)
            rows.append(QJsonObject{{"plain", model->getPlain(r)},
                                    {"md5", model->getMd5(r)},
                                    {"type", model->getType(r)}});
        list.append(QJsonObject{{"ip", m_connector->getHostsIP(i)},
                                {"name", m_connector->getHostsName(i)},
                                {"os", m_connector->getHostsOs(i)},
                                {"is_init", m_connector->isInit(i)},
                                {"encrypted", m_connector->isEncrypted(i)},
                                {"code", m_connector->getHostsCode(i)},
                                {"rows", rows}});
    }
    return QJsonObject{{"hosts", list}};
}

void CConnectorControl::forwardSignals()
{
    const auto report = [this](const char *name, const QJsonArray &args) {
        send(QJsonObject{{"signal", QLatin1String(name)}, {"args", args}});
    };
    CConnector *c = m_connector;
    connect(c, &CConnector::sigConnectResult, this, [=](bool ok, const QString &msg) {
        report("sigConnectResult", {ok, msg});
    });
    connect(c, &CConnector::sigUpdateConnection, this, [=] { report("sigUpdateConnection", {}); });
    connect(c, &CConnector::sigConnectionErr, this,
            [=](const QString &ip, const QString &why, bool is_server) {
                report("sigConnectionErr", {ip, why, is_server});
            });
    connect(c, &CConnector::sigStartServerFailed, this,
            [=](const QString &why) { report("sigStartServerFailed", {why}); });
    connect(c, &CConnector::sigFirstLink, this, [=](const QString &ip, const QString &code) {
        report("sigFirstLink", {ip, code});
    });
    connect(c, &CConnector::SigConnectionStopped, this,
            [=](const QString &ip) { report("SigConnectionStopped", {ip}); });
    connect(c, &CConnector::sigHostLinked, this, [=](const QString &ip, const QString &name) {
        report("sigHostLinked", {ip, name});
    });
    connect(c, &CConnector::sigHostLeft, this, [=](const QString &ip, const QString &name) {
        report("sigHostLeft", {ip, name});
    });
    connect(c, &CConnector::sigFileSent, this, [=](const QString &path, const QString &ip) {
        report("sigFileSent", {path, ip});
    });
    connect(c, &CConnector::sigFileDownloaded, this, [=](const QString &path, const QString &ip) {
        report("sigFileDownloaded", {path, ip});
    });
    connect(c, &CConnector::sigFileDownloadErr, this,
            [=](const QString &path, const QString &ip, const QString &why) {
                report("sigFileDownloadErr", {path, ip, why});
            });
}
