#include "bare_compositor.h"

namespace {
// How long the serving thread may take to notice that it is to stop.
constexpr int kDispatchTimeoutMs = 50;
} // namespace

BareCompositor::BareCompositor() : m_display(wl_display_create())
{
    if (!m_display)
        return;
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

void BareCompositor::serve()
{
    wl_event_loop *loop = wl_display_get_event_loop(m_display);
    while (!m_stop) {
        wl_display_flush_clients(m_display);
        wl_event_loop_dispatch(loop, kDispatchTimeoutMs);
    }
}
