#include "os/x11/x11_selection_reader.h"

#include "os/os_logging.h"

#include <QHash>

#include <chrono>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {
using Clock = std::chrono::steady_clock;

enum class Outcome
{
    Ok,
    Refused,   // the owner said it cannot give the target
    TimedOut,  // no answer, or an INCR transfer that stopped
    WrongType, // an answer of a type or format the target cannot have
    TooLarge,
    Abandoned, // a newer read was asked for, or the reader is stopping
    Broken     // the connection to the X server is gone
};

const char *OutcomeName(Outcome o)
{
    switch (o) {
    case Outcome::Ok:
        return "ok";
    case Outcome::Refused:
        return "refused";
    case Outcome::TimedOut:
        return "no answer in time";
    case Outcome::WrongType:
        return "answer of the wrong type";
    case Outcome::TooLarge:
        return "too large";
    case Outcome::Abandoned:
        return "abandoned";
    case Outcome::Broken:
        return "display connection lost";
    }
    return "?";
}

// Text targets, best first: what the owner answers them with decides the decoding.
const char *const kTextTargets[] = {"UTF8_STRING", "text/plain;charset=utf-8", "text/plain",
                                    "STRING", "TEXT"};
const char *const kUtf8Types[] = {"UTF8_STRING", "text/plain;charset=utf-8", "text/plain"};
// Property types that hold numbers or resources, never bytes of a document.
const char *const kNonByteTypes[] = {"ATOM",   "INTEGER", "CARDINAL", "WINDOW",
                                     "PIXMAP", "BITMAP",  "DRAWABLE", "ATOM_PAIR"};
const char kSecretHint[] = "x-kde-passwordManagerHint";

QByteArray WithoutTrailingNul(QByteArray bytes)
{
    if (bytes.endsWith('\0'))
        bytes.chop(1);
    return bytes;
}

QString DecodeHtml(const QByteArray &raw)
{
    const QByteArray bytes = WithoutTrailingNul(raw);
    // Some programs serve HTML as UTF-16 with a byte order mark.
    if (bytes.size() >= 2 && ((uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xFE) ||
                              (uchar(bytes[0]) == 0xFE && uchar(bytes[1]) == 0xFF))) {
        QVector<ushort> units(bytes.size() / 2);
        std::memcpy(units.data(), bytes.constData(), size_t(units.size()) * 2);
        return QString::fromUtf16(units.constData(), units.size());
    }
    return QString::fromUtf8(bytes);
}

struct Answer
{
    QByteArray bytes;
    xcb_atom_t type = XCB_ATOM_NONE;
    int format = 0;
};
} // namespace

struct X11SelectionReader::Private
{
    xcb_connection_t *conn = nullptr;
    xcb_window_t root = 0;
    xcb_atom_t selection = XCB_ATOM_NONE;
    xcb_atom_t property = XCB_ATOM_NONE;
    QStringList imageTypes;
    Done done;
    int wakeRead = -1;
    int wakeWrite = -1;
    std::atomic<quint64> wanted{0}; // the read asked for; 0: none
    std::atomic<bool> quit{false};

    // Reader thread only.
    quint64 current = 0;
    xcb_window_t window = 0;
    QHash<xcb_atom_t, QByteArray> names;
    QHash<QByteArray, xcb_atom_t> atoms;

    ~Private();
    void run();
    void readSelection(quint64 serial);
    Outcome fetch(const QByteArray &target, Answer *answer);
    Outcome fetchIncr(Answer *answer);
    Outcome fetchBytes(const QByteArray &target, Answer *answer, SelectionContents &out);
    void note(const QByteArray &target, Outcome o, const Answer &a, SelectionContents &out);
    Outcome fetchText(const QList<QByteArray> &offered, SelectionContents &out);
    xcb_generic_event_t *nextEvent(Clock::time_point deadline, Outcome *why);
    bool abandoned() const { return quit.load() || wanted.load() != current; }
    void drainWake();
    xcb_atom_t atom(const QByteArray &name);
    QList<QByteArray> atomNames(const xcb_atom_t *list, int count);
    bool isOneOf(xcb_atom_t type, const char *const *list, size_t n);
};

X11SelectionReader::Private::~Private()
{
    if (conn)
        xcb_disconnect(conn);
    if (wakeRead >= 0)
        ::close(wakeRead);
    if (wakeWrite >= 0)
        ::close(wakeWrite);
}

