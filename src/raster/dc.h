// Device contexts and drawing objects of the software raster: every
// platform draws through these, so pixels are the same everywhere. A CDC
// draws into a CSurface with a logical window origin (device = logical -
// origin) and an optional clip region in device coordinates. A DC on a
// window presents each change it makes at once (transitions rely on that).
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "framework/cstring.h"
#include "framework/object.h"
#include "raster/region.h"
#include "raster/surface.h"
#include "raster/text.h"
#include "framework/types.h"

class CWnd;

// Raster operations and modes (values as on Windows).
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr UINT DIB_RGB_COLORS = 0;
constexpr int LOGPIXELSY = 90;

// The nearest-neighbour mapping of StretchDIBits (COLORONCOLOR): index d of
// a destination run of dstLen pixels (0 <= d < dstLen) takes index
// d * srcLen / dstLen of the source run, truncated. Columns map this way
// left to right, rows top to bottom; shrinking drops rows and columns,
// enlarging repeats them, and no two source pixels are ever blended.
constexpr std::int64_t StretchSourceIndex(std::int64_t d, std::int64_t srcLen, std::int64_t dstLen)
{
    return d * srcLen / dstLen;
}

// One channel of text drawn over a pixel with coverage a (0..255):
// dst + (src - dst) * a / 255 rounded half up, computed as the
// non-negative (dst * (255 - a) + src * a + 127) / 255 so that a = 255
// gives exactly src and a = 0 exactly dst in both directions.
constexpr std::uint32_t BlendChannel(std::uint32_t dst, std::uint32_t src, std::uint32_t a)
{
    return (dst * (255 - a) + src * a + 127) / 255;
}

// A bitmap compatible with the screen (32-bit surface), or one loaded from
// a packed device-independent bitmap (converted to 32-bit on load).
class CBitmap : public CObject {
public:
    BOOL CreateCompatibleBitmap(class CDC* pDC, int w, int h);
    // Loads a packed DIB (BITMAPINFOHEADER, colour table, bottom-up rows):
    // 8-bit palette or 24-bit, uncompressed. False when it is not one.
    BOOL LoadPackedDib(const BYTE* data, std::size_t size);
    void DeleteObject() { m_surface.reset(); }
    bool IsValid() const { return m_surface != nullptr; }
    SIZE GetSize() const { return m_surface ? SIZE{m_surface->Width(), m_surface->Height()} : SIZE{}; }
    CSurface* Surface() { return m_surface.get(); }
    const CSurface* Surface() const { return m_surface.get(); }

private:
    std::unique_ptr<CSurface> m_surface;
};

class CFont : public CObject {
public:
    BOOL CreateFontIndirect(const LOGFONT& lf);
    // A point font made the framework's way: height = -(tenths * LOGPIXELSY / 720),
    // every other field 0 but the default character set and the face name.
    BOOL CreatePointFont(int nPointSize, const char* face, class CDC* pDC);
    int GetLogFont(LOGFONT* lf) const;
    void DeleteObject() { m_valid = false; }
    bool IsValid() const { return m_valid; }
    const LOGFONT& Log() const { return m_lf; }

private:
    LOGFONT m_lf{};
    bool m_valid = false;
};

class CDC : public CObject {
public:
    CDC() = default;
    ~CDC() override = default;

    // A memory DC: draws into whatever bitmap is selected into it.
    BOOL CreateCompatibleDC(CDC* pDC);
    // Attaches a surface directly (the DC does not own it).
    void AttachSurface(CSurface* surface) { m_pSurface = surface; }
    CSurface* GetSurface() const { return m_pSurface; }
    CBitmap* SelectObject(CBitmap* pBitmap);
    CFont* SelectObject(CFont* pFont);

    POINT SetWindowOrg(int x, int y);
    POINT GetWindowOrg() const { return m_ptOrg; }

