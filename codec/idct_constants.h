#pragma once
#include <cstdint>

namespace tavrix {

// 2048 x sqrt(2) x cos(k pi / 16), rounded; and 128 x sqrt(2) for the
// rotation by pi/4.
inline constexpr std::int32_t kW1 = 2841;
inline constexpr std::int32_t kW2 = 2676;
inline constexpr std::int32_t kW3 = 2408;
inline constexpr std::int32_t kW5 = 1609;
inline constexpr std::int32_t kW6 = 1108;
inline constexpr std::int32_t kW7 = 565;
inline constexpr std::int32_t kRotation = 181;

}  // namespace tavrix
