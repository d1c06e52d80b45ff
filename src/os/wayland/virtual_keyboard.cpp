#include "os/wayland/virtual_keyboard.h"

#include "os/os_logging.h"
#include "os/wayland/wayland_connection.h"

#include "os/wayland/virtual-keyboard-unstable-v1-client-protocol.h"

#include <QElapsedTimer>

#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

namespace {
constexpr char kManager[] = "zwp_virtual_keyboard_manager_v1";

// The key codes below are those of this keymap, whatever layout the user types with: the
// compositor hands our keymap to the focused window together with our keys.
struct KeymapText
{
    QByteArray text; // with its terminating NUL, as the protocol wants it
    unsigned int control_mask = 0;
};

KeymapText UsKeymap()
{
    KeymapText out;
    xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    if (!context)
        return out;
    const xkb_rule_names names = {"evdev", "pc105", "us", "", ""};
    if (xkb_keymap *keymap =
            xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS)) {
        if (char *text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1)) {
            out.text = QByteArray(text, int(qstrlen(text)) + 1);
            free(text);
        }
        const xkb_mod_index_t control = xkb_keymap_mod_get_index(keymap, XKB_MOD_NAME_CTRL);
        if (control != XKB_MOD_INVALID)
            out.control_mask = 1u << control;
        xkb_keymap_unref(keymap);
    }
    xkb_context_unref(context);
    return out;
}

// The compositor maps the keymap from a file; an anonymous one suffices.
int KeymapFile(const QByteArray &text)
{
    const int fd = memfd_create("tolvane-keymap", MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    qint64 written = 0;
    while (written < text.size()) {
        const ssize_t n = write(fd, text.constData() + written, size_t(text.size() - written));
        if (n <= 0) {
            close(fd);
            return -1;
        }
        written += n;
    }
    return fd;
}

quint32 Milliseconds()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return quint32(clock.elapsed());
}
} // namespace

std::unique_ptr<VirtualKeyboard> VirtualKeyboard::Create()
{
    std::unique_ptr<WaylandConnection> connection = WaylandConnection::Open();
    if (!connection || !connection->offers(kManager))
        return nullptr;
    auto *manager = static_cast<zwp_virtual_keyboard_manager_v1 *>(
        connection->bind(kManager, &zwp_virtual_keyboard_manager_v1_interface));
    auto *seat = static_cast<wl_seat *>(connection->bind("wl_seat", &wl_seat_interface));
    if (!manager || !seat) {
        qCWarning(lcOs) << "VirtualKeyboard::Create"
                        << "no seat to type on";
        return nullptr;
    }
    const KeymapText keymap = UsKeymap();
    const int fd = keymap.text.isEmpty() ? -1 : KeymapFile(keymap.text);
    if (fd < 0 || keymap.control_mask == 0) {
        qCWarning(lcOs) << "VirtualKeyboard::Create"
                        << "cannot build a keymap";
        if (fd >= 0)
            close(fd);
        return nullptr;
    }
    std::unique_ptr<VirtualKeyboard> keyboard(new VirtualKeyboard);
    keyboard->m_keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager, seat);
    zwp_virtual_keyboard_v1_keymap(keyboard->m_keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                   uint32_t(keymap.text.size()));
    close(fd);
    keyboard->m_controlMask = keymap.control_mask;
    // The seat and the manager are needed only to create the keyboard.
    zwp_virtual_keyboard_manager_v1_destroy(manager);
    wl_seat_destroy(seat);
    // A compositor that refuses us the keyboard ends the connection here.
    if (!connection->roundtrip())
        return nullptr;
    keyboard->m_connection = std::move(connection);
    return keyboard;
}

VirtualKeyboard::~VirtualKeyboard()
{
    if (m_keyboard)
        zwp_virtual_keyboard_v1_destroy(m_keyboard);
    if (m_connection)
        wl_display_flush(m_connection->display());
}

void VirtualKeyboard::key(unsigned int evdev_code, bool pressed)
{
    zwp_virtual_keyboard_v1_key(m_keyboard, Milliseconds(), evdev_code,
                                pressed ? WL_KEYBOARD_KEY_STATE_PRESSED
                                        : WL_KEYBOARD_KEY_STATE_RELEASED);
}

bool VirtualKeyboard::sendPaste()
{
    key(KEY_LEFTCTRL, true);
    zwp_virtual_keyboard_v1_modifiers(m_keyboard, m_controlMask, 0, 0, 0);
    key(KEY_V, true);
    key(KEY_V, false);
    key(KEY_LEFTCTRL, false);
    zwp_virtual_keyboard_v1_modifiers(m_keyboard, 0, 0, 0, 0);
    return m_connection->roundtrip();
}
