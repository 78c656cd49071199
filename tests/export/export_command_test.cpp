#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "export/encoder_choice.h"
#include "storage/block_time.h"
#include "tests/export/ffprobe.h"
#include "tests/export/sample_recording.h"
#include "tests/export/scratch.h"
#include "tests/support/vvf_fixture.h"

namespace tavrix {
namespace {

struct ToolRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs the built tavrix tool with the arguments (each quoted).
ToolRun RunTavrix(const testing::TempDirectory& dir, const std::vector<std::string>& arguments) {
  std::string command = TAVRIX_CLI_PATH;
  for (const auto& argument : arguments) command += " '" + argument + "'";
  const std::string outPath = dir.File(".stdout"), errPath = dir.File(".stderr");
  const int status = std::system((command + " >" + outPath + " 2>" + errPath + " </dev/null").c_str());
  ToolRun run;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = test::ReadFile(outPath);
  run.err = test::ReadFile(errPath);
  std::remove(outPath.c_str());
  std::remove(errPath.c_str());
  return run;
}

std::string WriteRecording(const testing::TempDirectory& dir, const std::vector<std::uint8_t>& image,
                           const std::string& name = "rec.vvf") {
  const std::string path = dir.File(name);
  test::WriteFile(path, std::string(image.begin(), image.end()));
  return path;
}

constexpr int kRounds = 12;
constexpr int kSamplesPerRound = 533;

TEST(ExportCommand, FourChannelsBecomeOneFramePerRoundWithTheSound) {
  testing::TempDirectory dir;
  const std::string source = WriteRecording(dir, test::MakeSampleRecording({}));
  const std::string out = dir.File("all.avi");
  const ToolRun run = RunTavrix(dir, {"export", source, "--out", out});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(run.err.empty()) << run.err;
  EXPECT_NE(run.out.find("12 frames"), std::string::npos) << run.out;

  const test::ProbedFile probed = test::Probe(out);
  ASSERT_TRUE(probed.ok) << probed.error;
  ASSERT_EQ(probed.streams.size(), 2u);
  const test::ProbedStream* video = probed.First("video");
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video->codec, "mjpeg");
  EXPECT_EQ(video->width, 640);
  EXPECT_EQ(video->height, 448);
  EXPECT_EQ(video->frames, kRounds);
  EXPECT_NEAR(video->duration, kRounds / 15.0, 0.01) << "NTSC, four channels: 15 frames per second";
  EXPECT_TRUE(test::AllVideoPacketsAreKeyFrames(out));
  ASSERT_NE(probed.First("audio"), nullptr);
  EXPECT_EQ(probed.First("audio")->codec, "pcm_alaw");
  EXPECT_EQ(test::ProbeAudioSamples(out), kRounds * kSamplesPerRound) << "audio channel 0 only";
}

TEST(ExportCommand, OneChannelFillsThePalFrameWithItsCaption) {
  testing::TempDirectory dir;
  test::SampleRecording sample;
  sample.pal = true;
  const std::string source = WriteRecording(dir, test::MakeSampleRecording(sample));
  const std::string out = dir.File("ch2.mkv");
  const ToolRun run = RunTavrix(dir, {"export", source, "--out", out, "--channels", "2", "--codec", "ffv1"});
  ASSERT_EQ(run.exitCode, 0) << run.err;

  const test::ProbedFile probed = test::Probe(out);
  ASSERT_TRUE(probed.ok) << probed.error;
  const test::ProbedStream* video = probed.First("video");
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video->codec, "ffv1");
  EXPECT_EQ(video->width, 640);
  EXPECT_EQ(video->height, 544);
  EXPECT_EQ(video->frames, kRounds);
  EXPECT_NEAR(video->duration, kRounds / 12.0, 0.01) << "PAL, four channels: 12 frames per second";

  // Lossless: the first frame shows the caption in the top-left corner; the
  // top-left dot of the "C" glyph lies 2 pixels right of the caption origin.
  const auto frames = test::DecodeVideoBgr24(out);
  ASSERT_GE(frames.size(), std::size_t{640} * 544 * 3);
  const std::uint8_t* dot = &frames[(std::size_t{2} * 640 + 4 + 2) * 3];
  EXPECT_EQ(dot[0], 0x80);
  EXPECT_EQ(dot[1], 0xFF);
  EXPECT_EQ(dot[2], 0xFF);
}

// The frames count the tool reports, from "<file>: N frames".
int ReportedFrames(const std::string& out) {
  const auto colon = out.find(": ");
  return colon == std::string::npos ? -1 : std::atoi(out.c_str() + colon + 2);
}

