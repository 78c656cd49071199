#pragma once
#include <array>
#include <cstdint>

#include "codec/decoded_picture.h"
#include "codec/video_decoder.h"

namespace tavrix {

// Decodes an interleaved multi-channel stream with one reference picture per
// channel: an update picture only replaces blocks of its own channel's
// previous picture. A dual picture decodes against the picture of the channel
// in its header and is then cut into its two halves.
class ChannelDecoder {
 public:
  static constexpr int kMaxChannels = 16;

  // A picture ready to show: the channel it belongs to and its pixels.
  struct Shown {
    int channel = 0;
    const DecodedPicture* picture = nullptr;
  };
  // What one frame produced. `decoded` is false when the header or the
  // bitstream was refused; `shownCount` pictures are in `shown` (0 to 2).
  struct Outcome {
    bool decoded = false;
    int shownCount = 0;
    std::array<Shown, 2> shown{};
  };

  explicit ChannelDecoder(VideoDecoder::Idct idct = VideoDecoder::Idct::kFastest);

  // Chooses the header layout (FormatVariant 0..6) and forgets every reference picture.
  bool SelectFormat(int variant);
  // Parses and decodes one compressed frame into the picture of its channel.
  Outcome Decode(const std::uint8_t* frame, std::uint32_t length);
  // Makes every channel's picture black again (after a seek, a new source).
  void Reset();

  // The current picture of a channel (0..15); size 0 x 0 before its first frame.
  const DecodedPicture& Picture(int channel) const { return pictures_[channel]; }
  // The decoder itself, for a look at the header fields (ParseHeader is repeatable).
  VideoDecoder& decoder() { return decoder_; }
  const VideoDecoder& decoder() const { return decoder_; }

 private:
  VideoDecoder decoder_;
  std::array<DecodedPicture, kMaxChannels> pictures_;
  DecodedPicture leftHalf_;
  DecodedPicture rightHalf_;
};

}  // namespace tavrix
