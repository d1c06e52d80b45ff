// A clipboard owner written against Xlib alone, for the behaviours of real applications that
// a Qt owner cannot show: every target answers with exactly the bytes it was given (GTK
// serves "text/plain" with CRLF line ends and "UTF8_STRING" with LF), an owner may never
// answer at all, and an office suite sets the owner twice in a row.
//
//   x11_owner [--offer <target> <value>]... [--never-answer] [--twice <ms>] [--timeout <ms>]
//             [--wm-class <name> | --leader-class <name>]
//       --offer        a target and its answer; "%n" in the answer becomes the running
//                      number of the requests for that target (1, 2, ...), so that two
//                      reads of the same offer differ as an office suite's answers do
//       --never-answer own the clipboard but ignore every request
//       --twice        set the owner a second time, that many ms after the first
//       --timeout      exit after that many ms (30 s by default)
//       --wm-class     the owner window's WM_CLASS (instance and class both <name>)
//       --leader-class the owner is a helper window without a class whose WM_CLIENT_LEADER
//                      is another window of the program with that WM_CLASS, as toolkits do
//   Prints "ready" once it owns the clipboard, "again" after the second setting, then
//   "request <target>" for each request it answers ("ignored <target>" when it never
//   answers), and exits when another client takes the clipboard.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
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
};

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

void Serve(Display *dpy, const XSelectionRequestEvent &req, std::vector<Offer> &offers)
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
        XChangeProperty(dpy, req.requestor, property, o.target, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(bytes.data()), int(bytes.size()));
        PrintLine("request " + o.name);
        Reply(dpy, req, property);
        return;
    }
    Reply(dpy, req, None);
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
    for (const auto &g : given)
        offers.push_back({XInternAtom(dpy, g.first.c_str(), False), g.first, g.second});

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
            if (ev.type != SelectionRequest)
                continue;
            if (never_answer) {
                char *name = XGetAtomName(dpy, ev.xselectionrequest.target);
                PrintLine("ignored " + std::string(name ? name : "?"));
                XFree(name);
            } else {
                Serve(dpy, ev.xselectionrequest, offers);
            }
        }
        if (Clock::now() >= again_at) {
            XSetSelectionOwner(dpy, clipboard, win, ServerTime(dpy, win));
            again_at = Clock::time_point::max();
            PrintLine("again");
        }
        XFlush(dpy);
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
