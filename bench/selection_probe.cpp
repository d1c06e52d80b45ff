// selection_probe: an X clipboard owner that reports, from the owner's side, when other
// clients read what it offers, so that clipboard managers can be timed as black boxes.
// bench/compare drives it through stdin, one command a line:
//   text <payload>   offer the payload as text; prints "set <ns>"
//   png <file>       offer the file's bytes as image/png; prints "set <ns>"
//   urls <url>...    offer the space-separated URLs as a file list; prints "set <ns>"
//   quit             (or the end of input) ends the program
// and prints, as they happen:
//   req <ns> <pid> <target>   a selection request for the clipboard; pid is the process of
//                             the requesting X client (0 when the server cannot tell)
//   lost <ns>                 another client took the clipboard
// Times are CLOCK_MONOTONIC nanoseconds. A transfer that has begun goes on after the
// clipboard is lost, as with any X client that still runs.
#include "monotonic_clock.h"
#include "stdin_lines.h"

#include <QAbstractNativeEventFilter>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>
#include <QX11Info>

#include <xcb/res.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {
xcb_atom_t InternAtom(xcb_connection_t *c, const char *name)
{
    auto cookie = xcb_intern_atom(c, 0, uint16_t(qstrlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(c, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

QByteArray AtomName(xcb_connection_t *c, xcb_atom_t atom)
{
    xcb_get_atom_name_reply_t *reply =
        xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atom), nullptr);
    QByteArray name =
        reply ? QByteArray(xcb_get_atom_name_name(reply), xcb_get_atom_name_name_length(reply))
              : QByteArray("?");
    std::free(reply);
    return name;
}

// The process of the client that created `window`, from the X-Resource extension.
uint32_t ClientPid(xcb_connection_t *c, xcb_window_t window)
{
    xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    xcb_res_query_client_ids_reply_t *reply =
        xcb_res_query_client_ids_reply(c, xcb_res_query_client_ids(c, 1, &spec), nullptr);
    uint32_t pid = 0;
    if (reply) {
        for (auto it = xcb_res_query_client_ids_ids_iterator(reply); it.rem;
             xcb_res_client_id_value_next(&it)) {
            if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) &&
                xcb_res_client_id_value_value_length(it.data) == 1)
                pid = *xcb_res_client_id_value_value(it.data);
        }
    }
    std::free(reply);
    return pid;
}

// Sees every X event before Qt does and reports the clipboard's selection requests; Qt
// then answers them as usual.
class RequestReporter : public QAbstractNativeEventFilter
{
public:
    explicit RequestReporter(xcb_connection_t *c)
        : m_connection(c), m_clipboard(InternAtom(c, "CLIPBOARD"))
    {
    }

    bool nativeEventFilter(const QByteArray &type, void *message, long *) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<xcb_generic_event_t *>(message);
        if ((event->response_type & ~0x80) != XCB_SELECTION_REQUEST)
            return false;
        const qint64 now = MonotonicNs();
        const auto *request = reinterpret_cast<const xcb_selection_request_event_t *>(event);
        if (request->selection != m_clipboard)
            return false;
        PrintLine("req " + QByteArray::number(now) + ' ' +
                  QByteArray::number(ClientPid(m_connection, request->requestor)) + ' ' +
                  AtomName(m_connection, request->target));
        return false;
    }

private:
    xcb_connection_t *m_connection;
    xcb_atom_t m_clipboard;
};

void HandleCommand(const QByteArray &line)
{
    if (line == "quit") {
        QCoreApplication::quit();
        return;
    }
    auto mime = std::make_unique<QMimeData>();
    if (line.startsWith("text ")) {
        mime->setText(QString::fromUtf8(line.mid(5)));
    } else if (line.startsWith("png ")) {
        QFile file(QString::fromUtf8(line.mid(4)));
        if (!file.open(QIODevice::ReadOnly)) {
            PrintLine("error cannot read " + line.mid(4));
            return;
        }
        mime->setData(QStringLiteral("image/png"), file.readAll());
    } else if (line.startsWith("urls ")) {
        QList<QUrl> urls;
        for (const QByteArray &url : line.mid(5).split(' '))
            urls << QUrl::fromEncoded(url);
        mime->setUrls(urls);
    } else {
        PrintLine("error unknown command");
        return;
    }
    QGuiApplication::clipboard()->setMimeData(mime.release(), QClipboard::Clipboard);
    PrintLine("set " + QByteArray::number(MonotonicNs()));
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    RequestReporter reporter(QX11Info::connection());
    app.installNativeEventFilter(&reporter);
    QClipboard *cb = QGuiApplication::clipboard();
    QObject::connect(cb, &QClipboard::changed, [cb](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard && !cb->ownsClipboard())
            PrintLine("lost " + QByteArray::number(MonotonicNs()));
    });
    StdinLines input(HandleCommand);
    PrintLine("ready");
    return app.exec();
}
