#include "cli/frame_bound.h"

#include <cstdio>

#include "cli/arguments.h"

namespace tavrix::cli {

namespace {

constexpr std::size_t kMaxOffsetDigits = 19;

std::optional<CalendarTime> ParseTime(const std::string& text) {
  unsigned year, month, day, hour, minute, second;
  char dateSeparator = 0, secondSeparator = 0, middle = 0;
  int consumed = 0;
  if (std::sscanf(text.c_str(), "%4u%c%2u%c%2u%c%2u:%2u:%2u%n", &year, &dateSeparator, &month, &secondSeparator,
                  &day, &middle, &hour, &minute, &second, &consumed) != 9 ||
      static_cast<std::size_t>(consumed) != text.size()) {
    return std::nullopt;
  }
  const bool separators = (dateSeparator == '-' || dateSeparator == '/') && secondSeparator == dateSeparator &&
                          (middle == ' ' || middle == 'T');
  if (!separators || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59) {
    return std::nullopt;
  }
  CalendarTime time;
  time.year = static_cast<std::uint16_t>(year);
  time.month = static_cast<std::uint16_t>(month);
  time.day = static_cast<std::uint16_t>(day);
  time.hour = static_cast<std::uint16_t>(hour);
  time.minute = static_cast<std::uint16_t>(minute);
  time.second = static_cast<std::uint16_t>(second);
  return time;
}

}  // namespace

FrameBound ParseFrameBound(const std::string& option, const std::string& text) {
  FrameBound bound;
  if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos && text.size() <= kMaxOffsetDigits) {
    bound.offset = std::stoull(text);
    return bound;
  }
  bound.time = ParseTime(text);
  if (!bound.time) throw UsageError("--" + option + " must be a byte offset or a time like \"2009-12-29 02:40:00\"");
  return bound;
}

}  // namespace tavrix::cli
