#pragma once
#include <cstdint>

namespace tavrix {

// The 40-byte picture description a caller may give the exporter: width,
// height (positive: rows bottom up), 24 bits per pixel, uncompressed.
struct BitmapInfoHeader {
  std::uint32_t size = 40;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t planes = 1;
  std::uint16_t bitCount = 24;
  std::uint32_t compression = 0;
  std::uint32_t imageSize = 0;
  std::int32_t xPelsPerMeter = 0;
  std::int32_t yPelsPerMeter = 0;
  std::uint32_t coloursUsed = 0;
  std::uint32_t coloursImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

}  // namespace tavrix
