// Process-wide state of the shared generator (the C library's own).
#include "framework/crt_rand.h"

namespace crt {
namespace {
std::uint32_t g_state = 1;
}

void srand(std::uint32_t seed) { g_state = seed; }

int rand()
{
    g_state = g_state * 214013u + 2531011u;
    return int((g_state >> 16) & 0x7FFF);
}

std::uint32_t state() { return g_state; }
} // namespace crt
