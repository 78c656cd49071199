#pragma once
#include <cstdint>

#include "picture/surface_format.h"

namespace tavrix {

// A presented surface picture (top row first, tightly packed) back to a
// bottom-up 24-bit bitmap (bytes B, G, R) of width x height x 3 bytes, for
// the video writer. Widened components have zero low bits.
void Rgb555ToBgr24BottomUp(std::uint8_t* destination, const std::uint8_t* source, int width, int height);
void Rgb565ToBgr24BottomUp(std::uint8_t* destination, const std::uint8_t* source, int width, int height);
void Bgr565ToBgr24BottomUp(std::uint8_t* destination, const std::uint8_t* source, int width, int height);
void Bgr24ToBgr24BottomUp(std::uint8_t* destination, const std::uint8_t* source, int width, int height);
void Xrgb32ToBgr24BottomUp(std::uint8_t* destination, const std::uint8_t* source, int width, int height);

// The converter for `format`.
void SurfaceToBgr24BottomUp(SurfaceFormat format, std::uint8_t* destination, const std::uint8_t* source, int width,
                            int height);

}  // namespace tavrix
