#pragma once

#include <QRect>

// The window the X window manager reports as active (_NET_ACTIVE_WINDOW), as a rectangle
// in root-window device pixels; null when there is none, it is gone, or this is not X11.
QRect X11ActiveWindowGeometry();
