// The bevel: an 8-bit map of the piece's outline (255 inside), turned into
// a diagonal relief by a difference filter over the map as one byte run,
// smoothed 3:1 along rows and columns, and added to the image where it
// differs from neutral by more than 8. Reduced images skip all of this.
// Speed without changing a byte: the row passes are serial chains, so four
// rows run side by side to overlap their latencies; the column passes and
// the difference filter are whole-row operations, done 16 bytes at a time
// with SSE2 where the compiler targets it (plain loops otherwise).
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "board/piece.h"
#include "document/picture.h"

namespace {
struct ShadeGeometry {
    LONG MW, MH, S;
};

ShadeGeometry Geometry(const std::vector<BYTE>& info)
{
    BITMAPINFOHEADER h;
    std::memcpy(&h, info.data(), sizeof h);
    return ShadeGeometry{h.biWidth, h.biHeight, (h.biWidth + 3) / 4 * 4};
}

BYTE Clamp255(int v) { return BYTE(v < 0 ? 0 : v > 255 ? 255 : v); }

// Both row passes over n rows of w bytes (n is 1 to 4), each row a serial
// chain: left to right p[j] = (3 p[j-1] + p[j]) / 4, then right to left
// p[j] = (3 p[j+1] + p[j] + 3) / 4.
template <int n>
void SmoothRows(BYTE* const* rows, LONG w)
{
    unsigned a[n];
    for (int k = 0; k < n; ++k)
        a[k] = rows[k][0];
    for (LONG j = 1; j < w; ++j)
        for (int k = 0; k < n; ++k)
            rows[k][j] = BYTE(a[k] = (3 * a[k] + rows[k][j]) / 4);
    for (int k = 0; k < n; ++k)
        a[k] = rows[k][w - 1];
    for (LONG j = w - 2; j >= 0; --j)
        for (int k = 0; k < n; ++k)
            rows[k][j] = BYTE(a[k] = (3 * a[k] + rows[k][j] + 3) / 4);
}

// out[k] = Op::Narrow(a[k], b[k]) for k < n; with SSE2 16 bytes at a time
// through Op::Wide on 16-bit lanes, packed back with saturation to 0..255.
// out may be a itself.
template <class Op>
void ZipBytes(BYTE* out, const BYTE* a, const BYTE* b, LONG n)
{
    LONG k = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; k + 16 <= n; k += 16) {
        const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + k));
        const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + k));
        const __m128i lo = Op::Wide(_mm_unpacklo_epi8(va, zero), _mm_unpacklo_epi8(vb, zero));
        const __m128i hi = Op::Wide(_mm_unpackhi_epi8(va, zero), _mm_unpackhi_epi8(vb, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; k < n; ++k)
        out[k] = Op::Narrow(a[k], b[k]);
}

// One step of a column pass: (3 near + cur + 3) / 4, at most 1023 before the shift.
struct ColumnStep {
#if defined(__SSE2__)
    static __m128i Wide(__m128i cur, __m128i near)
    {
        const __m128i three = _mm_set1_epi16(3);
        return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(near, three), cur), three), 2);
    }
#endif
    static BYTE Narrow(int cur, int near) { return BYTE((3 * near + cur + 3) / 4); }
};

// The difference filter: a - b + 127 clamped to 0..255 (the packing clamps).
struct Difference {
#if defined(__SSE2__)
    static __m128i Wide(__m128i a, __m128i b) { return _mm_add_epi16(_mm_sub_epi16(a, b), _mm_set1_epi16(127)); }
#endif
    static BYTE Narrow(int a, int b) { return Clamp255(a - b + 127); }
};
} // namespace

void CPiece::BuildShadeMap()
{
    const LONG m = g_nShadeMargin;
    m_bmpShade.DeleteObject();
    m_pShadeInfo.clear();
    m_pShadeBits = nullptr;
    if (m_nReduction != 1)
        return;
    const RECT& box = m_rcRotated;
    const LONG z = m_nZoom;
    const LONG MW = ((box.right - box.left) * z + 50) / 100 + 2 * m;
    const LONG MH = ((box.bottom - box.top) * z + 50) / 100 + 2 * m;
    if (MW <= 0 || MH <= 0)
        return;
    const LONG S = (MW + 3) / 4 * 4;

    m_pShadeInfo.assign(kShadeInfoSize, 0);
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = MW;
    h.biHeight = MH;
    h.biPlanes = 1;
    h.biBitCount = 8;
    h.biCompression = BI_RGB;
    h.biSizeImage = DWORD(S) * DWORD(MH);
    std::memcpy(m_pShadeInfo.data(), &h, sizeof h);
    for (int k = 0; k < 256; ++k) {
        BYTE* q = m_pShadeInfo.data() + 40 + 4 * k;
        q[0] = q[1] = q[2] = BYTE(k);
    }

    m_pShadeBits = m_bmpShade.Create(std::size_t(S) * std::size_t(MH));
    std::memset(m_pShadeBits, 0, std::size_t(S) * std::size_t(MH));
    const LONG bx = (box.left * z + 50) / 100, by = (box.top * z + 50) / 100;
    m_rgn.FillMask(m_pShadeBits, MW, MH, S, true, m - bx, m - by, 255);
    EmbossShadeMap();
    SmoothShadeMap();
}

