// Key presses for tests on a headless KWin, whose seat has no keyboard and which offers no
// virtual keyboard protocol: KWin's own fake input (org_kde_kwin_fake_input), which it grants
// to programs whose desktop entry names it in X-KDE-Wayland-Interfaces. Each argument is a
// chord of Linux key codes joined by '+', pressed in order and released in reverse:
//
//   kwin_fake_keys 29+56+47 108 28      Ctrl+Alt+V, then Down, then Return
//
// Exits 0 once KWin has handled every chord; 1 when it is absent or refuses.
#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

namespace {
// The interface as far as this program uses it: requests go by number, so the list keeps
// the protocol's order up to keyboard_key.
const wl_message kRequests[] = {
    {"authenticate", "ss", nullptr}, {"pointer_motion", "ff", nullptr},
    {"button", "uu", nullptr},       {"axis", "uf", nullptr},
    {"touch_down", "2uff", nullptr}, {"touch_motion", "2uff", nullptr},
    {"touch_up", "2u", nullptr},     {"touch_cancel", "2", nullptr},
    {"touch_frame", "2", nullptr},   {"pointer_motion_absolute", "3ff", nullptr},
    {"keyboard_key", "4uu", nullptr}};
const wl_interface kFakeInput = {"org_kde_kwin_fake_input", 4, 11, kRequests, 0, nullptr};
enum : uint32_t
{
    kAuthenticate = 0,
    kKeyboardKey = 10
};

void OnGlobal(void *data, wl_registry *registry, uint32_t name, const char *interface,
              uint32_t version)
{
    if (std::strcmp(interface, kFakeInput.name) == 0 && version >= 4)
        *static_cast<wl_proxy **>(data) =
            static_cast<wl_proxy *>(wl_registry_bind(registry, name, &kFakeInput, 4));
}

void OnGlobalRemove(void *, wl_registry *, uint32_t) {}

void Pause()
{
    const timespec wait{0, 30 * 1000 * 1000};
    nanosleep(&wait, nullptr);
}
} // namespace

int main(int argc, char *argv[])
{
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "kwin_fake_keys: no compositor\n");
        return 1;
    }
    wl_proxy *input = nullptr;
    wl_registry *registry = wl_display_get_registry(display);
    static const wl_registry_listener kListener = {&OnGlobal, &OnGlobalRemove};
    wl_registry_add_listener(registry, &kListener, &input);
    wl_display_roundtrip(display);
    if (!input) {
        std::fprintf(stderr, "kwin_fake_keys: org_kde_kwin_fake_input is not offered to this "
                             "program (no desktop entry grants it)\n");
        return 1;
    }
    wl_proxy_marshal(input, kAuthenticate, "Tolvane tests", "typing the keys of a test");
    for (int i = 1; i < argc; ++i) {
        std::vector<uint32_t> codes;
        std::stringstream chord(argv[i]);
        std::string code;
        while (std::getline(chord, code, '+'))
            codes.push_back(uint32_t(std::strtoul(code.c_str(), nullptr, 10)));
        for (uint32_t c : codes) {
            wl_proxy_marshal(input, kKeyboardKey, c, 1u);
            wl_display_flush(display);
            Pause();
        }
        for (auto it = codes.rbegin(); it != codes.rend(); ++it) {
            wl_proxy_marshal(input, kKeyboardKey, *it, 0u);
            wl_display_flush(display);
            Pause();
        }
    }
    const bool ok = wl_display_roundtrip(display) >= 0;
    wl_display_disconnect(display);
    if (!ok)
        std::fprintf(stderr, "kwin_fake_keys: the compositor closed the connection\n");
    return ok ? 0 : 1;
}
