#include "export/export_job.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "tests/export/ffprobe.h"
#include "tests/export/sample_recording.h"
#include "tests/export/scratch.h"
#include "tests/support/vvf_fixture.h"

namespace tavrix {
namespace {

using testing::TempDirectory;

constexpr int kRounds = 12;
constexpr int kSamplesPerRound = 533;
constexpr int kWidth = 640;
constexpr int kHeight = 448;

std::string WriteRecording(const TempDirectory& dir, const test::SampleRecording& sample = {},
                           const std::string& name = "rec.vvf") {
  const auto image = test::MakeSampleRecording(sample);
  const std::string path = dir.File(name);
  test::WriteFile(path, std::string(image.begin(), image.end()));
  return path;
}

ExportJobOptions Options(const std::string& source, const std::string& out) {
  ExportJobOptions options;
  options.source = source;
  options.out = out;
  return options;
}

std::vector<std::string> SortedEntries(const TempDirectory& dir) {
  auto entries = dir.Entries();
  std::sort(entries.begin(), entries.end());
  return entries;
}

TEST(ExportJob, ProgressRisesToTheTotalAndEndsThere) {
  TempDirectory dir;
  const std::string source = WriteRecording(dir);
  ExportJob job(Options(source, dir.File("out.avi")));
  std::vector<ExportProgress> calls;
  job.SetProgressCallback([&calls](const ExportProgress& progress) { calls.push_back(progress); },
                          std::chrono::milliseconds(0));
  const ExportJobResult result = job.Run();
  ASSERT_TRUE(result.ok()) << result.error;
  EXPECT_EQ(result.frames, kRounds);

  const std::uint64_t size = test::ReadFile(source).size();
  ASSERT_GT(calls.size(), std::size_t{kRounds}) << "with no interval, one call per frame read";
  for (std::size_t i = 0; i < calls.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(calls[i].bytesTotal, size);
    EXPECT_LE(calls[i].bytesRead, size);
    if (i > 0) {
      EXPECT_GE(calls[i].bytesRead, calls[i - 1].bytesRead);
      EXPECT_GE(calls[i].framesWritten, calls[i - 1].framesWritten);
    }
  }
  EXPECT_EQ(calls.back().bytesRead, size);
  EXPECT_EQ(calls.back().framesWritten, kRounds);
}

// The window cancels from its own thread while the job runs on a worker. The
// job stops before it reads another frame, removes what it had written and
// leaves the earlier file under the name as it was.
TEST(ExportJob, CancelFromAnotherThreadStopsAtOnceAndLeavesNoFile) {
  TempDirectory dir;
  test::SampleRecording sample;
  sample.rounds = 40;
  const std::string source = WriteRecording(dir, sample);
  const std::string out = dir.File("out.avi");
  test::WriteFile(out, "an earlier export");
  const std::uint64_t size = test::ReadFile(source).size();

  CancelToken cancel;
  std::mutex mutex;
  std::condition_variable changed;
  bool halfWay = false;
  int callsAfterCancel = 0;
  ExportProgress last;
  ExportJob job(Options(source, out));
  job.SetProgressCallback(
      [&](const ExportProgress& progress) {
        last = progress;
        if (cancel.cancelled()) ++callsAfterCancel;
        if (progress.bytesRead < size / 2) return;
        // Half-way: wait here until the test has looked at the folder and cancelled.
        std::unique_lock lock(mutex);
        halfWay = true;
        changed.notify_all();
        changed.wait(lock, [&] { return cancel.cancelled(); });
      },
      std::chrono::milliseconds(0));

  ExportJobResult result;
  std::thread worker([&] { result = job.Run(cancel); });
  {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return halfWay; });
    EXPECT_EQ(dir.Entries().size(), 3u) << "the recording, the earlier export and the one being written";
    cancel.Cancel();
    changed.notify_all();
  }
  worker.join();

