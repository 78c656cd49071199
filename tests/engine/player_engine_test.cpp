#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

#include "engine/engine_services.h"
#include "tests/engine/engine_harness.h"
#include "tests/engine/engine_recording.h"

namespace tavrix {
namespace {

using testing::EngineRecording;
using testing::Interleaved;
using testing::PlayerUnderTest;
using testing::WaitUntil;

int FramesOf(const EngineRecording& recording, int channel) {
  int count = 0;
  for (const auto& frame : recording.VideoFrames()) count += frame.channel == channel ? 1 : 0;
  return count;
}

const std::vector<std::uint8_t>& LastPictureOf(const EngineRecording& recording, int channel) {
  const std::vector<EngineRecording::Frame>& frames = recording.frames();
  for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
    if (!it->audio && it->channel == channel) return it->picture;
  }
  throw std::logic_error("no picture of that channel");
}

class PlayerEngineTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("TZ", "UTC", 1);
    tzset();
  }
};

TEST_F(PlayerEngineTest, OpenPlaysEveryFrameOnceAtNormalSpeedThenPausesAtTheEnd) {
  EngineRecording recording = Interleaved(3);
  const auto file = recording.Write();
  PlayerUnderTest player;
  ASSERT_TRUE(player.created);
  PlayerEngine& engine = *player.engine;
  CalendarTime time;
  EXPECT_FALSE(engine.GetBlockTime(time));  // nothing plays yet

  ASSERT_TRUE(engine.OpenSource(file->path(), false));
  EXPECT_EQ(engine.GetSpeed().factor(), 1.0);
  ASSERT_TRUE(WaitUntil([&] { return player.Shown() > 0; }));
  EXPECT_EQ(engine.GetState(), PlaybackState::Forward);
  ASSERT_TRUE(engine.GetBlockTime(time));
  EXPECT_EQ(time.year, 2009);
  EXPECT_EQ(time.month, 12);
  EXPECT_EQ(time.day, 29);

  // No repeat: five failed reads at the end pause playback.
  ASSERT_TRUE(WaitUntil([&] { return engine.GetState() == PlaybackState::Paused; }));
  for (int channel = 0; channel < 4; ++channel) {
    SCOPED_TRACE(channel);
    EXPECT_EQ(player.view.ShownCount(channel), static_cast<std::uint64_t>(FramesOf(recording, channel)));
    // Update pictures were decoded against their own channel's picture.
    EXPECT_EQ(player.view.CopyPicture(channel).bytes, LastPictureOf(recording, channel));
  }
  EXPECT_TRUE(engine.IsThreadAlive());
  EXPECT_EQ(engine.GetSourceName(), file->path());
  EXPECT_EQ(engine.GetSourceSize(), testing::ReadWholeFile(file->path()).size());
}

TEST_F(PlayerEngineTest, ACommandRightAfterTheOpenIsNotOvertakenByIt) {
  const auto file = Interleaved(2).Write();
  PlayerUnderTest player;
  PlayerEngine& engine = *player.engine;
  engine.SetRepeat(true);  // playing on would never pause by itself
  for (int attempt = 0; attempt < 10; ++attempt) {
    ASSERT_TRUE(engine.OpenSource(file->path(), false));
    engine.Pause();
    ASSERT_TRUE(WaitUntil([&] { return engine.GetState() == PlaybackState::Paused; })) << attempt;
  }
}

TEST_F(PlayerEngineTest, RepeatRewindsAtTheEndAndKeepsPlaying) {
  EngineRecording recording = Interleaved(2);
  const auto file = recording.Write();
  PlayerUnderTest player;
  PlayerEngine& engine = *player.engine;
  engine.SetRepeat(true);
  engine.SetSpeed(PlaybackSpeed(8));
  ASSERT_TRUE(engine.OpenSource(file->path(), false));
  const auto framesOfChannel0 = static_cast<std::uint64_t>(FramesOf(recording, 0));
  ASSERT_TRUE(WaitUntil([&] { return player.view.ShownCount(0) > 3 * framesOfChannel0; }));
  EXPECT_EQ(engine.GetState(), PlaybackState::Forward);

  engine.SetRepeat(false);
  EXPECT_TRUE(WaitUntil([&] { return engine.GetState() == PlaybackState::Paused; }));
}

