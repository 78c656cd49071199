#include "storage/vvf_block.h"

#include "storage/header_check.h"

namespace tavrix {
namespace {

void Put32(std::uint8_t* out, std::uint32_t value, bool bigEndian) {
  for (int i = 0; i < 4; ++i) {
    const int shift = bigEndian ? 24 - 8 * i : 8 * i;
    out[i] = static_cast<std::uint8_t>(value >> shift);
  }
}

std::uint32_t Get32(const std::uint8_t* in, bool bigEndian) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    const int shift = bigEndian ? 24 - 8 * i : 8 * i;
    value |= static_cast<std::uint32_t>(in[i]) << shift;
  }
  return value;
}

}  // namespace

void EncodeBlockHeader(const VvfBlockHeader& header, bool bigEndian, std::uint8_t* out) {
  Put32(out, header.blockTime, bigEndian);
  const auto high = static_cast<std::uint8_t>(header.channelMask >> 8);
  const auto low = static_cast<std::uint8_t>(header.channelMask);
  out[4] = bigEndian ? high : low;
  out[5] = bigEndian ? low : high;
  out[6] = static_cast<std::uint8_t>(header.frameInterval & 0x7F);
  out[7] = HeaderCheck(out, 7);
}

bool DecodeBlockHeader(const std::uint8_t* block, bool bigEndian, VvfBlockHeader& header) {
  header.blockTime = Get32(block, bigEndian);
  header.channelMask = bigEndian ? static_cast<std::uint16_t>(block[4] << 8 | block[5])
                                 : static_cast<std::uint16_t>(block[5] << 8 | block[4]);
  header.frameInterval = static_cast<std::uint8_t>(block[6] & 0x7F);
  return HeaderCheck(block, 7) == block[7];
}

void SwapWordBytes(std::uint8_t* bytes, std::size_t length) {
  for (std::size_t i = 0; i + 1 < length; i += 2) {
    const std::uint8_t first = bytes[i];
    bytes[i] = bytes[i + 1];
    bytes[i + 1] = first;
  }
}

}  // namespace tavrix
