// Rectangle helpers with the system's semantics (empty rectangles are
// ignored by unions and give an empty intersection).
#include "framework/types.h"

#include <algorithm>

bool UnionRect(RECT& dst, const RECT& a, const RECT& b)
{
    if (IsRectEmpty(a)) {
        dst = IsRectEmpty(b) ? RECT{} : b;
    } else if (IsRectEmpty(b)) {
        dst = a;
    } else {
        dst = RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                   std::max(a.bottom, b.bottom)};
    }
    return !IsRectEmpty(dst);
}

bool IntersectRect(RECT& dst, const RECT& a, const RECT& b)
{
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (IsRectEmpty(r)) {
        dst = RECT{};
        return false;
    }
    dst = r;
    return true;
}
