#pragma once

#include <QRect>

class QScreen;

// The window the X window manager reports as active (_NET_ACTIVE_WINDOW), as a rectangle
// in root-window device pixels; null when there is none, it is gone, or this is not X11.
QRect X11ActiveWindowGeometry();
// The screen that shows the centre of the active window; the primary screen when there is
// no active window or no screen contains it.
QScreen *X11ActiveWindowScreen();
