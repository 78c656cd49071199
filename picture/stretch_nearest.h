#pragma once
#include <cstddef>
#include <cstdint>

namespace tavrix {

// A packed picture of 2, 3 or 4 bytes per pixel.
template <typename Byte>
struct PixelPlaneOf {
  Byte* pixels = nullptr;
  int width = 0;
  int height = 0;
  std::ptrdiff_t stride = 0;  // bytes from one row to the next
};
using PixelPlane = PixelPlaneOf<std::uint8_t>;
using ConstPixelPlane = PixelPlaneOf<const std::uint8_t>;

// Stretches `source` over the whole of `destination`, nearest pixel: each
// destination pixel takes the source pixel under its centre, so a picture
// shown at twice its height repeats every row once. Rows that repeat are
// copied whole, and rows of the same width are copied without a per-pixel
// step.
void StretchNearest(const ConstPixelPlane& source, const PixelPlane& destination, int bytesPerPixel);

}  // namespace tavrix
