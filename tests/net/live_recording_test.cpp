#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "audio/audio_decoder.h"
#include "audio/audio_out.h"
#include "codec/channel_decoder.h"
#include "engine/network_stream.h"
#include "engine/picture_sink.h"
#include "net/generated_live_source.h"
#include "storage/vvf_reader.h"
#include "storage/vvf_writer.h"
#include "tests/net/net_test_support.h"
#include "tests/support/tool_launcher.h"
#include "tests/support/vvf_fixture.h"

namespace tavrix {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using testing::RunTool;
using testing::WaitUntil;

// The generated stream, keeping what a decoder must show after each frame.
class RememberingSource : public LiveStreamSource {
 public:
  explicit RememberingSource(GeneratedLiveSource::Options options) : source_(options) {}
  bool Next(LiveElement& element) override {
    if (!source_.Next(element)) return false;
    if (element.kind == LiveElement::Kind::kVideo) {
      const DecodedPicture& reference = source_.Reference();
      std::lock_guard lock(*mutex_);
      references_->emplace_back(reference.data(), reference.data() + reference.size());
    }
    return true;
  }
  std::shared_ptr<std::mutex> mutex_ = std::make_shared<std::mutex>();
  std::shared_ptr<std::vector<Bytes>> references_ = std::make_shared<std::vector<Bytes>>();

 private:
  GeneratedLiveSource source_;
};

// Keeps the pictures shown on channel 0.
class PictureLog : public PictureSink {
 public:
  void OnPicture(int channel, const PictureView& picture, const CalendarTime& time) override {
    std::lock_guard lock(mutex);
    lastTime = time;
    if (channel != 0) return;
    Bytes packed;
    const auto addPlane = [&](const std::uint8_t* plane, int stride, int width, int rows) {
      for (int row = 0; row < rows; ++row) packed.insert(packed.end(), plane + row * stride, plane + row * stride + width);
    };
    addPlane(picture.y, picture.strideY, picture.width, picture.height);
    addPlane(picture.cb, picture.strideC, picture.width / 2, picture.height / 2);
    addPlane(picture.cr, picture.strideC, picture.width / 2, picture.height / 2);
    shown.push_back(std::move(packed));
  }
  void OnPicturesCleared() override {}