xcb_atom_t X11SelectionReader::Private::atom(const QByteArray &name)
{
    const auto it = atoms.constFind(name);
    if (it != atoms.constEnd())
        return *it;
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        conn, xcb_intern_atom(conn, 0, quint16(name.size()), name.constData()), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    if (a != XCB_ATOM_NONE) {
        atoms.insert(name, a);
        names.insert(a, name);
    }
    return a;
}

// Names of the atoms, asked for all at once; the server keeps atoms for its whole life, so
// each name is asked for once.
QList<QByteArray> X11SelectionReader::Private::atomNames(const xcb_atom_t *list, int count)
{
    QHash<xcb_atom_t, xcb_get_atom_name_cookie_t> asked;
    for (int i = 0; i < count; ++i) {
        if (list[i] != XCB_ATOM_NONE && !names.contains(list[i]) && !asked.contains(list[i]))
            asked.insert(list[i], xcb_get_atom_name(conn, list[i]));
    }
    for (auto it = asked.cbegin(); it != asked.cend(); ++it) {
        xcb_get_atom_name_reply_t *reply = xcb_get_atom_name_reply(conn, it.value(), nullptr);
        if (reply) {
            const QByteArray name(xcb_get_atom_name_name(reply),
                                  xcb_get_atom_name_name_length(reply));
            names.insert(it.key(), name);
            atoms.insert(name, it.key());
        }
        std::free(reply);
    }
    QList<QByteArray> out;
    for (int i = 0; i < count; ++i) {
        const QByteArray name = names.value(list[i]);
        if (!name.isEmpty() && !out.contains(name))
            out.append(name);
    }
    return out;
}

bool X11SelectionReader::Private::isOneOf(xcb_atom_t type, const char *const *list, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        if (type == atom(list[i]))
            return true;
    }
    return false;
}

void X11SelectionReader::Private::drainWake()
{
    char buf[64];
    while (::read(wakeRead, buf, sizeof buf) > 0) {
    }
}

xcb_generic_event_t *X11SelectionReader::Private::nextEvent(Clock::time_point deadline,
                                                            Outcome *why)
{
    for (;;) {
        if (abandoned()) {
            *why = Outcome::Abandoned;
            return nullptr;
        }
        if (xcb_connection_has_error(conn)) {
            *why = Outcome::Broken;
            return nullptr;
        }
        if (xcb_generic_event_t *ev = xcb_poll_for_event(conn))
            return ev;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            *why = Outcome::TimedOut;
            return nullptr;
        }
        pollfd fds[2] = {{xcb_get_file_descriptor(conn), POLLIN, 0}, {wakeRead, POLLIN, 0}};
        ::poll(fds, 2, int(left));
        if (fds[1].revents)
            drainWake();
    }
}

Outcome X11SelectionReader::Private::fetch(const QByteArray &target, Answer *answer)
{
    const xcb_atom_t target_atom = atom(target);
    xcb_convert_selection(conn, window, selection, target_atom, property, XCB_CURRENT_TIME);
    xcb_flush(conn);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kAnswerTimeoutMs);
    xcb_atom_t answered = XCB_ATOM_NONE;
    for (;;) {
        Outcome why = Outcome::Ok;
        xcb_generic_event_t *ev = nextEvent(deadline, &why);
        if (!ev)
            return why;
        const bool ours =
            (ev->response_type & 0x7f) == XCB_SELECTION_NOTIFY &&
            reinterpret_cast<xcb_selection_notify_event_t *>(ev)->requestor == window &&
            reinterpret_cast<xcb_selection_notify_event_t *>(ev)->target == target_atom;
        if (ours)
            answered = reinterpret_cast<xcb_selection_notify_event_t *>(ev)->property;
        std::free(ev);
        if (ours)
            break;
    }
    if (answered == XCB_ATOM_NONE)
        return Outcome::Refused;
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        conn,
        xcb_get_property(conn, 1, window, answered, XCB_GET_PROPERTY_TYPE_ANY, 0,
                         quint32(kMaxBytes / 4)),
        nullptr);
    if (!reply)
        return Outcome::Broken;
    const bool incr = reply->type == atom("INCR");
    const bool too_large = reply->bytes_after > 0;
    answer->type = reply->type;
    answer->format = reply->format;
    answer->bytes = QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
                               xcb_get_property_value_length(reply));
    std::free(reply);
    if (incr)
        return fetchIncr(answer);
    return too_large ? Outcome::TooLarge : Outcome::Ok;
}

