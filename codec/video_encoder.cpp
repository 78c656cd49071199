#include "codec/video_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "codec/bit_writer.h"
#include "codec/block_layout.h"
#include "codec/coefficient_codes.h"
#include "codec/forward_dct.h"
#include "codec/idct.h"
#include "codec/scan_tables.h"
#include "media/format_variant.h"

namespace tavrix {
namespace {

constexpr int kVariantQm4 = static_cast<int>(FormatVariant::QM_QM4);
constexpr int kVariantQmn = static_cast<int>(FormatVariant::QM_QMN);
constexpr int kVariantQmt2 = static_cast<int>(FormatVariant::QM_QMT2);
constexpr int kVariantQmt3 = static_cast<int>(FormatVariant::QM_QMT3);
constexpr int kVariantCount = static_cast<int>(FormatVariant::QM_QMC) + 1;
constexpr int kMaxLevel = 255;

// Index into RunLevelCodes() by run (0..31) and level (1..40); -1 when the
// pair has no code of its own and goes through the escape.
struct CodeIndex {
  std::array<std::array<std::int16_t, 41>, 32> index{};
  CodeIndex() {
    for (auto& levels : index) levels.fill(-1);
    const auto codes = RunLevelCodes();
    for (std::size_t i = 0; i < codes.size(); ++i) {
      index[codes[i].run][codes[i].level] = static_cast<std::int16_t>(i);
    }
  }
};

void PutCoefficient(BitWriter& bits, int run, int level) {
  static const CodeIndex table;
  const int magnitude = std::abs(level);
  if (run < 32 && magnitude <= 40 && table.index[run][magnitude] >= 0) {
    const CoefficientCode& code = RunLevelCodes()[table.index[run][magnitude]];
    bits.Put(code.bits, code.length);
    bits.Put(level < 0 ? 1 : 0, 1);
    return;
  }
  bits.Put(kEscapeCode.bits, kEscapeCode.length);
  bits.Put(static_cast<std::uint32_t>(run), 6);
  if (level >= 128) {
    bits.Put(0, 8);
    bits.Put(static_cast<std::uint32_t>(level), 8);
  } else if (level <= -128) {
    bits.Put(128, 8);
    bits.Put(static_cast<std::uint32_t>(level + 256), 8);
  } else {
    bits.Put(static_cast<std::uint32_t>(level & 0xFF), 8);
  }
}

// Sum of absolute differences of an 8x8 block.
int BlockDifference(const std::uint8_t* a, const std::uint8_t* b, std::ptrdiff_t stride) {
  int sum = 0;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) sum += std::abs(a[y * stride + x] - b[y * stride + x]);
  }
  return sum;
}

void CopyBlock(const std::uint8_t* from, std::uint8_t* to, std::ptrdiff_t stride) {
  for (int y = 0; y < 8; ++y) std::memcpy(to + y * stride, from + y * stride, 8);
}

}  // namespace

VideoEncoder::VideoEncoder(int variant)
    : variant_(variant >= 0 && variant < kVariantCount ? variant : kVariantQmt2) {}

void VideoEncoder::WriteHeader(int channel, int scale, Kind kind, std::vector<std::uint8_t>& out) {
  const bool full = kind == Kind::kFull;
  out.insert(out.end(), {0x00, 0x00, 0x01, static_cast<std::uint8_t>(full ? 0xF9 : 0xF8)});
  switch (variant_) {
    case kVariantQm4:
      out.push_back(static_cast<std::uint8_t>((full ? 0x80 : 0) | scale << 3 | channel));
      break;
    case kVariantQmn:
      out.push_back(static_cast<std::uint8_t>((full ? 0x80 : 0) | scale << 3));
      out.push_back(static_cast<std::uint8_t>(pictureNumber_ >> 8));
      out.push_back(static_cast<std::uint8_t>(pictureNumber_ & 0xFF));
      ++pictureNumber_;
      break;
    case kVariantQmt3:
      out.push_back(static_cast<std::uint8_t>(scale << 4 | channel));
      out.push_back(0);  // a single picture: no dual flag, no right channel
      break;
    default:
      out.push_back(static_cast<std::uint8_t>(scale << 4 | channel));
      break;
  }
}

bool VideoEncoder::BlockChanged(const std::uint8_t* picture, const DecodedPicture& lastCoded, std::uint32_t row,
                                std::uint32_t column, int block) const {
  const BlockPlace place = PlaceBlock(lastCoded.width(), lastCoded.height(), row, column, block);
  return BlockDifference(picture + place.offset, lastCoded.data() + place.offset, place.stride) > threshold_ * 64;
}

