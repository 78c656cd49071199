// Our decoder and colour conversion side by side with FFmpeg on the same
// pictures: MPEG-1 intra decoding (libavcodec) of pictures of a similar size
// per frame, and libswscale's yuv420p to BGR24 conversion.
#include <benchmark/benchmark.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include "codec/test_picture.h"
#include "codec/video_decoder.h"
#include "codec/video_encoder.h"
#include "picture/colour_conversion.h"

namespace {

using tavrix::PictureBytes;

constexpr int kWidth = 640, kHeight = 272, kScale = 4, kPictures = 8;

std::vector<std::vector<std::uint8_t>> SourcePictures() {
  std::vector<std::vector<std::uint8_t>> pictures;
  for (int i = 0; i < kPictures; ++i) {
    pictures.emplace_back(PictureBytes(kWidth, kHeight));
    tavrix::DrawTestPicture(pictures.back().data(), kWidth, kHeight, i % 4, static_cast<std::uint32_t>(i * 5), i);
  }
  return pictures;
}

struct OurFrames {
  std::vector<std::vector<std::uint8_t>> frames;
  double meanBytes = 0;
};

const OurFrames& EncodedFrames() {
  static const OurFrames encoded = [] {
    OurFrames result;
    tavrix::VideoEncoder encoder;
    for (const auto& picture : SourcePictures()) {
      result.frames.emplace_back();
      encoder.Encode(picture.data(), kWidth, kHeight, 0, kScale, tavrix::VideoEncoder::Kind::kFull,
                     result.frames.back());
      result.meanBytes += static_cast<double>(result.frames.back().size()) / kPictures;
    }
    return result;
  }();
  return encoded;
}

void DecodeOurs(benchmark::State& state, tavrix::VideoDecoder::Idct idct) {
  const OurFrames& encoded = EncodedFrames();
  tavrix::VideoDecoder decoder(idct);
  decoder.SelectFormat(4);
  if (idct == tavrix::VideoDecoder::Idct::kFastest && !decoder.usesSimdIdct()) {
    state.SkipWithError("no SIMD IDCT on this processor or TAVRIX_PORTABLE_IDCT=1 is set");
    return;
  }
  std::vector<std::uint8_t> picture(PictureBytes(kWidth, kHeight));
  std::size_t next = 0;
  for (auto _ : state) {
    const auto& frame = encoded.frames[next++ % encoded.frames.size()];
    const auto length = static_cast<std::uint32_t>(frame.size());
    if (!decoder.ParseHeader(frame.data(), length) || !decoder.Decode(frame.data(), length, picture.data())) {
      state.SkipWithError("our frame did not decode");
      return;
    }
    benchmark::DoNotOptimize(picture.data());
  }
  state.counters["bytes_per_frame"] = encoded.meanBytes;
  state.SetItemsProcessed(state.iterations());
}

void BM_DecodePortable(benchmark::State& state) { DecodeOurs(state, tavrix::VideoDecoder::Idct::kPortable); }
void BM_DecodeSimd(benchmark::State& state) { DecodeOurs(state, tavrix::VideoDecoder::Idct::kFastest); }
BENCHMARK(BM_DecodePortable);
BENCHMARK(BM_DecodeSimd);

struct CodecContextDeleter {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameDeleter {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketDeleter {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using CodecContext = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using Frame = std::unique_ptr<AVFrame, FrameDeleter>;
using Packet = std::unique_ptr<AVPacket, PacketDeleter>;

std::vector<std::vector<std::uint8_t>> EncodeMpeg1(int quantiser) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG1VIDEO);
  if (codec == nullptr) throw std::runtime_error("no mpeg1video encoder");
  CodecContext context(avcodec_alloc_context3(codec));
  context->width = kWidth;
  context->height = kHeight;
  context->pix_fmt = AV_PIX_FMT_YUV420P;
  context->time_base = {1, 25};
  context->framerate = {25, 1};
  context->gop_size = 1;  // intra only
  context->max_b_frames = 0;
  context->flags |= AV_CODEC_FLAG_QSCALE;
  context->global_quality = FF_QP2LAMBDA * quantiser;
  context->thread_count = 1;
  if (avcodec_open2(context.get(), codec, nullptr) < 0) throw std::runtime_error("mpeg1video encoder did not open");
  Frame frame(av_frame_alloc());
  frame->format = AV_PIX_FMT_YUV420P;
  frame->width = kWidth;
  frame->height = kHeight;
  av_frame_get_buffer(frame.get(), 0);
  Packet packet(av_packet_alloc());
  std::vector<std::vector<std::uint8_t>> packets;
  auto drain = [&] {
    while (avcodec_receive_packet(context.get(), packet.get()) == 0) {
      packets.emplace_back(packet->data, packet->data + packet->size);
      av_packet_unref(packet.get());
    }
  };
  int index = 0;
  for (const auto& picture : SourcePictures()) {
    av_frame_make_writable(frame.get());
    const std::uint8_t* planes[3] = {picture.data(), picture.data() + kWidth * kHeight,
                                     picture.data() + kWidth * kHeight * 5 / 4};
    const int strides[3] = {kWidth, kWidth / 2, kWidth / 2};
    av_image_copy(frame->data, frame->linesize, planes, strides, AV_PIX_FMT_YUV420P, kWidth, kHeight);
    frame->pts = index++;
    frame->quality = context->global_quality;  // the fixed quantiser applies per frame
    avcodec_send_frame(context.get(), frame.get());
    drain();
  }
  avcodec_send_frame(context.get(), nullptr);
  drain();
  return packets;
}

// MPEG-1 intra frames whose mean size is closest to ours.
const std::vector<std::vector<std::uint8_t>>& Mpeg1Frames() {
  static const std::vector<std::vector<std::uint8_t>> frames = [] {
    const double target = EncodedFrames().meanBytes;
    std::vector<std::vector<std::uint8_t>> best;
    double bestDistance = 1e18;
    for (int quantiser = 1; quantiser <= 31; ++quantiser) {
      auto packets = EncodeMpeg1(quantiser);
      double mean = 0;
      for (const auto& p : packets) mean += static_cast<double>(p.size()) / static_cast<double>(packets.size());
      if (std::abs(mean - target) < bestDistance) {
        bestDistance = std::abs(mean - target);
        best = std::move(packets);
      }
    }
    return best;
  }();
  return frames;
}

void BM_DecodeFfmpegMpeg1Intra(benchmark::State& state) {
  const auto& packets = Mpeg1Frames();
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MPEG1VIDEO);
  CodecContext context(avcodec_alloc_context3(codec));
  context->thread_count = 1;
  if (avcodec_open2(context.get(), codec, nullptr) < 0) {
    state.SkipWithError("mpeg1video decoder did not open");
    return;
  }
  Packet packet(av_packet_alloc());
  Frame frame(av_frame_alloc());
  double meanBytes = 0;
  for (const auto& p : packets) meanBytes += static_cast<double>(p.size()) / static_cast<double>(packets.size());
  std::size_t next = 0;
  for (auto _ : state) {
    const auto& bytes = packets[next++ % packets.size()];
    av_new_packet(packet.get(), static_cast<int>(bytes.size()));
    std::memcpy(packet->data, bytes.data(), bytes.size());
    avcodec_send_packet(context.get(), packet.get());
    av_packet_unref(packet.get());
    // The decoder hands out each picture once the next one has arrived.
    if (avcodec_receive_frame(context.get(), frame.get()) == 0) av_frame_unref(frame.get());
  }
  state.counters["bytes_per_frame"] = meanBytes;
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeFfmpegMpeg1Intra);

const std::vector<std::uint8_t>& DecodedPicture() {
  static const std::vector<std::uint8_t> picture = [] {
    const auto& frame = EncodedFrames().frames.front();
    tavrix::VideoDecoder decoder;
    decoder.SelectFormat(4);
    std::vector<std::uint8_t> out(PictureBytes(kWidth, kHeight));
    decoder.ParseHeader(frame.data(), static_cast<std::uint32_t>(frame.size()));
    decoder.Decode(frame.data(), static_cast<std::uint32_t>(frame.size()), out.data());
    return out;
  }();
  return picture;
}

void BM_YuvToBgr24Ours(benchmark::State& state) {
  const auto& picture = DecodedPicture();
  std::vector<std::uint8_t> bgr(kWidth * kHeight * 3);
  for (auto _ : state) {
    tavrix::YuvToBgr24(bgr.data(), picture.data(), kWidth, kHeight);
    benchmark::DoNotOptimize(bgr.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_YuvToBgr24Ours);

void SwscaleToBgr24(benchmark::State& state, int flags) {
  const auto& picture = DecodedPicture();
  SwsContext* context = sws_getContext(kWidth, kHeight, AV_PIX_FMT_YUV420P, kWidth, kHeight, AV_PIX_FMT_BGR24, flags,
                                       nullptr, nullptr, nullptr);
  if (context == nullptr) {
    state.SkipWithError("swscale context failed");
    return;
  }
  std::vector<std::uint8_t> bgr(kWidth * kHeight * 3);
  const std::uint8_t* planes[3] = {picture.data(), picture.data() + kWidth * kHeight,
                                   picture.data() + kWidth * kHeight * 5 / 4};
  const int strides[3] = {kWidth, kWidth / 2, kWidth / 2};
  std::uint8_t* out[1] = {bgr.data()};
  const int outStride[1] = {kWidth * 3};
  for (auto _ : state) {
    sws_scale(context, planes, strides, 0, kHeight, out, outStride);
    benchmark::DoNotOptimize(bgr.data());
  }
  sws_freeContext(context);
  state.SetItemsProcessed(state.iterations());
}
void BM_YuvToBgr24SwscaleBilinear(benchmark::State& state) { SwscaleToBgr24(state, SWS_BILINEAR); }
void BM_YuvToBgr24SwscalePoint(benchmark::State& state) { SwscaleToBgr24(state, SWS_POINT); }
BENCHMARK(BM_YuvToBgr24SwscaleBilinear);
BENCHMARK(BM_YuvToBgr24SwscalePoint);

}  // namespace
