// Copies of 24-bit bottom-up device-independent images onto a surface:
// SetDIBitsToDevice (unscaled) and StretchDIBits (nearest neighbour; every
// stretch mode is drawn as COLORONCOLOR, the only one the saver uses).
// Both validate the header, clip the source rectangle to the image and the
// target to the surface and the clip region, and then convert whole runs of
// a row, so nothing outside the image is ever read. Piece images are kept
// in this form and converted at every draw, so the unscaled row conversion
// uses SSSE3 where the processor has it.
#include <bit>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#endif

#include "raster/dc.h"
#include "raster/dc_spans.h"

namespace {
// Sides beyond this are refused: they are no picture this system makes, and
// with them every stride and offset product stays far inside 64 bits.
constexpr LONG kMaxDibSide = 1 << 20;

struct Dib24 {
    const BYTE* bits;
    std::int64_t w, h;
    std::size_t stride;
    const BYTE* BottomUpRow(std::int64_t r) const { return bits + std::size_t(r) * stride; }
};

bool ReadHeader(const BITMAPINFOHEADER* bmi, const void* bits, UINT usage, Dib24& dib)
{
    if (!bmi || !bits || usage != DIB_RGB_COLORS)
        return false;
    if (bmi->biSize < sizeof(BITMAPINFOHEADER))
        return false;
    if (bmi->biBitCount != 24 || bmi->biCompression != BI_RGB)
        return false;
    if (bmi->biWidth <= 0 || bmi->biWidth > kMaxDibSide)
        return false;
    if (bmi->biHeight <= 0 || bmi->biHeight > kMaxDibSide) // top-down images are not drawn
        return false;
    dib.bits = static_cast<const BYTE*>(bits);
    dib.w = bmi->biWidth;
    dib.h = bmi->biHeight;
    dib.stride = DibStride24(dib.w);
    return true;
}

inline std::uint32_t Pixel24(const BYTE* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16);
}

// n pixels of blue, green, red bytes to 0x00RRGGBB. Four pixels are three
// little-endian words, so the main loop does three loads and four stores
// per four pixels and never reads past the last pixel's third byte.
void Row24To32Plain(std::uint32_t* __restrict d, const BYTE* __restrict s, std::size_t n)
{
    std::size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 4 <= n; i += 4, s += 12) {
            std::uint32_t w0, w1, w2;
            std::memcpy(&w0, s, 4);
            std::memcpy(&w1, s + 4, 4);
            std::memcpy(&w2, s + 8, 4);
            d[i] = w0 & 0xFFFFFFu;
            d[i + 1] = (w0 >> 24) | ((w1 & 0xFFFFu) << 8);
            d[i + 2] = (w1 >> 16) | ((w2 & 0xFFu) << 16);
            d[i + 3] = w2 >> 8;
        }
    }
    for (; i < n; ++i, s += 3)
        d[i] = Pixel24(s);
}

#if defined(__x86_64__) || defined(__i386__)
// The same with SSSE3: one byte shuffle spreads four pixels of a 16-byte
// load over four words with a zero top byte. A load reads 4 bytes beyond
// the 12 it uses, so the vector loop stops while 6 pixels remain and the
// plain loop ends the row: nothing past the last pixel is read.
__attribute__((target("ssse3"))) void Row24To32Ssse3(std::uint32_t* __restrict d, const BYTE* __restrict s,
                                                     std::size_t n)
{
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    std::size_t i = 0;
    for (; i + 6 <= n; i += 4, s += 12) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_shuffle_epi8(v, spread));
    }
    Row24To32Plain(d + i, s, n - i);
}

void Row24To32(std::uint32_t* __restrict d, const BYTE* __restrict s, std::size_t n)
{
    // A flag test: the run-time library reads the processor before any
    // constructor runs, and nothing draws before then.
    if (__builtin_cpu_supports("ssse3"))
        Row24To32Ssse3(d, s, n);
    else
        Row24To32Plain(d, s, n);
}
#else
void Row24To32(std::uint32_t* __restrict d, const BYTE* __restrict s, std::size_t n) { Row24To32Plain(d, s, n); }
#endif
} // namespace

