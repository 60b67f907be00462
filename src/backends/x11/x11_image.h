// CX11Image: shows rectangles of a window's CSurface in its X window. The
// pixels go through one XImage per window, kept at the window's size: in a
// MIT shared-memory segment when the server can attach it (no copy through
// the socket), else in client memory sent with XPutImage.
//
// A shared image whose pixels have the surface's layout (32 bits, native
// byte order, red 0xFF0000, green 0x00FF00, blue 0x0000FF) is lent to the
// surface: the core draws straight into the segment and Show only puts the
// rectangle. The image owns the segment and takes the loan back before it
// lets go of it; a surface that grew out of the loan is copied as before.
//
// Trade-off: a lent image is waited for after each XShmPutImage (XSync), so
// the next drawing never changes pixels the server is still reading; that
// is one round trip per presented change. A copied image is not waited for:
// it only ever mirrors the surface, so a late read shows newer pixels, never
// a half-drawn change.
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

    // Makes the image width x height and sizes `surface` to it, lending it
    // the image's pixels when their layout allows (contents undefined, as
    // after CSurface::Resize). The surface must outlive the image or be
    // fitted again before it is freed.
    void Fit(CSurface& surface, int width, int height);
    // Sends rc of the surface (clipped to it) to `window` at the same
    // place, copying it into the image first unless the image is the
    // surface's memory. Grows the image when the surface did.
    void Show(Window window, GC gc, const CSurface& surface, const RECT& rc);
    bool UsesShm() const { return m_shm.shmid >= 0; }

private:
    void Allocate(int width, int height);
    bool AllocateShm(int width, int height);
    void AllocatePlain(int width, int height);
    void Release();
    bool IsLentTo(const CSurface& surface) const;
    void CopyRows(const CSurface& surface, int x, int y, int w, int h);

    CX11Display& m_display;
    XImage* m_image = nullptr;
    XShmSegmentInfo m_shm{};
    int m_width = 0, m_height = 0;
    bool m_bDirectCopy = false; // the image's pixels have the surface's layout
    int m_shift[3] = {};        // red, green, blue: left shift of an 8-bit channel
    int m_bits[3] = {};         // and its width in the image
    CSurface* m_pBorrower = nullptr; // the surface the image was lent to
};
