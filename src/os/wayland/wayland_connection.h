#pragma once

#include <QByteArray>
#include <QHash>

#include <memory>

struct wl_display;
struct wl_registry;

// A connection of our own to the compositor, beside the toolkit's: it asks which protocols
// the compositor offers and carries the virtual keyboard, without touching the toolkit's
// event queue. Single-threaded: the interface thread only.
class WaylandConnection
{
public:
    // Null when no compositor answers (WAYLAND_DISPLAY unset or wrong).
    static std::unique_ptr<WaylandConnection> Open();
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection &) = delete;
    WaylandConnection &operator=(const WaylandConnection &) = delete;

    bool offers(const QByteArray &interface) const { return m_globals.contains(interface); }
    // Whether the compositor lets programs follow the clipboard without the focus, through
    // the protocol the clipboard watcher speaks.
    bool offersDataControl() const { return offers(dataControlInterface()); }
    static QByteArray dataControlInterface();
    // Binds the global of that interface (version 1), or null when not offered.
    void *bind(const QByteArray &interface, const struct wl_interface *type);
    // Sends what is queued and waits until the compositor has handled it; false when the
    // connection broke (the compositor rejected a request, say).
    bool roundtrip();
    wl_display *display() const { return m_display; }

private:
    WaylandConnection() = default;
    static void OnGlobal(void *data, wl_registry *registry, uint32_t name, const char *interface,
                         uint32_t version);
    static void OnGlobalRemove(void *data, wl_registry *registry, uint32_t name);

    wl_display *m_display = nullptr;
    wl_registry *m_registry = nullptr;
    QHash<QByteArray, uint32_t> m_globals; // interface name to global name
};
