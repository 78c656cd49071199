#include "codec/decoded_picture.h"

#include <cstring>

namespace tavrix {

DecodedPicture::DecodedPicture(std::size_t capacity) : bytes_(capacity, 0) {}

bool DecodedPicture::SetSize(std::uint32_t width, std::uint32_t height) {
  if (PictureBytes(width, height) > bytes_.size()) return false;
  if (width == width_ && height == height_) return true;
  width_ = width;
  height_ = height;
  Clear();
  return true;
}

void DecodedPicture::Clear() {
  const std::size_t luma = std::size_t{width_} * height_;
  std::memset(bytes_.data(), 0, luma);
  std::memset(bytes_.data() + luma, 128, size() - luma);
}

}  // namespace tavrix
