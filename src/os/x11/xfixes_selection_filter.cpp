#include "os/x11/xfixes_selection_filter.h"

#include <QCoreApplication>
#include <QX11Info>

#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

namespace {
quint32 InternAtom(xcb_connection_t *conn, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        conn, xcb_intern_atom(conn, 0, quint16(std::strlen(name)), name), nullptr);
    const quint32 atom = reply ? reply->atom : XCB_ATOM_NONE;
    std::free(reply);
    return atom;
}
} // namespace

std::unique_ptr<CXFixesSelectionFilter>
CXFixesSelectionFilter::Create(std::function<void()> on_change)
{
    if (!QX11Info::isPlatformX11() || !QX11Info::connection())
        return nullptr;
    xcb_connection_t *conn = QX11Info::connection();
    const xcb_query_extension_reply_t *ext = xcb_get_extension_data(conn, &xcb_xfixes_id);
    if (!ext || !ext->present)
        return nullptr;
    const quint32 clipboard = InternAtom(conn, "CLIPBOARD");
    if (clipboard == XCB_ATOM_NONE)
        return nullptr;
    std::unique_ptr<CXFixesSelectionFilter> filter(
        new CXFixesSelectionFilter(std::move(on_change), ext->first_event, clipboard));
    QCoreApplication::instance()->installNativeEventFilter(filter.get());
    return filter;
}

CXFixesSelectionFilter::CXFixesSelectionFilter(std::function<void()> on_change, quint8 first_event,
                                               quint32 clipboard)
    : m_onChange(std::move(on_change)), m_firstEvent(first_event), m_clipboard(clipboard)
{
}

CXFixesSelectionFilter::~CXFixesSelectionFilter()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool CXFixesSelectionFilter::nativeEventFilter(const QByteArray &event_type, void *message, long *)
{
    if (event_type != "xcb_generic_event_t")
        return false;
    const auto *ev = static_cast<const xcb_generic_event_t *>(message);
    if ((ev->response_type & 0x7f) != m_firstEvent + XCB_XFIXES_SELECTION_NOTIFY)
        return false;
    const auto *notify = static_cast<const xcb_xfixes_selection_notify_event_t *>(message);
    if (notify->selection == m_clipboard)
        m_onChange();
    return false; // the toolkit keeps its clipboard state up to date from the same event
}
