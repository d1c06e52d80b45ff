// screen_watch: presses keys through XTest and times, from outside any program, when the
// screen first changes and when it stops changing. bench/compare drives it through stdin,
// one command a line:
//   key <keysym>...   presses the keys (down in order, up in reverse) and prints
//                     "change <first_ms> <last_ms> <changes>" or "none"; times run from
//                     just before the first key went down
//   quiet             waits until the screen has not changed for the quiet time; prints "quiet"
//   quit              (or the end of input) ends the program
// The screen has settled once it has not changed for the quiet time (300 ms); the last
// change is the settled time. A change is a difference of pixels, read after each damage
// report of the X server: a redraw that leaves the pixels as they were does not count, nor
// does a change no wider than a text caret (its blinking would never let the screen settle).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <string>
#include <vector>

namespace {
constexpr double kQuietMs = 300;
constexpr double kNoChangeMs = 30000; // a key that changes nothing by then changed nothing
constexpr double kLimitMs = 60000;    // a screen that never settles
constexpr int kCaretWidth = 3;

double NowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

class Screen
{
public:
    explicit Screen(Display *dpy) : m_dpy(dpy), m_root(DefaultRootWindow(dpy))
    {
        XWindowAttributes attrs{};
        XGetWindowAttributes(dpy, m_root, &attrs);
        m_width = attrs.width;
        m_height = attrs.height;
        if (XShmQueryExtension(dpy)) {
            m_image = XShmCreateImage(dpy, attrs.visual, unsigned(attrs.depth), ZPixmap, nullptr,
                                      &m_shm, unsigned(m_width), unsigned(m_height));
            m_shm.shmid = shmget(IPC_PRIVATE, size_t(m_image->bytes_per_line) * size_t(m_height),
                                 IPC_CREAT | 0600);
            m_shm.shmaddr = m_image->data = static_cast<char *>(shmat(m_shm.shmid, nullptr, 0));
            m_shm.readOnly = False;
            XShmAttach(dpy, &m_shm);
            XSync(dpy, False);
            shmctl(m_shm.shmid, IPC_RMID, nullptr); // freed once both sides detach
        }
        grab();
        m_previous = m_current;
    }
    ~Screen()
    {
        if (m_image) {
            XShmDetach(m_dpy, &m_shm);
            XDestroyImage(m_image); // also detaches the segment from this process
        }
    }