TEST_F(PlayerEngineTest, FastPlayCommandsFollowTheSpeedRulesWhilePlaying) {
  const auto file = Interleaved(3).Write();
  PlayerUnderTest player;
  PlayerEngine& engine = *player.engine;
  engine.SetRepeat(true);
  ASSERT_TRUE(engine.OpenSource(file->path(), false));
  ASSERT_TRUE(WaitUntil([&] { return engine.GetState() == PlaybackState::Forward; }));

  std::vector<double> speeds;
  for (int i = 0; i < 4; ++i) {
    engine.FastForward();
    speeds.push_back(engine.GetSpeed().factor());
  }
  EXPECT_EQ(speeds, (std::vector<double>{8, 16, 32, 32}));
  EXPECT_EQ(engine.GetState(), PlaybackState::Forward);

  engine.FastRewind();  // after a forward command even 32 restarts at 8
  EXPECT_EQ(engine.GetSpeed().factor(), 8);
  engine.FastForward();  // and the other way round
  EXPECT_EQ(engine.GetSpeed().factor(), 8);
  EXPECT_TRUE(WaitUntil([&] { return engine.GetState() == PlaybackState::Forward; }));

  engine.Pause();
  EXPECT_EQ(engine.GetSpeed().factor(), 1.0);
  ASSERT_TRUE(WaitUntil([&] { return engine.GetState() == PlaybackState::Paused; }));
  engine.PlayForward(PlaybackSpeed(-2.5));
  EXPECT_EQ(engine.GetSpeed().factor(), 2.5);
  engine.Pause();
  EXPECT_EQ(engine.GetSpeed().factor(), 2.5);
  EXPECT_TRUE(WaitUntil([&] { return engine.GetState() == PlaybackState::Paused; }));
}

// At 16 and above every ninth picture that reaches decoding is followed by a
// jump of trunc(speed) x 20480 bytes, unless that lands past the end; reading
// resumes at the first start code from there.
TEST_F(PlayerEngineTest, FastPlaySkipsAheadAfterEveryNinePictures) {
  EngineRecording recording;
  for (int i = 0; i < 200; ++i) recording.AddVideo(0, true);
  const auto file = recording.Write();
  const auto video = recording.VideoFrames();
  const std::uint64_t size = testing::ReadWholeFile(file->path()).size();

  for (const double speed : {16.0, 32.0}) {
    SCOPED_TRACE(speed);
    std::uint64_t expected = 0;
    int sinceSkip = 0;
    std::uint64_t position = 0;
    std::size_t next = 0;
    while (next < video.size()) {
      if (sinceSkip >= 9) {
        const std::uint64_t target = position + static_cast<std::uint64_t>(speed) * 20480;
        if (target < size) position = target;  // a jump past the end is ignored
        sinceSkip = 0;
        while (next < video.size() && video[next].fileOffset < position) ++next;
        if (next == video.size()) break;
      }
      ++expected;
      ++sinceSkip;
      ++next;
      if (next < video.size()) position = video[next].fileOffset;
    }
    ASSERT_LT(expected, video.size() / 2);

    PlayerUnderTest player;
    PlayerEngine& engine = *player.engine;
    engine.SetSpeed(PlaybackSpeed(speed));
    ASSERT_TRUE(engine.OpenSource(file->path(), false));
    ASSERT_TRUE(WaitUntil([&] { return engine.GetState() == PlaybackState::Paused; }));
    EXPECT_EQ(player.view.ShownCount(0), expected);
  }
}

TEST_F(PlayerEngineTest, ReversePausesAtTheStartEvenWithRepeat) {
  EngineRecording recording = Interleaved(3);
  const auto file = recording.Write();
  PlayerUnderTest player;
  PlayerEngine& engine = *player.engine;
  engine.SetSpeed(PlaybackSpeed(8));
  ASSERT_TRUE(engine.OpenSource(file->path(), false));
  ASSERT_TRUE(WaitUntil([&] { return engine.GetState() == PlaybackState::Paused; }));
  const std::uint64_t shownForwards = player.Shown();

  engine.SetRepeat(true);
  engine.PlayReverse(PlaybackSpeed(8));
  ASSERT_TRUE(WaitUntil([&] { return player.Shown() > shownForwards; }));
  ASSERT_TRUE(WaitUntil([&] { return engine.GetState() == PlaybackState::Paused; }));
  EXPECT_LT(engine.GetPosition(), 4096u);
  // Every picture was shown once more on the way back, and no more.
  EXPECT_EQ(player.Shown(), 2 * shownForwards);
}