// The owner puts the contents in parts, each after the previous one was taken (deleted);
// an empty part ends the transfer. An owner that stops sending is given up on.
Outcome X11SelectionReader::Private::fetchIncr(Answer *answer)
{
    answer->bytes.clear();
    answer->type = XCB_ATOM_NONE;
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kAnswerTimeoutMs);
    for (;;) {
        Outcome why = Outcome::Ok;
        xcb_generic_event_t *ev = nextEvent(deadline, &why);
        if (!ev)
            return why;
        const auto *pn = reinterpret_cast<const xcb_property_notify_event_t *>(ev);
        const bool part = (ev->response_type & 0x7f) == XCB_PROPERTY_NOTIFY &&
                          pn->window == window && pn->atom == property &&
                          pn->state == XCB_PROPERTY_NEW_VALUE;
        std::free(ev);
        if (!part)
            continue;
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            conn,
            xcb_get_property(conn, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0,
                             quint32(kMaxBytes / 4)),
            nullptr);
        if (!reply)
            return Outcome::Broken;
        const int length = xcb_get_property_value_length(reply);
        if (answer->type == XCB_ATOM_NONE || length > 0) {
            answer->type = reply->type;
            answer->format = reply->format;
        }
        answer->bytes.append(static_cast<const char *>(xcb_get_property_value(reply)), length);
        std::free(reply);
        if (length == 0)
            return Outcome::Ok;
        if (answer->bytes.size() > kMaxBytes)
            return Outcome::TooLarge;
        deadline = Clock::now() + std::chrono::milliseconds(kAnswerTimeoutMs);
    }
}

void X11SelectionReader::Private::note(const QByteArray &target, Outcome o, const Answer &a,
                                       SelectionContents &out)
{
    out.problem += QString::fromLatin1("%1: %2 (type %3, format %4); ")
                       .arg(QString::fromLatin1(target), QLatin1String(OutcomeName(o)),
                            QString::fromLatin1(names.value(a.type, "?")))
                       .arg(a.format);
}

// A target whose answer is a document: bytes of format 8, not numbers or resources.
Outcome X11SelectionReader::Private::fetchBytes(const QByteArray &target, Answer *answer,
                                                SelectionContents &out)
{
    Outcome o = fetch(target, answer);
    if (o == Outcome::Ok &&
        (answer->format != 8 ||
         isOneOf(answer->type, kNonByteTypes, sizeof kNonByteTypes / sizeof *kNonByteTypes)))
        o = Outcome::WrongType;
    if (o != Outcome::Ok && o != Outcome::Abandoned)
        note(target, o, *answer, out);
    return o;
}

Outcome X11SelectionReader::Private::fetchText(const QList<QByteArray> &offered,
                                               SelectionContents &out)
{
    for (const char *target : kTextTargets) {
        if (!offered.contains(target))
            continue;
        Answer a;
        Outcome o = fetchBytes(target, &a, out);
        if (o == Outcome::Abandoned || o == Outcome::Broken)
            return o;
        if (o != Outcome::Ok)
            continue;
        // The type of the answer says how its bytes are encoded; an owner may answer TEXT
        // with anything, and only known text types are text.
        const QByteArray bytes = WithoutTrailingNul(a.bytes);
        if (isOneOf(a.type, kUtf8Types, sizeof kUtf8Types / sizeof *kUtf8Types)) {
            out.text = QString::fromUtf8(bytes);
        } else if (a.type == XCB_ATOM_STRING) {
            out.text = QString::fromLatin1(bytes);
        } else {
            note(target, Outcome::WrongType, a, out);
            continue;
        }
        out.hasText = true;
        return Outcome::Ok;
    }
    return Outcome::Refused;
}

