#include <gtest/gtest.h>

#include <memory>

#include "engine/engine_services.h"
#include "engine/playback_state.h"
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
    EXPECT_EQ(view.GetChannelCount(), 1) << c.channels;  // one tile until a mode is chosen
    ASSERT_EQ(engine.SetMode(PlayerEngine::kPlayerMode, -1), 1);
    EXPECT_EQ(view.GetChannelCount(), c.split) << c.channels;
  }
}

TEST(EngineModes, SetModeKeepsTheSplitUnlessGivenOneToSixteenChannels) {
  VideoViewModel view;
  PlayerEngine engine(view, [](const std::string&) {});
  ASSERT_TRUE(engine.Create(FormatVariant::QM_QMT2, AudioFormat::QM_ALAW, 4, 8000));
  EXPECT_FALSE(engine.Create(static_cast<FormatVariant>(7), AudioFormat::QM_ALAW, 4, 8000));
  EXPECT_FALSE(engine.Create(FormatVariant::QM_QMT2, static_cast<AudioFormat>(9), 4, 8000));
  EXPECT_EQ(engine.GetMode(), PlayerEngine::kClientMode);

  EXPECT_EQ(engine.SetMode(3, 4), 0);
  EXPECT_EQ(engine.GetMode(), PlayerEngine::kClientMode);
  const struct { int channels, split; } cases[] = {{17, 4}, {-1, 4}, {0, 4}, {9, 9}, {16, 16}, {-1, 16}, {1, 1}};
  for (const auto& c : cases) {
    ASSERT_EQ(engine.SetMode(PlayerEngine::kPlayerMode, c.channels), 1);
    EXPECT_EQ(engine.GetSplitCount(), c.split) << c.channels;
    EXPECT_EQ(view.GetChannelCount(), c.split) << c.channels;
    EXPECT_TRUE(view.GetPlayerFlag());
    EXPECT_EQ(view.GetMode(), PlayerEngine::kPlayerMode);
  }
  ASSERT_EQ(engine.SetMode(PlayerEngine::kClientMode, 4), 1);
  EXPECT_EQ(view.GetChannelCount(), 1);
  EXPECT_FALSE(view.GetPlayerFlag());
  EXPECT_EQ(engine.GetSplitCount(), 1);  // the last split stays stored
}

TEST(EngineModes, RecordingsOpenOnlyInPlayerMode) {
  const auto file = ShortRecording();
  VideoViewModel view;
  PlayerEngine engine(view, [](const std::string&) {});
  ASSERT_TRUE(engine.Create(FormatVariant::QM_QMT2, AudioFormat::QM_ALAW, 4, 8000));
  EXPECT_FALSE(engine.OpenSource(file->path(), false));
  EXPECT_FALSE(engine.IsThreadAlive());
  EXPECT_FALSE(engine.GetLastErrorText().empty());
}

TEST(EngineModes, ModeSwitchDuringPlaybackStopsTheThreadFirst) {
  const auto file = ShortRecording();
  PlayerUnderTest player;
  PlayerEngine& engine = *player.engine;
  engine.SetRepeat(true);
  for (int mode : {PlayerEngine::kClientMode, PlayerEngine::kPlayerMode}) {
    ASSERT_EQ(engine.SetMode(PlayerEngine::kPlayerMode, -1), 1);
    ASSERT_TRUE(engine.OpenSource(file->path(), false));
    ASSERT_TRUE(WaitUntil([&] { return player.Shown() > 0; }));
    ASSERT_EQ(engine.SetMode(mode, -1), 1);
    EXPECT_FALSE(engine.IsThreadAlive()) << mode;
    EXPECT_EQ(engine.GetState(), kStateIdle) << mode;
    CalendarTime time;
    EXPECT_FALSE(engine.GetBlockTime(time));
    for (int channel = 0; channel < 4; ++channel) EXPECT_FALSE(player.view.HasPicture(channel));
  }
}

TEST(EngineModes, ASourceThatCannotBeOpenedStartsNothing) {
  PlayerUnderTest player;
  PlayerEngine& engine = *player.engine;
  EXPECT_FALSE(engine.OpenSource("/nonexistent/recording.vvf", false));
  EXPECT_FALSE(engine.IsThreadAlive());
  EXPECT_FALSE(engine.IsSourceOpen());
  EXPECT_EQ(engine.GetState(), kStateIdle);
  EXPECT_FALSE(engine.GetLastErrorText().empty());
  // A command without a thread stays stored; it changes nothing.
  EXPECT_EQ(engine.StepForward(), 1);
  EXPECT_EQ(engine.GetState(), kStateIdle);
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
      engine.PlayReverse(8);
      if (c.speed > 8) engine.FastRewind(), engine.FastRewind();
    } else if (c.speed > 8) {
      engine.FastForward(), engine.FastForward();
    } else {
      engine.PlayForward(c.speed);
    }
    const std::uint64_t shown = player.Shown();
    ASSERT_TRUE(WaitUntil([&] { return player.Shown() > shown || engine.GetState() == kStatePaused; }));
    EXPECT_EQ(engine.CloseSource(), 1);
    EXPECT_FALSE(engine.IsThreadAlive());
    EXPECT_EQ(engine.GetState(), kStateIdle);

    // The same again, but the engine goes away while it plays.
    ASSERT_TRUE(engine.OpenSource(file->path(), false));
    ASSERT_TRUE(WaitUntil([&] { return engine.GetState() != kStateIdle; }));
    player.engine.reset();
  }
}

}  // namespace
}  // namespace tavrix
