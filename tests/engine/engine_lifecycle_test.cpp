#include <gtest/gtest.h>

#include <memory>

#include "engine/engine_services.h"
#include "tests/engine/engine_harness.h"
#include "tests/engine/engine_recording.h"

namespace tavrix {
namespace {

using testing::EngineRecording;
using testing::PlayerUnderTest;
using testing::WaitUntil;

std::unique_ptr<testing::TempFile> ShortRecording() {
  EngineRecording recording;
  for (int round = 0; round < 3; ++round) {
    for (int channel = 0; channel < 4; ++channel) recording.AddVideo(channel, round == 0);
    recording.AddAudio(0, 300);
  }
  return recording.Write();
}

TEST(EngineModes, CreateDerivesTheSplitFromTheChannelCount) {
  const struct { int channels, split; } cases[] = {{10, 16}, {16, 16}, {9, 9}, {5, 9}, {4, 4}, {2, 4}, {1, 1}, {0, 1}};
  for (const auto& c : cases) {
    VideoViewModel view;
    PlayerEngine engine(view, [](const std::string&) {});
    ASSERT_TRUE(engine.Create(FormatVariant::QM_QMT2, AudioFormat::QM_ALAW, c.channels, 8000));
    EXPECT_EQ(engine.GetSplitCount(), 1) << c.channels;  // one tile until a mode is chosen
    ASSERT_TRUE(engine.SetMode(EngineMode::Player, -1));
    EXPECT_EQ(engine.GetSplitCount(), c.split) << c.channels;
  }
}

TEST(EngineModes, SetModeKeepsTheSplitUnlessGivenOneToSixteenChannels) {
  VideoViewModel view;
  PlayerEngine engine(view, [](const std::string&) {});
  ASSERT_TRUE(engine.Create(FormatVariant::QM_QMT2, AudioFormat::QM_ALAW, 4, 8000));
  EXPECT_FALSE(engine.Create(static_cast<FormatVariant>(7), AudioFormat::QM_ALAW, 4, 8000));
  EXPECT_FALSE(engine.Create(FormatVariant::QM_QMT2, static_cast<AudioFormat>(9), 4, 8000));
  EXPECT_EQ(engine.GetMode(), EngineMode::Client);

  const CommandResult unknown = engine.SetMode(static_cast<EngineMode>(3), 4);
  EXPECT_FALSE(unknown);
  EXPECT_EQ(unknown.reason(), "there is no mode 3");
  EXPECT_EQ(engine.GetMode(), EngineMode::Client);
  const struct { int channels, split; } cases[] = {{17, 4}, {-1, 4}, {0, 4}, {9, 9}, {16, 16}, {-1, 16}, {1, 1}, {9, 9}};
  for (const auto& c : cases) {
    ASSERT_TRUE(engine.SetMode(EngineMode::Player, c.channels));
    EXPECT_EQ(engine.GetMode(), EngineMode::Player);
    EXPECT_EQ(engine.GetSplitCount(), c.split) << c.channels;
  }
  ASSERT_TRUE(engine.SetMode(EngineMode::Client, 4));
  EXPECT_EQ(engine.GetSplitCount(), 1);  // one live picture
  ASSERT_TRUE(engine.SetMode(EngineMode::Player, -1));
  EXPECT_EQ(engine.GetSplitCount(), 9);  // the last split stays stored
}

TEST(EngineModes, RecordingsOpenOnlyInPlayerMode) {
  const auto file = ShortRecording();
  VideoViewModel view;
  PlayerEngine engine(view, [](const std::string&) {});
  ASSERT_TRUE(engine.Create(FormatVariant::QM_QMT2, AudioFormat::QM_ALAW, 4, 8000));
  const CommandResult opened = engine.OpenSource(file->path(), false);
  EXPECT_FALSE(opened);
  EXPECT_EQ(opened.reason(), "recordings play in player mode only");
  EXPECT_FALSE(engine.IsThreadAlive());
  EXPECT_EQ(engine.GetLastErrorText(), opened.reason());
}

TEST(EngineModes, ModeSwitchDuringPlaybackStopsTheThreadFirst) {
  const auto file = ShortRecording();
  PlayerUnderTest player;
  PlayerEngine& engine = *player.engine;
  engine.SetRepeat(true);
  for (EngineMode mode : {EngineMode::Client, EngineMode::Player}) {
    SCOPED_TRACE(static_cast<int>(mode));
    ASSERT_TRUE(player.SetMode(EngineMode::Player));
    ASSERT_TRUE(engine.OpenSource(file->path(), false));
    ASSERT_TRUE(WaitUntil([&] { return player.Shown() > 0; }));
    ASSERT_TRUE(player.SetMode(mode));
    EXPECT_FALSE(engine.IsThreadAlive());
    EXPECT_EQ(engine.GetState(), PlaybackState::Idle);
    CalendarTime time;
    EXPECT_FALSE(engine.GetBlockTime(time));
    for (int channel = 0; channel < 4; ++channel) EXPECT_FALSE(player.view.HasPicture(channel));
  }
}

TEST(EngineModes, ASourceThatCannotBeOpenedStartsNothing) {
  PlayerUnderTest player;
  PlayerEngine& engine = *player.engine;
  const CommandResult opened = engine.OpenSource("/nonexistent/recording.vvf", false);
  EXPECT_FALSE(opened);
  EXPECT_NE(opened.reason().find("/nonexistent/recording.vvf"), std::string::npos) << opened.reason();
  EXPECT_FALSE(engine.IsThreadAlive());
  EXPECT_FALSE(engine.IsSourceOpen());
  EXPECT_EQ(engine.GetState(), PlaybackState::Idle);
  EXPECT_EQ(engine.GetLastErrorText(), opened.reason());
  // A command without a thread is refused and changes nothing.
  EXPECT_FALSE(engine.StepForward());
  EXPECT_EQ(engine.GetState(), PlaybackState::Idle);
}

TEST(EngineServicesTest, FirstEngineStartsThemAndLastStopsThem) {
  const int starts = EngineServices::Starts();
  ASSERT_EQ(EngineServices::LivingEngines(), 0);
  VideoViewModel view;
  auto first = std::make_unique<PlayerEngine>(view, [](const std::string&) {});
  EXPECT_EQ(EngineServices::Starts(), starts + 1);
  auto second = std::make_unique<PlayerEngine>(view, [](const std::string&) {});
  EXPECT_EQ(EngineServices::Starts(), starts + 1);
  EXPECT_EQ(EngineServices::LivingEngines(), 2);
  first.reset();
  EXPECT_EQ(EngineServices::LivingEngines(), 1);
  second.reset();
  EXPECT_EQ(EngineServices::LivingEngines(), 0);
  EXPECT_FALSE(EngineServices::AudioSubsystemHeld());
}

TEST(EngineLifecycle, StopCloseAndDestroyNeverHangAtAnySpeed) {
  const auto file = ShortRecording();
  const struct { double speed; bool reverse; } cases[] = {
      {1, false}, {2.5, false}, {8, false}, {16, false}, {32, false}, {0.25, false}, {1, true}, {8, true}, {32, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.speed << (c.reverse ? " reverse" : " forward"));
    PlayerUnderTest player;
    PlayerEngine& engine = *player.engine;
    engine.SetRepeat(true);
    ASSERT_TRUE(engine.OpenSource(file->path(), false));
    ASSERT_TRUE(WaitUntil([&] { return player.Shown() > 2; }));
    if (c.reverse) {
      engine.PlayReverse(PlaybackSpeed(8));
      if (c.speed > 8) engine.FastRewind(), engine.FastRewind();
    } else if (c.speed > 8) {
      engine.FastForward(), engine.FastForward();
    } else {
      engine.PlayForward(PlaybackSpeed(c.speed));
    }
    const std::uint64_t shown = player.Shown();
    ASSERT_TRUE(WaitUntil([&] { return player.Shown() > shown || engine.GetState() == PlaybackState::Paused; }));
    EXPECT_TRUE(engine.CloseSource());
    EXPECT_FALSE(engine.IsThreadAlive());
    EXPECT_EQ(engine.GetState(), PlaybackState::Idle);

    // The same again, but the engine goes away while it plays.
    ASSERT_TRUE(engine.OpenSource(file->path(), false));
    ASSERT_TRUE(WaitUntil([&] { return engine.GetState() != PlaybackState::Idle; }));
    player.engine.reset();
  }
}

}  // namespace
}  // namespace tavrix
