#include "video/bmp_image.h"

#include <cstring>

namespace tavrix {
namespace {

constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint32_t kInfoHeaderBytes = 40;
// 72 dots per inch, as the clipboard's device-independent bitmaps carry.
constexpr std::int32_t kPixelsPerMetre = 2835;

void Put16(std::uint8_t*& out, std::uint16_t value) {
  *out++ = static_cast<std::uint8_t>(value);
  *out++ = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t*& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) *out++ = static_cast<std::uint8_t>(value >> shift);
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp24(const std::uint8_t* rows, std::size_t stride, int width, int height) {
  if (width <= 0 || height <= 0) return {};
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  const std::size_t paddedRow = (rowBytes + 3) & ~std::size_t{3};
  const std::size_t imageBytes = paddedRow * static_cast<std::size_t>(height);
  const std::size_t pixelOffset = kFileHeaderBytes + kInfoHeaderBytes;
  std::vector<std::uint8_t> file(pixelOffset + imageBytes, 0);

  std::uint8_t* out = file.data();
  Put16(out, 0x4D42);  // "BM"
  Put32(out, static_cast<std::uint32_t>(file.size()));
  Put16(out, 0);
  Put16(out, 0);
  Put32(out, static_cast<std::uint32_t>(pixelOffset));

  Put32(out, kInfoHeaderBytes);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));  // positive: bottom row first
  Put16(out, 1);                                    // planes
  Put16(out, 24);                                   // bits per pixel
  Put32(out, 0);                                    // uncompressed
  Put32(out, static_cast<std::uint32_t>(imageBytes));
  Put32(out, static_cast<std::uint32_t>(kPixelsPerMetre));
  Put32(out, static_cast<std::uint32_t>(kPixelsPerMetre));
  Put32(out, 0);  // colours used: none, no table
  Put32(out, 0);  // important colours

  for (int y = 0; y < height; ++y) {
    const std::uint8_t* source = rows + stride * static_cast<std::size_t>(y);
    std::memcpy(file.data() + pixelOffset + paddedRow * static_cast<std::size_t>(height - 1 - y), source, rowBytes);
  }
  return file;
}

}  // namespace tavrix
