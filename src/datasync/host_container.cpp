#include "datasync/host_container.h"

#include "clipboard/clipboard_list_model.h"
#include "datasync/datasync_logging.h"
#include "datasync/peer_link.h"

#include <algorithm>
#include <utility>

HostContainer::~HostContainer()
{
    clear();
}

HostInfo *HostContainer::add(CPeerLink *socket, CCilpboardListModel *model, const QString &pwd,
                             bool from_server)
{
    auto *host = new HostInfo;
    host->ip = socket->peerAddress();
    host->pwd = pwd;
    host->from_server = from_server;
    host->model = model;
    host->socket = socket;
    model->setLocal(false);
    model->setIp(host->ip);
    m_hosts.append(host);
    return host;
}

void HostContainer::remove(CPeerLink *socket)
{
    HostInfo *host = getHost(socket);
    if (!host)
        return;
    m_hosts.removeOne(host);
    release(host);
}

void HostContainer::clear()
{
    const QVector<HostInfo *> hosts = std::exchange(m_hosts, {});
    for (HostInfo *host : hosts)
        release(host);
}

void HostContainer::release(HostInfo *host)
{
    host->model->clearRows();
    host->model->deleteLater();
    host->socket->deleteLater();
    delete host;
}

int HostContainer::count() const
{
    return int(std::count_if(m_hosts.begin(), m_hosts.end(),
                             [](const HostInfo *host) { return host->isLinked(); }));
}

HostInfo *HostContainer::at(int index) const
{
    for (HostInfo *host : m_hosts) {
        if (host->isLinked() && index-- == 0)
            return host;
    }
    return nullptr;
}

HostInfo *HostContainer::oldestPending() const
{
    const auto it = std::find_if(m_hosts.begin(), m_hosts.end(),
                                 [](const HostInfo *host) { return !host->isLinked(); });
    return it == m_hosts.end() ? nullptr : *it;
}

HostInfo *HostContainer::findHost(const QString &ip) const
{
    for (HostInfo *host : m_hosts) {
        if (host->isLinked() && host->ip == ip)
            return host;
    }
    return nullptr;
}

HostInfo *HostContainer::findHost(const CPeerLink *socket) const
{
    for (HostInfo *host : m_hosts) {
        if (host->socket == socket)
            return host;
    }
    return nullptr;
}

HostInfo *HostContainer::getHost(const QString &ip) const
{
    HostInfo *host = findHost(ip);
    if (!host)
        qCWarning(lcDataSync) << "HostContainer::getHost"
                              << "no host with address" << ip;
    return host;
}

HostInfo *HostContainer::getHost(const CPeerLink *socket) const
{
    HostInfo *host = findHost(socket);
    if (!host)
        qCWarning(lcDataSync) << "HostContainer::getHost"
                              << "no host with socket" << socket;
    return host;
}
