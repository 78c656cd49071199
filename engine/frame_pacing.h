#pragma once
#include <cstdint>

#include "media/format_variant.h"

namespace tavrix {

// At this speed and above playback runs unpaced and skips ahead instead.
inline constexpr double kSkipSpeed = 16.0;

// Nominal time of one frame: NTSC fields (224 lines) or PAL (any other
// height), at the field rate for QM_QM4 and QM_QMN recordings and twice that
// for the other formats.
int FramePeriodUs(std::uint32_t height, FormatVariant formatVariant);

// Milliseconds one frame shown for interval + 1 periods should take at the
// given speed: (interval + 1) x period in 32-bit arithmetic, divided by the
// speed and truncated (low 32 bits), in whole milliseconds. 0 at kSkipSpeed
// and above.
std::uint32_t FrameTargetMs(int interval, int framePeriodUs, double speed);

// How long to sleep after a frame that took elapsedMs.
inline std::uint32_t PacingSleepMs(std::uint32_t targetMs, std::uint32_t elapsedMs) {
  return targetMs > elapsedMs ? targetMs - elapsedMs : 0;
}

}  // namespace tavrix
