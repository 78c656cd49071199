#include "codec/video_decoder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "codec/block_layout.h"
#include "codec/coefficient_codes.h"
#include "codec/scan_tables.h"
#include "media/format_variant.h"

namespace tavrix {
namespace {

constexpr int kVariantQm4 = static_cast<int>(FormatVariant::QM_QM4);
constexpr int kVariantQmn = static_cast<int>(FormatVariant::QM_QMN);
constexpr int kVariantQmt3 = static_cast<int>(FormatVariant::QM_QMT3);
constexpr int kVariantCount = static_cast<int>(FormatVariant::QM_QMC) + 1;

constexpr std::uint32_t kUpdatePictureCode = 0x000001F8;
constexpr std::uint32_t kFullPictureCode = 0x000001F9;
constexpr std::uint32_t kLastFrameCode = 0x000001FD;

bool PortableRequestedByEnvironment() {
  const char* value = std::getenv("TAVRIX_PORTABLE_IDCT");
  return value != nullptr && std::strcmp(value, "1") == 0;
}

}  // namespace

VideoDecoder::VideoDecoder(Idct idct) : requestedIdct_(idct) { SelectIdct(); }

void VideoDecoder::SelectIdct() {
  idctPut_ = IdctPutPortable;
  useSimd_ = false;
  if (requestedIdct_ == Idct::kPortable || PortableRequestedByEnvironment()) return;
#if defined(__x86_64__) || defined(__i386__)
  if (__builtin_cpu_supports("sse2") && IdctPutSse2Function() != nullptr) {
    idctPut_ = IdctPutSse2Function();
    useSimd_ = true;
  }
#endif
}

bool VideoDecoder::SelectFormat(int variant) {
  if (variant < 0 || variant >= kVariantCount) return false;
  variant_ = variant;
  quantiserScale_ = 0;
  width_ = 0;
  height_ = 0;
  pictureNumber_ = 0;
  SelectIdct();
  return true;
}

void VideoDecoder::ReadHeaderFields(const std::uint8_t* frame) {
  const std::uint8_t a = frame[4];
  const bool fullByStartCode = frame[3] == (kFullPictureCode & 0xFF);
  dualPicture_ = false;
  switch (variant_) {
    case kVariantQm4:
      channel_ = (a & 0x07) >= 4 ? 0 : a & 0x07;
      quantiserScale_ = (a >> 3) & 0x0F;
      fullPicture_ = (a & 0x80) != 0;
      break;
    case kVariantQmn:
      channel_ = 0;
      quantiserScale_ = (a >> 3) & 0x0F;
      fullPicture_ = (a & 0x80) != 0;
      pictureNumber_ = static_cast<std::uint16_t>(frame[5] << 8 | frame[6]);
      break;
    case kVariantQmt3: {
      const std::uint8_t b = frame[5];
      channel_ = a & 0x0F;
      quantiserScale_ = a >> 4;
      fullPicture_ = fullByStartCode;
      leftChannel_ = channel_;
      dualPicture_ = (b & 0x80) != 0;
      rightChannel_ = (b >> 3) & 0x0F;
      leftEmpty_ = (b & 0x04) != 0;
      rightEmpty_ = (b & 0x02) != 0;
      break;
    }
    default:
      channel_ = a & 0x0F;
      quantiserScale_ = a >> 4;
      fullPicture_ = fullByStartCode;
      break;
  }
}

bool VideoDecoder::ParseHeader(const std::uint8_t* frame, std::uint32_t length) {
  scanState_ = 0xFFFFFFFF;
  if (frame == nullptr || length <= 5) return false;
  const std::uint32_t startCode =
      std::uint32_t{frame[0]} << 24 | std::uint32_t{frame[1]} << 16 | std::uint32_t{frame[2]} << 8 | frame[3];
  if (startCode != kUpdatePictureCode && startCode != kFullPictureCode) return false;
  // The two picture-number bytes of the network layout need a frame of 7 bytes.
  if (variant_ == kVariantQmn && length < 7) return false;
  ReadHeaderFields(frame);
  if (quantiserScale_ == 15) return false;

  sliceCount_ = 0;
  for (std::uint32_t offset = 5; offset < length; ++offset) {
    scanState_ = scanState_ << 8 | frame[offset];
    if (scanState_ >= kUpdatePictureCode && scanState_ <= kLastFrameCode) break;
    if ((scanState_ >> 8) == 0x000001) {
      if (sliceCount_ == kMaxSlices) return false;
      sliceTable_[sliceCount_++] = offset - 3;
    }
  }
  if (sliceCount_ == 14) {
    width_ = kPictureWidth;
    height_ = kNtscHeight;
  } else if (sliceCount_ == 17) {
    width_ = kPictureWidth;
    height_ = kPalHeight;
  } else {
    return false;
  }
  return true;
}

bool VideoDecoder::Decode(const std::uint8_t* frame, std::uint32_t length, std::uint8_t* picture) {
  if (frame == nullptr || picture == nullptr || length < 5 || quantiserScale_ == 0 || width_ == 0 ||
      height_ == 0) {
    return false;
  }
  if (quantTableScale_ != quantiserScale_) RebuildQuantTable();
  for (std::uint32_t i = 0; i < sliceCount_; ++i) {
    BitReader bits(frame, length, sliceTable_[i]);
    if (!DecodeSlice(bits, picture)) return false;
  }
  return true;
}

void VideoDecoder::RebuildQuantTable() {
  for (std::size_t k = 0; k < 64; ++k) {
    quantTable_[k] = static_cast<std::uint32_t>(quantiserScale_) * kIntraMatrix[k];
  }
  quantTableScale_ = quantiserScale_;
}

bool VideoDecoder::DecodeSlice(BitReader& bits, std::uint8_t* picture) {
  if (bits.Read(24) != 0x000001) return false;
  const std::uint32_t row = bits.Read(5);
  if (row >= height_ / 16) return false;
  const std::uint32_t columns = width_ / 16;
  std::uint32_t column = 0;
  for (;;) {
    std::uint32_t pattern = 0x0F;
    if (!fullPicture_) {
      const std::uint32_t increment = bits.Read(6);
      if (increment == 0) return true;
      column += increment - 1;
      // A macroblock beyond the row would land in the next row or outside the picture.
      if (column >= columns) return false;
      pattern = bits.Read(4);
    }
    for (int block = 0; block < 6; ++block) {
      if (block < 4 && !(pattern >> block & 1)) continue;
      if (!DecodeBlock(bits)) return false;
      StoreBlock(picture, row, column, block);
    }
    if (++column == columns) return true;
  }
}

bool VideoDecoder::DecodeBlock(BitReader& bits) {
  block_.fill(0);
  block_[0] = static_cast<std::int16_t>(bits.Read(8) * 8);
  acCoded_ = false;
  std::uint32_t position = 0;
  for (;;) {
    ++position;
    const std::uint32_t next = bits.Peek(16);
    if (next < 16) return false;
    const CoefficientEntry& code = LookupCoefficient(next);
    bits.Skip(code.length);
    if (code.run == kEndOfBlockRun) return true;
    std::int32_t level = 0;
    if (code.run == kEscapeRun) {
      position += bits.Read(6);
      const std::uint32_t first = bits.Read(8);
      if (first == 0) {
        level = static_cast<std::int32_t>(bits.Read(8));
      } else if (first == 128) {
        level = static_cast<std::int32_t>(bits.Read(8)) - 256;
      } else {
        level = first < 128 ? static_cast<std::int32_t>(first) : static_cast<std::int32_t>(first) - 256;
      }
    } else {
      position += code.run;
      level = bits.Read(1) ? -code.level : code.level;
    }
    if (position >= 64) return false;
    const std::uint8_t raster = kZigzag[position];
    const std::uint32_t magnitude = (static_cast<std::uint32_t>(std::abs(level)) * quantTable_[raster]) >> 2;
    acCoded_ = true;
    block_[raster] = level < 0 ? static_cast<std::int16_t>(-static_cast<std::int32_t>(std::min(magnitude, 2048u)))
                               : static_cast<std::int16_t>(std::min(magnitude, 2047u));
  }
}

void VideoDecoder::StoreBlock(std::uint8_t* picture, std::uint32_t row, std::uint32_t column, int block) {
  const BlockPlace place = PlaceBlock(width_, height_, row, column, block);
  std::uint8_t* out = picture + place.offset;
  if (acCoded_) {
    idctPut_(block_.data(), out, place.stride);
    return;
  }
  // A block of its DC alone is flat: what both IDCTs give for it, without the transform.
  const std::int32_t flat = (block_[0] * 8 + 32) >> 6;
  const auto value = static_cast<std::uint8_t>(flat < 0 ? 0 : flat > 255 ? 255 : flat);
  for (int y = 0; y < 8; ++y) std::memset(out + y * place.stride, value, 8);
}

}  // namespace tavrix
