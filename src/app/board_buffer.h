// CBoardBuffer: the saver window's off-screen bitmap with the size it was
// made at. It lives as long as the window and is made again only when a
// different size is asked for, so neither the animation nor a new cycle
// reallocates it.
#pragma once

#include "raster/dc.h"

class CBoardBuffer {
public:
    // Makes the bitmap w by h, compatible with pDC, unless it already
    // exists at that size. True when it was (re)made by this call.
    bool Ensure(CDC* pDC, int w, int h);
    CBitmap* Bitmap() { return &m_bmp; }

private:
    CBitmap m_bmp;
    SIZE m_size{};
};
