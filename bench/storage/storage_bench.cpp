// Forward scan rate of the VVF reader beside a plain read of the same bytes.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "storage/vvf_reader.h"
#include "tests/support/vvf_fixture.h"

namespace tavrix {
namespace {

constexpr std::size_t kRecordingSize = 64u << 20;

// A 64 MB recording of four channels with sound, written once to /tmp and
// removed when the benchmarks end. Its pages stay cached: both benchmarks
// measure the scan, not the disk.
class CachedRecording {
 public:
  CachedRecording() : path_("/tmp/tavrix-storage-bench-" + std::to_string(getpid()) + ".vvf") {
    testing::VvfStreamBuilder builder;
    for (int frame = 0; builder.stream().size() < kRecordingSize - 64 * 1024; ++frame) {
      builder.AddVideo(frame % 4, frame % 60 == 0, 6000 + static_cast<std::size_t>(frame % 7) * 1500);
      if (frame % 4 == 3) builder.AddAudio(0, 1000);
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
  std::string path_;
  std::size_t size_ = 0;
};

const CachedRecording& Recording() {
  static const CachedRecording recording;
  return recording;
}

void BM_ReadNextScan(benchmark::State& state) {
  const auto& recording = Recording();
  VvfReader reader;
  auto buffer = std::make_unique<std::uint8_t[]>(kMaxFrameBytes);
  std::uint64_t frames = 0;
  for (auto _ : state) {
    if (!reader.Open(recording.path(), false)) {
      state.SkipWithError(reader.LastError().c_str());
      return;
    }
    while (reader.ReadNext(buffer.get()) > 0) ++frames;
  }
  benchmark::DoNotOptimize(frames);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * recording.size()));
  state.counters["frames"] = static_cast<double>(frames) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ReadNextScan)->Unit(benchmark::kMillisecond);

// The floor: pread of the same 4096-byte blocks, touching one byte of each.
void BM_PlainBlockRead(benchmark::State& state) {
  const auto& recording = Recording();
  const int fd = open(recording.path().c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    state.SkipWithError("cannot open the recording");
    return;
  }
  std::uint8_t block[4096];
  std::uint64_t sum = 0;
  for (auto _ : state) {
    for (off_t offset = 0; pread(fd, block, sizeof block, offset) == static_cast<ssize_t>(sizeof block);
         offset += static_cast<off_t>(sizeof block)) {
      sum += block[7];
    }
  }
  benchmark::DoNotOptimize(sum);
  close(fd);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * recording.size()));
}
BENCHMARK(BM_PlainBlockRead)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavrix
