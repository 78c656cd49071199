#include <gtest/gtest.h>

#include <limits>
#include <optional>

#include "engine/frame_pacing.h"
#include "engine/playback_command.h"
#include "engine/speed_rules.h"
#include "platform/tick_clock.h"

namespace tavrix {
namespace {

TEST(PlaybackSpeed, PauseEndsOnlyFastPlay) {
  const struct { double before, after; } cases[] = {
      {8, 1}, {16, 1}, {32, 1}, {64, 1}, {2.5, 2.5}, {4, 4}, {1, 1}, {0.5, 0.5},
  };
  for (const auto& c : cases) EXPECT_EQ(SpeedAfterPause(PlaybackSpeed(c.before)).factor(), c.after) << c.before;
}

TEST(PlaybackSpeed, PlayTakesTheMagnitudeUpToEight) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double infinity = std::numeric_limits<double>::infinity();
  const struct { double requested, speed; } cases[] = {
      {-2.5, 2.5}, {20, 8}, {0, 1}, {1, 1}, {0.25, 0.25}, {nan, 1}, {-infinity, 8},
  };
  for (const auto& c : cases) EXPECT_EQ(SpeedForPlay(PlaybackSpeed(c.requested)).factor(), c.speed) << c.requested;
}

TEST(PlaybackSpeed, FastPlayDoublesInItsOwnDirectionAndRestartsAfterTheOther) {
  const struct {
    bool forward;
    double speed;
    PlaybackCommand lastCommand;
    PlaybackState state;
    double expected;
  } cases[] = {
      {true, 1, PlaybackCommand::Forward, PlaybackState::Forward, 8},    // first press
      {true, 8, PlaybackCommand::Forward, PlaybackState::Forward, 16},
      {true, 16, PlaybackCommand::Forward, PlaybackState::Forward, 32},
      {true, 32, PlaybackCommand::Forward, PlaybackState::Forward, 32},  // top speed holds
      {true, 16, PlaybackCommand::Reverse, PlaybackState::Reverse, 8},   // after a rewind command
      {true, 16, PlaybackCommand::Pause, PlaybackState::Paused, 8},      // fast, but not playing forward
      {true, 32, PlaybackCommand::Pause, PlaybackState::Paused, 32},     // 32 holds in any state
      {true, 2.5, PlaybackCommand::Forward, PlaybackState::Forward, 8},
      {false, 1, PlaybackCommand::Reverse, PlaybackState::Reverse, 8},
      {false, 8, PlaybackCommand::Reverse, PlaybackState::Reverse, 16},
      {false, 16, PlaybackCommand::Reverse, PlaybackState::Reverse, 32},
      {false, 32, PlaybackCommand::Forward, PlaybackState::Forward, 8},  // after a forward command
      {false, 16, PlaybackCommand::StepBackward, PlaybackState::Reverse, 32},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SpeedForFast(c.forward, PlaybackSpeed(c.speed), c.lastCommand, c.state).factor(), c.expected)
        << (c.forward ? "forward " : "rewind ") << c.speed << " after " << static_cast<int>(c.lastCommand) << " in "
        << static_cast<int>(c.state);
  }
}

TEST(PlaybackState, CommandsMapToTheirStates) {
  const struct {
    int command;
    std::optional<PlaybackState> state;
  } cases[] = {
      {2, PlaybackState::Paused},      {3, PlaybackState::Forward},      {4, PlaybackState::Reverse},
      {5, PlaybackState::StepForward}, {6, PlaybackState::StepBackward}, {7, PlaybackState::Seek},
      {0, std::nullopt},               {1, std::nullopt},                {8, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StateForCommand(static_cast<PlaybackCommand>(c.command)), c.state) << c.command;
  }
}

TEST(FramePacing, PeriodFollowsHeightAndFormat) {
  const struct { std::uint32_t height; int variant, period; } cases[] = {
      {224, 0, 33333}, {224, 2, 33333}, {224, 4, 16666}, {224, 5, 16666},
      {272, 0, 25000}, {272, 2, 25000}, {272, 4, 12500}, {272, 6, 12500},
  };
  for (const auto& c : cases) EXPECT_EQ(FramePeriodUs(c.height, static_cast<FormatVariant>(c.variant)), c.period) << c.height << " " << c.variant;
}

TEST(FramePacing, TargetDividesTheIntervalBySpeed) {
  const struct {
    int interval, period;
    double speed;
    std::uint32_t targetMs;
  } cases[] = {
      {0, 16666, 1, 16},
      {0, 16666, 8, 2},          // 2,083 us
      {0, 16666, 15.9, 1},
      {0, 16666, 16, 0},         // no pacing when skipping
      {0, 16666, 32, 0},
      {1, 33333, 1, 66},
      {127, 33333, 1, 4266},
      {0, 16666, 0.5, 33},
      {127, 33333, 0.001, 4266624},
      // 4,740,693,333 us does not fit 32 bits: its low 32 bits are 445,726,037.
      {127, 33333, 0.0009, 445726},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FrameTargetMs(c.interval, c.period, c.speed), c.targetMs) << c.interval << " " << c.speed;
  }
  // A vanishing speed must not make the conversion undefined (checked under UBSan).
  FrameTargetMs(0, 16666, 1e-300);
  EXPECT_EQ(PacingSleepMs(16, 3), 13u);
  EXPECT_EQ(PacingSleepMs(16, 16), 0u);
  EXPECT_EQ(PacingSleepMs(2, 40), 0u);
}

TEST(FrameClock, ElapsedTimeSurvivesTheWrapOfTheCounter) {
  EXPECT_EQ(TickDifference(4294967280u, 16u), 32u);
  EXPECT_EQ(TickDifference(100u, 116u), 16u);
  // A frame that started just before the wrap is paced by its true duration.
  EXPECT_EQ(PacingSleepMs(FrameTargetMs(0, 16666, 1), TickDifference(4294967290u, 4u)), 6u);
}

}  // namespace
}  // namespace tavrix
