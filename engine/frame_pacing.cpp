#include "engine/frame_pacing.h"

#include <cmath>

#include "media/format_variant.h"

namespace tavrix {

int FramePeriodUs(std::uint32_t height, FormatVariant formatVariant) {
  const bool fieldRate = formatVariant == FormatVariant::QM_QM4 || formatVariant == FormatVariant::QM_QMN;
  if (height == 224) return fieldRate ? 33333 : 16666;
  return fieldRate ? 25000 : 12500;
}

std::uint32_t FrameTargetMs(int interval, int framePeriodUs, double speed) {
  if (!(speed > 0.0) || speed >= kSkipSpeed) return 0;
  const std::uint32_t product = (static_cast<std::uint32_t>(interval) + 1u) * static_cast<std::uint32_t>(framePeriodUs);
  // The low 32 bits of the truncated quotient; fmod keeps a huge quotient
  // (a tiny speed) defined where a plain conversion would not be.
  const double quotient = std::trunc(static_cast<double>(product) / speed);
  const auto targetUs = static_cast<std::uint32_t>(std::fmod(quotient, 4294967296.0));
  return targetUs / 1000;
}

}  // namespace tavrix
