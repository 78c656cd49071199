#pragma once
#include <cstdint>

namespace tavrix {

// A date and time, local time for recordings. 16 bytes, eight little 16-bit
// fields in the order of the recorder's in-memory records.
struct CalendarTime {
  std::uint16_t year = 0;
  std::uint16_t month = 0;      // 1-12
  std::uint16_t dayOfWeek = 0;  // 0 = Sunday
  std::uint16_t day = 0;        // 1-31
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
  std::uint16_t milliseconds = 0;

  friend bool operator==(const CalendarTime&, const CalendarTime&) = default;
};
static_assert(sizeof(CalendarTime) == 16);

}  // namespace tavrix
