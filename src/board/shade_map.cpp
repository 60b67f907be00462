// The bevel: an 8-bit map of the piece's outline (255 inside), turned into
// a diagonal relief by a difference filter over the map as one byte run,
// smoothed 3:1 along rows and columns, and added to the image where it
// differs from neutral by more than 8. Reduced images skip all of this.
// Speed without changing a byte: every step is exact in bytes with SSE2's
// saturating arithmetic and rounding average, (3 n + c + 3) / 4 being
// avg(avg(n, c), n), and (3 n + c) / 4 the same on complemented bytes. The
// row passes are serial chains along a row, so 16 rows run side by side in
// the lanes of a vector (blocks of 16 x 16 bytes transposed on the way in
// and out); the column passes and the difference filter are whole-row
// operations, 16 bytes at a time. Shading skips groups of 16 neutral
// pixels, which are most of a piece. Plain loops where SSE2 is missing.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "board/jigsaw_board.h"
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

// One smoothing step: (3 near + cur + 3) / 4, and without the rounding term.
BYTE StepUp(int cur, int near) { return BYTE((3 * near + cur + 3) / 4); }
BYTE StepDown(int cur, int near) { return BYTE((3 * near + cur) / 4); }

// Both row passes over one row of w bytes, a serial chain: left to right
// p[j] = (3 p[j-1] + p[j]) / 4, then right to left p[j] = (3 p[j+1] + p[j] + 3) / 4.
void SmoothRow(BYTE* row, LONG w)
{
    for (LONG j = 1; j < w; ++j)
        row[j] = StepDown(row[j], row[j - 1]);
    for (LONG j = w - 2; j >= 0; --j)
        row[j] = StepUp(row[j], row[j + 1]);
}

