#include "storage/block_time.h"

#include <cstdio>
#include <ctime>

namespace tavrix {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kCommonYear = 365 * kSecondsPerDay;       // 31536000
constexpr std::int64_t kLeapYear = 366 * kSecondsPerDay;         // 31622400
constexpr std::int64_t kFourYears = 3 * kCommonYear + kLeapYear; // 126230400

// Day of year (0-based) before each month, minus one.
constexpr int kLeapMonthTable[13] = {-1, 30, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};
constexpr int kCommonMonthTable[13] = {-1, 30, 58, 89, 119, 150, 180, 211, 242, 272, 303, 333, 364};

}  // namespace

std::int32_t StandardTimeBias() {
  tzset();
  return static_cast<std::int32_t>(timezone);
}

CalendarTime BlockTimeToLocal(std::uint32_t blockTime, std::int32_t biasSeconds) {
  std::int64_t s = static_cast<std::int64_t>(blockTime) - biasSeconds;
  if (s < 0) s = 0;

  CalendarTime time;
  time.dayOfWeek = static_cast<std::uint16_t>((s / kSecondsPerDay + 4) % 7);

  // Cycles of four years starting 1970; the third year of each is the leap year.
  int year = 1970 + 4 * static_cast<int>(s / kFourYears);
  std::int64_t r = s % kFourYears;
  bool leap = false;
  if (r >= kCommonYear) {
    r -= kCommonYear;
    ++year;
    if (r >= kCommonYear) {
      r -= kCommonYear;
      ++year;
      leap = true;
      if (r >= kLeapYear) {
        r -= kLeapYear;
        ++year;
        leap = false;
      }
    }
  }

  const int dayOfYear = static_cast<int>(r / kSecondsPerDay);
  const int* table = leap ? kLeapMonthTable : kCommonMonthTable;
  int month = 1;
  while (month < 12 && table[month] < dayOfYear) ++month;
  const std::int64_t secondOfDay = r % kSecondsPerDay;

  time.year = static_cast<std::uint16_t>(year);
  time.month = static_cast<std::uint16_t>(month);
  time.day = static_cast<std::uint16_t>(dayOfYear - table[month - 1]);
  time.hour = static_cast<std::uint16_t>(secondOfDay / 3600);
  time.minute = static_cast<std::uint16_t>(secondOfDay / 60 % 60);
  time.second = static_cast<std::uint16_t>(secondOfDay % 60);
  return time;
}

std::string FormatCalendarTime(const CalendarTime& time) {
  char text[48];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", time.year, time.month, time.day, time.hour,
                time.minute, time.second);
  return text;
}

}  // namespace tavrix
