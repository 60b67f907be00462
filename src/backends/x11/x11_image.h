// CX11Image: shows rectangles of a window's CSurface in its X window. The
// pixels go through one XImage per window, kept at the window's size: in a
// MIT shared-memory segment when the server can attach it (no copy through
// the socket), else in client memory sent with XPutImage.
//
// Trade-off: a shared image is not waited for after XShmPutImage. The
// image only ever mirrors the surface, so a server that reads it late
// shows pixels newer than the request asked for, never wrong ones; waiting
// for each completion would make every small transition step a round trip.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <cstdint>

#include "framework/types.h"

class CSurface;
class CX11Display;

class CX11Image {
public:
    explicit CX11Image(CX11Display& display);
    ~CX11Image();
    CX11Image(const CX11Image&) = delete;
    CX11Image& operator=(const CX11Image&) = delete;

    // Copies rc of the surface (clipped to it) into the image and sends it
    // to `window` at the same place. Grows the image when the surface did.
    void Show(Window window, GC gc, const CSurface& surface, const RECT& rc);
    bool UsesShm() const { return m_shm.shmid >= 0; }

private:
    void Allocate(int width, int height);
    bool AllocateShm(int width, int height);
    void AllocatePlain(int width, int height);
    void Release();
    void CopyRows(const CSurface& surface, int x, int y, int w, int h);

    CX11Display& m_display;
    XImage* m_image = nullptr;
    XShmSegmentInfo m_shm{};
    int m_width = 0, m_height = 0;
    bool m_bDirectCopy = false; // the image's pixels have the surface's layout
    int m_shift[3] = {};        // red, green, blue: left shift of an 8-bit channel
    int m_bits[3] = {};         // and its width in the image
};
