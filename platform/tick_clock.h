#pragma once
#include <cstdint>

namespace tavrix {

// Milliseconds from a monotonic clock, wrapping at 32 bits like the recorder's
// tick counters; differences are taken in unsigned 32-bit arithmetic.
std::uint32_t TickCountMs();

// b - a across a wrap of the counter.
inline std::uint32_t TickDifference(std::uint32_t start, std::uint32_t end) { return end - start; }

}  // namespace tavrix
