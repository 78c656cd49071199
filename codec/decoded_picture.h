#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavrix {

// The recorder's two picture sizes: one field of an NTSC or PAL frame.
inline constexpr std::uint32_t kPictureWidth = 640;
inline constexpr std::uint32_t kNtscHeight = 224;
inline constexpr std::uint32_t kPalHeight = 272;

// Bytes of a planar YUV 4:2:0 picture of width x height.
constexpr std::size_t PictureBytes(std::uint32_t width, std::uint32_t height) {
  return static_cast<std::size_t>(width) * height * 3 / 2;
}
inline constexpr std::size_t kMaxPictureBytes = PictureBytes(kPictureWidth, kPalHeight);

// One picture as planar YUV 4:2:0: Y, then Cb, then Cr, tightly packed, top
// row first, full-range luminance and chroma centred on 128. The buffer is
// allocated once for the largest picture and reused; it starts black. Since
// the decoder writes only the blocks a frame carries, the picture is also the
// reference for the next update picture of its channel.
class DecodedPicture {
 public:
  explicit DecodedPicture(std::size_t capacity = kMaxPictureBytes);

  // Sets the picture size; false (nothing changed) when it does not fit.
  bool SetSize(std::uint32_t width, std::uint32_t height);
  // Paints the whole buffer black (Y 0, Cb and Cr 128) for the current size.
  void Clear();

  std::uint32_t width() const { return width_; }
  std::uint32_t height() const { return height_; }
  std::size_t size() const { return PictureBytes(width_, height_); }
  std::size_t capacity() const { return bytes_.size(); }

  std::uint8_t* data() { return bytes_.data(); }
  const std::uint8_t* data() const { return bytes_.data(); }
  const std::uint8_t* y() const { return bytes_.data(); }
  const std::uint8_t* cb() const { return bytes_.data() + std::size_t{width_} * height_; }
  const std::uint8_t* cr() const { return cb() + std::size_t{width_} * height_ / 4; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::uint32_t width_ = 0;
  std::uint32_t height_ = 0;
};

}  // namespace tavrix
