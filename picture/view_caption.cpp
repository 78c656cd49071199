#include "picture/view_caption.h"

#include <ctime>

namespace tavrix {
namespace {

// At most this many characters of formatted time, as the recorder's viewer did.
constexpr std::size_t kMaxTimeText = 128;

std::string FormatLocalTime(const CalendarTime& time, const std::string& format) {
  std::time_t value = 0;
  if (time.year >= 1900) {
    std::tm fields{};
    fields.tm_year = time.year - 1900;
    fields.tm_mon = time.month - 1;
    fields.tm_mday = time.day;
    fields.tm_hour = time.hour;
    fields.tm_min = time.minute;
    fields.tm_sec = time.second;
    fields.tm_isdst = -1;
    value = std::mktime(&fields);
    if (value == static_cast<std::time_t>(-1)) return {};
  }
  std::tm local{};
  if (localtime_r(&value, &local) == nullptr) return {};
  char text[kMaxTimeText];
  const std::size_t length = std::strftime(text, sizeof text, format.c_str(), &local);
  return {text, length};
}

}  // namespace

std::string CaptionText(int channel, bool withTime, const CalendarTime& time, const std::string& timeFormat) {
  std::string caption = "CH" + std::to_string(channel + 1);
  if (withTime && time.year != 0) {
    std::string text = FormatLocalTime(time, timeFormat);
    // A format that gives nothing (empty, or longer than the room) would hide the time.
    if (text.empty()) text = FormatLocalTime(time, kDefaultTimeFormat);
    caption += text;
  }
  return caption;
}

}  // namespace tavrix
