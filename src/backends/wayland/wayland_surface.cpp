// CWaylandSurface: the roles' set-up and configure handshakes, the scale,
// and the commit of a present.
#include "backends/wayland/wayland_surface.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "backends/wayland/wayland_shm.h"
#include "raster/surface.h"

namespace {
constexpr std::uint32_t kAllEdges = ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;
constexpr const char* kLayerNamespace = "mosvik";
} // namespace

const wl_surface_listener CWaylandSurface::kSurfaceListener = {
    // enter
    [](void* data, wl_surface*, wl_output* output) {
        auto* self = static_cast<CWaylandSurface*>(data);
        self->m_outputs.push_back(output);
        self->m_outputsChanged = true;
    },
    // leave
    [](void* data, wl_surface*, wl_output* output) {
        auto* self = static_cast<CWaylandSurface*>(data);
        std::erase(self->m_outputs, output);
        self->m_outputsChanged = true;
    },
};

const zwlr_layer_surface_v1_listener CWaylandSurface::kLayerListener = {
    // configure
    [](void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width, std::uint32_t height) {
        zwlr_layer_surface_v1_ack_configure(layer, serial);
        static_cast<CWaylandSurface*>(data)->Configure(
            SIZE{LONG(std::min<std::uint32_t>(width, INT_MAX)), LONG(std::min<std::uint32_t>(height, INT_MAX))});
    },
    // closed: the output went away, or the compositor will not show it
    [](void* data, zwlr_layer_surface_v1*) { static_cast<CWaylandSurface*>(data)->m_closed = true; },
};

const xdg_surface_listener CWaylandSurface::kXdgSurfaceListener = {
    // configure: ends a sequence of toplevel events
    [](void* data, xdg_surface* surface, std::uint32_t serial) {
        xdg_surface_ack_configure(surface, serial);
        auto* self = static_cast<CWaylandSurface*>(data);
        self->Configure(self->m_pendingLogical);
    },
};

const xdg_toplevel_listener CWaylandSurface::kToplevelListener = {
    // configure: 0 leaves the size to the client (the one it has)
    [](void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*) {
        auto* self = static_cast<CWaylandSurface*>(data);
        const SIZE keep = self->m_logical.cx > 0 ? self->m_logical : self->m_fallback;
        self->m_pendingLogical = SIZE{width > 0 ? width : keep.cx, height > 0 ? height : keep.cy};
    },
    // close
    [](void* data, xdg_toplevel*) { static_cast<CWaylandSurface*>(data)->m_closed = true; },
    [](void*, xdg_toplevel*, std::int32_t, std::int32_t) {}, // configure_bounds
    [](void*, xdg_toplevel*, wl_array*) {},                  // wm_capabilities
};

const wl_callback_listener CWaylandSurface::kFrameListener = {
    // done: the compositor is ready for the next frame
    [](void* data, wl_callback*, std::uint32_t) { static_cast<CWaylandSurface*>(data)->m_frame.reset(); },
};

const wp_fractional_scale_v1_listener CWaylandSurface::kFractionalListener = {
    // preferred_scale, in 120ths
    [](void* data, wp_fractional_scale_v1*, std::uint32_t scale) {
        auto* self = static_cast<CWaylandSurface*>(data);
        self->m_scale.fraction120 = int(std::clamp<std::uint32_t>(scale, 1, SurfaceScale::kMaxFraction));
        self->UpdateBufferSize();
    },
};

CWaylandSurface::CWaylandSurface(CWaylandDisplay& display) : m_display(display)
{
    m_surface.reset(wl_compositor_create_surface(display.Compositor()));
    wl_surface_add_listener(m_surface.get(), &kSurfaceListener, this);
    // Fractional scales need the viewport to map the buffer back onto the
    // logical size; with only one of the two the integer scale is used.
    if (display.FractionalScale() && display.Viewporter()) {
        m_viewport.reset(wp_viewporter_get_viewport(display.Viewporter(), m_surface.get()));
        m_fractional.reset(
            wp_fractional_scale_manager_v1_get_fractional_scale(display.FractionalScale(), m_surface.get()));
        wp_fractional_scale_v1_add_listener(m_fractional.get(), &kFractionalListener, this);
    }
}

CWaylandSurface::~CWaylandSurface()
{
    // Role objects before the surface, the buffers after it.
    m_frame.reset();
    m_toplevel.reset();
    m_xdgSurface.reset();
    m_layer.reset();
    m_fractional.reset();
    m_viewport.reset();
    m_surface.reset();
    m_buffers.reset();
}

