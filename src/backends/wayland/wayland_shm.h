// CShmBuffers: the two wl_shm buffers a surface is shown through, in one
// memfd pool, in the raster's own pixel layout (XRGB8888, which is the
// surface's blue-green-red-unused bytes), so a row is one memcpy. A buffer
// the compositor holds (attached, not yet released) is never written: the
// next present goes to the other one, or waits when both are held.
//
// Each buffer remembers what changed since it was last filled, so filling
// it copies those parts and the new damage, not the whole surface.
//
// Trade-off: two buffers only. A compositor that holds both (one on
// screen, one being read) makes the saver wait for a release instead of
// allocating a third; at one present per frame callback this is rare.
#pragma once

#include <wayland-client.h>

#include <cstddef>
#include <cstdint>

#include "backends/wayland/wayland_geometry.h"
#include "backends/wayland/wayland_proxy.h"

class CSurface;

class CShmBuffers {
public:
    // Two buffers of width x height pixels; throws std::runtime_error when
    // the memory cannot be had, std::length_error for a size beyond the
    // raster's limits.
    CShmBuffers(wl_shm* shm, int width, int height);
    ~CShmBuffers();
    CShmBuffers(const CShmBuffers&) = delete;
    CShmBuffers& operator=(const CShmBuffers&) = delete;

    int Width() const { return m_width; }
    int Height() const { return m_height; }

    // A buffer the compositor does not hold, brought up to date from
    // `surface` (what it missed and `damage`), and now counted as held; null
    // when both are held.
    wl_buffer* Fill(const CSurface& surface, const CDamage& damage);
    // Both buffers are held by the compositor.
    bool BothHeld() const { return m_slots[0].held && m_slots[1].held; }

private:
    struct Slot {
        WlPtr<wl_buffer> buffer;
        std::uint32_t* pixels = nullptr;
        bool held = false;
        CDamage stale; // changed since this buffer was last filled
    };

    void CopyRect(Slot& slot, const CSurface& surface, const RECT& rc) const;

    int m_width = 0, m_height = 0;
    void* m_map = nullptr;
    std::size_t m_mapSize = 0;
    Slot m_slots[2];
};