int CDC::SetDIBitsToDevice(int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, UINT startScan,
                           UINT numScans, const void* bits, const BITMAPINFOHEADER* bmi, UINT usage)
{
    Dib24 dib;
    if (!ReadHeader(bmi, bits, usage, dib) || w == 0 || h == 0 || numScans == 0)
        return 0;
    if (startScan >= dib.h)
        return 0;
    // Rows present in `bits`, counted from the image's bottom row.
    const std::int64_t scan0 = startScan, scan1 = std::min<std::int64_t>(dib.h, std::int64_t(startScan) + numScans);
    if (!m_pSurface)
        return int(scan1 - scan0);

    // The source rectangle is columns [xSrc, xSrc + w) and bottom-up rows
    // [ySrc, ySrc + h); its top row lands on the destination's top row.
    // Keep only the part that lies inside the image and the given scans.
    const std::int64_t col0 = std::max<std::int64_t>(xSrc, 0), col1 = std::min<std::int64_t>(std::int64_t(xSrc) + w, dib.w);
    const std::int64_t row0 = std::max<std::int64_t>(ySrc, scan0), row1 = std::min<std::int64_t>(std::int64_t(ySrc) + h, scan1);
    if (col0 >= col1 || row0 >= row1)
        return int(scan1 - scan0);
    const std::int64_t left = std::int64_t(xDest) - m_ptOrg.x, top = std::int64_t(yDest) - m_ptOrg.y;
    const std::int64_t bottomRow = std::int64_t(ySrc) + std::int64_t(h) - 1; // bottom-up row drawn at `top`
    RECT rc = raster::MakeRect(left + (col0 - xSrc), top + (bottomRow + 1 - row1), col1 - col0, row1 - row0);
    if (!ClipToDevice(rc))
        return int(scan1 - scan0);

    CSurface& s = *m_pSurface;
    RECT changed = raster::ForEachSpan(GetClipRgn(), rc, {}, [&](LONG y, LONG a, LONG b) {
        const std::int64_t r = bottomRow - (y - top);
        const BYTE* src = dib.BottomUpRow(r - scan0) + std::size_t(a - left + xSrc) * 3;
        Row24To32(s.Row(y) + a, src, std::size_t(b - a));
    });
    if (!IsRectEmpty(changed))
        OnChanged(changed);
    return int(scan1 - scan0);
}

int CDC::StretchDIBits(int xDest, int yDest, int wDest, int hDest, int xSrc, int ySrc, int wSrc, int hSrc,
                       const void* bits, const BITMAPINFOHEADER* bmi, UINT usage, DWORD rop)
{
    Dib24 dib;
    if (!ReadHeader(bmi, bits, usage, dib) || rop != SRCCOPY)
        return 0;
    if (wDest <= 0 || hDest <= 0 || wSrc <= 0 || hSrc <= 0) // mirroring is not supported
        return 0;
    if (!m_pSurface)
        return hSrc;
    const std::int64_t left = std::int64_t(xDest) - m_ptOrg.x, top = std::int64_t(yDest) - m_ptOrg.y;
    RECT rc = raster::MakeRect(left, top, wDest, hDest);
    if (!ClipToDevice(rc))
        return hSrc;

    // ySrc is the source rectangle's lower edge, counted from the image's
    // bottom row; its top row, counted from the image's top, is srcTop.
    const std::int64_t srcTop = dib.h - std::int64_t(ySrc) - hSrc;
    auto sourceCol = [&](std::int64_t x) { return xSrc + StretchSourceIndex(x - left, wSrc, wDest); };
    auto sourceRow = [&](std::int64_t y) { return srcTop + StretchSourceIndex(y - top, hSrc, hDest); };

    // Both maps are monotonic, so the pixels with a source inside the image
    // form one rectangle: trim the visible one to it.
    while (rc.left < rc.right && sourceCol(rc.left) < 0)
        ++rc.left;
    while (rc.left < rc.right && sourceCol(rc.right - 1) >= dib.w)
        --rc.right;
    while (rc.top < rc.bottom && sourceRow(rc.top) < 0)
        ++rc.top;
    while (rc.top < rc.bottom && sourceRow(rc.bottom - 1) >= dib.h)
        --rc.bottom;
    if (IsRectEmpty(rc))
        return hSrc;

    // Byte offset of each visible column's source pixel within a row.
    m_stretchCols.resize(std::size_t(rc.right - rc.left));
    for (LONG x = rc.left; x < rc.right; ++x)
        m_stretchCols[std::size_t(x - rc.left)] = std::uint32_t(sourceCol(x) * 3);
    const std::uint32_t* cols = m_stretchCols.data();
    const LONG base = rc.left;

    CSurface& s = *m_pSurface;
    RECT changed = raster::ForEachSpan(GetClipRgn(), rc, {}, [&](LONG y, LONG a, LONG b) {
        const BYTE* src = dib.BottomUpRow(dib.h - 1 - sourceRow(y));
        const std::uint32_t* c = cols + (a - base);
        std::uint32_t* d = s.Row(y) + a;
        for (LONG i = 0, n = b - a; i < n; ++i)
            d[i] = Pixel24(src + c[i]);
    });
    if (!IsRectEmpty(changed))
        OnChanged(changed);
    return hSrc;
}
