// A piece's own image: the picture under its turned box, resampled for the
// angle and zoom (6-bit sine/cosine, integer only), 24-bit bottom-up. The
// image is kept while its size stays the same, so a move never rebuilds
// it; a sample outside the picture block is black. The linear-offset test
// means a column just outside the picture reads the neighbouring row; a
// sample is taken only when all three of its bytes lie in the block, so
// the column right of the top row never reads past the picture's end.
#include <cmath>
#include <cstring>
#include <vector>

#include "board/angle_table.h"
#include "board/jigsaw_board.h"
#include "board/piece.h"
#include "document/picture.h"

namespace {
// The resolution the images declare: 72 dots per inch (72 / 0.0254 m, rounded).
constexpr LONG kPelsPerMeter72Dpi = 2835;
} // namespace

POINT CPiece::GetPivot() const
{
    const RECT& box = m_rcRotated;
    const RECT& b = m_rcBounds;
    const int a = m_nAngle;
    const double h = b.bottom - b.top, w = b.right - b.left;
    if (a < 90)
        return POINT{LONG(std::sin(a * kDegToRad) * h + box.left), box.top};
    if (a < 180)
        return POINT{box.right, LONG(std::sin((a - 90) * kDegToRad) * h + box.top)};
    if (a < 270)
        return POINT{LONG(std::cos((a - 180) * kDegToRad) * w + box.left), box.bottom};
    return POINT{box.left, LONG(std::cos((a - 270) * kDegToRad) * w + box.top)};
}

void CPiece::RenderImage()
{
    const RECT& box = m_rcRotated;
    const LONG z = m_nZoom, red = m_nReduction, a = red * 100;
    const LONG W = ((box.right - box.left) * z + a / 2) / a + 2;
    const LONG H = ((box.bottom - box.top) * z + a / 2) / a + 2;
    if (m_bihImage.biWidth == W && m_bihImage.biHeight == H && !m_pImage.empty())
        return;

    BuildShadeMap();

    const std::size_t stride = PictureStride(W);
    m_bihImage = BITMAPINFOHEADER{};
    m_bihImage.biSize = 40;
    m_bihImage.biWidth = W;
    m_bihImage.biHeight = H;
    m_bihImage.biPlanes = 1;
    m_bihImage.biBitCount = 24;
    m_bihImage.biCompression = BI_RGB;
    m_bihImage.biSizeImage = DWORD(stride * std::size_t(H));
    m_bihImage.biXPelsPerMeter = kPelsPerMeter72Dpi;
    m_bihImage.biYPelsPerMeter = kPelsPerMeter72Dpi;
    m_pImage.resize(m_bihImage.biSizeImage); // capacity is kept; every byte is written below

    const POINT pivot = GetPivot();
    const BITMAPINFOHEADER& picture = m_pBoard->m_bihActive;
    const LONG Pw = picture.biWidth, Ph = picture.biHeight;
    const std::int64_t Ps = std::int64_t(PictureStride(Pw));
    const std::int64_t limit = Ps * Ph;
    const BYTE* pic = m_pBoard->m_pActiveBits;
    const LONG s = m_nSin64, c = m_nCos64;

    // Column terms depend on j only: u = gx - px + box.left, kept as the
    // products u * sin and u * cos.
    thread_local std::vector<LONG> usin, ucos;
    usin.resize(std::size_t(W));
    ucos.resize(std::size_t(W));
    for (LONG j = 0; j < W; ++j) {
        const LONG u = j * red * 100 / z - pivot.x + box.left;
        usin[std::size_t(j)] = u * s;
        ucos[std::size_t(j)] = u * c;
    }
    const LONG rowBase = Ph - m_rcBounds.bottom, colBase = m_rcBounds.left;
    // One unsigned comparison tests both ends; without a picture nothing is inside.
    const std::uint64_t lastStart = pic && limit >= 3 ? std::uint64_t(limit - 3) + 1 : 0;

    for (LONG i = 0; i < H; ++i) {
        const LONG v = i * red * 100 / z - pivot.y + box.top;
        const LONG vc = v * c, vs = v * s;
        BYTE* out = m_pImage.data() + std::size_t(i) * stride;
        for (LONG j = 0; j < W; ++j, out += 3) {
            const LONG row = ((vc - usin[std::size_t(j)]) >> 6) + rowBase;
            const LONG col = ((vs + ucos[std::size_t(j)]) >> 6) + colBase;
            const std::int64_t offset = std::int64_t(row) * Ps + std::int64_t(col) * 3;
            if (std::uint64_t(offset) < lastStart) { // 0 <= offset <= limit - 3: all three bytes in the block
                out[0] = pic[offset];
                out[1] = pic[offset + 1];
                out[2] = pic[offset + 2];
            } else {
                out[0] = out[1] = out[2] = 0; // black
            }
        }
        std::memset(out, 0, stride - std::size_t(W) * 3); // row padding
    }

    ApplyShade();
    m_pBoard->m_bmpShade.DeleteObject();
    m_pShadeInfo.clear();
    m_pShadeBits = nullptr;
}
