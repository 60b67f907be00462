// CRgn: a polygon region (alternate / even-odd fill) held as sorted
// horizontal spans per row. A pixel (x, y) belongs to the polygon when its
// centre (x + 0.5, y + 0.5) is inside; a centre exactly on an edge belongs
// to the span that starts there and not to the one that ends there. Two
// polygons sharing an edge therefore never both cover, nor both miss, a
// pixel along it. Crossings are computed exactly in 64-bit integers.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/object.h"
#include "framework/types.h"

constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;
constexpr int RGN_ERROR = 0;

class CRgn : public CObject {
public:
    CRgn() = default;
    CRgn(const CRgn& other) : CObject() { *this = other; }
    CRgn& operator=(const CRgn& other);

    // Builds the region from a closed polygon (the last point joins the first).
    // Both creators refuse (FALSE, region invalid) more than 2^20 rows, and
    // the polygon one more than 2^23 edge crossings in all.
    BOOL CreatePolygonRgn(const POINT* pts, int count, int fillMode);
    BOOL CreateRectRgn(int left, int top, int right, int bottom);
    void DeleteObject();
    bool IsValid() const { return m_bValid; }

    int OffsetRgn(int dx, int dy);
    // Bounding box of the covered pixels; (0,0,0,0) for an empty region.
    int GetRgnBox(RECT* rc) const;
    bool PtInRegion(int x, int y) const;

    // Spans of row y (offset included) as pairs [x0, x1) BEFORE the x offset:
    // add OffsetX() to each. Null with count 0 outside the rows.
    struct Span { LONG x0, x1; };
    const Span* RowSpans(LONG y, int& count) const;
    LONG Top() const { return m_top + m_dy; }
    LONG Bottom() const { return m_top + m_dy + LONG(m_rowStart.empty() ? 0 : m_rowStart.size() - 1); }
    LONG OffsetX() const { return m_dx; }

    // Sets to `value` every byte of an 8-bit map whose pixel lies inside the
    // region moved by (dx, dy). The map has w x h pixels, `stride` bytes per
    // row; with bottomUp the top row is the last row in memory.
    void FillMask(BYTE* bits, int w, int h, int stride, bool bottomUp, int dx, int dy, BYTE value) const;

private:
    bool m_bValid = false;
    LONG m_top = 0;                     // first row, before the offset
    LONG m_dx = 0, m_dy = 0;            // accumulated offset
    RECT m_box{};                       // box before the offset
    std::vector<std::uint32_t> m_rowStart; // index into m_spans per row, plus an end marker
    std::vector<Span> m_spans;          // x before the offset
};
