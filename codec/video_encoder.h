#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "codec/decoded_picture.h"

namespace tavrix {

// Encoder of the recorder's video format, the inverse of VideoDecoder: it
// makes the demo recording, the test fixtures and the simulator's live
// stream. A full picture carries every macroblock; an update picture only the
// macroblocks and luminance blocks that changed beyond the threshold since
// they were last coded (conditional replenishment). Comparing with the source
// as last coded, not with the previous picture, lets slow changes add up
// until they are sent. The encoder also keeps what a decoder holds for each
// channel, so its reconstruction can be checked against a decoder.
//
// The output never contains 00 00 01 inside slice data: DC values stay within
// 1..255, levels within -255..255, and a coded macroblock carries at least one
// luminance block, which keeps every run of zero bits far below 23.
class VideoEncoder {
 public:
  enum class Kind { kFull, kUpdate };
  static constexpr int kMaxChannels = 16;
  static constexpr int kDefaultThreshold = 3;

  // `variant` is the header layout, a FormatVariant 0..6; out-of-range values
  // fall back to QM_QMT2. QM_QMT3 frames are written as single pictures.
  explicit VideoEncoder(int variant = 4);

  // A block counts as changed when its mean absolute difference to the
  // reference exceeds `threshold` grey levels (0 codes every difference).
  void SetThreshold(int threshold) { threshold_ = threshold < 0 ? 0 : threshold; }
  // The next picture number of the QM_QMN layout (counts up by one per frame).
  void SetPictureNumber(std::uint16_t number) { pictureNumber_ = number; }

  // Encodes a planar YUV 4:2:0 picture of 640 x 224 or 640 x 272 for
  // `channel` (0..15; 0..7 for QM_QM4; the QM_QMN header has no channel, the
  // value only chooses the reference) at quantiser scale 1..14 into `out`
  // (replaced). False, with `out` empty, on any other size, channel or scale.
  // An update picture before any full picture of its channel is coded
  // against a black picture.
  bool Encode(const std::uint8_t* picture, std::uint32_t width, std::uint32_t height, int channel, int scale,
              Kind kind, std::vector<std::uint8_t>& out);

  // What a decoder holds for the channel after the frames encoded so far.
  const DecodedPicture& Reference(int channel) const { return references_[channel]; }
  // Macroblocks and luminance blocks carried by the last frame.
  int codedMacroblocks() const { return codedMacroblocks_; }
  int codedLumaBlocks() const { return codedLumaBlocks_; }

 private:
  void WriteHeader(int channel, int scale, Kind kind, std::vector<std::uint8_t>& out);
  bool BlockChanged(const std::uint8_t* picture, const DecodedPicture& lastCoded, std::uint32_t row,
                    std::uint32_t column, int block) const;
  // The luminance blocks of an update macroblock to code, bit k for block k;
  // 0 when nothing in the macroblock changed enough.
  unsigned ChangedPattern(const std::uint8_t* picture, const DecodedPicture& lastCoded, std::uint32_t row,
                          std::uint32_t column) const;
  // The chosen luminance blocks and both chrominance blocks.
  void EncodeMacroblock(class BitWriter& bits, const std::uint8_t* picture, int channel, std::uint32_t row,
                        std::uint32_t column, unsigned pattern);
  void EncodeBlock(class BitWriter& bits, const std::uint8_t* source, std::ptrdiff_t stride, std::uint8_t* reconstruction);

  int variant_;
  int threshold_ = kDefaultThreshold;
  std::uint16_t pictureNumber_ = 0;
  int scale_ = 0;
  std::array<std::uint32_t, 64> quantTable_{};
  std::array<DecodedPicture, kMaxChannels> references_;
  std::array<DecodedPicture, kMaxChannels> lastCoded_;
  int codedMacroblocks_ = 0;
  int codedLumaBlocks_ = 0;
};

}  // namespace tavrix
