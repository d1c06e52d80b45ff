#pragma once

#include <QString>

// A short message in the desktop's notification bubble (org.freedesktop.Notifications),
// where the tray balloon of an X11 session would be: what the operating-system layer has to
// tell the user itself, without a window of the program.
namespace DesktopNotice {
// Logged as a warning too, so the message is kept where no notification service runs.
void Show(const QString &text, int timeout_ms);
} // namespace DesktopNotice
