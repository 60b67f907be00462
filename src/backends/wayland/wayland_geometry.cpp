// Buffer sizes, scaled lengths, pointer positions and damage lists of the
// Wayland backend. Integer arithmetic throughout: 64-bit products, so no
// side or position can overflow before it is checked.
#include "backends/wayland/wayland_geometry.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "framework/monitor_layout.h"

namespace {
// A side of a buffer: the mouse messages carry 16-bit positions, like X's.
constexpr std::int64_t kMaxSide = MonitorRect::kMaxCoordinate;

std::int64_t ScaledSide(std::int64_t side, const SurfaceScale& scale)
{
    if (side < 0)
        throw std::length_error("negative surface size");
    if (scale.Fractional()) {
        const std::int64_t f = std::min<std::int64_t>(scale.fraction120, SurfaceScale::kMaxFraction);
        return (side * f + 60) / 120; // round(side * f / 120), halves away from zero
    }
    return side * std::clamp<std::int64_t>(scale.integer, 1, SurfaceScale::kMaxInteger);
}
} // namespace

SIZE BufferSize(SIZE logical, const SurfaceScale& scale)
{
    const std::int64_t w = ScaledSide(logical.cx, scale), h = ScaledSide(logical.cy, scale);
    if (w > kMaxSide || h > kMaxSide)
        throw std::length_error("surface too large: " + std::to_string(w) + "x" + std::to_string(h));
    return SIZE{LONG(w), LONG(h)};
}

int ScaleLength(int n, const SurfaceScale& scale)
{
    if (scale.Fractional()) {
        const std::int64_t f = std::min<std::int64_t>(scale.fraction120, SurfaceScale::kMaxFraction);
        return int((std::int64_t(n) * f + 60) / 120);
    }
    return int(std::int64_t(n) * std::clamp<std::int64_t>(scale.integer, 1, SurfaceScale::kMaxInteger));
}

POINT BufferPoint(std::int32_t fixedX, std::int32_t fixedY, SIZE logical, SIZE buffer)
{
    auto axis = [](std::int64_t fixed, std::int64_t logicalSide, std::int64_t bufferSide) -> LONG {
        if (logicalSide <= 0)
            return 0;
        // fixed / 256 * buffer / logical, rounded toward minus infinity.
        const std::int64_t num = fixed * bufferSide, den = logicalSide * 256;
        std::int64_t v = num / den;
        if (num % den != 0 && num < 0)
            --v;
        return LONG(std::clamp<std::int64_t>(v, -kMaxSide - 1, kMaxSide));
    };
    return POINT{axis(fixedX, logical.cx, buffer.cx), axis(fixedY, logical.cy, buffer.cy)};
}

void CDamage::Add(const RECT& rc, const RECT& bounds)
{
    RECT r{};
    if (!IntersectRect(r, rc, bounds))
        return;
    for (const RECT& have : m_rects) {
        if (have.left <= r.left && have.top <= r.top && have.right >= r.right && have.bottom >= r.bottom)
            return; // already covered
    }
    if (m_rects.size() < kMaxRects) {
        m_rects.push_back(r);
        return;
    }
    RECT box = r;
    for (const RECT& have : m_rects)
        UnionRect(box, box, have);
    m_rects.assign(1, box);
}

void CDamage::AddAll(const CDamage& other, const RECT& bounds)
{
    for (const RECT& r : other.m_rects)
        Add(r, bounds);
}
