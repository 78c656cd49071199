#pragma once
#include <cstdint>

#include "picture/surface_format.h"

namespace tavrix {

// Planar YUV 4:2:0 (a decoded picture) to packed RGB layouts. Each 2x2 block
// of pixels shares its chroma pair; no interpolation. Every component lies in
// 1..255 before packing. Destinations are tightly packed (no row padding);
// width and height are even. Stateless: any thread may call them.

// 16-bit little-endian pixels, top row first, width x height x 2 bytes.
void YuvToRgb555(std::uint8_t* destination, const std::uint8_t* source, int width, int height);
void YuvToRgb565(std::uint8_t* destination, const std::uint8_t* source, int width, int height);
void YuvToBgr565(std::uint8_t* destination, const std::uint8_t* source, int width, int height);
// Bytes B, G, R, top row first.
void YuvToBgr24(std::uint8_t* destination, const std::uint8_t* source, int width, int height);
// Bytes B, G, R, 0, top row first.
void YuvToXrgb32(std::uint8_t* destination, const std::uint8_t* source, int width, int height);
// The converter for a surface of `format`, top row first.
void YuvToSurface(SurfaceFormat format, std::uint8_t* destination, const std::uint8_t* source, int width,
                  int height);
// Bytes B, G, R, bottom row first (device-independent bitmap order).
void YuvToBgr24BottomUp(std::uint8_t* destination, const std::uint8_t* source, int width, int height);
// Bytes B, G, R into a bitmap of 2 x height rows, bottom row first: picture
// row y goes to bitmap row 2 x (height - 1 - y). DoubleLines fills the rows between.
void YuvToBgr24Doubled(std::uint8_t* destination, const std::uint8_t* source, int width, int height);

// Each odd bitmap row 1, 3, ... 2 x height - 3 becomes the average (rounded
// down) of its neighbours. The top bitmap row (2 x height - 1) is left as it is.
void DoubleLines(std::uint8_t* destination, int width, int height);

}  // namespace tavrix
