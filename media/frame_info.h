#pragma once
#include <cstdint>

#include "media/calendar_time.h"

namespace tavrix {

// What a recording reader reports about the frame it has just delivered.
struct FrameInfo {
  std::uint32_t length = 0;
  std::int32_t channel = 0;    // video 0-15; audio 0-3
  bool audio = false;
  std::int32_t interval = 0;   // 0-127: the frame is shown for interval + 1 periods
  CalendarTime time;           // time of the block that holds the frame
  std::uint16_t blockChannelMask = 0;
};

}  // namespace tavrix
