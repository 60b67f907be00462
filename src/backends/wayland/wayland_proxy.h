// The protocols' client headers, and owning handles for their objects: a
// unique_ptr whose deleter is the interface's destructor request
// (wl_surface_destroy, zwlr_layer_surface_v1_destroy, ...), so every object
// the backend makes is released with its owner.
//
// The generated request functions are static inline (internal linkage), so
// they cannot be template arguments of a type used in several files; each
// interface names its destructor once here instead.
#pragma once

#include <wayland-client.h>

#include <memory>

#include "wayland_protocols/fractional-scale-v1-client.h"
#include "wayland_protocols/viewporter-client.h"
#include "wayland_protocols/xdg-output-unstable-v1-client.h"
#include "wayland_protocols/xdg-shell-client.h"
// The layer shell's header names a parameter "namespace", which C++ reserves.
#define namespace layer_namespace
#include "wayland_protocols/wlr-layer-shell-unstable-v1-client.h"
#undef namespace

// What ends an object of type T.
template <typename T>
struct WlDestroyer;

template <typename T>
using WlPtr = std::unique_ptr<T, WlDestroyer<T>>;

// Where the version decides between the release request and a plain
// destroy (wl_output, wl_seat, wl_pointer, wl_keyboard).
void ReleaseOutput(wl_output* output);
void ReleaseSeat(wl_seat* seat);
void ReleasePointer(wl_pointer* pointer);
void ReleaseKeyboard(wl_keyboard* keyboard);

#define MOSVIK_WL_DESTROYER(T, destroy)  \
    template <>                          \
    struct WlDestroyer<T> {              \
        void operator()(T* p) const      \
        {                                \
            if (p)                       \
                destroy(p);              \
        }                                \
    }

MOSVIK_WL_DESTROYER(wl_registry, wl_registry_destroy);
MOSVIK_WL_DESTROYER(wl_compositor, wl_compositor_destroy);
MOSVIK_WL_DESTROYER(wl_shm, wl_shm_destroy);
MOSVIK_WL_DESTROYER(wl_surface, wl_surface_destroy);
MOSVIK_WL_DESTROYER(wl_buffer, wl_buffer_destroy);
MOSVIK_WL_DESTROYER(wl_callback, wl_callback_destroy);
MOSVIK_WL_DESTROYER(wl_output, ReleaseOutput);
MOSVIK_WL_DESTROYER(wl_seat, ReleaseSeat);
MOSVIK_WL_DESTROYER(wl_pointer, ReleasePointer);
MOSVIK_WL_DESTROYER(wl_keyboard, ReleaseKeyboard);
MOSVIK_WL_DESTROYER(zwlr_layer_shell_v1, zwlr_layer_shell_v1_destroy);
MOSVIK_WL_DESTROYER(zwlr_layer_surface_v1, zwlr_layer_surface_v1_destroy);
MOSVIK_WL_DESTROYER(xdg_wm_base, xdg_wm_base_destroy);
MOSVIK_WL_DESTROYER(xdg_surface, xdg_surface_destroy);
MOSVIK_WL_DESTROYER(xdg_toplevel, xdg_toplevel_destroy);
MOSVIK_WL_DESTROYER(zxdg_output_manager_v1, zxdg_output_manager_v1_destroy);
MOSVIK_WL_DESTROYER(zxdg_output_v1, zxdg_output_v1_destroy);
MOSVIK_WL_DESTROYER(wp_viewporter, wp_viewporter_destroy);
MOSVIK_WL_DESTROYER(wp_viewport, wp_viewport_destroy);
MOSVIK_WL_DESTROYER(wp_fractional_scale_manager_v1, wp_fractional_scale_manager_v1_destroy);
MOSVIK_WL_DESTROYER(wp_fractional_scale_v1, wp_fractional_scale_v1_destroy);

#undef MOSVIK_WL_DESTROYER
