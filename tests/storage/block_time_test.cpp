#include "storage/block_time.h"

#include <gtest/gtest.h>

#include <ctime>

namespace tavrix {
namespace {

CalendarTime Expected(int year, int month, int day, int hour, int minute, int second, int dayOfWeek) {
  return CalendarTime{static_cast<std::uint16_t>(year),   static_cast<std::uint16_t>(month),
                      static_cast<std::uint16_t>(dayOfWeek), static_cast<std::uint16_t>(day),
                      static_cast<std::uint16_t>(hour),   static_cast<std::uint16_t>(minute),
                      static_cast<std::uint16_t>(second), 0};
}

TEST(BlockTimeToLocal, KnownDates) {
  struct Case {
    std::uint32_t blockTime = 0;
    std::int32_t bias = 0;
    CalendarTime expected;
  };
  const Case cases[] = {
      {0, 0, Expected(1970, 1, 1, 0, 0, 0, 4)},
      {951782400, 0, Expected(2000, 2, 29, 0, 0, 0, 2)},       // leap day, third year of a cycle
      {951868800, 0, Expected(2000, 3, 1, 0, 0, 0, 3)},
      {68255999, 0, Expected(1972, 2, 29, 23, 59, 59, 2)},
      {94694399, 0, Expected(1972, 12, 31, 23, 59, 59, 0)},    // day 366 of a leap year
      {94694400, 0, Expected(1973, 1, 1, 0, 0, 0, 1)},
      {1264054784, 0, Expected(2010, 1, 21, 6, 19, 44, 4)},
      {1264054784, -9 * 3600, Expected(2010, 1, 21, 15, 19, 44, 4)},  // east of UTC
      {1264054784, 5 * 3600, Expected(2010, 1, 21, 1, 19, 44, 4)},    // west of UTC
      {3600, 7200, Expected(1970, 1, 1, 0, 0, 0, 4)},          // before 1970: clamped
  };
  for (const auto& c : cases) EXPECT_EQ(BlockTimeToLocal(c.blockTime, c.bias), c.expected) << c.blockTime;
}

// Every day from 1970 into 2099 against the C library's calendar.
TEST(BlockTimeToLocal, MatchesTheCalendarOnEveryDay) {
  for (std::int64_t t = 45296; t < 4102444800; t += 86400) {  // 12:34:56 each day
    const auto seconds = static_cast<std::time_t>(t);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    const CalendarTime time = BlockTimeToLocal(static_cast<std::uint32_t>(t), 0);
    ASSERT_EQ(time, Expected(utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, 12, 34, 56, utc.tm_wday)) << t;
  }
}

}  // namespace
}  // namespace tavrix