  std::mutex mutex;
  std::vector<Bytes> shown;
  CalendarTime lastTime;
};

std::vector<Bytes> DecodeRecording(const std::string& path) {
  VvfReader reader;
  std::vector<Bytes> pictures;
  if (!reader.Open(path, false)) return pictures;
  reader.SetFormatVariant(FormatVariant::QM_QMT2);
  ChannelDecoder decoder;
  decoder.SelectFormat(static_cast<int>(FormatVariant::QM_QMT2));
  auto frame = std::make_unique<std::uint8_t[]>(kMaxFrameBytes);
  while (reader.Position() < reader.Size()) {
    const std::uint32_t length = reader.ReadNext(frame.get());
    if (length == 0 || reader.frameInfo().audio) continue;
    const auto outcome = decoder.Decode(frame.get(), length);
    if (!outcome.decoded || outcome.shownCount != 1) continue;
    const DecodedPicture& picture = *outcome.shown[0].picture;
    pictures.emplace_back(picture.data(), picture.data() + picture.size());
  }
  return pictures;
}

TEST(LiveRecording, RecordsTheLiveStreamFrameForFrame) {
  constexpr std::uint32_t kFrames = 24;
  GeneratedLiveSource::Options generated;
  generated.frames = kFrames;
  generated.fullEvery = 10;
  auto source = std::make_unique<RememberingSource>(generated);
  auto references = source->references_;
  auto referencesMutex = source->mutex_;
  DvrSimulator::Options options;
  options.framesPerSecond = 40;
  options.statusEvery = 3;
  options.controlInsideFrames = true;
  DvrSimulator simulator(options, std::move(source));
  std::string error;
  ASSERT_TRUE(simulator.Open(error)) << error;

  const std::string path =
      (std::filesystem::temp_directory_path() / ("tavrix-live-rec-" + std::to_string(::getpid()) + ".VVF")).string();
  NetClient client;
  ChannelDecoder decoder;
  decoder.SelectFormat(static_cast<int>(FormatVariant::QM_QMN));
  AudioDecoder audioDecoder;
  audioDecoder.Configure(AudioFormat::QM_ALAW, 8000, nullptr);
  AudioOut audioOut;  // never opened: the sound is accepted and dropped
  PictureLog view;
  VvfWriter recorder;
  recorder.Init(2, FormatVariant::QM_QMT2, 4);
  ASSERT_TRUE(recorder.Start(path));
  PlaybackFields fields;
  NetworkStreamThread stream({client.videoQueue(), client.audioQueue(), decoder, audioDecoder, audioOut, &view,
                              recorder, fields});
  ASSERT_EQ(stream.Start(), 1);
  ASSERT_TRUE(client.ConfigureDirect("127.0.0.1", simulator.port(), ""));
  ASSERT_EQ(client.Start(), 1);

  // The last frame has no start code after it, so it never leaves the cutter.
  EXPECT_TRUE(WaitUntil([&] { return stream.counters().videoFrames == kFrames - 1; }, 30s));
  EXPECT_TRUE(WaitUntil([&] { return stream.counters().audioBlocks == kFrames - 1; }, 30s));
  client.Stop();
  stream.Stop();
  EXPECT_FALSE(recorder.IsRecording()) << "the end of the stream closes the recording";
  EXPECT_EQ(stream.counters().decodedFrames, kFrames - 1);
  EXPECT_EQ(fields.framePeriodUs.load(), 33333);

  std::vector<Bytes> expected;
  {
    std::lock_guard lock(*referencesMutex);
    expected.assign(references->begin(), references->begin() + (kFrames - 1));
  }
  {
    std::lock_guard lock(view.mutex);
    EXPECT_EQ(view.shown.size(), expected.size());
    EXPECT_TRUE(view.shown == expected) << "the live view shows what was sent";
    EXPECT_EQ(view.lastTime.year, 2008);
  }
  const std::vector<Bytes> recorded = DecodeRecording(path);
  std::filesystem::remove(path);
  // The file's last frame is not delivered by the reader.
  ASSERT_GE(recorded.size(), expected.size() - 1);
  for (std::size_t i = 0; i < recorded.size(); ++i) {
    EXPECT_TRUE(recorded[i] == expected[i]) << "recorded frame " << i << " differs";
  }
}

TEST(RecordCommand, RecordsBesideAnExistingFileAndReportsRefusals) {
  GeneratedLiveSource::Options generated;
  generated.frames = 30;
  DvrSimulator::Options options;
  options.framesPerSecond = 50;
  options.password = "pass word";
  DvrSimulator simulator(options, std::make_unique<GeneratedLiveSource>(generated));
  std::string error;
  ASSERT_TRUE(simulator.Open(error)) << error;

  const testing::TempDirectory folder;
  const std::string existing = folder.File("LIVE.VVF");
  std::ofstream(existing) << "an earlier recording";
  const std::vector<std::string> target = {"record", "--ip", "127.0.0.1", "--port", std::to_string(simulator.port()),
                                            "--out", existing};
  testing::ToolOptions run;
  run.environment = {"TAVRIX_TEST_PASSWORD=pass word", "TAVRIX_WRONG_PASSWORD=guess"};
  run.timeLimit = 60s;
  const auto withArguments = [&](std::vector<std::string> more) {
    more.insert(more.begin(), target.begin(), target.end());
    return more;
  };

  const auto refused = RunTool(withArguments({"--password-env", "TAVRIX_WRONG_PASSWORD", "--seconds", "10"}), run);
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("login failed: Incorrect password."), std::string::npos) << refused.err;
  EXPECT_FALSE(std::filesystem::exists(folder.File("LIVE-1.VVF"))) << "a failed login leaves no file behind";

  const auto recorded = RunTool(withArguments({"--password-env", "TAVRIX_TEST_PASSWORD", "--seconds", "2"}), run);
  EXPECT_EQ(recorded.status, 0) << recorded.err;
  EXPECT_EQ((recorded.out + recorded.err).find("pass word"), std::string::npos) << "the password is never shown";
  std::string earlier;
  std::getline(std::ifstream(existing), earlier);
  EXPECT_EQ(earlier, "an earlier recording");
  EXPECT_GE(DecodeRecording(folder.File("LIVE-1.VVF")).size(), 25u);
}

}  // namespace
}  // namespace tavrix
