// Internal to the raster: walking the pixels an operation may touch as
// horizontal runs. A device rectangle (already inside the surface) is cut
// by the clip region's row spans, so every inner loop works on a whole run
// of one row and no pixel is tested on its own.
#pragma once

#include <algorithm>
#include <cstdint>

#include "raster/region.h"
#include "framework/types.h"

namespace raster {

// Order of the walk, for copies within one surface: rows bottom to top
// and runs of a row right to left are what make an overlapping copy
// behave like memmove.
struct SpanOrder {
    bool bottomUp = false;
    bool rightToLeft = false;
};

// Calls f(y, x0, x1) for every run [x0, x1) of row y inside both `rc` and
// `clip` (null: no clip region). Returns the bounding rectangle of the
// runs visited, empty when there were none.
template <class F>
RECT ForEachSpan(const CRgn* clip, const RECT& rc, SpanOrder order, F&& f)
{
    if (IsRectEmpty(rc))
        return RECT{};
    if (!clip) {
        if (order.bottomUp) {
            for (LONG y = rc.bottom - 1; y >= rc.top; --y)
                f(y, rc.left, rc.right);
        } else {
            for (LONG y = rc.top; y < rc.bottom; ++y)
                f(y, rc.left, rc.right);
        }
        return rc;
    }
    const LONG top = std::max(rc.top, clip->Top());
    const LONG bottom = std::min(rc.bottom, clip->Bottom());
    const LONG dx = clip->OffsetX();
    RECT box{};
    auto row = [&](LONG y) {
        int n = 0;
        const CRgn::Span* s = clip->RowSpans(y, n);
        for (int k = 0; k < n; ++k) {
            const CRgn::Span& sp = s[order.rightToLeft ? n - 1 - k : k];
            const LONG x0 = std::max(rc.left, sp.x0 + dx);
            const LONG x1 = std::min(rc.right, sp.x1 + dx);
            if (x0 >= x1)
                continue;
            f(y, x0, x1);
            UnionRect(box, box, RECT{x0, y, x1, y + 1}); // empty box: the span itself
        }
    };
    if (order.bottomUp) {
        for (LONG y = bottom - 1; y >= top; --y)
            row(y);
    } else {
        for (LONG y = top; y < bottom; ++y)
            row(y);
    }
    return box;
}

// The rectangle (x, y, x + w, y + h) with the size taken as 64-bit, so
// that huge sizes saturate instead of wrapping.
inline RECT MakeRect(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h)
{
    auto clampL = [](std::int64_t v) {
        return LONG(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
    };
    return RECT{clampL(x), clampL(y), clampL(x + w), clampL(y + h)};
}

} // namespace raster
