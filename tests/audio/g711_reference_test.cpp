// Our G.711 tables against FFmpeg's decoders, entry by entry.
#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <cstring>
#include <memory>

#include "audio/g711.h"

namespace tavrix {
namespace {

// Decodes the 256 codes 0..255 with FFmpeg; empty when the decoder is missing.
std::vector<std::int16_t> DecodeAllCodes(AVCodecID id) {
  const AVCodec* codec = avcodec_find_decoder(id);
  if (codec == nullptr) return {};
  std::unique_ptr<AVCodecContext, void (*)(AVCodecContext*)> context(
      avcodec_alloc_context3(codec), [](AVCodecContext* c) { avcodec_free_context(&c); });
  context->sample_rate = 8000;
  context->ch_layout = AV_CHANNEL_LAYOUT_MONO;
  if (avcodec_open2(context.get(), codec, nullptr) < 0) return {};
  std::unique_ptr<AVPacket, void (*)(AVPacket*)> packet(av_packet_alloc(), [](AVPacket* p) { av_packet_free(&p); });
  std::unique_ptr<AVFrame, void (*)(AVFrame*)> frame(av_frame_alloc(), [](AVFrame* f) { av_frame_free(&f); });
  if (av_new_packet(packet.get(), 256) < 0) return {};
  for (int code = 0; code < 256; ++code) packet->data[code] = static_cast<std::uint8_t>(code);
  if (avcodec_send_packet(context.get(), packet.get()) < 0) return {};
  if (avcodec_receive_frame(context.get(), frame.get()) < 0 || frame->nb_samples != 256 ||
      frame->format != AV_SAMPLE_FMT_S16) {
    return {};
  }
  std::vector<std::int16_t> samples(256);
  std::memcpy(samples.data(), frame->data[0], samples.size() * sizeof(std::int16_t));
  return samples;
}

TEST(G711Reference, TablesMatchFFmpegForEveryCode) {
  const auto aLaw = DecodeAllCodes(AV_CODEC_ID_PCM_ALAW);
  const auto muLaw = DecodeAllCodes(AV_CODEC_ID_PCM_MULAW);
  ASSERT_EQ(aLaw.size(), 256u);
  ASSERT_EQ(muLaw.size(), 256u);
  for (int code = 0; code < 256; ++code) {
    EXPECT_EQ(ExpandALaw(static_cast<std::uint8_t>(code)), aLaw[code]) << "A-law " << code;
    EXPECT_EQ(ExpandMuLaw(static_cast<std::uint8_t>(code)), muLaw[code]) << "mu-law " << code;
  }
}

}  // namespace
}  // namespace tavrix
