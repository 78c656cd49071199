#pragma once
#include <cstdint>
#include <optional>

#include "media/calendar_time.h"

namespace tavrix {

// One end of a span of a recording: a byte offset into the source, or the
// time of the blocks (local standard time, to the second). Neither set: the
// span is open at that end.
struct FrameBound {
  std::optional<std::uint64_t> offset;
  std::optional<CalendarTime> time;

  bool IsSet() const { return offset.has_value() || time.has_value(); }
};

// Orders the date and time fields at one-second resolution.
bool TimeBefore(const CalendarTime& a, const CalendarTime& b);

// Whether a frame at this offset and time lies within [from, to].
bool WithinBounds(const FrameBound& from, const FrameBound& to, std::uint64_t offset, const CalendarTime& time);

}  // namespace tavrix
