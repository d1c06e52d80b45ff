#include "os/x11/paste_keystroke.h"

#include "os/linux/keysym_table.h"
#include "os/os_logging.h"
#include "os/paste_keys.h"

#include <QAbstractNativeEventFilter>
#include <QClipboard>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTimer>
#include <QWindow>
#include <QX11Info>

#include <xcb/xcb.h>

#include <vector>

// Xlib last: its macros (None, Bool, KeyPress...) clash with Qt names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {
// The window manager hands the focus back some time after ours hides; when it never
// reaches a suitable window, the keystroke goes out after this anyway.
constexpr int kFocusReturnMs = 500;
constexpr int kFocusPollMs = 2;
// How long the target gets to ask for the content after the keystroke, and how long it is
// still served after it first asked (a second format, the rest of a large transfer).
constexpr int kReadWaitMs = 500;
constexpr int kAfterReadMs = 50;
// Depth bound for walking up the window tree.
constexpr int kMaxDepth = 32;

xcb_window_t g_target = XCB_WINDOW_NONE;

xcb_atom_t Atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, quint16(qstrlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return atom;
}

QByteArray Property(xcb_connection_t *c, xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                    quint32 max_words)
{
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, type, 0, max_words), nullptr);
    QByteArray value;
    if (reply && reply->type == type && reply->format > 0)
        value = QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply)); // in bytes
    free(reply);
    return value;
}

xcb_window_t WindowProperty(xcb_connection_t *c, xcb_window_t window, const char *name)
{
    const QByteArray value = Property(c, window, Atom(c, name), XCB_ATOM_WINDOW, 1);
    if (value.size() != sizeof(xcb_window_t))
        return XCB_WINDOW_NONE;
    xcb_window_t result;
    memcpy(&result, value.constData(), sizeof result);
    return result;
}

// The window and its ancestors up to (not including) the root; empty when it is gone.
std::vector<xcb_window_t> Chain(xcb_connection_t *c, xcb_window_t window)
{
    std::vector<xcb_window_t> chain;
    for (int depth = 0; depth < kMaxDepth && window != XCB_WINDOW_NONE; ++depth) {
        xcb_query_tree_reply_t *reply = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
        if (!reply)
            return {};
        const bool top = reply->parent == XCB_WINDOW_NONE || window == reply->root;
        if (!top)
            chain.push_back(window);
        window = top ? xcb_window_t(XCB_WINDOW_NONE) : reply->parent;
        free(reply);
    }
    return chain;
}

bool IsOurs(xcb_window_t window)
{
    const QWindowList windows = QGuiApplication::allWindows();
    for (const QWindow *w : windows) {
        if (w->handle() && xcb_window_t(w->winId()) == window)
            return true;
    }
    return false;
}

xcb_window_t FocusedWindow(xcb_connection_t *c)
{
    xcb_get_input_focus_reply_t *reply =
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    const xcb_window_t focus = reply ? reply->focus : xcb_window_t(XCB_WINDOW_NONE);
    free(reply);
    return focus;
}

// Instance and class names of the nearest window on the way up from `window` that has
// them (an application's own window); false when none has (a manager's frame or helper).
bool WindowClass(xcb_connection_t *c, const std::vector<xcb_window_t> &chain, QString *instance,
                 QString *klass)
{
    for (const xcb_window_t w : chain) {
        const QByteArray value = Property(c, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 64);
        if (value.isEmpty())
            continue;
        const QList<QByteArray> parts = value.split('\0');
        *instance = QString::fromLocal8Bit(parts.value(0));
        *klass = QString::fromLocal8Bit(parts.value(1));
        return true;
    }
    return false;
}

// Whether the focus is where the keys should go, and the class of the window there.
struct FocusState
{
    bool ready = false;
    QString instance, klass;
};

FocusState CheckFocus(xcb_connection_t *c, xcb_window_t wm_helper)
{
    FocusState state;
    const xcb_window_t focus = FocusedWindow(c);
    // No window, PointerRoot: the server dropped the focus and the manager is yet to give
    // it on.
    if (focus == XCB_WINDOW_NONE || focus == XCB_INPUT_FOCUS_POINTER_ROOT)
        return state;
    const std::vector<xcb_window_t> chain = Chain(c, focus);
    if (chain.empty())
        return state; // the root itself, or gone meanwhile
    if (g_target != XCB_WINDOW_NONE && !Chain(c, g_target).empty()) {
        for (const xcb_window_t w : chain) {
            if (w == g_target) {
                state.ready = true;
                WindowClass(c, Chain(c, g_target), &state.instance, &state.klass);
            }
        }
        return state;
    }
    // The target is gone (or was never known): any application's window but ours. The
    // manager's helper window, or a frame, may hold the focus while the manager moves it on.
    for (const xcb_window_t w : chain) {
        if (w == wm_helper || IsOurs(w))
            return state;
    }
    state.ready = WindowClass(c, chain, &state.instance, &state.klass);
    return state;
}

void Serve(int msecs)
{
    QEventLoop loop;
    QTimer::singleShot(msecs, &loop, &QEventLoop::quit);
    loop.exec();
}