    // Reads the screen; true when it differs from the previous reading by more than a caret.
    bool changed()
    {
        grab();
        const size_t stride = m_current.size() / size_t(m_height);
        int left = m_width, right = -1, top = -1, bottom = -1;
        for (int y = 0; y < m_height; ++y) {
            const auto *a = reinterpret_cast<const uint32_t *>(m_previous.data() + y * stride);
            const auto *b = reinterpret_cast<const uint32_t *>(m_current.data() + y * stride);
            if (std::memcmp(a, b, stride) == 0)
                continue;
            top = top < 0 ? y : top;
            bottom = y;
            for (int x = 0; x < m_width; ++x) {
                if (a[x] != b[x]) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        m_previous.swap(m_current);
        if (std::getenv("SCREEN_WATCH_VERBOSE") && right >= 0)
            std::fprintf(stderr, "  change x %d-%d y %d-%d\n", left, right, top, bottom);
        return right - left + 1 > kCaretWidth;
    }

private:
    void grab()
    {
        XImage *image = m_image;
        if (image) {
            XShmGetImage(m_dpy, m_root, image, 0, 0, AllPlanes);
        } else {
            image = XGetImage(m_dpy, m_root, 0, 0, unsigned(m_width), unsigned(m_height), AllPlanes,
                              ZPixmap);
        }
        m_current.assign(image->data, size_t(image->bytes_per_line) * size_t(m_height));
        if (image != m_image)
            XDestroyImage(image);
    }

    Display *m_dpy;
    Window m_root;
    int m_width = 0;
    int m_height = 0;
    XImage *m_image = nullptr;
    XShmSegmentInfo m_shm{};
    std::string m_previous;
    std::string m_current;
};

class Watcher
{
public:
    Watcher(Display *dpy, int damage_event) : m_dpy(dpy), m_damageEvent(damage_event), m_screen(dpy)
    {
        m_damage = XDamageCreate(dpy, DefaultRootWindow(dpy), XDamageReportNonEmpty);
        XSync(dpy, False);
    }

    // Waits for changes until the screen has been still for kQuietMs (or none came within
    // no_change_ms); returns the times of the first and the last change, or -1.
    void watch(double start, double no_change_ms, double *first, double *last, int *count)
    {
        *first = *last = -1;
        *count = 0;
        for (;;) {
            const double now = NowMs();
            const double deadline = *last < 0 ? start + no_change_ms : start + *last + kQuietMs;
            if (now >= deadline || now - start > kLimitMs)
                return;
            if (!XPending(m_dpy)) {
                pollfd fd{ConnectionNumber(m_dpy), POLLIN, 0};
                poll(&fd, 1, int(deadline - now) + 1);
                if (!XPending(m_dpy))
                    continue;
            }
            const double at = NowMs();
            bool damaged = false;
            while (XPending(m_dpy)) {
                XEvent event;
                XNextEvent(m_dpy, &event);
                damaged = damaged || event.type == m_damageEvent + XDamageNotify;
            }
            if (!damaged)
                continue;
            XDamageSubtract(m_dpy, m_damage, 0, 0);
            if (std::getenv("SCREEN_WATCH_VERBOSE"))
                std::fprintf(stderr, "damage at %.1f ms\n", at - start);
            if (m_screen.changed()) {
                if (*first < 0)
                    *first = at - start;
                *last = at - start;
                ++*count;
            }
        }
    }

private:
    Display *m_dpy;
    int m_damageEvent;
    Screen m_screen;
    Damage m_damage = 0;
};

bool PressKeys(Display *dpy, const std::vector<std::string> &names)
{
    std::vector<KeyCode> codes;
    for (const std::string &name : names) {
        const KeySym sym = XStringToKeysym(name.c_str());
        const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(dpy, sym);
        if (code == 0)
            return false;
        codes.push_back(code);
    }
    for (const KeyCode code : codes)
        XTestFakeKeyEvent(dpy, code, True, CurrentTime);
    for (auto it = codes.rbegin(); it != codes.rend(); ++it)
        XTestFakeKeyEvent(dpy, *it, False, CurrentTime);
    XFlush(dpy);
    return true;
}
} // namespace

int main()
{
    Display *dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "screen_watch: no X display\n");
        return 1;
    }
    int damage_event = 0, damage_error = 0, a = 0, b = 0, c = 0, d = 0;
    if (!XDamageQueryExtension(dpy, &damage_event, &damage_error) ||
        !XTestQueryExtension(dpy, &a, &b, &c, &d)) {
        std::fprintf(stderr, "screen_watch: the X server lacks DAMAGE or XTEST\n");
        return 1;
    }
    Watcher watcher(dpy, damage_event);
    std::printf("ready\n");
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
        std::vector<std::string> words;
        size_t at = 0;
        while (at < line.size()) {
            const size_t end = std::min(line.find(' ', at), line.size());
            if (end > at)
                words.push_back(line.substr(at, end - at));
            at = end + 1;
        }
        if (words.empty())
            continue;
        double first = -1, last = -1;
        int count = 0;
        if (words[0] == "quit")
            break;
        if (words[0] == "quiet") {
            watcher.watch(NowMs(), kQuietMs, &first, &last, &count);
            std::printf("quiet\n");
        } else if (words[0] == "key" && words.size() > 1) {
            const double start = NowMs();
            if (!PressKeys(dpy, {words.begin() + 1, words.end()})) {
                std::printf("error unknown key\n");
            } else {
                watcher.watch(start, kNoChangeMs, &first, &last, &count);
                if (first < 0)
                    std::printf("none\n");
                else
                    std::printf("change %.1f %.1f %d\n", first, last, count);
            }
        } else {
            std::printf("error unknown command\n");
        }
        std::fflush(stdout);
    }
    XCloseDisplay(dpy);
    return 0;
}
