#pragma once

#include <QByteArray>
#include <QList>

#include <wayland-server-core.h>

#include <atomic>
#include <thread>
#include <vector>

// A Wayland compositor that offers nothing at all (or only what it is told to list): it accepts
// clients and answers their requests for what it offers, in a thread of its own. Tests point a
// program's own connections at it to see the program on a compositor without this or that protocol
// (one without virtual keyboards, as GNOME and Plasma are).
class BareCompositor
{
public:
    // `offered` names globals it lists besides, with no requests (enough for a client that
    // asks what the compositor offers).
    explicit BareCompositor(const QList<QByteArray> &offered = {});
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
    static void OnBind(wl_client *client, void *data, uint32_t version, uint32_t id);
    void serve();

    wl_display *m_display = nullptr;
    QList<QByteArray> m_offeredNames;
    std::vector<wl_interface> m_offered;
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
