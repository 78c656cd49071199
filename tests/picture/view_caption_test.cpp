#include "picture/view_caption.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace tavrix {
namespace {

TEST(CaptionText, TimeFormatThatGivesNothingFallsBackToTheDefault) {
  setenv("TZ", "UTC", 1);
  CalendarTime time;
  time.year = 2008;
  time.month = 1;
  time.day = 1;
  time.hour = 10;
  struct Case {
    std::string format;
    std::string caption;
  };
  const Case cases[] = {
      {"%H:%M", "CH310:00"},
      {"", "CH32008/01/01 10:00:00"},
      {std::string(200, 'x'), "CH32008/01/01 10:00:00"},  // more than the 128 characters of room
      {"%p", "CH3AM"},
  };
  for (const Case& c : cases) EXPECT_EQ(CaptionText(2, true, time, c.format), c.caption) << c.format;
  EXPECT_EQ(CaptionText(2, false, time, ""), "CH3");
}

}  // namespace
}  // namespace tavrix
