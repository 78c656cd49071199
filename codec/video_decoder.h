#pragma once
#include <array>
#include <cstdint>

#include "codec/bit_reader.h"
#include "codec/decoded_picture.h"
#include "codec/idct.h"

namespace tavrix {

// Decoder of the recorder's own video format: intra-coded 8x8 DCT blocks built
// from MPEG-1 elements, full pictures and update pictures (conditional
// replenishment), one slice per row of macroblocks.
//
// Calling order per compressed frame: ParseHeader; if true, Decode into the
// picture buffer of the frame's channel (see ChannelDecoder, which keeps one
// reference picture per channel). Not thread-safe: one thread at a time.
class VideoDecoder {
 public:
  enum class Idct {
    kFastest,   // SIMD when the processor has it (bit-exact to the portable one)
    kPortable,  // the reference integer IDCT in plain C++
  };
  static constexpr std::uint32_t kMaxSlices = 20;

  // kFastest is overridden by the environment variable TAVRIX_PORTABLE_IDCT=1.
  explicit VideoDecoder(Idct idct = Idct::kFastest);
  virtual ~VideoDecoder() = default;
  VideoDecoder(const VideoDecoder&) = delete;
  VideoDecoder& operator=(const VideoDecoder&) = delete;

  // Chooses the header layout, a FormatVariant 0..6 (storage/format_variant.h);
  // clears the picture size, quantiser scale and picture number. False for an
  // index outside 0..6 (nothing changed).
  bool SelectFormat(int variant);

  // Reads the header of one compressed frame (from its 00 00 01 F8/F9 start
  // code) and finds its slices. True when the frame can be decoded.
  bool ParseHeader(const std::uint8_t* frame, std::uint32_t length);

  // Decodes the frame last given to ParseHeader into `picture`, a planar YUV
  // 4:2:0 buffer of at least Width() x Height() x 3/2 bytes that holds the
  // channel's previous picture. Writes only the blocks the frame carries.
  // False on the first bitstream error (blocks already written stay); false
  // without writing anything when the header left no decodable state.
  bool Decode(const std::uint8_t* frame, std::uint32_t length, std::uint8_t* picture);

  std::uint32_t Width() const { return width_; }
  std::uint32_t Height() const { return height_; }
  int Channel() const { return channel_; }

  int variant() const { return variant_; }
  int quantiserScale() const { return quantiserScale_; }
  bool fullPicture() const { return fullPicture_; }
  std::uint16_t pictureNumber() const { return pictureNumber_; }
  std::uint32_t sliceCount() const { return sliceCount_; }
  const std::array<std::uint32_t, kMaxSlices>& sliceTable() const { return sliceTable_; }
  // Dual-picture fields of the QM_QMT3 layout; dualPicture() is false for the others.
  int leftChannel() const { return leftChannel_; }
  int rightChannel() const { return rightChannel_; }
  bool dualPicture() const { return dualPicture_; }
  bool leftEmpty() const { return leftEmpty_; }
  bool rightEmpty() const { return rightEmpty_; }
  // True when blocks are reconstructed with the SIMD IDCT.
  bool usesSimdIdct() const { return useSimd_; }

 private:
  void SelectIdct();
  void ReadHeaderFields(const std::uint8_t* frame);
  bool DecodeSlice(BitReader& bits, std::uint8_t* picture);
  bool DecodeBlock(BitReader& bits);
  void StoreBlock(std::uint8_t* picture, std::uint32_t row, std::uint32_t column, int block);
  void RebuildQuantTable();

  Idct requestedIdct_;
  bool useSimd_ = false;
  IdctPutFunction idctPut_ = IdctPutPortable;
  int variant_ = 0;
  std::uint32_t scanState_ = 0xFFFFFFFF;
  int channel_ = 0;
  std::uint16_t pictureNumber_ = 0;
  int leftChannel_ = 0;
  int rightChannel_ = 0;
  bool dualPicture_ = false;
  bool leftEmpty_ = false;
  bool rightEmpty_ = false;
  int quantiserScale_ = 0;
  bool fullPicture_ = false;
  std::uint32_t width_ = 0;
  std::uint32_t height_ = 0;
  std::uint32_t sliceCount_ = 0;
  std::array<std::uint32_t, kMaxSlices> sliceTable_{};

  int quantTableScale_ = 0;
  std::array<std::uint32_t, 64> quantTable_{};
  alignas(16) std::array<std::int16_t, 64> block_{};
  bool acCoded_ = false;  // the block holds more than its DC
};

// Cuts a dual picture (two channels side by side) of width x height into two
// planar YUV 4:2:0 pictures of (width/2) x height.
void SplitDualPicture(std::uint32_t width, const std::uint8_t* dual, std::uint32_t height,
                      std::uint8_t* left, std::uint8_t* right);

}  // namespace tavrix
