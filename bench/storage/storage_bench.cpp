// The forward scans of `tavrix info` and `tavrix frames` beside a plain read
// of the same cached file, as `cat` does it. What they are held to: the info
// walk at least half the rate of the plain read, the frames walk no more
// than twice the cost of the info walk.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "cli/frame_listing.h"
#include "codec/decoded_picture.h"
#include "codec/test_picture.h"
#include "codec/video_encoder.h"
#include "storage/vvf_forward_scan.h"
#include "storage/vvf_reader.h"
#include "tests/support/vvf_fixture.h"

namespace tavrix {
namespace {

constexpr std::size_t kRecordingSize = 64u << 20;
constexpr std::size_t kPlainReadSize = 1u << 20;
// Laid out as `tavrix make-sample` lays out its recordings: four channels at
// 15 pictures a second each, a full picture every eighth round, 100 ms of
// sound after every sixth picture.
constexpr int kChannels = 4;
constexpr std::uint32_t kRounds = 120;  // encoded once, then repeated
constexpr std::uint32_t kRoundsPerSecond = 15;
constexpr std::uint32_t kFullEveryRounds = 8;
constexpr int kQuantiserScale = 4;
constexpr std::size_t kPicturesPerSound = 6;
constexpr std::size_t kSoundSamples = 800;
constexpr std::uint32_t kPictureHeight = 224;

// Encoded test pictures with sound between them, as a DVR records them:
// compressed pictures are full of 00 and 01 bytes and slice start codes,
// which is what a start code scan has to get past. 64 MB, written once to /tmp and
// removed when the benchmarks end; its pages stay cached, so every benchmark
// measures the scan, not the disk.
class CachedRecording {
 public:
  CachedRecording() : path_("/tmp/tavrix-storage-bench-" + std::to_string(getpid()) + ".vvf") {
    const std::vector<std::vector<std::uint8_t>> frames = EncodedFrames();
    testing::VvfStreamBuilder builder;
    for (std::size_t frame = 0; builder.stream().size() < kRecordingSize - 64 * 1024; ++frame) {
      builder.AddRaw(frames[frame % frames.size()]);
      if (frame % kPicturesPerSound == kPicturesPerSound - 1) builder.AddAudio(0, kSoundSamples);
    }
    builder.AddTerminator();
    const auto image = testing::MakeVvfImage(builder.stream());
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    size_ = image.size();
  }
  ~CachedRecording() { std::remove(path_.c_str()); }

  const std::string& path() const { return path_; }
  std::size_t size() const { return size_; }

 private:
  static std::vector<std::vector<std::uint8_t>> EncodedFrames() {
    VideoEncoder encoder;
    std::vector<std::uint8_t> picture(PictureBytes(kPictureWidth, kPictureHeight));
    std::vector<std::vector<std::uint8_t>> frames;
    for (std::uint32_t round = 0; round < kRounds; ++round) {
      for (int channel = 0; channel < kChannels; ++channel) {
        DrawTestPicture(picture.data(), kPictureWidth, kPictureHeight, channel, round, round / kRoundsPerSecond);
        const auto kind = round % kFullEveryRounds == 0 ? VideoEncoder::Kind::kFull : VideoEncoder::Kind::kUpdate;
        frames.emplace_back();
        encoder.Encode(picture.data(), kPictureWidth, kPictureHeight, channel, kQuantiserScale, kind, frames.back());
      }
    }
    return frames;
  }

  std::string path_;
  std::size_t size_ = 0;
};

const CachedRecording& Recording() {
  static const CachedRecording recording;
  return recording;
}

void SetRates(benchmark::State& state, std::uint64_t frames) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Recording().size()));
  if (frames > 0) state.counters["frames"] = static_cast<double>(frames) / static_cast<double>(state.iterations());
}

// What `cat` does: read() into one 1 MiB buffer until the end.
void BM_PlainRead(benchmark::State& state) {
  const auto& recording = Recording();
  std::vector<std::uint8_t> buffer(kPlainReadSize);
  std::uint64_t sum = 0;
  for (auto _ : state) {
    const int fd = open(recording.path().c_str(), O_RDONLY | O_CLOEXEC);
    for (ssize_t n; (n = read(fd, buffer.data(), buffer.size())) > 0;) sum += buffer[static_cast<std::size_t>(n) - 1];
    close(fd);
  }
  benchmark::DoNotOptimize(sum);
  SetRates(state, 0);
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

// One pread per 4096-byte block, touching one byte of each.
void BM_PlainBlockRead(benchmark::State& state) {
  const auto& recording = Recording();
  const int fd = open(recording.path().c_str(), O_RDONLY | O_CLOEXEC);
  std::uint8_t block[kVvfBlockSize];
  std::uint64_t sum = 0;
  for (auto _ : state) {
    for (off_t offset = 0; pread(fd, block, sizeof block, offset) == static_cast<ssize_t>(sizeof block);
         offset += static_cast<off_t>(sizeof block)) {
      sum += block[7];
    }
  }
  close(fd);
  benchmark::DoNotOptimize(sum);
  SetRates(state, 0);
}
BENCHMARK(BM_PlainBlockRead)->Unit(benchmark::kMillisecond);

// The walk of `tavrix info`: block summary and frame counts, no frame copied.
void BM_InfoScan(benchmark::State& state) {
  const auto& recording = Recording();
  std::uint64_t frames = 0, full = 0;
  for (auto _ : state) {
    VvfReader reader;
    reader.Open(recording.path(), false);
    VvfForwardScan scan(reader);
    while (scan.Skip() > 0) {
      ++frames;
      if (!reader.frameInfo().audio && reader.FrameCode() == kFullPictureCode) ++full;
    }
    benchmark::DoNotOptimize(scan.blocks().lastTime);
  }
  benchmark::DoNotOptimize(full);
  SetRates(state, frames);
}
BENCHMARK(BM_InfoScan)->Unit(benchmark::kMillisecond);

// The walk of `tavrix frames`: the same scan and its line per frame,
// written to /dev/null.
void BM_FramesScan(benchmark::State& state) {
  const auto& recording = Recording();
  std::FILE* out = std::fopen("/dev/null", "w");
  std::uint64_t frames = 0;
  for (auto _ : state) {
    VvfReader reader;
    reader.Open(recording.path(), false);
    VvfForwardScan scan(reader);
    cli::FrameListing listing(out, false);
    while (scan.Skip() > 0) {
      ++frames;
      listing.Write(reader.FrameOffset(), reader.frameInfo());
    }
  }
  std::fclose(out);
  SetRates(state, frames);
}
BENCHMARK(BM_FramesScan)->Unit(benchmark::kMillisecond);

// Every frame copied out, as playback and decoding read them.
void BM_ReadNextScan(benchmark::State& state) {
  const auto& recording = Recording();
  auto buffer = std::make_unique<std::uint8_t[]>(kMaxFrameBytes);
  std::uint64_t frames = 0;
  for (auto _ : state) {
    VvfReader reader;
    reader.Open(recording.path(), false);
    while (reader.ReadNext(buffer.get()) > 0) ++frames;
  }
  SetRates(state, frames);
}
BENCHMARK(BM_ReadNextScan)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavrix
