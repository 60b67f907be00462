// The one rule for a wrapping millisecond tick count: a tick up to 2^31 ms
// behind the count has been reached, anything else lies ahead. Plain
// integers only, so the windows.h side of the Win32 backend may include it.
#pragma once

#include <cstdint>

// Milliseconds from `now` until `tick`; 0 when the tick has been reached
// (unsigned arithmetic survives the wrap).
constexpr std::uint32_t TicksUntil(std::uint32_t tick, std::uint32_t now)
{
    const std::uint32_t ahead = tick - now;
    return ahead < 0x80000000u ? ahead : 0;
}
