#include "os/x11/global_shortcut_x11.h"

#include "os/linux/keysym_table.h"
#include "os/os_logging.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QX11Info>

#include <xcb/xcb.h>

#include <array>

// Xlib last: its macros (None, KeyPress...) clash with Qt names.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {
constexpr unsigned int kComboModifiers = ShiftMask | ControlMask | Mod1Mask | Mod4Mask;
constexpr quint8 kBadAccess = 10;

// The modifier that Num_Lock sets in this keyboard map (usually Mod2), or 0.
unsigned int NumLockMask(Display *dpy)
{
    const KeyCode num_lock = XKeysymToKeycode(dpy, XK_Num_Lock);
    XModifierKeymap *map = XGetModifierMapping(dpy);
    unsigned int mask = 0;
    if (!map)
        return 0;
    for (int modifier = 0; modifier < 8 && num_lock != 0; ++modifier) {
        for (int k = 0; k < map->max_keypermod; ++k) {
            if (map->modifiermap[modifier * map->max_keypermod + k] == num_lock)
                mask = 1u << modifier;
        }
    }
    XFreeModifiermap(map);
    return mask;
}

// The same combination with Caps Lock and Num Lock on or off: the server matches the
// modifier state exactly, so each is grabbed on its own.
std::array<quint16, 4> LockVariants(quint32 modifiers)
{
    const unsigned int num_lock = NumLockMask(QX11Info::display());
    return {quint16(modifiers), quint16(modifiers | LockMask), quint16(modifiers | num_lock),
            quint16(modifiers | LockMask | num_lock)};
}

bool HaveX11()
{
    return QX11Info::isPlatformX11() && QX11Info::connection() && QX11Info::display();
}
} // namespace

quint32 X11GlobalShortcutBackend::nativeKeycode(Qt::Key key)
{
    const unsigned long keysym = KeysymTable::Keysym(key);
    if (keysym == 0 || !HaveX11())
        return 0;
    return XKeysymToKeycode(QX11Info::display(), keysym);
}

quint32 X11GlobalShortcutBackend::nativeModifiers(Qt::KeyboardModifiers modifiers)
{
    return KeysymTable::ModifierMask(modifiers);
}

bool X11GlobalShortcutBackend::registerCombination(quint32 native_key, quint32 native_modifiers,
                                                   const Action &)
{
    if (!HaveX11())
        return false;
    xcb_connection_t *c = QX11Info::connection();
    const auto root = xcb_window_t(QX11Info::appRootWindow());
    const auto variants = LockVariants(native_modifiers);
    std::array<xcb_void_cookie_t, 4> cookies;
    for (size_t i = 0; i < variants.size(); ++i)
        cookies[i] = xcb_grab_key_checked(c, 1, root, variants[i], xcb_keycode_t(native_key),
                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    // Checked requests: a refusal comes back here, not among the events.
    bool ok = true;
    for (const xcb_void_cookie_t &cookie : cookies) {
        if (xcb_generic_error_t *error = xcb_request_check(c, cookie)) {
            if (error->error_code != kBadAccess)
                qCWarning(lcOs) << Q_FUNC_INFO << __LINE__ << "X error" << error->error_code;
            ok = false;
            free(error);
        }
    }
    if (!ok)
        unregisterCombination(native_key, native_modifiers); // the variants that were granted
    return ok;
}

bool X11GlobalShortcutBackend::unregisterCombination(quint32 native_key, quint32 native_modifiers)
{
    if (!HaveX11())
        return false;
    xcb_connection_t *c = QX11Info::connection();
    const auto root = xcb_window_t(QX11Info::appRootWindow());
    bool ok = true;
    for (const quint16 modifiers : LockVariants(native_modifiers)) {
        const xcb_void_cookie_t cookie =
            xcb_ungrab_key_checked(c, xcb_keycode_t(native_key), root, modifiers);
        if (xcb_generic_error_t *error = xcb_request_check(c, cookie)) {
            ok = false;
            free(error);
        }
    }
    return ok;
}

namespace {
QAbstractEventDispatcher *Dispatcher()
{
    return QAbstractEventDispatcher::instance(
        QCoreApplication::instance() ? QCoreApplication::instance()->thread() : nullptr);
}
} // namespace

X11GlobalShortcutBackend::~X11GlobalShortcutBackend()
{
    setPressHandler(nullptr);
}

void X11GlobalShortcutBackend::setPressHandler(PressHandler handler)
{
    const bool was_filtering = bool(m_handler);
    m_handler = std::move(handler);
    QAbstractEventDispatcher *dispatcher = Dispatcher();
    if (!dispatcher || was_filtering == bool(m_handler))
        return;
    if (m_handler)
        dispatcher->installNativeEventFilter(this);
    else
        dispatcher->removeNativeEventFilter(this);
}

bool X11GlobalShortcutBackend::nativeEventFilter(const QByteArray &event_type, void *message,
                                                 long *)
{
    quint32 key = 0, modifiers = 0;
    if (m_handler && DecodeHotKeyPress(event_type, message, &key, &modifiers))
        m_handler(key, modifiers);
    return false; // other filters may want the event too
}

bool X11GlobalShortcutBackend::DecodeHotKeyPress(const QByteArray &event_type, void *message,
                                                 quint32 *native_key, quint32 *native_modifiers)
{
    if (event_type != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & ~0x80) != XCB_KEY_PRESS)
        return false;
    const auto *press = reinterpret_cast<const xcb_key_press_event_t *>(event);
    // Grabbed presses are reported on the grab window, the root; presses in our own
    // windows are ordinary input.
    if (press->event != QX11Info::appRootWindow())
        return false;
    *native_key = press->detail;
    *native_modifiers = press->state & kComboModifiers; // without locks and layout group
    return true;
}
