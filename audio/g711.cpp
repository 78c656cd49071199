#include "audio/g711.h"

namespace tavrix {
namespace {

constexpr std::uint8_t kALawToggle = 0x55;  // even bits are inverted on the line
constexpr int kMuLawBias = 0x84;
constexpr int kMuLawClip = 32635;

constexpr std::int16_t ALawToLinear(std::uint8_t code) {
  const int toggled = code ^ kALawToggle;
  const int segment = (toggled >> 4) & 0x07;
  int magnitude = ((toggled & 0x0F) << 4) + 8;
  if (segment > 0) magnitude = (magnitude + 0x100) << (segment - 1);
  return static_cast<std::int16_t>((toggled & 0x80) ? magnitude : -magnitude);
}

constexpr std::int16_t MuLawToLinear(std::uint8_t code) {
  const int inverted = static_cast<std::uint8_t>(~code);
  const int segment = (inverted >> 4) & 0x07;
  const int magnitude = ((((inverted & 0x0F) << 3) + kMuLawBias) << segment) - kMuLawBias;
  return static_cast<std::int16_t>((inverted & 0x80) ? -magnitude : magnitude);
}

template <std::int16_t (*Expand)(std::uint8_t)>
constexpr std::array<std::int16_t, 256> BuildTable() {
  std::array<std::int16_t, 256> table{};
  for (int code = 0; code < 256; ++code) table[code] = Expand(static_cast<std::uint8_t>(code));
  return table;
}

constexpr auto kALawTable = BuildTable<ALawToLinear>();
constexpr auto kMuLawTable = BuildTable<MuLawToLinear>();

static_assert(kALawTable[0xD5] == 8 && kALawTable[0x55] == -8);
static_assert(kALawTable[0xAA] == 32256 && kALawTable[0x2A] == -32256);
static_assert(kMuLawTable[0xFF] == 0 && kMuLawTable[0x7F] == 0);
static_assert(kMuLawTable[0x80] == 32124 && kMuLawTable[0x00] == -32124);

// Index of the highest set bit, 0 for 0 and 1.
int HighestBit(int value) {
  int bit = 0;
  while (value > 1) {
    value >>= 1;
    ++bit;
  }
  return bit;
}

}  // namespace

const std::array<std::int16_t, 256>& ALawExpansionTable() { return kALawTable; }
const std::array<std::int16_t, 256>& MuLawExpansionTable() { return kMuLawTable; }

std::uint8_t CompressALaw(std::int16_t sample) {
  // A-law works on 13 bits; negative values are mirrored onto -x - 1 so that
  // the two halves of the scale are symmetric.
  int value = sample >> 3;
  const int sign = value >= 0 ? 0x80 : 0x00;
  if (value < 0) value = -value - 1;
  int code = value >> 1;
  if (value >= 32) {
    const int segment = HighestBit(value) - 4;  // 32..63 is segment 1
    code = (segment << 4) | ((value >> segment) & 0x0F);
  }
  return static_cast<std::uint8_t>((code | sign) ^ kALawToggle);
}

std::uint8_t CompressMuLaw(std::int16_t sample) {
  int value = sample;
  const int sign = value < 0 ? 0x80 : 0x00;
  if (value < 0) value = -value;
  if (value > kMuLawClip) value = kMuLawClip;
  value += kMuLawBias;
  const int segment = HighestBit(value) - 7;  // biased values start at 0x84
  const int code = sign | (segment << 4) | ((value >> (segment + 3)) & 0x0F);
  return static_cast<std::uint8_t>(~code);
}

}  // namespace tavrix
