#include "picture/stretch_nearest.h"

#include <cstring>

namespace tavrix {
namespace {

// Source column of each destination column: floor((2 x + 1) w / (2 W)),
// stepped without a division per pixel.
template <std::size_t kBytesPerPixel>
void StretchRow(const std::uint8_t* in, int sourceWidth, std::uint8_t* out, int width) {
  const std::int64_t denominator = 2 * static_cast<std::int64_t>(width);
  std::int64_t column = sourceWidth / denominator;
  std::int64_t remainder = sourceWidth % denominator;
  const std::int64_t step = 2 * static_cast<std::int64_t>(sourceWidth);
  for (int x = 0; x < width; ++x) {
    std::memcpy(out + kBytesPerPixel * static_cast<std::size_t>(x), in + kBytesPerPixel * static_cast<std::size_t>(column),
                kBytesPerPixel);
    remainder += step;
    while (remainder >= denominator) {
      remainder -= denominator;
      ++column;
    }
  }
}

}  // namespace

void StretchNearest(const ConstPixelPlane& source, const PixelPlane& destination, int bytesPerPixel) {
  if (source.width <= 0 || source.height <= 0 || destination.width <= 0 || destination.height <= 0) return;
  const std::size_t rowBytes = static_cast<std::size_t>(destination.width) * static_cast<std::size_t>(bytesPerPixel);
  const std::int64_t denominator = 2 * static_cast<std::int64_t>(destination.height);
  const std::uint8_t* previousOut = nullptr;
  std::int64_t previousRow = -1;
  for (int y = 0; y < destination.height; ++y) {
    const std::int64_t row = (2 * static_cast<std::int64_t>(y) + 1) * source.height / denominator;
    std::uint8_t* out = destination.pixels + destination.stride * y;
    if (row == previousRow) {
      std::memcpy(out, previousOut, rowBytes);
      continue;
    }
    const std::uint8_t* in = source.pixels + source.stride * row;
    if (source.width == destination.width) {
      std::memcpy(out, in, rowBytes);
    } else if (bytesPerPixel == 4) {
      StretchRow<4>(in, source.width, out, destination.width);
    } else if (bytesPerPixel == 3) {
      StretchRow<3>(in, source.width, out, destination.width);
    } else {
      StretchRow<2>(in, source.width, out, destination.width);
    }
    previousRow = row;
    previousOut = out;
  }
}

}  // namespace tavrix