#if defined(__SSE2__)
inline __m128i Load(const BYTE* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store(BYTE* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// (3 near + cur + 3) / 4 in each byte: floor((floor((n + c + 1) / 2) + n + 1) / 2).
inline __m128i StepUp(__m128i cur, __m128i near) { return _mm_avg_epu8(_mm_avg_epu8(near, cur), near); }

// v[r] byte c <-> v[c] byte r for 16 vectors of 16 bytes. Four rounds of
// interleaving neighbours (bytes, then pairs, quads, halves) put byte r in
// place and leave column c in vector bit-reversed(c).
inline void Transpose16(__m128i v[16])
{
    __m128i t[16];
    for (int i = 0; i < 8; ++i) {
        t[i] = _mm_unpacklo_epi8(v[2 * i], v[2 * i + 1]);
        t[i + 8] = _mm_unpackhi_epi8(v[2 * i], v[2 * i + 1]);
    }
    for (int i = 0; i < 8; ++i) {
        v[i] = _mm_unpacklo_epi16(t[2 * i], t[2 * i + 1]);
        v[i + 8] = _mm_unpackhi_epi16(t[2 * i], t[2 * i + 1]);
    }
    for (int i = 0; i < 8; ++i) {
        t[i] = _mm_unpacklo_epi32(v[2 * i], v[2 * i + 1]);
        t[i + 8] = _mm_unpackhi_epi32(v[2 * i], v[2 * i + 1]);
    }
    static constexpr int kReversed[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
    for (int i = 0; i < 8; ++i) {
        v[kReversed[i]] = _mm_unpacklo_epi64(t[2 * i], t[2 * i + 1]);
        v[kReversed[i + 8]] = _mm_unpackhi_epi64(t[2 * i], t[2 * i + 1]);
    }
}
#endif

// Both row passes over 16 rows at once, each row a lane of the vectors
// (only with SSE2): blocks of 16 columns are transposed into 16 column
// vectors, the left-to-right chain runs down them on complemented bytes,
// the columns wait in `columns`, and the right-to-left chain runs back up
// them before each block is transposed back.
void SmoothRows16(BYTE* const* rows, LONG w, std::vector<BYTE>& columns)
{
#if defined(__SSE2__)
    columns.resize(std::size_t(w) * 16 + 16 * 16);
    BYTE* col = columns.data();
    const __m128i ones = _mm_set1_epi8(char(-1));
    // A block of the 16 rows from column j (fewer than 16 at the end).
    auto loadBlock = [&](LONG j, __m128i v[16]) {
        const LONG n = std::min<LONG>(16, w - j);
        for (int k = 0; k < 16; ++k) {
            if (n == 16) {
                v[k] = Load(rows[k] + j);
            } else {
                BYTE tail[16] = {};
                std::memcpy(tail, rows[k] + j, std::size_t(n));
                v[k] = Load(tail);
            }
        }
        Transpose16(v);
    };
    auto storeBlock = [&](LONG j, __m128i v[16]) {
        const LONG n = std::min<LONG>(16, w - j);
        Transpose16(v);
        for (int k = 0; k < 16; ++k) {
            if (n == 16) {
                Store(rows[k] + j, v[k]);
            } else {
                BYTE tail[16];
                Store(tail, v[k]);
                std::memcpy(rows[k] + j, tail, std::size_t(n));
            }
        }
    };
    // Left to right: (3 a + p) / 4 = 255 - (3 (255 - a) + (255 - p) + 3) / 4.
    __m128i a = _mm_setzero_si128();
    for (LONG j = 0; j < w; j += 16) {
        __m128i v[16];
        loadBlock(j, v);
        const LONG n = std::min<LONG>(16, w - j);
        for (LONG k = 0; k < n; ++k) {
            const __m128i p = _mm_xor_si128(v[k], ones);
            a = j + k == 0 ? p : StepUp(p, a);
            Store(col + 16 * (j + k), _mm_xor_si128(a, ones));
        }
    }
    // Right to left: (3 a + p + 3) / 4.
    a = Load(col + 16 * (w - 1));
    for (LONG j = (w - 1) / 16 * 16; j >= 0; j -= 16) {
        const LONG n = std::min<LONG>(16, w - j);
        __m128i v[16];
        for (LONG k = n - 1; k >= 0; --k) {
            if (j + k < w - 1)
                a = StepUp(Load(col + 16 * (j + k)), a);
            v[k] = a;
        }
        for (LONG k = n; k < 16; ++k)
            v[k] = _mm_setzero_si128();
        storeBlock(j, v);
    }
#else
    for (int k = 0; k < 16; ++k)
        SmoothRow(rows[k], w);
#endif
}

// out[k] = up ? StepUp(a[k], b[k]) : the difference filter a[k] - b[k] + 127
// clamped to 0..255, for k < n; 16 bytes at a time with SSE2. out may be a.
template <bool up>
void ZipBytes(BYTE* out, const BYTE* a, const BYTE* b, LONG n)
{
    LONG k = 0;
#if defined(__SSE2__)
    for (; k + 16 <= n; k += 16) {
        const __m128i va = Load(a + k), vb = Load(b + k);
        if constexpr (up) {
            Store(out + k, StepUp(va, vb));
        } else {
            // 127 + (a - b) or 127 - (b - a), each part saturating.
            const __m128i base = _mm_adds_epu8(_mm_set1_epi8(127), _mm_subs_epu8(va, vb));
            Store(out + k, _mm_subs_epu8(base, _mm_subs_epu8(vb, va)));
        }
    }
#endif
    for (; k < n; ++k)
        out[k] = up ? StepUp(a[k], b[k]) : Clamp255(a[k] - b[k] + 127);
}
} // namespace

void CPiece::BuildShadeMap()
{
    const LONG m = g_nShadeMargin;
    m_pBoard->m_bmpShade.DeleteObject();
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

    m_pShadeBits = m_pBoard->m_bmpShade.Create(std::size_t(S) * std::size_t(MH));
    std::memset(m_pShadeBits, 0, std::size_t(S) * std::size_t(MH));
    const LONG bx = (box.left * z + 50) / 100, by = (box.top * z + 50) / 100;
    m_rgn.FillMask(m_pShadeBits, MW, MH, S, true, m - bx, m - by, 255);
    EmbossShadeMap();
    SmoothShadeMap();
}

void CPiece::EmbossShadeMap()
{
    if (!m_pShadeBits || !m_pBoard->m_bmpShade.IsValid() || m_pShadeInfo.empty())
        return;
    const LONG m = g_nShadeMargin;
    const ShadeGeometry g = Geometry(m_pShadeInfo);
    const std::size_t total = std::size_t(g.S) * std::size_t(g.MH);
    thread_local std::vector<BYTE> copy;
    copy.assign(m_pShadeBits, m_pShadeBits + total);
    const LONG count = (g.MH - 2 * m) * g.S - 2 * m - 2;
    const LONG shift = (g.S - 1) * m;
    if (count > 0)
        ZipBytes<false>(m_pShadeBits + shift, copy.data(), copy.data() + 2 * shift, count);
}

void CPiece::SmoothShadeMap()
{
    if (!m_pShadeBits || !m_pBoard->m_bmpShade.IsValid() || m_pShadeInfo.empty())
        return;
    const ShadeGeometry g = Geometry(m_pShadeInfo);
    const std::size_t S = std::size_t(g.S);
    auto row = [&](LONG r) { return m_pShadeBits + std::size_t(r) * S; };
    thread_local std::vector<BYTE> columns, spare;
    LONG r = 0;
#if defined(__SSE2__)
    // The last band fills its lanes with a spare row.
    spare.resize(std::size_t(g.MW));
    for (; r < g.MH; r += 16) {
        BYTE* rows[16];
        for (int k = 0; k < 16; ++k)
            rows[k] = r + k < g.MH ? row(r + k) : spare.data();
        SmoothRows16(rows, g.MW, columns);
    }
#endif
    for (; r < g.MH; ++r)
        SmoothRow(row(r), g.MW);
    // Columns: rows are walked in order so each column's pass stays a
    // sequence of whole-row operations.
    for (r = 1; r < g.MH; ++r)
        ZipBytes<true>(row(r), row(r), row(r - 1), g.MW);
    for (r = g.MH - 2; r >= 0; --r)
        ZipBytes<true>(row(r), row(r), row(r + 1), g.MW);
}

void CPiece::ApplyShade()
{
    if (m_nReduction != 1 || !m_pShadeBits || !m_pBoard->m_bmpShade.IsValid() || m_pShadeInfo.empty())
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
    for (LONG i = 0; i < H; ++i) {
        BYTE* px = m_pImage.data() + std::size_t(i) * stride;
        const std::size_t base = std::size_t((g.S + 1) * m) + std::size_t(i) * std::size_t(g.S);
        if (base >= total)
            break; // the map always covers the image; never read beyond it
        const BYTE* map = m_pShadeBits + base;
        const std::size_t n = std::min<std::size_t>(std::size_t(W), total - base);
        std::size_t j = 0;
#if defined(__SSE2__)
        const __m128i neutral = _mm_set1_epi8(char(128)), eight = _mm_set1_epi8(8), zero = _mm_setzero_si128();
        for (; j + 16 <= n; j += 16) {
            // Sixteen pixels within 8 of neutral stay as they are.
            const __m128i d = Load(map + j);
            const __m128i off = _mm_max_epu8(_mm_subs_epu8(d, neutral), _mm_subs_epu8(neutral, d));
            if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_subs_epu8(off, eight), zero)) == 0xFFFF)
                continue;
            // Each pixel's shift (0 within 8 of neutral) as 16-bit lanes, then
            // spread over its three bytes: image bytes 8v..8v+7 take pixels
            // (8v + b) / 3, the pattern of pixels 0-7 again for pixels 8-15.
            const __m128i d16[2] = {_mm_unpacklo_epi8(d, zero), _mm_unpackhi_epi8(d, zero)};
            __m128i spread[6];
            for (int h = 0; h < 2; ++h) {
                const __m128i t = _mm_sub_epi16(d16[h], _mm_set1_epi16(128));
                const __m128i beyond = _mm_or_si128(_mm_cmpgt_epi16(t, _mm_set1_epi16(8)), _mm_cmpgt_epi16(_mm_set1_epi16(-8), t));
                const __m128i shift = _mm_and_si128(t, beyond);
                const __m128i low = _mm_shuffle_epi32(shift, _MM_SHUFFLE(1, 0, 1, 0));  // pixels 0-3 twice
                const __m128i high = _mm_shuffle_epi32(shift, _MM_SHUFFLE(3, 2, 3, 2)); // pixels 4-7 twice
                spread[3 * h] = _mm_shufflehi_epi16(_mm_shufflelo_epi16(low, _MM_SHUFFLE(1, 0, 0, 0)), _MM_SHUFFLE(2, 2, 1, 1));
                spread[3 * h + 1] = _mm_shufflehi_epi16(_mm_shufflelo_epi16(shift, _MM_SHUFFLE(3, 3, 3, 2)), _MM_SHUFFLE(1, 0, 0, 0));
                spread[3 * h + 2] = _mm_shufflehi_epi16(_mm_shufflelo_epi16(high, _MM_SHUFFLE(2, 2, 1, 1)), _MM_SHUFFLE(3, 3, 3, 2));
            }
            BYTE* out = px + 3 * j;
            for (int q = 0; q < 3; ++q) { // byte + shift, clamped by the packing
                const __m128i v = Load(out + 16 * q);
                const __m128i lo = _mm_add_epi16(_mm_unpacklo_epi8(v, zero), spread[2 * q]);
                const __m128i hi = _mm_add_epi16(_mm_unpackhi_epi8(v, zero), spread[2 * q + 1]);
                Store(out + 16 * q, _mm_packus_epi16(lo, hi));
            }
        }
#endif
        for (; j < n; ++j)
            for (std::size_t c = 3 * j; c < 3 * j + 3; ++c)
                px[c] = Clamp255(px[c] + shifts[map[j]]);
    }
}
