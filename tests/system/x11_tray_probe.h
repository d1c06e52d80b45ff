#pragma once

#include <QRect>

// What the X server tells about system trays, for tests that dock an icon.
namespace X11TrayProbe {
// Whether a tray manager owns the system tray selection of the default screen.
bool TrayManagerRunning();
// A window of app_pid inside a window of tray_pid: the docked icon; 0 when there is none.
quint64 FindDockedWindow(qint64 tray_pid, qint64 app_pid);
// Whether a window of app_pid that is a popup menu is mapped.
bool PopupMenuShown(qint64 app_pid);
// A window's rectangle in root-window coordinates; null when it is gone.
QRect RootGeometry(quint64 window);
} // namespace X11TrayProbe
