// Piece outlines: control polygons per edge (straight on the border, a knob
// inside), uniform cubic B-spline sampling, rotation and zoom in 1/64-pixel
// fixed point, and the outline region. Floating point is used only for the
// spline samples and the sine/cosine table.
#include "board/spline_piece.h"

#include <algorithm>
#include <vector>

#include "board/angle_table.h"
#include "board/jigsaw_board.h"
#include "framework/crt_rand.h"
#include "raster/dc.h"

CSplinePiece::CSplinePiece(const CJigsawBoard& board, const POINT corners[4], BOOL bKnobs) : CPiece(board)
{
    for (int i = 0; i < 4; ++i)
        m_ptHome[i] = corners[i];
    BuildEdges(bKnobs);
}

bool CSplinePiece::OrderEndpoints(POINT& a, POINT& b)
{
    if (a.y < b.y || (a.y == b.y && a.x < b.x)) {
        std::swap(a, b);
        return true;
    }
    return false;
}

void CSplinePiece::BuildEdges(BOOL bKnobs)
{
    m_edges.SetSize(4);
    for (int i = 0; i < 4; ++i) {
        m_ptCorner[i] = m_ptHome[i];
        POINT a = m_ptHome[i], b = m_ptHome[(i + 1) % 4];
        bool swapped = OrderEndpoints(a, b);
        m_edges[i].RemoveAll();
        m_edges[i].Add(a);
        m_edges[i].Add(b);
        ShapeEdge(i, swapped, bKnobs);
    }
    m_nSin64 = 0;
    m_nCos64 = 64;
    LONG sx = 0, sy = 0;
    for (const POINT& p : m_ptHome) {
        sx += p.x;
        sy += p.y;
    }
    m_ptCentre = POINT{sx / 4, sy / 4};
    Tessellate();
    CreateRegion();
    m_rgn.GetRgnBox(&m_rcBounds);
    UpdateRotatedBox();
    m_bihImage = BITMAPINFOHEADER{};
    m_pImage.clear();
    m_pShadeInfo.clear();
    m_pShadeBits = nullptr;
}

void CSplinePiece::ShapeEdge(int i, bool swapped, BOOL bKnobs)
{
    CPointArray& edge = m_edges[i];
    const POINT p0 = edge[0], p1 = edge[1];
    // The seed does not depend on the order of the points, and the points
    // are in canonical order: both pieces of a shared edge draw the same.
    crt::srand(std::uint32_t(p0.x) + std::uint32_t(p0.y) + std::uint32_t(p1.x) + std::uint32_t(p1.y));
    const LONG dx = p1.x - p0.x, dy = p1.y - p0.y;
    POINT m{p0.x + 8 * dx / 16, p0.y + 8 * dy / 16};
    POINT a{p0.x + 3 * dx / 16, p0.y + 3 * dy / 16};
    POINT b{p0.x + 13 * dx / 16, p0.y + 13 * dy / 16};

    const BITMAPINFOHEADER& picture = m_pBoard->m_bihActive;
    const LONG w64 = 64 * picture.biWidth, h64 = 64 * picture.biHeight;
    const bool border = (p0.x == p1.x && (p0.x == 0 || p0.x == w64)) || (p0.y == p1.y && (p0.y == 0 || p0.y == h64));
    if (!border) {
        if (bKnobs) {
            int s1 = 2 * (crt::rand() % 2) - 1;
            LONG ox = s1 * (p0.y - p1.y) / 3;
            int s2 = 2 * (crt::rand() % 2) - 1;
            LONG oy = s2 * dx / 3;
            a.x += ox;
            a.y += oy;
            b.x += ox;
            b.y += oy;
        }
        // P0, M, A, B, M, P1: the doubled midpoint forms the knob's neck.
        edge.InsertAt(1, m);
        edge.InsertAt(2, a);
        edge.InsertAt(3, b);
        edge.InsertAt(4, m);
    }
    if (swapped) {
        const int n = edge.GetSize();
        for (int k = 0; k < n / 2; ++k)
            std::swap(edge[k], edge[n - 1 - k]);
    }
}

