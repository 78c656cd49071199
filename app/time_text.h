#pragma once
#include <string>

#include "media/calendar_time.h"

namespace tavrix {

// A block time as the status line shows it: taken as local time and written
// with the strftime-style format. A format that writes nothing or fails
// falls back to "%Y/%m/%d %H:%M:%S"; a time that is no date gives "".
std::string TimeText(const CalendarTime& time, const std::string& format);

}  // namespace tavrix
