// tavrix make-sample and tavrix decode, run as a user runs them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "codec/channel_decoder.h"
#include "codec/test_picture.h"
#include "picture/colour_conversion.h"
#include "storage/vvf_block.h"
#include "storage/vvf_reader.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/tool_launcher.h"
#include "tests/support/vvf_fixture.h"

namespace tavrix {
namespace {

using testing::ReadWholeFile;
using testing::RunTool;
using testing::TempDirectory;

constexpr std::uint32_t kSampleStart = 1773478800;  // 2026-03-14 09:00:00 UTC

std::string MakeSample(const TempDirectory& directory, const std::string& name, std::vector<std::string> options = {}) {
  std::string path = directory.path() + "/" + name;
  std::vector<std::string> args = {"make-sample", path};
  args.insert(args.end(), options.begin(), options.end());
  const auto result = RunTool(args);
  EXPECT_EQ(result.status, 0) << result.err;
  return path;
}

double Psnr(const std::uint8_t* a, const std::uint8_t* b, std::size_t bytes) {
  double squares = 0;
  for (std::size_t i = 0; i < bytes; ++i) squares += (a[i] - b[i]) * (a[i] - b[i]);
  return squares == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * static_cast<double>(bytes) / squares);
}

std::size_t CountFiles(const std::string& directory, const std::string& extension) {
  std::size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) count += entry.path().extension() == extension;
  return count;
}

// The recording is the same on every run; its blocks carry the fixed start
// time, channel mask 0x0F and interval 0; every video frame decodes with the
// channel's own reference into the picture that was drawn for it.
TEST(MakeSample, DeterministicFourChannelRecordingThatDecodes) {
  TempDirectory directory;
  for (const auto& [flag, height, picturesPerSecond] :
       {std::tuple{"--ntsc", 224u, 60.0}, std::tuple{"--pal", 272u, 80.0}}) {
    const std::string first = MakeSample(directory, "a.VVF", {"--seconds", "3", flag});
    const std::string second = MakeSample(directory, "b.VVF", {"--seconds", "3", flag});
    const auto bytes = ReadWholeFile(first);
    ASSERT_EQ(bytes, ReadWholeFile(second));
    ASSERT_EQ(bytes.size() % kVvfBlockSize, 0u);

    std::uint32_t lastTime = 0;
    for (std::size_t block = 0; block < bytes.size() / kVvfBlockSize; ++block) {
      VvfBlockHeader header;
      ASSERT_TRUE(DecodeBlockHeader(bytes.data() + block * kVvfBlockSize, false, header));
      EXPECT_EQ(header.channelMask, 0x0F);
      EXPECT_EQ(header.frameInterval, 0);
      EXPECT_GE(header.blockTime, std::max(lastTime, kSampleStart));
      EXPECT_LT(header.blockTime, kSampleStart + 3);
      lastTime = header.blockTime;
    }

    VvfReader reader;
    ASSERT_TRUE(reader.Open(first, false));
    ChannelDecoder decoder;
    decoder.SelectFormat(4);
    std::vector<std::uint8_t> frame(kMaxFrameBytes), drawn(PictureBytes(640, height));
    int pictures = 0, audioFrames = 0;
    while (const std::uint32_t length = reader.ReadNext(frame.data())) {
      if (reader.frameInfo().audio) {
        EXPECT_EQ(reader.frameInfo().channel, 0);
        ++audioFrames;
        continue;
      }
      const auto outcome = decoder.Decode(frame.data(), length);
      ASSERT_TRUE(outcome.decoded) << "picture " << pictures;
      const int channel = pictures % 4;
      ASSERT_EQ(outcome.shown[0].channel, channel);
      const auto round = static_cast<std::uint32_t>(pictures / 4);
      DrawTestPicture(drawn.data(), 640, height, channel, round,
                      static_cast<std::uint32_t>(pictures / picturesPerSecond));
      ASSERT_EQ(outcome.shown[0].picture->height(), height);
      ASSERT_GT(Psnr(outcome.shown[0].picture->data(), drawn.data(), drawn.size()), 33) << "picture " << pictures;
      ++pictures;
    }
    // The reader never delivers the last frame of a source.
    EXPECT_NEAR(pictures + audioFrames, 3 * picturesPerSecond + 30, 1) << flag;
  }
}

