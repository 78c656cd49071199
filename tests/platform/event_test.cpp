#include "platform/event.h"

#include <gtest/gtest.h>

#include <array>
#include <thread>

namespace tavrix {
namespace {

using std::chrono::milliseconds;

TEST(Event, ManualResetStaysSignalledUntilReset) {
  Event event(Event::ResetMode::Manual);
  EXPECT_FALSE(event.Wait(milliseconds(0)));
  event.Set();
  EXPECT_TRUE(event.Wait(milliseconds(0)));
  EXPECT_TRUE(event.Wait(milliseconds(0)));
  event.Reset();
  EXPECT_FALSE(event.IsSet());
  EXPECT_FALSE(event.Wait(milliseconds(1)));
}

TEST(Event, AutomaticResetIsConsumedByOneWait) {
  Event event(Event::ResetMode::Automatic);
  event.Set();
  EXPECT_TRUE(event.IsSet());
  EXPECT_TRUE(event.Wait(milliseconds(0)));
  EXPECT_FALSE(event.Wait(milliseconds(0)));
}

TEST(Event, WaitAnyReportsTheSignalledEventAndConsumesOnlyIt) {
  Event stop(Event::ResetMode::Manual);
  Event videoData(Event::ResetMode::Automatic);
  Event audioData(Event::ResetMode::Automatic);
  const std::array<Event*, 3> events = {&stop, &videoData, &audioData};

  EXPECT_EQ(Event::WaitAny(events, milliseconds(1)), Event::kTimedOut);
  videoData.Set();
  audioData.Set();
  EXPECT_EQ(Event::WaitAny(events, milliseconds(0)), 1);
  EXPECT_EQ(Event::WaitAny(events, milliseconds(0)), 2);
  EXPECT_EQ(Event::WaitAny(events, milliseconds(0)), Event::kTimedOut);
  stop.Set();
  EXPECT_EQ(Event::WaitAny(events, milliseconds(0)), 0);
  EXPECT_EQ(Event::WaitAny(events, milliseconds(0)), 0);
}

TEST(Event, SetFromAnotherThreadWakesAWaiter) {
  Event first;
  Event second(Event::ResetMode::Automatic);
  const std::array<Event*, 2> events = {&first, &second};
  std::thread setter([&] { second.Set(); });
  // The wait would last a minute if the wake were lost.
  EXPECT_EQ(Event::WaitAny(events, milliseconds(60000)), 1);
  setter.join();
}

}  // namespace
}  // namespace tavrix
