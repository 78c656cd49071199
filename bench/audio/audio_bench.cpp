// A-law expansion and the ring, side by side with FFmpeg's pcm_alaw decoder
// and a plain copy of the same bytes.
#include <benchmark/benchmark.h>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <cstring>
#include <memory>
#include <vector>

#include "audio/audio_decoder.h"
#include "audio/audio_out.h"
#include "audio/g711.h"
#include "tests/support/manual_audio_device.h"

namespace tavrix {
namespace {

// One recorded audio block: half a second of a tone.
std::vector<std::uint8_t> ALawBlock(std::size_t length) {
  std::vector<std::uint8_t> block(length);
  for (std::size_t i = 0; i < length; ++i) {
    block[i] = CompressALaw(static_cast<std::int16_t>((i * 397) % 20000 - 10000));
  }
  return block;
}

void BM_AudioDecoderALaw(benchmark::State& state) {
  const auto block = ALawBlock(static_cast<std::size_t>(state.range(0)));
  std::vector<std::uint8_t> pcm(2 * block.size());
  AudioDecoder decoder;
  decoder.Configure(AudioFormat::QM_ALAW, 8000, nullptr);
  for (auto _ : state) {
    std::size_t length = 0;
    decoder.Decode(block, pcm, length);
    benchmark::DoNotOptimize(pcm.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(block.size()));
}
BENCHMARK(BM_AudioDecoderALaw)->Arg(4096);

void BM_FFmpegPcmALaw(benchmark::State& state) {
  const auto block = ALawBlock(static_cast<std::size_t>(state.range(0)));
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_PCM_ALAW);
  std::unique_ptr<AVCodecContext, void (*)(AVCodecContext*)> context(
      avcodec_alloc_context3(codec), [](AVCodecContext* c) { avcodec_free_context(&c); });
  context->sample_rate = 8000;
  context->ch_layout = AV_CHANNEL_LAYOUT_MONO;
  if (avcodec_open2(context.get(), codec, nullptr) < 0) {
    state.SkipWithError("pcm_alaw decoder unavailable");
    return;
  }
  std::unique_ptr<AVPacket, void (*)(AVPacket*)> packet(av_packet_alloc(), [](AVPacket* p) { av_packet_free(&p); });
  std::unique_ptr<AVFrame, void (*)(AVFrame*)> frame(av_frame_alloc(), [](AVFrame* f) { av_frame_free(&f); });
  av_new_packet(packet.get(), static_cast<int>(block.size()));
  std::memcpy(packet->data, block.data(), block.size());
  for (auto _ : state) {
    avcodec_send_packet(context.get(), packet.get());
    avcodec_receive_frame(context.get(), frame.get());
    benchmark::DoNotOptimize(frame->data[0]);
    av_frame_unref(frame.get());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(block.size()));
}
BENCHMARK(BM_FFmpegPcmALaw)->Arg(4096);

// Writing a block into the ring and the device playing it back, per block.
void BM_AudioOutWriteALawAndPlay(benchmark::State& state) {
  const auto block = ALawBlock(static_cast<std::size_t>(state.range(0)));
  auto owned = std::make_unique<testing::ManualAudioDevice>();
  auto* device = owned.get();
  AudioOut out([](const std::string&) {}, std::move(owned));
  WaveFormat format;
  AudioDecoder().Configure(AudioFormat::QM_ALAW, 8000, &format);
  out.Open(format);
  out.Start();
  for (auto _ : state) {
    out.WriteALaw(block.data(), static_cast<std::uint32_t>(block.size()));
    out.Service();
    benchmark::DoNotOptimize(device->Pull(2 * block.size()).data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(block.size()));
}
BENCHMARK(BM_AudioOutWriteALawAndPlay)->Arg(2048);

// The floor for the ring: copying the PCM in and out once each.
void BM_PlainCopyInAndOut(benchmark::State& state) {
  const std::vector<std::uint8_t> pcm(2 * static_cast<std::size_t>(state.range(0)), 0x11);
  std::vector<std::uint8_t> ring(AudioOut::kRingSize);
  for (auto _ : state) {
    std::memcpy(ring.data(), pcm.data(), pcm.size());
    std::vector<std::uint8_t> played(pcm.size());
    std::memcpy(played.data(), ring.data(), played.size());
    benchmark::DoNotOptimize(played.data());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PlainCopyInAndOut)->Arg(2048);

}  // namespace
}  // namespace tavrix