std::string LocalTimeText(std::uint32_t blockTime) {
  const CalendarTime t = BlockTimeToLocal(blockTime, StandardTimeBias());
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

TEST(ExportCommand, TimeSpanLimitsPicturesAndSound) {
  if (!IsEncoderAvailable(VideoCodec::kH264)) GTEST_SKIP() << "no H.264 encoder";
  testing::TempDirectory dir;
  const auto image = test::MakeSampleRecording({});
  const std::string source = WriteRecording(dir, image);
  const std::uint32_t first = testing::VvfImageOptions{}.firstBlockTime;  // one second per block
  const std::uint32_t blocks = static_cast<std::uint32_t>(image.size() / 4096);
  ASSERT_GE(blocks, 6u);
  const std::string out = dir.File("span.mp4");
  const ToolRun run = RunTavrix(dir, {"export", source, "--out", out, "--codec", "h264", "--from",
                                      LocalTimeText(first + blocks / 3), "--to", LocalTimeText(first + 2 * blocks / 3)});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const int frames = ReportedFrames(run.out);
  EXPECT_GT(frames, 0);
  EXPECT_LT(frames, kRounds - 2);

  const test::ProbedFile probed = test::Probe(out);
  ASSERT_TRUE(probed.ok) << probed.error;
  ASSERT_TRUE(probed.First("video") && probed.First("audio"));
  EXPECT_EQ(probed.First("video")->codec, "h264");
  EXPECT_EQ(probed.First("video")->frames, frames);
  EXPECT_EQ(probed.First("audio")->codec, "aac");
  const std::int64_t samples = test::ProbeAudioSamples(out);
  EXPECT_GT(samples, 0);
  EXPECT_LT(samples, (kRounds - 2) * kSamplesPerRound + 1024);
}

TEST(ExportCommand, DamagedAndTruncatedRecordingGivesWhatCouldBeDecoded) {
  testing::TempDirectory dir;
  auto image = test::MakeSampleRecording({});
  const std::size_t blocks = image.size() / 4096;
  testing::CorruptCheckByte(image, blocks / 2);
  image.resize(image.size() - 1000);
  const std::string source = WriteRecording(dir, image);
  const std::string out = dir.File("damaged.avi");
  const ToolRun run = RunTavrix(dir, {"export", source, "--out", out});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("is damaged (1 damaged blocks skipped"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("the last block cut short"), std::string::npos) << run.err;
  const int frames = ReportedFrames(run.out);
  EXPECT_GT(frames, kRounds / 2);
  const test::ProbedFile probed = test::Probe(out);
  ASSERT_TRUE(probed.ok) << probed.error;
  EXPECT_EQ(probed.First("video")->frames, frames);
}

TEST(ExportCommand, DiskImageNeedsTheDiskOption) {
  testing::TempDirectory dir;
  auto image = test::MakeSampleRecording({4});
  testing::SwapToDiskOrder(image);
  const std::string source = WriteRecording(dir, image, "disk.img");
  const std::string out = dir.File("disk.avi");

  const ToolRun asFile = RunTavrix(dir, {"export", source, "--out", out});
  EXPECT_EQ(asFile.exitCode, 1);
  EXPECT_NE(asFile.err.find("no VVF blocks found (a DVR disk or disk image needs --disk)"), std::string::npos)
      << asFile.err;
  EXPECT_FALSE(test::FileExists(out));

  const ToolRun asDisk = RunTavrix(dir, {"export", source, "--disk", "--out", out});
  ASSERT_EQ(asDisk.exitCode, 0) << asDisk.err;
  const test::ProbedFile probed = test::Probe(out);
  ASSERT_TRUE(probed.ok) << probed.error;
  EXPECT_EQ(probed.First("video")->frames, 4);
}

TEST(ExportCommand, RecordingWithoutPicturesWritesNoFile) {
  testing::TempDirectory dir;
  test::SampleRecording sample;
  sample.withPictures = false;
  const std::string source = WriteRecording(dir, test::MakeSampleRecording(sample));
  const std::string out = dir.File("none.avi");
  const ToolRun run = RunTavrix(dir, {"export", source, "--out", out});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("no pictures of the chosen channels"), std::string::npos) << run.err;
  EXPECT_FALSE(test::FileExists(out));
}

TEST(ExportCommand, BadInvocationsFailWithOneClearLineAndNoFile) {
  testing::TempDirectory dir;
  const std::string source = WriteRecording(dir, test::MakeSampleRecording({2}));
  const std::string out = dir.File("bad.avi");
  struct Case {
    std::vector<std::string> arguments;
    const char* message;
  };
  const Case cases[] = {
      {{"export", source}, "option --out is required"},
      {{"export", "--out", out}, "missing source recording"},
      {{"export", source, "--out", out, "--codec", "divx"}, "--codec must be"},
      {{"export", source, "--out", out, "--layout", "2"}, "--layout must be 1 or 4"},
      {{"export", source, "--out", out, "--layout", "1"}, "--layout 1 shows one channel"},
      {{"export", source, "--out", out, "--channels", "1,5"}, "--channels takes"},
      {{"export", source, "--out", out, "--quality", "0"}, "--quality must be"},
      {{"export", source, "--out", out, "--from", "yesterday"}, "--from must be a byte offset or a time"},
      {{"export", source, "--out", out, "--from", "2010-01-02 00:00:00", "--to", "2010-01-01 00:00:00"},
       "--to is before --from"},
      {{"export", dir.File("missing.vvf"), "--out", out}, "missing.vvf"},
      {{"export", source, "--out", dir.File("no/such/dir/x.avi")}, "cannot create"},
      {{"export", source, "--out", dir.File("./rec.vvf")}, "is the recording itself"},
  };
  const std::string recording = test::ReadFile(source);
  for (const auto& c : cases) {
    const ToolRun run = RunTavrix(dir, c.arguments);
    SCOPED_TRACE(c.message);
    EXPECT_NE(run.exitCode, 0);
    const std::string firstLine = run.err.substr(0, run.err.find('\n'));
    EXPECT_NE(firstLine.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(firstLine.rfind("tavrix export: ", 0), 0u) << run.err;
    EXPECT_FALSE(test::FileExists(out));
  }
  EXPECT_EQ(test::ReadFile(source), recording) << "the recording is never touched";
}

}  // namespace
}  // namespace tavrix
