#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "export/avi_exporter.h"
#include "tests/export/ffprobe.h"
#include "tests/export/scratch.h"
#include "tests/support/vvf_fixture.h"

namespace tavrix {
namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr int kAudioBytes = 400;

// Pictures and sound keep arriving from their own threads while Close runs:
// every write either lands completely in the finished file or is refused.
TEST(AviExporterRace, WritesRacingCloseLandWholeOrNotAtAll) {
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    testing::TempDirectory dir;
    const std::string path = dir.File("race.avi");
    AviExporter exporter;
    exporter.SetEncoder({VideoCodec::kRaw, 75});
    ASSERT_EQ(exporter.Open(path, 24, kWidth, kHeight, nullptr, 25), kExportOk);

    std::atomic<int> picturesWritten{0};
    std::atomic<int> soundWritten{0};
    std::atomic<bool> stop{false};
    std::thread pictures([&] {
      const auto picture = test::MovingPicture(kWidth, kHeight, round);
      while (!stop.load()) {
        if (exporter.WriteVideo(picture.data(), true)) picturesWritten.fetch_add(1);
      }
    });
    std::thread sound([&] {
      const auto samples = test::ALawTone(kAudioBytes);
      while (!stop.load()) {
        if (exporter.WriteAudio(samples.data(), kAudioBytes)) soundWritten.fetch_add(1);
      }
    });
    while (picturesWritten.load() < 20 || soundWritten.load() < 5) std::this_thread::yield();
    const int closed = exporter.Close();
    const int picturesAtClose = exporter.videoIndex();
    const std::int64_t samplesAtClose = exporter.audioPosition();
    stop.store(true);
    pictures.join();
    sound.join();

    ASSERT_EQ(closed, kExportOk) << exporter.LastError();
    EXPECT_EQ(picturesWritten.load(), picturesAtClose) << "no write succeeds after Close";
    EXPECT_EQ(std::int64_t{soundWritten.load()} * kAudioBytes, samplesAtClose);
    const test::ProbedFile probed = test::Probe(path);
    ASSERT_TRUE(probed.ok) << probed.error;
    ASSERT_NE(probed.First("video"), nullptr);
    EXPECT_EQ(probed.First("video")->frames, picturesAtClose);
    EXPECT_EQ(test::ProbeAudioSamples(path), samplesAtClose);
  }
}

}  // namespace
}  // namespace tavrix
