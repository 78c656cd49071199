#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include "audio/g711.h"
#include "tests/engine/engine_harness.h"
#include "tests/engine/engine_recording.h"
#include "tests/export/ffprobe.h"
#include "tests/support/manual_audio_device.h"

namespace tavrix {
namespace {

using testing::EngineRecording;
using testing::ManualAudioDevice;
using testing::PlayerUnderTest;
using testing::WaitUntil;

// Plays a hand-driven device at about the real rate of 8000 16-bit samples a
// second, on its own thread, and keeps everything it played.
class SoundCard {
 public:
  explicit SoundCard(ManualAudioDevice& device)
      : thread_([this, &device] {
          while (!stop_.load()) {
            const std::vector<std::uint8_t> bytes = device.Pull(16);
            {
              std::lock_guard lock(mutex_);
              played_.insert(played_.end(), bytes.begin(), bytes.end());
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
          }
        }) {}
  ~SoundCard() {
    stop_.store(true);
    thread_.join();
  }

  std::vector<std::uint8_t> Played() const {
    std::lock_guard lock(mutex_);
    return played_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::uint8_t> played_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

std::vector<std::uint8_t> AsPcm(const std::vector<std::uint8_t>& alaw) {
  std::vector<std::uint8_t> pcm;
  for (std::uint8_t code : alaw) {
    const auto sample = static_cast<std::uint16_t>(ExpandALaw(code));
    pcm.push_back(static_cast<std::uint8_t>(sample & 0xFF));
    pcm.push_back(static_cast<std::uint8_t>(sample >> 8));
  }
  return pcm;
}

bool Contains(const std::vector<std::uint8_t>& haystack, const std::vector<std::uint8_t>& needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

struct PlayerWithCard {
  PlayerWithCard() : device(new ManualAudioDevice), player(FormatVariant::QM_QMT2, std::unique_ptr<AudioDevice>(device)) {}
  ManualAudioDevice* device;  // owned by the engine's AudioOut
  PlayerUnderTest player;
};

TEST(PlaybackSound, NormalSpeedPlaysEverySampleInOrderLargeBlocksIncluded) {
  EngineRecording recording;
  recording.AddVideo(0, true);
  recording.AddAudio(0, 400);
  recording.AddVideo(1, true);
  recording.AddAudio(0, 6000);  // 12,000 bytes of PCM: more than the 8,192-byte audio buffer
  recording.AddVideo(2, true);
  recording.AddAudio(0, 700);
  recording.AddAudio(0, 700);
  recording.AddVideo(3, true);
  const auto file = recording.Write();

  PlayerWithCard setup;
  SoundCard card(*setup.device);
  PlayerEngine& engine = *setup.player.engine;
  ASSERT_TRUE(engine.OpenSource(file->path(), false));
  ASSERT_TRUE(WaitUntil([&] { return engine.GetState() == PlaybackState::Paused; }));

  // All but the last block: the device stops once less than 1,024 bytes lie ahead.
  std::vector<std::uint8_t> expected;
  const auto& frames = recording.frames();
  for (std::size_t i = 0; i + 1 < frames.size(); ++i) {
    if (!frames[i].audio || &frames[i] == &frames[frames.size() - 2]) continue;
    const auto pcm = AsPcm(frames[i].samples);
    expected.insert(expected.end(), pcm.begin(), pcm.end());
  }
  // What is queued plays out after the pause at the end.
  EXPECT_TRUE(WaitUntil([&] { return Contains(card.Played(), expected); }))
      << "played " << card.Played().size() << " bytes, expected " << expected.size();
}

TEST(PlaybackSound, NoSoundWhenFastSlowOrBackwards) {
  EngineRecording recording;
  for (int round = 0; round < 3; ++round) {
    recording.AddVideo(round, true);
    recording.AddAudio(0, 800);
  }
  recording.AddVideo(3, true);
  const auto file = recording.Write();

  const struct { double speed; bool reverse; } cases[] = {{8, false}, {2, false}, {0.5, false}, {1, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.speed << (c.reverse ? " reverse" : " forward"));
    PlayerWithCard setup;
    SoundCard card(*setup.device);
    PlayerEngine& engine = *setup.player.engine;
    engine.SetSpeed(PlaybackSpeed(c.reverse ? 8 : c.speed));
    ASSERT_TRUE(engine.OpenSource(file->path(), false));
    ASSERT_TRUE(WaitUntil([&] { return engine.GetState() == PlaybackState::Paused; }));
    if (c.reverse) {
      const std::uint64_t shown = setup.player.Shown();
      engine.PlayReverse(PlaybackSpeed(c.speed));
      ASSERT_TRUE(WaitUntil([&] { return setup.player.Shown() == 2 * shown && engine.GetState() == PlaybackState::Paused; }));
    }
    const std::vector<std::uint8_t> played = card.Played();
    EXPECT_TRUE(std::all_of(played.begin(), played.end(), [](std::uint8_t byte) { return byte == 0; }));
    EXPECT_EQ(engine.GetAudioOut().Written(), 0u);
  }
}

TEST(PlaybackSound, AviCaptureTakesTheSoundPlayedAtNormalSpeedOnly) {
  EngineRecording recording;
  std::int64_t samples = 0;
  for (int round = 0; round < 3; ++round) {
    recording.AddVideo(round, true);
    recording.AddAudio(0, 500 + 100 * static_cast<std::size_t>(round));
    samples += 500 + 100 * round;
  }
  recording.AddVideo(3, true);
  const auto file = recording.Write();

  PlayerUnderTest player;
  PlayerEngine& engine = *player.engine;
  ASSERT_TRUE(engine.OpenSource(file->path(), false));
  ASSERT_TRUE(WaitUntil([&] { return engine.GetState() == PlaybackState::Paused; }));
  const std::uint64_t shown = player.Shown();

  // The capture starts on the first picture, which gives it its size.
  ASSERT_TRUE(engine.Seek(0));
  ASSERT_TRUE(WaitUntil([&] { return player.Shown() == shown + 1 && engine.GetState() == PlaybackState::Paused; }));
  PlayerEngine::AviCaptureOptions options;
  options.path = file->directory() + "/capture.avi";
  ASSERT_TRUE(engine.StartAviCapture(options));
  ASSERT_TRUE(engine.PlayForward(PlaybackSpeed(1)));
  ASSERT_TRUE(WaitUntil([&] { return player.Shown() == 2 * shown && engine.GetState() == PlaybackState::Paused; }));

  ASSERT_TRUE(engine.Seek(0));
  ASSERT_TRUE(WaitUntil([&] { return player.Shown() == 2 * shown + 1; }));
  ASSERT_TRUE(engine.PlayForward(PlaybackSpeed(8)));  // fast: no sound, for the AVI neither
  ASSERT_TRUE(WaitUntil([&] { return player.Shown() == 3 * shown && engine.GetState() == PlaybackState::Paused; }));
  ASSERT_TRUE(engine.StopAviCapture());
  EXPECT_EQ(test::ProbeAudioSamples(options.path), samples);
}

// A sound card that takes nothing: the ring fills and the thread waits for room.
TEST(PlaybackSound, StalledSoundCardNeverHoldsUpCommandsCloseOrDestruction) {
  EngineRecording recording;
  recording.AddVideo(0, true);
  for (int i = 0; i < 20; ++i) recording.AddAudio(0, 1000);
  recording.AddVideo(1, true);
  const auto file = recording.Write();

  PlayerWithCard setup;
  PlayerEngine& engine = *setup.player.engine;
  const auto waitingForRoom = [&] { return engine.GetAudioOut().Written() >= 6000; };

  ASSERT_TRUE(engine.OpenSource(file->path(), false));
  ASSERT_TRUE(WaitUntil(waitingForRoom));
  engine.Pause();
  ASSERT_TRUE(WaitUntil([&] { return engine.GetState() == PlaybackState::Paused; }));

  engine.PlayForward(PlaybackSpeed(1));
  ASSERT_TRUE(WaitUntil([&] { return engine.GetState() == PlaybackState::Forward; }));
  engine.CloseSource();
  // The ring is emptied and the device stopped, so nothing loops after Close.
  EXPECT_EQ(engine.GetState(), PlaybackState::Idle);
  EXPECT_FALSE(engine.IsThreadAlive());
  EXPECT_TRUE(setup.device->paused());
  EXPECT_EQ(engine.GetAudioOut().Queued(), 0u);

  ASSERT_TRUE(engine.OpenSource(file->path(), false));
  ASSERT_TRUE(WaitUntil([&] { return engine.GetAudioOut().Queued() >= 6000; }));
  setup.player.engine.reset();
}

}  // namespace
}  // namespace tavrix
