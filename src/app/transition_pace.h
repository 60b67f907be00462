// The time budget of a transition and when each of its copies is due, as a
// pure rule that the effects and the tests walk alike.
//
// The rule: an effect of n copies with a duration d has the step time
// s = d / n rounded up, at least 1 ms (with d = 0, every copy followed by a
// wait of 1 ms). Its natural time n x s is kept when it lies within
// 250 ms to 2490 ms; a shorter one is stretched to 250 ms and a longer one
// squeezed to 2490 ms, so that with the tick the effect starts in and the
// last copy's own time it ends within 0.25 s to 2.5 s. Copy i (from 0) and
// its wait end once the tick count is past the effect's first tick plus
// DueMs(i) = total x (i + 1) / n: the copies
// spread evenly over the total, and where the natural time is kept every
// copy is followed by a wait to the end of its own step. When n exceeds the
// total, several copies share a millisecond and only the last of them waits.
//
// What it gives up: effects keep their copy lists, so a squeezed effect
// shows the same steps in less time, and copies on a very slow display fall
// behind the schedule (they then follow each other without a wait, so the
// effect ends as soon after the budget as the copies allow).
#pragma once

#include <algorithm>
#include <cstdint>

namespace transition_pace {
using i64 = std::int64_t;

constexpr i64 kMinTotalMs = 250;
constexpr i64 kMaxTotalMs = 2490;

// The step time of one copy: the duration over the copies, rounded up,
// never under 1 ms.
constexpr i64 StepMs(i64 copies, i64 durationMs)
{
    return copies > 0 ? std::max<i64>((durationMs + copies - 1) / copies, 1) : 1;
}

// The time the whole effect takes.
constexpr i64 TotalMs(i64 copies, i64 durationMs)
{
    return std::clamp<i64>(std::max<i64>(copies, 1) * StepMs(copies, durationMs), kMinTotalMs, kMaxTotalMs);
}

// When copy `index` and its wait are done, in ms after the effect started.
constexpr i64 DueMs(i64 index, i64 copies, i64 totalMs)
{
    return copies > 0 ? totalMs * (index + 1) / copies : totalMs;
}
} // namespace transition_pace
