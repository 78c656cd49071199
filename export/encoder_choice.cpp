#include "export/encoder_choice.h"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace tavrix {

namespace {

struct CodecEntry {
  VideoCodec codec;
  const char* name;
  const char* encoder;
};

constexpr CodecEntry kCodecs[] = {
    {VideoCodec::kRaw, "raw", "rawvideo"},   {VideoCodec::kMjpeg, "mjpeg", "mjpeg"},
    {VideoCodec::kMpeg4, "mpeg4", "mpeg4"},  {VideoCodec::kH264, "h264", "libx264"},
    {VideoCodec::kFfv1, "ffv1", "ffv1"},
};

const CodecEntry& EntryFor(VideoCodec codec) {
  for (const auto& entry : kCodecs) {
    if (entry.codec == codec) return entry;
  }
  return kCodecs[0];
}

int ScaleQuality(int quality, int best, int worst) {
  const int clamped = std::clamp(quality, 1, 100);
  // Linear from quality 100 (best) to quality 1 (worst), rounded to nearest.
  return best + ((100 - clamped) * (worst - best) + 49) / 99;
}

}  // namespace

std::optional<VideoCodec> ParseVideoCodec(const std::string& name) {
  for (const auto& entry : kCodecs) {
    if (name == entry.name) return entry.codec;
  }
  return std::nullopt;
}

const char* VideoCodecName(VideoCodec codec) { return EntryFor(codec).name; }
const char* EncoderName(VideoCodec codec) { return EntryFor(codec).encoder; }

bool IsEncoderAvailable(VideoCodec codec) {
  return avcodec_find_encoder_by_name(EncoderName(codec)) != nullptr;
}

std::vector<VideoCodec> AllVideoCodecs() {
  std::vector<VideoCodec> codecs;
  for (const auto& entry : kCodecs) codecs.push_back(entry.codec);
  return codecs;
}

int QuantiserForQuality(int quality) { return ScaleQuality(quality, 1, 31); }
int RateFactorForQuality(int quality) { return ScaleQuality(quality, 0, 51); }

}  // namespace tavrix
