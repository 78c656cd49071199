#pragma once
#include <cstddef>
#include <cstdint>

namespace tavrix {

// Where block j (0..3 luminance, 4 Cb, 5 Cr) of the macroblock at (row,
// column) lies in a planar YUV 4:2:0 picture of width x height.
struct BlockPlace {
  std::size_t offset;
  std::ptrdiff_t stride;
};

inline BlockPlace PlaceBlock(std::uint32_t width, std::uint32_t height, std::uint32_t row, std::uint32_t column,
                             int block) {
  if (block < 4) {
    const std::size_t x = std::size_t{16} * column + 8 * (block & 1);
    const std::size_t y = std::size_t{16} * row + 8 * (block >> 1);
    return {y * width + x, static_cast<std::ptrdiff_t>(width)};
  }
  const std::size_t lumaBytes = std::size_t{width} * height;
  const std::size_t plane = block == 4 ? lumaBytes : lumaBytes + lumaBytes / 4;
  const std::size_t chromaWidth = width / 2;
  return {plane + std::size_t{8} * row * chromaWidth + std::size_t{8} * column,
          static_cast<std::ptrdiff_t>(chromaWidth)};
}

}  // namespace tavrix
