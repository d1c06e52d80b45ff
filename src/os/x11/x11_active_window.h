#pragma once

#include <QRect>

class QScreen;

// The window the X window manager reports as active (_NET_ACTIVE_WINDOW), as a rectangle
// in root-window device pixels; null when there is none, it is gone, or this is not X11.
QRect X11ActiveWindowGeometry();
// That window's id; 0 when there is none (a desktop that runs X11 programs beside others, as
// XWayland does, reports none while another program has the focus) or this is not X11.
unsigned long X11ActiveWindowId();
// The screen that shows the centre of the active window; the primary screen when there is
// no active window or no screen contains it.
QScreen *X11ActiveWindowScreen();
