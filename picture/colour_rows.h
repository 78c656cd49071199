#pragma once
#include <cstdint>

namespace tavrix {

// Converts two picture rows that share one row of chroma into packed rows of
// `width` pixels (even).
using RowPairConverter = void (*)(const std::uint8_t* luma0, const std::uint8_t* luma1, const std::uint8_t* cb,
                                  const std::uint8_t* cr, std::uint8_t* out0, std::uint8_t* out1, int width);

// Table lookups per pixel, as the reference: bytes B, G, R ...
void Bgr24RowPairPortable(const std::uint8_t* luma0, const std::uint8_t* luma1, const std::uint8_t* cb,
                          const std::uint8_t* cr, std::uint8_t* out0, std::uint8_t* out1, int width);
// ... and bytes B, G, R, 0.
void Xrgb32RowPairPortable(const std::uint8_t* luma0, const std::uint8_t* luma1, const std::uint8_t* cb,
                           const std::uint8_t* cr, std::uint8_t* out0, std::uint8_t* out1, int width);

// Sixteen (SSSE3) or thirty-two (AVX2) pixels at a time, the same results
// byte for byte; null when the build has no x86 SIMD code. The caller checks
// that the processor has the instructions.
RowPairConverter Bgr24RowPairSsse3Function();
RowPairConverter Bgr24RowPairAvx2Function();
RowPairConverter Xrgb32RowPairSsse3Function();
RowPairConverter Xrgb32RowPairAvx2Function();

// The fastest ones the processor runs.
RowPairConverter FastestBgr24RowPair();
RowPairConverter FastestXrgb32RowPair();

}  // namespace tavrix
