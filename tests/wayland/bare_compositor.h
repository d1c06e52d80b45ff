#pragma once

#include <QByteArray>

#include <wayland-server-core.h>

#include <atomic>
#include <thread>

// A Wayland compositor that offers nothing at all: it accepts clients and answers their
// requests for what it offers, in a thread of its own. Tests point a program's own
// connections at it to see the program on a compositor without this or that protocol (one
// without virtual keyboards, as GNOME and Plasma are).
class BareCompositor
{
public:
    BareCompositor();
    ~BareCompositor();
    BareCompositor(const BareCompositor &) = delete;
    BareCompositor &operator=(const BareCompositor &) = delete;

    // Its socket's name in XDG_RUNTIME_DIR, as WAYLAND_DISPLAY takes it; empty when it could
    // not listen.
    QByteArray socketName() const { return m_socketName; }
    // How many clients have connected so far.
    int clientsConnected() const { return m_clients; }

private:
    static void OnClientCreated(wl_listener *listener, void *client);
    void serve();

    wl_display *m_display = nullptr;
    QByteArray m_socketName;
    struct ClientListener
    {
        wl_listener listener;
        BareCompositor *owner;
    } m_clientListener{};
    std::atomic_int m_clients{0};
    std::atomic_bool m_stop{false};
    std::thread m_thread;
};
