#include "os/wayland/tray_presence.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QX11Info>

#include <xcb/xcb.h>

namespace TrayPresence {

namespace {
bool StatusNotifierHost(const QDBusConnection &bus)
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.kde.StatusNotifierWatcher")
        << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = QDBusConnection(bus).call(get, QDBus::Block, 2000);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

bool XEmbedTray()
{
    if (!QX11Info::isPlatformX11())
        return false;
    xcb_connection_t *c = QX11Info::connection();
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(QX11Info::appScreen());
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 1, uint16_t(name.size()), name.constData()), nullptr);
    if (!atom)
        return false;
    xcb_get_selection_owner_reply_t *owner =
        atom->atom
            ? xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr)
            : nullptr;
    const bool owned = owner && owner->owner != XCB_NONE;
    free(owner);
    free(atom);
    return owned;
}
} // namespace

bool HostPresent(const QDBusConnection &bus)
{
    return StatusNotifierHost(bus) || XEmbedTray();
}

} // namespace TrayPresence
