// Polygon regions as row spans. For an edge from (xa, ya) to (xb, yb) with
// ya < yb, row y (centre y + 0.5) is crossed when ya <= y < yb, and pixel
// x lies right of the crossing when x >= ceil(xc - 0.5), which is
// ceil(num / den) with num = (2y + 1 - 2ya)(xb - xa) + (2xa - 1)(yb - ya)
// and den = 2(yb - ya). The same formula for both directions of an edge is
// what makes neighbouring pieces meet without gap or overlap.
#include "raster/region.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {
// Limits on what one region may hold. Regions are piece outlines and
// screen rectangles; the caps keep every crossing product inside 64 bits
// and refuse outlines that would need gigabytes of spans.
constexpr std::int64_t kMaxRows = std::int64_t(1) << 20;
constexpr std::int64_t kMaxCrossings = std::int64_t(1) << 23;

std::int64_t CeilDiv(std::int64_t num, std::int64_t den) // den > 0
{
    std::int64_t q = num / den;
    if (num % den > 0)
        ++q;
    return q;
}
} // namespace

CRgn& CRgn::operator=(const CRgn& other)
{
    if (this != &other) {
        m_bValid = other.m_bValid;
        m_top = other.m_top;
        m_dx = other.m_dx;
        m_dy = other.m_dy;
        m_box = other.m_box;
        m_rowStart = other.m_rowStart;
        m_spans = other.m_spans;
    }
    return *this;
}

void CRgn::DeleteObject()
{
    m_bValid = false;
    m_top = m_dx = m_dy = 0;
    m_box = RECT{};
    m_rowStart.clear();
    m_spans.clear();
}

BOOL CRgn::CreatePolygonRgn(const POINT* pts, int count, int /*fillMode*/)
{
    DeleteObject();
    m_bValid = true;
    if (count < 3)
        return TRUE; // a valid, empty region
    LONG ymin = pts[0].y, ymax = pts[0].y;
    std::int64_t crossings = 0;
    for (int i = 0; i < count; ++i) {
        ymin = std::min(ymin, pts[i].y);
        ymax = std::max(ymax, pts[i].y);
        crossings += std::abs(std::int64_t(pts[(i + 1) % count].y) - pts[i].y);
    }
    if (std::int64_t(ymax) - ymin > kMaxRows || crossings > kMaxCrossings) {
        m_bValid = false; // too large to hold: refused like a failed creation
        return FALSE;
    }
    // Every edge's crossing of every row it spans, sorted by row, then x.
    struct Crossing { LONG row; LONG x; };
    std::vector<Crossing> xs;
    xs.reserve(std::size_t(crossings));
    for (int i = 0; i < count; ++i) {
        POINT a = pts[i], b = pts[(i + 1) % count];
        if (a.y == b.y)
            continue;
        if (a.y > b.y)
            std::swap(a, b);
        const std::int64_t dy = std::int64_t(b.y) - a.y, dx = std::int64_t(b.x) - a.x;
        for (LONG y = a.y; y < b.y; ++y) {
            std::int64_t num = (2 * std::int64_t(y) + 1 - 2 * std::int64_t(a.y)) * dx + (2 * std::int64_t(a.x) - 1) * dy;
            xs.push_back({y, LONG(CeilDiv(num, 2 * dy))});
        }
    }
    std::sort(xs.begin(), xs.end(), [](const Crossing& l, const Crossing& r) {
        return l.row != r.row ? l.row < r.row : l.x < r.x;
    });
    m_top = ymin;
    m_rowStart.assign(std::size_t(ymax - ymin) + 1, 0);
    m_box = RECT{};
    std::size_t k = 0;
    for (LONG y = ymin; y < ymax; ++y) {
        m_rowStart[std::size_t(y - ymin)] = std::uint32_t(m_spans.size());
        std::size_t first = k;
        while (k < xs.size() && xs[k].row == y)
            ++k;
        // Alternate rule: pairs of crossings bound the inside.
        for (std::size_t j = first; j + 1 < k; j += 2) {
            LONG x0 = xs[j].x, x1 = xs[j + 1].x;
            if (x0 >= x1)
                continue;
            if (!m_spans.empty() && m_rowStart[std::size_t(y - ymin)] < m_spans.size() && m_spans.back().x1 == x0) {
                m_spans.back().x1 = x1; // touching spans of one row merge
            } else {
                m_spans.push_back({x0, x1});
            }
            UnionRect(m_box, m_box, RECT{x0, y, x1, y + 1}); // empty box: the span itself
        }
    }
    m_rowStart.back() = std::uint32_t(m_spans.size());
    return TRUE;
}

BOOL CRgn::CreateRectRgn(int left, int top, int right, int bottom)
{
    DeleteObject();
    m_bValid = true;
    if (right <= left || bottom <= top)
        return TRUE;
    if (std::int64_t(bottom) - top > kMaxRows) {
        m_bValid = false;
        return FALSE;
    }
    m_top = top;
    m_rowStart.resize(std::size_t(bottom - top) + 1);
    for (int y = top; y < bottom; ++y) {
        m_rowStart[std::size_t(y - top)] = std::uint32_t(m_spans.size());
        m_spans.push_back({left, right});
    }
    m_rowStart.back() = std::uint32_t(m_spans.size());
    m_box = RECT{left, top, right, bottom};
    return TRUE;
}

int CRgn::OffsetRgn(int dx, int dy)
{
    if (!m_bValid)
        return RGN_ERROR;
    m_dx += dx;
    m_dy += dy;
    return m_spans.empty() ? NULLREGION : COMPLEXREGION;
}

int CRgn::GetRgnBox(RECT* rc) const
{
    if (m_spans.empty()) {
        *rc = RECT{};
        return m_bValid ? NULLREGION : RGN_ERROR;
    }
    *rc = m_box;
    OffsetRect(*rc, m_dx, m_dy);
    return COMPLEXREGION;
}

const CRgn::Span* CRgn::RowSpans(LONG y, int& count) const
{
    LONG r = y - m_dy - m_top;
    if (m_rowStart.empty() || r < 0 || r >= LONG(m_rowStart.size()) - 1) {
        count = 0;
        return nullptr;
    }
    std::uint32_t a = m_rowStart[std::size_t(r)], b = m_rowStart[std::size_t(r) + 1];
    count = int(b - a);
    return m_spans.data() + a;
}

bool CRgn::PtInRegion(int x, int y) const
{
    int n;
    const Span* s = RowSpans(y, n);
    for (int i = 0; i < n; ++i)
        if (x >= s[i].x0 + m_dx && x < s[i].x1 + m_dx)
            return true;
    return false;
}

void CRgn::FillMask(BYTE* bits, int w, int h, int stride, bool bottomUp, int dx, int dy, BYTE value) const
{
    for (LONG y = Top(); y < Bottom(); ++y) {
        LONG my = y + dy;
        if (my < 0 || my >= h)
            continue;
        BYTE* row = bits + std::size_t(bottomUp ? h - 1 - my : my) * std::size_t(stride);
        int n;
        const Span* s = RowSpans(y, n);
        for (int i = 0; i < n; ++i) {
            LONG x0 = std::max<LONG>(0, s[i].x0 + m_dx + dx);
            LONG x1 = std::min<LONG>(w, s[i].x1 + m_dx + dx);
            if (x0 < x1)
                std::memset(row + x0, value, std::size_t(x1 - x0));
        }
    }
}