void CSplinePiece::Tessellate()
{
    m_outline.SetSize(0);
    int count = 0;
    constexpr double kSixth = 0.16666666666666666;
    POINT pts[4 * 27];
    for (int i = 0; i < 4; ++i) {
        const CPointArray& e = m_edges[i];
        const int n = e.GetSize();
        if (n == 2) {
            pts[count++] = e[0];
            pts[count++] = e[1];
            continue;
        }
        // Extended polygon: first and last control point doubled.
        std::vector<POINT> q(std::size_t(n) + 2);
        q[0] = e[0];
        for (int k = 0; k < n; ++k)
            q[std::size_t(k) + 1] = e[k];
        q[std::size_t(n) + 1] = e[n - 1];
        pts[count++] = e[0];
        for (int j = 0; j <= n - 2; ++j) {
            const POINT k0 = q[std::size_t(j)], k1 = q[std::size_t(j) + 1], k2 = q[std::size_t(j) + 2],
                        k3 = q[std::size_t(j) + 3];
            const double ax0 = (k0.x + 4 * k1.x + k2.x) * kSixth, ay0 = (k0.y + 4 * k1.y + k2.y) * kSixth;
            const double ax1 = (k2.x - k0.x) * 0.5, ay1 = (k2.y - k0.y) * 0.5;
            const double ax2 = (k0.x - 2 * k1.x + k2.x) * 0.5, ay2 = (k0.y - 2 * k1.y + k2.y) * 0.5;
            const double ax3 = (k3.x - 3 * k2.x + 3 * k1.x - k0.x) * kSixth;
            const double ay3 = (k3.y - 3 * k2.y + 3 * k1.y - k0.y) * kSixth;
            for (double t = 0; t < 1; t += 0.2) {
                const double x = ((ax3 * t + ax2) * t + ax1) * t + ax0;
                const double y = ((ay3 * t + ay2) * t + ay1) * t + ay0;
                if (count < int(std::size(pts)))
                    pts[count++] = POINT{LONG(x + 0.5), LONG(y + 0.5)};
            }
        }
        pts[count++] = e[n - 1];
    }
    // Turn about the centre (6-bit sine/cosine) and scale by the zoom; the
    // division takes 1/64 units and percent to pixels, rounding.
    const LONG cx = m_ptCentre.x, cy = m_ptCentre.y, s = m_nSin64, c = m_nCos64, z = m_nZoom;
    constexpr LONG unit = kSubPixelZoomDivisor, half = unit / 2;
    m_outline.SetSize(count);
    for (int k = 0; k < count; ++k) {
        const LONG dx = pts[k].x - cx, dy = pts[k].y - cy;
        const LONG x = ((((dx * c + dy * s) >> 6) + cx) * z + half) / unit;
        const LONG y = ((((dy * c - dx * s) >> 6) + cy) * z + half) / unit;
        m_outline[k] = POINT{x, y};
    }
}

void CSplinePiece::Rotate(int nDelta, int)
{
    m_nAngle = (nDelta + m_nAngle + 360) % 360;
    m_nSin64 = Sin64(m_nAngle);
    m_nCos64 = Cos64(m_nAngle);
    Tessellate();
    CreateRegion();
    UpdateCorners();
    UpdateRotatedBox();
}

void CSplinePiece::SetZoom(int nPercent)
{
    CPiece::SetZoom(nPercent);
    Tessellate();
    CreateRegion();
}

void CSplinePiece::CreateRegion()
{
    m_rgn.DeleteObject();
    m_rgn.CreatePolygonRgn(m_outline.GetData(), m_outline.GetSize(), ALTERNATE);
}

void CSplinePiece::DrawOutline(CDC* pDC, COLORREF crPen)
{
    // A plain closed one-pixel line from the last outline point through all
    // points, drawn with 1 x 1 fills (nothing in the saver calls this).
    const int n = m_outline.GetSize();
    if (n == 0 || !pDC->GetSurface())
        return;
    CSurface* surf = pDC->GetSurface();
    const POINT org = pDC->GetWindowOrg();
    const std::uint32_t px = PixelFromColorref(crPen);
    auto plot = [&](LONG x, LONG y) {
        x -= org.x;
        y -= org.y;
        if (x >= 0 && y >= 0 && x < surf->Width() && y < surf->Height())
            surf->Row(y)[x] = px;
    };
    POINT from = m_outline[n - 1];
    for (int k = 0; k < n; ++k) {
        const POINT to = m_outline[k];
        LONG x = from.x, y = from.y;
        const LONG dx = std::abs(to.x - x), dy = -std::abs(to.y - y);
        const LONG sx = x < to.x ? 1 : -1, sy = y < to.y ? 1 : -1;
        LONG err = dx + dy;
        for (;;) {
            plot(x, y);
            if (x == to.x && y == to.y)
                break;
            const LONG e2 = 2 * err;
            if (e2 >= dy) { err += dy; x += sx; }
            if (e2 <= dx) { err += dx; y += sy; }
        }
        from = to;
    }
}