void X11SelectionReader::Private::readSelection(quint64 serial)
{
    current = serial;
    SelectionContents out;
    window = xcb_generate_id(conn);
    const quint32 mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    // A window per read: answers that an abandoned read still gets go to a window that is
    // gone, and never mix with the next read's.
    xcb_create_window(conn, XCB_COPY_FROM_PARENT, window, root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    const auto finish = [this] {
        xcb_destroy_window(conn, window);
        xcb_flush(conn);
        window = 0;
    };

    Answer targets;
    Outcome o = fetch("TARGETS", &targets);
    if (o == Outcome::Ok && (targets.format != 32 || targets.type != XCB_ATOM_ATOM))
        o = Outcome::WrongType;
    if (o == Outcome::Abandoned) {
        finish();
        return;
    }
    QList<QByteArray> offered;
    if (o == Outcome::Ok)
        offered = atomNames(reinterpret_cast<const xcb_atom_t *>(targets.bytes.constData()),
                            targets.bytes.size() / 4);
    else
        out.problem = QString::fromLatin1("TARGETS: %1; ").arg(QLatin1String(OutcomeName(o)));

    const auto ended = [](Outcome r) {
        return r == Outcome::Abandoned || r == Outcome::Broken;
    };
    bool stop = false;
    Answer a;
    const QByteArray &bytes = a.bytes;
    if (offered.contains(kSecretHint)) {
        o = fetchBytes(kSecretHint, &a, out);
        stop = ended(o);
        if (o == Outcome::Ok) {
            out.entries.append({QString::fromLatin1(kSecretHint), bytes});
            stop = bytes.trimmed() == "secret"; // nothing else of it is read
        }
    }
    // What decides the item, in the order the capture decides: files, image, HTML, colour,
    // text; each with the text it also needs.
    if (!stop && offered.contains("text/uri-list")) {
        o = fetchBytes("text/uri-list", &a, out);
        stop = ended(o);
        if (o == Outcome::Ok) {
            out.entries.append({QStringLiteral("text/uri-list"), bytes});
            fetchText(offered, out);
            stop = true;
        }
    }
    for (const QString &type : qAsConst(imageTypes)) {
        if (stop || !offered.contains(type.toLatin1()))
            continue;
        o = fetchBytes(type.toLatin1(), &a, out);
        stop = ended(o);
        if (o == Outcome::Ok) {
            out.entries.append({type, bytes});
            out.entries.append({QStringLiteral("application/x-qt-image"), QByteArray()});
            stop = true;
        }
    }
    if (!stop && offered.contains("text/html")) {
        o = fetchBytes("text/html", &a, out);
        stop = ended(o);
        if (o == Outcome::Ok) {
            out.html = DecodeHtml(bytes);
            out.hasHtml = true;
            fetchText(offered, out);
            stop = true;
        }
    }
    if (!stop && offered.contains("application/x-color")) {
        o = fetch("application/x-color", &a);
        stop = ended(o);
        // Red, green, blue and alpha as 16-bit numbers.
        if (o == Outcome::Ok && a.format == 16 && a.bytes.size() >= 8) {
            const auto *c = reinterpret_cast<const quint16 *>(a.bytes.constData());
            out.color = QColor::fromRgba64(c[0], c[1], c[2], c[3]);
            fetchText(offered, out);
            stop = true;
        }
    }
    if (!stop)
        fetchText(offered, out);
    finish();
    if (abandoned())
        return;
    if (!out.problem.isEmpty())
        qCDebug(lcOs) << "clipboard read:" << out.problem;
    done(serial, out);
}

void X11SelectionReader::Private::run()
{
    quint64 last = 0;
    while (!quit.load()) {
        const quint64 w = wanted.load();
        if (w != 0 && w != last) {
            last = w;
            readSelection(w);
            continue;
        }
        pollfd fd{wakeRead, POLLIN, 0};
        ::poll(&fd, 1, -1);
        drainWake();
        // Events of the connection (answers to abandoned reads) are of no use any more.
        while (xcb_generic_event_t *ev = xcb_poll_for_event(conn))
            std::free(ev);
    }
}

std::unique_ptr<X11SelectionReader> X11SelectionReader::Create(const QByteArray &display_name,
                                                               const QByteArray &selection,
                                                               const QStringList &image_types,
                                                               Done done)
{
    auto d = std::make_unique<Private>();
    int screen = 0;
    d->conn = xcb_connect(display_name.isEmpty() ? nullptr : display_name.constData(), &screen);
    if (!d->conn || xcb_connection_has_error(d->conn)) {
        qCWarning(lcOs) << "X11SelectionReader: cannot open the display" << display_name;
        return nullptr;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(d->conn));
    for (int i = 0; i < screen && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem)
        return nullptr;
    d->root = it.data->root;
    d->selection = d->atom(selection);
    d->property = d->atom("TOLVANE_SELECTION");
    d->imageTypes = image_types;
    d->done = std::move(done);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return nullptr;
    d->wakeRead = fds[0];
    d->wakeWrite = fds[1];
    return std::unique_ptr<X11SelectionReader>(new X11SelectionReader(std::move(d)));
}

X11SelectionReader::X11SelectionReader(std::unique_ptr<Private> p) : d(std::move(p))
{
    m_thread = std::thread([this] { d->run(); });
}

X11SelectionReader::~X11SelectionReader()
{
    d->quit = true;
    wake();
    m_thread.join();
}

void X11SelectionReader::wake()
{
    const char b = 1;
    [[maybe_unused]] const ssize_t n = ::write(d->wakeWrite, &b, 1);
}

void X11SelectionReader::read(quint64 serial)
{
    d->wanted = serial;
    wake();
}

void X11SelectionReader::abandon()
{
    d->wanted = 0;
    wake();
}
