#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "media/calendar_time.h"

namespace tavrix::cli {

// A --from or --to bound: a byte offset into the source (digits only), or a
// block time "YYYY-MM-DD HH:MM:SS" (also with a T between, or with slashes
// in the date as the captions show it) in local standard time.
struct FrameBound {
  std::optional<std::uint64_t> offset;
  std::optional<CalendarTime> time;
};

// Throws UsageError naming --option when the text is neither.
FrameBound ParseFrameBound(const std::string& option, const std::string& text);

// Orders the date and time fields at one-second resolution.
bool TimeBefore(const CalendarTime& a, const CalendarTime& b);

// Whether a frame at this offset and time lies within [from, to].
bool WithinBounds(const FrameBound& from, const FrameBound& to, std::uint64_t offset, const CalendarTime& time);

}  // namespace tavrix::cli
