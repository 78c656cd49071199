#include "export/avi_exporter.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstring>

#include "tests/export/ffprobe.h"
#include "tests/export/scratch.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/vvf_fixture.h"

namespace tavrix {
namespace {

using testing::FileSizeLimit;
using testing::TempDirectory;

constexpr int kWidth = 640;
constexpr int kHeight = 448;
constexpr int kRate = 12;

struct Export {
  VideoCodec codec;
  const char* file;
  const char* videoCodec;  // as ffprobe names it
  const char* audioCodec;
  bool lossless;
};

class ExportFormats : public ::testing::TestWithParam<Export> {};

// Every codec and container: what was written is exactly what ffprobe finds.
TEST_P(ExportFormats, ProbedFileHoldsWhatWasWritten) {
  const Export& param = GetParam();
  if (!IsEncoderAvailable(param.codec)) {
    GTEST_SKIP() << "no " << EncoderName(param.codec) << " encoder";
  }
  TempDirectory dir;
  const std::string path = dir.File(param.file);
  constexpr int kFrames = 10;
  constexpr int kAudioChunks = 3;
  constexpr int kAudioBytes = 1000;

  AviExporter exporter;
  exporter.SetEncoder({param.codec, 80});
  ASSERT_EQ(exporter.Open(path, 24, kWidth, kHeight, nullptr, kRate), kExportOk) << exporter.LastError();
  EXPECT_EQ(exporter.state(), AviExporter::kReady);
  std::vector<std::vector<std::uint8_t>> pictures;
  const auto sound = test::ALawTone(kAudioBytes);
  for (int frame = 0; frame < kFrames; ++frame) {
    pictures.push_back(test::MovingPicture(kWidth, kHeight, frame));
    ASSERT_TRUE(exporter.WriteVideo(pictures.back().data(), true)) << exporter.LastError();
    if (frame < kAudioChunks) {
      ASSERT_TRUE(exporter.WriteAudio(sound.data(), kAudioBytes));
    }
  }
  EXPECT_EQ(exporter.videoIndex(), kFrames);
  EXPECT_EQ(exporter.audioPosition(), kAudioChunks * kAudioBytes);
  ASSERT_EQ(exporter.Close(), kExportOk) << exporter.LastError();
  EXPECT_EQ(exporter.state(), AviExporter::kIdle);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{param.file}) << "no temporary file stays behind";

  const test::ProbedFile probed = test::Probe(path);
  ASSERT_TRUE(probed.ok) << probed.error;
  ASSERT_EQ(probed.streams.size(), 2u);
  const test::ProbedStream* video = probed.First("video");
  const test::ProbedStream* audio = probed.First("audio");
  ASSERT_TRUE(video && audio);
  EXPECT_EQ(video->codec, param.videoCodec);
  EXPECT_EQ(video->width, kWidth);
  EXPECT_EQ(video->height, kHeight);
  EXPECT_EQ(video->frames, kFrames);
  EXPECT_NEAR(video->duration, double(kFrames) / kRate, 0.01);
  EXPECT_TRUE(test::AllVideoPacketsAreKeyFrames(path));
  EXPECT_EQ(audio->codec, param.audioCodec);
  EXPECT_EQ(audio->sampleRate, 8000);
  const std::int64_t samples = test::ProbeAudioSamples(path);
  if (std::string(param.audioCodec) == "pcm_alaw") {
    EXPECT_EQ(samples, kAudioChunks * kAudioBytes);
  } else {
    // AAC codes whole 1024-sample frames: the last one is padded.
    EXPECT_GE(samples, kAudioChunks * kAudioBytes);
    EXPECT_LT(samples, kAudioChunks * kAudioBytes + 1024);
  }

