#include "os/x11/selection_owner_class.h"

#include <QFile>
#include <QFileInfo>

#include <xcb/res.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {
// Walking up stops here: a window tree deeper than this is not a real program's.
constexpr int kMaxAncestors = 16;

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t Atom(xcb_connection_t *conn, const char *name)
{
    Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(
        conn, xcb_intern_atom(conn, 1, uint16_t(qstrlen(name)), name), nullptr));
    return r ? r->atom : XCB_ATOM_NONE;
}

// WM_CLASS holds two NUL-terminated strings: instance, then class.
QStringList WmClass(xcb_connection_t *conn, xcb_window_t w)
{
    Reply<xcb_get_property_reply_t> r(xcb_get_property_reply(
        conn, xcb_get_property(conn, 0, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256), nullptr));
    if (!r || r->format != 8)
        return {};
    const QByteArray raw(static_cast<const char *>(xcb_get_property_value(r.get())),
                         xcb_get_property_value_length(r.get()));
    QStringList out;
    for (const QByteArray &part : raw.split('\0')) {
        if (!part.isEmpty())
            out << QString::fromLocal8Bit(part);
    }
    return out;
}

xcb_window_t WindowProperty(xcb_connection_t *conn, xcb_window_t w, xcb_atom_t property)
{
    if (property == XCB_ATOM_NONE)
        return XCB_WINDOW_NONE;
    Reply<xcb_get_property_reply_t> r(xcb_get_property_reply(
        conn, xcb_get_property(conn, 0, w, property, XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) < 4)
        return XCB_WINDOW_NONE;
    return *static_cast<const xcb_window_t *>(xcb_get_property_value(r.get()));
}

QStringList ClassOfClient(xcb_connection_t *conn, xcb_window_t owner)
{
    QStringList names = WmClass(conn, owner);
    if (!names.isEmpty())
        return names;
    const xcb_window_t leader = WindowProperty(conn, owner, Atom(conn, "WM_CLIENT_LEADER"));
    if (leader != XCB_WINDOW_NONE && leader != owner) {
        names = WmClass(conn, leader);
        if (!names.isEmpty())
            return names;
    }
    // A child of a client window: the class sits on the top-level one.
    xcb_window_t w = owner;
    for (int depth = 0; depth < kMaxAncestors; ++depth) {
        Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(conn, xcb_query_tree(conn, w), nullptr));
        if (!tree || tree->parent == XCB_WINDOW_NONE || tree->parent == tree->root)
            break;
        w = tree->parent;
        names = WmClass(conn, w);
        if (!names.isEmpty())
            return names;
    }
    return {};
}

// The process id the server knows for the client that created the window (local clients
// only), through X-Resource 1.2.
quint32 OwnerPid(xcb_connection_t *conn, xcb_window_t owner)
{
    const xcb_query_extension_reply_t *ext = xcb_get_extension_data(conn, &xcb_res_id);
    if (!ext || !ext->present)
        return 0;
    xcb_res_client_id_spec_t spec;
    spec.client = owner;
    spec.mask = XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID;
    Reply<xcb_res_query_client_ids_reply_t> r(
        xcb_res_query_client_ids_reply(conn, xcb_res_query_client_ids(conn, 1, &spec), nullptr));
    if (!r)
        return 0;
    for (xcb_res_client_id_value_iterator_t it = xcb_res_query_client_ids_ids_iterator(r.get());
         it.rem > 0; xcb_res_client_id_value_next(&it)) {
        if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) &&
            xcb_res_client_id_value_value_length(it.data) >= 1)
            return *xcb_res_client_id_value_value(it.data);
    }
    return 0;
}

// The executable's base name; the short command name when the link cannot be read.
QString ProcessName(quint32 pid)
{
    const QString proc = QStringLiteral("/proc/%1/").arg(pid);
    const QString exe = QFileInfo(proc + QStringLiteral("exe")).symLinkTarget();
    if (!exe.isEmpty())
        return QFileInfo(exe).fileName();
    QFile comm(proc + QStringLiteral("comm"));
    if (comm.open(QIODevice::ReadOnly))
        return QString::fromLocal8Bit(comm.readLine(256).trimmed());
    return {};
}
} // namespace

QStringList SelectionOwnerClass::Names(xcb_connection_t *conn, quint32 owner_window)
{
    if (!conn || owner_window == XCB_WINDOW_NONE)
        return {};
    QStringList names = ClassOfClient(conn, owner_window);
    if (const quint32 pid = OwnerPid(conn, owner_window)) {
        const QString process = ProcessName(pid);
        if (!process.isEmpty())
            names << process;
    }
    return names;
}
