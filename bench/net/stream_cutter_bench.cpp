#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "net/stream_cutter.h"

namespace tavrix {
namespace {

// A live stream of 20 kB video frames, each followed by a 320-byte audio block
// and, every tenth frame, a status message: 8 MB in all.
std::vector<std::uint8_t> MakeStream() {
  std::vector<std::uint8_t> stream;
  for (int frame = 0; stream.size() < (8u << 20); ++frame) {
    const std::uint8_t videoStart[] = {0x00, 0x00, 0x01, 0xF8, 0x98, 0x00, 0x01};
    stream.insert(stream.end(), std::begin(videoStart), std::end(videoStart));
    for (int i = 0; i < 20000; ++i) stream.push_back(static_cast<std::uint8_t>(0x10 + (i * 7 + frame) % 0xE0));
    const std::uint8_t audioStart[] = {0x00, 0x00, 0x01, 0xFA, 0x00, 0x00};
    stream.insert(stream.end(), std::begin(audioStart), std::end(audioStart));
    stream.insert(stream.end(), 320, 0xD5);
    if (frame % 10 == 0) {
      const char status[] = "\x00\x00\x01\xFE" "00200008000100000000000000" "0A";
      stream.insert(stream.end(), status, status + 32);
    }
  }
  return stream;
}

class CountingSink : public StreamCutterSink {
 public:
  void OnVideoFrame(const FrameRecord& frame) override { bytes += static_cast<std::size_t>(frame.length()); }
  void OnAudioBlock(const FrameRecord& block) override { bytes += static_cast<std::size_t>(block.length()); }
  void OnControlMessage(std::span<const std::uint8_t> message) override { bytes += message.size(); }
  std::size_t bytes = 0;
};

// The cutter fed in reads of the client's receive size.
void BM_StreamCutter(benchmark::State& state) {
  const std::vector<std::uint8_t> stream = MakeStream();
  CountingSink sink;
  StreamCutter cutter(sink);
  for (auto _ : state) {
    for (std::size_t at = 0; at < stream.size(); at += 131072) {
      cutter.Feed({stream.data() + at, std::min<std::size_t>(131072, stream.size() - at)});
    }
    benchmark::DoNotOptimize(sink.bytes);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(BM_StreamCutter);

// The floor: copying the same bytes once, as the cutter's store does.
void BM_PlainCopy(benchmark::State& state) {
  const std::vector<std::uint8_t> stream = MakeStream();
  std::vector<std::uint8_t> target(131072);
  for (auto _ : state) {
    for (std::size_t at = 0; at < stream.size(); at += 131072) {
      const std::size_t size = std::min<std::size_t>(131072, stream.size() - at);
      std::memcpy(target.data(), stream.data() + at, size);
      benchmark::ClobberMemory();
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(BM_PlainCopy);

}  // namespace
}  // namespace tavrix
