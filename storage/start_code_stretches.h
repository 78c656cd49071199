#pragma once
// The vector start code searches, shared by the variants that each source
// file compiles for its own instruction set.
#include <cstddef>
#include <cstdint>

#include "storage/vvf_block.h"

namespace tavrix::start_code {

// Declared here, defined in the files built for their instruction sets.
std::size_t SearchAvx2(const std::uint8_t* bytes, std::size_t from, std::size_t end);
std::size_t SearchAvx512(const std::uint8_t* bytes, std::size_t from, std::size_t end);

// Each file gets its own copy of what follows, built for its own
// instruction set: shared copies could run AVX code on any processor.
namespace {

// Bit i of each stands for byte i of a 64-byte stretch.
struct ByteClasses {
  std::uint64_t ones;   // the byte is 01
  std::uint64_t codes;  // the byte is 0xF8 or more
};

// Added with saturation, takes exactly the bytes from 0xF8 on to 0xFF.
constexpr char kCodeLift = static_cast<char>(0xFF - kUpdatePictureCode);

inline bool StartCodeAt(const std::uint8_t* bytes) {
  return bytes[0] == 0x00 && bytes[1] == 0x00 && bytes[2] == 0x01 && IsFrameCode(bytes[3]);
}

inline std::size_t SearchBytes(const std::uint8_t* bytes, std::size_t from, std::size_t end) {
  for (std::size_t at = from; at + 4 <= end; ++at) {
    if (StartCodeAt(bytes + at)) return at;
  }
  return end;
}

// The first start code whose 01 byte is marked in `pairs` (bit i: at + i).
inline bool FirstConfirmed(const std::uint8_t* bytes, std::size_t at, std::uint64_t pairs, std::size_t& found) {
  for (; pairs != 0; pairs &= pairs - 1) {
    const std::size_t start = at + static_cast<std::size_t>(__builtin_ctzll(pairs)) - 2;
    if (StartCodeAt(bytes + start)) {
      found = start;
      return true;
    }
  }
  return false;
}

// Looks for a 01 byte followed by a byte from 0xF8 on, a pair that compressed
// data seldom holds, and checks the rest of each one found. Pictures are full
// of 00 and 01 bytes and of 00 00 01 slice codes, so a search for the prefix
// first would stop far more often. Stretches of 64 bytes hold the 01 byte of
// a start code (two after its start) and the code byte after it, so they
// overlap by one byte.
template <ByteClasses (*Classify)(const std::uint8_t*)>
inline std::size_t SearchStretches(const std::uint8_t* bytes, std::size_t from, std::size_t end) {
  if (end - from < 64 + 2) return SearchBytes(bytes, from, end);
  std::size_t at = from + 2, found = 0;
  for (; at + 64 <= end; at += 63) {
    const ByteClasses stretch = Classify(bytes + at);
    const std::uint64_t pairs = stretch.ones & stretch.codes >> 1;
    if (pairs != 0 && FirstConfirmed(bytes, at, pairs, found)) return found;
  }
  // The rest: the last 64 bytes, without the 01 bytes already looked at
  // (the loop ends with at - last from 1 to 63).
  const std::size_t last = end - 64;
  const ByteClasses tail = Classify(bytes + last);
  const std::uint64_t unseen = ~std::uint64_t{0} << (at - last);
  return FirstConfirmed(bytes, last, tail.ones & tail.codes >> 1 & unseen, found) ? found : end;
}

}  // namespace
}  // namespace tavrix::start_code
