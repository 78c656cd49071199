#pragma once
#include <cstdint>

namespace tavrix {

// Converts two picture rows that share one row of chroma into BGR24 rows
// (bytes B, G, R), `width` pixels (even).
using Bgr24RowPair = void (*)(const std::uint8_t* luma0, const std::uint8_t* luma1, const std::uint8_t* cb,
                              const std::uint8_t* cr, std::uint8_t* out0, std::uint8_t* out1, int width);

// Table lookups per pixel, as the reference.
void Bgr24RowPairPortable(const std::uint8_t* luma0, const std::uint8_t* luma1, const std::uint8_t* cb,
                          const std::uint8_t* cr, std::uint8_t* out0, std::uint8_t* out1, int width);
// Sixteen (SSSE3) or thirty-two (AVX2) pixels at a time, the same results
// byte for byte; null when the build has no x86 SIMD code. The caller checks
// that the processor has the instructions.
Bgr24RowPair Bgr24RowPairSsse3Function();
Bgr24RowPair Bgr24RowPairAvx2Function();
// The fastest one the processor runs.
Bgr24RowPair FastestBgr24RowPair();

}  // namespace tavrix
