// CWaylandDisplay: the connection to the compositor and what the saver
// binds from its registry: compositor, shm, the layer shell, xdg-shell,
// the output manager, viewporter, fractional scale, the first seat, and
// every output with its name, place, mode and scale. It also holds the one
// wait of the backend: read and handle the display's events, or sleep in
// poll() on its descriptor, a wake-up descriptor (the stop signals) and a
// deadline, so an idle saver takes no processor time.
//
// Outputs are bound as they are announced and followed until removed; a
// removed output is remembered by its registry name, which every client
// of the compositor sees alike, so a show can ask whether its own went.
//
// Trade-off: only the first seat is used; a second seat's keys and
// pointer do not reach the saver (no compositor in use offers two).
#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "backends/wayland/wayland_proxy.h"
#include "framework/types.h"

class CWaylandSeat;
class IWaylandInput;

// No connection, a failed connection or a protocol error.
class WaylandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct WaylandOutput {
    std::uint32_t global = 0; // registry name
    WlPtr<wl_output> output;
    WlPtr<zxdg_output_v1> xdg;
    std::string name;    // the connector: "DP-1", "HEADLESS-2"
    int x = 0, y = 0;    // place in the layout, in logical pixels
    SIZE xdgLogical{};   // logical size from xdg-output (0 when not told)
    SIZE mode{};         // current mode, in the output's own pixels
    int transform = WL_OUTPUT_TRANSFORM_NORMAL;
    int scale = 1;
    bool removed = false;

    // The logical size: xdg-output's, else the mode turned by the
    // transform and divided by the scale.
    SIZE LogicalSize() const;
};

class CWaylandDisplay {
public:
    // Connects to $WAYLAND_DISPLAY and reads the globals and the outputs;
    // `input` receives the seat's key and pointer events. Throws
    // WaylandError when there is no compositor to connect to.
    explicit CWaylandDisplay(IWaylandInput& input);
    ~CWaylandDisplay();
    CWaylandDisplay(const CWaylandDisplay&) = delete;
    CWaylandDisplay& operator=(const CWaylandDisplay&) = delete;

    wl_display* Display() const { return m_display; }
    wl_compositor* Compositor() const { return m_compositor.get(); }
    std::uint32_t CompositorVersion() const;
    wl_shm* Shm() const { return m_shm.get(); }
    zwlr_layer_shell_v1* LayerShell() const { return m_layerShell.get(); }
    xdg_wm_base* WmBase() const { return m_wmBase.get(); }
    wp_viewporter* Viewporter() const { return m_viewporter.get(); }
    wp_fractional_scale_manager_v1* FractionalScale() const { return m_fractional.get(); }
    CWaylandSeat* Seat() const { return m_seat.get(); }

    // Outputs in the order the compositor announced them (removed ones
    // are dropped).
    std::vector<const WaylandOutput*> Outputs() const;
    const WaylandOutput* FindOutput(const wl_output* output) const;
    const WaylandOutput* FindOutput(const std::string& name) const;
    // True once the output with that registry name was removed.
    bool OutputRemoved(std::uint32_t global) const;

    // Handles events already read; when there were none, sends the
    // requests, waits until the display has events, `wakeFd` (-1: none) is
    // readable or `timeoutNs` (none: no limit) passed, and handles what
    // came. Throws WaylandError when the connection fails.
    void Dispatch(int wakeFd, std::optional<std::int64_t> timeoutNs);
    // Sends the requests and waits for the compositor's answer to all.
    void Roundtrip();

private:
    static void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                         std::uint32_t version);
    static void OnGlobalRemove(void* data, wl_registry* registry, std::uint32_t name);
    void AddOutput(std::uint32_t name, std::uint32_t version);
    void WatchXdgOutput(WaylandOutput& output);
    [[noreturn]] void Fail();

    IWaylandInput& m_input;
    wl_display* m_display = nullptr;
    WlPtr<wl_registry> m_registry;
    WlPtr<wl_compositor> m_compositor;
    WlPtr<wl_shm> m_shm;
    WlPtr<zwlr_layer_shell_v1> m_layerShell;
    WlPtr<xdg_wm_base> m_wmBase;
    WlPtr<zxdg_output_manager_v1> m_outputManager;
    WlPtr<wp_viewporter> m_viewporter;
    WlPtr<wp_fractional_scale_manager_v1> m_fractional;
    std::unique_ptr<CWaylandSeat> m_seat;
    std::uint32_t m_seatGlobal = 0;
    std::vector<std::unique_ptr<WaylandOutput>> m_outputs;
    std::vector<std::uint32_t> m_removedOutputs;
};
