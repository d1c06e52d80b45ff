#pragma once

#include <QByteArray>

#include <functional>

struct _XDisplay;

// What the X server says about the clipboard, for a display the caller holds open.

// Whether the server offers the XFIXES extension, through which selection owners' changes
// arrive as events (the xcb platform plugin turns them into QClipboard::changed).
bool X11HasXFixes(_XDisplay *dpy);
// The window that owns the CLIPBOARD selection, 0 when nobody does.
quint64 X11ClipboardOwner(_XDisplay *dpy);
// How the clipboard watcher of this program hears of changes: null where the X server of
// the application's display has XFixes (its events report every change), else a probe of
// the clipboard's owner on that display, to be polled.
std::function<quint64()> X11ClipboardOwnerPoll();
// The name of the application's X display, for opening a further connection to it.
QByteArray X11DisplayName();
