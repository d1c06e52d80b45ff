// Another X client that holds a global key combination, the way a desktop or another
// program does. Grabs the combination given as its argument (for example "ctrl+alt+c",
// with the same Caps Lock and Num Lock variants a hot key takes), prints "grabbed" (or
// "refused") and keeps the grab until standard input closes or the process is killed.
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {
bool g_refused = false;

int OnError(Display *, XErrorEvent *event)
{
    if (event->error_code == BadAccess)
        g_refused = true;
    return 0;
}

unsigned int ModifierOf(const std::string &name)
{
    if (name == "ctrl" || name == "control")
        return ControlMask;
    if (name == "alt")
        return Mod1Mask;
    if (name == "shift")
        return ShiftMask;
    if (name == "super" || name == "meta")
        return Mod4Mask;
    return 0;
}
} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: key_grabber <combination>\n");
        return 2;
    }
    Display *dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "key_grabber: no X display\n");
        return 1;
    }
    unsigned int modifiers = 0;
    KeySym keysym = NoSymbol;
    std::string combo = argv[1];
    for (size_t start = 0; start <= combo.size();) {
        size_t end = combo.find('+', start);
        if (end == std::string::npos)
            end = combo.size();
        const std::string part = combo.substr(start, end - start);
        if (const unsigned int modifier = ModifierOf(part))
            modifiers |= modifier;
        else
            keysym = XStringToKeysym(part.c_str());
        start = end + 1;
    }
    const KeyCode code = keysym == NoSymbol ? 0 : XKeysymToKeycode(dpy, keysym);
    if (code == 0) {
        std::fprintf(stderr, "key_grabber: no key code for %s\n", argv[1]);
        return 1;
    }
    XSetErrorHandler(OnError);
    const Window root = DefaultRootWindow(dpy);
    for (const unsigned int lock :
         {0u, unsigned(LockMask), unsigned(Mod2Mask), unsigned(LockMask | Mod2Mask)})
        XGrabKey(dpy, code, modifiers | lock, root, True, GrabModeAsync, GrabModeAsync);
    XSync(dpy, False);
    std::printf(g_refused ? "refused\n" : "grabbed\n");
    std::fflush(stdout);
    char buffer[64];
    while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    XCloseDisplay(dpy);
    return 0;
}