  EXPECT_EQ(result.outcome, ExportOutcome::kCancelled);
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(result.error, "the export was cancelled");
  EXPECT_LE(callsAfterCancel, 1) << "no frame is read after the cancel is seen";
  EXPECT_LT(last.bytesRead, size);
  EXPECT_TRUE(test::ReadFile(out) == "an earlier export") << "the earlier export was replaced";
  EXPECT_EQ(SortedEntries(dir), (std::vector<std::string>{"out.avi", "rec.vvf"}));
}

TEST(ExportJob, CancelledBeforeItStartsWritesNothing) {
  TempDirectory dir;
  const std::string source = WriteRecording(dir);
  CancelToken cancel;
  cancel.Cancel();
  const ExportJobResult result = ExportJob(Options(source, dir.File("out.avi"))).Run(cancel);
  EXPECT_EQ(result.outcome, ExportOutcome::kCancelled);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"rec.vvf"});
}

// Mean brightness of the top-left quarter of the first frame of a lossless file.
double TopLeftQuarterMean(const std::string& path) {
  const std::vector<std::uint8_t> frames = test::DecodeVideoBgr24(path);
  if (frames.size() < std::size_t{kWidth} * kHeight * 3) return -1;
  double sum = 0;
  for (int y = 0; y < kHeight / 2; ++y) {
    for (int x = 0; x < kWidth / 2 * 3; ++x) sum += frames[(std::size_t{kWidth} * y) * 3 + x];
  }
  return sum / (kHeight / 2 * kWidth / 2 * 3);
}

struct Choice {
  const char* name;
  const char* file;
  std::uint32_t channels;
  int layout;
  VideoCodec codec;
  int audioChannel;
  const char* videoCodec;  // as ffprobe names it
  const char* audioCodec;
  bool topLeftShown;  // whether the top-left quarter shows a picture (lossless codecs only)
};

TEST(ExportJob, ChannelsLayoutAndEncoderShowInTheProbedFile) {
  const Choice choices[] = {
      {"four tiles in MJPEG", "all.avi", 0x0F, 4, VideoCodec::kMjpeg, 0, "mjpeg", "pcm_alaw", true},
      {"channel 2 alone, uncompressed", "ch2.avi", 0x02, 1, VideoCodec::kRaw, 0, "rawvideo", "pcm_alaw", true},
      {"channel 2 in its tile, lossless", "tile.mkv", 0x02, 4, VideoCodec::kFfv1, 1, "ffv1", "pcm_alaw", false},
      {"channels 1 and 3 in MPEG-4", "odd.avi", 0x05, 4, VideoCodec::kMpeg4, 1, "mpeg4", "pcm_alaw", true},
      {"H.264 in MP4", "all.mp4", 0x0F, 4, VideoCodec::kH264, 0, "h264", "aac", true},
  };
  TempDirectory dir;
  const std::string source = WriteRecording(dir);
  for (const Choice& choice : choices) {
    SCOPED_TRACE(choice.name);
    if (!IsEncoderAvailable(choice.codec)) continue;
    ExportJobOptions options = Options(source, dir.File(choice.file));
    options.channels = choice.channels;
    options.layout = choice.layout;
    options.encoder = {choice.codec, 80};
    options.audioChannel = choice.audioChannel;
    const ExportJobResult result = ExportJob(options).Run();
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.frames, kRounds);
    EXPECT_EQ(result.frameRate, 15) << "NTSC, four channels in the recording";

    const test::ProbedFile probed = test::Probe(options.out);
    ASSERT_TRUE(probed.ok) << probed.error;
    const test::ProbedStream* video = probed.First("video");
    const test::ProbedStream* audio = probed.First("audio");
    ASSERT_TRUE(video && audio);
    EXPECT_EQ(video->codec, choice.videoCodec);
    EXPECT_EQ(video->width, kWidth);
    EXPECT_EQ(video->height, kHeight);
    EXPECT_EQ(video->frames, kRounds);
    EXPECT_EQ(audio->codec, choice.audioCodec);
    if (choice.codec == VideoCodec::kRaw || choice.codec == VideoCodec::kFfv1) {
      EXPECT_EQ(test::ProbeAudioSamples(options.out), kRounds * kSamplesPerRound);
      EXPECT_EQ(TopLeftQuarterMean(options.out) > 0, choice.topLeftShown);
    }
  }
}