void VideoEncoder::EncodeBlock(BitWriter& bits, const std::uint8_t* source, std::ptrdiff_t stride,
                               std::uint8_t* reconstruction) {
  float coefficients[64];
  ForwardDct(source, stride, coefficients);
  alignas(16) std::int16_t block[64] = {};

  // The DC is the block mean in grey levels; 0 is avoided (see the class note).
  const int dc = std::clamp(static_cast<int>(std::lround(coefficients[0] / 8)), 1, 255);
  bits.Put(static_cast<std::uint32_t>(dc), 8);
  block[0] = static_cast<std::int16_t>(dc * 8);

  int lastPosition = 0;
  for (int position = 1; position < 64; ++position) {
    const int raster = kZigzag[position];
    // The decoder's step is scale x W / 4 (twice MPEG-1's).
    const float step = static_cast<float>(quantTable_[raster]) / 4.0f;
    const int level = std::clamp(static_cast<int>(std::lround(coefficients[raster] / step)), -kMaxLevel, kMaxLevel);
    if (level == 0) continue;
    PutCoefficient(bits, position - lastPosition - 1, level);
    lastPosition = position;
    const std::uint32_t magnitude = (static_cast<std::uint32_t>(std::abs(level)) * quantTable_[raster]) >> 2;
    block[raster] = level < 0 ? static_cast<std::int16_t>(-static_cast<std::int32_t>(std::min(magnitude, 2048u)))
                              : static_cast<std::int16_t>(std::min(magnitude, 2047u));
  }
  bits.Put(kEndOfBlockCode.bits, kEndOfBlockCode.length);
  IdctPutPortable(block, reconstruction, stride);
}

unsigned VideoEncoder::ChangedPattern(const std::uint8_t* picture, const DecodedPicture& lastCoded, std::uint32_t row,
                                      std::uint32_t column) const {
  unsigned pattern = 0;
  for (int block = 0; block < 4; ++block) pattern |= BlockChanged(picture, lastCoded, row, column, block) << block;
  if (pattern != 0) return pattern;
  // A coded macroblock always carries a luminance block.
  return BlockChanged(picture, lastCoded, row, column, 4) || BlockChanged(picture, lastCoded, row, column, 5) ? 1 : 0;
}

void VideoEncoder::EncodeMacroblock(BitWriter& bits, const std::uint8_t* picture, int channel, std::uint32_t row,
                                    std::uint32_t column, unsigned pattern) {
  DecodedPicture& reference = references_[channel];
  DecodedPicture& lastCoded = lastCoded_[channel];
  for (int block = 0; block < 6; ++block) {
    if (block < 4 && !(pattern >> block & 1)) continue;
    const BlockPlace place = PlaceBlock(reference.width(), reference.height(), row, column, block);
    EncodeBlock(bits, picture + place.offset, place.stride, reference.data() + place.offset);
    CopyBlock(picture + place.offset, lastCoded.data() + place.offset, place.stride);
    if (block < 4) ++codedLumaBlocks_;
  }
  ++codedMacroblocks_;
}

bool VideoEncoder::Encode(const std::uint8_t* picture, std::uint32_t width, std::uint32_t height, int channel,
                          int scale, Kind kind, std::vector<std::uint8_t>& out) {
  out.clear();
  const int channelLimit = variant_ == kVariantQm4 ? 8 : kMaxChannels;
  if (picture == nullptr || width != kPictureWidth || (height != kNtscHeight && height != kPalHeight) ||
      channel < 0 || channel >= channelLimit || scale < 1 || scale > 14) {
    return false;
  }
  if (scale != scale_) {
    for (std::size_t k = 0; k < 64; ++k) quantTable_[k] = static_cast<std::uint32_t>(scale) * kIntraMatrix[k];
    scale_ = scale;
  }
  const DecodedPicture& lastCoded = lastCoded_[channel];
  references_[channel].SetSize(width, height);
  lastCoded_[channel].SetSize(width, height);
  codedMacroblocks_ = 0;
  codedLumaBlocks_ = 0;

  WriteHeader(channel, scale, kind, out);
  BitWriter bits(out);
  const std::uint32_t rows = height / 16;
  const std::uint32_t columns = width / 16;
  for (std::uint32_t row = 0; row < rows; ++row) {
    bits.Put(0x000001, 24);
    bits.Put(row, 5);
    std::uint32_t nextColumn = 0;  // the column the decoder expects next
    for (std::uint32_t column = 0; column < columns; ++column) {
      unsigned pattern = 0x0F;
      if (kind == Kind::kUpdate) {
        pattern = ChangedPattern(picture, lastCoded, row, column);
        if (pattern == 0) continue;
        bits.Put(column - nextColumn + 1, 6);
        bits.Put(pattern, 4);
      }
      EncodeMacroblock(bits, picture, channel, row, column, pattern);
      nextColumn = column + 1;
    }
    if (kind == Kind::kUpdate && nextColumn < columns) bits.Put(0, 6);  // increment 0 ends the slice
    bits.AlignToByte();
  }
  return true;
}

}  // namespace tavrix
