#pragma once
#include <optional>
#include <string>
#include <vector>

namespace tavrix {

// The video encoders an export can use, in place of a compression dialog.
enum class VideoCodec { kRaw, kMjpeg, kMpeg4, kH264, kFfv1 };

struct EncoderSettings {
  static constexpr int kDefaultQuality = 75;

  VideoCodec codec = VideoCodec::kMjpeg;
  // 1 (smallest file) to 100 (best picture); the lossless encoders ignore it.
  int quality = kDefaultQuality;
};

// "raw", "mjpeg", "mpeg4", "h264" or "ffv1".
std::optional<VideoCodec> ParseVideoCodec(const std::string& name);
const char* VideoCodecName(VideoCodec codec);
// The libavcodec encoder behind the choice.
const char* EncoderName(VideoCodec codec);
// Whether the installed libavcodec has the encoder.
bool IsEncoderAvailable(VideoCodec codec);
std::vector<VideoCodec> AllVideoCodecs();

// The quality as the encoder's own scale: the quantiser 1-31 of MJPEG and
// MPEG-4 (lower is better), the constant rate factor 0-51 of H.264.
int QuantiserForQuality(int quality);
int RateFactorForQuality(int quality);

}  // namespace tavrix
