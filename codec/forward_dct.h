#pragma once
#include <cstddef>
#include <cstdint>

namespace tavrix {

// Orthonormal 8x8 DCT-II of 8 rows of 8 pixels scaled as MPEG-1 coefficients
// (the DC is 8 x the block mean), raster order.
void ForwardDct(const std::uint8_t* pixels, std::ptrdiff_t stride, float out[64]);

}  // namespace tavrix
