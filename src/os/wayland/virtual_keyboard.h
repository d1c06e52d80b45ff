#pragma once

#include <memory>

class WaylandConnection;
struct zwp_virtual_keyboard_v1;

// A keyboard of our own on the compositor's seat (the virtual keyboard protocol of wlroots
// compositors), which types into whatever window has the keyboard focus.
class VirtualKeyboard
{
public:
    // Null when the compositor offers no virtual keyboards or refuses us one.
    static std::unique_ptr<VirtualKeyboard> Create();
    ~VirtualKeyboard();
    VirtualKeyboard(const VirtualKeyboard &) = delete;
    VirtualKeyboard &operator=(const VirtualKeyboard &) = delete;

    // Ctrl+V: Control down, V down and up, Control up. False when the compositor did not take
    // the keys (the connection broke); this keyboard is of no use then.
    bool sendPaste();

private:
    VirtualKeyboard() = default;
    void key(unsigned int evdev_code, bool pressed);

    std::unique_ptr<WaylandConnection> m_connection;
    zwp_virtual_keyboard_v1 *m_keyboard = nullptr;
    unsigned int m_controlMask = 0;
};
