// The C runtime's pseudo-random generator, as the system's own code so that
// every platform draws the same numbers: state = state * 214013 + 2531011,
// output (state >> 16) & 0x7FFF. One state serves the whole process.
#pragma once

#include <cstdint>

namespace crt {
constexpr int kRandMax = 0x7FFF;
void srand(std::uint32_t seed);
int rand();
std::uint32_t state(); // for tests: the current state
} // namespace crt
