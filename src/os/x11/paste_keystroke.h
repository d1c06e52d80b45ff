#pragma once

#include "os/os_abstract.h"

#include <QString>

// The paste keystroke through XTest, aimed at the window that was active when the quick
// paste window opened.
namespace PasteKeystroke {
// Remembers the window the X window manager reports as active (_NET_ACTIVE_WINDOW).
void RememberTarget();
// Waits (at most about 500 ms, serving events) until the remembered window has the input
// focus again, or, when it is gone, any window that is neither ours nor the window
// manager's; then sends the keys the window's class needs (PasteKeysForWindowClass with
// `keys_by_class`), with the clipboard's content also on the primary selection where they
// paste that. Afterwards serves events until the target asks for the selection's content
// (bounded), so that the caller knows whether the paste was read.
PasteOutcome Send(const QString &keys_by_class);
} // namespace PasteKeystroke
