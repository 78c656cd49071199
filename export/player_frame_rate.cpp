#include "export/player_frame_rate.h"

#include <algorithm>
#include <bit>

namespace tavrix {

namespace {

constexpr std::uint32_t kPalHeight = 272;

}  // namespace

int PlayerFrameRate(std::uint16_t channelMask, int interval, std::uint32_t pictureHeight, FormatVariant formatVariant) {
  const bool pal = pictureHeight == kPalHeight;
  const double cap = pal ? 25.0 : 30.0;
  double base = pal ? 50.0 : 60.0;
  if (formatVariant == FormatVariant::QM_QM4 || formatVariant == FormatVariant::QM_QMN) base = cap;
  if (formatVariant == FormatVariant::QM_QMT3) base = pal ? 100.0 : 120.0;

  const int channels = std::popcount(channelMask);
  double rate = cap;
  if (channels > 0) rate = std::min(cap, base / (std::max(interval, 0) + 1) / channels);
  return std::max(1, static_cast<int>(rate));
}

}  // namespace tavrix