    // Clip region in device coordinates; null removes it.
    int SelectClipRgn(const CRgn* pRgn);
    int OffsetClipRgn(int dx, int dy);
    // The DC's copy of the clip region (device coordinates), or null.
    const CRgn* GetClipRgn() const { return m_bClip ? &m_clip : nullptr; }
    // A device rectangle that bounds every drawing operation on top of the
    // clip region, kept when the clip region is selected or moved; null
    // removes it. Composition uses it to touch only the area it refreshes.
    void SetDrawLimit(const RECT* prc);

    BOOL BitBlt(int x, int y, int w, int h, CDC* pSrcDC, int xSrc, int ySrc, DWORD rop);
    BOOL PatBlt(int x, int y, int w, int h, DWORD rop);
    // Copies a 24-bit bottom-up DIB (rows padded to 4 bytes) at (xDest, yDest).
    // As on Windows, (xSrc, ySrc) is the source rectangle's lower-left corner
    // with ySrc counted from the image's bottom row, and `bits` holds the
    // scans startScan .. startScan + numScans - 1 (bottom-up). Returns the
    // number of scans given (0 for an image that is not 24-bit, positive
    // height, uncompressed). Only pixels inside the image are read.
    int SetDIBitsToDevice(int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, UINT startScan,
                          UINT numScans, const void* bits, const BITMAPINFOHEADER* bmi, UINT usage);
    // Nearest-neighbour scaled copy of a 24-bit bottom-up DIB (COLORONCOLOR:
    // rows and columns are dropped or repeated, never blended), drawn so in
    // every stretch mode. The source rectangle is (xSrc, ySrc, wSrc, hSrc)
    // with ySrc its lower edge counted from the image's bottom row, as on
    // Windows; its top row, counted from the image's top, is
    // T = biHeight - ySrc - hSrc. Destination pixel (dx, dy) of the wDest x
    // hDest rectangle takes column xSrc + StretchSourceIndex(dx, wSrc, wDest)
    // and top-down row T + StretchSourceIndex(dy, hSrc, hDest); pixels whose
    // source lies outside the image are left alone. Sizes of 0 or less
    // (mirroring) and raster operations other than SRCCOPY return 0;
    // otherwise returns hSrc.
    int StretchDIBits(int xDest, int yDest, int wDest, int hDest, int xSrc, int ySrc, int wSrc, int hSrc,
                      const void* bits, const BITMAPINFOHEADER* bmi, UINT usage, DWORD rop);
    int SetStretchBltMode(int mode);
    int GetStretchBltMode() const { return m_nStretchMode; }

    COLORREF SetTextColor(COLORREF c);
    int SetBkMode(int mode);
    // DT_CALCRECT: sets rc's right and bottom to the text's extent; otherwise
    // draws the text in the text colour (transparent background).
    int DrawText(const CString& text, RECT* rc, UINT format);
    int GetDeviceCaps(int index) const;

protected:
    // Called with the device rectangle (already clipped to the surface) that
    // an operation changed; window DCs present it.
    virtual void OnChanged(const RECT&) {}

private:
    bool ClipToDevice(RECT& rc) const;

    CSurface* m_pSurface = nullptr;
    CBitmap* m_pBitmap = nullptr;
    CFont* m_pFont = nullptr;
    POINT m_ptOrg{};
    CRgn m_clip;
    bool m_bClip = false;
    RECT m_rcLimit{};
    bool m_bLimit = false;
    int m_nStretchMode = BLACKONWHITE;
    COLORREF m_crText = 0;
    int m_nBkMode = OPAQUE;
    TextMask m_textMask; // reused by DrawText
    std::vector<std::uint32_t> m_stretchCols; // reused by StretchDIBits: source byte offset per column
};

// The client area of a window; every change is presented at once.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* pWnd);

protected:
    void OnChanged(const RECT& rc) override;

private:
    HWND m_hWnd;
};

// Painting in answer to WM_PAINT.
class CPaintDC : public CClientDC {
public:
    explicit CPaintDC(CWnd* pWnd) : CClientDC(pWnd) {}
};
