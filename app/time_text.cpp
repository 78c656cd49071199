#include "app/time_text.h"

#include <ctime>

#include "picture/view_caption.h"

namespace tavrix {
namespace {

constexpr std::size_t kMaxTimeText = 128;

std::string Format(const std::tm& fields, const std::string& format) {
  char text[kMaxTimeText];
  const std::size_t length = format.empty() ? 0 : std::strftime(text, sizeof text, format.c_str(), &fields);
  return std::string(text, length);
}

}  // namespace

std::string TimeText(const CalendarTime& time, const std::string& format) {
  std::tm fields{};
  fields.tm_year = time.year - 1900;
  fields.tm_mon = time.month - 1;
  fields.tm_mday = time.day;
  fields.tm_hour = time.hour;
  fields.tm_min = time.minute;
  fields.tm_sec = time.second;
  fields.tm_isdst = -1;
  // Through the calendar value and back, so the weekday and the time zone
  // fields that a format may ask for are filled in.
  const std::time_t value = std::mktime(&fields);
  std::tm local{};
  if (time.year < 1900 || value == static_cast<std::time_t>(-1) || localtime_r(&value, &local) == nullptr) return {};
  std::string text = Format(local, format);
  if (text.empty()) text = Format(local, kDefaultTimeFormat);
  return text;
}

}  // namespace tavrix
