#pragma once

#include <QDBusConnection>

// Whether the desktop shows tray icons at all: a StatusNotifierItem host registered with the
// watcher on the session bus, or (on X11) an XEmbed system tray. Stock GNOME has neither.
namespace TrayPresence {
bool HostPresent(const QDBusConnection &bus);
} // namespace TrayPresence
