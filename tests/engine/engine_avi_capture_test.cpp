#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "codec/decoded_picture.h"
#include "export/export_composer.h"
#include "export/player_frame_rate.h"
#include "tests/engine/engine_harness.h"
#include "tests/engine/engine_recording.h"
#include "tests/engine/observer_log.h"
#include "tests/export/ffprobe.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/vvf_fixture.h"

namespace tavrix {
namespace {

using testing::EngineRecording;
using testing::ObserverLog;
using testing::PlayerUnderTest;
using testing::WaitUntil;
using Reports = ObserverLog::Reports;

constexpr int kRounds = 5;
constexpr std::size_t kSamplesPerRound = 400;

EngineRecording FourChannels(std::uint32_t height) {
  EngineRecording recording(static_cast<int>(FormatVariant::QM_QMT2), height);
  for (int round = 0; round < kRounds; ++round) {
    for (int channel = 0; channel < 4; ++channel) recording.AddVideo(channel, round == 0);
    recording.AddAudio(0, kSamplesPerRound);
  }
  return recording;
}

// The frames a capture of the 2 x 2 layout must hold when it starts after
// the first picture: the later ones composed in order, captions without the
// time, turned top row first as the decoder gives them.
std::vector<std::uint8_t> ExpectedFrames(const EngineRecording& recording, int width, int height) {
  std::vector<std::uint8_t> frames;
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  ExportComposer composer(width, height, 4, 4, 0, [&](const std::uint8_t* frame) {
    for (int row = height - 1; row >= 0; --row) {
      const std::uint8_t* line = frame + static_cast<std::size_t>(row) * rowBytes;
      frames.insert(frames.end(), line, line + rowBytes);
    }
  });
  composer.SetCaptionTime(false, "");
  const auto video = recording.VideoFrames();
  DecodedPicture picture;
  for (std::size_t i = 1; i < video.size(); ++i) {
    picture.SetSize(static_cast<std::uint32_t>(width), recording.height());
    std::memcpy(picture.data(), video[i].picture.data(), picture.size());
    composer.Add(video[i].channel, CalendarTime{}, picture);
  }
  composer.Flush();
  return frames;
}

// NTSC and then PAL pictures through one engine: the second capture is
// composed at its own, larger size.
TEST(EngineAviCapture, WritesTheComposedPicturesAndTheSoundPlayedAtTheRecordingsFrameRate) {
  ObserverLog log;
  PlayerUnderTest player;
  ASSERT_TRUE(player.created);
  PlayerEngine& engine = *player.engine;
  engine.SetObserver(&log);
  for (const std::uint32_t height : {kNtscHeight, kPalHeight}) {
    SCOPED_TRACE(height);
    EngineRecording recording = FourChannels(height);
    const auto file = recording.Write();
    const std::uint64_t pictures = recording.VideoFrames().size();

    // Through the recording fast, without sound, then back to its first
    // picture, which gives the capture its size.
    engine.SetSpeed(PlaybackSpeed(8));
    const int ends = log.Snapshot().ends;
    const std::uint64_t before = player.Shown();
    ASSERT_TRUE(engine.OpenSource(file->path(), false));
    ASSERT_TRUE(log.WaitFor([&](const Reports& r) { return r.ends == ends + 1; }));
    const std::uint64_t shown = player.Shown();
    ASSERT_EQ(shown - before, pictures);
    ASSERT_TRUE(engine.Seek(0));
    ASSERT_TRUE(WaitUntil([&] { return player.Shown() == shown + 1; }));

    PlayerEngine::AviCaptureOptions options;
    options.path = file->directory() + "/capture.avi";
    options.encoder.codec = VideoCodec::kFfv1;  // lossless, in RGB
    options.showTime = false;
    ASSERT_TRUE(engine.StartAviCapture(options));
    EXPECT_TRUE(engine.IsAviCapturing());
    ASSERT_TRUE(engine.PlayForward(PlaybackSpeed::Normal()));
    ASSERT_TRUE(log.WaitFor([&](const Reports& r) { return r.ends == ends + 2; }));
    ASSERT_TRUE(engine.StopAviCapture());
    EXPECT_FALSE(engine.IsAviCapturing());

    const int width = 640;
    const int frameHeight = 2 * static_cast<int>(height);
    const test::ProbedFile probed = test::Probe(options.path);
    ASSERT_TRUE(probed.ok) << probed.error;
    const test::ProbedStream* video = probed.First("video");
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(video->width, width);
    EXPECT_EQ(video->height, frameHeight);
    const std::vector<std::uint8_t> expected = ExpectedFrames(recording, width, frameHeight);
    const auto frameBytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(frameHeight) * 3;
    ASSERT_GT(expected.size(), 2 * frameBytes);
    EXPECT_EQ(video->frames, static_cast<std::int64_t>(expected.size() / frameBytes));
    EXPECT_TRUE(test::DecodeVideoBgr24(options.path) == expected) << "the frames are the composed pictures";
    // Four channels, interval 0: a round of pictures per frame.
    const int rate = PlayerFrameRate(0x0F, 0, height, FormatVariant::QM_QMT2);
    EXPECT_EQ(rate, height == kNtscHeight ? 15 : 12);
    EXPECT_NEAR(video->duration, static_cast<double>(video->frames) / rate, 0.5 / rate);
    // Every sound block came after the first picture and was played at 1x.
    EXPECT_EQ(test::ProbeAudioSamples(options.path), static_cast<std::int64_t>(kRounds * kSamplesPerRound));
    EXPECT_TRUE(log.Snapshot().captures.empty()) << "a capture stopped by the caller is not reported";
  }
}

// Whatever ends playback ends the capture first, with a complete file, so the
// next source never writes into it.
TEST(EngineAviCapture, EndsWithPlaybackAndSaysWhy) {
  const auto file = testing::Interleaved(3).Write();
  const struct {
    const char* reason;
    std::function<void(PlayerUnderTest&)> end;
  } cases[] = {
      {"the recording was closed", [](PlayerUnderTest& p) { ASSERT_TRUE(p.engine->CloseSource()); }},
      {"another recording was chosen",
       [&](PlayerUnderTest& p) { ASSERT_TRUE(p.engine->OpenSource(file->path(), false)); }},
      {"the mode changed", [](PlayerUnderTest& p) { ASSERT_TRUE(p.SetMode(EngineMode::Client)); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    ObserverLog log;
    PlayerUnderTest player;
    PlayerEngine& engine = *player.engine;
    engine.SetObserver(&log);
    engine.SetRepeat(true);
    ASSERT_TRUE(engine.OpenSource(file->path(), false));
    ASSERT_TRUE(WaitUntil([&] { return player.Shown() > 0; }));
    const testing::TempDirectory directory;
    PlayerEngine::AviCaptureOptions options;
    options.path = directory.File("capture.mkv");
    ASSERT_TRUE(engine.StartAviCapture(options));
    // A channel shown twice has completed a frame.
    const std::uint64_t shown = player.Shown();
    ASSERT_TRUE(WaitUntil([&] { return player.Shown() > shown + 5; }));

    c.end(player);
    ASSERT_TRUE(log.WaitFor([](const Reports& r) { return !r.captures.empty(); }));
    const Reports reports = log.Snapshot();
    ASSERT_EQ(reports.captures.size(), 1u);
    EXPECT_EQ(reports.captures[0].capture, EngineObserver::Capture::Avi);
    EXPECT_TRUE(reports.captures[0].ok);
    EXPECT_EQ(reports.captures[0].message, std::string("the AVI capture ended because ") + c.reason);
    EXPECT_FALSE(engine.IsAviCapturing());
    EXPECT_EQ(engine.StopAviCapture().reason(), "no AVI capture is running");
    const test::ProbedFile probed = test::Probe(options.path);
    ASSERT_TRUE(probed.ok) << probed.error;
    ASSERT_NE(probed.First("video"), nullptr);
    EXPECT_GT(probed.First("video")->frames, 0);
  }
}

// A full disk: the capture ends by itself, removes what it could not
// complete and says why; playback goes on.
TEST(EngineAviCapture, AFailedWriteEndsTheCaptureWithTheReason) {
  const auto file = testing::Interleaved(3).Write();
  const testing::FileSizeLimit limit(1 << 20);
  ASSERT_TRUE(limit.set());
  ObserverLog log;
  PlayerUnderTest player;
  PlayerEngine& engine = *player.engine;
  engine.SetObserver(&log);
  engine.SetRepeat(true);
  ASSERT_TRUE(engine.OpenSource(file->path(), false));
  ASSERT_TRUE(WaitUntil([&] { return player.Shown() > 0; }));
  PlayerEngine::AviCaptureOptions options;
  options.path = file->directory() + "/capture.avi";
  options.encoder.codec = VideoCodec::kFfv1;
  ASSERT_TRUE(engine.StartAviCapture(options));
  ASSERT_TRUE(log.WaitFor([](const Reports& r) { return !r.captures.empty(); }));
  const Reports reports = log.Snapshot();
  ASSERT_EQ(reports.captures.size(), 1u);
  EXPECT_EQ(reports.captures[0].capture, EngineObserver::Capture::Avi);
  EXPECT_FALSE(reports.captures[0].ok);
  EXPECT_EQ(reports.captures[0].message.rfind("the AVI capture stopped because its file could not be written: ", 0), 0u)
      << reports.captures[0].message;
  EXPECT_FALSE(engine.IsAviCapturing());
  EXPECT_FALSE(std::filesystem::exists(options.path));
  EXPECT_EQ(engine.GetState(), PlaybackState::Forward);
}

}  // namespace
}  // namespace tavrix
