#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavrix {

// A picture as a 24-bit BMP file: the 14-byte file header, the 40-byte
// information header (uncompressed, no colour table), then the pixels at
// offset 54, bottom row first, each row padded to a multiple of four bytes.
// `rows` holds B, G, R pixels, top row first, `stride` bytes apart.
std::vector<std::uint8_t> EncodeBmp24(const std::uint8_t* rows, std::size_t stride, int width, int height);

}  // namespace tavrix
