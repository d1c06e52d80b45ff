#pragma once

#include "os/wayland/remote_desktop_keyboard.h"

#include <memory>

class VirtualKeyboard;

// Ctrl+V for the window that has the keyboard focus, on a Wayland compositor: through a
// virtual keyboard where the compositor offers one, else through the portal's remote
// desktop keyboard; where neither works, the user is told to press Ctrl+V.
class WaylandPasteKeystroke
{
public:
    WaylandPasteKeystroke();
    ~WaylandPasteKeystroke();

    // True when the keys went out; then waits 150 ms, serving events, for the target to
    // read the clipboard.
    bool send();

private:
    bool sendThroughVirtualKeyboard();

    std::unique_ptr<VirtualKeyboard> m_virtualKeyboard;
    bool m_virtualKeyboardOffered = true; // until the compositor shows otherwise
    RemoteDesktopKeyboard m_remoteDesktop;
};