TEST(MakeSample, RefusesBadArgumentsAndLeavesNoFileBehind) {
  TempDirectory directory;
  const std::string out = directory.path() + "/x.VVF";
  struct Case {
    std::vector<std::string> args;
    int status;
  };
  for (const Case& c : {Case{{"make-sample"}, 2}, Case{{"make-sample", out, "--seconds", "0"}, 2},
                        Case{{"make-sample", out, "--pal", "--ntsc"}, 2},
                        Case{{"make-sample", out, "--audio-channels", "5"}, 2},
                        Case{{"make-sample", directory.path() + "/missing/x.VVF"}, 1}}) {
    const auto result = RunTool(c.args);
    EXPECT_EQ(result.status, c.status) << c.args.back();
    EXPECT_FALSE(result.err.empty());
  }
  EXPECT_FALSE(std::filesystem::exists(out));
}

// The PNG files hold, read back by ImageMagick, exactly the raw pictures
// converted to RGB; the portable IDCT gives the same pictures.
TEST(Decode, PngAndYuvOutputsAgree) {
  TempDirectory directory;
  const std::string sample = MakeSample(directory, "s.VVF", {"--seconds", "2"});
  const std::string pngDir = directory.path() + "/png", yuvDir = directory.path() + "/yuv",
                    portableDir = directory.path() + "/portable";
  auto result = RunTool({"decode", sample, "--channel", "2", "--out", pngDir});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("of channel 2 written to"), std::string::npos);
  result = RunTool({"decode", sample, "--channel", "2", "--out", yuvDir, "--format", "yuv"});
  ASSERT_EQ(result.status, 0) << result.err;
  result = RunTool({"decode", sample, "--channel", "2", "--out", portableDir, "--format", "yuv", "--portable"});
  ASSERT_EQ(result.status, 0) << result.err;

  const auto yuv = ReadWholeFile(yuvDir + "/ch2.yuv");
  EXPECT_EQ(yuv, ReadWholeFile(portableDir + "/ch2.yuv"));
  const std::size_t pictureBytes = PictureBytes(640, 224);
  ASSERT_EQ(yuv.size() % pictureBytes, 0u);
  const std::size_t pictures = yuv.size() / pictureBytes;
  EXPECT_EQ(pictures, 30u);  // 15 pictures per channel and second
  ASSERT_EQ(CountFiles(pngDir, ".png"), pictures);

  std::vector<std::uint8_t> bgr(640 * 224 * 3);
  for (std::size_t i : {std::size_t{0}, pictures - 1}) {
    YuvToBgr24(bgr.data(), yuv.data() + i * pictureBytes, 640, 224);
    char name[32];
    std::snprintf(name, sizeof name, "/ch2-%06zu.png", i);
    const std::string command = "convert '" + pngDir + name + "' rgb:- 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::vector<std::uint8_t> rgb(bgr.size() + 1);
    const std::size_t read = std::fread(rgb.data(), 1, rgb.size(), pipe);
    pclose(pipe);
    ASSERT_EQ(read, bgr.size()) << "ImageMagick could not read " << name;
    for (std::size_t p = 0; p < bgr.size(); p += 3) {
      ASSERT_EQ(rgb[p], bgr[p + 2]) << name << " byte " << p;
      ASSERT_EQ(rgb[p + 1], bgr[p + 1]) << name << " byte " << p;
      ASSERT_EQ(rgb[p + 2], bgr[p]) << name << " byte " << p;
    }
  }
}

// Pictures of a channel (0-based) whose block time lies within the seconds
// [from, to] after the start, as the reader reports them.
std::size_t PicturesWithin(const std::string& path, int channel, int from, int to) {
  VvfReader reader;
  reader.Open(path, false);
  reader.SetTimeBias(0);
  std::vector<std::uint8_t> frame(kMaxFrameBytes);
  std::size_t count = 0;
  while (reader.ReadNext(frame.data()) > 0) {
    const FrameInfo& info = reader.frameInfo();
    const int second = info.time.minute * 60 + info.time.second;
    count += !info.audio && info.channel == channel && second >= from && second <= to;
  }
  return count;
}

TEST(Decode, TimeAndByteBounds) {
  TempDirectory directory;
  const std::string sample = MakeSample(directory, "s.VVF", {"--seconds", "4"});
  struct Case {
    std::vector<std::string> bounds;
    int from, to;
  };
  for (const Case& c : {Case{{}, 0, 59}, Case{{"--from", "2026-03-14 09:00:01", "--to", "2026-03-14 09:00:02"}, 1, 2},
                        Case{{"--to", "2026-03-14T09:00:00"}, 0, 0}}) {
    const std::size_t expected = PicturesWithin(sample, 0, c.from, c.to);
    ASSERT_GT(expected, 4u);
    const std::string out = directory.path() + "/out" + std::to_string(c.from) + std::to_string(c.to);
    std::vector<std::string> args = {"decode", sample, "--channel", "1", "--out", out, "--format", "yuv"};
    args.insert(args.end(), c.bounds.begin(), c.bounds.end());
    const auto result = RunTool(args);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadWholeFile(out + "/ch1.yuv").size(), expected * PictureBytes(640, 224)) << result.out;
  }
  // From a byte offset in the middle, pictures before the channel's next full
  // picture are incomplete and skipped, with a note.
  const auto result = RunTool({"decode", sample, "--channel", "1", "--out", directory.path() + "/mid", "--from",
                               std::to_string(ReadWholeFile(sample).size() / 3)});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.err.find("before the channel's first full picture skipped"), std::string::npos) << result.err;
  EXPECT_GT(CountFiles(directory.path() + "/mid", ".png"), 0u);
}

