#include "bare_compositor.h"

namespace {
// How long the serving thread may take to notice that it is to stop.
constexpr int kDispatchTimeoutMs = 50;
} // namespace

BareCompositor::BareCompositor(const QList<QByteArray> &offered)
    : m_display(wl_display_create()), m_offeredNames(offered)
{
    if (!m_display)
        return;
    // Reserved first: the globals point at these entries.
    m_offered.reserve(size_t(m_offeredNames.size()));
    for (const QByteArray &name : qAsConst(m_offeredNames)) {
        m_offered.push_back(wl_interface{name.constData(), 1, 0, nullptr, 0, nullptr});
        wl_global_create(m_display, &m_offered.back(), 1, &m_offered.back(), &OnBind);
    }
    m_clientListener.owner = this;
    m_clientListener.listener.notify = &BareCompositor::OnClientCreated;
    wl_display_add_client_created_listener(m_display, &m_clientListener.listener);
    if (const char *name = wl_display_add_socket_auto(m_display))
        m_socketName = name;
    m_thread = std::thread([this] { serve(); });
}

BareCompositor::~BareCompositor()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_display)
        wl_display_destroy(m_display);
}

void BareCompositor::OnClientCreated(wl_listener *listener, void *)
{
    ClientListener *entry = wl_container_of(listener, entry, listener);
    ++entry->owner->m_clients;
}

void BareCompositor::OnBind(wl_client *client, void *data, uint32_t version, uint32_t id)
{
    wl_resource_create(client, static_cast<const wl_interface *>(data), int(version), id);
}

void BareCompositor::serve()
{
    wl_event_loop *loop = wl_display_get_event_loop(m_display);
    while (!m_stop) {
        wl_display_flush_clients(m_display);
        wl_event_loop_dispatch(loop, kDispatchTimeoutMs);
    }
}
