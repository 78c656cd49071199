#include "media/frame_bound.h"

#include <tuple>

namespace tavrix {

bool TimeBefore(const CalendarTime& a, const CalendarTime& b) {
  return std::tie(a.year, a.month, a.day, a.hour, a.minute, a.second) <
         std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second);
}

bool WithinBounds(const FrameBound& from, const FrameBound& to, std::uint64_t offset, const CalendarTime& time) {
  if (from.offset && offset < *from.offset) return false;
  if (to.offset && offset > *to.offset) return false;
  if (from.time && TimeBefore(time, *from.time)) return false;
  if (to.time && TimeBefore(*to.time, time)) return false;
  return true;
}

}  // namespace tavrix
