// A clipboard owner written against Xlib alone, for the behaviours of real applications that
// a Qt owner cannot show: every target answers with exactly the bytes it was given (GTK
// serves "text/plain" with CRLF line ends and "UTF8_STRING" with LF), an owner may never
// answer at all, and an office suite sets the owner twice in a row.
//
//   x11_owner [--offer <target> <value>]... [--offer-file <target> <path>]...
//             [--type <target> <type> <format>]...
//             [--incr <bytes>] [--stall-after <parts>] [--never-answer] [--twice <ms>]
//             [--timeout <ms>] [--wm-class <name> | --leader-class <name>]
//       --offer        a target and its answer; "%n" in the answer becomes the running
//                      number of the requests for that target (1, 2, ...), so that two
//                      reads of the same offer differ as an office suite's answers do
//       --offer-file   a target and the file whose bytes answer it (an image, say)
//       --type         answer the target with that property type and format (8, 16, 32)
//                      instead of the target's own name and 8, as a faulty owner does
//       --incr         send every answer in INCR parts of that many bytes
//       --stall-after  with --incr: stop sending (for good) after that many parts
//       --never-answer own the clipboard but ignore every request
//       --twice        set the owner a second time, that many ms after the first
//       --timeout      exit after that many ms (30 s by default)
//       --wm-class     the owner window's WM_CLASS (instance and class both <name>)
//       --leader-class the owner is a helper window without a class whose WM_CLIENT_LEADER
//                      is another window of the program with that WM_CLASS, as toolkits do
//   Prints "ready" once it owns the clipboard, "again" after the second setting, then
//   "request <target>" for each request it answers ("ignored <target>" when it never
//   answers, "stalled" when an INCR transfer stops), and exits when another client takes
//   the clipboard.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <poll.h>

