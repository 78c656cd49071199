// The `tavrix audio` command on recordings made by the project's own writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/g711.h"
#include "cli/arguments.h"
#include "tests/support/vvf_fixture.h"

namespace tavrix::cli {
int RunAudio(const std::vector<std::string>& args);
}

namespace tavrix {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;
using testing::MakeVvfImage;
using testing::TempFile;
using testing::VvfStreamBuilder;

// A-law bytes of a tone; `pitch` tells the blocks apart.
Bytes Tone(std::size_t length, int pitch) {
  Bytes bytes(length);
  for (std::size_t i = 0; i < length; ++i) {
    bytes[i] = CompressALaw(static_cast<std::int16_t>(((i * pitch) % 200) * 100 - 10000));
  }
  return bytes;
}

Bytes Expanded(const std::vector<Bytes>& blocks) {
  Bytes pcm;
  for (const Bytes& block : blocks) {
    for (const std::uint8_t code : block) {
      const auto sample = static_cast<std::uint16_t>(ExpandALaw(code));
      pcm.push_back(static_cast<std::uint8_t>(sample & 0xFF));
      pcm.push_back(static_cast<std::uint8_t>(sample >> 8));
    }
  }
  return pcm;
}

Bytes WavData(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  const Bytes bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (bytes.size() < 44) return {};
  return {bytes.begin() + 44, bytes.end()};
}

struct Outcome {
  int status;
  std::string errors;
};

Outcome RunAudio(const std::vector<std::string>& args) {
  ::testing::internal::CaptureStderr();
  ::testing::internal::CaptureStdout();
  const int status = cli::RunAudio(args);
  ::testing::internal::GetCapturedStdout();
  return {status, ::testing::internal::GetCapturedStderr()};
}

// Audio of channels 0 and 1 between video frames; the first audio block
// crosses a block boundary.
class AudioCommand : public ::testing::Test {
 protected:
  AudioCommand() {
    builder_.AddFiller(100);
    builder_.AddVideo(0, true, 3900);
    builder_.AddAudioBytes(0, channel0_[0]);
    builder_.AddAudioBytes(1, channel1_);
    builder_.AddVideo(1, false, 2000);
    builder_.AddAudioBytes(0, channel0_[1]);
    builder_.AddTerminator();
  }

  static std::string OutPath(const TempFile& recording) { return recording.directory() + "/sound.wav"; }

  VvfStreamBuilder builder_;
  const std::vector<Bytes> channel0_ = {Tone(800, 3), Tone(640, 5)};
  const Bytes channel1_ = Tone(400, 7);
};

TEST_F(AudioCommand, WritesTheDecodedSamplesOfTheChosenChannelInOrder) {
  const TempFile recording(MakeVvfImage(builder_.stream()));
  const std::string out = OutPath(recording);

  Outcome run = RunAudio({recording.path(), "--out", out});
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(WavData(out), Expanded(channel0_));
  EXPECT_EQ(std::distance(fs::directory_iterator(recording.directory()), fs::directory_iterator()), 2)
      << "the recording and the sound, and no temporary file";

  run = RunAudio({recording.path(), "--out", out, "--channel", "1"});
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(WavData(out), Expanded({channel1_}));

  run = RunAudio({recording.path(), "--out", out, "--channel", "3"});
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_TRUE(WavData(out).empty());  // a valid file without samples
  EXPECT_EQ(fs::file_size(out), 44u);
}

TEST_F(AudioCommand, ReadsADiskImage) {
  Bytes image = MakeVvfImage(builder_.stream());
  testing::SwapToDiskOrder(image);
  const TempFile disk(image, "disk.img");
  const Outcome run = RunAudio({disk.path(), "--disk", "--out", OutPath(disk)});
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(WavData(OutPath(disk)), Expanded(channel0_));
}

TEST_F(AudioCommand, SkipsADamagedBlockAndKeepsTheRest) {
  VvfStreamBuilder builder;
  builder.AddAudioBytes(0, channel0_[0]);
  builder.AddVideo(2, true, 10000);  // covers block 1 entirely
  builder.AddAudioBytes(0, channel0_[1]);
  builder.AddTerminator();
  Bytes image = MakeVvfImage(builder.stream());
  testing::CorruptCheckByte(image, 1);
  const TempFile recording(image);
  const Outcome run = RunAudio({recording.path(), "--out", OutPath(recording)});
  ASSERT_EQ(run.status, 0) << run.errors;
  const Bytes got = WavData(OutPath(recording));
  const Bytes want = Expanded(channel0_);
  EXPECT_EQ(got.size(), want.size());
  EXPECT_EQ(got, want);
}

TEST_F(AudioCommand, ACutShortRecordingEndsAtItsLastWholeBlock) {
  VvfStreamBuilder builder;
  builder.AddAudioBytes(0, channel0_[0]);
  builder.AddVideo(2, true, 5000);
  builder.AddAudioBytes(0, channel0_[1]);
  builder.AddVideo(2, true, 6000);
  builder.AddAudioBytes(0, channel1_);  // in the fourth block, which is cut
  builder.AddTerminator();
  Bytes image = MakeVvfImage(builder.stream());
  ASSERT_EQ(image.size(), 4u * 4096u);
  image.resize(image.size() - 100);
  const TempFile recording(image);
  const Outcome run = RunAudio({recording.path(), "--out", OutPath(recording)});
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(WavData(OutPath(recording)), Expanded(channel0_));
}

TEST_F(AudioCommand, FailuresLeaveOneLineAndNoFile) {
  const TempFile recording(MakeVvfImage(builder_.stream()));
  const std::string existing = OutPath(recording);
  std::ofstream(existing) << "earlier result";

  struct Case {
    std::string source;
    std::string out;
    std::string mentions;
  };
  for (const Case& c : {Case{recording.directory() + "/none.vvf", existing, "none.vvf"},
                        Case{recording.directory(), existing, recording.directory()},
                        Case{recording.path(), recording.directory() + "/no/such/dir/x.wav", "x.wav"}}) {
    SCOPED_TRACE(c.source + " -> " + c.out);
    const Outcome run = RunAudio({c.source, "--out", c.out});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find(c.mentions), std::string::npos) << run.errors;
    EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
  }
  std::ifstream kept(existing);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), std::istreambuf_iterator<char>()),
            "earlier result");
  EXPECT_FALSE(fs::exists(recording.directory() + "/no"));
}

TEST_F(AudioCommand, RejectsWrongArguments) {
  const TempFile recording(MakeVvfImage(builder_.stream()));
  const std::string out = OutPath(recording);
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {recording.path()},
           {"--out", out},
           {recording.path(), "--out", out, "--channel", "4"},
           {recording.path(), "--out", out, "--channel", "x"},
           {recording.path(), "extra", "--out", out}}) {
    EXPECT_THROW(cli::RunAudio(args), cli::UsageError) << args.size();
  }
  EXPECT_FALSE(fs::exists(out));
}

}  // namespace
}  // namespace tavrix
