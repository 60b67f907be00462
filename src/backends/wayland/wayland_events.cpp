// CWaylandPlatform: seat events as the framework's messages, for the
// full-screen surfaces only (the --window preview, like the X11 one, takes
// no input: the core would ignore it anyway).
//   pointer enter, motion  -> WM_MOUSEMOVE at the buffer pixel
//   left, middle, right    -> WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONDOWN
//   key pressed            -> WM_KEYDOWN, no virtual-key code, the evdev code
//                             as the scan code
// The pointer is hidden over the full-screen surfaces.
#include "backends/wayland/wayland_platform.h"
#include "backends/wayland/wayland_surface.h"

bool CWaylandPlatform::HidesCursor(wl_surface* surface)
{
    const Native* n = NativeOfSurface(surface);
    return n && n->fullScreen;
}

void CWaylandPlatform::OnPointerMotion(wl_surface* surface, wl_fixed_t x, wl_fixed_t y, WPARAM buttons)
{
    const Native* n = NativeOfSurface(surface);
    if (!n || !n->fullScreen || !n->content)
        return;
    const POINT p = BufferPoint(x, y, n->surface->Logical(), n->surface->BufferSize());
    PostMessage(n->content, WM_MOUSEMOVE, buttons, MAKELPARAM(p.x, p.y));
    ++m_inputCount;
}

void CWaylandPlatform::OnPointerButton(wl_surface* surface, UINT message, wl_fixed_t x, wl_fixed_t y, WPARAM buttons)
{
    const Native* n = NativeOfSurface(surface);
    if (!n || !n->fullScreen || !n->content)
        return;
    const POINT p = BufferPoint(x, y, n->surface->Logical(), n->surface->BufferSize());
    PostMessage(n->content, message, buttons, MAKELPARAM(p.x, p.y));
    ++m_inputCount;
}

void CWaylandPlatform::OnKey(wl_surface* surface, std::uint32_t evdevCode)
{
    const Native* n = NativeOfSurface(surface);
    if (!n || !n->fullScreen || !n->content)
        return;
    PostMessage(n->content, WM_KEYDOWN, 0, LPARAM(1) | (LPARAM(evdevCode & 0xFF) << 16));
    ++m_inputCount;
}
