#pragma once
#include <cstddef>
#include <cstdint>

namespace tavrix {

// 8x8 inverse DCT of a dequantised coefficient block (raster order, 16-byte
// aligned), limited to 0..255 and stored as 8 rows of 8 bytes at `out`, rows
// `stride` bytes apart. The block is used as working space.
using IdctPutFunction = void (*)(std::int16_t* block, std::uint8_t* out, std::ptrdiff_t stride);

// The reference: Chen-Wang integer IDCT on 32-bit two's-complement arithmetic
// (products wrap), row results kept as 16-bit values.
void IdctPutPortable(std::int16_t* block, std::uint8_t* out, std::ptrdiff_t stride);

// The same arithmetic on SSE2 registers, bit-exact to the portable one; null
// when the build has no SSE2 code.
IdctPutFunction IdctPutSse2Function();

}  // namespace tavrix
