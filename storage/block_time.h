#pragma once
#include <cstdint>
#include <string>

#include "media/calendar_time.h"

namespace tavrix {

// UTC minus local standard time, in seconds, from the C runtime's time zone
// (TZ). Daylight saving is deliberately not applied: recordings show local
// standard time all year.
std::int32_t StandardTimeBias();

// Converts a block's blockTime to calendar time: the local time for the given
// bias, day of week counted from 0 = Sunday, milliseconds 0. Valid for the
// years 1970 to 2099; a time before 1970 after the bias is clamped to
// 1970-01-01 00:00:00.
CalendarTime BlockTimeToLocal(std::uint32_t blockTime, std::int32_t biasSeconds);

// "YYYY-MM-DD HH:MM:SS".
std::string FormatCalendarTime(const CalendarTime& time);

}  // namespace tavrix
