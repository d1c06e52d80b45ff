// A pointer for tests on a headless wlroots compositor, which has none: a seat without a
// pointer device tells its clients so, and they would get no mouse events at all. This one is
// a virtual pointer (wlroots' virtual pointer protocol) driven by lines on standard input:
//
//   at <x> <y>       moves the cursor to that point of the output (width x height given as
//                    the program's arguments)
//   move <dx> <dy>   moves it by that much
//   press | release  the left button
//
// It prints "ready" once the compositor has the pointer and "ok" after each line the
// compositor has handled, and exits when its input ends.
//
//   wayland_pointer <output-width> <output-height>
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {
// The protocol's two interfaces as far as this program uses them. Requests are sent by their
// number, so the lists below keep the protocol's order up to the last one used.
const wl_message kPointerRequests[] = {{"motion", "uff", nullptr},
                                       {"motion_absolute", "uuuuu", nullptr},
                                       {"button", "uuu", nullptr},
                                       {"axis", "uuf", nullptr},
                                       {"frame", "", nullptr}};
const wl_interface kPointerInterface = {"zwlr_virtual_pointer_v1", 1, 5,
                                        kPointerRequests,          0, nullptr};
const wl_interface *kCreateTypes[] = {&wl_seat_interface, &kPointerInterface};
// Creates a pointer on a seat (null: the compositor's default seat).
const wl_message kManagerRequests[] = {{"create_virtual_pointer", "?on", kCreateTypes}};
const wl_interface kManagerInterface = {
    "zwlr_virtual_pointer_manager_v1", 1, 1, kManagerRequests, 0, nullptr};
enum : uint32_t
{
    kCreateVirtualPointer = 0
};
enum : uint32_t
{
    kMotion = 0,
    kMotionAbsolute = 1,
    kButton = 2,
    kFrame = 4
};
constexpr uint32_t kPressed = 1;
constexpr uint32_t kReleased = 0;

uint32_t Milliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint32_t(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

void OnGlobal(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t)
{
    if (std::strcmp(interface, kManagerInterface.name) == 0)
        *static_cast<wl_proxy **>(data) =
            static_cast<wl_proxy *>(wl_registry_bind(registry, name, &kManagerInterface, 1));
}

void OnGlobalRemove(void *, wl_registry *, uint32_t) {}

// Sends one line's events; false for a line it does not know.
bool Drive(wl_proxy *pointer, const char *line, uint32_t width, uint32_t height)
{
    char verb[16] = {};
    int a = 0, b = 0;
    const int n = std::sscanf(line, "%15s %d %d", verb, &a, &b);
    const std::string command(verb);
    if (command == "at" && n == 3 && a >= 0 && b >= 0)
        wl_proxy_marshal(pointer, kMotionAbsolute, Milliseconds(), uint32_t(a), uint32_t(b), width,
                         height);
    else if (command == "move" && n == 3)
        wl_proxy_marshal(pointer, kMotion, Milliseconds(), wl_fixed_from_int(a),
                         wl_fixed_from_int(b));
    else if (command == "press" || command == "release")
        wl_proxy_marshal(pointer, kButton, Milliseconds(), uint32_t(BTN_LEFT),
                         command == "press" ? kPressed : kReleased);
    else
        return false;
    wl_proxy_marshal(pointer, kFrame);
    return true;
}
} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: wayland_pointer <output-width> <output-height>\n");
        return 2;
    }
    const uint32_t width = uint32_t(std::strtoul(argv[1], nullptr, 10));
    const uint32_t height = uint32_t(std::strtoul(argv[2], nullptr, 10));
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "wayland_pointer: no compositor\n");
        return 1;
    }
    wl_proxy *manager = nullptr;
    wl_registry *registry = wl_display_get_registry(display);
    static const wl_registry_listener kListener = {&OnGlobal, &OnGlobalRemove};
    wl_registry_add_listener(registry, &kListener, &manager);
    wl_display_roundtrip(display);
    if (!manager) {
        std::fprintf(stderr, "wayland_pointer: the compositor offers no virtual pointers\n");
        return 1;
    }
    wl_proxy *pointer = wl_proxy_marshal_constructor(manager, kCreateVirtualPointer,
                                                     &kPointerInterface, nullptr, nullptr);
    if (!pointer || wl_display_roundtrip(display) < 0) {
        std::fprintf(stderr, "wayland_pointer: refused\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    char line[128];
    while (std::fgets(line, sizeof line, stdin)) {
        if (!Drive(pointer, line, width, height)) {
            std::fprintf(stderr, "wayland_pointer: unknown line %s", line);
            continue;
        }
        if (wl_display_roundtrip(display) < 0) {
            std::fprintf(stderr, "wayland_pointer: the compositor closed the connection\n");
            return 1;
        }
        std::printf("ok\n");
        std::fflush(stdout);
    }
    wl_display_disconnect(display);
    return 0;
}
