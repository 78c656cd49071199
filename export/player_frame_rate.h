#pragma once
#include <cstdint>

#include "media/format_variant.h"

namespace tavrix {

// Frames per second of a player-mode export: one frame per round of the
// recording's channels, min(A, B / (interval + 1) / channels) truncated, with
// A and B from the picture height and the format variant. Never below 1: a
// rate of 0 would make a file no player can time.
int PlayerFrameRate(std::uint16_t channelMask, int interval, std::uint32_t pictureHeight, FormatVariant formatVariant);

}  // namespace tavrix
