#pragma once
#include <string>

#include "media/calendar_time.h"

namespace tavrix {

inline constexpr const char* kDefaultTimeFormat = "%Y/%m/%d %H:%M:%S";

// "CH<n>" for channel n - 1, followed directly by the picture time in the
// given strftime format when withTime is set and the time has a year. The
// time is taken as local time. A format that renders to nothing gives the
// default format's text; a time that cannot be rendered adds nothing.
std::string CaptionText(int channel, bool withTime, const CalendarTime& time, const std::string& timeFormat);

}  // namespace tavrix