void CPiece::EmbossShadeMap()
{
    if (!m_bmpShade.IsValid() || m_pShadeInfo.empty())
        return;
    const LONG m = g_nShadeMargin;
    const ShadeGeometry g = Geometry(m_pShadeInfo);
    const std::size_t total = std::size_t(g.S) * std::size_t(g.MH);
    thread_local std::vector<BYTE> copy;
    copy.assign(m_pShadeBits, m_pShadeBits + total);
    const LONG count = (g.MH - 2 * m) * g.S - 2 * m - 2;
    const LONG shift = (g.S - 1) * m;
    if (count > 0)
        ZipBytes<Difference>(m_pShadeBits + shift, copy.data(), copy.data() + 2 * shift, count);
}

void CPiece::SmoothShadeMap()
{
    if (!m_bmpShade.IsValid() || m_pShadeInfo.empty())
        return;
    const ShadeGeometry g = Geometry(m_pShadeInfo);
    const std::size_t S = std::size_t(g.S);
    auto row = [&](LONG r) { return m_pShadeBits + std::size_t(r) * S; };
    LONG r = 0;
    for (; r + 4 <= g.MH; r += 4) {
        BYTE* const rows[4] = {row(r), row(r + 1), row(r + 2), row(r + 3)};
        SmoothRows<4>(rows, g.MW);
    }
    for (; r < g.MH; ++r) {
        BYTE* const rows[1] = {row(r)};
        SmoothRows<1>(rows, g.MW);
    }
    // Columns: rows are walked in order so each column's pass stays a
    // sequence of whole-row operations.
    for (r = 1; r < g.MH; ++r)
        ZipBytes<ColumnStep>(row(r), row(r), row(r - 1), g.MW);
    for (r = g.MH - 2; r >= 0; --r)
        ZipBytes<ColumnStep>(row(r), row(r), row(r + 1), g.MW);
}

void CPiece::ApplyShade()
{
    if (m_nReduction != 1 || !m_bmpShade.IsValid() || m_pShadeInfo.empty())
        return;
    const LONG m = g_nShadeMargin;
    const ShadeGeometry g = Geometry(m_pShadeInfo);
    const LONG W = m_bihImage.biWidth, H = m_bihImage.biHeight;
    const std::size_t stride = PictureStride(W);
    const std::size_t total = std::size_t(g.S) * std::size_t(g.MH);
    // The shift for each map value (0 within 8 of neutral).
    static const auto shifts = [] {
        std::array<std::int16_t, 256> t{};
        for (int d = 0; d < 256; ++d)
            t[std::size_t(d)] = std::int16_t((d - 128 > 8 || d - 128 < -8) ? d - 128 : 0);
        return t;
    }();
    thread_local std::vector<std::int16_t> add; // the shift of each byte of a row
    for (LONG i = 0; i < H; ++i) {
        BYTE* px = m_pImage.data() + std::size_t(i) * stride;
        const std::size_t base = std::size_t((g.S + 1) * m) + std::size_t(i) * std::size_t(g.S);
        if (base >= total)
            break; // the map always covers the image; never read beyond it
        const BYTE* map = m_pShadeBits + base;
        const std::size_t n = std::min<std::size_t>(std::size_t(W), total - base), bytes = 3 * n;
        add.resize(bytes);
        for (std::size_t j = 0; j < n; ++j)
            add[3 * j] = add[3 * j + 1] = add[3 * j + 2] = shifts[map[j]];
        std::size_t k = 0;
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        for (; k + 16 <= bytes; k += 16) { // byte + shift, clamped by the packing
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(px + k));
            const __m128i lo = _mm_add_epi16(_mm_unpacklo_epi8(v, zero), _mm_loadu_si128(reinterpret_cast<const __m128i*>(&add[k])));
            const __m128i hi = _mm_add_epi16(_mm_unpackhi_epi8(v, zero), _mm_loadu_si128(reinterpret_cast<const __m128i*>(&add[k + 8])));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(px + k), _mm_packus_epi16(lo, hi));
        }
#endif
        for (; k < bytes; ++k)
            px[k] = Clamp255(px[k] + add[k]);
    }
}