TEST(ExportJob, ImpossibleChoicesFailWithOneLineAndNoFile) {
  TempDirectory dir;
  const std::string source = WriteRecording(dir);
  test::SampleRecording silent;
  silent.withPictures = false;
  const std::string noPictures = WriteRecording(dir, silent, "silent.vvf");
  auto disk = test::MakeSampleRecording({2});
  testing::SwapToDiskOrder(disk);
  const std::string diskImage = dir.File("disk.img");
  test::WriteFile(diskImage, std::string(disk.begin(), disk.end()));
  const std::string out = dir.File("out.avi");

  struct Case {
    const char* name;
    ExportJobOptions options;
    ExportOutcome outcome;
    std::string error;
  };
  std::vector<Case> cases;
  const auto add = [&](const char* name, ExportOutcome outcome, const std::string& error, auto change) {
    ExportJobOptions options = Options(source, out);
    change(options);
    cases.push_back({name, options, outcome, error});
  };
  using O = ExportJobOptions;
  add("no output", ExportOutcome::kInvalidOptions, "no output file was given", [](O& o) { o.out.clear(); });
  add("no channel", ExportOutcome::kInvalidOptions, "choose channels from 1 to 4", [](O& o) { o.channels = 0; });
  add("channel 5", ExportOutcome::kInvalidOptions, "choose channels from 1 to 4", [](O& o) { o.channels = 0x10; });
  add("layout 2", ExportOutcome::kInvalidOptions, "the layout shows 1 or 4 channels", [](O& o) { o.layout = 2; });
  add("layout 1 of two", ExportOutcome::kInvalidOptions, "a layout of 1 shows exactly one channel", [](O& o) {
    o.layout = 1;
    o.channels = 0x03;
  });
  add("audio channel 4", ExportOutcome::kInvalidOptions, "the audio channel must be 0 to 3",
      [](O& o) { o.audioChannel = 4; });
  add("span backwards", ExportOutcome::kInvalidOptions, "the end of the span is before its start", [](O& o) {
    o.from.offset = 9000;
    o.to.offset = 100;
  });
  add("over its source", ExportOutcome::kInvalidOptions,
      source + " is the recording itself; choose another output file", [&](O& o) { o.out = source; });
  add("missing source", ExportOutcome::kSourceFailed, dir.File("none.vvf"),
      [&](O& o) { o.source = dir.File("none.vvf"); });
  add("disk read as a file", ExportOutcome::kNoRecording, diskImage + ": no VVF blocks found",
      [&](O& o) { o.source = diskImage; });
  add("no pictures", ExportOutcome::kNothingToExport,
      "no pictures of the chosen channels in " + noPictures + "; nothing was written",
      [&](O& o) { o.source = noPictures; });
  add("span after the end", ExportOutcome::kNothingToExport,
      "no pictures of the chosen channels within the span in " + source + "; nothing was written",
      [](O& o) { o.from.offset = 1u << 30; });
  add("missing folder", ExportOutcome::kOutputFailed, "cannot create " + dir.File("no/out.avi"),
      [&](O& o) { o.out = dir.File("no/out.avi"); });

  const std::string recording = test::ReadFile(source);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ExportJobResult result = ExportJob(c.options).Run();
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_NE(result.error.find(c.error), std::string::npos) << result.error;
    EXPECT_EQ(result.error.find('\n'), std::string::npos) << result.error;
    EXPECT_EQ(SortedEntries(dir), (std::vector<std::string>{"disk.img", "rec.vvf", "silent.vvf"}));
  }
  EXPECT_EQ(test::ReadFile(source), recording);
}

}  // namespace
}  // namespace tavrix
