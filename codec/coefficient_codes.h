#pragma once
#include <cstdint>
#include <span>

namespace tavrix {

// The MPEG-1 run/level code table for the coefficients after the DC
// (ISO/IEC 11172-2 dct_coeff_next, the same as table B.14 of 13818-2). Every
// run/level code is followed by a sign bit (1 = negative); end of block and
// escape have none.
struct CoefficientCode {
  std::uint8_t run;
  std::uint8_t level;
  std::uint8_t length;  // without the sign bit
  std::uint16_t bits;   // right-aligned
};

inline constexpr CoefficientCode kEndOfBlockCode{0, 0, 2, 0b10};
inline constexpr CoefficientCode kEscapeCode{0, 0, 6, 0b000001};

// The 111 run/level codes.
std::span<const CoefficientCode> RunLevelCodes();

// Decoder side: what the next 16 bits of the stream begin with.
struct CoefficientEntry {
  std::uint8_t run;     // kEndOfBlockRun, kEscapeRun or 0..31
  std::uint8_t level;   // magnitude 1..40
  std::uint8_t length;  // bits of the code without the sign bit
};
inline constexpr std::uint8_t kEndOfBlockRun = 64;
inline constexpr std::uint8_t kEscapeRun = 65;

// `next16` must be 16 or more (fewer than twelve leading zeros); smaller
// values are not a valid code and the caller refuses them first.
const CoefficientEntry& LookupCoefficient(std::uint32_t next16);

}  // namespace tavrix
