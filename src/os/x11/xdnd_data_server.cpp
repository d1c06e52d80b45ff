#include "os/x11/xdnd_data_server.h"

#include "os/os_logging.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QHash>
#include <QMimeData>
#include <QPointer>
#include <QX11Info>

#include <xcb/xcb.h>

namespace {
const QString kUriList = QStringLiteral("text/uri-list");
const QString kPlain = QStringLiteral("text/plain");

class CXdndDataServer : public QAbstractNativeEventFilter
{
public:
    explicit CXdndDataServer(xcb_connection_t *c) : m_connection(c)
    {
        m_selection = intern("XdndSelection");
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    void serve(QMimeData *mime) { m_mime = mime; }

    bool nativeEventFilter(const QByteArray &type, void *message, long *) override
    {
        if (!m_mime || type != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        if ((event->response_type & ~0x80) != XCB_SELECTION_REQUEST)
            return false;
        const auto *request = reinterpret_cast<const xcb_selection_request_event_t *>(event);
        if (request->selection != m_selection)
            return false;
        QByteArray data;
        if (!dataFor(request->target, &data))
            return false; // the toolkit's own answer
        // Old requestors leave the property out and mean the target's name.
        const xcb_atom_t property =
            request->property != XCB_ATOM_NONE ? request->property : request->target;
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request->requestor, property,
                            request->target, 8, quint32(data.size()), data.constData());
        xcb_selection_notify_event_t notify = {};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request->time;
        notify.requestor = request->requestor;
        notify.selection = request->selection;
        notify.target = request->target;
        notify.property = property;
        xcb_send_event(m_connection, 0, request->requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char *>(&notify));
        xcb_flush(m_connection);
        return true;
    }

private:
    xcb_atom_t intern(const char *name)
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, quint16(qstrlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return atom;
    }

    QByteArray atomName(xcb_atom_t atom)
    {
        auto known = m_names.constFind(atom);
        if (known != m_names.constEnd())
            return *known;
        xcb_get_atom_name_reply_t *reply =
            xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, atom), nullptr);
        QByteArray name;
        if (reply)
            name = QByteArray(xcb_get_atom_name_name(reply), xcb_get_atom_name_name_length(reply));
        free(reply);
        m_names.insert(atom, name);
        return name;
    }

    bool dataFor(xcb_atom_t target, QByteArray *data)
    {
        const QByteArray name = atomName(target);
        if (name == "text/uri-list" && m_mime->hasFormat(kUriList)) {
            *data = m_mime->data(kUriList);
            return true;
        }
        if (!m_mime->hasFormat(kPlain))
            return false;
        if (name == "UTF8_STRING" || name == "text/plain;charset=utf-8" || name == "text/plain") {
            *data = m_mime->text().toUtf8();
            return true;
        }
        if (name == "STRING") {
            *data = m_mime->text().toLatin1();
            return true;
        }
        return false;
    }

    xcb_connection_t *m_connection;
    xcb_atom_t m_selection = XCB_ATOM_NONE;
    QPointer<QMimeData> m_mime;
    QHash<xcb_atom_t, QByteArray> m_names;
};
} // namespace

namespace XdndDataServer {

void Serve(QMimeData *mime)
{
    if (!QX11Info::isPlatformX11() || !QX11Info::connection())
        return;
    // Lives as long as the process: the filter must outlast every drag.
    static CXdndDataServer *server = new CXdndDataServer(QX11Info::connection());
    server->serve(mime);
}

} // namespace XdndDataServer