// Notes when another client asks this process for the clipboard's or the primary
// selection's content (not merely for the list of formats).
class CSelectionReadWatch : public QAbstractNativeEventFilter
{
public:
    explicit CSelectionReadWatch(xcb_connection_t *c)
        : m_clipboard(Atom(c, "CLIPBOARD")), m_targets(Atom(c, "TARGETS")),
          m_timestamp(Atom(c, "TIMESTAMP"))
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~CSelectionReadWatch() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
    bool nativeEventFilter(const QByteArray &type, void *message, long *) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        if ((event->response_type & ~0x80) != XCB_SELECTION_REQUEST)
            return false;
        const auto *request = reinterpret_cast<const xcb_selection_request_event_t *>(event);
        if ((request->selection == m_clipboard || request->selection == XCB_ATOM_PRIMARY) &&
            request->target != m_targets && request->target != m_timestamp)
            m_read = true;
        return false;
    }
    bool read() const { return m_read; }

private:
    xcb_atom_t m_clipboard, m_targets, m_timestamp;
    bool m_read = false;
};

// The xterm family pastes the primary selection: it gets the clipboard's content too.
void CopyClipboardToPrimary()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    auto *copy = new QMimeData;
    if (clipboard->ownsClipboard()) {
        const QMimeData *own = clipboard->mimeData(QClipboard::Clipboard);
        if (own) {
            for (const QString &format : own->formats())
                copy->setData(format, own->data(format));
            if (own->hasImage())
                copy->setImageData(own->imageData());
        }
    } else {
        copy->setText(clipboard->text(QClipboard::Clipboard));
    }
    clipboard->setMimeData(copy, QClipboard::Selection);
}

QVector<KeySym> KeysymsOf(const PasteKeys &keys)
{
    QVector<KeySym> syms;
    if (keys.modifiers & Qt::ControlModifier)
        syms << XK_Control_L;
    if (keys.modifiers & Qt::ShiftModifier)
        syms << XK_Shift_L;
    if (keys.modifiers & Qt::AltModifier)
        syms << XK_Alt_L;
    if (keys.modifiers & Qt::MetaModifier)
        syms << XK_Super_L;
    syms << KeysymTable::Keysym(keys.key);
    return syms;
}
} // namespace

namespace PasteKeystroke {

void RememberTarget()
{
    if (!QX11Info::isPlatformX11() || !QX11Info::connection())
        return;
    xcb_connection_t *c = QX11Info::connection();
    g_target = WindowProperty(c, xcb_window_t(QX11Info::appRootWindow()), "_NET_ACTIVE_WINDOW");
    // A hidden window of ours that the manager still names is no target.
    const QWindowList windows = QGuiApplication::allWindows();
    for (const QWindow *w : windows) {
        if (w->handle() && xcb_window_t(w->winId()) == g_target && !w->isVisible())
            g_target = XCB_WINDOW_NONE;
    }
    qCDebug(lcOs) << "paste target" << Qt::hex << g_target;
}

PasteOutcome Send(const QString &keys_by_class)
{
    if (!QX11Info::isPlatformX11()) {
        qCWarning(lcOs) << Q_FUNC_INFO << __LINE__ << "needs X11, platform is"
                        << QGuiApplication::platformName();
        return PasteOutcome::Sent;
    }
    Display *dpy = QX11Info::display();
    xcb_connection_t *c = QX11Info::connection();
    int event_base, error_base, major, minor;
    if (!dpy || !c || !XTestQueryExtension(dpy, &event_base, &error_base, &major, &minor)) {
        qCWarning(lcOs) << Q_FUNC_INFO << __LINE__ << "the X server lacks XTEST";
        return PasteOutcome::Sent;
    }
    const xcb_window_t wm_helper =
        WindowProperty(c, xcb_window_t(QX11Info::appRootWindow()), "_NET_SUPPORTING_WM_CHECK");
    QElapsedTimer waited;
    waited.start();
    FocusState focus = CheckFocus(c, wm_helper);
    QDeadlineTimer deadline(kFocusReturnMs);
    while (!focus.ready && !deadline.hasExpired()) {
        Serve(kFocusPollMs);
        focus = CheckFocus(c, wm_helper);
    }
    const PasteKeys keys = PasteKeysForWindowClass(focus.instance, focus.klass, keys_by_class);
    qCDebug(lcOs) << "paste into" << focus.instance << focus.klass << "focus ready" << focus.ready
                  << "after" << waited.elapsed() << "ms; keys" << keys.key << keys.modifiers;

    QVector<KeyCode> codes;
    for (const KeySym sym : KeysymsOf(keys)) {
        const KeyCode code = XKeysymToKeycode(dpy, sym);
        if (code == 0) {
            qCWarning(lcOs) << Q_FUNC_INFO << __LINE__ << "no key code for keysym" << sym;
            return PasteOutcome::Sent;
        }
        codes << code;
    }
    if (keys.readsPrimary())
        CopyClipboardToPrimary();

    CSelectionReadWatch watch(c);
    for (const KeyCode code : qAsConst(codes))
        XTestFakeKeyEvent(dpy, code, True, CurrentTime);
    for (int i = codes.size() - 1; i >= 0; --i)
        XTestFakeKeyEvent(dpy, codes.at(i), False, CurrentTime);
    XFlush(dpy);

    // Keep serving events meanwhile: the target asks this process for the content.
    QDeadlineTimer read_deadline(kReadWaitMs);
    while (!watch.read() && !read_deadline.hasExpired())
        Serve(kFocusPollMs);
    if (!watch.read()) {
        qCDebug(lcOs) << "paste not read";
        return PasteOutcome::Sent;
    }
    qCDebug(lcOs) << "paste read";
    Serve(kAfterReadMs);
    return PasteOutcome::Read;
}

} // namespace PasteKeystroke
