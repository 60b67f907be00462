// Helper of the Wayland tests: a pointer for a compositor that has no
// input devices (headless sway). It makes a virtual pointer
// (wlr-virtual-pointer), which gives the seat its pointer capability, so
// that `swaymsg seat seat0 cursor ...` moves reach clients; prints "ready"
// and keeps the pointer until its standard input ends.
//   mosvik-wayland-pointer
#include <poll.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "wlr-virtual-pointer-unstable-v1-client.h"

namespace {
struct Globals {
    wl_seat* seat = nullptr;
    zwlr_virtual_pointer_manager_v1* manager = nullptr;
};

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t)
{
    auto* g = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !g->seat)
        g->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        g->manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}
} // namespace

int main()
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "mosvik-wayland-pointer: no Wayland display\n");
        return 1;
    }
    Globals g;
    static const wl_registry_listener listener = {OnGlobal, OnGlobalRemove};
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &g);
    wl_display_roundtrip(display);
    if (!g.manager) {
        std::fprintf(stderr, "mosvik-wayland-pointer: the compositor has no virtual pointers\n");
        return 1;
    }
    zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g.manager, g.seat);
    wl_display_roundtrip(display);
    std::printf("ready\n");
    std::fflush(stdout);
    // Serve the connection until standard input ends.
    pollfd fds[2] = {{wl_display_get_fd(display), POLLIN, 0}, {0, POLLIN, 0}};
    for (;;) {
        wl_display_flush(display);
        if (::poll(fds, 2, -1) < 0)
            break;
        if (fds[0].revents & POLLIN) {
            if (wl_display_dispatch(display) < 0)
                break;
        } else if (fds[0].revents & (POLLHUP | POLLERR)) {
            break;
        }
        if (fds[1].revents) {
            char buf[256];
            if (::read(0, buf, sizeof buf) <= 0)
                break;
        }
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
