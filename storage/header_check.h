#pragma once
#include <cstddef>
#include <cstdint>

namespace tavrix {

// The check byte of a VVF block header, computed over the bytes as stored.
// Built on the CRC-8 table of x^8+x^2+x+1, but each step XORs the table entry
// into the old register (c ^= T[c ^ b]) rather than replacing it, starting at
// 0xFF and complemented at the end; every VVF reader and writer uses this rule.
std::uint8_t HeaderCheck(const std::uint8_t* bytes, std::size_t length);

}  // namespace tavrix
