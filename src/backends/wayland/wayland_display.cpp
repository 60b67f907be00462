// CWaylandDisplay: connecting, the registry, the outputs' properties and
// the wait on the connection.
#include "backends/wayland/wayland_display.h"

#include <poll.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "backends/wayland/wayland_input.h"

namespace {
// The highest version of each interface whose requests and events the
// backend knows; a compositor's higher ones are bound at these.
constexpr std::uint32_t kCompositorVersion = 4; // wl_surface.damage_buffer
constexpr std::uint32_t kLayerShellVersion = 3; // the destroy request; nothing later is used
constexpr std::uint32_t kWmBaseVersion = 2;
constexpr std::uint32_t kOutputVersion = 4;     // the connector name
constexpr std::uint32_t kXdgOutputVersion = 3;
constexpr std::uint32_t kSeatVersion = 5;       // pointer frames, release requests

template <typename T>
T* Bind(wl_registry* registry, std::uint32_t name, const wl_interface* interface, std::uint32_t offered,
        std::uint32_t known)
{
    return static_cast<T*>(wl_registry_bind(registry, name, interface, std::min(offered, known)));
}

const wl_output_listener kOutputListener = {
    // geometry: only the transform matters (the place comes from xdg-output)
    [](void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t, std::int32_t, const char*,
       const char*, std::int32_t transform) {
        auto* o = static_cast<WaylandOutput*>(data);
        if (!o->xdg) {
            o->x = x;
            o->y = y;
        }
        o->transform = transform;
    },
    // mode
    [](void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t) {
        if (flags & WL_OUTPUT_MODE_CURRENT)
            static_cast<WaylandOutput*>(data)->mode = SIZE{std::max(width, 0), std::max(height, 0)};
    },
    [](void*, wl_output*) {}, // done
    // scale
    [](void* data, wl_output*, std::int32_t factor) {
        static_cast<WaylandOutput*>(data)->scale = std::clamp(factor, 1, 16);
    },
    // name
    [](void* data, wl_output*, const char* name) { static_cast<WaylandOutput*>(data)->name = name ? name : ""; },
    [](void*, wl_output*, const char*) {}, // description
};

const zxdg_output_v1_listener kXdgOutputListener = {
    // logical_position
    [](void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
        auto* o = static_cast<WaylandOutput*>(data);
        o->x = x;
        o->y = y;
    },
    // logical_size
    [](void* data, zxdg_output_v1*, std::int32_t w, std::int32_t h) {
        static_cast<WaylandOutput*>(data)->xdgLogical = SIZE{std::max(w, 0), std::max(h, 0)};
    },
    [](void*, zxdg_output_v1*) {}, // done
    // name: wl_output's own (version 4) is the same; the first one told stays
    [](void* data, zxdg_output_v1*, const char* name) {
        auto* o = static_cast<WaylandOutput*>(data);
        if (o->name.empty() && name)
            o->name = name;
    },
    [](void*, zxdg_output_v1*, const char*) {}, // description
};

const xdg_wm_base_listener kWmBaseListener = {
    [](void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); },
};
} // namespace