  if (param.lossless) {
    // Bottom-up input comes out upright and unchanged to the last byte.
    const auto decoded = test::DecodeVideoBgr24(path);
    const std::size_t frameBytes = std::size_t{kWidth} * kHeight * 3;
    ASSERT_EQ(decoded.size(), frameBytes * kFrames);
    for (int frame = 0; frame < kFrames; frame += kFrames - 1) {
      for (int y = 0; y < kHeight; ++y) {
        const std::uint8_t* expected = &pictures[frame][std::size_t(kHeight - 1 - y) * kWidth * 3];
        const std::uint8_t* actual = &decoded[frame * frameBytes + std::size_t(y) * kWidth * 3];
        ASSERT_TRUE(std::equal(expected, expected + kWidth * 3, actual)) << "frame " << frame << " row " << y;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, ExportFormats,
    ::testing::Values(Export{VideoCodec::kRaw, "raw.avi", "rawvideo", "pcm_alaw", true},
                    Export{VideoCodec::kMjpeg, "mjpeg.avi", "mjpeg", "pcm_alaw", false},
                    Export{VideoCodec::kMpeg4, "mpeg4.avi", "mpeg4", "pcm_alaw", false},
                    Export{VideoCodec::kH264, "h264.avi", "h264", "pcm_alaw", false},
                    Export{VideoCodec::kFfv1, "ffv1.avi", "ffv1", "pcm_alaw", true},
                    Export{VideoCodec::kMjpeg, "mjpeg.mkv", "mjpeg", "pcm_alaw", false},
                    Export{VideoCodec::kFfv1, "ffv1.mkv", "ffv1", "pcm_alaw", true},
                    Export{VideoCodec::kH264, "h264.mp4", "h264", "aac", false},
                    Export{VideoCodec::kMjpeg, "mjpeg.MP4", "mjpeg", "aac", false}),
    [](const ::testing::TestParamInfo<Export>& info) {
      std::string name = info.param.file;
      for (char& c : name) {
        if (c == '.') c = '_';
      }
      return name;
    });

TEST(AviExporter, SoundIsStoredAsALawWithFormatTagSix) {
  TempDirectory dir;
  const std::string path = dir.File("tag.avi");
  AviExporter exporter;
  ASSERT_EQ(exporter.Open(path, 24, 64, 48, nullptr, 25), kExportOk);
  EXPECT_EQ(exporter.blockAlign(), 1);
  const auto picture = test::MovingPicture(64, 48, 0);
  const auto sound = test::ALawTone(1000);
  ASSERT_TRUE(exporter.WriteVideo(picture.data(), true));
  ASSERT_TRUE(exporter.WriteAudio(sound.data(), 1000));
  EXPECT_EQ(exporter.audioPosition(), 1000);
  // A block larger than any recording frame is written whole, in pieces.
  const auto longSound = test::ALawTone(300000);
  ASSERT_TRUE(exporter.WriteAudio(longSound.data(), 300000));
  EXPECT_EQ(exporter.audioPosition(), 301000);
  ASSERT_EQ(exporter.Close(), kExportOk);
  const test::ProbedFile probed = test::Probe(path);
  ASSERT_TRUE(probed.ok && probed.First("audio"));
  EXPECT_EQ(probed.First("audio")->codecTag, "0x0006");
  EXPECT_EQ(test::ProbeAudioSamples(path), 301000);
  // The bytes are copied as stored, not decoded: the file holds them verbatim.
  const std::string content = test::ReadFile(path);
  EXPECT_NE(content.find(std::string(sound.begin(), sound.end())), std::string::npos);
}

struct RefusedOpen {
  const char* name;
  std::string path;  // relative to a scratch directory unless it starts with '/'
  int bitCount;
  int width;
  int height;
  int rate;
  int status;
};

TEST(AviExporter, RefusedOpenReportsItsStatusAndLeavesNoFile) {
  const RefusedOpen cases[] = {
      {"empty path", "", 24, 640, 448, 12, kExportEmptyPath},
      {"zero width", "a.avi", 24, 0, 448, 12, kExportBadPicture},
      {"negative height", "a.avi", 24, 640, -448, 12, kExportBadPicture},
      {"zero bit count", "a.avi", 0, 640, 448, 12, kExportBadPicture},
      {"zero frame rate", "a.avi", 24, 640, 448, 0, kExportBadPicture},
      {"32-bit pictures", "a.avi", 32, 640, 448, 12, kExportFormatRefused},
      {"missing folder", "no/such/folder/a.avi", 24, 640, 448, 12, kExportFileFailed},
      {"a directory", "", 24, 640, 448, 12, kExportFileFailed},
      {"unwritable folder", "/proc/a.avi", 24, 640, 448, 12, kExportFileFailed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDirectory dir;
    std::string path = c.path.empty() || c.path[0] == '/' ? c.path : dir.File(c.path);
    if (std::string(c.name) == "a directory") path = dir.path();
    AviExporter exporter;
    EXPECT_EQ(exporter.Open(path, c.bitCount, c.width, c.height, nullptr, c.rate), c.status);
    EXPECT_EQ(exporter.state(), AviExporter::kIdle);
    EXPECT_FALSE(exporter.opened());
    if (c.status != kExportEmptyPath) {
      EXPECT_FALSE(exporter.LastError().empty());
    }
    EXPECT_TRUE(dir.Entries().empty());
    const auto picture = test::MovingPicture(16, 16, 0);
    EXPECT_FALSE(exporter.WriteVideo(picture.data(), true));
    EXPECT_FALSE(exporter.WriteAudio(picture.data(), 16));
  }
}

TEST(AviExporter, PictureDescriptionMustMatchTheUncompressedPicture) {
  TempDirectory dir;
  AviExporter exporter;
  BitmapInfoHeader header;
  header.width = 640;
  header.height = 448;
  header.imageSize = 640 * 448 * 3;
  EXPECT_EQ(exporter.Open(dir.File("ok.avi"), 24, 640, 448, &header, 12), kExportOk);
  exporter.Close();

  header.compression = 1;  // run-length coded: not what WriteVideo takes
  EXPECT_EQ(exporter.Open(dir.File("rle.avi"), 24, 640, 448, &header, 12), kExportFormatRefused);
  EXPECT_EQ(exporter.LastError(), "Invalid codec!");
  EXPECT_TRUE(dir.Entries().empty());
}

TEST(AviExporter, ContainerThatCannotHoldTheCodecIsRefused) {
  TempDirectory dir;
  AviExporter exporter;
  exporter.SetEncoder({VideoCodec::kFfv1, 75});
  EXPECT_EQ(exporter.Open(dir.File("lossless.mp4"), 24, 64, 48, nullptr, 12), kExportFormatRefused);
  EXPECT_EQ(exporter.state(), AviExporter::kIdle);
  EXPECT_TRUE(dir.Entries().empty());
}

TEST(AviExporter, FileWithoutPicturesIsDeleted) {
  TempDirectory dir;
  const std::string path = dir.File("empty.avi");
  AviExporter exporter;
  ASSERT_EQ(exporter.Open(path, 24, 64, 48, nullptr, 12), kExportOk);
  EXPECT_TRUE(exporter.opened());
  const auto sound = test::ALawTone(500);
  EXPECT_TRUE(exporter.WriteAudio(sound.data(), 500));  // sound alone does not keep the file
  EXPECT_EQ(exporter.Close(), kExportOk);
  EXPECT_FALSE(test::FileExists(path));
  EXPECT_TRUE(dir.Entries().empty());
  // Closing twice, or closing an exporter that never opened, does nothing.
  EXPECT_EQ(exporter.Close(), kExportOk);
  EXPECT_EQ(AviExporter().Close(), kExportOk);
}

TEST(AviExporter, WritesAfterCloseAreRefused) {
  TempDirectory dir;
  AviExporter exporter;
  ASSERT_EQ(exporter.Open(dir.File("a.avi"), 24, 64, 48, nullptr, 12), kExportOk);
  const auto picture = test::MovingPicture(64, 48, 0);
  ASSERT_TRUE(exporter.WriteVideo(picture.data(), true));
  ASSERT_EQ(exporter.Close(), kExportOk);
  EXPECT_FALSE(exporter.WriteVideo(picture.data(), true));
  EXPECT_FALSE(exporter.WriteAudio(picture.data(), 100));
  EXPECT_EQ(exporter.videoIndex(), 1);
  EXPECT_EQ(exporter.audioPosition(), 0);
}

TEST(AviExporter, OpenWhileReadyFinishesThePreviousFile) {
  TempDirectory dir;
  AviExporter exporter;
  ASSERT_EQ(exporter.Open(dir.File("first.avi"), 24, 64, 48, nullptr, 12), kExportOk);
  const auto picture = test::MovingPicture(64, 48, 0);
  ASSERT_TRUE(exporter.WriteVideo(picture.data(), true));
  ASSERT_EQ(exporter.Open(dir.File("second.avi"), 24, 64, 48, nullptr, 12), kExportOk);
  EXPECT_EQ(exporter.videoIndex(), 0);
  const test::ProbedFile first = test::Probe(dir.File("first.avi"));
  ASSERT_TRUE(first.ok);
  EXPECT_EQ(first.First("video")->frames, 1);
  exporter.Close();
  EXPECT_FALSE(test::FileExists(dir.File("second.avi")));
}

TEST(AviExporter, FullDiskFailsClearlyAndKeepsTheEarlierFile) {
  TempDirectory dir;
  const std::string path = dir.File("full.avi");
  test::WriteFile(path, "an earlier export");
  AviExporter exporter;
  exporter.SetEncoder({VideoCodec::kRaw, 75});
  bool refused = false;
  int closed = kExportOk;
  {
    FileSizeLimit limit(2 * 1024 * 1024);
    ASSERT_EQ(exporter.Open(path, 24, kWidth, kHeight, nullptr, kRate), kExportOk);
    const auto picture = test::MovingPicture(kWidth, kHeight, 0);
    for (int frame = 0; frame < 40 && !refused; ++frame) refused = !exporter.WriteVideo(picture.data(), true);
    closed = exporter.Close();
  }
  EXPECT_TRUE(refused) << "forty raw frames exceed the limit";
  EXPECT_EQ(closed, kExportWriteFailed);
  EXPECT_NE(exporter.LastError().find("cannot write"), std::string::npos) << exporter.LastError();
  EXPECT_EQ(test::ReadFile(path), "an earlier export");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"full.avi"});
}

// A picture may end where its memory does (a large allocation is a mapping
// of its own): the converters never read past it, whatever the encoder.
TEST(AviExporter, APictureThatEndsWhereItsMemoryEndsIsReadNoFurther) {
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  const std::size_t bytes = std::size_t{kWidth} * kHeight * 3;
  const std::size_t mapped = (bytes + page - 1) / page * page;
  void* memory = mmap(nullptr, mapped + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(memory, MAP_FAILED);
  auto* base = static_cast<std::uint8_t*>(memory);
  ASSERT_EQ(mprotect(base + mapped, page, PROT_NONE), 0);  // touching it kills the test
  std::uint8_t* picture = base + mapped - bytes;
  const auto moving = test::MovingPicture(kWidth, kHeight, 3);
  std::memcpy(picture, moving.data(), bytes);
  for (const VideoCodec codec : AllVideoCodecs()) {
    if (!IsEncoderAvailable(codec)) continue;
    SCOPED_TRACE(VideoCodecName(codec));
    TempDirectory dir;
    AviExporter exporter;
    exporter.SetEncoder({codec, 75});
    ASSERT_EQ(exporter.Open(dir.File("edge.avi"), 24, kWidth, kHeight, nullptr, kRate), kExportOk)
        << exporter.LastError();
    EXPECT_TRUE(exporter.WriteVideo(picture, true));
    EXPECT_EQ(exporter.Close(), kExportOk);
  }
  munmap(memory, mapped + page);
}

TEST(AviExporter, SuccessfulExportReplacesAnEarlierFile) {
  TempDirectory dir;
  const std::string path = dir.File("again.avi");
  test::WriteFile(path, "an earlier export");
  AviExporter exporter;
  ASSERT_EQ(exporter.Open(path, 24, 64, 48, nullptr, 12), kExportOk);
  const auto picture = test::MovingPicture(64, 48, 0);
  ASSERT_TRUE(exporter.WriteVideo(picture.data(), true));
  ASSERT_EQ(exporter.Close(), kExportOk);
  const test::ProbedFile probed = test::Probe(path);
  ASSERT_TRUE(probed.ok) << probed.error;
  EXPECT_EQ(probed.First("video")->frames, 1);
}

}  // namespace
}  // namespace tavrix
