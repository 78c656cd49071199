#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "codec/bit_writer.h"

namespace tavrix::test {

// Builds a compressed frame by hand: start code, header bytes, then one slice
// per row, each with its start code and row number followed by the bits the
// caller writes.
inline std::vector<std::uint8_t> BuildFrame(bool full, const std::vector<std::uint8_t>& headerBytes, int rows,
                                            const std::function<void(BitWriter&, int row)>& slice) {
  std::vector<std::uint8_t> frame = {0x00, 0x00, 0x01, static_cast<std::uint8_t>(full ? 0xF9 : 0xF8)};
  for (std::uint8_t byte : headerBytes) frame.push_back(byte);
  BitWriter bits(frame);
  for (int row = 0; row < rows; ++row) {
    bits.Put(0x000001, 24);
    bits.Put(static_cast<std::uint32_t>(row), 5);
    slice(bits, row);
    bits.AlignToByte();
  }
  return frame;
}

// An update picture (QM_QMT2 header) of 14 rows in which only the rows for
// which `slice` writes macroblocks change; every slice ends with increment 0.
inline std::vector<std::uint8_t> BuildUpdateFrame(int scale, int channel,
                                                  const std::function<void(BitWriter&, int row)>& slice) {
  return BuildFrame(false, {static_cast<std::uint8_t>(scale << 4 | channel)}, 14, [&](BitWriter& bits, int row) {
    slice(bits, row);
    bits.Put(0, 6);
  });
}

// A coded block: its DC, then run/level codes written by `codes`, then end of block.
inline void PutBlock(BitWriter& bits, int dc, const std::function<void(BitWriter&)>& codes = {}) {
  bits.Put(static_cast<std::uint32_t>(dc), 8);
  if (codes) codes(bits);
  bits.Put(0b10, 2);
}

}  // namespace tavrix::test