void ReleaseOutput(wl_output* output)
{
    if (wl_output_get_version(output) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
        wl_output_release(output);
    else
        wl_output_destroy(output);
}

SIZE WaylandOutput::LogicalSize() const
{
    if (xdgLogical.cx > 0 && xdgLogical.cy > 0)
        return xdgLogical;
    const bool turned = transform == WL_OUTPUT_TRANSFORM_90 || transform == WL_OUTPUT_TRANSFORM_270 ||
                        transform == WL_OUTPUT_TRANSFORM_FLIPPED_90 || transform == WL_OUTPUT_TRANSFORM_FLIPPED_270;
    const LONG w = turned ? mode.cy : mode.cx, h = turned ? mode.cx : mode.cy;
    const int s = std::max(scale, 1);
    return SIZE{w / s, h / s};
}

CWaylandDisplay::CWaylandDisplay(IWaylandInput& input) : m_input(input)
{
    m_display = wl_display_connect(nullptr);
    if (!m_display) {
        const char* name = std::getenv("WAYLAND_DISPLAY");
        throw WaylandError(std::string("cannot connect to the Wayland display ") + (name && *name ? name : "wayland-0") +
                           ": " + std::strerror(errno));
    }
    static const wl_registry_listener listener = {OnGlobal, OnGlobalRemove};
    m_registry.reset(wl_display_get_registry(m_display));
    wl_registry_add_listener(m_registry.get(), &listener, this);
    Roundtrip(); // the globals
    Roundtrip(); // what the bound outputs and the seat tell
}

CWaylandDisplay::~CWaylandDisplay()
{
    m_seat.reset();
    m_outputs.clear();
    m_fractional.reset();
    m_viewporter.reset();
    m_outputManager.reset();
    m_wmBase.reset();
    m_layerShell.reset();
    m_shm.reset();
    m_compositor.reset();
    m_registry.reset();
    wl_display_disconnect(m_display);
}

std::uint32_t CWaylandDisplay::CompositorVersion() const
{
    return m_compositor ? wl_compositor_get_version(m_compositor.get()) : 0;
}

void CWaylandDisplay::OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                               std::uint32_t version)
{
    auto* self = static_cast<CWaylandDisplay*>(data);
    const std::string_view iface = interface;
    if (iface == wl_compositor_interface.name && !self->m_compositor) {
        self->m_compositor.reset(
            Bind<wl_compositor>(registry, name, &wl_compositor_interface, version, kCompositorVersion));
    } else if (iface == wl_shm_interface.name && !self->m_shm) {
        self->m_shm.reset(Bind<wl_shm>(registry, name, &wl_shm_interface, version, 1));
    } else if (iface == zwlr_layer_shell_v1_interface.name && !self->m_layerShell) {
        self->m_layerShell.reset(Bind<zwlr_layer_shell_v1>(registry, name, &zwlr_layer_shell_v1_interface, version,
                                                           kLayerShellVersion));
    } else if (iface == xdg_wm_base_interface.name && !self->m_wmBase) {
        self->m_wmBase.reset(Bind<xdg_wm_base>(registry, name, &xdg_wm_base_interface, version, kWmBaseVersion));
        xdg_wm_base_add_listener(self->m_wmBase.get(), &kWmBaseListener, nullptr);
    } else if (iface == zxdg_output_manager_v1_interface.name && !self->m_outputManager) {
        self->m_outputManager.reset(Bind<zxdg_output_manager_v1>(registry, name, &zxdg_output_manager_v1_interface,
                                                                 version, kXdgOutputVersion));
        for (auto& o : self->m_outputs)
            self->WatchXdgOutput(*o);
    } else if (iface == wp_viewporter_interface.name && !self->m_viewporter) {
        self->m_viewporter.reset(Bind<wp_viewporter>(registry, name, &wp_viewporter_interface, version, 1));
    } else if (iface == wp_fractional_scale_manager_v1_interface.name && !self->m_fractional) {
        self->m_fractional.reset(Bind<wp_fractional_scale_manager_v1>(
            registry, name, &wp_fractional_scale_manager_v1_interface, version, 1));
    } else if (iface == wl_seat_interface.name && !self->m_seat) {
        self->m_seatGlobal = name;
        self->m_seat = std::make_unique<CWaylandSeat>(
            Bind<wl_seat>(registry, name, &wl_seat_interface, version, kSeatVersion), self->m_input);
    } else if (iface == wl_output_interface.name) {
        self->AddOutput(name, version);
    }
}

void CWaylandDisplay::AddOutput(std::uint32_t name, std::uint32_t version)
{
    auto o = std::make_unique<WaylandOutput>();
    o->global = name;
    o->output.reset(Bind<wl_output>(m_registry.get(), name, &wl_output_interface, version, kOutputVersion));
    wl_output_add_listener(o->output.get(), &kOutputListener, o.get());
    WatchXdgOutput(*o);
    m_outputs.push_back(std::move(o));
}