TEST(Decode, BadInputGivesOneLineAndAnError) {
  TempDirectory directory;
  const std::string sample = MakeSample(directory, "s.VVF", {"--seconds", "1"});
  const std::string garbage = directory.path() + "/garbage.VVF";
  {
    std::vector<std::uint8_t> bytes(3 * kVvfBlockSize, 0x5A);
    std::FILE* file = std::fopen(garbage.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  const std::string out = directory.path() + "/out";
  struct Case {
    std::vector<std::string> args;
    int status;
  };
  const Case cases[] = {
      {{"decode", sample, "--out", out}, 2},
      {{"decode", sample, "--channel", "0", "--out", out}, 2},
      {{"decode", sample, "--channel", "17", "--out", out}, 2},
      {{"decode", sample, "--channel", "x", "--out", out}, 2},
      {{"decode", sample, "--channel", "1"}, 2},
      {{"decode", sample, "--channel", "1", "--out", out, "--format", "bmp"}, 2},
      {{"decode", sample, "--channel", "1", "--out", out, "--from", "yesterday"}, 2},
      {{"decode", directory.path() + "/none.VVF", "--channel", "1", "--out", out}, 1},
      {{"decode", garbage, "--channel", "1", "--out", out}, 1},
      {{"decode", sample, "--channel", "9", "--out", out}, 1},
      {{"decode", sample, "--channel", "1", "--out", sample}, 1},
  };
  for (const Case& c : cases) {
    const auto result = RunTool(c.args);
    EXPECT_EQ(result.status, c.status) << c.args[2] << " " << result.err;
    EXPECT_FALSE(result.err.empty());
    EXPECT_EQ(result.err.find("tavrix decode: "), 0u) << result.err;
  }
}

// A damaged and truncated recording: the pictures that survive are written
// and the problems are named.
TEST(Decode, DamagedRecordingKeepsWhatDecodes) {
  TempDirectory directory;
  const std::string sample = MakeSample(directory, "s.VVF", {"--seconds", "3"});
  auto bytes = ReadWholeFile(sample);
  // Zeros inside the first full picture of channel 2 (the second picture of
  // the file): no coefficient code begins with twelve zero bits.
  std::fill(bytes.begin() + 10000, bytes.begin() + 10016, 0);
  bytes.resize(bytes.size() - kVvfBlockSize / 2);
  const std::string damaged = directory.path() + "/damaged.VVF";
  {
    std::FILE* file = std::fopen(damaged.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  const auto result = RunTool({"decode", damaged, "--channel", "2", "--out", directory.path() + "/out"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("damaged video frames skipped"), std::string::npos) << result.err;
  // Up to the next full picture of the channel nothing complete is there to write.
  EXPECT_NE(result.err.find("before the channel's first full picture skipped"), std::string::npos) << result.err;
  EXPECT_GT(CountFiles(directory.path() + "/out", ".png"), 10u);
}

// A run that fails half-way (here the disk fills up) names the reason and
// leaves the raw file of an earlier run whole, with no half file beside it.
TEST(Decode, FailedRunKeepsTheEarlierRawFileWhole) {
  TempDirectory directory;
  const std::string sample = MakeSample(directory, "s.VVF", {"--seconds", "2"});
  const std::string out = directory.path() + "/out";
  const std::vector<std::string> args = {"decode", sample, "--channel", "1", "--out", out, "--format", "yuv"};
  ASSERT_EQ(RunTool(args).status, 0);
  const auto complete = ReadWholeFile(out + "/ch1.yuv");
  ASSERT_EQ(complete.size(), 30 * PictureBytes(640, 224));

  testing::ToolResult result;
  {
    const testing::FileSizeLimit limit(complete.size() / 2);  // the tool inherits it
    result = RunTool(args);
  }
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "tavrix decode: cannot write " + out + "/ch1.yuv: File too large\n");
  EXPECT_TRUE(ReadWholeFile(out + "/ch1.yuv") == complete) << "the earlier file was damaged";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), std::filesystem::directory_iterator()), 1);
}

}  // namespace
}  // namespace tavrix