namespace {
constexpr int kDefaultTimeoutMs = 30000;

struct Offer
{
    Atom target;
    std::string name;
    std::string value;
    int requests = 0;
    Atom type = None; // None: the target's own name
    int format = 8;
    bool literal = false; // a file's bytes: no "%n"
};

// An answer sent in INCR parts: each part follows the requestor's deletion of the last one.
struct Transfer
{
    Window requestor;
    Atom property;
    Atom type;
    std::string bytes;
    size_t sent = 0;
    int parts = 0;
};

struct Options
{
    int incrPart = 0;    // 0: answers in one piece
    int stallAfter = -1; // parts before an INCR transfer stops; -1: never stops
};

// A requestor may destroy its window while an answer is on its way.
int IgnoreErrors(Display *, XErrorEvent *)
{
    return 0;
}

void PutBytes(Display *dpy, Window w, Atom property, Atom type, int format,
              const std::string &bytes)
{
    if (format == 32) { // Xlib takes 32-bit items as longs
        std::vector<long> items(bytes.size() / 4);
        for (size_t i = 0; i < items.size(); ++i) {
            uint32_t v = 0;
            std::memcpy(&v, bytes.data() + 4 * i, 4);
            items[i] = long(v);
        }
        XChangeProperty(dpy, w, property, type, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(items.data()), int(items.size()));
        return;
    }
    XChangeProperty(dpy, w, property, type, format, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(bytes.data()),
                    int(bytes.size() / size_t(format / 8)));
}

void PrintLine(const std::string &line)
{
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string Answer(Offer &offer)
{
    ++offer.requests;
    std::string out = offer.value;
    if (offer.literal)
        return out;
    const std::string n = std::to_string(offer.requests);
    for (size_t at = out.find("%n"); at != std::string::npos; at = out.find("%n", at + n.size()))
        out.replace(at, 2, n);
    return out;
}

// A server time stamp, as the conventions ask owners to use instead of CurrentTime.
Time ServerTime(Display *dpy, Window win)
{
    const Atom prop = XInternAtom(dpy, "X11_OWNER_TIME", False);
    XChangeProperty(dpy, win, prop, XA_STRING, 8, PropModeAppend, nullptr, 0);
    XEvent ev;
    XWindowEvent(dpy, win, PropertyChangeMask, &ev);
    return ev.xproperty.time;
}

void Reply(Display *dpy, const XSelectionRequestEvent &req, Atom property)
{
    XEvent ev{};
    ev.xselection.type = SelectionNotify;
    ev.xselection.display = dpy;
    ev.xselection.requestor = req.requestor;
    ev.xselection.selection = req.selection;
    ev.xselection.target = req.target;
    ev.xselection.property = property;
    ev.xselection.time = req.time;
    XSendEvent(dpy, req.requestor, False, NoEventMask, &ev);
}

void Serve(Display *dpy, const XSelectionRequestEvent &req, std::vector<Offer> &offers,
           const Options &opt, std::vector<Transfer> &transfers)
{
    const Atom targets = XInternAtom(dpy, "TARGETS", False);
    // Old requestors leave the property out and mean the target's name.
    const Atom property = req.property != None ? req.property : req.target;
    if (req.target == targets) {
        std::vector<Atom> list{targets};
        for (const Offer &o : offers)
            list.push_back(o.target);
        XChangeProperty(dpy, req.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(list.data()), int(list.size()));
        PrintLine("request TARGETS");
        Reply(dpy, req, property);
        return;
    }
    for (Offer &o : offers) {
        if (o.target != req.target)
            continue;
        const std::string bytes = Answer(o);
        const Atom type = o.type != None ? o.type : o.target;
        if (opt.incrPart > 0) {
            XSelectInput(dpy, req.requestor, PropertyChangeMask);
            const long size = long(bytes.size());
            XChangeProperty(dpy, req.requestor, property, XInternAtom(dpy, "INCR", False), 32,
                            PropModeReplace, reinterpret_cast<const unsigned char *>(&size), 1);
            transfers.push_back({req.requestor, property, type, bytes});
        } else {
            PutBytes(dpy, req.requestor, property, type, o.format, bytes);
        }
        PrintLine("request " + o.name);
        Reply(dpy, req, property);
        return;
    }
    Reply(dpy, req, None);
}

// The requestor took the last part: the next one, or the empty part that ends the transfer.
void Continue(Display *dpy, const XPropertyEvent &ev, const Options &opt,
              std::vector<Transfer> &transfers)
{
    for (auto it = transfers.begin(); it != transfers.end(); ++it) {
        if (it->requestor != ev.window || it->property != ev.atom)
            continue;
        if (opt.stallAfter >= 0 && it->parts >= opt.stallAfter) {
            PrintLine("stalled");
            transfers.erase(it);
            return;
        }
        const std::string part = it->bytes.substr(it->sent, size_t(opt.incrPart));
        it->sent += part.size();
        ++it->parts;
        PutBytes(dpy, it->requestor, it->property, it->type, 8, part);
        if (part.empty())
            transfers.erase(it);
        return;
    }
}

int Usage(const char *why)
{
    std::fprintf(stderr, "x11_owner: %s\n", why);
    return 2;
}
} // namespace

int main(int argc, char *argv[])
{
    std::vector<std::pair<std::string, std::string>> given;
    struct Typed
    {
        std::string target, type;
        int format;
    };
    std::vector<Typed> typed;
    Options opt;
    std::vector<std::string> from_files;
    bool never_answer = false;
    int twice_after_ms = -1;
    int timeout_ms = kDefaultTimeoutMs;
    std::string wm_class;
    std::string leader_class;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--never-answer") {
            never_answer = true;
        } else if (arg == "--twice" && i + 1 < argc) {
            twice_after_ms = std::atoi(argv[++i]);
        } else if (arg == "--offer-file" && i + 2 < argc) {
            std::FILE *f = std::fopen(argv[i + 2], "rb");
            if (!f)
                return Usage("cannot read an --offer-file");
            std::string bytes;
            char buf[65536];
            for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
                bytes.append(buf, n);
            std::fclose(f);
            given.emplace_back(argv[i + 1], bytes);
            from_files.push_back(argv[i + 1]);
            i += 2;
        } else if (arg == "--incr" && i + 1 < argc) {
            opt.incrPart = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--stall-after" && i + 1 < argc) {
            opt.stallAfter = std::atoi(argv[++i]);
        } else if (arg == "--type" && i + 3 < argc) {
            typed.push_back({argv[i + 1], argv[i + 2], std::atoi(argv[i + 3])});
            i += 3;
        } else if (arg == "--timeout" && i + 1 < argc) {
            timeout_ms = std::atoi(argv[++i]);
        } else if (arg == "--wm-class" && i + 1 < argc) {
            wm_class = argv[++i];
        } else if (arg == "--leader-class" && i + 1 < argc) {
            leader_class = argv[++i];
        } else if (arg == "--offer" && i + 2 < argc) {
            // Two arguments: target names such as "text/plain;charset=utf-8" hold an '='.
            given.emplace_back(argv[i + 1], argv[i + 2]);
            i += 2;
        } else {
            return Usage("unknown argument");
        }
    }
    if (given.empty() && !never_answer)
        return Usage("nothing to offer");

    Display *dpy = XOpenDisplay(nullptr);
    if (!dpy)
        return Usage("cannot open the display");
    const Window win = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(dpy, win, PropertyChangeMask);
    const auto set_class = [dpy](Window w, const std::string &name) {
        std::string value = name + '\0' + name + '\0';
        XChangeProperty(dpy, w, XA_WM_CLASS, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(value.data()), int(value.size()));
    };
    if (!wm_class.empty())
        set_class(win, wm_class);
    if (!leader_class.empty()) {
        const Window leader = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
        set_class(leader, leader_class);
        XChangeProperty(dpy, win, XInternAtom(dpy, "WM_CLIENT_LEADER", False), XA_WINDOW, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char *>(&leader), 1);
    }
    std::vector<Offer> offers;
    XSetErrorHandler(IgnoreErrors);
    for (const auto &g : given)
        offers.push_back({XInternAtom(dpy, g.first.c_str(), False), g.first, g.second});
    for (Offer &o : offers)
        o.literal = std::find(from_files.begin(), from_files.end(), o.name) != from_files.end();
    for (const Typed &t : typed) {
        for (Offer &o : offers) {
            if (o.name == t.target) {
                o.type = XInternAtom(dpy, t.type.c_str(), False);
                o.format = t.format == 16 || t.format == 32 ? t.format : 8;
            }
        }
    }
    std::vector<Transfer> transfers;

    const Atom clipboard = XInternAtom(dpy, "CLIPBOARD", False);
    XSetSelectionOwner(dpy, clipboard, win, ServerTime(dpy, win));
    if (XGetSelectionOwner(dpy, clipboard) != win)
        return Usage("could not take the clipboard");
    PrintLine("ready");

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    auto again_at = twice_after_ms >= 0 ? Clock::now() + std::chrono::milliseconds(twice_after_ms)
                                        : Clock::time_point::max();
    pollfd pfd{ConnectionNumber(dpy), POLLIN, 0};
    while (true) {
        while (XPending(dpy)) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type == SelectionClear) {
                XCloseDisplay(dpy);
                return 0;
            }
            if (ev.type == PropertyNotify && ev.xproperty.state == PropertyDelete) {
                Continue(dpy, ev.xproperty, opt, transfers);
                continue;
            }
            if (ev.type != SelectionRequest)
                continue;
            if (never_answer) {
                char *name = XGetAtomName(dpy, ev.xselectionrequest.target);
                PrintLine("ignored " + std::string(name ? name : "?"));
                XFree(name);
            } else {
                Serve(dpy, ev.xselectionrequest, offers, opt, transfers);
            }
        }
        if (Clock::now() >= again_at) {
            XSetSelectionOwner(dpy, clipboard, win, ServerTime(dpy, win));
            XFlush(dpy);
            again_at = Clock::time_point::max();
            PrintLine("again");
            continue;
        }
        // Only an XPending that found nothing may be followed by poll(): any other call on the
        // display (XFlush among them) may read a request off the socket into the queue, and
        // poll() would then sleep past it until the next event, leaving the requestor waiting.
        const auto until = std::min(deadline, again_at);
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
        if (Clock::now() >= deadline)
            break;
        if (poll(&pfd, 1, int(std::max<long long>(left.count(), 0))) < 0)
            break;
        if (pfd.revents & (POLLERR | POLLHUP))
            break;
    }
    XCloseDisplay(dpy);
    return 0;
}
