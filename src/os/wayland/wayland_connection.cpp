#include "os/wayland/wayland_connection.h"

#include "os/os_logging.h"

#include <wayland-client.h>

QByteArray WaylandConnection::dataControlInterface()
{
    // The watcher (KSystemClipboard of KDE Frameworks 5) speaks the wlroots protocol only;
    // its successor ext_data_control_manager_v1 would not help it.
    return QByteArrayLiteral("zwlr_data_control_manager_v1");
}

std::unique_ptr<WaylandConnection> WaylandConnection::Open()
{
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        qCWarning(lcOs) << "WaylandConnection::Open"
                        << "no compositor answers";
        return nullptr;
    }
    std::unique_ptr<WaylandConnection> connection(new WaylandConnection);
    connection->m_display = display;
    connection->m_registry = wl_display_get_registry(display);
    static const wl_registry_listener kListener = {&WaylandConnection::OnGlobal,
                                                   &WaylandConnection::OnGlobalRemove};
    wl_registry_add_listener(connection->m_registry, &kListener, connection.get());
    if (!connection->roundtrip())
        return nullptr;
    return connection;
}

WaylandConnection::~WaylandConnection()
{
    if (m_registry)
        wl_registry_destroy(m_registry);
    if (m_display)
        wl_display_disconnect(m_display);
}

void WaylandConnection::OnGlobal(void *data, wl_registry *, uint32_t name, const char *interface,
                                 uint32_t)
{
    static_cast<WaylandConnection *>(data)->m_globals.insert(QByteArray(interface), name);
}

void WaylandConnection::OnGlobalRemove(void *data, wl_registry *, uint32_t name)
{
    auto *self = static_cast<WaylandConnection *>(data);
    const QByteArray interface = self->m_globals.key(name);
    if (!interface.isEmpty())
        self->m_globals.remove(interface);
}

void *WaylandConnection::bind(const QByteArray &interface, const wl_interface *type)
{
    if (!m_globals.contains(interface))
        return nullptr;
    return wl_registry_bind(m_registry, m_globals.value(interface), type, 1);
}

bool WaylandConnection::roundtrip()
{
    if (wl_display_roundtrip(m_display) >= 0)
        return true;
    qCWarning(lcOs) << "WaylandConnection::roundtrip"
                    << "the compositor closed the connection" << wl_display_get_error(m_display);
    return false;
}
