#include "platform/tick_clock.h"

#include <gtest/gtest.h>

namespace tavrix {
namespace {

TEST(TickClock, DifferenceAcrossTheWrapOfTheCounter) {
  EXPECT_EQ(TickDifference(4294967280u, 16u), 32u);
  EXPECT_EQ(TickDifference(100u, 150u), 50u);
}

TEST(TickClock, NeverMovesBackwards) {
  const std::uint32_t first = TickCountMs();
  const std::uint32_t second = TickCountMs();
  EXPECT_LT(TickDifference(first, second), 1000u);
}

}  // namespace
}  // namespace tavrix
