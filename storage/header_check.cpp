#include "storage/header_check.h"

#include <array>

namespace tavrix {
namespace {

// T[i] is the remainder of i * x^8 divided by x^8 + x^2 + x + 1.
constexpr std::array<std::uint8_t, 256> MakeTable() {
  std::array<std::uint8_t, 256> table{};
  for (int i = 0; i < 256; ++i) {
    auto remainder = static_cast<std::uint8_t>(i);
    for (int bit = 0; bit < 8; ++bit) {
      remainder = static_cast<std::uint8_t>((remainder & 0x80) ? (remainder << 1) ^ 0x07 : remainder << 1);
    }
    table[static_cast<std::size_t>(i)] = remainder;
  }
  return table;
}

constexpr std::array<std::uint8_t, 256> kTable = MakeTable();

}  // namespace

std::uint8_t HeaderCheck(const std::uint8_t* bytes, std::size_t length) {
  std::uint8_t check = 0xFF;
  for (std::size_t i = 0; i < length; ++i) check ^= kTable[check ^ bytes[i]];
  return static_cast<std::uint8_t>(check ^ 0xFF);
}

}  // namespace tavrix