std::unique_ptr<CWaylandSurface> CWaylandSurface::MakeLayer(CWaylandDisplay& display, wl_output* output,
                                                            SIZE fallback, int outputScale)
{
    if (!display.LayerShell())
        throw std::runtime_error("the compositor has no layer shell");
    std::unique_ptr<CWaylandSurface> s(new CWaylandSurface(display));
    s->m_fallback = fallback;
    s->m_scale.integer = std::clamp(outputScale, 1, SurfaceScale::kMaxInteger);
    s->m_layer.reset(zwlr_layer_shell_v1_get_layer_surface(display.LayerShell(), s->m_surface.get(), output,
                                                            ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, kLayerNamespace));
    zwlr_layer_surface_v1_add_listener(s->m_layer.get(), &kLayerListener, s.get());
    zwlr_layer_surface_v1_set_size(s->m_layer.get(), 0, 0); // the whole output, by the anchors
    zwlr_layer_surface_v1_set_anchor(s->m_layer.get(), kAllEdges);
    zwlr_layer_surface_v1_set_exclusive_zone(s->m_layer.get(), -1); // over panels too
    zwlr_layer_surface_v1_set_keyboard_interactivity(s->m_layer.get(),
                                                     ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    wl_surface_commit(s->m_surface.get()); // no buffer: asks for the first configure
    return s;
}

std::unique_ptr<CWaylandSurface> CWaylandSurface::MakeToplevel(CWaylandDisplay& display, const char* title,
                                                               const char* appId, SIZE initial, SIZE minimum)
{
    if (!display.WmBase())
        throw std::runtime_error("the compositor has no xdg_wm_base (xdg-shell) for a window");
    std::unique_ptr<CWaylandSurface> s(new CWaylandSurface(display));
    s->m_fallback = initial;
    s->m_pendingLogical = initial;
    s->m_xdgSurface.reset(xdg_wm_base_get_xdg_surface(display.WmBase(), s->m_surface.get()));
    xdg_surface_add_listener(s->m_xdgSurface.get(), &kXdgSurfaceListener, s.get());
    s->m_toplevel.reset(xdg_surface_get_toplevel(s->m_xdgSurface.get()));
    xdg_toplevel_add_listener(s->m_toplevel.get(), &kToplevelListener, s.get());
    xdg_toplevel_set_title(s->m_toplevel.get(), title);
    xdg_toplevel_set_app_id(s->m_toplevel.get(), appId);
    xdg_toplevel_set_min_size(s->m_toplevel.get(), minimum.cx, minimum.cy);
    wl_surface_commit(s->m_surface.get());
    return s;
}

bool CWaylandSurface::TakeResized()
{
    const bool r = m_resized;
    m_resized = false;
    return r;
}

bool CWaylandSurface::TakeOutputsChanged()
{
    const bool r = m_outputsChanged;
    m_outputsChanged = false;
    return r;
}

void CWaylandSurface::Configure(SIZE logical)
{
    if (logical.cx <= 0 || logical.cy <= 0)
        logical = m_fallback;
    m_logical = logical;
    if (!m_configured) {
        m_configured = true;
        m_resized = true; // the first size is news too
    }
    UpdateBufferSize();
}

void CWaylandSurface::SetIntegerScale(int scale)
{
    scale = std::clamp(scale, 1, SurfaceScale::kMaxInteger);
    if (scale == m_scale.integer)
        return;
    m_scale.integer = scale;
    if (!m_scale.Fractional())
        UpdateBufferSize();
}

void CWaylandSurface::UpdateBufferSize()
{
    if (!m_configured)
        return;
    SIZE size{};
    try {
        size = ::BufferSize(m_logical, m_scale);
    } catch (const std::length_error&) {
        size = SIZE{}; // nothing is shown until it fits again
    }
    if (size.cx != m_bufferSize.cx || size.cy != m_bufferSize.cy) {
        m_bufferSize = size;
        m_resized = true;
    }
}

void CWaylandSurface::Present(const RECT& rc)
{
    if (!m_content)
        return;
    m_damage.Add(rc, RECT{0, 0, m_content->Width(), m_content->Height()});
    TryCommit();
}

void CWaylandSurface::ApplyScale(bool sizeChanged)
{
    wl_surface* s = m_surface.get();
    const int bufferScale = m_scale.Fractional() ? 1 : m_scale.integer;
    if (bufferScale != m_committedScale) {
        wl_surface_set_buffer_scale(s, bufferScale);
        m_committedScale = bufferScale;
    }
    if (m_viewport && (sizeChanged || m_committedLogical.cx != m_logical.cx || m_committedLogical.cy != m_logical.cy)) {
        if (m_scale.Fractional())
            wp_viewport_set_destination(m_viewport.get(), m_logical.cx, m_logical.cy);
        else
            wp_viewport_set_destination(m_viewport.get(), -1, -1);
    }
    if (m_committedLogical.cx != m_logical.cx || m_committedLogical.cy != m_logical.cy) {
        // Every pixel is opaque: the compositor need not draw what lies below.
        wl_region* region = wl_compositor_create_region(m_display.Compositor());
        wl_region_add(region, 0, 0, m_logical.cx, m_logical.cy);
        wl_surface_set_opaque_region(s, region);
        wl_region_destroy(region);
        m_committedLogical = m_logical;
    }
}

void CWaylandSurface::TryCommit()
{
    if (!m_configured || m_closed || m_frame || !m_content || m_damage.Empty())
        return;
    const SIZE size = m_bufferSize;
    // The window's surface follows a new size first (the platform resizes
    // it after the configure); until then a buffer of the old size would
    // not match the scale.
    if (size.cx <= 0 || size.cy <= 0 || m_content->Width() != size.cx || m_content->Height() != size.cy)
        return;
    const bool fresh = !m_buffers || m_buffers->Width() != size.cx || m_buffers->Height() != size.cy;
    if (fresh) {
        m_buffers.reset();
        m_buffers = std::make_unique<CShmBuffers>(m_display.Shm(), int(size.cx), int(size.cy));
    }
    wl_buffer* buffer = m_buffers->Fill(*m_content, m_damage);
    if (!buffer)
        return; // both held: the next release lets it through
    wl_surface* s = m_surface.get();
    ApplyScale(fresh);
    wl_surface_attach(s, buffer, 0, 0);
    if (m_display.CompositorVersion() < WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION) {
        wl_surface_damage(s, 0, 0, INT32_MAX, INT32_MAX);
    } else if (fresh) {
        wl_surface_damage_buffer(s, 0, 0, size.cx, size.cy);
    } else {
        for (const RECT& r : m_damage.Rects())
            wl_surface_damage_buffer(s, r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    m_frame.reset(wl_surface_frame(s));
    wl_callback_add_listener(m_frame.get(), &kFrameListener, this);
    wl_surface_commit(s);
    m_damage.Clear();
}