// One full picture per channel, so every picture shown can be told apart;
// sound between the first two pictures.
class StepAndSeekTest : public PlayerEngineTest {
 protected:
  void SetUp() override {
    recording_.AddVideo(0, true);
    for (int i = 0; i < 3; ++i) recording_.AddAudio(0, 300);
    for (int i = 0; i < 30; ++i) recording_.AddVideo(1 + i % 3, true);
    file_ = recording_.Write();
    ASSERT_TRUE(player_.created);
    // Opening plays; pause first so that only the commands below show anything.
    ASSERT_TRUE(player_.engine->OpenSource(file_->path(), false));
    ASSERT_TRUE(WaitUntil([&] { return player_.engine->GetState() == PlaybackState::Forward; }));
    player_.engine->Pause();
    ASSERT_TRUE(WaitUntil([&] { return player_.engine->GetState() == PlaybackState::Paused; }));
  }

  // Runs a command and waits for the one picture it shows; returns its channel.
  int ShowOneWith(const std::function<void(PlayerEngine&)>& command) {
    std::vector<std::uint64_t> before;
    for (int channel = 0; channel < 4; ++channel) before.push_back(player_.view.ShownCount(channel));
    const std::uint64_t total = player_.Shown();
    command(*player_.engine);
    EXPECT_TRUE(WaitUntil([&] { return player_.Shown() == total + 1 && player_.engine->GetState() == PlaybackState::Paused; }));
    for (int channel = 0; channel < 4; ++channel) {
      if (player_.view.ShownCount(channel) != before[static_cast<std::size_t>(channel)]) return channel;
    }
    return -1;
  }

  EngineRecording recording_;
  std::unique_ptr<testing::TempFile> file_;
  PlayerUnderTest player_;
};

TEST_F(StepAndSeekTest, StepsPassOverSoundAndStopOnTheNextPicture) {
  const auto video = recording_.VideoFrames();
  ASSERT_EQ(ShowOneWith([](PlayerEngine& e) { e.Seek(0); }), 0);
  EXPECT_EQ(player_.view.CopyPicture(0).bytes, video[0].picture);

  ASSERT_EQ(ShowOneWith([](PlayerEngine& e) { e.StepForward(); }), 1);
  EXPECT_EQ(player_.view.CopyPicture(1).bytes, video[1].picture);
  ASSERT_EQ(ShowOneWith([](PlayerEngine& e) { e.StepForward(); }), 2);
  EXPECT_EQ(player_.view.CopyPicture(2).bytes, video[2].picture);

  // Backwards after forwards: the picture before the one last shown.
  ASSERT_EQ(ShowOneWith([](PlayerEngine& e) { e.StepBackward(); }), 1);
  EXPECT_EQ(player_.view.CopyPicture(1).bytes, video[1].picture);
  ASSERT_EQ(ShowOneWith([](PlayerEngine& e) { e.StepBackward(); }), 0);
  EXPECT_EQ(player_.view.CopyPicture(0).bytes, video[0].picture);

  // Nothing before the first picture: the step ends paused, showing nothing.
  const std::uint64_t shown = player_.Shown();
  player_.engine->StepBackward();
  player_.engine->StepForward();  // queued behind it, proves the first was handled
  ASSERT_TRUE(WaitUntil([&] { return player_.Shown() == shown + 1; }));
  EXPECT_EQ(player_.engine->GetState(), PlaybackState::Paused);
}

TEST_F(StepAndSeekTest, SeekShowsTheFirstPictureOfTheTargetsBlockAndPauses) {
  const auto video = recording_.VideoFrames();
  for (std::size_t index : {std::size_t{7}, std::size_t{19}, std::size_t{28}}) {
    // A target in the middle of the block: the scan starts at the block's payload.
    const std::uint64_t block = video[index].fileOffset / 4096 * 4096;
    const std::uint64_t target = block + 2000;
    std::size_t expected = 0;
    while (video[expected].fileOffset < block + 8) ++expected;
    SCOPED_TRACE(::testing::Message() << "target " << target << ", picture " << expected);

    EXPECT_EQ(ShowOneWith([&](PlayerEngine& e) { e.Seek(target); }), video[expected].channel);
    EXPECT_EQ(player_.view.CopyPicture(video[expected].channel).bytes, video[expected].picture);
    EXPECT_GT(player_.engine->GetPosition(), video[expected].fileOffset);
  }
}

}  // namespace
}  // namespace tavrix