void CWaylandDisplay::WatchXdgOutput(WaylandOutput& output)
{
    if (!m_outputManager || output.xdg)
        return;
    output.xdg.reset(zxdg_output_manager_v1_get_xdg_output(m_outputManager.get(), output.output.get()));
    zxdg_output_v1_add_listener(output.xdg.get(), &kXdgOutputListener, &output);
}

void CWaylandDisplay::OnGlobalRemove(void* data, wl_registry*, std::uint32_t name)
{
    auto* self = static_cast<CWaylandDisplay*>(data);
    if (name == self->m_seatGlobal && self->m_seat) {
        self->m_seat.reset();
        self->m_seatGlobal = 0;
        return;
    }
    for (auto& o : self->m_outputs) {
        if (o->global == name && !o->removed) {
            o->removed = true;
            o->xdg.reset();
            o->output.reset();
            self->m_removedOutputs.push_back(name);
        }
    }
}

std::vector<const WaylandOutput*> CWaylandDisplay::Outputs() const
{
    std::vector<const WaylandOutput*> list;
    for (const auto& o : m_outputs) {
        if (!o->removed)
            list.push_back(o.get());
    }
    return list;
}

const WaylandOutput* CWaylandDisplay::FindOutput(const wl_output* output) const
{
    for (const auto& o : m_outputs) {
        if (!o->removed && o->output.get() == output)
            return o.get();
    }
    return nullptr;
}

const WaylandOutput* CWaylandDisplay::FindOutput(const std::string& name) const
{
    for (const auto& o : m_outputs) {
        if (!o->removed && o->name == name)
            return o.get();
    }
    return nullptr;
}

bool CWaylandDisplay::OutputRemoved(std::uint32_t global) const
{
    return std::find(m_removedOutputs.begin(), m_removedOutputs.end(), global) != m_removedOutputs.end();
}

void CWaylandDisplay::Fail()
{
    const int error = wl_display_get_error(m_display);
    std::string why;
    if (error == EPROTO) {
        const wl_interface* interface = nullptr;
        std::uint32_t id = 0;
        const std::uint32_t code = wl_display_get_protocol_error(m_display, &interface, &id);
        why = "protocol error " + std::to_string(code) + " on " + (interface ? interface->name : "an object");
    } else {
        why = std::strerror(error ? error : errno);
    }
    throw WaylandError("lost the connection to the Wayland display (" + why + ")");
}

void CWaylandDisplay::Roundtrip()
{
    if (wl_display_roundtrip(m_display) < 0)
        Fail();
}

void CWaylandDisplay::Dispatch(int wakeFd, std::optional<std::int64_t> timeoutNs)
{
    // Events another call read already are handled first, without waiting.
    if (wl_display_prepare_read(m_display) != 0) {
        if (wl_display_dispatch_pending(m_display) < 0)
            Fail();
        return;
    }
    short events = POLLIN;
    if (wl_display_flush(m_display) < 0) {
        if (errno != EAGAIN) {
            wl_display_cancel_read(m_display);
            Fail();
        }
        events |= POLLOUT; // the socket is full: the rest goes when it drains
    }
    pollfd fds[2] = {{wl_display_get_fd(m_display), events, 0}, {wakeFd, POLLIN, 0}};
    timespec ts{};
    if (timeoutNs) {
        const std::int64_t ns = std::max<std::int64_t>(*timeoutNs, 0);
        ts = timespec{time_t(ns / 1000000000), long(ns % 1000000000)};
    }
    const int n = ::ppoll(fds, wakeFd >= 0 ? 2 : 1, timeoutNs ? &ts : nullptr, nullptr);
    if (n > 0 && (fds[0].revents & (POLLIN | POLLERR | POLLHUP))) {
        if (wl_display_read_events(m_display) < 0)
            Fail();
    } else {
        wl_display_cancel_read(m_display);
    }
    if (wl_display_dispatch_pending(m_display) < 0)
        Fail();
}
