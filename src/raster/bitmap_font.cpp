// Bitmaps and fonts of the raster. A bitmap is always a 32-bit surface:
// either made blank at a given size or converted, once, from a packed
// device-independent bitmap (8-bit palette or 24-bit, bottom-up, no
// compression). Every header field of a packed bitmap is checked against
// the bytes actually present before anything is read. A font is only its
// logical description; the platform's text engine interprets it.
#include <algorithm>
#include <cstring>

#include "raster/dc.h"
#include "framework/platform.h"

namespace {
// Largest side and pixel count of a packed bitmap: far above the tile and
// any resource, and small enough that every size product fits in 64 bits.
constexpr LONG kMaxPackedSide = 1 << 15;
constexpr std::uint64_t kMaxPackedPixels = std::uint64_t(1) << 26;
} // namespace

BOOL CBitmap::CreateCompatibleBitmap(CDC* /*pDC*/, int w, int h)
{
    if (w < 1 || h < 1 || std::uint64_t(w) * std::uint64_t(h) > CSurface::kMaxPixels)
        return FALSE;
    // Keep the surface object, so a DC that has it selected stays valid.
    if (!m_surface)
        m_surface = std::make_unique<CSurface>();
    m_surface->Resize(w, h);
    m_surface->Fill(0);
    return TRUE;
}

BOOL CBitmap::LoadPackedDib(const BYTE* data, std::size_t size)
{
    BITMAPINFOHEADER bih;
    if (!data || size < sizeof bih)
        return FALSE;
    std::memcpy(&bih, data, sizeof bih);
    if (bih.biSize < sizeof bih || bih.biSize > size)
        return FALSE;
    if (bih.biWidth <= 0 || bih.biWidth > kMaxPackedSide)
        return FALSE;
    if (bih.biHeight <= 0 || bih.biHeight > kMaxPackedSide) // bottom-up only
        return FALSE;
    if (std::uint64_t(bih.biWidth) * std::uint64_t(bih.biHeight) > kMaxPackedPixels)
        return FALSE;
    if (bih.biPlanes != 1)
        return FALSE;
    if (bih.biBitCount != 8 && bih.biBitCount != 24)
        return FALSE;
    if (bih.biCompression != BI_RGB)
        return FALSE;
    // biSizeImage may be 0 for uncompressed bitmaps; the size that counts is
    // the one the rows need, checked against the data below.
    std::uint64_t colours = 0;
    if (bih.biBitCount == 8) {
        colours = bih.biClrUsed ? bih.biClrUsed : 256;
        if (colours > 256)
            return FALSE;
    }
    const std::uint64_t w = std::uint64_t(bih.biWidth), h = std::uint64_t(bih.biHeight);
    const std::uint64_t stride = (w * bih.biBitCount + 31) / 32 * 4;
    const std::uint64_t tableBytes = colours * sizeof(RGBQUAD);
    const std::uint64_t bitsOffset = std::uint64_t(bih.biSize) + tableBytes;
    if (bitsOffset > size || stride * h > size - bitsOffset)
        return FALSE;

    // A palette padded with black: indices past the table read black.
    std::uint32_t palette[256] = {};
    for (std::uint64_t i = 0; i < colours; ++i) {
        const BYTE* q = data + bih.biSize + i * sizeof(RGBQUAD);
        palette[i] = std::uint32_t(q[0]) | (std::uint32_t(q[1]) << 8) | (std::uint32_t(q[2]) << 16);
    }

    auto surface = std::make_unique<CSurface>(bih.biWidth, bih.biHeight);
    const BYTE* bits = data + bitsOffset;
    for (std::uint64_t y = 0; y < h; ++y) {
        const BYTE* src = bits + (h - 1 - y) * stride; // bottom-up rows
        std::uint32_t* dst = surface->Row(int(y));
        if (bih.biBitCount == 8) {
            for (std::uint64_t x = 0; x < w; ++x)
                dst[x] = palette[src[x]];
        } else {
            for (std::uint64_t x = 0; x < w; ++x, src += 3)
                dst[x] = std::uint32_t(src[0]) | (std::uint32_t(src[1]) << 8) | (std::uint32_t(src[2]) << 16);
        }
    }
    m_surface = std::move(surface);
    return TRUE;
}

BOOL CFont::CreateFontIndirect(const LOGFONT& lf)
{
    m_lf = lf;
    m_lf.lfFaceName[LF_FACESIZE - 1] = '\0';
    m_valid = true;
    return TRUE;
}

BOOL CFont::CreatePointFont(int nPointSize, const char* face, CDC* pDC)
{
    const int ppi = pDC ? pDC->GetDeviceCaps(LOGPIXELSY) : AfxGetPlatform().GetLogPixelsY();
    // Sizes come from fitting arithmetic: compute wide and keep in range.
    const std::int64_t height = std::int64_t(nPointSize) * ppi / 720;
    LOGFONT lf{};
    lf.lfHeight = -LONG(std::clamp<std::int64_t>(height, -INT32_MAX, INT32_MAX));
    lf.lfCharSet = DEFAULT_CHARSET;
    if (face)
        std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirect(lf);
}

int CFont::GetLogFont(LOGFONT* lf) const
{
    if (!m_valid || !lf)
        return 0;
    *lf = m_lf;
    return int(sizeof(LOGFONT));
}
