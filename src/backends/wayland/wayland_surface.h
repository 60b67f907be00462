// CWaylandSurface: one wl_surface of the saver with its role, either an
// overlay layer surface covering one output (the full-screen show) or an
// xdg-shell toplevel (--window), and the way its pixels reach the screen:
//   Present(rc)  records rc as damage and commits when it may;
//   a commit     fills a free shm buffer from the window's surface,
//                attaches it, damages only what changed, asks for a frame
//                callback and commits;
//   no commit    while the last frame callback has not come (the
//                compositor is not ready, or the output shows nothing),
//                while both buffers are held, or while the window's
//                surface does not have the configured size yet.
// So presents are paced by the compositor and an output that is not
// shown costs nothing but the damage list.
//
// The buffer is the logical size the compositor configured times the
// scale: the output's integer scale through wl_surface.set_buffer_scale,
// or the fractional-scale-v1 preferred scale through a viewport when the
// compositor offers both.
//
// Event handlers only record (configured, resized, closed, frame done,
// outputs entered); the platform reads the records after each dispatch
// and calls TryCommit, so nothing the saver does runs inside libwayland.
#pragma once

#include <wayland-client.h>

#include <memory>
#include <vector>

#include "backends/wayland/wayland_display.h"
#include "backends/wayland/wayland_geometry.h"
#include "backends/wayland/wayland_proxy.h"

class CShmBuffers;
class CSurface;

class CWaylandSurface {
public:
    // A surface on the overlay layer of `output`, anchored to every edge,
    // with exclusive zone -1 and the keyboard exclusively; `fallback` is
    // its logical size should the compositor leave the size to it.
    static std::unique_ptr<CWaylandSurface> MakeLayer(CWaylandDisplay& display, wl_output* output, SIZE fallback,
                                                      int outputScale);
    // A resizable toplevel window titled `title`, of `initial` logical size
    // until the compositor decides, no smaller than `minimum`.
    static std::unique_ptr<CWaylandSurface> MakeToplevel(CWaylandDisplay& display, const char* title,
                                                         const char* appId, SIZE initial, SIZE minimum);
    ~CWaylandSurface();
    CWaylandSurface(const CWaylandSurface&) = delete;
    CWaylandSurface& operator=(const CWaylandSurface&) = delete;

    wl_surface* Surface() const { return m_surface.get(); }
    bool IsLayer() const { return m_layer != nullptr; }

    // What the compositor told.
    bool Configured() const { return m_configured; }
    bool Closed() const { return m_closed; } // the output went or the window was closed
    SIZE Logical() const { return m_logical; }
    SIZE BufferSize() const { return m_bufferSize; }
    const SurfaceScale& Scale() const { return m_scale; }
    // True once after the buffer size changed (a configure, a new scale).
    bool TakeResized();
    // The outputs the surface is shown on, and whether that changed since
    // the last call.
    const std::vector<wl_output*>& Outputs() const { return m_outputs; }
    bool TakeOutputsChanged();

    // The output's integer scale (ignored while a fractional one is given).
    void SetIntegerScale(int scale);

    // The pixels the surface shows (null: none yet).
    void SetContent(const CSurface* content) { m_content = content; }
    // rc of the content changed: show it at the next commit.
    void Present(const RECT& rc);
    // A commit waits for its frame callback.
    bool FramePending() const { return m_frame != nullptr; }
    // Commits the damage when nothing holds it back (see above). Throws
    // std::runtime_error when the buffers cannot be made.
    void TryCommit();

private:
    explicit CWaylandSurface(CWaylandDisplay& display);
    void WatchScale();
    void Configure(SIZE logical);
    void UpdateBufferSize();
    void ApplyScale(bool sizeChanged);

    static const wl_surface_listener kSurfaceListener;
    static const zwlr_layer_surface_v1_listener kLayerListener;
    static const xdg_surface_listener kXdgSurfaceListener;
    static const xdg_toplevel_listener kToplevelListener;
    static const wl_callback_listener kFrameListener;
    static const wp_fractional_scale_v1_listener kFractionalListener;

    CWaylandDisplay& m_display;
    WlPtr<wl_surface> m_surface;
    WlPtr<wp_viewport> m_viewport;
    WlPtr<wp_fractional_scale_v1> m_fractional;
    WlPtr<zwlr_layer_surface_v1> m_layer;
    WlPtr<xdg_surface> m_xdgSurface;
    WlPtr<xdg_toplevel> m_toplevel;
    WlPtr<wl_callback> m_frame;
    std::unique_ptr<CShmBuffers> m_buffers;

    SIZE m_fallback{};       // logical size when a configure gives 0
    SIZE m_pendingLogical{}; // a toplevel's size, until its xdg_surface configure
    SIZE m_logical{};
    SIZE m_bufferSize{};
    SurfaceScale m_scale;
    int m_committedScale = 1;     // wl_surface.set_buffer_scale as last committed
    SIZE m_committedLogical{};    // the opaque region and viewport as last committed
    bool m_configured = false;
    bool m_closed = false;
    bool m_resized = false;
    bool m_outputsChanged = false;
    std::vector<wl_output*> m_outputs;
    const CSurface* m_content = nullptr;
    CDamage m_damage;
};
