#pragma once

#include <QStringList>

struct xcb_connection_t;

// Names of the program behind a selection owner window, for telling which application put
// something on the clipboard: the WM_CLASS instance and class of the owner, or of the
// client window it belongs to (owners are often unmapped helper windows without a class;
// their WM_CLIENT_LEADER, else their top-level ancestor, carries it), then the executable's
// base name of the owning process as the X-Resource extension reports its id. Empty when
// nothing is known (no owner, a remote client, a server without X-Resource).
namespace SelectionOwnerClass {
QStringList Names(xcb_connection_t *conn, quint32 owner_window);
} // namespace SelectionOwnerClass
