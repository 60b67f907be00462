// CBoardBuffer: an off-screen bitmap of the show (the board buffer of
// RedrawBoard, the scene of the show cycle) with the size it was made at.
// It lives for the whole process and is made again only when a different
// size is asked for, so the animation never reallocates it.
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
